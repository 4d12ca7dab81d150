// Temporary files that must not outlive an interrupted process. A save writes
// beside its target and renames at the end; when the user presses Ctrl+C or
// the process is told to terminate half-way, the half-written file would stay
// behind. Paths registered here are removed by the signal handler before the
// process ends with the signal's usual effect.
#pragma once

#include <string>

namespace quilmark {

// Keeps path registered for removal on a termination signal while the object
// lives. Registration is best effort: when every slot is taken the path is
// simply not removed by a signal (it still is on every ordinary ending).
class TemporaryRegistration {
 public:
  TemporaryRegistration() = default;
  explicit TemporaryRegistration(const std::string& path) { Register(path); }
  ~TemporaryRegistration() { Release(); }
  TemporaryRegistration(const TemporaryRegistration&) = delete;
  TemporaryRegistration& operator=(const TemporaryRegistration&) = delete;

  void Register(const std::string& path);
  // The path no longer needs removing (it was renamed away or removed).
  void Release();

 private:
  int slot_ = -1;
};

// Installs the handler for SIGINT, SIGTERM, SIGHUP and SIGQUIT: it removes
// every registered path, then lets the signal end the process as it would
// have. Signals the process ignores stay ignored.
void InstallTemporaryFileCleanup();

// For a program with an event loop, after InstallTemporaryFileCleanup: the
// first SIGINT, SIGTERM or SIGHUP only writes its number as one byte to notify
// (a pipe the loop watches), so that the program ends in its own time and
// keeps what must be kept; a second one ends it at once, as the cleanup
// handler does. SIGQUIT still ends it at once.
void DeferTerminationSignals(int notify);

// The registered paths now (for tests).
int RegisteredTemporaryCount();

}  // namespace quilmark
