#include "editor/FramePane.h"

#include <QSignalBlocker>
#include <algorithm>

#include "display/ViewComposer.h"
#include "editor/EditorSupport.h"
#include "editor/HandMover.h"

namespace quilmark {

FramePane::FramePane(GafDocument& doc, classFastWin& surface, QMenu* frameMenu, QMenu* subframeMenu, QWidget* parent)
    : QWidget(parent), doc_(doc), surface_(surface), frameMenu_(frameMenu), subframeMenu_(subframeMenu) {
  setObjectName("PicView");
  fields_ = new FrameFields(doc_, this);
  frameButton_ = new QPushButton("&Frame >", this);
  frameButton_->setObjectName("CmdFrame");
  // Alt+F belongs to the File menu: the button keeps its caption but takes no
  // access key, so one press opens the menu.
  frameButton_->setShortcut(QKeySequence());
  connect(frameButton_, &QPushButton::clicked, this, &FramePane::FrameButtonClicked);
  subframeButton_ = new QPushButton("&Subframe >", this);
  subframeButton_->setObjectName("CmdSubframe");
  connect(subframeButton_, &QPushButton::clicked, this, &FramePane::SubframeButtonClicked);
  frames_ = MakeSlider("ScrollFrames");
  subframes_ = MakeSlider("ScrollSubframes");
  frameNumber_ = new QLabel(this);
  frameNumber_->setObjectName("LblFrameNumber");
  subframeNumber_ = new QLabel(this);
  subframeNumber_->setObjectName("LblSubframeNumber");
  // A slider's position changes from the user arrive here; positions set
  // while displaying are set with signals blocked.
  connect(frames_, &QSlider::valueChanged, this, &FramePane::FramesSlid);
  connect(subframes_, &QSlider::valueChanged, this, &FramePane::SubframesSlid);
  area_ = new PictureArea(this);
  picture_ = &area_->Picture();
  connect(area_, &PictureArea::Scrolled, this, &FramePane::DisplaySelectedPicture);
  connect(area_, &PictureArea::Hovered, this, &FramePane::Hover);
  new HandMover(doc_, *area_, this);
  // A new zoom draws the picture again, the pixel under the zoom's anchor kept
  // there; the zoom lasts for the run, whatever is opened.
  connect(picture_, &ZoomedView::ZoomChanged, this, &FramePane::KeepAnchor);
  // On a screen of another scale the picture is drawn again in its pixels,
  // scrolled to show what it showed.
  connect(picture_, &ZoomedView::ScaleChanged, this, [this](double previous) {
    area_->SetScroll((QPointF(area_->Scroll()) * (picture_->devicePixelRatioF() / previous)).toPoint());
    DisplaySelectedPicture();
  });
  // A click on the picture or the pane takes the focus, so that a number
  // typed into a box is applied as the box is left.
  setFocusPolicy(Qt::ClickFocus);
  picture_->setFocusPolicy(Qt::ClickFocus);
  area_->setFocusPolicy(Qt::ClickFocus);

  connect(&doc_, &GafDocument::documentReset, this, &FramePane::ShowSelection);
  connect(&doc_, &GafDocument::selectionChanged, this, &FramePane::ShowSelection);
  connect(&doc_, &GafDocument::animationChanged, this, [this](const AnimationPtr& animation) {
    if (animation == doc_.State().CurrentAnimation) ShowSelection();
  });
  connect(&doc_, &GafDocument::imagesChanged, this, &FramePane::ImagesChanged);
}

QSlider* FramePane::MakeSlider(const char* name) {
  auto* slider = new QSlider(Qt::Horizontal, this);
  slider->setObjectName(name);
  slider->setRange(1, 2);
  slider->setPageStep(1);
  slider->setTickPosition(QSlider::TicksBelow);
  return slider;
}

void FramePane::Layout(const MainLayout& layout) {
  Place(fields_, layout.FrameInfo);
  Place(frameButton_, layout.CmdFrame);
  // Each slider leaves room at its right for its numbers.
  const auto beside = [](TwipsRect slider, QLabel* label) {
    constexpr int32_t kNumbers = 1380;
    Place(label, {slider.Left + slider.Width - kNumbers + 60, slider.Top, kNumbers - 60, 255});
    slider.Width -= kNumbers;
    return slider;
  };
  Place(frames_, beside(layout.ScrollFrames, frameNumber_));
  Place(area_, layout.PicFrame);
  Place(subframeButton_, layout.CmdSubframe);
  Place(subframes_, beside(layout.ScrollSubframes, subframeNumber_));
}

void FramePane::ShowSelection() {
  if (!graphicsReady_) return;
  EditorState& st = doc_.State();
  const Selection place = doc_.Selected();
  classGAFAnimation& animation = *place.animation;
  const int32_t count = animation.Frames.Count();
  DisplayAnimation(animation, *this, st, std::clamp(place.frame, 1, std::max(count, 1)));
  if (place.subframe > 0)
    if (FramePtr frame = animation.Frames.Item(st.CurrentFrame))
      if (FramePtr sub = frame->Subframes.Item(place.subframe)) {
        st.CurrentSubframe = place.subframe;
        SetScrollSubframesValue(place.subframe);
        DisplayFrame(*sub, *this, st, true);
      }
  ShowNumbers();
}

void FramePane::ShowNumbers() {
  const EditorState& st = doc_.State();
  const int32_t frames = st.CurrentAnimation->Frames.Count();
  const FramePtr frame = st.CurrentAnimation->Frames.Item(st.CurrentFrame);
  const int32_t subframes = frame ? frame->Subframes.Count() : 0;
  frameNumber_->setText(frame ? QString("Frame %1 of %2").arg(st.CurrentFrame).arg(frames) : QString());
  subframeNumber_->setText(subframes > 0 ? QString("Subframe %1 of %2").arg(st.CurrentSubframe).arg(subframes)
                                         : QString());
}

void FramePane::Hover(QPoint at) {
  const FramePtr image = doc_.State().GetSelectedFrame();
  if (at.x() < 0 || !doc_.Shows(image)) return emit PointerInfo({});
  const int32_t zoom = PictureZoom();
  const PicturePlace place =
      PicturePlacement(*image, PictureWidth(), PictureHeight(), doc_.State().CenterInView, zoom);
  // The view pixel to image pixels from the origin.
  const auto fromOrigin = [zoom](int32_t view, int32_t corner, int32_t offset) {
    return ImageOffset(view - corner, zoom) - offset;
  };
  const int32_t x = fromOrigin(at.x() + area_->Scroll().x(), place.left, image->PositionX());
  const int32_t y = fromOrigin(at.y() + area_->Scroll().y(), place.top, image->PositionY());
  const auto number = [](int32_t n) { return n < 0 ? QString::fromUtf8("\u2212%1").arg(-n) : QString::number(n); };
  QString text = QString("x %1, y %2").arg(number(x), number(y));
  const int32_t u = x + image->PositionX(), v = y + image->PositionY();
  if (u >= 0 && v >= 0 && u < image->Width() && v < image->Height()) {
    const uint8_t index = image->Pixels[static_cast<size_t>(v) * static_cast<size_t>(image->Width()) + u];
    const PaletteEntry& colour = GamePalette[index];
    text += QString(": index %1 (%2, %3, %4)").arg(index).arg(colour.Red).arg(colour.Green).arg(colour.Blue);
  }
  emit PointerInfo(text);
}

void FramePane::ImagesChanged(const std::vector<FramePtr>& images) {
  if (std::any_of(images.begin(), images.end(), [this](const FramePtr& image) { return doc_.Shows(image); }))
    ShowSelection();
}

void FramePane::DisplaySelectedPicture() {
  if (graphicsReady_) DisplayPicture(*doc_.State().GetSelectedFrame(), *this, doc_.State());
}

namespace {

// The picture's extent in a view of a given size, unscrolled: the image as
// DisplayPicture places it, and its origin.
std::function<QRect(QSize)> ExtentOf(const classGAFFrame& frame, bool center, int32_t zoom) {
  return [image = ImageGeometry::Of(frame), center, zoom](QSize view) {
    const PicturePlace place = PicturePlacement(image, view.width(), view.height(), center, zoom);
    // What the surface holds of the image is shown.
    const PictureSize size = ZoomedSize(std::min(image.width, 1024), std::min(image.height, 1024), zoom);
    const QPoint origin(place.left + static_cast<int>(int64_t{image.x} * zoom / 100),
                        place.top + static_cast<int>(int64_t{image.y} * zoom / 100));
    return QRect(place.left, place.top, size.width, size.height).united(QRect(origin, QSize(1, 1)));
  };
}

}  // namespace

void FramePane::PrepareFor(const classGAFFrame& image) {
  prepared_ = &image;
  area_->Fit(ExtentOf(image, doc_.State().CenterInView, PictureZoom()));
}

namespace {

// Under the shown image: the reference frame, then the onion skin's frames,
// farthest first, each drawn whole (a frame with subframes as all of them).
ViewLayers LayersFor(const EditorState& st, const classGAFFrame& shown) {
  const EditorState::ViewOptions& options = st.View;
  ViewLayers layers;
  layers.origin = options.ShowOrigin;
  layers.grid = options.PixelGrid;
  layers.checkerboard = options.Checkerboard;
  layers.composed = options.ComposedFrame;
  layers.highlight = options.HighlightIndex;
  const auto add = [&layers](const FramePtr& frame, uint32_t tint, int32_t opacity) {
    if (frame->Subframes.IsEmpty()) return layers.under.push_back({frame.get(), tint, opacity});
    for (const FramePtr& sub : frame->Subframes)
      if (sub) layers.under.push_back({sub.get(), tint, opacity});
  };
  if (options.Reference && options.Reference.get() != &shown) add(options.Reference, 0x40c060, options.OnionOpacity);
  if (!options.OnionSkin) return layers;
  const auto& frames = st.CurrentAnimation->Frames;
  const int32_t reach = std::max(options.OnionBefore, options.OnionAfter);
  for (int32_t d = reach; d >= 1; --d) {
    // Nearer frames show stronger.
    const auto opacity = [&](int32_t count) { return options.OnionOpacity * (count - d + 1) / count; };
    if (d <= options.OnionBefore)
      if (FramePtr before = frames.Item(st.CurrentFrame - d)) add(before, 0xff4040, opacity(options.OnionBefore));
    if (d <= options.OnionAfter)
      if (FramePtr after = frames.Item(st.CurrentFrame + d)) add(after, 0x4080ff, opacity(options.OnionAfter));
  }
  return layers;
}

}  // namespace

bool FramePane::Composing() const { return doc_.State().View.AddsToPicture(); }

void FramePane::ClearPicture() {
  if (!Composing() || !prepared_) picture_->ClearPicture();
}

SurfaceScreen& FramePane::PictureScreen() {
  // A screen that takes nothing.
  static struct : SurfaceScreen {
    void PutSurface(const classFastWin&, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                    bool) override {}
  } nowhere;
  if (Composing() && prepared_) return nowhere;
  return *picture_;
}

void FramePane::KeepPicture() {
  const EditorState& st = doc_.State();
  if (Composing() && prepared_) {
    QImage& picture = picture_->PictureToDraw();
    const int32_t zoom = PictureZoom();
    const PicturePlace place = PicturePlacement(*prepared_, picture.width(), picture.height(), st.CenterInView, zoom);
    // The origin, from where the image was placed.
    const ViewFrame view{picture.width(), picture.height(), zoom,
                         place.left - area_->Scroll().x() + ZoomedOffset(prepared_->PositionX(), zoom),
                         place.top - area_->Scroll().y() + ZoomedOffset(prepared_->PositionY(), zoom)};
    // Composed, a subframe stands for its frame's subframes together.
    const FramePtr frame = st.CurrentAnimation->Frames.Item(st.CurrentFrame);
    const bool whole = st.View.ComposedFrame && frame && frame->Subframes.IndexOf(prepared_) != 0;
    const classGAFFrame& shown = whole ? *frame : *prepared_;
    ComposeView(reinterpret_cast<uint32_t*>(picture.bits()), static_cast<int32_t>(picture.bytesPerLine() / 4), view,
                GamePalette, picture_->Background().rgb(), shown, LayersFor(st, shown));
  }
  prepared_ = nullptr;
  picture_->update();
}

void FramePane::KeepAnchor() {
  const FramePtr image = doc_.State().GetSelectedFrame();
  const bool center = doc_.State().CenterInView;
  const QPoint scroll = area_->Scroll(), anchor = picture_->DevicePoint(picture_->ZoomAnchor());
  const double ratio = picture_->devicePixelRatioF();
  const int was = DeviceZoom(picture_->PreviousZoomPercent(), ratio), now = PictureZoom();
  const QSize before = picture_->DeviceSize();
  const PicturePlace from = PicturePlacement(*image, before.width(), before.height(), center, was);
  PrepareFor(*image);
  const QSize after = picture_->DeviceSize();
  const PicturePlace to = PicturePlacement(*image, after.width(), after.height(), center, now);
  // A view never scrolled zooms about its centre as it always did.
  const bool centred = picture_->ZoomAnchor() == QPoint(picture_->width() / 2, picture_->height() / 2);
  if (!(centred && scroll.isNull())) {
    // The image point under the anchor, in image pixels, comes under it again.
    const double u = (anchor.x() + scroll.x() - from.left) * 100.0 / was;
    const double v = (anchor.y() + scroll.y() - from.top) * 100.0 / was;
    area_->SetScroll(QPoint(static_cast<int>(std::floor(to.left + u * now / 100.0 - anchor.x())),
                            static_cast<int>(std::floor(to.top + v * now / 100.0 - anchor.y()))));
  }
  DisplaySelectedPicture();
}

void FramePane::ZoomToFit() {
  const FramePtr image = doc_.State().GetSelectedFrame();
  const int32_t width = std::min(image->Width(), 1024), height = std::min(image->Height(), 1024);
  const double ratio = picture_->devicePixelRatioF();
  const QSize room = area_->size() * ratio;
  int32_t fit = kMinZoom;
  for (int32_t zoom = kMinZoom; zoom <= kMaxZoom; zoom = StepZoom(zoom, 1)) {
    const PictureSize size = ZoomedSize(width, height, DeviceZoom(zoom, ratio));
    if (size.width <= room.width() && size.height <= room.height()) fit = zoom;
    if (zoom == kMaxZoom) break;
  }
  picture_->SetZoomPercent(fit);
  // The image in the middle of the view.
  PrepareFor(*image);
  const QSize view = picture_->DeviceSize();
  const PicturePlace place = PicturePlacement(*image, view.width(), view.height(), doc_.State().CenterInView,
                                              PictureZoom());
  const PictureSize size = ZoomedSize(width, height, PictureZoom());
  area_->SetScroll(QPoint(place.left + size.width / 2 - view.width() / 2,
                          place.top + size.height / 2 - view.height() / 2));
  DisplaySelectedPicture();
}

void FramePane::FramesSlid(int value) {
  fields_->ApplyPendingEdits();
  doc_.Select({doc_.State().CurrentAnimation, value, 0});
}

void FramePane::SubframesSlid(int value) {
  fields_->ApplyPendingEdits();
  doc_.Select({doc_.State().CurrentAnimation, doc_.State().CurrentFrame, value});
}

void FramePane::FrameButtonClicked() {
  fields_->ApplyPendingEdits();
  frameMenu_->popup(frameButton_->mapToGlobal(QPoint(frameButton_->width(), 0)));
}

void FramePane::SubframeButtonClicked() {
  fields_->ApplyPendingEdits();
  subframeMenu_->popup(subframeButton_->mapToGlobal(QPoint(subframeButton_->width(), 0)));
}

namespace {
// A slider's range or position set for the display: its own change handling
// stays quiet, and a position outside the range is refused.
void SetMaxQuietly(QSlider* slider, int32_t max) {
  QSignalBlocker block(slider);
  if (max >= slider->minimum()) slider->setMaximum(max);
}
void SetValueQuietly(QSlider* slider, int32_t value) {
  QSignalBlocker block(slider);
  if (value >= slider->minimum() && value <= slider->maximum()) slider->setValue(value);
}
}  // namespace

void FramePane::SetScrollFramesEnabled(bool enabled) { frames_->setEnabled(enabled); }
void FramePane::SetScrollFramesMax(int32_t max) { SetMaxQuietly(frames_, max); }
void FramePane::SetScrollFramesValue(int32_t value) { SetValueQuietly(frames_, value); }
void FramePane::SetScrollSubframesEnabled(bool enabled) { subframes_->setEnabled(enabled); }
void FramePane::SetScrollSubframesMax(int32_t max) { SetMaxQuietly(subframes_, max); }
void FramePane::SetScrollSubframesValue(int32_t value) { SetValueQuietly(subframes_, value); }

}  // namespace quilmark
