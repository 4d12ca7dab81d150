// The Images menu's commands and the Frame and Subframe menus over the
// document: sequences created, removed, reversed, imported and exported,
// frames and subframes imported, exported and removed. Each change is one
// step on the document.
#pragma once

#include <QObject>
#include <functional>

#include "editor/GafDocument.h"
#include "editor/WindowServices.h"
#include "images/FrameImages.h"

namespace quilmark {

class ImageActions : public QObject {
  Q_OBJECT
 public:
  ImageActions(GafDocument& doc, WindowServices& window, QObject* parent);

  void CreateSequence();
  void RemoveSequence();
  void ReverseFrames();
  // Moves every frame of the selected animation, or every subframe of the
  // shown frame when a subframe is shown, by what the user types.
  void ShiftAll();
  // Puts one palette index in place of another in the shown frame (with its
  // subframes), the animation or the document.
  void ReplaceIndex();
  void ImportSequence();
  void ExportSequence();
  // The selected animation as an animated GIF file.
  void ExportGif();
  void CompressAll();
  void ExportAll();
  void Preview();
  // The Import Frames dialog, or Import Subframes for the shown frame.
  void ImportFrames(bool subframes);
  // The shown frame's own image, or the shown subframe.
  void ExportImage(bool subframe);
  void RemoveFrame();
  // A copy of the shown frame, its subframes with it, right after it.
  void DuplicateFrame();
  void RemoveSubframe();

  // Adds image files (in the order given) to the selected animation as frames,
  // or as subframes of the shown frame: one step.
  void AddImages(const std::vector<std::string>& files, const ImportOptions& options, bool subframes);

 private:
  // The directory chooser, then write into the chosen folder with the pane
  // disabled; nothing when the chooser was cancelled.
  void ExportToChosenFolder(const std::function<ExportReport(const std::string& folder)>& write);
  // One message for the images an export could not write.
  void ReportExport(const ExportReport& report);
  // What matching an import's colours to the game palette did, when not
  // every pixel kept its colour: a note in the status bar, and a message
  // when opaque pixels became transparent.
  void ReportColours(const ImportReport& report);

  GafDocument& doc_;
  WindowServices& window_;
};

}  // namespace quilmark
