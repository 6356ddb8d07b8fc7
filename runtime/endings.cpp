#include "runtime/endings.h"

#include <signal.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "runtime/basic.h"
#include "runtime/pending.h"
#include "runtime/streams.h"

namespace rt {

namespace {

std::atomic<int> stopSignal{0};
std::atomic<long> mainThread{0};

// The stop's grace, on the monotonic clock: when the stop came, the time
// spent waiting on others since then before the present wait, and when
// the present wait began (0: none).
std::atomic<long long> stopAtMs{0}, waitedMs{0}, waitSinceMs{0};
int waitDepth = 0;

long long nowMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// The backstop: a timer of the main thread, armed while a stopped run
// waits on others, that fires a little after the grace is spent, so that
// the run's own waits give up first. It also bounds the line of an ending
// at once.
constexpr int kBackstopSignal = SIGALRM;
constexpr int kBackstopTag = 0x5ea1;
constexpr long long kBackstopMarginMs = 200, kLineMs = 100;
timer_t backstop;
bool haveBackstop = false;

void armBackstop(long long ms) {
  if (!haveBackstop) return;
  ms = std::max(ms, 1LL);
  itimerspec t{};
  t.it_value.tv_sec = static_cast<time_t>(ms / 1000);
  t.it_value.tv_nsec = static_cast<long>(ms % 1000) * 1000000;
  timer_settime(backstop, 0, &t, nullptr);
}

void disarmBackstop() {
  if (!haveBackstop) return;
  itimerspec none{};
  timer_settime(backstop, 0, &none, nullptr);
}

const int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};
// Signals that end a process (a few of them with a core), sent or raised
// by a fault, besides the realtime ones: the temporary files go first,
// then the signal does what it did before. Every signal whose default
// action ends the process is here or a stop, but SIGKILL.
const int kFatalSignals[] = {SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU, SIGPOLL,
                             SIGPWR,  SIGABRT, SIGSEGV, SIGBUS,  SIGFPE,    SIGILL,  SIGSYS,  SIGTRAP,
                             SIGSTKFLT};
struct sigaction before[NSIG];
bool ignoredAtStart[NSIG];
// The realtime signals, which the C library numbers at start.
int realtimeFirst = 0, realtimeLast = -1;

bool isFault(int sig) { return sig == SIGSEGV || sig == SIGBUS || sig == SIGFPE || sig == SIGILL; }

// Calls `f` with every signal that ends a process but the stops.
template <typename F>
void forEachFatal(F f) {
  for (int sig : kFatalSignals) f(sig);
  for (int sig = realtimeFirst; sig <= realtimeLast; ++sig) f(sig);
}

const char* knownName(int sig) {
  switch (sig) {
    case SIGTERM: return "SIGTERM";
    case SIGINT: return "SIGINT";
    case SIGHUP: return "SIGHUP";
    case SIGQUIT: return "SIGQUIT";
    case SIGUSR1: return "SIGUSR1";
    case SIGUSR2: return "SIGUSR2";
    case SIGALRM: return "SIGALRM";
    case SIGVTALRM: return "SIGVTALRM";
    case SIGPROF: return "SIGPROF";
    case SIGXCPU: return "SIGXCPU";
    case SIGPOLL: return "SIGPOLL";
    case SIGPWR: return "SIGPWR";
    case SIGABRT: return "SIGABRT";
    case SIGSEGV: return "SIGSEGV";
    case SIGBUS: return "SIGBUS";
    case SIGFPE: return "SIGFPE";
    case SIGILL: return "SIGILL";
    case SIGSYS: return "SIGSYS";
    case SIGTRAP: return "SIGTRAP";
    case SIGSTKFLT: return "SIGSTKFLT";
    default: return nullptr;
  }
}

// The signal's name ("SIGTERM", "SIGRTMIN+3"), for a handler too.
struct SignalName {
  explicit SignalName(int sig) {
    const char* known = knownName(sig);
    if (!known && sig >= realtimeFirst && sig <= realtimeLast) {
      std::memcpy(text, "SIGRTMIN+", 9);
      int n = sig - realtimeFirst, at = 9;
      if (n >= 10) text[at++] = static_cast<char>('0' + n / 10);
      text[at++] = static_cast<char>('0' + n % 10);
      text[at] = '\0';
      return;
    }
    const char* from = known ? known : "a signal";
    size_t i = 0;
    for (; from[i] && i < sizeof text - 1; ++i) text[i] = from[i];
    text[i] = '\0';
  }
  char text[16];
};

// A line put together in a handler, without allocating.
class Line {
 public:
  void add(const char* text) {
    while (*text && used_ < sizeof text_ - 1) text_[used_++] = *text++;
  }
  void addPending() { addPendingOptions(text_, used_, sizeof text_ - 1, "; left as they were before the run: "); }
  // Written only as far as the standard error has room at once; the
  // backstop ends the process should the write wait all the same (a
  // stream the run shares and could not open a description of its own on).
  void write() {
    text_[used_++] = '\n';
    armBackstop(kLineMs);
    sigset_t backstopOnly;
    sigemptyset(&backstopOnly);
    sigaddset(&backstopOnly, kBackstopSignal);
    pthread_sigmask(SIG_UNBLOCK, &backstopOnly, nullptr);
    errorStream().putNow(text_, used_);
    disarmBackstop();
  }

