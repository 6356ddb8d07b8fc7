#include "runtime/endings.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <semaphore.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
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
// Set once at start, before any handler is installed.
long mainThread = 0;
pid_t runPid = 0;

long long clockNs(clockid_t clock) {
  timespec ts{};
  if (clock_gettime(clock, &ts) != 0) return 0;
  return static_cast<long long>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

long long nowMs() { return clockNs(CLOCK_MONOTONIC) / 1'000'000; }

// The main thread's blocked time. The kernel keeps, for each thread, its
// time on a CPU (the thread's CPU clock) and its time waiting for one
// (the second figure of its schedstat); the rest of the clock's time it
// was blocked. Read by the main thread of itself, or by the watchdog while
// the main thread is not runnable, the count is exact; read while the
// thread waits for a CPU, it holds that wait so far too, which the kernel
// adds up only once the wait ends. Without /proc, the time waiting for a
// CPU counts as blocked.
clockid_t mainCpuClock = CLOCK_THREAD_CPUTIME_ID;
int mainSchedstat = -1, mainStat = -1;

// The first whole number after the first blank of what `fd` reads.
long long secondNumber(int fd) {
  char text[96];
  ssize_t n = pread(fd, text, sizeof text - 1, 0);
  if (n <= 0) return 0;
  text[n] = '\0';
  const char* p = std::strchr(text, ' ');
  long long v = 0;
  for (p = p ? p + 1 : text + n; *p >= '0' && *p <= '9'; ++p) v = v * 10 + (*p - '0');
  return v;
}

// A clock that runs only while the main thread is blocked, in ms.
long long blockedMs() {
  long long waitingForCpu = mainSchedstat >= 0 ? secondNumber(mainSchedstat) : 0;
  return (clockNs(CLOCK_MONOTONIC) - clockNs(mainCpuClock) - waitingForCpu) / 1'000'000;
}

// Whether the main thread is on a CPU or waiting for one; false where it
// cannot be told.
bool mainRunnable() {
  if (mainStat < 0) return false;
  // "pid (name) state ...": a thread's name is at most 15 bytes.
  char text[48];
  ssize_t n = pread(mainStat, text, sizeof text - 1, 0);
  if (n <= 0) return false;
  text[n] = '\0';
  const char* close = std::strrchr(text, ')');
  return close && close[1] == ' ' && close[2] == 'R';
}

// The display server's schedstat, once the run is connected to a local
// one, whose second figure is the server's time waiting for a CPU.
std::atomic<int> serverSchedstat{-1};

long long serverWaitingMs() {
  int fd = serverSchedstat.load();
  return fd >= 0 ? secondNumber(fd) / 1'000'000 : 0;
}

// When the stop came, by the clock, by the main thread's blocked clock,
// and by the display server's time waiting for a CPU (or since the server
// was known, when that was later).
std::atomic<long long> stopAtMs{0}, stopBlockedAtMs{0}, stopServerWaitingMs{0};

// The time blocked in the run's own files since the stop, in one word so
// that the watchdog reads it whole: the upper half is what the scopes
// that ended have counted (since the stop); the lower half, while a scope
// is open, is one more than where on the blocked clock it began counting,
// from the stop (0: at the stop, however long before it the scope began).
// Changed by the main thread alone.
std::atomic<long long> filesWord{0};
int filesDepth = 0;
constexpr long long kLowHalf = 0xffffffffLL;

struct Counted {
  long long waits, files;
};

// What the stop has counted by the blocked clock's `now`.
Counted counted(long long now) {
  long long word = filesWord.load(), since = stopBlockedAtMs.load();
  long long files = word >> 32;
  if (word & kLowHalf) files += now - (since + (word & kLowHalf) - 1);
  long long all = std::max(0LL, now - since);
  files = std::clamp(files, 0LL, all);
  // The run waiting on a display server that waits for a CPU waits for a
  // CPU: as much of the rest as the server waited for one does not count.
  long long server = serverSchedstat.load() >= 0 ? serverWaitingMs() - stopServerWaitingMs.load() : 0;
  return {all - files - std::clamp(server, 0LL, all - files), files};
}

// The watchdog: a thread of its own, with every signal held, woken by the
// handlers. Once a stop's bound or budget is spent, it asks the main
// thread to end the run at once (kBackstopSignal, with backstopAsked
// saying which); once the main thread has stayed blocked for kEndingMs
// without ending, or an ending at once has, it ends the process itself
// by the signal, without the line or the clean-up that waited. Where no
// thread can be had, a timer of the kernel's sends kBackstopSignal to the
// main thread instead, whose handler looks at the count itself.
constexpr int kBackstopSignal = SIGALRM;
// How soon the count is looked at again while the main thread is
// runnable, when all that is over the bound may be a wait for a CPU.
constexpr long long kLookAgainMs = 20;
sem_t wake;
bool haveSemaphore = false;
bool haveWatchdog = false;
timer_t backstopTimer;
bool haveTimer = false;
enum Why { kNotAsked, kWaits, kFiles };
std::atomic<int> backstopAsked{kNotAsked};
// The signal an ending at once is under way for, and where the blocked
// clock stood when it began.
std::atomic<int> endingBy{0};
std::atomic<long long> endingSinceMs{0};

// What is left of an ending at once's kEndingMs, by the blocked clock.
long long endingLeftMs() { return kEndingMs - (blockedMs() - endingSinceMs.load()); }

void armTimer(long long ms) {
  itimerspec when{};
  ms = std::max(ms, 1LL);
  when.it_value.tv_sec = static_cast<time_t>(ms / 1000);
  when.it_value.tv_nsec = static_cast<long>(ms % 1000) * 1'000'000;
  timer_settime(backstopTimer, 0, &when, nullptr);
}

// Lets the watchdog, or the timer, look at the count now.
void lookNow(long long timerMs) {
  if (haveWatchdog) sem_post(&wake);
  else if (haveTimer) armTimer(timerMs);
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

// What the main thread has left before the bound or the budget is spent
// (<= 0: spent), and which would be spent first.
long long leftMs(const Counted& c, Why& first) {
  long long waits = kStopBoundMs - c.waits, files = kOwnFilesBudgetMs - c.files;
  first = files < waits ? kFiles : kWaits;
  return std::min(waits, files);
}

void* watch(void*) {
  long long askedAtMs = -1;  // the blocked clock when the main thread was asked to end
  for (;;) {
    if (int by = endingBy.load()) {
      long long left = endingLeftMs();
      if (left <= 0 && !mainRunnable()) dieHere(by);
      sleepMs(std::max(left, kLookAgainMs));
      continue;
    }
    int stop = stopSignal.load();
    if (!stop) {
      while (sem_wait(&wake) != 0 && errno == EINTR) {
      }
      continue;
    }
    long long now = blockedMs();
    if (askedAtMs >= 0) {
      // The main thread has not taken the request: it waits with the
      // signal held, or in a call no signal ends.
      long long left = kEndingMs - (now - askedAtMs);
      if (left <= 0 && !mainRunnable()) dieHere(stop);
      sleepMs(std::max(left, kLookAgainMs));
      continue;
    }
    Why first;
    long long left = leftMs(counted(now), first);
    // What counts grows no faster than the clock: nothing to look at
    // before `left` has passed.
    if (left > 0 || mainRunnable()) {
      sleepMs(std::max(left, kLookAgainMs));
      continue;
    }
    askedAtMs = now;
    backstopAsked = first;
    syscall(SYS_tgkill, runPid, mainThread, kBackstopSignal);
  }
}

// Starts the watchdog; 0, or why it could not be.
int startWatchdog() {
  sigset_t all, before;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, &before);
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
  pthread_attr_setstacksize(&attr, 64 * 1024);
  pthread_t thread;
  int failed = pthread_create(&thread, &attr, watch, nullptr);
  pthread_attr_destroy(&attr);
  haveWatchdog = failed == 0;
  if (haveWatchdog) pthread_setname_np(thread, "watchdog");
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  return failed;
}

// The timer that stands in for the watchdog: it sends kBackstopSignal to
// the main thread, and is armed only from a stop on.
bool startTimer() {
  sigevent ev{};
  ev.sigev_notify = SIGEV_THREAD_ID;
  ev.sigev_signo = kBackstopSignal;
  ev._sigev_un._tid = static_cast<pid_t>(mainThread);  // sigev_notify_thread_id
  haveTimer = timer_create(CLOCK_MONOTONIC, &ev, &backstopTimer) == 0;
  return haveTimer;
}

const int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};
// Signals that end a process (a few of them with a core), sent or raised
// by a fault, besides the realtime ones: the temporary files go first,
// then the signal does what it did before. Every signal whose default
// action ends the process is here or a stop, but SIGKILL.
const int kFatalSignals[] = {SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU, SIGPOLL,
                             SIGPWR,  SIGABRT, SIGSEGV, SIGBUS,  SIGFPE,    SIGILL,  SIGSYS,  SIGTRAP,
                             SIGSTKFLT};
