// The animation list: one row per animation of the document, following its
// news. A click selects the row's animation, a double click switches its
// "Animate" flag, an edit of the name renames it; each change is a step.
#pragma once

#include <QPointer>
#include <QTreeWidget>
#include <functional>

#include "editor/GafDocument.h"

namespace quilmark {

class AnimationListView : public QTreeWidget {
  Q_OBJECT
 public:
  AnimationListView(GafDocument& doc, QWidget* parent);

  // The column captions and widths of the running program.
  void ShowHeaders();
  // The rows made again from the document, or only their cells.
  void CreateList();
  void RefreshList();
  // The selected animation's row becomes the highlighted one.
  void HighlightCurrentRow();
  // Ends an open edit of a name as Enter does.
  void CommitEdit();

  // What the user did.
  void Click();
  void DoubleClick();
  void AfterLabelEdit(QTreeWidgetItem* item, const QString& newText);

 signals:
  // A click on a row or on empty space, or the current row moved by mouse or
  // keyboard; rows made current in code are not reported.
  void Picked();
  // A name edit was committed, also one that left the text as it was.
  void NameCommitted(QTreeWidgetItem* item, const QString& text);
  // Why a rename was refused.
  void Refused(const QString& text);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  friend class NameEditDelegate;
  // Runs the view's own handling; reports and returns true when it moved the
  // current row.
  bool Reported(const std::function<void()>& handling);
  AnimationPtr AnimationOf(const QTreeWidgetItem* row) const;

  GafDocument& doc_;
  QPointer<QWidget> editor_;  // the editor of a name edit while it is open
  bool movedByPress_ = false;
  AnimationPtr highlighted_;  // the animation whose row was last highlighted
};

}  // namespace quilmark