 private:
  char text_[256];
  size_t used_ = 0;
};

// The signal an ending at once is under way for, or 0.
std::atomic<int> endingBy{0};

void dieNow(int sig) {
  removeTemporaries();
  signal(sig, SIG_DFL);
  sigset_t one;
  sigemptyset(&one);
  sigaddset(&one, sig);
  pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
  ::raise(sig);
}

enum class AtOnce { kAgain, kFatal, kStillWaiting };

// Ends the process at once: says which outputs are left as they were,
// removes the files of ours not complete yet, and lets the signal end it.
void endAtOnce(int sig, siginfo_t* info, AtOnce why) {
  int saved = errno;
  endingBy = sig;
  Line line;
  SignalName name(sig);
  if (why == AtOnce::kAgain) {
    line.add("stopped again by ");
    line.add(name.text);
    line.add(", at once");
  } else if (why == AtOnce::kStillWaiting) {
    line.add("stopped by ");
    line.add(name.text);
    line.add("; still waiting after 500 ms, so ended at once");
    static_assert(kStopGraceMs == 500, "the line says the grace");
  } else {
    line.add("ended at once by ");
    line.add(name.text);
  }
  line.addPending();
  line.write();
  // A fault comes back when the handler returns and meets the handler that
  // was there before (a sanitizer's report); a sent signal meets the
  // default action.
  if (isFault(sig) && info && info->si_code > 0) {
    removeTemporaries();
    sigaction(sig, &before[sig], nullptr);
  } else {
    dieNow(sig);
  }
  errno = saved;
}

// A signal meant for the process that reached another thread goes on to
// the main thread, where the record is changed; true when it was sent on.
bool sentToMain(int sig, siginfo_t* info) {
  long self = syscall(SYS_gettid), main = mainThread.load();
  if (main == 0 || self == main || (isFault(sig) && info && info->si_code > 0)) return false;
  syscall(SYS_tgkill, getpid(), main, sig);
  return true;
}

void onFatal(int sig, siginfo_t* info, void*) {
  if (sig == kBackstopSignal && info && info->si_code == SI_TIMER && info->si_value.sival_int == kBackstopTag) {
    // An ending at once whose line waited ends now; else the stopped run
    // waited on others past its grace.
    if (int by = endingBy.load()) dieNow(by);
    else if (int stop = stopSignal.load()) endAtOnce(stop, nullptr, AtOnce::kStillWaiting);
    return;
  }
  if (ignoredAtStart[sig]) return;
  if (!sentToMain(sig, info)) endAtOnce(sig, info, AtOnce::kFatal);
}

void onStop(int sig, siginfo_t* info, void*) {
  if (sentToMain(sig, info)) return;
  // Asked twice: the run did not get to stop, so it ends now.
  if (stopSignal.load() != 0) {
    endAtOnce(sig, info, AtOnce::kAgain);
    return;
  }
  stopAtMs = nowMs();
  stopSignal = sig;
  if (waitSinceMs.load() != 0) armBackstop(kStopGraceMs + kBackstopMarginMs);
}

sigset_t endingSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (int sig : kStopSignals) sigaddset(&set, sig);
  forEachFatal([&](int sig) {
    if (!isFault(sig)) sigaddset(&set, sig);
  });
  return set;
}

