#include "runtime/endings.h"

#include <fcntl.h>
#include <poll.h>
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
// by a fault: the temporary files go first, then the signal does what it
// did before.
const int kFatalSignals[] = {SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU,
                             SIGPOLL, SIGPWR,  SIGABRT, SIGSEGV, SIGBUS,    SIGFPE,  SIGILL,
                             SIGSYS};
struct sigaction before[NSIG];

bool isFault(int sig) { return sig == SIGSEGV || sig == SIGBUS || sig == SIGFPE || sig == SIGILL; }

const char* nameOf(int sig) {
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
    default: return "a signal";
  }
}

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
    for (size_t done = 0; done < used_;) {
      pollfd p{2, POLLOUT, 0};
      if (poll(&p, 1, 0) != 1 || !(p.revents & POLLOUT)) return;
      ssize_t n = ::write(2, text_ + done, used_ - done);
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
    line.add(nameOf(sig));
    line.add(", at once");
  } else {
    line.add("ended at once by ");
    line.add(nameOf(sig));
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
  for (int sig : kFatalSignals)
    if (!isFault(sig)) sigaddset(&set, sig);
  return set;
}

// Nothing waits on a signal: every wait is bounded and looks for a stop
// itself, so a call the signal lands in is simply restarted. One handler
// runs at a time.
void install(int sig, void (*handler)(int, siginfo_t*, void*)) {
  struct sigaction sa {};
  sa.sa_sigaction = handler;
  sa.sa_flags = SA_SIGINFO | SA_RESTART;
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

void catchEndings() {
  mainThread = syscall(SYS_gettid);
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

std::string signalName(int sig) { return nameOf(sig); }

Room waitForRoom(int fd) {
  // Short slices, so that a stop that lands just before a wait is seen
  // within one.
  constexpr int kSliceMs = 50;
  for (;;) {
    int slice = kSliceMs;
    if (stopAsked()) slice = static_cast<int>(std::clamp<long long>(stopAtMs.load() + kStopGraceMs - nowMs(), 0, kSliceMs));
    pollfd p{fd, POLLOUT, 0};
    int n = poll(&p, 1, slice);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || (n > 0 && (p.revents & POLLNVAL))) return Room::kFailed;
    // An error or a reader gone is for the write to tell.
    if (n > 0) return Room::kReady;
    if (stopAsked() && nowMs() >= stopAtMs.load() + kStopGraceMs) return Room::kStopped;
  }
}

void outputsHandled(int asked, int failed) {
  handled.asked = asked;
  handled.failed = failed;
}

void folderLeft(const std::string& path) { handled.folderLeft = path; }

std::string outputsClause() {
  if (handled.asked < 0) {
    std::string clause = " before the run began; nothing was written";
    if (!handled.folderLeft.empty()) clause += ", but the folder " + shown(handled.folderLeft) + " was made";
    return clause;
  }
  if (handled.asked == 0) return "";
  if (handled.failed == 0) return "; the outputs hold the run as it stood";
  if (handled.failed < handled.asked) return "; the other outputs hold the run as it stood";
  return "; no output could be written";
}

void endByStop(int sig) {
  say("stopped by " + signalName(sig) + outputsClause());
  dieBy(sig);
}

void endAsLost(const std::string& what) {
  if (int sig = finalStop()) endByStop(sig);
  say(what + (handled.asked < 0 ? "" : outputsClause()));
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
