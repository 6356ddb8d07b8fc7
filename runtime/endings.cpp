#include "runtime/endings.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "runtime/basic.h"
#include "runtime/messages.h"
#include "runtime/runtime.h"

namespace rt {

namespace {

static_assert(std::atomic<int>::is_always_lock_free && std::atomic<char>::is_always_lock_free,
              "the signal handlers read the slots without locks");

constexpr size_t kOptionBytes = 16;
constexpr size_t kNameBytes = 256;  // a file name and its end

// An output the handlers know of. Every field is atomic, so that a handler
// reads it by the language's rules; the main thread changes a slot only
// with the signals held, and a handler runs on the main thread, so it never
// sees a slot half changed.
struct Slot {
  std::atomic<int> taken{0};
  std::atomic<int> folder{-1};
  std::atomic<char> option[kOptionBytes] = {};
  std::atomic<char> temp[kNameBytes] = {};
};
Slot slots[16];

void store(std::atomic<char>* to, size_t size, const std::string& text) {
  size_t n = text.size() < size ? text.size() : 0;
  for (size_t i = 0; i < n; ++i) to[i].store(text[i], std::memory_order_relaxed);
  to[n].store('\0', std::memory_order_relaxed);
}

// A text out of a slot, for a handler too.
template <size_t N>
void load(const std::atomic<char> (&from)[N], char (&to)[N]) {
  for (size_t i = 0; i < N; ++i) to[i] = from[i].load(std::memory_order_relaxed);
  to[N - 1] = '\0';
}

std::atomic<int> errorFd{2};
std::atomic<int> stopSignal{0};
std::atomic<long long> stopAtMs{0};  // when it came, on the monotonic clock
std::atomic<long> mainThread{0};

long long nowMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
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

// A line put together in a handler, without allocating. It is written
// only as far as the standard error has room at once: the handler never
// waits for a reader.
class Line {
 public:
  void add(const char* text) {
    while (*text && used_ < sizeof text_ - 1) text_[used_++] = *text++;
  }
  void write() {
    text_[used_++] = '\n';
    int fd = errorFd.load();
    for (size_t done = 0; done < used_;) {
      pollfd p{fd, POLLOUT, 0};
      if (poll(&p, 1, 0) != 1 || !(p.revents & POLLOUT)) return;
      ssize_t n = ::write(fd, text_ + done, used_ - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;
      done += static_cast<size_t>(n);
    }
  }

 private:
  char text_[256];
  size_t used_ = 0;
};

// Ends the process at once: says which outputs are left as they were,
// removes the files of ours not complete yet, and lets the signal end it.
void endAtOnce(int sig, siginfo_t* info, bool again) {
  int saved = errno;
  Line line;
  if (again) {
    line.add("stopped again by ");
    line.add(SignalName(sig).text);
    line.add(", at once");
  } else {
    line.add("ended at once by ");
    line.add(SignalName(sig).text);
  }
  const char* joint = "; left as they were before the run: ";
  for (Slot& s : slots) {
    if (!s.taken.load() || !s.option[0].load()) continue;
    char option[kOptionBytes];
    load(s.option, option);
    line.add(joint);
    line.add(option);
    joint = ", ";
  }
  line.write();
  removeTemporaries();
  // A fault comes back when the handler returns and meets the handler that
  // was there before (a sanitizer's report); a sent signal meets the
  // default action.
  if (isFault(sig) && info && info->si_code > 0) {
    sigaction(sig, &before[sig], nullptr);
  } else {
    signal(sig, SIG_DFL);
    ::raise(sig);
  }
  errno = saved;
}

// A signal meant for the process that reached another thread goes on to
// the main thread, where the slots are changed; true when it was sent on.
bool sentToMain(int sig, siginfo_t* info) {
  long self = syscall(SYS_gettid), main = mainThread.load();
  if (main == 0 || self == main || (isFault(sig) && info && info->si_code > 0)) return false;
  syscall(SYS_tgkill, getpid(), main, sig);
  return true;
}

void onFatal(int sig, siginfo_t* info, void*) {
  if (!sentToMain(sig, info)) endAtOnce(sig, info, false);
}

void onStop(int sig, siginfo_t* info, void*) {
  if (sentToMain(sig, info)) return;
  // Asked twice: the run did not get to stop, so it ends now.
  if (stopSignal.load() != 0) {
    endAtOnce(sig, info, true);
    return;
  }
  stopAtMs = nowMs();
  stopSignal = sig;
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

// What the outputs came to, once handled.
struct Handled {
  int asked = -1;  // -1: not handled, the run did not begin
  int failed = 0;
  std::string folderLeft;
};
Handled handled;

}  // namespace

int aboveStandardStreams(int fd) {
  if (fd < 0 || fd > 2) return fd;
  int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
  int saved = errno;
  ::close(fd);
  errno = saved;
  return moved;
}

int writerOfOwn(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0 || !(S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode))) return -1;
  std::string self = "/proc/self/fd/" + std::to_string(fd);
  return aboveStandardStreams(open(self.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
}

int errorWriter() { return errorFd.load(); }

void catchEndings() {
  mainThread = syscall(SYS_gettid);
  if (int own = writerOfOwn(2); own >= 0) errorFd = own;
  signal(SIGPIPE, SIG_IGN);
  signal(SIGXFSZ, SIG_IGN);
  // A signal ignored when the program was started (nohup, a background
  // job of a script) stays ignored.
  auto ignored = [](int sig) {
    struct sigaction now {};
    return sigaction(sig, nullptr, &now) == 0 && now.sa_handler == SIG_IGN;
  };
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
  for (int sig : kStopSignals)
    if (!ignored(sig)) install(sig, onStop);
  forEachFatal([&](int sig) {
    if (!ignored(sig)) install(sig, onFatal);
  });
}

int stopAsked() { return stopSignal.load(); }

void stopIfAsked() {
  if (stopAsked()) throw ProgramEnd{kSignalled + stopAsked()};
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
  removeTemporaries();
  signal(sig, SIG_DFL);
  sigset_t one;
  sigemptyset(&one);
  sigaddset(&one, sig);
  ::raise(sig);
  pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
  // Only when the signal could not end the process.
  std::_Exit(kSignalled + sig);
}

std::string signalName(int sig) { return SignalName(sig).text; }

Room waitForRoom(int fd) {
  // Short slices, so that a stop that lands just before a wait is seen
  // within one.
  constexpr int kSliceMs = 50;
  for (;;) {
    // What is left of the stop's grace; a last look once it is spent.
    long long left = stopAsked() ? stopAtMs.load() + kStopGraceMs - nowMs() : kSliceMs;
    pollfd p{fd, POLLOUT, 0};
    int n = poll(&p, 1, static_cast<int>(std::clamp<long long>(left, 0, kSliceMs)));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || (n > 0 && (p.revents & POLLNVAL))) return Room::kFailed;
    // An error or a reader gone is for the write to tell.
    if (n > 0) return Room::kReady;
    if (left <= 0) return Room::kStopped;
  }
}

void outputsHandled(int asked, int failed) {
  handled.asked = asked;
  handled.failed = failed;
}

void folderLeft(const std::string& path) { handled.folderLeft = path; }

std::string outputsClause() {
  if (handled.asked <= 0) return "";
  if (handled.failed == 0) return "; the outputs hold the run as it stood";
  if (handled.failed < handled.asked) return "; the other outputs hold the run as it stood";
  return "; no output could be written";
}

void endByStop(int sig) {
  std::string line = "stopped by " + signalName(sig);
  if (handled.asked >= 0) {
    line += outputsClause();
  } else {
    line += " before the run began; nothing was written";
    if (!handled.folderLeft.empty()) line += ", but the folder " + shown(handled.folderLeft) + " was made";
  }
  say(line);
  dieBy(sig);
}

void endAsLost(const std::string& what) {
  if (int sig = stopAsked()) endByStop(sig);
  // Said with the stops still taken, so that a stop ends a wait on a
  // stalled reader; one that came meanwhile ends the run by its signal.
  say(what + outputsClause());
  if (int sig = finalStop()) endByStop(sig);
  removeTemporaries();
  std::_Exit(handled.failed > 0 ? kOutputFailed : kDisplayLost);
}

SignalsHeld::SignalsHeld() {
  sigset_t set = endingSignals();
  pthread_sigmask(SIG_BLOCK, &set, &before_);
}

SignalsHeld::~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }

int holdOutput(const std::string& option) {
  SignalsHeld held;
  // Held already, before it was opened.
  for (int i = 0; i < static_cast<int>(std::size(slots)) && !option.empty(); ++i) {
    Slot& s = slots[i];
    if (!s.taken.load()) continue;
    char named[kOptionBytes];
    load(s.option, named);
    if (option == named) return i;
  }
  for (int i = 0; i < static_cast<int>(std::size(slots)); ++i) {
    Slot& s = slots[i];
    if (s.taken.load()) continue;
    store(s.option, kOptionBytes, option);
    store(s.temp, kNameBytes, "");
    s.folder = -1;
    s.taken = 1;
    return i;
  }
  return -1;
}

void recordTemporary(int slot, int folder, const std::string& name) {
  if (slot < 0) return;
  SignalsHeld held;
  store(slots[slot].temp, kNameBytes, name);
  slots[slot].folder = folder;
}

void forgetTemporary(int slot) {
  if (slot < 0) return;
  SignalsHeld held;
  store(slots[slot].temp, kNameBytes, "");
  slots[slot].folder = -1;
}

void outputInPlace(int slot) {
  if (slot < 0) return;
  SignalsHeld held;
  store(slots[slot].option, kOptionBytes, "");
}

void releaseOutput(int slot) {
  if (slot < 0) return;
  SignalsHeld held;
  slots[slot].taken = 0;
}

void removeTemporaries() {
  for (Slot& s : slots) {
    if (!s.taken.load() || s.folder.load() < 0) continue;
    char name[kNameBytes];
    load(s.temp, name);
    if (name[0]) unlinkat(s.folder.load(), name, 0);
    s.folder = -1;
  }
}

}  // namespace rt
