// An up-down control: two arrow buttons holding an integer within limits. The
// text it stands beside is a separate text box; a buddy text box, when set, is
// where the arrows take their starting number from.
#pragma once

#include <QLineEdit>
#include <QToolButton>
#include <QWidget>

namespace quilmark {

class UpDown : public QWidget {
  Q_OBJECT
 public:
  explicit UpDown(QWidget* parent = nullptr);

  int Value() const { return value_; }
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Increment() const { return increment_; }
  void SetRange(int min, int max);
  void SetIncrement(int increment) { increment_ = increment; }
  void SetBuddy(QLineEdit* buddy) { buddy_ = buddy; }

  // Refuses a value outside the limits (false, old value kept). A new value
  // emits ValueChanged; the same value emits nothing.
  bool SetValue(int value);

  QToolButton* UpButton() const { return up_; }
  QToolButton* DownButton() const { return down_; }

  // One arrow step: from the buddy's number (when there is a buddy) or the
  // value, by the increment, held within the limits.
  void Step(int direction);

 signals:
  void ValueChanged(int value);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  int value_ = 0, min_ = 0, max_ = 100, increment_ = 1;
  QLineEdit* buddy_ = nullptr;
  QToolButton* up_;
  QToolButton* down_;
};

}  // namespace quilmark
