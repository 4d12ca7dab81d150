// The View menu: the zoom steps and Zoom to Fit, and the switches of what the
// frame view shows besides the image (origin, grid, checkerboard, composed
// frame, onion skin and its settings), remembered in the settings; and the
// Frame menu's "Pin as Reference".
#pragma once

#include <QMenu>
#include <QSettings>

#include "editor/FramePane.h"

namespace quilmark {

class ViewMenu : public QObject {
  Q_OBJECT
 public:
  // Fills view; window takes the zoom keys; frameMenu gains the pin.
  ViewMenu(QMenu* view, QMenu* frameMenu, FramePane& pane, EditorState& state, QWidget* window);
  void Load(QSettings& settings);
  void Save(QSettings& settings) const;

 private:
  void OnionSettings();
  void Pin();

  FramePane& pane_;
  EditorState& state_;
  QWidget* window_;
  QAction* pin_;
};

}  // namespace quilmark
