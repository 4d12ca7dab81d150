#include "base/TemporaryFiles.h"

#include <climits>
#include <csignal>
#include <cstring>

#include <unistd.h>

#include <atomic>

namespace quilmark {

namespace {

// A fixed table, so that the handler touches no allocator and no lock: a slot
// is claimed, its path copied in, and only then marked ready.
constexpr int kSlots = 32;
struct Slot {
  std::atomic<bool> claimed{false};
  std::atomic<bool> ready{false};
  char path[PATH_MAX];
};
Slot slots[kSlots];
static_assert(std::atomic<bool>::is_always_lock_free);

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void RemoveAndRaise(int signal) {
  for (Slot& slot : slots)
    if (slot.ready.load(std::memory_order_acquire)) ::unlink(slot.path);
  // The usual ending of the signal, so that the parent sees it as before.
  struct sigaction plain {};
  plain.sa_handler = SIG_DFL;
  sigemptyset(&plain.sa_mask);
  ::sigaction(signal, &plain, nullptr);
  ::raise(signal);
}

int deferred_notify = -1;
std::atomic<bool> deferred_pending{false};

void Defer(int signal) {
  if (deferred_pending.exchange(true)) return RemoveAndRaise(signal);
  const auto byte = static_cast<unsigned char>(signal);
  if (::write(deferred_notify, &byte, 1) != 1) RemoveAndRaise(signal);
}

}  // namespace

void TemporaryRegistration::Register(const std::string& path) {
  Release();
  if (path.empty() || path.size() >= PATH_MAX) return;
  for (int i = 0; i < kSlots; ++i) {
    bool expected = false;
    if (!slots[i].claimed.compare_exchange_strong(expected, true)) continue;
    std::memcpy(slots[i].path, path.c_str(), path.size() + 1);
    slots[i].ready.store(true, std::memory_order_release);
    slot_ = i;
    return;
  }
}

void TemporaryRegistration::Release() {
  if (slot_ < 0) return;
  slots[slot_].ready.store(false, std::memory_order_release);
  slots[slot_].claimed.store(false, std::memory_order_release);
  slot_ = -1;
}

namespace {
// Sets handler for signal unless the process ignores it; the termination
// signals wait while it runs.
void Handle(int signal, void (*handler)(int), int flags) {
  struct sigaction old {};
  if (::sigaction(signal, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) return;
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  for (const int other : kSignals) sigaddset(&action.sa_mask, other);
  action.sa_flags = flags;
  ::sigaction(signal, &action, nullptr);
}
}  // namespace

void InstallTemporaryFileCleanup() {
  for (const int signal : kSignals) Handle(signal, RemoveAndRaise, SA_RESETHAND);
}

void DeferTerminationSignals(int notify) {
  deferred_notify = notify;
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) Handle(signal, Defer, SA_RESTART);
}

int RegisteredTemporaryCount() {
  int count = 0;
  for (const Slot& slot : slots) count += slot.ready.load() ? 1 : 0;
  return count;
}

}  // namespace quilmark
