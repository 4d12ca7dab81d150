// What the frame strip does to the frames selected in it: each is one step
// on the document. Copy and paste go through the clipboard, so that frames
// pass between animations and between editor windows.
#pragma once

#include <QObject>

#include "editor/GafDocument.h"
#include "editor/WindowServices.h"

namespace quilmark {

class StripActions : public QObject {
  Q_OBJECT
 public:
  StripActions(GafDocument& doc, WindowServices& window, QObject* parent);

  // The selected frames (a mark per frame of the shown animation) moved into
  // the gap before frame gap (0-based; the count puts them last). The moved
  // frames, or nothing when the order stays.
  std::vector<FramePtr> Move(const std::vector<bool>& selected, size_t gap);
  void Remove(const std::vector<FramePtr>& frames);
  // Asks for the rate, then sets it on every frame.
  void SetFramerate(const std::vector<FramePtr>& frames);
  // The frames' images (the subframes of a frame that has them) stored
  // compressed or not.
  void SetCompressed(const std::vector<FramePtr>& frames, bool compressed);
  // Asks how far, then moves every frame (the subframes of a frame that has
  // them) by that much.
  void Shift(const std::vector<FramePtr>& frames);

  // The frames on the clipboard: in the editor's own format and as a PNG
  // file of the first one for other programs.
  void Copy(const std::vector<FramePtr>& frames);
  // The clipboard's frames put after the shown frame; the frames put there.
  std::vector<FramePtr> Paste();
  // Whether the clipboard holds frames to paste.
  static bool CanPaste();

 private:
  GafDocument& doc_;
  WindowServices& window_;
};

}  // namespace quilmark
