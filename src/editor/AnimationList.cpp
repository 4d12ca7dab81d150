// The animation list: one row per animation, a click shows it, a double click
// switches its "Animate" flag, an edit of the name renames it.
#include <QHeaderView>
#include <QMouseEvent>
#include <QPointer>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyledItemDelegate>

#include "editor/EditorSupport.h"
#include "editor/FrmQuilmark.h"

namespace quilmark {
namespace {

// The animation list. Picked is reported once for every click (on a row or on
// empty space) and for every move of the current row by mouse or keyboard, so
// that the highlighted row and the shown animation stay one; rows made current
// in code are not reported.
class AnimationList : public QTreeWidget {
 public:
  using QTreeWidget::QTreeWidget;
  std::function<void()> Picked;

  // Ends an open edit of a name as Enter does.
  void CommitEdit() {
    if (editor_) {
      QPointer<QWidget> editor = editor_;
      commitData(editor);
      if (editor) closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
  }
  // The editor of a name edit while it is open.
  QPointer<QWidget> editor_;

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    movedByPress_ = Reported([&] { QTreeWidget::mousePressEvent(event); });
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    if (Reported([&] { QTreeWidget::mouseMoveEvent(event); })) movedByPress_ = true;
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    // A click that did not move the current row is still a click.
    if (!Reported([&] { QTreeWidget::mouseReleaseEvent(event); }) && !movedByPress_ &&
        event->button() == Qt::LeftButton && Picked)
      Picked();
    movedByPress_ = false;
  }
  void keyPressEvent(QKeyEvent* event) override {
    Reported([&] { QTreeWidget::keyPressEvent(event); });
  }

 private:
  // Runs the view's own handling; reports and returns true when it moved the
  // current row.
  template <typename Handling>
  bool Reported(Handling handling) {
    QTreeWidgetItem* before = currentItem();
    handling();
    if (currentItem() == before || !currentItem()) return false;
    if (Picked) Picked();
    return true;
  }
  bool movedByPress_ = false;
};

// Reports every committed name edit, also one that leaves the text as it was
// (the item then does not announce a change).
class NameEditDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  std::function<void(int row, const QString& text)> Committed;

  // Only the name can be edited in place; the other cells are the document's.
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    if (index.column() != 0) return nullptr;
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    static_cast<AnimationList*>(this->parent())->editor_ = editor;
    return editor;
  }

  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
    QStyledItemDelegate::setModelData(editor, model, index);
    if (Committed && index.column() == 0 && !index.parent().isValid())
      Committed(index.row(), index.data(Qt::EditRole).toString());
  }
};


}  // namespace

void FrmQuilmark::BuildList() {
  auto* list = new AnimationList(Client);
  ListGAF = list;
  ListGAF->setObjectName("ListGAF");
  ListGAF->setRootIsDecorated(false);
  ListGAF->setUniformRowHeights(true);
  ListGAF->setEditTriggers(QAbstractItemView::SelectedClicked);
  ListGAF->setColumnCount(4);
  ListGAF->header()->setStretchLastSection(false);
  ListGAF->setHeaderLabels({"", "", "", ""});
  connect(ListGAF, &QTreeWidget::itemDoubleClicked, this, [this] { ListGAF_DblClick(); });
  list->Picked = [this] { ListGAF_Click(); };
  auto* names = new NameEditDelegate(ListGAF);
  names->Committed = [this](int row, const QString& text) {
    if (QTreeWidgetItem* item = ListGAF->topLevelItem(row)) ListGAF_AfterLabelEdit(item, text);
  };
  ListGAF->setItemDelegate(names);
}

namespace {
int SubframeTotal(const classGAFAnimation& a) {
  int total = 0;
  for (const auto& f : a.Frames)
    if (f) total += f->Subframes.Count();
  return total;
}
const int KeyRole = Qt::UserRole;
}  // namespace

void FrmQuilmark::CreateList() {
  QSignalBlocker block(ListGAF);
  ListGAF->clear();
  const QIcon icon = style()->standardIcon(QStyle::SP_FileIcon);
  for (const auto& a : Editor().CurrentGAF->Animations) {
    auto* row = new QTreeWidgetItem(ListGAF);
    row->setFlags(row->flags() | Qt::ItemIsEditable);
    row->setData(0, KeyRole, QByteArray::fromStdString(a->Name));
    row->setText(0, QString::fromLatin1(a->Name.c_str()));
    row->setIcon(0, icon);
    row->setText(1, a->Animated ? "Yes" : "No");
    row->setText(2, QString::number(a->Frames.Count()));
    row->setText(3, QString::number(SubframeTotal(*a)));
  }
  HighlightCurrentRow();
}