// Ignored by the run: the failed write they stand for is reported.
const int kIgnoredSignals[] = {SIGPIPE, SIGXFSZ};
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
  void add(long long n) {
    char digits[24];
    int at = sizeof digits - 1;
    digits[at] = '\0';
    do digits[--at] = static_cast<char>('0' + n % 10);
    while ((n /= 10) > 0 && at > 0);
    add(digits + at);
  }
  void addPending() { addPendingOptions(text_, used_, sizeof text_ - 1, "; left as they were before the run: "); }
  // Written only as far as the standard error has room at once; where it
  // is a stream the run shares and could not open a description of its own
  // on, the write may wait, for kEndingMs at most.
  void write() {
    text_[used_++] = '\n';
    errorStream().putNow(text_, used_);
  }

 private:
  char text_[256];
  size_t used_ = 0;
};

enum class AtOnce { kAgain, kFatal, kStillWaiting, kStillWriting };

// Ends the process at once: says which outputs are left as they were,
// removes the files of ours not complete yet, and lets the signal end it;
// the watchdog, or the timer, ends it should any of that stay blocked.
void endAtOnce(int sig, siginfo_t* info, AtOnce why) {
  int saved = errno;
  endingSinceMs = blockedMs();
  endingBy = sig;
  if (haveWatchdog) {
    sem_post(&wake);
  } else if (haveTimer) {
    // The timer's signal, held in this handler, may end the line's wait.
    armTimer(kEndingMs);
    sigset_t backstop;
    sigemptyset(&backstop);
    sigaddset(&backstop, kBackstopSignal);
    pthread_sigmask(SIG_UNBLOCK, &backstop, nullptr);
  }
  Line line;
  SignalName name(sig);
  if (why == AtOnce::kAgain) {
    line.add("stopped again by ");
    line.add(name.text);
    line.add(", at once");
  } else if (why == AtOnce::kStillWaiting || why == AtOnce::kStillWriting) {
    bool files = why == AtOnce::kStillWriting;
    line.add("stopped by ");
    line.add(name.text);
    line.add(files ? "; its files still not written after " : "; still waiting after ");
    line.add(files ? kOwnFilesBudgetMs : kStopBoundMs);
    line.add(files ? " ms of waiting on them, so ended at once" : " ms of waiting, so ended at once");
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
    dieBy(sig);
  }
  errno = saved;
}

