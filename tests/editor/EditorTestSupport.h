// Helpers of the GUI tests: a main window over a test palette and a small
// document built in the test, and a driver for modal dialogs.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QInputDialog>
#include <QPointer>
#include <QSettings>
#include <QTest>
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMimeData>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <fstream>
#include <memory>

#include "../document/TestSupport.h"
#include "display/qt/FrameView.h"
#include "editor/FrameStrip.h"
#include "editor/FrmQuilmark.h"
#include "editor/UpDown.h"

namespace quilmark::test {

// A control of the window, by its object name.
template <typename T = QWidget>
T* Find(QObject& window, const char* name) {
  T* found = window.findChild<T*>(name);
  EXPECT_TRUE(found) << name;
  return found;
}

inline QString TempFolder(const char* name) {
  // One folder per test process: CTest runs the tests side by side.
  const QString dir = QString(QUILMARK_TEST_TMP) + "/editor-" + QString::number(QCoreApplication::applicationPid()) +
                      "-" + name;
  QDir(dir).removeRecursively();
  QDir().mkpath(dir);
  return dir;
}

// A palette where index i is (i, 255 - i, i / 2), so that every index has its
// own colour.
inline QString WriteTestPalette() {
  const QString path = TempFolder("palette") + "/palette.dat";
  std::ofstream out(path.toStdString(), std::ios::binary);
  for (int i = 0; i < 256; ++i) out.put(char(i)).put(char(255 - i)).put(char(i / 2));
  return path;
}
inline QRgb TestColour(int index) { return qRgb(index, 255 - index, index / 2); }

// A path as the file system spells it.
inline std::string Bytes(const QString& s) { return QFile::encodeName(s).toStdString(); }
// What a file holds; nothing when it cannot be read.
inline QByteArray FileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline std::unique_ptr<QSettings> StoredSettings() {
  return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "Quilmark", "Quilmark");
}

// Three animations: "alpha" (3 frames: plain 10x10 at (5,5) with index 9 in
// its first pixel; one with two subframes; one with one subframe), "beta"
// (1 frame, animated), "gamma" (no frames).
inline std::shared_ptr<classGAF> MakeDocument() {
  auto doc = std::make_shared<classGAF>();
  auto add = [&](const char* name, bool animated, std::vector<FramePtr> frames) {
    auto a = std::make_shared<classGAFAnimation>();
    a->Name = name;
    a->Animated = animated;
    for (auto& f : frames) a->Frames.Add(f);
    doc->Animations.Add(a, name);
  };
  auto f1 = MakeFrame(10, 10, 5, 5, 20, 3);
  f1->Pixels[0] = 9;
  auto f2 = MakeFrame(4, 4, 1, 1, 30, 4, true);
  f2->Subframes.Add(MakeFrame(6, 6, 2, 2, 40, 5));
  f2->Subframes.Add(MakeFrame(8, 4, 7, 3, 50, 6, true));
  auto f3 = MakeFrame(2, 2, 0, 0, 60);
  f3->Subframes.Add(MakeFrame(3, 3, 1, 1, 70, 7));
  add("alpha", false, {f1, f2, f3});
  add("beta", true, {MakeFrame(12, 6, 0, 0, 80)});
  add("gamma", false, {});
  return doc;
}

// Runs steps on the dialog of the given objectName once it is the active
// modal window. A dialog the steps leave open is cancelled, and one that
// never comes fails the test, so no test is left waiting.
inline void WhenModal(const QString& name, std::function<void(QWidget*)> steps) {
  auto* timer = new QTimer;
  const QDeadlineTimer deadline(5000);
  QObject::connect(timer, &QTimer::timeout, [=] {
    QPointer<QWidget> modal = QApplication::activeModalWidget();
    const bool came = modal && modal->objectName() == name;
    if (!came && !deadline.hasExpired()) return;
    timer->deleteLater();
    timer->stop();
    if (came) steps(modal);
    EXPECT_TRUE(came && !(modal && modal->isVisible())) << name.toStdString() << " never opened or was left open";
    if (auto* d = qobject_cast<QDialog*>(modal.data()); came && d && d->isVisible()) d->reject();
  });
  timer->start(5);
}

