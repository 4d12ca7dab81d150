#include "editor/PaletteView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>

#include "images/GamePalette.h"

namespace quilmark {

PaletteGrid::PaletteGrid(QWidget* parent) : QWidget(parent) {
  setObjectName("PaletteGrid");
  setMouseTracking(true);
  setMinimumSize(16 * 8 + 1, 16 * 8 + 1);
}

int PaletteGrid::Cell() const { return std::max(1, (std::min(width(), height()) - 1) / 16); }

int PaletteGrid::IndexAt(QPoint at) const {
  const int cell = Cell(), column = at.x() / cell, row = at.y() / cell;
  if (at.x() < 0 || at.y() < 0 || column >= 16 || row >= 16) return -1;
  return row * 16 + column;
}

void PaletteGrid::SetPicked(int index) {
  picked_ = index;
  update();
}

void PaletteGrid::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const int cell = Cell();
  for (int i = 0; i < 256; ++i) {
    const QRect box(i % 16 * cell, i / 16 * cell, cell, cell);
    const PaletteEntry& e = GamePalette[static_cast<size_t>(i)];
    painter.fillRect(box, QColor(e.Red, e.Green, e.Blue));
    if (i == TransparentIndex) {
      // Transparent: crossed out.
      painter.setPen(Qt::black);
      painter.drawLine(box.topLeft(), box.bottomRight());
      painter.drawLine(box.topRight(), box.bottomLeft());
    }
  }
  if (picked_ >= 0) {
    painter.setPen(QPen(Qt::white, 1, Qt::DashLine));
    painter.setBackground(Qt::black);
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.drawRect(picked_ % 16 * cell, picked_ / 16 * cell, cell - 1, cell - 1);
  }
}

void PaletteGrid::mouseMoveEvent(QMouseEvent* event) { emit Hovered(IndexAt(event->position().toPoint())); }

void PaletteGrid::mousePressEvent(QMouseEvent* event) {
  const int index = IndexAt(event->position().toPoint());
  if (index >= 0 && event->button() == Qt::LeftButton) emit Picked(index == picked_ ? -1 : index);
}

void PaletteGrid::leaveEvent(QEvent*) { emit Hovered(-1); }

PaletteView::PaletteView(GafDocument& doc, QWidget* parent) : QWidget(parent), doc_(doc) {
  setObjectName("PaletteView");
  auto* layout = new QVBoxLayout(this);
  grid_ = new PaletteGrid(this);
  line_ = new QLabel(this);
  line_->setObjectName("PaletteLine");
  line_->setWordWrap(true);
  layout->addWidget(grid_, 1);
  layout->addWidget(line_);
  connect(grid_, &PaletteGrid::Hovered, this,
          [this](int index) { line_->setText(index >= 0 ? Describe(index) : picked_); });
  connect(grid_, &PaletteGrid::Picked, this, [this](int index) {
    doc_.State().View.HighlightIndex = index;
    grid_->SetPicked(index);
    Refresh();
    emit HighlightChanged(index);
  });
  for (auto news : {&GafDocument::documentReset, &GafDocument::selectionChanged, &GafDocument::animationsChanged})
    connect(&doc_, news, this, &PaletteView::Refresh);
  connect(&doc_, &GafDocument::imagesChanged, this, &PaletteView::Refresh);
  connect(&doc_, &GafDocument::animationChanged, this, &PaletteView::Refresh);
}

QString PaletteView::Describe(int index) const {
  const PaletteEntry& e = GamePalette[static_cast<size_t>(index)];
  QString text = QString("Index %1 (%2, %3, %4)").arg(index).arg(e.Red).arg(e.Green).arg(e.Blue);
  if (index == TransparentIndex) text += ", transparent";
  return text;
}

void PaletteView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Refresh();
}

void PaletteView::Refresh() {
  const int index = doc_.State().View.HighlightIndex;
  grid_->SetPicked(index);
  picked_.clear();
  // Counting goes through the animation's pixels: not while nobody sees it.
  if (index < 0 || !isVisible()) return line_->setText(picked_);
  // The pixels of an image and its subframes that hold the index.
  const auto count = [index](const FramePtr& frame) {
    const auto holds = [index](const FramePtr& image) {
      const auto& pixels = std::as_const(image->Pixels);
      return static_cast<qint64>(std::count(pixels.begin(), pixels.end(), static_cast<uint8_t>(index)));
    };
    qint64 n = holds(frame);
    for (const FramePtr& sub : frame->Subframes) n += holds(sub);
    return n;
  };
  const EditorState& st = doc_.State();
  qint64 inFrame = 0, inAnimation = 0;
  for (int32_t i = 1; i <= st.CurrentAnimation->Frames.Count(); ++i) {
    const qint64 n = count(st.CurrentAnimation->Frames.Item(i));
    inAnimation += n;
    if (i == st.CurrentFrame) inFrame = n;
  }
  picked_ =
      QString("%1: %2 pixels in the frame, %3 in the animation").arg(Describe(index)).arg(inFrame).arg(inAnimation);
  line_->setText(picked_);
}

}  // namespace quilmark
