#include "display/qt/FrmPreview.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QShowEvent>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "display/FrameDisplay.h"
#include "document/Interfaces.h"

namespace quilmark {

PreviewCanvas::PreviewCanvas(QWidget* parent) : ZoomedView(parent) {
  // The preview is never reduced.
  SetLeastZoomPercent(100);
  setAttribute(Qt::WA_OpaquePaintEvent);
  connect(this, &ZoomedView::ZoomChanged, this, [this] { update(); });
}

void PreviewCanvas::Prepare(int width, int height, const Palette& palette, QRgb colour) {
  for (int i = 0; i < 256; ++i) colours_[i] = PaletteColour(palette, i);
  picture_ = QImage(std::max(1, width), std::max(1, height), QImage::Format_RGB32);
  picture_.fill(colour);
  background_ = colour;
  update();
}

void PreviewCanvas::PutSurface(const classFastWin& surface, int32_t destLeft, int32_t destTop, int32_t destWidth,
                               int32_t destHeight, int32_t srcLeft, int32_t srcTop, int32_t, int32_t, bool) {
  if (!surface.addrBits || picture_.isNull()) return;
  // The part that lies inside both the surface and the picture.
  const int32_t rows = std::abs(surface.BmpHeight);
  int32_t w = destWidth, h = destHeight;
  if (destLeft < 0 || destTop < 0 || srcLeft < 0 || srcTop < 0) return;
  w = std::min({w, picture_.width() - destLeft, surface.BmpWidth - srcLeft});
  h = std::min({h, picture_.height() - destTop, rows - srcTop});
  if (w <= 0 || h <= 0) return;
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* from = surface.addrBits + static_cast<size_t>(srcTop + y) * surface.BmpWidth + srcLeft;
    auto* to = reinterpret_cast<QRgb*>(picture_.scanLine(destTop + y)) + destLeft;
    for (int32_t x = 0; x < w; ++x) to[x] = colours_[from[x]];
  }
  if (Times() == 1) {
    update(ViewRect(QRect(destLeft, destTop, w, h)));
  } else {
    update();
  }
}

int PreviewCanvas::Times() const {
  // At 1x the window is the surface's size, and the surface is to fit it.
  if (Zoom() == 1) return std::max(1, static_cast<int>(std::floor(devicePixelRatioF())));
  return DeviceZoom();
}

void PreviewCanvas::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  // A window made larger than the surface shows the blank colour beyond it.
  painter.fillRect(event->rect(), QColor(background_));
  if (picture_.isNull()) return;
  // Each pixel a whole square of device pixels, never blended.
  const int times = Times();
  if (times == 1) {
    const QRect part = DeviceRect(event->rect()) & picture_.rect();
    DrawOnDevicePixels(painter, picture_, part, part);
    return;
  }
  // Enlarged, the surface's centre on the box's centre; at 1x in its corner.
  const QSize scaled = picture_.size() * times;
  const QSize box = DeviceSize();
  const QPoint corner = Zoom() == 1 ? QPoint(0, 0)
                                    : QPoint(box.width() / 2 - picture_.width() / 2 * times,
                                             box.height() / 2 - picture_.height() / 2 * times);
  painter.setClipRect(event->rect());
  DrawOnDevicePixels(painter, picture_, QRect(corner, scaled), picture_.rect());
}

int32_t FrmPreview::SurfaceSide(int32_t largest) { return (largest + 96) / 4 * 4; }

FrmPreview::FrmPreview(AnimationPtr animation, QWidget* owner, MessageSink* messages)
    : QWidget(owner, Qt::Tool), PreviewAnimation(std::move(animation)), messages_(messages) {
  setObjectName("FrmPreview");
  setAttribute(Qt::WA_DeleteOnClose);
  Canvas = new PreviewCanvas(this);
  Canvas->setObjectName("Canvas");
  TmrAnimate = new QTimer(this);
  TmrAnimate->setObjectName("TmrAnimate");
  TmrAnimate->setInterval(100);
  connect(TmrAnimate, &QTimer::timeout, this, [this] { TmrAnimate_Timer(); });
  connect(Canvas, &ZoomedView::ZoomChanged, this, [this] { setWindowTitle(Caption()); });
}

QString FrmPreview::Caption() const {
  const std::string name = PreviewAnimation ? PreviewAnimation->Name : std::string();
  QString caption = QString("Preview - '") + QString::fromLatin1(name.c_str()) + "'";
  if (Canvas->Zoom() != 1) caption += " (" + Canvas->ZoomText() + ")";
  return caption;
}