// Answers the next input box with text, or cancels it; meanwhile runs while
// it is open.
inline void AnswerInputBox(const QString& text, bool cancel = false, std::function<void()> meanwhile = {}) {
  WhenModal("InputBox", [=](QWidget* w) {
    auto* box = static_cast<QInputDialog*>(w);
    if (meanwhile) meanwhile();
    if (cancel) return box->reject();
    box->setTextValue(text);
    box->accept();
  });
}

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override { StoredSettings()->clear(); }
  // A window left with changes closes without the question.
  void TearDown() override {
    if (!window) return;
    window->Document().History().setClean();
    window->close();
  }
  // Makes, starts and shows the main window.
  FrmQuilmark& Start(const QString& commandLine = {}) {
    window = std::make_unique<FrmQuilmark>(FrmQuilmark::Options{WriteTestPalette(), commandLine});
    window->MessageHook = [this](const QString& text, const QString&, MessageIcon) { messages << text; };
    // Every file dialog is answered with answer; what was asked is kept.
    window->FileDialogHook = [this](const FileDialogRequest& r) {
      asked << r;
      return answer;
    };
    EXPECT_TRUE(window->InitializeWindow());
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    // Active before the test goes on, so that no late activation takes the
    // keys from a dialog the test opens.
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    return *window;
  }
  QTreeWidget* List() const { return Find<QTreeWidget>(*window, "ListGAF"); }
  // The window's boxes, sliders and up-downs by name.
  QLineEdit* Box(const char* name) const { return Find<QLineEdit>(*window, name); }
  QSlider* Slider(const char* name) const { return Find<QSlider>(*window, name); }
  UpDown* Arrows(const char* name) const { return Find<UpDown>(*window, name); }
  void ClickRow(int row) {
    QTreeWidget* list = List();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->topLevelItem(row)).center());
  }
  QString Cell(int row, int column) { return List()->topLevelItem(row)->text(column); }
  QStringList ListNames() {
    QStringList names;
    for (int i = 0; i < List()->topLevelItemCount(); ++i) names << Cell(i, 0);
    return names;
  }
  QStringList DocumentOrder() {
    QStringList names;
    for (const auto& a : window->State().CurrentGAF->Animations) names << QString::fromLatin1(a->Name.c_str());
    return names;
  }
  // Opens the in-place editor of a row's cell; the editor, if there is one.
  QLineEdit* EditCell(int row, int column = 0) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // earlier editors
    List()->editItem(List()->topLevelItem(row), column);
    return List()->findChild<QLineEdit*>();
  }
  // Edits a row's name in place as a user does: type, then Return.
  void RenameRow(int row, const QString& text) {
    QLineEdit* editor = EditCell(row);
    ASSERT_TRUE(editor && editor->isVisible());
    editor->setText(text);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
  }
  // Types text over what a text box holds, then, with leave, moves the focus
  // on to the list as a click elsewhere does.
  void Type(QLineEdit* box, const QString& text, bool leave = true) {
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
    if (!leave) return;
    List()->setFocus();
    QApplication::processEvents();
  }
  // The frame strip, clicked, typed into and dragged on as a user does.
  FrameStrip* Strip() const { return Find<FrameStrip>(*window, "FrameStrip"); }
  void ClickFrame(int index, Qt::KeyboardModifiers modifiers = {}, int row = 0) {
    QTest::mouseClick(Strip()->viewport(), Qt::LeftButton, modifiers, Strip()->CellRect(row, index).center());
  }
  void StripKey(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    Strip()->setFocus();
    QTest::keyClick(Strip(), key, modifiers);
  }
  // Presses on frame from and lets go over the gap before frame gap.
  void DragFrame(int from, int gap) {
    QWidget* port = Strip()->viewport();
    const QPoint start = Strip()->CellRect(0, from).center(), end = Strip()->CellRect(0, gap).topLeft() + QPoint(2, 20);
    QTest::mousePress(port, Qt::LeftButton, {}, start);
    for (int step = 1; step <= 4; ++step) QTest::mouseMove(port, start + (end - start) * step / 4);
    QTest::mouseRelease(port, Qt::LeftButton, {}, end);
  }
  // The numbers of the frames selected in the strip.
  std::vector<int> StripSelection() const {
    std::vector<int> numbers;
    const std::vector<bool> marks = Strip()->SelectedMarks();
    for (size_t i = 0; i < marks.size(); ++i)
      if (marks[i]) numbers.push_back(static_cast<int>(i) + 1);
    return numbers;
  }
  // Sends a drag over pos (window coordinates) and a drop there, as a drag
  // from a file manager does; true when the window took the drop.
  bool Drop(const QStringList& files, QPoint pos, Qt::KeyboardModifiers modifiers = {}) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& f : files) urls << QUrl::fromLocalFile(f);
    data.setUrls(urls);
    QDragEnterEvent enter(pos, Qt::CopyAction, &data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(window.get(), &enter);
    QDragMoveEvent move(pos, Qt::CopyAction, &data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(window.get(), &move);
    if (!move.isAccepted()) return false;
    QDropEvent drop(pos, Qt::CopyAction, &data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(window.get(), &drop);
    QCoreApplication::processEvents();
    return drop.isAccepted();
  }
  // The pane is usable again and the pointer restored.
  void ExpectControlsBack() {
    EXPECT_TRUE(Find<QToolBar>(*window, "Toolbar")->isEnabled() && List()->isEnabled() &&
                Find<QWidget>(*window, "PicView")->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  }
  // The frame view's pixel at (x, y), as painted.
  QRgb ViewPixel(int x, int y) { return Find<FrameView>(*window, "PicFrame")->grab().toImage().pixel(x, y); }

  std::unique_ptr<FrmQuilmark> window;
  std::shared_ptr<classGAF> doc;
  QStringList messages;
  QList<FileDialogRequest> asked;
  QString answer;
};

// The main window over the test document.
class DocumentTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    Start().Document().Reset(doc = MakeDocument(), "Untitled.gaf");
  }
};

}  // namespace quilmark::test
