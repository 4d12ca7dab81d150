#include "editor/ViewMenu.h"

#include <QAction>

#include "dialogs/FrmOnion.h"

namespace quilmark {
namespace {

using Options = EditorState::ViewOptions;
struct Switch {
  const char* name;
  const char* caption;
  const char* key;  // in the settings
  bool Options::*flag;
};
constexpr Switch kSwitches[] = {{"mnuViewOrigin", "Show &Origin", "View/ShowOrigin", &Options::ShowOrigin},
                                {"mnuViewGrid", "Pixel &Grid", "View/PixelGrid", &Options::PixelGrid},
                                {"mnuViewChecker", "&Checkerboard", "View/Checkerboard", &Options::Checkerboard},
                                {"mnuViewComposed", "&Composed Frame", "View/ComposedFrame", &Options::ComposedFrame},
                                {"mnuViewOnion", "Onion &Skin", "View/OnionSkin", &Options::OnionSkin}};

}  // namespace

ViewMenu::ViewMenu(QMenu* view, QMenu* frameMenu, FramePane& pane, EditorState& state, QWidget* window)
    : QObject(view), pane_(pane), state_(state), window_(window) {
  FrameView& picture = pane_.Picture();
  for (QAction* action : ZoomActions(window, &picture)) view->addAction(action);
  QAction* fit = view->addAction("Zoom to &Fit");
  fit->setObjectName("ZoomFit");
  fit->setShortcut(QKeySequence("Ctrl+9"));
  connect(fit, &QAction::triggered, &pane_, &FramePane::ZoomToFit);
  view->addSeparator();
  for (const Switch& each : kSwitches) {
    if (each.flag == &Options::OnionSkin) view->addSeparator();
    QAction* action = view->addAction(each.caption);
    action->setObjectName(each.name);
    action->setCheckable(true);
    if (each.flag == &Options::OnionSkin) action->setShortcut(QKeySequence(Qt::Key_F3));
    connect(action, &QAction::toggled, this, [this, flag = each.flag](bool on) {
      state_.View.*flag = on;
      pane_.DisplaySelectedPicture();
    });
  }
  QAction* onion = view->addAction("Onion Skin Se&ttings...");
  onion->setObjectName("mnuViewOnionSettings");
  connect(onion, &QAction::triggered, this, &ViewMenu::OnionSettings);

  frameMenu->addSeparator();
  pin_ = frameMenu->addAction("Pin as &Reference");
  pin_->setObjectName("mnuFramePin");
  pin_->setCheckable(true);
  connect(pin_, &QAction::triggered, this, &ViewMenu::Pin);
  // Checked while the shown frame is the reference.
  connect(frameMenu, &QMenu::aboutToShow, this, [this] {
    const FramePtr frame = state_.CurrentAnimation->Frames.Item(state_.CurrentFrame);
    pin_->setChecked(frame && frame == state_.View.Reference);
  });
}

void ViewMenu::Pin() {
  const FramePtr frame = state_.CurrentAnimation->Frames.Item(state_.CurrentFrame);
  // The reference frame itself unpins; any other frame becomes the reference.
  if (!frame || frame == state_.View.Reference) {
    state_.View.Reference.reset();
  } else {
    state_.View.Reference = frame;
  }
  pin_->setChecked(state_.View.Reference != nullptr);
  pane_.DisplaySelectedPicture();
}

void ViewMenu::OnionSettings() {
  Options& options = state_.View;
  FrmOnion dialog(window_, options.OnionBefore, options.OnionAfter, options.OnionOpacity);
  if (dialog.exec() != QDialog::Accepted) return;
  options.OnionBefore = dialog.Before();
  options.OnionAfter = dialog.After();
  options.OnionOpacity = dialog.Opacity();
  pane_.DisplaySelectedPicture();
}

void ViewMenu::Load(QSettings& settings) {
  for (const Switch& each : kSwitches)
    if (auto* action = window_->findChild<QAction*>(each.name))
      action->setChecked(settings.value(each.key, false).toBool());
  Options& options = state_.View;
  const auto number = [&settings](const char* key, int fallback, int min, int max) {
    bool ok = false;
    const int value = settings.value(key, fallback).toInt(&ok);
    return ok ? std::clamp(value, min, max) : fallback;
  };
  options.OnionBefore = number("View/OnionBefore", 1, 0, 3);
  options.OnionAfter = number("View/OnionAfter", 1, 0, 3);
  options.OnionOpacity = number("View/OnionOpacity", 40, 10, 90);
}

void ViewMenu::Save(QSettings& settings) const {
  for (const Switch& each : kSwitches) settings.setValue(each.key, state_.View.*(each.flag));
  settings.setValue("View/OnionBefore", state_.View.OnionBefore);
  settings.setValue("View/OnionAfter", state_.View.OnionAfter);
  settings.setValue("View/OnionOpacity", state_.View.OnionOpacity);
}

}  // namespace quilmark