void FrmQuilmark::HighlightCurrentRow() {
  QSignalBlocker block(ListGAF);
  const std::string& name = Editor().CurrentAnimation->Name;
  for (int i = 0; i < ListGAF->topLevelItemCount(); ++i) {
    QTreeWidgetItem* row = ListGAF->topLevelItem(i);
    if (!KeysEqual(row->data(0, KeyRole).toByteArray().toStdString(), name)) continue;
    ListGAF->setCurrentItem(row);
    row->setSelected(true);
    return;
  }
}

void FrmQuilmark::RefreshList() {
  QSignalBlocker block(ListGAF);
  for (const auto& a : Editor().CurrentGAF->Animations) {
    for (int i = 0; i < ListGAF->topLevelItemCount(); ++i) {
      QTreeWidgetItem* row = ListGAF->topLevelItem(i);
      if (!KeysEqual(row->data(0, KeyRole).toByteArray().toStdString(), a->Name)) continue;
      row->setText(1, a->Animated ? "Yes" : "No");
      row->setText(2, QString::number(a->Frames.Count()));
      row->setText(3, QString::number(SubframeTotal(*a)));
      break;
    }
  }
}

void FrmQuilmark::CommitRename() { static_cast<AnimationList*>(ListGAF)->CommitEdit(); }

void FrmQuilmark::ListGAF_Click() {
  EditorState& st = Editor();
  if (QTreeWidgetItem* row = ListGAF->currentItem())
    if (auto a = st.CurrentGAF->Animations.Find(row->data(0, KeyRole).toByteArray().toStdString()))
      st.CurrentAnimation = a;
  // A click on empty space leaves the current animation's row highlighted.
  HighlightCurrentRow();
  DisplayAnimation(*st.CurrentAnimation);
  RefreshStatus();
}

void FrmQuilmark::ListGAF_DblClick() {
  const AnimationPtr animation = Editor().CurrentAnimation;
  const bool before = animation->Animated;
  animation->Animated = !before;
  RefreshList();
  if (Editor().CurrentGAF->Animations.IndexOf(animation.get()) != 0)
    Record(new DocumentStep(*this, "Animate",
                            {[animation, before] { animation->Animated = before; },
                             [animation, before] { animation->Animated = !before; }},
                            Here(), Here(), false));
}

void FrmQuilmark::ListGAF_AfterLabelEdit(QTreeWidgetItem* item, const QString& newText) {
  EditorState& st = Editor();
  const std::string oldKey = item->data(0, KeyRole).toByteArray().toStdString();
  auto restore = [&](const QString& why) {
    QSignalBlocker block(ListGAF);
    item->setText(0, QString::fromLatin1(oldKey.c_str()));
    if (!why.isEmpty()) Note("Not renamed: " + why);
  };
  // The history does not change while it undoes or redoes.
  if (replaying_) return restore({});
  // Names are 8-bit text: what Latin-1 cannot hold is refused, not turned
  // into "?".
  for (const QChar c : newText)
    if (c.unicode() > 0xFF) return restore(QString("names hold Latin-1 letters only, and \"%1\" is none").arg(c));
  const std::string name = newText.toLatin1().toStdString();
  AnimationPtr animation = st.CurrentGAF->Animations.Find(oldKey);
  // Leaving the name as it was changes nothing: no step, and the animation
  // keeps its place in the document.
  if (!animation || name == oldKey) return restore({});
  // Names are the document's keys: an empty name or one another animation
  // has would leave the animation without a matching key, so it is refused.
  if (name.empty()) return restore("a sequence needs a name");
  if (AnimationPtr holder = st.CurrentGAF->Animations.Find(name); holder && holder != animation)
    return restore(QString("there is a sequence \"%1\" already").arg(QString::fromLatin1(holder->Name.c_str())));
  const auto before = st.CurrentGAF->Animations.Entries();
  const std::string oldName = animation->Name;
  st.CurrentGAF->Animations.Remove(oldKey);
  animation->Name = name;
  st.CurrentGAF->Animations.Add(animation, name);
  EditPlace place = Here();
  place.animation = animation;
  Record(RenameStep(*this, st.CurrentGAF, animation, oldName, before, place));
  {
    QSignalBlocker block(ListGAF);
    item->setData(0, KeyRole, QByteArray::fromStdString(name));
    item->setText(0, QString::fromLatin1(name.c_str()));
  }
  RefreshStatus();
}

}  // namespace quilmark
