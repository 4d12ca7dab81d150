#include "editor/FrameStrip.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <functional>

#include "display/qt/FrameView.h"
#include "editor/StripActions.h"

namespace quilmark {
namespace {

constexpr int kCell = FrameStrip::kThumbnail + 12;  // a cell's width
constexpr int kRow = FrameStrip::kThumbnail + 20;   // a row's height: the thumbnail and its number
constexpr int kMargin = 2;
constexpr int kSubframesTop = kMargin + kRow + 6;
constexpr int kHeight = kSubframesTop + kRow + kMargin;
constexpr size_t kMostThumbnails = 4096;

bool IsStripKey(const QKeyEvent* key) {
  const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
  return key->matches(QKeySequence::SelectAll) || key->matches(QKeySequence::Copy) ||
         key->matches(QKeySequence::Cut) || key->matches(QKeySequence::Paste) ||
         (plain && (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Left || key->key() == Qt::Key_Right ||
                    key->key() == Qt::Key_Home || key->key() == Qt::Key_End));
}

}  // namespace

FrameStrip::FrameStrip(GafDocument& doc, StripActions& actions, QWidget* parent)
    : QAbstractScrollArea(parent), doc_(doc), actions_(actions) {
  setObjectName("FrameStrip");
  setFocusPolicy(Qt::StrongFocus);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  horizontalScrollBar()->setSingleStep(kCell);
  setFixedHeight(sizeHint().height());
  connect(&doc_, &GafDocument::selectionChanged, this, &FrameStrip::Follow);
  connect(&doc_, &GafDocument::animationsChanged, this, &FrameStrip::Follow);
  connect(&doc_, &GafDocument::documentReset, this, [this] {
    ForgetThumbnails();
    Follow();
  });
  connect(&doc_, &GafDocument::animationChanged, this, &FrameStrip::FramesChanged);
  connect(&doc_, &GafDocument::imagesChanged, this, &FrameStrip::ImagesChanged);

  // The menu of the selected frames.
  setContextMenuPolicy(Qt::DefaultContextMenu);
  struct Item {
    const char* name;
    const char* caption;
    std::function<void()> run;
  };
  const Item items[] = {
      {"StripSelectAll", "Select &All", [this] { SelectAll(); }},
      {"StripCopy", "&Copy", [this] { actions_.Copy(SelectedFrames()); }},
      {"StripPaste", "&Paste", [this] { SelectFrames(actions_.Paste()); }},
      {"StripRemove", "&Remove Frames", [this] { actions_.Remove(SelectedFrames()); }},
      {nullptr, nullptr, {}},
      {"StripFramerate", "Set &Framerate...", [this] { actions_.SetFramerate(SelectedFrames()); }},
      {"StripCompress", "C&ompress", [this] { actions_.SetCompressed(SelectedFrames(), true); }},
      {"StripUncompress", "&Uncompress", [this] { actions_.SetCompressed(SelectedFrames(), false); }},
      {"StripShift", "&Shift Frames...", [this] { actions_.Shift(SelectedFrames()); }},
  };
  menu_ = new QMenu(this);
  menu_->setObjectName("StripMenu");
  for (const Item& item : items) {
    if (!item.name) {
      menu_->addSeparator();
      continue;
    }
    QAction* action = menu_->addAction(item.caption);
    action->setObjectName(item.name);
    connect(action, &QAction::triggered, this, item.run);
  }
  connect(menu_, &QMenu::aboutToShow, this, [this] {
    menu_->findChild<QAction*>("StripPaste")->setEnabled(StripActions::CanPaste());
  });
}

QSize FrameStrip::sizeHint() const {
  return {kCell * 8, kHeight + horizontalScrollBar()->sizeHint().height() + 2 * frameWidth()};
}

int FrameStrip::Count() const { return animation_ ? animation_->Frames.Count() : 0; }

std::vector<FramePtr> FrameStrip::SelectedFrames() const {
  std::vector<FramePtr> frames;
  if (animation_)
    for (const FramePtr& frame : animation_->Frames)
      if (selected_.count(frame.get())) frames.push_back(frame);
  return frames;
}

std::vector<bool> FrameStrip::SelectedMarks() const {
  std::vector<bool> marks;
  if (animation_)
    for (const FramePtr& frame : animation_->Frames) marks.push_back(selected_.count(frame.get()) > 0);
  return marks;
}

void FrameStrip::SelectAll() {
  if (!animation_) return;
  for (const FramePtr& frame : animation_->Frames) selected_.insert(frame.get());
  viewport()->update();
}

void FrameStrip::SelectFrames(const std::vector<FramePtr>& frames) {
  if (frames.empty()) return;
  selected_.clear();
  for (const FramePtr& frame : frames) selected_.insert(frame.get());
  anchor_ = frames.front();
  viewport()->update();
}

QRect FrameStrip::CellRect(int row, int index) const {
  // The frames scroll; the subframes of the shown frame stay at the left.
  const int left = kMargin + index * kCell - (row == 0 ? horizontalScrollBar()->value() : 0);
  return {left, row == 0 ? kMargin : kSubframesTop, kCell, kRow};
}

int FrameStrip::FrameAt(QPoint at) const {
  if (at.y() < kMargin || at.y() >= kMargin + kRow) return -1;
  const int x = at.x() - kMargin + horizontalScrollBar()->value();
  const int index = x >= 0 ? x / kCell : -1;
  return index < Count() ? index : -1;
}

int FrameStrip::SubframeAt(QPoint at) const {
  const FramePtr shown = animation_ ? animation_->Frames.Item(doc_.State().CurrentFrame) : nullptr;
  if (!shown || at.y() < kSubframesTop || at.y() >= kSubframesTop + kRow || at.x() < kMargin) return -1;
  const int index = (at.x() - kMargin) / kCell;
  return index < shown->Subframes.Count() ? index : -1;
}

int FrameStrip::GapAt(QPoint at) const {
  const int x = at.x() - kMargin + horizontalScrollBar()->value();
  return std::clamp((x + kCell / 2) / kCell, 0, Count());
}

void FrameStrip::UpdateRange() {
  QScrollBar* bar = horizontalScrollBar();
  bar->setRange(0, std::max(0, 2 * kMargin + Count() * kCell - viewport()->width()));
  bar->setPageStep(std::max(kCell, viewport()->width()));
}

void FrameStrip::ScrollToShow(int index) {
  if (index < 0) return;
  QScrollBar* bar = horizontalScrollBar();
  const int left = index * kCell, right = left + kCell + 2 * kMargin;
  if (left < bar->value()) bar->setValue(left);
  if (right > bar->value() + viewport()->width()) bar->setValue(right - viewport()->width());
}

void FrameStrip::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateRange();
}

