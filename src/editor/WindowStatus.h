// The main window's status bar, following the document: "Ready", the selected
// animation's name, "Modified" while the document differs from the last open
// or save, and the frame view's zoom; passing notes show over the first two.
#pragma once

#include <QLabel>
#include <QStatusBar>

#include "display/qt/FrameView.h"
#include "editor/GafDocument.h"

namespace quilmark {

class WindowStatus : public QStatusBar {
  Q_OBJECT
 public:
  WindowStatus(GafDocument& doc, const ZoomedView& picture, QWidget* parent);

  // The text of panel 1 to 3.
  QString Text(int panel) const;
  void Note(const QString& text) { showMessage(text, 6000); }
  void Refresh();
  // What is under the pointer in the frame view.
  void ShowPointer(const QString& text) { pointer_->setText(text); }

 private:
  GafDocument& doc_;
  QLabel* panels_[3];
  QLabel* pointer_;
};

}  // namespace quilmark
