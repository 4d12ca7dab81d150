// The main window's layout: the splitter bar, the placing of the controls in
// twips, the layout run on every resize, and the window's stored placement.
#include <QDockWidget>
#include <QMouseEvent>
#include <QSettings>
#include <QTimer>
#include <charconv>

#include "editor/AnimationListView.h"
#include "editor/EditorSupport.h"
#include "editor/FramePane.h"
#include "editor/FrmQuilmark.h"
#include "editor/SplitterBar.h"
#include "editor/ViewMenu.h"
#include "editor/WindowStatus.h"
#include "editorcore/NumberReading.h"

namespace quilmark {
namespace {

QString ShortestFloat(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value));
  return QString::fromLatin1(buffer, static_cast<int>(result.ptr - buffer));
}

}  // namespace

// ---------------------------------------------------------------- splitter bar

SplitterBar::SplitterBar(QWidget* parent) : QWidget(parent) {
  setCursor(Qt::SizeHorCursor);
  setAutoFillBackground(true);
}

void SplitterBar::SetColour(QColor colour) {
  QPalette p = palette();
  p.setColor(QPalette::Window, colour);
  setPalette(p);
}

void SplitterBar::mousePressEvent(QMouseEvent* event) { emit Pressed(event->button(), event->position().x()); }
void SplitterBar::mouseMoveEvent(QMouseEvent* event) { emit Moved(event->position().x()); }
void SplitterBar::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit Released(event->position().x());
}

void FrmQuilmark::ApplyLayout() {
  const int w = client_->width(), h = client_->height();
  toolbar_->setGeometry(0, 0, w, Px(layout_.ToolbarHeight));
  status_->setGeometry(0, h - Px(layout_.StatusHeight), w, Px(layout_.StatusHeight));
  Place(list_, layout_.ListGAF);
  Place(splitter_, layout_.PicSplitter);
  Place(pane_, layout_.PicView);
  pane_->Layout(layout_);
}

void FrmQuilmark::Form_Resize() {
  const int32_t innerW = client_->width() * LayoutTwipsPerPixel;
  const int32_t innerH = client_->height() * LayoutTwipsPerPixel;
  if (!FormResize(layout_, innerW, innerH, isMinimized())) return;
  ApplyLayout();
  pane_->DisplaySelectedPicture();
}

void FrmQuilmark::PicSplitter_MouseDown(Qt::MouseButton button, double x) {
  const auto e = drag_.MouseDown(button == Qt::LeftButton, static_cast<float>(x * LayoutTwipsPerPixel), layout_,
                                 client_->width() * LayoutTwipsPerPixel, client_->height() * LayoutTwipsPerPixel);
  if (e.colourDrag) {
    splitter_->SetColour(QColor(QRgb(drag_.SplitterDragColor)));
    splitter_->raise();
  }
  if (e.colourRest) splitter_->SetColour(palette().color(QPalette::Button));
  if (e.runLayout) Form_Resize();
}

void FrmQuilmark::PicSplitter_MouseMove(double x) {
  drag_.MouseMove(static_cast<float>(x * LayoutTwipsPerPixel), layout_, client_->width() * LayoutTwipsPerPixel,
                  client_->height() * LayoutTwipsPerPixel);
  Place(splitter_, layout_.PicSplitter);
}

void FrmQuilmark::PicSplitter_MouseUp(double x) {
  const auto e = drag_.MouseUp(static_cast<float>(x * LayoutTwipsPerPixel), layout_,
                               client_->width() * LayoutTwipsPerPixel, client_->height() * LayoutTwipsPerPixel);
  if (e.colourRest) splitter_->SetColour(palette().color(QPalette::Button));
  if (e.runLayout) Form_Resize();
}

void FrmQuilmark::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // Sizes that arrive while the window is minimised are not laid out; a
  // restored window (also one started minimised) is laid out once it is back.
  if (event->type() == QEvent::WindowStateChange && !isMinimized())
    QTimer::singleShot(0, this, [this] { Form_Resize(); });
}

void FrmQuilmark::SettingsLoad() {
  QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Quilmark", "Quilmark");
  const double tpp = TwipsPerPixel();
  // A stored number, or nothing when it is absent, zero, or unreadable; a size
  // must also be positive.
  auto number = [&settings](const char* key, double current, bool size = false) -> std::optional<int32_t> {
    const QString text = settings.value(QString("Startup/") + key, ShortestFloat(current)).toString();
    const auto value = ReadNumber(text.toStdString());
    if (!value) return std::nullopt;
    const auto rounded = RoundToInt32(*value);
    if (!rounded || *rounded == 0 || (size && *rounded < 0)) return std::nullopt;
    return rounded;
  };
  if (auto v = number("SliderLeft", layout_.PicSplitter.Left)) layout_.PicSplitter.Left = *v;
  if (auto v = number("Left", x() * tpp)) move(static_cast<int>(std::lround(*v / tpp)), y());
  if (auto v = number("Top", y() * tpp)) move(x(), static_cast<int>(std::lround(*v / tpp)));
  if (auto v = number("Width", width() * tpp, true)) resize(std::max(1L, std::lround(*v / tpp)), height());
  if (auto v = number("Height", height() * tpp, true)) resize(width(), std::max(1L, std::lround(*v / tpp)));
  const int current = isMinimized() ? 1 : isMaximized() ? 2 : 0;
  const QString state = settings.value("Startup/WindowState", QString::number(current)).toString();
  if (auto value = ReadNumber(state.toStdString()))
    if (auto s = RoundToInt16(*value)) {
      // Values other than the three states are ignored.
      if (*s == 0) setWindowState(Qt::WindowNoState);
      if (*s == 1) setWindowState(Qt::WindowMinimized);
      if (*s == 2) setWindowState(Qt::WindowMaximized);
    }
  EditorState& st = State();
  st.GAFLoadDir = PathBytes(settings.value("Locations/GAFLoadDir", "").toString());
  st.GAFSaveDir = PathBytes(settings.value("Locations/GAFSaveDir", "").toString());
  st.BMPLoadDir = PathBytes(settings.value("Locations/BMPLoadDir", "").toString());
  viewMenu_->Load(settings);
  stripDock_->setVisible(settings.value("View/FrameStrip", true).toBool());
  Form_Resize();
}

void FrmQuilmark::SettingsSave() {
  QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Quilmark", "Quilmark");
  const double tpp = TwipsPerPixel();
  const int state = isMinimized() ? 1 : isMaximized() ? 2 : 0;
  if (state == 0) {
    settings.setValue("Startup/Left", ShortestFloat(x() * tpp));
    settings.setValue("Startup/Top", ShortestFloat(y() * tpp));
    settings.setValue("Startup/Width", ShortestFloat(width() * tpp));
    settings.setValue("Startup/Height", ShortestFloat(height() * tpp));
  }
  settings.setValue("Startup/WindowState", QString::number(state));
  settings.setValue("Startup/SliderLeft", ShortestFloat(layout_.PicSplitter.Left));
  const EditorState& st = State();
  settings.setValue("Locations/GAFLoadDir", PathText(st.GAFLoadDir));
  settings.setValue("Locations/GAFSaveDir", PathText(st.GAFSaveDir));
  settings.setValue("Locations/BMPLoadDir", PathText(st.BMPLoadDir));
  viewMenu_->Save(settings);
  settings.setValue("View/FrameStrip", stripDock_->toggleViewAction()->isChecked());
  settings.sync();
}

}  // namespace quilmark
