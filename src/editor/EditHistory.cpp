// The edit history: the Edit menu, the "Modified" panel, the steps' record,
// and what the window shows after an undo or redo.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <algorithm>

#include "display/FrameDisplay.h"
#include "editor/FrmQuilmark.h"

namespace quilmark {
namespace {

// Del typed into a text box edits its text, and so do undo and redo while
// the box has an edit of its own to undo or redo; otherwise those act on the
// document, also right after a value was committed with Tab.
class EditingKeys : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::ShortcutOverride) return false;
    const auto* box = qobject_cast<QLineEdit*>(watched);
    if (!box || box->isReadOnly()) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    // The window's keys for Remove Sequence, Undo and Redo.
    const QKeySequence pressed(key->keyCombination());
    const bool undo = pressed == QKeySequence("Ctrl+Z");
    const bool redo = pressed == QKeySequence("Ctrl+Shift+Z") || pressed == QKeySequence("Ctrl+Y");
    if (key->key() != Qt::Key_Delete && !undo && !redo) return false;
    // Taken by the box, or left to the window's shortcut (the box itself
    // would claim undo and redo whatever it holds).
    event->setAccepted(key->key() == Qt::Key_Delete || (undo && box->isUndoAvailable()) ||
                       (redo && box->isRedoAvailable()));
    return true;
  }
};

}  // namespace

void KeepEditingKeysInTextBoxes(QObject* owner) { qApp->installEventFilter(new EditingKeys(owner)); }

void FrmQuilmark::BuildEditMenu() {
  mnuEdit = menuBar()->addMenu("&Edit");
  mnuEdit->setObjectName("mnuEdit");
  // A number typed and not yet left is a step of its own, before the menu shows.
  connect(mnuEdit, &QMenu::aboutToShow, this, &FrmQuilmark::ApplyPendingEdits);
  mnuEditUndo = History->createUndoAction(mnuEdit, "&Undo");
  mnuEditUndo->setObjectName("mnuEditUndo");
  mnuEditUndo->setShortcuts({QKeySequence("Ctrl+Z")});
  mnuEditRedo = History->createRedoAction(mnuEdit, "&Redo");
  mnuEditRedo->setObjectName("mnuEditRedo");
  mnuEditRedo->setShortcuts({QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")});
  mnuEdit->addAction(mnuEditUndo);
  mnuEdit->addAction(mnuEditRedo);
  // The actions follow the history's texts and states, but what was typed is
  // committed before they undo or redo.
  for (QAction* action : {mnuEditUndo, mnuEditRedo}) {
    disconnect(action, &QAction::triggered, History, nullptr);
    connect(action, &QAction::triggered, this, [this, undo = action == mnuEditUndo] { UndoOrRedo(undo); });
  }
}

void FrmQuilmark::UndoOrRedo(bool undo) {
  ApplyPendingEdits();
  replaying_ = true;
  undo ? History->undo() : History->redo();
  replaying_ = false;
}

void FrmQuilmark::ShowModified() {
  connect(History, &QUndoStack::cleanChanged, StatusPanel3,
          [this](bool clean) { StatusPanel3->setText(clean ? QString() : QString("Modified")); });
}

void FrmQuilmark::Record(QUndoCommand* step) {
  if (!step) return;
  // Nothing is recorded in the middle of an undo or redo.
  if (replaying_) return delete step;
  History->push(step);
}

EditPlace FrmQuilmark::Here() const {
  const EditorState& st = Editor();
  return {st.CurrentAnimation, st.CurrentFrame, st.CurrentSubframe};
}

void FrmQuilmark::ShowPlace(const EditPlace& place, bool rowsChanged) {
  EditorState& st = Editor();
  AnimationPtr animation = place.animation;
  // A place whose animation is no longer in the document shows the first.
  if (!animation || st.CurrentGAF->Animations.IndexOf(animation.get()) == 0) {
    animation = st.CurrentGAF->Animations.Item(1);
    if (!animation) animation = std::make_shared<classGAFAnimation>();
  }
  st.CurrentAnimation = animation;
  if (rowsChanged) {
    CreateList();
  } else {
    RefreshList();
    HighlightCurrentRow();
  }
  if (graphicsReady_) {
    const int32_t count = animation->Frames.Count();
    quilmark::DisplayAnimation(*animation, *this, st, std::clamp(place.frame, 1, std::max(count, 1)));
    if (place.subframe > 0)
      if (FramePtr frame = animation->Frames.Item(st.CurrentFrame))
        if (FramePtr sub = frame->Subframes.Item(place.subframe)) {
          st.CurrentSubframe = place.subframe;
          SetScrollSubframesValue(place.subframe);
          DisplayFrame(*sub, *this, st, true);
        }
  }
  RefreshStatus();
}

}  // namespace quilmark