FrmPreview::~FrmPreview() {
  if (PreviewSurface.hBitmap != 0) PreviewSurface.Free();
}

QPointer<FrmPreview> FrmPreview::Open(AnimationPtr animation, QWidget* owner, MessageSink* messages) {
  QPointer<FrmPreview> window = new FrmPreview(std::move(animation), owner, messages);
  if (!window->Form_Load()) return nullptr;
  return window;
}

bool FrmPreview::Form_Load() {
  if (!PreviewAnimation) PreviewAnimation = std::make_shared<classGAFAnimation>();
  setWindowTitle(Caption());
  PreviewWidth = SurfaceSide(PreviewAnimation->GetMaxWidth());
  PreviewHeight = SurfaceSide(PreviewAnimation->GetMaxHeight());
  if (!PreviewSurface.Initialize(PreviewWidth, PreviewHeight, reinterpret_cast<WindowHandle>(Canvas))) {
    const char* text =
        "The memory for the graphics window could not be allocated.  Try clearing up memory, hard drive space, or "
        "rebooting.";
    if (messages_) {
      messages_->ShowMessage(text);
    } else {
      QMessageBox::information(parentWidget(), "Quilmark", text, QMessageBox::Ok);
    }
    close();
    return false;
  }
  PreviewBackground.assign(static_cast<size_t>(PreviewWidth) * static_cast<size_t>(PreviewHeight), 255);
  FitOuterSize();
  Form_Resize();
  Canvas->Prepare(PreviewWidth, PreviewHeight, PreviewSurface.ColourTable(),
                  PaletteColour(PreviewSurface.ColourTable(), 255));
  PreviewFrame = 1;
  TmrAnimate->start();
  // Shown only now, so that it appears at its size.
  show();
  QCoreApplication::processEvents();
  return true;
}

bool FrmPreview::TmrAnimate_Timer() {
  const FramePtr frame = PreviewAnimation->Frames.Item(PreviewFrame);
  if (!frame || !PreviewSurface.addrBits) {
    TmrAnimate->stop();
    close();
    return false;
  }
  PreviewSurface.TileDraw(0, 0, PreviewWidth, PreviewHeight, PreviewBackground, 0);
  DrawImage(*frame, PreviewSurface, PreviewWidth / 2, PreviewHeight / 2);
  PreviewSurface.Show(*Canvas, 0, 0, PreviewWidth, PreviewHeight, 0, 0, 1, 1, false);
  // The canvas keeps what it was shown as its picture.
  ++PreviewFrame;
  if (PreviewFrame > PreviewAnimation->Frames.Count()) PreviewFrame = 1;
  return true;
}

void FrmPreview::Form_Resize() { Canvas->setGeometry(0, 0, width(), height()); }

void FrmPreview::FitOuterSize() {
  if (PreviewWidth <= 0 || PreviewHeight <= 0) return;
  // The user's size, once given, is kept.
  if (fitted_ && size() != fittedClient_) return;
  // Until the window manager has framed this window, the frame of the owner's
  // window is the best guess of its own.
  QMargins margins;
  if (QWindow* own = windowHandle(); own && own->isExposed()) {
    margins = own->frameMargins();
  } else if (QWidget* owner = parentWidget(); owner && owner->window()->windowHandle()) {
    margins = owner->window()->windowHandle()->frameMargins();
  }
  if (fitted_ && margins == fittedMargins_) return;
  fitted_ = true;
  fittedMargins_ = margins;
  fittedClient_ = QSize(std::max(1, PreviewWidth - margins.left() - margins.right()),
                        std::max(1, PreviewHeight - margins.top() - margins.bottom()));
  resize(fittedClient_);
}

bool FrmPreview::event(QEvent* event) {
  // The owner's zoom keys stay live while this window is active; here they
  // zoom this window's canvas.
  if (HandleZoomKey(event, Canvas)) return true;
  return QWidget::event(event);
}

bool FrmPreview::eventFilter(QObject* watched, QEvent* event) {
  // The frame's margins are sure once the window is exposed.
  if (watched == windowHandle() && event->type() == QEvent::Expose) FitOuterSize();
  return QWidget::eventFilter(watched, event);
}

void FrmPreview::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (QWindow* own = windowHandle()) own->installEventFilter(this);
}

void FrmPreview::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  FitOuterSize();
}

void FrmPreview::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FitOuterSize();
  Form_Resize();
}

void FrmPreview::closeEvent(QCloseEvent* event) {
  TmrAnimate->stop();
  if (PreviewSurface.hBitmap != 0) PreviewSurface.Free();
  event->accept();
}

}  // namespace quilmark
