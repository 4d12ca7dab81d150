#include "editor/ScriptedRun.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <cstdio>

#include "editor/EditorSupport.h"
#include "editor/FrmQuilmark.h"

namespace quilmark {
namespace {

void Say(const QString& line) {
  std::printf("%s\n", line.toLocal8Bit().constData());
  std::fflush(stdout);
}

// One action; false while it must wait (for a modal window), nothing when it
// cannot run at all.
std::optional<bool> Act(FrmQuilmark& window, const QString& line) {
  const QString verb = line.section(' ', 0, 0), rest = line.section(' ', 1);
  if (verb == "type") {
    auto* box = window.findChild<QLineEdit*>(rest.section(' ', 0, 0));
    if (!box) return std::nullopt;
    box->setFocus();
    box->selectAll();
    box->insert(rest.section(' ', 1));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(box, &enter);
    return true;
  }
  if (verb == "trigger") {
    auto* action = window.findChild<QAction*>(rest);
    if (!action) return std::nullopt;
    action->trigger();
    return true;
  }
  if (verb == "press") {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) return false;
    for (auto* button : modal->findChildren<QAbstractButton*>())
      if (button->text().remove('&') == rest) {
        button->click();
        return true;
      }
    return std::nullopt;
  }
  if (verb == "write") return bool(window.Document().Gaf().Save(PathBytes(rest)));
  if (verb == "saveas") {
    window.FileDialogHook = [path = rest](const FileDialogRequest&) { return path; };
    const bool saved = window.SaveGafAs();
    window.FileDialogHook = nullptr;
    return saved ? std::optional<bool>(true) : std::nullopt;
  }
  if (verb == "print") {
    Say(window.windowTitle() + "|" + window.StatusText(3));
    return true;
  }
  if (verb == "quit") {
    window.close();
    return true;
  }
  return std::nullopt;
}

}  // namespace

void RunScript(FrmQuilmark& window, const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return Say("failed: cannot read " + path);
  QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
  auto* timer = new QTimer(&window);
  auto deadline = std::make_shared<QDeadlineTimer>(10000);
  QObject::connect(timer, &QTimer::timeout, &window, [&window, timer, lines, deadline]() mutable {
    if (lines.isEmpty()) return;
    // While a command is under way (a load lets messages through) only a
    // question it asks is answered; the next action waits for its end.
    if (QApplication::overrideCursor() && !lines.first().trimmed().startsWith("press ")) return;
    const QString line = lines.takeFirst().trimmed();
    // The last line says "done" once it has run, before it may end the program.
    auto ran = [timer, line, last = lines.isEmpty()](std::optional<bool> done) {
      if (done == true && !last) return;
      timer->stop();
      Say(done == true ? QString("done") : "failed: " + line);
    };
    if (line.startsWith("press ")) {
      // Answers the modal window whose loop this tick runs in.
      const std::optional<bool> done = Act(window, line);
      if (done == false && !deadline->hasExpired()) return lines.prepend(line);
      *deadline = QDeadlineTimer(10000);
      return ran(done);
    }
    // Any other action may open a modal window and wait in its loop: it runs
    // from the event loop, so that the next ticks can answer that window.
    *deadline = QDeadlineTimer(10000);
    QMetaObject::invokeMethod(
        &window, [&window, line, ran] { ran(Act(window, line)); }, Qt::QueuedConnection);
  });
  timer->start(20);
}

}  // namespace quilmark