// The bound or the budget is spent: the run ends at once.
void endStillBlocked(int stop, int why) {
  endAtOnce(stop, nullptr, why == kFiles ? AtOnce::kStillWriting : AtOnce::kStillWaiting);
}

// The timer, in place of the watchdog: looks at the count on the main
// thread, whose own count is exact.
void onTimer() {
  if (int by = endingBy.load()) {
    long long left = endingLeftMs();
    if (left <= 0) dieHere(by);
    armTimer(left);
    return;
  }
  int stop = stopSignal.load();
  if (!stop) return;
  Why first;
  long long left = leftMs(counted(blockedMs()), first);
  if (left > 0) armTimer(left);
  else endStillBlocked(stop, first);
}

// A signal meant for the process that reached another thread goes on to
// the main thread, where the record is changed; true when it was sent on.
// In a process the run forked, which has not yet put the default handling
// back, it does what the default would.
bool sentToMain(int sig, siginfo_t* info) {
  if (runPid != 0 && getpid() != runPid) dieHere(sig);
  long self = syscall(SYS_gettid);
  if (mainThread == 0 || self == mainThread || (isFault(sig) && info && info->si_code > 0)) return false;
  syscall(SYS_tgkill, runPid, mainThread, sig);
  return true;
}

void onFatal(int sig, siginfo_t* info, void*) {
  if (sig == kBackstopSignal) {
    if (int why = backstopAsked.exchange(kNotAsked)) {
      if (int stop = stopSignal.load()) endStillBlocked(stop, why);
      return;
    }
    if (haveTimer && info && info->si_code == SI_TIMER) {
      int saved = errno;
      onTimer();
      errno = saved;
      return;
    }
  }
  if (ignoredAtStart[sig]) return;
  if (!sentToMain(sig, info)) endAtOnce(sig, info, AtOnce::kFatal);
}