void FrameStrip::Follow() {
  const EditorState& st = doc_.State();
  if (st.CurrentAnimation != animation_) {
    animation_ = st.CurrentAnimation;
    selected_.clear();
    anchor_.reset();
    UpdateRange();
    horizontalScrollBar()->setValue(0);
  }
  const FramePtr shown = animation_ ? animation_->Frames.Item(st.CurrentFrame) : nullptr;
  if (!shown) {
    selected_.clear();
  } else if (!selected_.count(shown.get())) {
    selected_ = {shown.get()};
    anchor_ = shown;
  }
  UpdateRange();
  ScrollToShow(st.CurrentFrame - 1);
  viewport()->update();
}

void FrameStrip::FramesChanged(const AnimationPtr& animation) {
  if (animation != animation_) return;
  // Frames that left the animation leave the selection; the thumbnails of
  // frames made of subframes may show other subframes now.
  std::unordered_set<const classGAFFrame*> kept;
  for (const FramePtr& frame : animation_->Frames) {
    if (selected_.count(frame.get())) kept.insert(frame.get());
    if (!frame->Subframes.IsEmpty()) thumbnails_.erase(frame.get());
  }
  selected_ = std::move(kept);
  if (anchor_ && !selected_.count(anchor_.get())) anchor_.reset();
  UpdateRange();
  viewport()->update();
}

void FrameStrip::ImagesChanged(const std::vector<FramePtr>& images) {
  std::unordered_set<const classGAFFrame*> changed;
  for (const FramePtr& image : images) changed.insert(image.get());
  // A kept thumbnail is made again when its image, or one of its subframes,
  // changed.
  for (auto it = thumbnails_.begin(); it != thumbnails_.end();) {
    const FramePtr image = it->second.image.lock();
    bool stale = !image || changed.count(it->first);
    if (image && !stale)
      for (const FramePtr& sub : image->Subframes) stale = stale || changed.count(sub.get());
    it = stale ? thumbnails_.erase(it) : std::next(it);
  }
  viewport()->update();
}

const QImage& FrameStrip::Picture(const FramePtr& image) {
  // Made on the screen's device pixels, so that a scaled screen shows every
  // thumbnail pixel as whole ones; made again on a screen of another scale.
  const double ratio = devicePixelRatioF();
  auto found = thumbnails_.find(image.get());
  if (found != thumbnails_.end() && found->second.image.lock() == image && found->second.ratio == ratio)
    return found->second.picture;
  if (thumbnails_.size() >= kMostThumbnails) thumbnails_.clear();
  Thumbnail& made = thumbnails_[image.get()];
  made.image = image;
  made.ratio = ratio;
  made.picture = CheckeredThumbnail(*image, kThumbnail, ratio);
  return made.picture;
}

