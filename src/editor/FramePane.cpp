// The image pane: the frame and subframe sliders, the boxes and up-downs of the
// shown image's fields, and the picture. Edits are written into the document
// as they are made.
#include <QSignalBlocker>
#include <algorithm>

#include "editorcore/NumberReading.h"
#include "editor/EditorSupport.h"
#include "editor/FrmQuilmark.h"

namespace quilmark {

void FrmQuilmark::BuildFramePane() {
  PicView = new QWidget(Client);
  PicView->setObjectName("PicView");
  FrameInfo = new QGroupBox("Frame Information", PicView);
  FrameInfo->setObjectName("FrameInfo");
  QFont narrow = font();
  narrow.setPointSizeF(7);
  FrameInfo->setFont(narrow);

  auto label = [this](const char* name, const char* text, int l, int t) {
    auto* w = new QLabel(text, FrameInfo);
    w->setObjectName(name);
    Place(w, {l, t, 735, 255});
    return w;
  };
  auto box = [this](const char* name, int t, bool readOnly) {
    auto* w = new QLineEdit("0", FrameInfo);
    w->setObjectName(name);
    Place(w, {960, t, 795, 315});
    if (readOnly) {
      w->setReadOnly(true);
      QPalette p = w->palette();
      p.setColor(QPalette::Base, p.color(QPalette::Button));
      w->setPalette(p);
    } else {
      w->installEventFilter(this);
    }
    return w;
  };
  auto updown = [this](const char* name, int t, int min, int max, int step) {
    auto* w = new UpDown(FrameInfo);
    w->setObjectName(name);
    Place(w, {1800, t, 240, 315});
    w->SetRange(min, max);
    w->SetIncrement(step);
    return w;
  };
  Label1 = label("Label1", "Width", 120, 420);
  Label2 = label("Label2", "Height", 120, 840);
  Label3 = label("Label3", "X position", 120, 1260);
  Label4 = label("Label4", "Y position", 120, 1680);
  Label5 = label("Label5", "Framerate", 120, 2100);
  TxtWidth = box("TxtWidth", 360, true);
  TxtHeight = box("TxtHeight", 780, true);
  TxtXPos = box("TxtXPos", 1200, false);
  TxtYPos = box("TxtYPos", 1620, false);
  TxtFPS = box("TxtFPS", 2040, false);
  ScrollXPos = updown("ScrollXPos", 1200, -1024, 1024, 1);
  ScrollYPos = updown("ScrollYPos", 1620, -1024, 1024, 1);
  ScrollFPS = updown("ScrollFPS", 2040, 0, 32000, 100);
  // In the order of FieldStep::Field.
  typedFields_ = {{TxtXPos, ScrollXPos, FieldStep::X, &FrmQuilmark::ScrollXPos_Change},
                  {TxtYPos, ScrollYPos, FieldStep::Y, &FrmQuilmark::ScrollYPos_Change},
                  {TxtFPS, ScrollFPS, FieldStep::Fps, &FrmQuilmark::ScrollFPS_Change}};
  for (const TypedField& field : typedFields_) {
    // The arrows step from the shown image's own value, after what was typed
    // into the box has been applied.
    field.upDown->StepBase = [this, f = field.field] { return FieldStep::Value(*Editor().GetSelectedFrame(), f); };
    connect(field.upDown, &UpDown::AboutToStep, this, &FrmQuilmark::ApplyPendingEdits);
    // Enter applies what was typed and leaves the focus in the box.
    connect(field.box, &QLineEdit::returnPressed, this, [this, box = field.box] {
      ApplyTyped(box);
      box->selectAll();
    });
    connect(field.upDown, &UpDown::ValueChanged, this, field.change);
  }
  chkCompressed = new QCheckBox("Compress", FrameInfo);
  chkCompressed->setObjectName("chkCompressed");
  Place(chkCompressed, {60, 2460, 1095, 255});
  connect(chkCompressed, &QCheckBox::clicked, this, [this] { chkCompressed_Click(); });

  CmdFrame = new QPushButton("&Frame >", PicView);
  CmdFrame->setObjectName("CmdFrame");
  // Alt+F belongs to the File menu: the button keeps its caption but takes no
  // access key, so one press opens the menu.
  CmdFrame->setShortcut(QKeySequence());
  connect(CmdFrame, &QPushButton::clicked, this, [this] { CmdFrame_Click(); });
  CmdSubframe = new QPushButton("&Subframe >", PicView);
  CmdSubframe->setObjectName("CmdSubframe");
  connect(CmdSubframe, &QPushButton::clicked, this, [this] { CmdSubframe_Click(); });
  ScrollFrames = new QSlider(Qt::Horizontal, PicView);
  ScrollFrames->setObjectName("ScrollFrames");
  ScrollSubframes = new QSlider(Qt::Horizontal, PicView);
  ScrollSubframes->setObjectName("ScrollSubframes");
  for (QSlider* s : {ScrollFrames, ScrollSubframes}) {
    s->setRange(1, 2);
    s->setPageStep(1);
    s->setTickPosition(QSlider::TicksBelow);
  }
  // A slider's position changes from the user arrive here; positions set
  // while displaying are set with signals blocked.
  connect(ScrollFrames, &QSlider::valueChanged, this, &FrmQuilmark::ScrollFrames_Change);
  connect(ScrollSubframes, &QSlider::valueChanged, this, &FrmQuilmark::ScrollSubframes_Change);
  PicFrame = new FrameView(PicView);
  PicFrame->setObjectName("PicFrame");
  // A click on the picture or the pane takes the focus, so that a number
  // typed into a box is applied as the box is left.
  for (QWidget* w : std::initializer_list<QWidget*>{PicView, FrameInfo, PicFrame}) w->setFocusPolicy(Qt::ClickFocus);
}

void FrmQuilmark::ScrollFrames_Change(int value) {
  ApplyPendingEdits();
  EditorState& st = Editor();
  st.CurrentFrame = value;
  if (FramePtr frame = st.CurrentAnimation->Frames.Item(value)) DisplayFrame(*frame, *this, st);
}

void FrmQuilmark::ScrollSubframes_Change(int value) {
  ApplyPendingEdits();
  EditorState& st = Editor();
  st.CurrentSubframe = value;
  if (FramePtr frame = st.CurrentAnimation->Frames.Item(st.CurrentFrame))
    if (FramePtr sub = frame->Subframes.Item(value)) DisplayFrame(*sub, *this, st, true);
}

void FrmQuilmark::ScrollXPos_Change(int value) { ChangeField(FieldStep::X, value); }
void FrmQuilmark::ScrollYPos_Change(int value) { ChangeField(FieldStep::Y, value); }
// The frame rate has no visible effect in the pane: nothing is redrawn.
void FrmQuilmark::ScrollFPS_Change(int value) { ChangeField(FieldStep::Fps, value); }

bool FrmQuilmark::InDocument(const FramePtr& image) const {
  const EditorState& st = Editor();
  if (st.CurrentGAF->Animations.IndexOf(st.CurrentAnimation.get()) == 0) return false;
  const FramePtr frame = st.CurrentAnimation->Frames.Item(st.CurrentFrame);
  return frame && (frame == image || frame->Subframes.IndexOf(image.get()) != 0);
}

void FrmQuilmark::ChangeField(FieldStep::Field field, int value) {
  typedFields_[field].box->setText(QString::number(value));
  const FramePtr image = Editor().GetSelectedFrame();
  const int32_t before = FieldStep::Value(*image, field);
  FieldStep::Set(*image, field, value);
  if (field != FieldStep::Fps) DisplayPicture(*image, *this, Editor());
  const int32_t after = FieldStep::Value(*image, field);
  // An edit of an image outside the document (nothing selected) is lost
  // anyway and is no step.
  if (before != after && InDocument(image))
    Record(new FieldStep(*this, Here(), image, field, before, after, !typing_));
}

const FrmQuilmark::TypedField* FrmQuilmark::FieldOf(const QObject* control) const {
  for (const TypedField& field : typedFields_)
    if (field.box == control || field.upDown == control) return &field;
  return nullptr;
}

void FrmQuilmark::ApplyTyped(QLineEdit* box) {
  const TypedField* field = FieldOf(box);
  // Only what the user typed is applied: a box left as the display filled it
  // changes nothing, also when it shows a value beyond the limits.
  if (!field || !box->isModified()) return;
  box->setModified(false);
  UpDown* upDown = field->upDown;
  const auto number = ReadNumber(box->text().toStdString());
  int value = 0;
  if (!number) {
    value = 0;  // too large to hold
  } else if (*number > upDown->Max()) {
    value = upDown->Max();
  } else if (*number < upDown->Min()) {
    value = upDown->Min();
  } else {
    value = RoundToInt32(*number).value_or(0);
  }
  {
    QSignalBlocker block(upDown);
    upDown->SetValue(value);
  }
  // The value is compared with the shown image's own, not with one the
  // up-down may have kept from another image.
  if (value != FieldStep::Value(*Editor().GetSelectedFrame(), field->field)) {
    typing_ = true;
    (this->*field->change)(value);
    typing_ = false;
  } else {
    box->setText(QString::number(value));
  }
}

void FrmQuilmark::TxtXPos_LostFocus() { ApplyTyped(TxtXPos); }
void FrmQuilmark::TxtYPos_LostFocus() { ApplyTyped(TxtYPos); }
void FrmQuilmark::TxtFPS_LostFocus() { ApplyTyped(TxtFPS); }

void FrmQuilmark::ApplyPendingEdits() {
  CommitRename();
  for (const TypedField& field : typedFields_) ApplyTyped(field.box);
}

void FrmQuilmark::chkCompressed_Click() {
  ApplyPendingEdits();
  const FramePtr image = Editor().GetSelectedFrame();
  CompressedBytes before = CompressedBytes::Of({image});
  image->SetCompressed(chkCompressed->isChecked());
  if (InDocument(image)) Record(CompressedStep(*this, "Compress", std::move(before), Here()));
}

void FrmQuilmark::CmdFrame_Click() {
  ApplyPendingEdits();
  mnuFrame->popup(CmdFrame->mapToGlobal(QPoint(CmdFrame->width(), 0)));
}

void FrmQuilmark::CmdSubframe_Click() {
  ApplyPendingEdits();
  mnuSubframe->popup(CmdSubframe->mapToGlobal(QPoint(CmdSubframe->width(), 0)));
}

// FrameControls: everything here is display only, so the controls' own change
// handling is kept from writing into the document.

void FrmQuilmark::SetScrollFramesEnabled(bool enabled) { ScrollFrames->setEnabled(enabled); }
void FrmQuilmark::SetScrollFramesMax(int32_t max) {
  QSignalBlocker block(ScrollFrames);
  if (max >= ScrollFrames->minimum()) ScrollFrames->setMaximum(max);
}
void FrmQuilmark::SetScrollFramesValue(int32_t value) {
  QSignalBlocker block(ScrollFrames);
  if (value >= ScrollFrames->minimum() && value <= ScrollFrames->maximum()) ScrollFrames->setValue(value);
}
void FrmQuilmark::SetScrollSubframesEnabled(bool enabled) { ScrollSubframes->setEnabled(enabled); }
void FrmQuilmark::SetScrollSubframesMax(int32_t max) {
  QSignalBlocker block(ScrollSubframes);
  if (max >= ScrollSubframes->minimum()) ScrollSubframes->setMaximum(max);
}
void FrmQuilmark::SetScrollSubframesValue(int32_t value) {
  QSignalBlocker block(ScrollSubframes);
  if (value >= ScrollSubframes->minimum() && value <= ScrollSubframes->maximum()) ScrollSubframes->setValue(value);
}
void FrmQuilmark::SetTxtWidth(const std::string& text) { TxtWidth->setText(QString::fromStdString(text)); }
void FrmQuilmark::SetTxtHeight(const std::string& text) { TxtHeight->setText(QString::fromStdString(text)); }
void FrmQuilmark::SetTxtFPS(const std::string& text) { TxtFPS->setText(QString::fromStdString(text)); }

void FrmQuilmark::SetUpDownShown(UpDown* upDown, QLineEdit* box, int32_t value) {
  QSignalBlocker block(upDown);
  upDown->SetValue(std::clamp(value, upDown->Min(), upDown->Max()));
  // The box shows the image's own value, even one beyond the up-down's limits.
  box->setText(QString::number(value));
}
void FrmQuilmark::SetScrollXPosValue(int32_t value) { SetUpDownShown(ScrollXPos, TxtXPos, value); }
void FrmQuilmark::SetScrollYPosValue(int32_t value) { SetUpDownShown(ScrollYPos, TxtYPos, value); }
void FrmQuilmark::SetScrollFPSValue(int32_t value) { SetUpDownShown(ScrollFPS, TxtFPS, value); }
void FrmQuilmark::SetCompressedValue(bool checked) {
  QSignalBlocker block(chkCompressed);
  chkCompressed->setChecked(checked);
}
void FrmQuilmark::SetCompressedEnabled(bool enabled) { chkCompressed->setEnabled(enabled); }
void FrmQuilmark::SetEditorsEnabled(bool enabled) {
  for (QWidget* w : std::initializer_list<QWidget*>{ScrollXPos, ScrollYPos, ScrollFPS, TxtWidth, TxtHeight, TxtXPos,
                                                    TxtYPos, TxtFPS})
    w->setEnabled(enabled);
}
void FrmQuilmark::SetCmdFrameEnabled(bool enabled) { CmdFrame->setEnabled(enabled); }
void FrmQuilmark::SetCmdSubframeEnabled(bool enabled) { CmdSubframe->setEnabled(enabled); }
int32_t FrmQuilmark::PictureWidth() const { return PicFrame->width(); }
int32_t FrmQuilmark::PictureHeight() const { return PicFrame->height(); }
void FrmQuilmark::ClearPicture() { PicFrame->ClearPicture(); }
SurfaceScreen& FrmQuilmark::PictureScreen() { return *PicFrame; }
void FrmQuilmark::KeepPicture() { PicFrame->update(); }
int32_t FrmQuilmark::PictureZoom() const { return PicFrame->Zoom(); }

void FrmQuilmark::SetCompressedChecked() { SetCompressedValue(true); }

}  // namespace quilmark
