#include "editor/AnimationListView.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyledItemDelegate>

#include "editor/EditorSupport.h"
#include "editor/UndoCommands.h"

namespace quilmark {

// Reports every committed name edit, also one that leaves the text as it was
// (the item then does not announce a change).
class NameEditDelegate : public QStyledItemDelegate {
 public:
  explicit NameEditDelegate(AnimationListView* list) : QStyledItemDelegate(list), list_(list) {}

  // Only the name can be edited in place; the other cells are the document's.
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    if (index.column() != 0) return nullptr;
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    list_->editor_ = editor;
    return editor;
  }

  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
    QStyledItemDelegate::setModelData(editor, model, index);
    if (index.column() != 0 || index.parent().isValid()) return;
    if (QTreeWidgetItem* item = list_->topLevelItem(index.row()))
      emit list_->NameCommitted(item, index.data(Qt::EditRole).toString());
  }

 private:
  AnimationListView* list_;
};

namespace {
int SubframeTotal(const classGAFAnimation& a) {
  int total = 0;
  for (const auto& f : a.Frames)
    if (f) total += f->Subframes.Count();
  return total;
}
const int KeyRole = Qt::UserRole;
}  // namespace

AnimationListView::AnimationListView(GafDocument& doc, QWidget* parent) : QTreeWidget(parent), doc_(doc) {
  setObjectName("ListGAF");
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setEditTriggers(QAbstractItemView::SelectedClicked);
  setColumnCount(4);
  header()->setStretchLastSection(false);
  setHeaderLabels({"", "", "", ""});
  setItemDelegate(new NameEditDelegate(this));
  connect(&doc_, &GafDocument::documentReset, this, &AnimationListView::CreateList);
  connect(&doc_, &GafDocument::animationsChanged, this, &AnimationListView::CreateList);
  connect(&doc_, &GafDocument::animationChanged, this, &AnimationListView::RefreshList);
  // A renamed animation keeps its row; only the name and key change.
  connect(&doc_, &GafDocument::animationRenamed, this, [this](const AnimationPtr& animation, const std::string& old) {
    QSignalBlocker block(this);
    for (int i = 0; i < topLevelItemCount(); ++i)
      if (QTreeWidgetItem* row = topLevelItem(i); row->data(0, KeyRole).toByteArray().toStdString() == old) {
        row->setData(0, KeyRole, QByteArray::fromStdString(animation->Name));
        row->setText(0, QString::fromLatin1(animation->Name.c_str()));
      }
  });
  // A row made current in code stays so until another animation is selected.
  connect(&doc_, &GafDocument::selectionChanged, this, [this] {
    if (std::exchange(highlighted_, doc_.State().CurrentAnimation) != doc_.State().CurrentAnimation)
      HighlightCurrentRow();
  });
}

void AnimationListView::ShowHeaders() {
  setHeaderLabels({"Name", "Animate", "Frames", "Subframes"});
  setColumnWidth(0, Px(1000));
  setColumnWidth(1, Px(500));
  setColumnWidth(2, Px(500));
  setColumnWidth(3, Px(700));
}

void AnimationListView::CreateList() {
  QSignalBlocker block(this);
  // The rows are kept and filled again: a row whose name is being edited
  // stays while the rename it commits is made.
  const int count = doc_.Gaf().Animations.Count();
  while (topLevelItemCount() > count) delete takeTopLevelItem(topLevelItemCount() - 1);
  const QIcon icon = style()->standardIcon(QStyle::SP_FileIcon);
  while (topLevelItemCount() < count) {
    auto* row = new QTreeWidgetItem(this);
    row->setFlags(row->flags() | Qt::ItemIsEditable);
    row->setIcon(0, icon);
  }
  int i = 0;
  for (const auto& a : doc_.Gaf().Animations) {
    QTreeWidgetItem* row = topLevelItem(i++);
    row->setData(0, KeyRole, QByteArray::fromStdString(a->Name));
    row->setText(0, QString::fromLatin1(a->Name.c_str()));
  }
  RefreshList();
  HighlightCurrentRow();
}