// Nothing waits on a signal: every wait is bounded and looks for a stop
// itself, so a call the signal lands in is simply restarted. One handler
// runs at a time.
void install(int sig, void (*handler)(int, siginfo_t*, void*)) {
  struct sigaction sa {};
  sa.sa_sigaction = handler;
  // A fault's handler runs on a stack of its own, so that it runs after
  // the stack ran out too.
  sa.sa_flags = SA_SIGINFO | SA_RESTART | (isFault(sig) ? SA_ONSTACK : 0);
  sa.sa_mask = endingSignals();
  sigaction(sig, &sa, &before[sig]);
}

}  // namespace

void catchEndings() {
  mainThread = syscall(SYS_gettid);
  // The writer the handlers use is made before any handler can run.
  errorStream();
  signal(SIGPIPE, SIG_IGN);
  signal(SIGXFSZ, SIG_IGN);
  realtimeFirst = SIGRTMIN;
  realtimeLast = SIGRTMAX;
  // The main thread's stack for a fault's handler, unless one is there (a
  // sanitizer's).
  stack_t now{};
  if (sigaltstack(nullptr, &now) == 0 && (now.ss_flags & SS_DISABLE)) {
    static char faultStack[64 * 1024];
    stack_t own{};
    own.ss_sp = faultStack;
    own.ss_size = sizeof faultStack;
    sigaltstack(&own, nullptr);
  }
  sigevent fire{};
  fire.sigev_notify = SIGEV_THREAD_ID;
  fire.sigev_signo = kBackstopSignal;
  fire.sigev_value.sival_int = kBackstopTag;
  fire._sigev_un._tid = static_cast<pid_t>(mainThread.load());
  haveBackstop = timer_create(CLOCK_MONOTONIC, &fire, &backstop) == 0;
  // A signal ignored when the program was started (nohup, a background
  // job of a script) stays ignored; the backstop's is caught all the same.
  auto ignored = [](int sig) {
    struct sigaction was {};
    return sigaction(sig, nullptr, &was) == 0 && was.sa_handler == SIG_IGN;
  };
  for (int sig : kStopSignals)
    if (!ignored(sig)) install(sig, onStop);
  forEachFatal([&](int sig) {
    ignoredAtStart[sig] = ignored(sig);
    if (!ignoredAtStart[sig] || sig == kBackstopSignal) install(sig, onFatal);
  });
}

int stopAsked() { return stopSignal.load(); }

void stopIfAsked() {
  if (stopAsked()) throw ProgramEnd{kSignalled + stopAsked()};
}

long long graceLeftMs() {
  if (!stopAsked()) return 1LL << 40;
  long long spent = waitedMs.load();
  if (long long since = waitSinceMs.load()) spent += nowMs() - std::max(since, stopAtMs.load());
  return kStopGraceMs - spent;
}

WaitOnOthers::WaitOnOthers() {
  if (waitDepth++ > 0) return;
  waitSinceMs = nowMs();
  if (stopAsked()) armBackstop(graceLeftMs() + kBackstopMarginMs);
}

WaitOnOthers::~WaitOnOthers() {
  if (--waitDepth > 0) return;
  // No longer waiting first, so that a stop that comes now arms nothing.
  long long since = waitSinceMs.exchange(0);
  if (!stopAsked()) return;
  disarmBackstop();
  waitedMs += nowMs() - std::max(since, stopAtMs.load());
}

int finalStop() {
  sigset_t stops;
  sigemptyset(&stops);
  for (int sig : kStopSignals) sigaddset(&stops, sig);
  pthread_sigmask(SIG_BLOCK, &stops, nullptr);
  return stopAsked();
}

void dieBy(int sig) {
  // Nothing of the program's waits in the standard streams' buffers: its
  // messages are written as they are said.
  dieNow(sig);
  // Only when the signal could not end the process.
  std::_Exit(kSignalled + sig);
}

std::string signalName(int sig) { return SignalName(sig).text; }

SignalsHeld::SignalsHeld() {
  sigset_t set = endingSignals();
  pthread_sigmask(SIG_BLOCK, &set, &before_);
}

SignalsHeld::~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }

}  // namespace rt
