// The editor: loads the main window, which runs the start-up sequence.
#include <QApplication>
#include <QStringList>

#include "document/TemporaryFiles.h"
#include "editor/FrmQuilmark.h"

int main(int argc, char** argv) {
  // A save or UFO export cut off by Ctrl+C in the terminal, or by the session
  // ending, leaves no temporary file behind.
  quilmark::InstallTemporaryFileCleanup();
  QApplication app(argc, argv);
  QApplication::setOrganizationName("Quilmark");
  QApplication::setApplicationName("Quilmark");
  QStringList args = QApplication::arguments();
  args.removeFirst();
  quilmark::FrmQuilmark::Options options;
  // --palette FILE picks another palette; the rest is the command line, one
  // string with single spaces.
  const int at = static_cast<int>(args.indexOf("--palette"));
  if (at >= 0 && at + 1 < args.size()) {
    options.palettePath = args[at + 1];
    args.remove(at, 2);
  }
  options.commandLine = args.join(' ');
  quilmark::FrmQuilmark window(options);
  if (!window.InitializeWindow()) return 1;
  window.show();
  return app.exec();
}
