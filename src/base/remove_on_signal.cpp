#include "base/remove_on_signal.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <mutex>

namespace base {
namespace {

// Read by the handler, so only plain storage and atomics: the handler may run at any moment.
struct Slot {
  std::atomic<bool> used{false};
  char path[RemoveOnSignal::kMaxPath + 1];
};
Slot g_slots[RemoveOnSignal::kMaxFiles];

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction g_previous[3];

void Handle(int signal) {
  for (Slot& slot : g_slots) {
    if (slot.used.load()) ::unlink(slot.path);
  }
  // The signal's usual course: the disposition the program had before, else the default.
  for (size_t i = 0; i < std::size(kSignals); ++i) {
    if (kSignals[i] != signal) continue;
    ::sigaction(signal, &g_previous[i], nullptr);
  }
  ::raise(signal);
}

void InstallOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (size_t i = 0; i < std::size(kSignals); ++i) {
      struct sigaction action{};
      action.sa_handler = Handle;
      sigemptyset(&action.sa_mask);
      action.sa_flags = SA_RESETHAND;
      struct sigaction previous{};
      ::sigaction(kSignals[i], nullptr, &previous);
      // A signal the program ignores stays ignored (nohup): nothing to clean up then.
      if (previous.sa_handler == SIG_IGN) continue;
      g_previous[i] = previous;
      ::sigaction(kSignals[i], &action, nullptr);
    }
  });
}

std::mutex g_register;

}  // namespace

RemoveOnSignal::RemoveOnSignal(const std::string& path) {
  if (path.size() > kMaxPath) return;
  InstallOnce();
  std::lock_guard<std::mutex> lock(g_register);
  for (int i = 0; i < kMaxFiles; ++i) {
    if (g_slots[i].used.load()) continue;
    std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
    g_slots[i].used.store(true);
    slot_ = i;
    return;
  }
}

RemoveOnSignal::~RemoveOnSignal() {
  if (slot_ >= 0) g_slots[slot_].used.store(false);
}

}  // namespace base