void FrameStrip::DrawCell(QPainter& painter, const QRect& cell, const FramePtr& image, int number, bool shown,
                          bool selected) {
  const QPalette& colours = palette();
  const QRect inner = cell.adjusted(1, 1, -1, -1);
  if (selected) painter.fillRect(inner, colours.color(QPalette::Highlight).lighter(160));
  const QImage& picture = Picture(image);
  const QRect box(cell.left() + (kCell - kThumbnail) / 2, cell.top() + 3, kThumbnail, kThumbnail);
  if (!picture.isNull()) {
    const QSizeF size = picture.deviceIndependentSize();
    const QPointF corner(box.left() + (kThumbnail - size.width()) / 2, box.top() + (kThumbnail - size.height()) / 2);
    painter.drawImage(corner, picture);
  }
  painter.setPen(colours.color(QPalette::Text));
  painter.drawText(QRect(cell.left(), box.bottom() + 1, kCell, cell.bottom() - box.bottom()), Qt::AlignCenter,
                   QString::number(number));
  if (shown) {
    painter.setPen(QPen(colours.color(QPalette::Highlight), 2));
    painter.drawRect(cell.adjusted(1, 1, -1, -1));
  }
}

void FrameStrip::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), palette().color(QPalette::Base));
  if (!animation_) return;
  const EditorState& st = doc_.State();
  const int scroll = horizontalScrollBar()->value();
  const int first = std::max(0, (scroll - kMargin) / kCell);
  const int last = std::min(Count() - 1, (scroll + viewport()->width()) / kCell);
  for (int i = first; i <= last; ++i) {
    const FramePtr frame = animation_->Frames.Item(i + 1);
    DrawCell(painter, CellRect(0, i), frame, i + 1, i + 1 == st.CurrentFrame, selected_.count(frame.get()) > 0);
  }
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawLine(0, kSubframesTop - 3, viewport()->width(), kSubframesTop - 3);
  const FramePtr shown = animation_->Frames.Item(st.CurrentFrame);
  for (int i = 0; shown && i < shown->Subframes.Count(); ++i)
    DrawCell(painter, CellRect(1, i), shown->Subframes.Item(i + 1), i + 1, i + 1 == st.CurrentSubframe, false);
  if (shown && shown->Subframes.IsEmpty())
    painter.drawText(CellRect(1, 0).adjusted(4, 0, 400, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     QString("Frame %1 has no subframes").arg(st.CurrentFrame));
  if (dragging_ && gap_ >= 0) {
    const int x = kMargin + gap_ * kCell - scroll;
    painter.fillRect(x - 1, kMargin, 3, kRow, palette().color(QPalette::Highlight));
  }
}

void FrameStrip::Show(int index) {
  // The shown frame keeps its shown subframe.
  if (index + 1 != doc_.State().CurrentFrame) doc_.Select({animation_, index + 1, 0});
}

void FrameStrip::Click(int index, Qt::KeyboardModifiers modifiers) {
  const FramePtr frame = animation_ ? animation_->Frames.Item(index + 1) : nullptr;
  if (!frame) return;
  const std::vector<FramePtr>& frames = animation_->Frames.Items();
  const auto anchor = anchor_ ? std::find(frames.begin(), frames.end(), anchor_) : frames.end();
  if ((modifiers & Qt::ShiftModifier) && anchor != frames.end()) {
    // From the anchor to the frame clicked; with Ctrl added to the selection.
    if (!(modifiers & Qt::ControlModifier)) selected_.clear();
    const int from = static_cast<int>(anchor - frames.begin());
    for (int i = std::min(from, index); i <= std::max(from, index); ++i) selected_.insert(frames[size_t(i)].get());
  } else if (modifiers & Qt::ControlModifier) {
    anchor_ = frame;
    if (selected_.count(frame.get()) && selected_.size() > 1) {
      selected_.erase(frame.get());
      // The shown frame stays one of the selected.
      if (frame == animation_->Frames.Item(doc_.State().CurrentFrame)) {
        const std::vector<FramePtr> left = SelectedFrames();
        Show(static_cast<int>(std::find(frames.begin(), frames.end(), left.front()) - frames.begin()));
      }
      viewport()->update();
      return;
    }
    selected_.insert(frame.get());
  } else {
    selected_ = {frame.get()};
    anchor_ = frame;
  }
  Show(index);
  viewport()->update();
}

