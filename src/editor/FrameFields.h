// "Frame Information": the shown image's width and height, its X position, Y
// position and frame rate, each a box with an up-down, and its "Compress"
// switch. What the user types or steps becomes a step on the document.
#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <vector>

#include "editor/UndoCommands.h"
#include "editor/UpDown.h"

namespace quilmark {

class FrameFields : public QGroupBox {
  Q_OBJECT
 public:
  FrameFields(GafDocument& doc, QWidget* parent);

  // What the display shows; nothing here is written into the document.
  void ShowWidth(const std::string& text) { width_->setText(QString::fromStdString(text)); }
  void ShowHeight(const std::string& text) { height_->setText(QString::fromStdString(text)); }
  // The box shows the image's own value, even one beyond the up-down's limits.
  void ShowValue(FieldStep::Field field, int32_t value);
  void ShowFps(const std::string& text);
  void ShowCompressed(bool checked);
  void SetCompressedEnabled(bool enabled);
  void SetEditorsEnabled(bool enabled);

  // The shown image takes value (an arrow step or a typed number); a change
  // of an image of the document is a step.
  void ChangeField(FieldStep::Field field, int value);
  // Applies what was typed into the field's box and not yet committed.
  void ApplyTyped(FieldStep::Field field);
  void ApplyPendingEdits();
  void CompressClicked();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct TypedField {
    QLineEdit* box;
    UpDown* upDown;
  };
  // In the order of FieldStep::Field.
  std::vector<TypedField> typed_;
  GafDocument& doc_;
  QLineEdit* width_;
  QLineEdit* height_;
  QCheckBox* compressed_;
  bool typing_ = false;  // a typed value is being applied (not an arrow step)
};

}  // namespace quilmark