void onStop(int sig, siginfo_t* info, void*) {
  if (sentToMain(sig, info)) return;
  if (stopSignal.load()) {
    // The same act, relayed: one stop.
    if (nowMs() - stopAtMs.load() < kSameActMs) return;
    // Asked again: the run did not get to stop, so it ends now.
    endAtOnce(sig, info, AtOnce::kAgain);
    return;
  }
  int saved = errno;
  stopAtMs = nowMs();
  stopBlockedAtMs = blockedMs();
  if (serverSchedstat.load() >= 0) stopServerWaitingMs = serverWaitingMs();
  stopSignal = sig;
  // Blocked time grows no faster than the clock.
  lookNow(kStopBoundMs);
  errno = saved;
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

sigset_t stopSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (int sig : kStopSignals) sigaddset(&set, sig);
  return set;
}

// No call waits on a signal but the waits of waitFor: a call the signal
// lands in is simply restarted. One handler runs at a time.
void install(int sig, void (*handler)(int, siginfo_t*, void*)) {
  struct sigaction sa {};
  sa.sa_sigaction = handler;
  // A fault's handler runs on a stack of its own, so that it runs after
  // the stack ran out too.
  sa.sa_flags = SA_SIGINFO | SA_RESTART | (isFault(sig) ? SA_ONSTACK : 0);
  sa.sa_mask = endingSignals();
  sigaction(sig, &sa, &before[sig]);
}

// The process that forks: the run, or a process the run forked, which
// forks with the run's handlers of forks too.
pid_t forking = 0;

void beforeFork() { forking = getpid(); }

// A process the run forks (a library's helper, a message box) is not the
// run: it takes the default handling of every signal, and dies with the
// run. A process that one of those forks is theirs, and left alone.
void afterFork() {
  if (forking != runPid) return;
  auto dfl = [](int sig) {
    if (!ignoredAtStart[sig]) signal(sig, SIG_DFL);
  };
  for (int sig : kStopSignals) dfl(sig);
  for (int sig : kIgnoredSignals) dfl(sig);
  forEachFatal(dfl);
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  // The run ended before the line above: so does this process.
  if (getppid() != runPid) kill(getpid(), SIGKILL);
}

bool ignored(int sig) {
  struct sigaction was {};
  return sigaction(sig, nullptr, &was) == 0 && was.sa_handler == SIG_IGN;
}

// Keeps the main thread's clocks at hand for the watchdog and the timer.
void watchMainThread() {
  pthread_getcpuclockid(pthread_self(), &mainCpuClock);
  char path[64];
  std::snprintf(path, sizeof path, "/proc/self/task/%ld/schedstat", mainThread);
  mainSchedstat = open(path, O_RDONLY | O_CLOEXEC);
  std::snprintf(path, sizeof path, "/proc/self/task/%ld/stat", mainThread);
  mainStat = open(path, O_RDONLY | O_CLOEXEC);
}

}  // namespace

std::string catchEndings() {
  mainThread = syscall(SYS_gettid);
  runPid = getpid();
  // The writer the handlers use is made before any handler can run.
  errorStream();
  for (int sig : kIgnoredSignals) {
    ignoredAtStart[sig] = ignored(sig);
    signal(sig, SIG_IGN);
  }
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
  watchMainThread();
  haveSemaphore = sem_init(&wake, 0, 0) == 0;
  if (!startTimer()) {
    int why = haveSemaphore ? startWatchdog() : errno;
    if (why != 0)
      return std::string("neither a thread nor a timer could be had to bound a stop (") + std::strerror(why) + ")";
  }
  // A signal ignored when the program was started (nohup, a background
  // job of a script) stays ignored; the backstop's is caught all the same.
  // A signal held is not ignored: the stops and the backstop are taken by
  // the main thread whatever mask the run was started with.
  for (int sig : kStopSignals) {
    ignoredAtStart[sig] = ignored(sig);
    if (!ignoredAtStart[sig]) install(sig, onStop);
  }
  forEachFatal([&](int sig) {
    ignoredAtStart[sig] = ignored(sig);
    if (!ignoredAtStart[sig] || sig == kBackstopSignal) install(sig, onFatal);
  });
  sigset_t taken = stopSignals();
  sigaddset(&taken, kBackstopSignal);
  pthread_sigmask(SIG_UNBLOCK, &taken, nullptr);
  pthread_atfork(beforeFork, nullptr, afterFork);
  return "";
}

