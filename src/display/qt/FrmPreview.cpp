#include "display/qt/FrmPreview.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMessageBox>
#include <QResizeEvent>

#include "display/FrameDisplay.h"
#include "document/Interfaces.h"

namespace quilmark {

int32_t FrmPreview::SurfaceSide(int32_t largest) { return (largest + 96) / 4 * 4; }

FrmPreview::FrmPreview(AnimationPtr animation, QWidget* owner, MessageSink* messages)
    : QWidget(owner, Qt::Window), PreviewAnimation(std::move(animation)), messages_(messages) {
  setObjectName("FrmPreview");
  setAttribute(Qt::WA_DeleteOnClose);
  Canvas = new FrameView(this);
  Canvas->setObjectName("Canvas");
  TmrAnimate = new QTimer(this);
  TmrAnimate->setObjectName("TmrAnimate");
  TmrAnimate->setInterval(100);
  connect(TmrAnimate, &QTimer::timeout, this, [this] { TmrAnimate_Timer(); });
}

FrmPreview::~FrmPreview() {
  if (PreviewSurface.hBitmap != 0) PreviewSurface.Free();
}

QPointer<FrmPreview> FrmPreview::Open(AnimationPtr animation, QWidget* owner, MessageSink* messages) {
  QPointer<FrmPreview> window = new FrmPreview(std::move(animation), owner, messages);
  window->show();
  window->Form_Load();
  return window;
}

bool FrmPreview::Form_Load() {
  if (!PreviewAnimation) PreviewAnimation = std::make_shared<classGAFAnimation>();
  setWindowTitle(QString("Preview - '") + QString::fromLatin1(PreviewAnimation->Name.c_str()) + "'");
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
  // The whole surface shows in the client area.
  setFixedSize(PreviewWidth, PreviewHeight);
  Canvas->setGeometry(0, 0, PreviewWidth, PreviewHeight);
  Canvas->SetBackground(QColor(PaletteColour(PreviewSurface.ColourTable(), 255)));
  PreviewFrame = 1;
  TmrAnimate->start();
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
  // FrameView keeps what it was shown as its picture.
  ++PreviewFrame;
  if (PreviewFrame > PreviewAnimation->Frames.Count()) PreviewFrame = 1;
  return true;
}

void FrmPreview::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Canvas->setGeometry(0, 0, width(), height());
}

void FrmPreview::closeEvent(QCloseEvent* event) {
  TmrAnimate->stop();
  if (PreviewSurface.hBitmap != 0) PreviewSurface.Free();
  event->accept();
}

}  // namespace quilmark
