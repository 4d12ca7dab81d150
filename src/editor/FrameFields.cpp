#include "editor/FrameFields.h"

#include <QFocusEvent>
#include <QLabel>
#include <QSignalBlocker>
#include <algorithm>

#include "editor/EditorSupport.h"
#include "editorcore/NumberReading.h"

namespace quilmark {

FrameFields::FrameFields(GafDocument& doc, QWidget* parent) : QGroupBox("Frame Information", parent), doc_(doc) {
  setObjectName("FrameInfo");
  QFont narrow = font();
  narrow.setPointSizeF(7);
  setFont(narrow);
  auto label = [this](const char* name, const char* text, int t) {
    auto* w = new QLabel(text, this);
    w->setObjectName(name);
    Place(w, {120, t, 735, 255});
  };
  auto box = [this](const char* name, int t, bool readOnly) {
    auto* w = new QLineEdit("0", this);
    w->setObjectName(name);
    Place(w, {960, t, 795, 315});
    // The number boxes take no dropped text.
    w->setAcceptDrops(false);
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
    auto* w = new UpDown(this);
    w->setObjectName(name);
    Place(w, {1800, t, 240, 315});
    w->SetRange(min, max);
    w->SetIncrement(step);
    return w;
  };
  label("Label1", "Width", 420);
  label("Label2", "Height", 840);
  label("Label3", "X position", 1260);
  label("Label4", "Y position", 1680);
  label("Label5", "Framerate", 2100);
  width_ = box("TxtWidth", 360, true);
  height_ = box("TxtHeight", 780, true);
  typed_ = {{box("TxtXPos", 1200, false), updown("ScrollXPos", 1200, -1024, 1024, 1)},
            {box("TxtYPos", 1620, false), updown("ScrollYPos", 1620, -1024, 1024, 1)},
            {box("TxtFPS", 2040, false), updown("ScrollFPS", 2040, 0, 32000, 100)}};
  for (int i = 0; i < static_cast<int>(typed_.size()); ++i) {
    const auto field = static_cast<FieldStep::Field>(i);
    const TypedField& typed = typed_[i];
    // The arrows step from the shown image's own value, after what was typed
    // into the box has been applied.
    typed.upDown->StepBase = [this, field] { return FieldStep::Value(*doc_.State().GetSelectedFrame(), field); };
    connect(typed.upDown, &UpDown::AboutToStep, this, &FrameFields::ApplyPendingEdits);
    // Enter applies what was typed and leaves the focus in the box.
    connect(typed.box, &QLineEdit::returnPressed, this, [this, field] {
      ApplyTyped(field);
      typed_[field].box->selectAll();
    });
    connect(typed.upDown, &UpDown::ValueChanged, this, [this, field](int value) { ChangeField(field, value); });
  }
  compressed_ = new QCheckBox("Compress", this);
  compressed_->setObjectName("chkCompressed");
  Place(compressed_, {60, 2460, 1095, 255});
  connect(compressed_, &QCheckBox::clicked, this, &FrameFields::CompressClicked);
  setFocusPolicy(Qt::ClickFocus);
}

void FrameFields::ShowValue(FieldStep::Field field, int32_t value) {
  const TypedField& typed = typed_[field];
  QSignalBlocker block(typed.upDown);
  typed.upDown->SetValue(std::clamp(value, typed.upDown->Min(), typed.upDown->Max()));
  typed.box->setText(QString::number(value));
}

void FrameFields::ShowFps(const std::string& text) {
  typed_[FieldStep::Fps].box->setText(QString::fromStdString(text));
}

void FrameFields::ShowCompressed(bool checked) {
  QSignalBlocker block(compressed_);
  compressed_->setChecked(checked);
}

void FrameFields::SetCompressedEnabled(bool enabled) { compressed_->setEnabled(enabled); }

void FrameFields::SetEditorsEnabled(bool enabled) {
  width_->setEnabled(enabled);
  height_->setEnabled(enabled);
  for (const TypedField& typed : typed_) {
    typed.box->setEnabled(enabled);
    typed.upDown->setEnabled(enabled);
  }
}

void FrameFields::ChangeField(FieldStep::Field field, int value) {
  const FramePtr image = doc_.State().GetSelectedFrame();
  // An edit of an image outside the document (nothing selected) is lost
  // anyway and is no step.
  auto* step = doc_.Shows(image) ? new FieldStep(doc_, image, field, value, !typing_) : nullptr;
  if (step && !step->Idle()) return doc_.Do(step);
  delete step;
  typed_[field].box->setText(QString::number(value));
}

void FrameFields::ApplyTyped(FieldStep::Field field) {
  QLineEdit* box = typed_[field].box;
  // Only what the user typed is applied: a box left as the display filled it
  // changes nothing, also when it shows a value beyond the limits.
  if (!box->isModified()) return;
  box->setModified(false);
  UpDown* upDown = typed_[field].upDown;
  const auto number = ReadNumber(box->text().toStdString());
  int value = 0;  // too large to hold
  if (number)
    value = *number > upDown->Max()   ? upDown->Max()
            : *number < upDown->Min() ? upDown->Min()
                                      : RoundToInt32(*number).value_or(0);
  {
    QSignalBlocker block(upDown);
    upDown->SetValue(value);
  }
  // The value is compared with the shown image's own, not with one the
  // up-down may have kept from another image.
  if (value == FieldStep::Value(*doc_.State().GetSelectedFrame(), field)) {
    box->setText(QString::number(value));
    return;
  }
  typing_ = true;
  ChangeField(field, value);
  typing_ = false;
}

void FrameFields::ApplyPendingEdits() {
  for (int i = 0; i < static_cast<int>(typed_.size()); ++i) ApplyTyped(static_cast<FieldStep::Field>(i));
}

void FrameFields::CompressClicked() {
  ApplyPendingEdits();
  const FramePtr image = doc_.State().GetSelectedFrame();
  if (!doc_.Shows(image)) return image->SetCompressed(compressed_->isChecked());
  // The step is made from the byte the switch leaves behind.
  const CompressedBytes before = CompressedBytes::Of({image});
  image->SetCompressed(compressed_->isChecked());
  const CompressedBytes after = CompressedBytes::Of({image});
  before.PutBack();
  doc_.Do(CompressedStep(doc_, "Compress", before, after));
}

bool FrameFields::eventFilter(QObject* watched, QEvent* event) {
  // A menu popping up keeps the typing: the command chosen from it applies
  // it first, and the box has the focus again when the menu closes unused.
  if (event->type() == QEvent::FocusOut && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
    for (int i = 0; i < static_cast<int>(typed_.size()); ++i)
      if (typed_[i].box == watched) ApplyTyped(static_cast<FieldStep::Field>(i));
  return QGroupBox::eventFilter(watched, event);
}

}  // namespace quilmark