void waitsOnDisplayServer(int connection) {
  ucred peer{};
  socklen_t size = sizeof peer;
  if (serverSchedstat.load() >= 0 || getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 ||
      peer.pid <= 0)
    return;
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%ld/schedstat", static_cast<long>(peer.pid));
  int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  // Counted from now on, also when the stop came before.
  stopServerWaitingMs = secondNumber(fd) / 1'000'000;
  serverSchedstat = fd;
}

void watchFromNowOn() {
  if (haveWatchdog || !haveSemaphore) return;
  // No handler runs while the watch changes hands. The timer stays, unset,
  // so that a signal of its own still on the way is taken as the timer's.
  sigset_t ending = endingSignals(), was;
  pthread_sigmask(SIG_BLOCK, &ending, &was);
  if (startWatchdog() == 0 && haveTimer) {
    itimerspec none{};
    // A stop already under way is the watchdog's from its first look.
    timer_settime(backstopTimer, 0, &none, nullptr);
  }
  pthread_sigmask(SIG_SETMASK, &was, nullptr);
}

int stopAsked() { return stopSignal.load(); }

void stopIfAsked() {
  if (stopAsked()) throw ProgramEnd{kSignalled + stopAsked()};
}

long long readersShareLeftMs() {
  if (!stopAsked()) return 1LL << 40;
  return kReadersShareMs - counted(blockedMs()).waits;
}

short waitFor(int fd, short events, int timeoutMs, bool untilStop) {
  // The stops are held from the look on, and let in only by the wait
  // itself, so that a stop that comes just before it ends it too.
  sigset_t stops = stopSignals(), was;
  pthread_sigmask(SIG_BLOCK, &stops, &was);
  pollfd p{fd, events, 0};
  int n = 0;
  if (!(untilStop && stopAsked())) {
    timespec limit{timeoutMs / 1000, (timeoutMs % 1000) * 1'000'000L};
    n = ppoll(&p, 1, timeoutMs < 0 ? nullptr : &limit, &was);
  }
  int saved = errno;
  pthread_sigmask(SIG_SETMASK, &was, nullptr);
  errno = saved;
  if (n < 0) return errno == EINTR ? 0 : -1;
  return n > 0 ? p.revents : 0;
}

int finalStop() {
  sigset_t stops = stopSignals();
  pthread_sigmask(SIG_BLOCK, &stops, nullptr);
  return stopAsked();
}

void dieBy(int sig) {
  // Nothing of the program's waits in the standard streams' buffers: its
  // messages are written as they are said.
  removeTemporaries();
  dieHere(sig);
}

std::string signalName(int sig) { return SignalName(sig).text; }

WritingFiles::WritingFiles() {
  if (filesDepth++ > 0) return;
  long long from = stopAsked() ? std::max(0LL, blockedMs() - stopBlockedAtMs.load()) : 0;
  filesWord = (filesWord.load() & ~kLowHalf) | (from + 1);
}

WritingFiles::~WritingFiles() {
  if (--filesDepth > 0) return;
  long long word = filesWord.load(), done = word >> 32;
  if (stopAsked()) done += std::max(0LL, blockedMs() - (stopBlockedAtMs.load() + (word & kLowHalf) - 1));
  filesWord = done << 32;
}

SignalsHeld::SignalsHeld() {
  // The signals of a fault too: one sent waits as the others do, and a
  // real fault meanwhile ends the process by the system's default.
  sigset_t set = endingSignals();
  for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL}) sigaddset(&set, sig);
  pthread_sigmask(SIG_BLOCK, &set, &before_);
}

SignalsHeld::~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }

}  // namespace rt