void AnimationListView::HighlightCurrentRow() {
  QSignalBlocker block(this);
  highlighted_ = doc_.State().CurrentAnimation;
  const std::string& name = doc_.State().CurrentAnimation->Name;
  for (int i = 0; i < topLevelItemCount(); ++i) {
    QTreeWidgetItem* row = topLevelItem(i);
    if (!KeysEqual(row->data(0, KeyRole).toByteArray().toStdString(), name)) continue;
    setCurrentItem(row);
    row->setSelected(true);
    return;
  }
}

void AnimationListView::RefreshList() {
  QSignalBlocker block(this);
  for (int i = 0; i < topLevelItemCount(); ++i) {
    QTreeWidgetItem* row = topLevelItem(i);
    if (const AnimationPtr a = AnimationOf(row)) {
      row->setText(1, a->Animated ? "Yes" : "No");
      row->setText(2, QString::number(a->Frames.Count()));
      row->setText(3, QString::number(SubframeTotal(*a)));
    }
  }
}

AnimationPtr AnimationListView::AnimationOf(const QTreeWidgetItem* row) const {
  return row ? doc_.Gaf().Animations.Find(row->data(0, KeyRole).toByteArray().toStdString()) : nullptr;
}

void AnimationListView::CommitEdit() {
  if (!editor_) return;
  QPointer<QWidget> editor = editor_;
  commitData(editor);
  if (editor) closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void AnimationListView::Click() {
  // A click on empty space keeps the selected animation; either way it is
  // shown from its first frame.
  const AnimationPtr picked = AnimationOf(currentItem());
  doc_.Select({picked ? picked : doc_.State().CurrentAnimation, 1, 0});
  // A click on empty space leaves the selected animation's row highlighted.
  HighlightCurrentRow();
}

void AnimationListView::DoubleClick() {
  if (doc_.Holds(doc_.State().CurrentAnimation)) doc_.Do(AnimateStep(doc_, doc_.State().CurrentAnimation));
}

void AnimationListView::AfterLabelEdit(QTreeWidgetItem* item, const QString& newText) {
  const std::string oldKey = item->data(0, KeyRole).toByteArray().toStdString();
  auto restore = [&](const QString& why) {
    {
      QSignalBlocker block(this);
      item->setText(0, QString::fromLatin1(oldKey.c_str()));
    }
    if (!why.isEmpty()) emit Refused("Not renamed: " + why);
  };
  // Names are 8-bit text: what Latin-1 cannot hold is refused, not turned
  // into "?".
  for (const QChar c : newText)
    if (c.unicode() > 0xFF) return restore(QString("names hold Latin-1 letters only, and \"%1\" is none").arg(c));
  const std::string name = newText.toLatin1().toStdString();
  const AnimationPtr animation = doc_.Gaf().Animations.Find(oldKey);
  // Leaving the name as it was changes nothing: no step, and the animation
  // keeps its place in the document.
  if (!animation || name == oldKey) return restore({});
  // Names are the document's keys: an empty name or one another animation
  // has would leave the animation without a matching key, so it is refused.
  if (name.empty()) return restore("a sequence needs a name");
  if (AnimationPtr holder = doc_.Gaf().Animations.Find(name); holder && holder != animation)
    return restore(QString("there is a sequence \"%1\" already").arg(QString::fromLatin1(holder->Name.c_str())));
  doc_.Do(RenameStep(doc_, animation, name));
}

void AnimationListView::mousePressEvent(QMouseEvent* event) {
  movedByPress_ = Reported([&] { QTreeWidget::mousePressEvent(event); });
}

void AnimationListView::mouseMoveEvent(QMouseEvent* event) {
  if (Reported([&] { QTreeWidget::mouseMoveEvent(event); })) movedByPress_ = true;
}

void AnimationListView::mouseReleaseEvent(QMouseEvent* event) {
  // A click that did not move the current row is still a click.
  if (!Reported([&] { QTreeWidget::mouseReleaseEvent(event); }) && !movedByPress_ && event->button() == Qt::LeftButton)
    emit Picked();
  movedByPress_ = false;
}

void AnimationListView::keyPressEvent(QKeyEvent* event) {
  Reported([&] { QTreeWidget::keyPressEvent(event); });
}

bool AnimationListView::Reported(const std::function<void()>& handling) {
  QTreeWidgetItem* before = currentItem();
  handling();
  if (currentItem() == before || !currentItem()) return false;
  emit Picked();
  return true;
}

}  // namespace quilmark
