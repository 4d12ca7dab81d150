// GoogleTest over a QApplication on the offscreen platform, with Qt's test
// mode on so that settings and desktop files go to a throw-away home.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

int main(int argc, char** argv) {
  // The offscreen platform, with the options the test was started with.
  if (!qEnvironmentVariable("QT_QPA_PLATFORM").startsWith("offscreen")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QStandardPaths::setTestModeEnabled(true);
  QApplication app(argc, argv);
  QApplication::setOrganizationName("Quilmark");
  QApplication::setApplicationName("Quilmark");
  // Each test program gets settings of its own: CTest runs tests side by side,
  // and one test's saved splitter or placement must not reach another.
  QTemporaryDir settings_home;
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings_home.path());
  // And recovery copies of their own.
  qputenv("XDG_STATE_HOME", settings_home.path().toLocal8Bit());
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