void FrameStrip::mousePressEvent(QMouseEvent* event) {
  setFocus(Qt::MouseFocusReason);
  const QPoint at = event->position().toPoint();
  const int frame = FrameAt(at);
  pressed_ = -1;
  if (frame >= 0) {
    const bool selected = selected_.count(animation_->Frames.Item(frame + 1).get()) > 0;
    if (event->button() == Qt::RightButton) {
      if (!selected) Click(frame, Qt::NoModifier);
      return;
    }
    if (event->button() != Qt::LeftButton) return;
    // A press on one of several selected frames may start a drag of them all;
    // without a drag it selects that frame alone when the button comes up.
    if (!(selected && selected_.size() > 1 && event->modifiers() == Qt::NoModifier)) Click(frame, event->modifiers());
    if (selected_.count(animation_->Frames.Item(frame + 1).get())) pressed_ = frame;
    pressAt_ = at;
    return;
  }
  const int sub = SubframeAt(at);
  if (sub >= 0 && event->button() == Qt::LeftButton) doc_.Select({animation_, doc_.State().CurrentFrame, sub + 1});
}

void FrameStrip::mouseMoveEvent(QMouseEvent* event) {
  if (pressed_ < 0 || !(event->buttons() & Qt::LeftButton)) return;
  const QPoint at = event->position().toPoint();
  if (!dragging_ && (at - pressAt_).manhattanLength() < QApplication::startDragDistance()) return;
  dragging_ = true;
  // Near an end, the strip scrolls on.
  QScrollBar* bar = horizontalScrollBar();
  if (at.x() < kCell / 2) bar->setValue(bar->value() - kCell / 2);
  if (at.x() > viewport()->width() - kCell / 2) bar->setValue(bar->value() + kCell / 2);
  gap_ = GapAt(at);
  viewport()->update();
}

void FrameStrip::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const int pressed = std::exchange(pressed_, -1);
  if (std::exchange(dragging_, false)) {
    const int gap = std::exchange(gap_, -1);
    SelectFrames(actions_.Move(SelectedMarks(), static_cast<size_t>(gap)));
    viewport()->update();
    return;
  }
  if (pressed >= 0 && event->modifiers() == Qt::NoModifier && selected_.size() > 1) Click(pressed, Qt::NoModifier);
}

bool FrameStrip::event(QEvent* event) {
  // The strip's keys act on the strip, not on the window's shortcuts (Delete
  // removes the selected frames here, not the sequence).
  if (event->type() == QEvent::ShortcutOverride && IsStripKey(static_cast<QKeyEvent*>(event))) {
    event->accept();
    return true;
  }
  return QAbstractScrollArea::event(event);
}

void FrameStrip::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && dragging_) {
    // The drag is given up; the frames stay where they are.
    dragging_ = false;
    pressed_ = gap_ = -1;
    viewport()->update();
    return;
  }
  if (!IsStripKey(event) || !animation_) return QAbstractScrollArea::keyPressEvent(event);
  if (event->matches(QKeySequence::SelectAll)) return SelectAll();
  if (event->matches(QKeySequence::Copy)) return actions_.Copy(SelectedFrames());
  if (event->matches(QKeySequence::Cut)) {
    const std::vector<FramePtr> frames = SelectedFrames();
    actions_.Copy(frames);
    return actions_.Remove(frames);
  }
  if (event->matches(QKeySequence::Paste)) return SelectFrames(actions_.Paste());
  if (event->key() == Qt::Key_Delete) return actions_.Remove(SelectedFrames());
  const int shown = doc_.State().CurrentFrame - 1, last = Count() - 1;
  int to = shown;
  if (event->key() == Qt::Key_Left) to = shown - 1;
  if (event->key() == Qt::Key_Right) to = shown + 1;
  if (event->key() == Qt::Key_Home) to = 0;
  if (event->key() == Qt::Key_End) to = last;
  if (to >= 0 && to <= last && to != shown) Click(to, event->modifiers() & Qt::ShiftModifier);
}

void FrameStrip::contextMenuEvent(QContextMenuEvent* event) {
  if (animation_) menu_->exec(event->globalPos());
}

void FrameStrip::wheelEvent(QWheelEvent* event) {
  // The wheel scrolls along the strip, a cell a notch.
  const QPoint turn = event->angleDelta();
  const int notches = (turn.x() != 0 ? turn.x() : turn.y()) / 120;
  horizontalScrollBar()->setValue(horizontalScrollBar()->value() - notches * kCell);
  event->accept();
}

}  // namespace quilmark
