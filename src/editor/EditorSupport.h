// Small helpers the main window's files share.
#pragma once

#include <QFile>
#include <QString>
#include <QWidget>
#include <cmath>
#include <functional>
#include <string>

#include "editorcore/Layout.h"

namespace quilmark {

// Twips of the layout to pixels.
inline int Px(int32_t twips) { return static_cast<int>(std::lround(twips / static_cast<double>(LayoutTwipsPerPixel))); }

// A control placed at a rectangle given in twips.
inline void Place(QWidget* widget, const TwipsRect& r) {
  widget->setGeometry(Px(r.Left), Px(r.Top), Px(r.Width), Px(r.Height));
}

// Paths as the core holds them (bytes) and as Qt shows them.
inline std::string PathBytes(const QString& path) { return QFile::encodeName(path).toStdString(); }
inline QString PathText(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

// Makes Del, undo and redo typed into any text box of the program edit its
// text rather than run the window's commands.
void KeepEditingKeysInTextBoxes(QObject* owner);

// Restores the pointer (and runs the rest of a command's ending) on every exit.
class Ending {
 public:
  explicit Ending(std::function<void()> steps) : steps_(std::move(steps)) {}
  ~Ending() { steps_(); }
  Ending(const Ending&) = delete;
  Ending& operator=(const Ending&) = delete;

 private:
  std::function<void()> steps_;
};

}  // namespace quilmark
