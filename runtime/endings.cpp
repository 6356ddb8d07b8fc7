#include "runtime/endings.h"

#include <pthread.h>
#include <semaphore.h>
#include <signal.h>
#include <sys/prctl.h>
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
pid_t runPid = 0;

long long nowMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// When the stop came, and who sent it: the sending process, or -1 for
// the kernel (a terminal's Ctrl-C).
std::atomic<long long> stopAtMs{0};
std::atomic<long> stopSender{0};

// The time a stop has counted, in one word, so that the watchdog reads it
// whole: bit 0 says whether the present moment counts (it does but in the
// run's own work), bit 1 whether a stop came; the rest is, once stopped,
// when counting began less what had counted before (counting), or what
// has counted (not counting). Changed by the main thread, and by the stop's
// handler on it, which is why the main thread changes it by exchange.
std::atomic<long long> counting{1};
constexpr long long kCounts = 1, kStopped = 2;

long long countedMs(long long word, long long now) {
  if (!(word & kStopped)) return 0;
  long long x = word >> 2;
  return (word & kCounts) ? now - x : x;
}

// Sets whether the present moment counts; returns whether it did.
bool setCounting(bool on) {
  long long word = counting.load();
  for (;;) {
    long long now = nowMs(), next;
    if (word & kStopped) {
      long long counted = countedMs(word, now);
      next = ((on ? now - counted : counted) << 2) | kStopped;
    } else {
      next = 0;
    }
    if (on) next |= kCounts;
    if (counting.compare_exchange_weak(word, next)) return word & kCounts;
  }
}

// The watchdog: a thread of its own, with every signal held, woken by the
// handlers. Once a stop's grace and a margin are spent, it asks the main
// thread to end the run at once (kBackstopSignal, with backstopAsked set);
// once an ending at once has gone on for kEndingMs, it ends the process
// itself by the signal, without the line or the clean-up that waited.
constexpr int kBackstopSignal = SIGALRM;
constexpr long long kEndingMs = 200;
sem_t wake;
bool haveWatchdog = false;
std::atomic<int> backstopAsked{0};
// The signal an ending at once is under way for, and since when.
std::atomic<int> endingBy{0};
std::atomic<long long> endingSinceMs{0};

void wakeWatchdog() {
  if (haveWatchdog) sem_post(&wake);
}

void startEnding(int sig) {
  endingSinceMs = nowMs();
  endingBy = sig;
  wakeWatchdog();
}

// Dies by `sig` on the calling thread, whatever the handler or the mask.
[[noreturn]] void dieHere(int sig) {
  signal(sig, SIG_DFL);
  sigset_t one;
  sigemptyset(&one);
  sigaddset(&one, sig);
  pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
  syscall(SYS_tgkill, getpid(), syscall(SYS_gettid), sig);
  // A signal whose default is to go on (none of ours): end all the same.
  std::_Exit(kSignalled + sig);
}

