#include "dialogs/DesignLayout.h"

#include <QEvent>
#include <QWidget>
#include <cmath>

namespace quilmark {

QRect Twips(int left, int top, int width, int height) {
  return QRect(left / 15, top / 15, width / 15, height / 15);
}

DesignLayout::DesignLayout(QWidget* dialog, QSize design) : QObject(dialog), dialog_(dialog), design_(design) {
  dialog->setMinimumSize(design);
  dialog->resize(design);
  dialog->installEventFilter(this);
}

void DesignLayout::Add(QWidget* control, Shares shares) {
  entries_.push_back({control, control->geometry(), shares});
  Apply();
}

void DesignLayout::Add(QWidget* control, QRect design, Shares shares) {
  control->setGeometry(design);
  Add(control, shares);
}

bool DesignLayout::eventFilter(QObject* watched, QEvent* event) {
  if (watched == dialog_ && event->type() == QEvent::Resize) Apply();
  return QObject::eventFilter(watched, event);
}

void DesignLayout::Apply() {
  // The same share of the same room always comes out the same, so that
  // controls that meet at the design size still meet.
  const int dx = std::max(0, dialog_->width() - design_.width());
  const int dy = std::max(0, dialog_->height() - design_.height());
  const auto part = [](double share, int room) { return static_cast<int>(std::lround(share * room)); };
  for (const Entry& e : entries_) {
    const QRect& r = e.design;
    e.control->setGeometry(r.x() + part(e.shares.x, dx), r.y() + part(e.shares.y, dy), r.width() + part(e.shares.w, dx),
                           r.height() + part(e.shares.h, dy));
  }
}

}  // namespace quilmark
