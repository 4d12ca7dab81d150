// The editor: loads the main window, which runs the start-up sequence.
#include <QApplication>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include "base/TemporaryFiles.h"
#include "editor/FrmQuilmark.h"
#include "editor/ScriptedRun.h"

namespace {

constexpr char kHelp[] =
    "usage: quilmark [--palette FILE] [FILE.gaf]\n"
    "       quilmark --help | --version\n"
    "\n"
    "The GAF sprite editor: opens FILE.gaf, or an empty document.\n"
    "\n"
    "options:\n"
    "  --palette FILE        draw with the palette FILE (256 red-green-blue triplets)\n"
    "                        instead of palette.dat beside the program or installed\n"
    "  --help                print this help and end\n"
    "  --version             print the version and end\n"
    "Qt's own options (-platform NAME, -style NAME, ...) are taken as well.\n";

constexpr char kVersion[] = "quilmark (Quilmark) " QUILMARK_VERSION
                            "\n"
                            "Edits the animated sprites of GAF files.\n";

// --help and --version are answered before any window system is touched, so
// that they work without a display.
bool AnswerInformation(int argc, char** argv, int* status) {
  for (int i = 1; i < argc; ++i) {
    const char* text = nullptr;
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) text = kHelp;
    if (std::strcmp(argv[i], "--version") == 0) text = kVersion;
    if (!text) continue;
    *status = std::fputs(text, stdout) < 0 || std::fflush(stdout) != 0 ? 1 : 0;
    return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (int status = 0; AnswerInformation(argc, argv, &status)) return status;
  // A save or UFO export cut off by Ctrl+C in the terminal, or by the session
  // ending, leaves no temporary file behind.
  quilmark::InstallTemporaryFileCleanup();
  // Told to end, the editor ends in its own time, keeping unsaved changes
  // for recovery; told twice, at once.
  int ending[2] = {-1, -1};
  if (::pipe2(ending, O_CLOEXEC | O_NONBLOCK) == 0) quilmark::DeferTerminationSignals(ending[1]);
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
  if (ending[0] >= 0) {
    auto* notifier = new QSocketNotifier(ending[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window, fd = ending[0]] {
      unsigned char signal = 0;
      if (::read(fd, &signal, 1) == 1) window.EndBySignal(signal);
    });
  }
  window.show();
  QTimer::singleShot(0, &window, &quilmark::FrmQuilmark::OfferRecovery);
  if (const QString script = qEnvironmentVariable("QUILMARK_TEST_SCRIPT"); !script.isEmpty())
    quilmark::RunScript(window, script);
  const int status = app.exec();
  // Ended by a signal: the parent sees it as before.
  if (const int signal = window.EndingSignal()) {
    std::signal(signal, SIG_DFL);
    std::raise(signal);
  }
  return status;
}
