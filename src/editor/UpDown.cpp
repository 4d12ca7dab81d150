#include "editor/UpDown.h"

#include <algorithm>


namespace quilmark {

UpDown::UpDown(QWidget* parent) : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
  up_->setObjectName("Up");
  down_->setObjectName("Down");
  up_->setArrowType(Qt::UpArrow);
  down_->setArrowType(Qt::DownArrow);
  up_->setAutoRepeat(true);
  down_->setAutoRepeat(true);
  up_->setFocusPolicy(Qt::NoFocus);
  down_->setFocusPolicy(Qt::NoFocus);
  connect(up_, &QToolButton::clicked, this, [this] { Step(1); });
  connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
}

void UpDown::SetRange(int min, int max) {
  min_ = min;
  max_ = max;
  value_ = std::clamp(value_, min_, max_);
}

bool UpDown::SetValue(int value) {
  if (value < min_ || value > max_) return false;
  if (value == value_) return true;
  value_ = value;
  emit ValueChanged(value_);
  return true;
}

void UpDown::Step(int direction) {
  emit AboutToStep();
  const long long base = StepBase ? StepBase() : value_;
  const long long next = std::clamp<long long>(base + static_cast<long long>(direction) * increment_, min_, max_);
  value_ = static_cast<int>(next);
  if (next != base) emit ValueChanged(value_);
}

void UpDown::resizeEvent(QResizeEvent*) {
  const int h = height() / 2;
  up_->setGeometry(0, 0, width(), h);
  down_->setGeometry(0, h, width(), height() - h);
}

}  // namespace quilmark
