// GoogleTest over a QApplication on the offscreen platform, with Qt's test
// mode on so that settings and desktop files go to a throw-away home.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QStandardPaths::setTestModeEnabled(true);
  QApplication app(argc, argv);
  QApplication::setOrganizationName("Quilmark");
  QApplication::setApplicationName("Quilmark");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
