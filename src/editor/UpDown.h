// An up-down control: two arrow buttons holding an integer within limits. The
// number it stands for is shown in a separate text box.
#pragma once

#include <QToolButton>
#include <QWidget>
#include <functional>

namespace quilmark {

class UpDown : public QWidget {
  Q_OBJECT
 public:
  explicit UpDown(QWidget* parent = nullptr);

  int Value() const { return value_; }
  int Min() const { return min_; }
  int Max() const { return max_; }
  void SetRange(int min, int max);
  void SetIncrement(int increment) { increment_ = increment; }

  // Refuses a value outside the limits (false, old value kept). A new value
  // emits ValueChanged; the same value emits nothing.
  bool SetValue(int value);

  // The number an arrow steps from: the one the user sees beside the arrows,
  // which may lie beyond the limits. Unset, the arrows step from the value.
  std::function<int()> StepBase;

  QToolButton* UpButton() const { return up_; }
  QToolButton* DownButton() const { return down_; }

  // One arrow step: AboutToStep, then from the step base by the increment,
  // held within the limits. The result becomes the value and is announced
  // whenever it differs from the step base, also when it equals the value.
  void Step(int direction);

 signals:
  void AboutToStep();
  void ValueChanged(int value);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  int value_ = 0, min_ = 0, max_ = 100, increment_ = 1;
  QToolButton* up_;
  QToolButton* down_;
};

}  // namespace quilmark
