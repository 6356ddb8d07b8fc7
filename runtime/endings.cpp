#include "runtime/endings.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "runtime/basic.h"

namespace rt {

namespace {

// The temporary files, in slots a signal handler can read without locks:
// a slot's path is complete before it is marked used.
struct Slot {
  volatile sig_atomic_t used = 0;
  char path[4096] = {};
};
Slot slots[16];

volatile sig_atomic_t stopAsked = 0;

const int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};
// Signals that end a process (a few of them with a core): the temporary
// files go first, then the signal does what it did before.
const int kFatalSignals[] = {SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU,
                             SIGPOLL, SIGPWR,  SIGABRT, SIGSEGV, SIGBUS,    SIGFPE,  SIGILL,
                             SIGSYS};
struct sigaction before[NSIG];

void dieBy(int sig, siginfo_t* info) {
  removeTemporaries();
  sigaction(sig, &before[sig], nullptr);
  // A fault comes back when the handler returns and meets the handler that
  // was there before; a sent signal is sent again.
  bool fault = info && info->si_code > 0 &&
               (sig == SIGSEGV || sig == SIGBUS || sig == SIGFPE || sig == SIGILL);
  if (!fault) ::raise(sig);
}

void onFatal(int sig, siginfo_t* info, void*) { dieBy(sig, info); }

void onStop(int sig, siginfo_t* info, void*) {
  // Asked twice: the run did not get to stop, so it ends now.
  if (stopAsked) {
    dieBy(sig, info);
    return;
  }
  stopAsked = sig;
}

const char* signalName(int sig) {
  switch (sig) {
    case SIGTERM: return "SIGTERM";
    case SIGINT: return "SIGINT";
    case SIGHUP: return "SIGHUP";
    default: return "a signal";
  }
}

void install(int sig, void (*handler)(int, siginfo_t*, void*)) {
  struct sigaction sa {};
  sa.sa_sigaction = handler;
  sa.sa_flags = SA_SIGINFO | SA_RESTART;
  sigemptyset(&sa.sa_mask);
  sigaction(sig, &sa, &before[sig]);
}

}  // namespace

void catchEndings() {
  signal(SIGPIPE, SIG_IGN);
  signal(SIGXFSZ, SIG_IGN);
  // A signal ignored when the program was started (nohup, a background
  // job of a script) stays ignored.
  auto ignored = [](int sig) {
    struct sigaction now {};
    return sigaction(sig, nullptr, &now) == 0 && now.sa_handler == SIG_IGN;
  };
  for (int sig : kStopSignals)
    if (!ignored(sig)) install(sig, onStop);
  for (int sig : kFatalSignals)
    if (!ignored(sig)) install(sig, onFatal);
}

void stopIfAsked() {
  static bool said = false;
  int sig = stopAsked;
  if (!sig) return;
  if (!said) {
    std::fprintf(stderr, "stopped by %s; the outputs hold the run as it stood\n", signalName(sig));
    said = true;
  }
  throw ProgramEnd{kSignalled + sig};
}

void holdTemporary(const std::string& path) {
  if (path.size() >= sizeof(Slot::path)) return;
  for (Slot& s : slots) {
    if (s.used) continue;
    std::memcpy(s.path, path.c_str(), path.size() + 1);
    s.used = 1;
    return;
  }
}

void dropTemporary(const std::string& path) {
  for (Slot& s : slots)
    if (s.used && path == s.path) {
      s.used = 0;
      return;
    }
}

void removeTemporaries() {
  for (Slot& s : slots)
    if (s.used) {
      unlink(s.path);
      s.used = 0;
    }
}

}  // namespace rt
