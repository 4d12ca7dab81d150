#include "editor/FramePane.h"

#include <QSignalBlocker>
#include <algorithm>

#include "editor/EditorSupport.h"

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
  // A slider's position changes from the user arrive here; positions set
  // while displaying are set with signals blocked.
  connect(frames_, &QSlider::valueChanged, this, &FramePane::FramesSlid);
  connect(subframes_, &QSlider::valueChanged, this, &FramePane::SubframesSlid);
  picture_ = new FrameView(this);
  picture_->setObjectName("PicFrame");
  // A click on the picture or the pane takes the focus, so that a number
  // typed into a box is applied as the box is left.
  setFocusPolicy(Qt::ClickFocus);
  picture_->setFocusPolicy(Qt::ClickFocus);

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
  Place(frames_, layout.ScrollFrames);
  Place(picture_, layout.PicFrame);
  Place(subframeButton_, layout.CmdSubframe);
  Place(subframes_, layout.ScrollSubframes);
}

void FramePane::ShowSelection() {
  if (!graphicsReady_) return;
  EditorState& st = doc_.State();
  const Selection place = doc_.Selected();
  classGAFAnimation& animation = *place.animation;
  const int32_t count = animation.Frames.Count();
  DisplayAnimation(animation, *this, st, std::clamp(place.frame, 1, std::max(count, 1)));
  if (place.subframe <= 0) return;
  if (FramePtr frame = animation.Frames.Item(st.CurrentFrame))
    if (FramePtr sub = frame->Subframes.Item(place.subframe)) {
      st.CurrentSubframe = place.subframe;
      SetScrollSubframesValue(place.subframe);
      DisplayFrame(*sub, *this, st, true);
    }
}

void FramePane::ImagesChanged(const std::vector<FramePtr>& images) {
  if (std::any_of(images.begin(), images.end(), [this](const FramePtr& image) { return doc_.Shows(image); }))
    ShowSelection();
}

void FramePane::DisplaySelectedPicture() {
  if (graphicsReady_) DisplayPicture(*doc_.State().GetSelectedFrame(), *this, doc_.State());
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

void FramePane::SetScrollFramesEnabled(bool enabled) { frames_->setEnabled(enabled); }
void FramePane::SetScrollFramesMax(int32_t max) {
  QSignalBlocker block(frames_);
  if (max >= frames_->minimum()) frames_->setMaximum(max);
}
void FramePane::SetScrollFramesValue(int32_t value) {
  QSignalBlocker block(frames_);
  if (value >= frames_->minimum() && value <= frames_->maximum()) frames_->setValue(value);
}
void FramePane::SetScrollSubframesEnabled(bool enabled) { subframes_->setEnabled(enabled); }
void FramePane::SetScrollSubframesMax(int32_t max) {
  QSignalBlocker block(subframes_);
  if (max >= subframes_->minimum()) subframes_->setMaximum(max);
}
void FramePane::SetScrollSubframesValue(int32_t value) {
  QSignalBlocker block(subframes_);
  if (value >= subframes_->minimum() && value <= subframes_->maximum()) subframes_->setValue(value);
}

}  // namespace quilmark