void sleepMs(long long ms) {
  timespec until{};
  clock_gettime(CLOCK_MONOTONIC, &until);
  long long ns = until.tv_nsec + std::clamp(ms, 1LL, 60'000LL) * 1'000'000;
  until.tv_sec += static_cast<time_t>(ns / 1'000'000'000);
  until.tv_nsec = static_cast<long>(ns % 1'000'000'000);
  while (sem_clockwait(&wake, CLOCK_MONOTONIC, &until) != 0 && errno == EINTR) {
  }
}

void* watch(void*) {
  long long askedAt = 0;
  for (;;) {
    long long now = nowMs();
    if (int by = endingBy.load()) {
      long long left = endingSinceMs.load() + kEndingMs - now;
      if (left <= 0) dieHere(by);
      sleepMs(left);
      continue;
    }
    int stop = stopSignal.load();
    if (!stop) {
      while (sem_wait(&wake) != 0 && errno == EINTR) {
      }
      continue;
    }
    if (askedAt != 0) {
      // The main thread did not take the request: it waits with the
      // signal held, or in a call no signal ends.
      if (now - askedAt >= kEndingMs) dieHere(stop);
      sleepMs(askedAt + kEndingMs - now);
      continue;
    }
    long long left = kStopGraceMs + kStopMarginMs - countedMs(counting.load(), now);
    if (left > 0) {
      // In the run's own work the count stands still: looked at again
      // every little while.
      sleepMs(std::max(left, 10LL));
      continue;
    }
    askedAt = now;
    backstopAsked = 1;
    syscall(SYS_tgkill, runPid, mainThread.load(), kBackstopSignal);
  }
}

void startWatchdog() {
  if (sem_init(&wake, 0, 0) != 0) return;
  sigset_t all, before;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, &before);
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
  pthread_attr_setstacksize(&attr, 64 * 1024);
  pthread_t thread;
  haveWatchdog = pthread_create(&thread, &attr, watch, nullptr) == 0;
  pthread_attr_destroy(&attr);
  if (haveWatchdog) pthread_setname_np(thread, "watchdog");
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
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
  // watchdog ends the process should the write wait all the same (a
  // stream the run shares and could not open a description of its own on).
  void write() {
    text_[used_++] = '\n';
    errorStream().putNow(text_, used_);
  }

 private:
  char text_[256];
  size_t used_ = 0;
};

[[noreturn]] void dieNow(int sig) {
  removeTemporaries();
  dieHere(sig);
}

enum class AtOnce { kAgain, kFatal, kStillWaiting };

// Ends the process at once: says which outputs are left as they were,
// removes the files of ours not complete yet, and lets the signal end it;
// the watchdog ends it should any of that wait.
void endAtOnce(int sig, siginfo_t* info, AtOnce why) {
  int saved = errno;
  startEnding(sig);
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
  // was there before (a sanitizer's report), which the watchdog leaves to
  // take its time; a sent signal meets the default action.
  if (isFault(sig) && info && info->si_code > 0) {
    removeTemporaries();
    sigaction(sig, &before[sig], nullptr);
    endingBy = 0;
  } else {
    dieNow(sig);
  }
  errno = saved;
}

// A signal meant for the process that reached another thread goes on to
// the main thread, where the record is changed, with what it said of its
// sender; true when it was sent on. In a process the run forked, which
// has not yet put the default handling back, it does what the default
// would.
bool sentToMain(int sig, siginfo_t* info) {
  if (runPid != 0 && getpid() != runPid) dieHere(sig);
  long self = syscall(SYS_gettid), main = mainThread.load();
  if (main == 0 || self == main || (isFault(sig) && info && info->si_code > 0)) return false;
  if (!info || syscall(SYS_rt_tgsigqueueinfo, runPid, main, sig, info) != 0)
    syscall(SYS_tgkill, runPid, main, sig);
  return true;
}

void onFatal(int sig, siginfo_t* info, void*) {
  if (sig == kBackstopSignal && backstopAsked.exchange(0)) {
    // The watchdog's: an ending at once whose line waited ends now; else
    // the stopped run waited on others past its grace.
    if (int by = endingBy.load()) dieNow(by);
    else if (int stop = stopSignal.load()) endAtOnce(stop, nullptr, AtOnce::kStillWaiting);
    return;
  }
  if (ignoredAtStart[sig]) return;
  if (!sentToMain(sig, info)) endAtOnce(sig, info, AtOnce::kFatal);
}

// Who sent a signal: the sending process, or -1 for the kernel.
long senderOf(const siginfo_t* info) {
  if (!info) return 0;
  return info->si_code > 0 ? -1 : static_cast<long>(info->si_pid);
}

void onStop(int sig, siginfo_t* info, void*) {
  if (sentToMain(sig, info)) return;
  if (int stop = stopSignal.load()) {
    // The same stop again, as `timeout` sends it to the run and then to
    // its whole process group: one stop.
    if (sig == stop && info && senderOf(info) == stopSender.load() && nowMs() - stopAtMs.load() < kSameStopMs)
      return;
    // Asked twice: the run did not get to stop, so it ends now.
    endAtOnce(sig, info, AtOnce::kAgain);
    return;
  }
  long long now = nowMs();
  stopAtMs = now;
  stopSender = senderOf(info);
  // The count starts now, counting or standing still as the moment does.
  long long word = counting.load();
  counting = ((word & kCounts) ? (now << 2) | kCounts : 0) | kStopped;
  stopSignal = sig;
  wakeWatchdog();
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

// A process the run forks (a library's helper) is not the run: it takes
// the default handling of every signal the run catches, and dies with
// the run.
void afterFork() {
  auto dfl = [](int sig) {
    if (!ignoredAtStart[sig]) signal(sig, SIG_DFL);
  };
  for (int sig : kStopSignals) dfl(sig);
  forEachFatal(dfl);
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != runPid) _exit(127);
}

}  // namespace

void catchEndings() {
  mainThread = syscall(SYS_gettid);
  runPid = getpid();
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
  // A signal ignored when the program was started (nohup, a background
  // job of a script) stays ignored; the backstop's is caught all the same,
  // and taken by the main thread whatever mask the run was started with.
  auto ignored = [](int sig) {
    struct sigaction was {};
    return sigaction(sig, nullptr, &was) == 0 && was.sa_handler == SIG_IGN;
  };
  for (int sig : kStopSignals) {
    ignoredAtStart[sig] = ignored(sig);
    if (!ignoredAtStart[sig]) install(sig, onStop);
  }
  forEachFatal([&](int sig) {
    ignoredAtStart[sig] = ignored(sig);
    if (!ignoredAtStart[sig] || sig == kBackstopSignal) install(sig, onFatal);
  });
  sigset_t backstop;
  sigemptyset(&backstop);
  sigaddset(&backstop, kBackstopSignal);
  pthread_sigmask(SIG_UNBLOCK, &backstop, nullptr);
  pthread_atfork(nullptr, nullptr, afterFork);
  startWatchdog();
}

int stopAsked() { return stopSignal.load(); }

void stopIfAsked() {
  if (stopAsked()) throw ProgramEnd{kSignalled + stopAsked()};
}

long long graceLeftMs() {
  if (!stopAsked()) return 1LL << 40;
  return kReadersShareMs - countedMs(counting.load(), nowMs());
}

OwnWork::OwnWork() : counted_(setCounting(false)) {}
OwnWork::~OwnWork() { setCounting(counted_); }

WaitOnOthers::WaitOnOthers() : counted_(setCounting(true)) {}
WaitOnOthers::~WaitOnOthers() { setCounting(counted_); }

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
}

std::string signalName(int sig) { return SignalName(sig).text; }

SignalsHeld::SignalsHeld() {
  // The signals of a fault too: one sent waits as the others do, and a
  // real fault meanwhile ends the process by the system's default.
  sigset_t set = endingSignals();
  for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL}) sigaddset(&set, sig);
  pthread_sigmask(SIG_BLOCK, &set, &before_);
}

SignalsHeld::~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }

}  // namespace rt
