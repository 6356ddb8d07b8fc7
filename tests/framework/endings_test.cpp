// How a run of a program ends, judged from outside as its caller sees it:
// how it ended (an exit status, or death by a signal), the lines on
// stderr, and what the folders hold afterwards.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "runtime/endings.h"
#include "runtime/runtime.h"
#include "runtime/targets.h"
#include "tests/access_lists.h"
#include "tools/virtual_display.h"

// Last: the X headers define macros (None, Bool) that clash with the others.
#include <X11/Xlib.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr uid_t kNobody = 65534;
constexpr gid_t kNogroup = 65534;

// What the file holds; a file of /proc whose process ends while it is read
// reads as far as it got.
std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void put(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

// Fills the FIFO `path`, whose reader is open and reads nothing, as a
// writer that wrote and left would.
void fillFifo(const fs::path& path) {
  int filler = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(filler, 0) << path;
  char block[4096] = {};
  while (write(filler, block, sizeof block) > 0) {
  }
  close(filler);
}

// Whether the FIFO read by `reader` is full: it takes no write, however
// small. (What it holds then depends on the writes' sizes: the run writes
// a trace in pieces that end on a line's end.)
bool pipeFull(int reader) {
  int writer = open(("/proc/self/fd/" + std::to_string(reader)).c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (writer < 0) return false;
  pollfd p{writer, POLLOUT, 0};
  bool full = poll(&p, 1, 0) == 0;
  close(writer);
  return full;
}

// A folder of this test's own, removed afterwards (also when it holds
// paths longer than the system's limit).
struct Folder {
  explicit Folder(const std::string& name)
      : dir(fs::temp_directory_path() / (name + "_" + std::to_string(getpid()))) {
    clear();
    fs::create_directories(dir);
  }
  ~Folder() { clear(); }
  void clear() const {
    if (std::system(("rm -rf '" + dir.string() + "'").c_str()) != 0) ADD_FAILURE() << "cannot remove " << dir;
  }
  // Every path in it, from it.
  std::set<std::string> entries() const {
    std::set<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(dir))
      out.insert(e.path().lexically_relative(dir).string());
    return out;
  }
  fs::path dir;
};

// A trace that ends on a whole line, each line one operation.
void expectWholeTrace(const fs::path& p) {
  std::string t = slurp(p);
  ASSERT_FALSE(t.empty()) << p;
  EXPECT_EQ(t.back(), '\n') << p;
  for (const std::string& line : linesOf(t))
    ASSERT_TRUE(line.rfind("{\"op\":\"", 0) == 0 && line.back() == '}') << p << ": " << line;
}

// A PNG from its signature to its end chunk.
void expectWholePng(const fs::path& p) {
  std::string png = slurp(p);
  ASSERT_GT(png.size(), 100u) << p;
  EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n") << p;
  EXPECT_EQ(png.substr(png.size() - 8, 4), "IEND") << p;
}

// What a folder may hold after a run: its outputs, whole, and the shots,
// each whole; never a file of the program's own that is not complete.
void expectOnlyWholeOutputs(const Folder& f) {
  static const std::regex shot(R"(shots/shot-[0-9]{4,}\.png)");
  for (const std::string& e : f.entries()) {
    SCOPED_TRACE(e);
    EXPECT_NE(fs::path(e).filename().string()[0], '.') << "a hidden file is left";
    if (std::regex_match(e, shot)) expectWholePng(f.dir / e);
  }
}

// A program started as a shell would start it in the foreground: every
// signal at its default, none blocked, and no core file when it dies.
struct Spawn {
  Spawn(std::vector<std::string> args, std::vector<std::string> env, fs::path err)
      : args(std::move(args)), env(std::move(env)), err(std::move(err)) {}
  std::vector<std::string> args;  // a program in the build's bin folder, or a path
  std::vector<std::string> env;   // added to this process's own
  fs::path err, out = "/dev/null", cwd;
  int outPipe = -1;  // a pipe's writing end to give as the standard output instead of `out`
  int errPipe = -1;  // likewise for the standard error instead of `err`
  bool ownGroup = false;  // leads a process group of its own, as a shell's job
  bool asNobody = false;
  std::vector<gid_t> groups;  // the groups it is in as nobody, beside nobody's own
  std::vector<int> closed;  // descriptors the program starts without, as a caller may close them
  std::vector<int> blocked;  // signals held when it starts, as a job runner may hold them
  bool noQueuedSignals = false;  // no signal may be queued for it (RLIMIT_SIGPENDING of 0)
  std::vector<int> ignored;  // signals the program starts with ignored, as under nohup
};

pid_t start(const Spawn& s) {
  std::vector<std::string> all = s.args;
  if (all[0].find('/') == std::string::npos) all[0] = std::string(LESSON_BIN_DIR) + "/" + all[0];
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> envText(s.env);
  for (char** e = environ; *e; ++e) envText.emplace_back(*e);
  std::vector<char*> envp;
  for (auto& e : envText) envp.push_back(e.data());
  envp.push_back(nullptr);
  pid_t pid = fork();
  if (pid != 0) return pid;
  // The child: only calls that are safe after a fork.
  rlimit none{0, 0};
  setrlimit(RLIMIT_CORE, &none);
  struct sigaction dfl {};
  dfl.sa_handler = SIG_DFL;
  for (int sig = 1; sig < NSIG; ++sig) sigaction(sig, &dfl, nullptr);
  struct sigaction ign {};
  ign.sa_handler = SIG_IGN;
  for (int sig : s.ignored) sigaction(sig, &ign, nullptr);
  sigset_t held;
  sigemptyset(&held);
  for (int sig : s.blocked) sigaddset(&held, sig);
  sigprocmask(SIG_SETMASK, &held, nullptr);
  if (s.noQueuedSignals) setrlimit(RLIMIT_SIGPENDING, &none);
  if (s.ownGroup) setpgid(0, 0);
  int in = open("/dev/null", O_RDONLY), out = open(s.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644),
      err = open(s.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  dup2(in, 0), dup2(s.outPipe >= 0 ? s.outPipe : out, 1), dup2(s.errPipe >= 0 ? s.errPipe : err, 2);
  for (int fd : s.closed) close(fd);
  if (!s.cwd.empty() && chdir(s.cwd.c_str()) != 0) _exit(126);
  if (s.asNobody && (setgroups(s.groups.size(), s.groups.data()) != 0 || setgid(kNogroup) != 0 || setuid(kNobody) != 0))
    _exit(126);
  execve(argv[0], argv.data(), envp.data());
  _exit(127);
}

// How it ended: the exit status, or minus the signal that ended it. A run
// still going after `limit` is killed and fails the test; by default only
// a run that hangs, as a large page takes a minute to write on a busy
// machine.
int ending(pid_t pid, Clock::duration limit = 300s) {
  auto until = Clock::now() + limit;
  int rc = 0;
  while (waitpid(pid, &rc, WNOHANG) == 0) {
    if (Clock::now() > until) {
      ADD_FAILURE() << "the run did not end in time";
      kill(pid, SIGKILL);
      waitpid(pid, &rc, 0);
      return -SIGKILL;
    }
    std::this_thread::sleep_for(10ms);
  }
  return WIFEXITED(rc) ? WEXITSTATUS(rc) : -WTERMSIG(rc);
}

// A bound on how long a stopped run takes to end holds the run's own work
// after its waits too, which the sanitizers' build does several times
// slower; the plain build keeps the bound as it is.
Clock::duration afterStop(Clock::duration bound) { return LESSON_SANITIZED ? 3 * bound : bound; }

// Still running; an ended run is left for ending() to collect.
bool alive(pid_t pid) {
  siginfo_t info{};
  return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
}

// Whether `sig` is in one of the signal sets of the process's (its main
// thread's) status whose lines start with `field`.
bool inSignalSet(pid_t pid, const std::vector<std::string>& fields, int sig) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    for (const std::string& field : fields)
      if (line.rfind(field, 0) == 0 && (std::stoull(line.substr(field.size()), nullptr, 16) >> (sig - 1)) & 1)
        return true;
  return false;
}

// Whether the process has its own handler for `sig`: the program is past
// its first steps and a signal now meets its handling, not the default.
bool catches(pid_t pid, int sig) { return inSignalSet(pid, {"SigCgt:"}, sig); }

// Whether `sig` was sent to the process and waits still to be taken.
bool untaken(pid_t pid, int sig) { return inSignalSet(pid, {"ShdPnd:", "SigPnd:"}, sig); }

bool until(const std::function<bool()>& ready, pid_t pid, Clock::duration limit = 60s) {
  auto end = Clock::now() + limit;
  while (!ready()) {
    if (Clock::now() > end || !alive(pid)) return false;
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

// Stops `pid` with SIGSTOP and returns once it is stopped: the signal is
// only on its way when kill returns.
void stopNow(pid_t pid) {
  kill(pid, SIGSTOP);
  auto stopped = [&] {
    std::string stat = slurp("/proc/" + std::to_string(pid) + "/stat");
    size_t name = stat.rfind(')');
    return name != std::string::npos && stat.compare(name, 3, ") T") == 0;
  };
  ASSERT_TRUE(until(stopped, pid)) << "process " << pid << " did not stop";
}

// The thread of `pid` named `name`, or 0.
pid_t threadNamed(pid_t pid, const std::string& name) {
  for (const auto& e : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task"))
    if (slurp(e.path() / "comm") == name + "\n") return std::stoi(e.path().filename().string());
  return 0;
}

struct Outcome {
  int ending;
  std::vector<std::string> says;
};

Outcome run(const Spawn& s) {
  pid_t pid = start(s);
  int e = ending(pid);
  return {e, linesOf(slurp(s.err))};
}

// A key script long enough that a run is still drawing when it is stopped
// (one that ends by itself within seconds, with fewer rounds).
std::string longScript(int rounds = 5000) {
  std::string keys = "1 Enter";
  for (int i = 0; i < rounds; ++i) keys += " Space Esc 1 Enter";
  return keys;
}

const std::string kNoLeaks = "ASAN_OPTIONS=detect_leaks=0";

// Why a run cannot be started with /proc hidden here, or nullptr when it
// can: a mount namespace of its own, with an empty file system over /proc.
const char* whyProcStays() {
  if (LESSON_SANITIZED) return "the sanitizers need /proc";
  if (std::system("unshare -rm /bin/sh -c 'mount -t tmpfs none /proc' >/dev/null 2>&1") != 0)
    return "cannot mount over /proc here";
  return nullptr;
}

// The command that runs `args` (a program in the build's bin folder, and
// its arguments) with /proc hidden.
std::vector<std::string> withoutProc(std::vector<std::string> args) {
  args[0] = std::string(LESSON_BIN_DIR) + "/" + args[0];
  args.insert(args.begin(),
              {"/usr/bin/unshare", "-rm", "/bin/sh", "-c", "mount -t tmpfs none /proc && exec \"$0\" \"$@\""});
  return args;
}

// The top-level windows of the display.
std::vector<::Window> windowsOf(::Display* dpy) {
  ::Window root = DefaultRootWindow(dpy), parent, *children = nullptr;
  unsigned n = 0;
  XQueryTree(dpy, root, &root, &parent, &children, &n);
  std::vector<::Window> out(children, children + n);
  if (children) XFree(children);
  return out;
}

size_t windowCount(const std::string& display) {
  ::Display* dpy = XOpenDisplay(display.c_str());
  if (!dpy) return SIZE_MAX;
  size_t n = windowsOf(dpy).size();
  XCloseDisplay(dpy);
  return n;
}

// Destroys every top-level window of the display, as another client can.
void destroyWindows(const std::string& display) {
  ::Display* dpy = XOpenDisplay(display.c_str());
  ASSERT_NE(dpy, nullptr);
  for (::Window w : windowsOf(dpy)) XDestroyWindow(dpy, w);
  XSync(dpy, False);
  XCloseDisplay(dpy);
}


// A signal sent to a run: after a wait from the one before (which the run
// has taken by then), or once the trace is in place; by the test or by
// another process.
struct Sent {
  Clock::duration wait;
  int sig;
  bool byOther = false;
  bool onceTraced = false;
};

// Sends `sig` to `pid` from a process of its own, and waits for it.
void killFromOther(pid_t pid, int sig) {
  pid_t other = fork();
  if (other == 0) _exit(kill(pid, sig) == 0 ? 0 : 1);
  int rc = 0;
  waitpid(other, &rc, 0);
}

TEST(Endings, SignalsEndTheRunAsTheCallerExpects) {
  enum State { kWhole, kAsBefore };
  struct Case {
    const char* name;
    std::vector<std::string> options;  // besides --trace, --png and the keys
    bool shots;                        // the run is under way once its third shot is there
    std::vector<Sent> signals;  // each after a wait
    int ending;
    std::vector<std::string> says;
    State png, trace;
    // The moment the preloaded library acts at, or "": at "thread" the
    // signals land on a second thread of the run, which it starts.
    std::string at = "";
    bool unnamedRefused = false;  // the file system makes no unnamed files
    std::vector<int> ignored = {};  // signals the run starts with ignored
  };
  const std::string hold = "the outputs hold the run as it stood";
  const std::string left = "left as they were before the run: --trace, --png";
  const Case cases[] = {
      {"stop", {}, true, {{0ms, SIGTERM}}, -SIGTERM, {"stopped by SIGTERM; " + hold}, kWhole, kWhole},
      {"Ctrl-C", {}, true, {{0ms, SIGINT}}, -SIGINT, {"stopped by SIGINT; " + hold}, kWhole, kWhole},
      {"hang-up", {}, true, {{0ms, SIGHUP}}, -SIGHUP, {"stopped by SIGHUP; " + hold}, kWhole, kWhole},
      {"quit", {}, true, {{0ms, SIGQUIT}}, -SIGQUIT, {"ended at once by SIGQUIT; " + left}, kAsBefore, kAsBefore},
      {"user signal", {}, true, {{0ms, SIGUSR1}}, -SIGUSR1, {"ended at once by SIGUSR1; " + left}, kAsBefore,
       kAsBefore},
      {"kill", {}, true, {{0ms, SIGKILL}}, -SIGKILL, {}, kAsBefore, kAsBefore},
      // A large page takes seconds to write at the end: a stop that comes
      // meanwhile is still a stop, and a second one ends the run at once.
      {"stop while the page is written", {"--size", "12000x12000", "--keys", "1"}, false,
       {{900ms, SIGTERM}}, -SIGTERM, {"stopped by SIGTERM; " + hold}, kWhole, kWhole},
      // The trace is in place by then: it goes first.
      {"second stop", {"--size", "12000x12000", "--keys", "1"}, false, {{300ms, SIGTERM}, {400ms, SIGTERM, false, true}},
       -SIGTERM, {"stopped again by SIGTERM, at once; left as they were before the run: --png"}, kAsBefore, kWhole},
      // `timeout` sends its stop to the run and then to its process group,
      // the run again: the same stop from the same sender a moment later
      // is one stop. From another sender it is a second stop.
      {"the same stop again from its sender", {"--size", "12000x12000", "--keys", "1"}, false,
       {{300ms, SIGTERM}, {0ms, SIGTERM}}, -SIGTERM, {"stopped by SIGTERM; " + hold}, kWhole, kWhole},
      {"the same stop from another sender", {"--size", "12000x12000", "--keys", "1"}, false,
       {{300ms, SIGTERM}, {0ms, SIGTERM, true, true}}, -SIGTERM,
       {"stopped again by SIGTERM, at once; left as they were before the run: --png"}, kAsBefore, kWhole},
      // The line comes after the outputs are handled and says what became
      // of them.
      {"stop with an output that fails", {"--png", "/dev/full"}, true, {{0ms, SIGTERM}}, -SIGTERM,
       {"--png: cannot write /dev/full: No space left on device",
        "stopped by SIGTERM; the other outputs hold the run as it stood"},
       kAsBefore, kWhole},
      // The main thread takes the signal over from the thread it landed on.
      {"stop on a second thread", {}, true, {{0ms, SIGTERM}}, -SIGTERM, {"stopped by SIGTERM; " + hold}, kWhole,
       kWhole, "thread"},
      {"user signal on a second thread", {}, true, {{0ms, SIGUSR1}}, -SIGUSR1, {"ended at once by SIGUSR1; " + left},
       kAsBefore, kAsBefore, "thread"},
      // Every signal that ends a process but SIGKILL takes the temporary
      // names away, the realtime ones too.
      {"a realtime signal, with temporary names", {}, true, {{0ms, SIGRTMIN + 3}}, -(SIGRTMIN + 3),
       {"ended at once by SIGRTMIN+3; " + left}, kAsBefore, kAsBefore, "", true},
      {"a trap, with temporary names", {}, true, {{0ms, SIGTRAP}}, -SIGTRAP, {"ended at once by SIGTRAP; " + left},
       kAsBefore, kAsBefore, "", true},
      // A fault's signal sent by another process is not a fault of the
      // run's: it ends the run as the others do.
      {"SIGSEGV sent", {}, true, {{0ms, SIGSEGV}}, -SIGSEGV, {"ended at once by SIGSEGV; " + left}, kAsBefore,
       kAsBefore},
      {"SIGBUS sent", {}, true, {{0ms, SIGBUS}}, -SIGBUS, {"ended at once by SIGBUS; " + left}, kAsBefore, kAsBefore},
      {"SIGFPE sent", {}, true, {{0ms, SIGFPE}}, -SIGFPE, {"ended at once by SIGFPE; " + left}, kAsBefore, kAsBefore},
      {"SIGILL sent", {}, true, {{0ms, SIGILL}}, -SIGILL, {"ended at once by SIGILL; " + left}, kAsBefore, kAsBefore},
      // Ignored when the run was started (nohup, a background job of a
      // script), they stay ignored: the run goes on to its end.
      {"stops and an alarm ignored at start", {"--keys", longScript(1000)}, false,
       {{100ms, SIGINT}, {0ms, SIGHUP}, {0ms, SIGALRM}}, 0, {},
       kWhole, kWhole, "", false, {SIGINT, SIGHUP, SIGALRM}},
      // An internal failure (an allocation that fails) with a stop pending,
      // both brought about by a preloaded library at the trace's first
      // write: the run dies by the stop and says that it ended before its
      // outputs were written, not that it did not begin.
      {"an internal failure after a stop", {}, false, {}, -SIGTERM,
       {"fatal: std::bad_alloc", "stopped by SIGTERM; the run ended before its outputs were written"}, kAsBefore,
       kAsBefore, "fail-stopped"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Folder f("signal");
    fs::path err = f.dir / "err", trace = f.dir / "t.jsonl", png = f.dir / "p.png", shots = f.dir / "shots";
    put(png, "before");
    std::vector<std::string> args = {"kelvaro", "--headless", "--trace", trace.string()};
    if (std::find(c.options.begin(), c.options.end(), "--png") == c.options.end())
      args.insert(args.end(), {"--png", png.string()});
    if (std::find(c.options.begin(), c.options.end(), "--keys") == c.options.end())
      args.insert(args.end(), {"--keys", longScript()});
    if (c.shots) args.insert(args.end(), {"--shots", shots.string()});
    args.insert(args.end(), c.options.begin(), c.options.end());
    std::vector<std::string> env = {kNoLeaks};
    if (!c.at.empty())
      env = {kNoLeaks + ":verify_asan_link_order=0", "LD_PRELOAD=" + std::string(SIGNAL_AT), "LESSON_SIGNAL_AT=" + c.at};
    if (c.unnamedRefused)
      env = {kNoLeaks + ":verify_asan_link_order=0", "LD_PRELOAD=" + std::string(NO_UNNAMED_FILES)};
    Spawn spawn(args, env, err);
    spawn.ignored = c.ignored;
    pid_t pid = start(spawn);
    ASSERT_GT(pid, 0);
    if (!c.signals.empty()) {
      ASSERT_TRUE(until([&] { return catches(pid, SIGTERM); }, pid));
    }
    if (c.shots) {
      ASSERT_TRUE(until([&] { return fs::exists(shots / "shot-0003.png"); }, pid));
    }
    bool secondThread = c.at == "thread";
    pid_t second = secondThread ? threadNamed(pid, "second") : 0;
    ASSERT_EQ(second > 0, secondThread);
    for (const Sent& sent : c.signals) {
      std::this_thread::sleep_for(sent.wait);
      if (sent.onceTraced) {
        ASSERT_TRUE(until([&] { return fs::exists(trace); }, pid));
      }
      if (secondThread) syscall(SYS_tgkill, pid, second, sent.sig);
      else if (sent.byOther) killFromOther(pid, sent.sig);
      else kill(pid, sent.sig);
      if (&sent != &c.signals.back()) {
        ASSERT_TRUE(until([&] { return !untaken(pid, sent.sig); }, pid));
      }
    }
    EXPECT_EQ(ending(pid), c.ending);
    EXPECT_EQ(linesOf(slurp(err)), c.says);
    if (c.png == kWhole) {
      expectWholePng(png);
    } else {
      EXPECT_EQ(slurp(png), "before");
    }
    if (c.trace == kWhole) {
      expectWholeTrace(trace);
    } else {
      EXPECT_FALSE(fs::exists(trace));
    }
    expectOnlyWholeOutputs(f);
  }
}

// Whatever the moment a run is ended, the folders hold its outputs whole
// or not at all: no file of ours is left half-written or hidden. Where the
// file system makes no unnamed files, the outputs are written under
// temporary names, which every ending but SIGKILL removes.
TEST(Endings, NoEndingLeavesAFileOfOursBehind) {
  for (int run = 0; run < 16; ++run) {
    bool shots = run % 4 < 2, named = run >= 8;
    int sig = run % 2 && !named ? SIGKILL : SIGUSR1;
    auto wait = std::chrono::milliseconds(53 * run % 400);
    SCOPED_TRACE(strsignal(sig) + std::string(" after ") + std::to_string(wait.count()) + " ms" +
                 (shots ? ", with shots" : "") + (named ? ", written under temporary names" : ""));
    Folder f("ended_anywhere");
    std::vector<std::string> args = {"kelvaro", "--headless", "--keys", longScript(), "--trace",
                                     (f.dir / "t.jsonl").string(), "--png", (f.dir / "p.png").string()};
    if (shots) args.insert(args.end(), {"--shots", (f.dir / "shots").string()});
    std::vector<std::string> env = {kNoLeaks + ":verify_asan_link_order=0"};
    if (named) env.push_back("LD_PRELOAD=" + std::string(NO_UNNAMED_FILES));
    pid_t pid = start({args, env, f.dir / "err"});
    ASSERT_TRUE(until([&] { return catches(pid, SIGTERM); }, pid));
    std::this_thread::sleep_for(wait);
    kill(pid, sig);
    EXPECT_EQ(ending(pid), -sig);
    EXPECT_FALSE(fs::exists(f.dir / "p.png"));
    EXPECT_FALSE(fs::exists(f.dir / "t.jsonl"));
    expectOnlyWholeOutputs(f);
  }
  // Written under temporary names, a run that ends as it should puts every
  // output in place and leaves nothing else.
  Folder f("named_whole");
  put(f.dir / "p.png", "before");
  Outcome o = run({{"kelvaro", "--headless", "--keys", "1 Enter", "--png", (f.dir / "p.png").string(), "--trace",
                    (f.dir / "t.jsonl").string(), "--shots", (f.dir / "shots").string()},
                   {kNoLeaks + ":verify_asan_link_order=0", "LD_PRELOAD=" + std::string(NO_UNNAMED_FILES)},
                   f.dir / "err"});
  EXPECT_EQ(o.ending, 0);
  EXPECT_EQ(o.says, std::vector<std::string>{});
  expectWholePng(f.dir / "p.png");
  expectWholeTrace(f.dir / "t.jsonl");
  EXPECT_EQ(f.entries(), (std::set<std::string>{"err", "p.png", "t.jsonl", "shots", "shots/shot-0001.png",
                                                "shots/shot-0002.png"}));
}

// Every signal that ends a process, but SIGKILL, may come just after a
// temporary name is made, sent then by a preloaded library where the file
// system makes no unnamed files: the handlers know the name from the
// moment the file has it, and take the file away. A stop there is a stop
// like any other, and the run ends with its outputs whole. A run that
// exceeds its limit of CPU time, while it writes a large page under a
// temporary name, leaves nothing hidden either.
TEST(Endings, NoSignalLeavesATemporaryFileJustMade) {
  // The signals of a fault too, sent by another process.
  std::vector<int> signals = {SIGTERM, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU, SIGPOLL,
                              SIGPWR,  SIGABRT, SIGSYS,  SIGTRAP, SIGSTKFLT, SIGSEGV, SIGBUS,  SIGFPE,  SIGILL};
  for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig) signals.push_back(sig);
  const std::string preload = std::string(SIGNAL_AT) + ":" + NO_UNNAMED_FILES;
  for (int sig : signals) {
    SCOPED_TRACE(sig >= SIGRTMIN ? "SIGRTMIN+" + std::to_string(sig - SIGRTMIN) : "SIG" + std::string(sigabbrev_np(sig)));
    Folder f("temporary_signal");
    fs::path png = f.dir / "p.png", trace = f.dir / "t.jsonl";
    put(png, "before");
    fs::path err = f.dir.parent_path() / ("temporary_signal_err_" + std::to_string(getpid()));
    Outcome o = run({{"kelvaro", "--headless", "--keys", "1 Enter", "--png", png.string(), "--trace", trace.string()},
                     {kNoLeaks + ":verify_asan_link_order=0", "LD_PRELOAD=" + preload, "LESSON_SIGNAL_AT=temporary",
                      "LESSON_SIGNAL=" + std::to_string(sig)},
                     err});
    fs::remove(err);
    EXPECT_EQ(o.ending, -sig);
    ASSERT_EQ(o.says.size(), 1u);
    if (sig == SIGTERM) {
      EXPECT_EQ(o.says[0], "stopped by SIGTERM; the outputs hold the run as it stood");
      expectWholePng(png);
      expectWholeTrace(trace);
    } else {
      EXPECT_EQ(o.says[0].rfind("ended at once by ", 0), 0u) << o.says[0];
      EXPECT_NE(o.says[0].find("; left as they were before the run: --trace, --png"), std::string::npos) << o.says[0];
      EXPECT_EQ(slurp(png), "before");
      EXPECT_FALSE(fs::exists(trace));
    }
    expectOnlyWholeOutputs(f);
  }
  if (access("/usr/bin/prlimit", X_OK) != 0) {
    std::printf("[ skipped  ] a run over its CPU time: no prlimit here\n");
    return;
  }
  Folder f("cpu_time");
  Outcome o = run({{"/usr/bin/prlimit", "--cpu=1:2", std::string(LESSON_BIN_DIR) + "/kelvaro", "--headless", "--size",
                    "12000x12000", "--keys", "1", "--png", (f.dir / "p.png").string(), "--trace",
                    (f.dir / "t.jsonl").string()},
                   {kNoLeaks + ":verify_asan_link_order=0", "LD_PRELOAD=" + std::string(NO_UNNAMED_FILES)},
                   f.dir.parent_path() / ("cpu_time_err_" + std::to_string(getpid()))});
  fs::remove(f.dir.parent_path() / ("cpu_time_err_" + std::to_string(getpid())));
  EXPECT_EQ(o.ending, -SIGXCPU);
  EXPECT_EQ(o.says,
            std::vector<std::string>{"ended at once by SIGXCPU; left as they were before the run: --trace, --png"});
  EXPECT_EQ(f.entries(), std::set<std::string>{});
}

// A dead run's leftover: a file under a temporary name that a SIGKILL kept
// from being put in place. The next run that writes into the folder clears
// it once it is a minute old and its run is gone, also when its mode lets
// nobody read it; what may still be a live run's (its number is a live
// process, or any lock is held on it), another user's, not a regular file,
// or not exactly of that name stays.
TEST(Endings, ADeadRunsLeftoversAreClearedByTheNextRunIntoTheFolder) {
  pid_t dead = fork();
  if (dead == 0) _exit(0);
  ASSERT_GT(dead, 0);
  waitpid(dead, nullptr, 0);
  bool root = geteuid() == 0;
  Folder f("leftovers");
  fs::create_directories(f.dir / "shots");
  // The folder of a run of nobody's, which clears nobody's leftovers.
  fs::create_directories(f.dir / "theirs");
  ASSERT_EQ(chmod(f.dir.c_str(), 0755), 0);
  if (root) {
    ASSERT_EQ(chown((f.dir / "theirs").c_str(), kNobody, kNogroup), 0);
  }
  enum Kind { kFile, kFifo, kFolder, kLink };
  enum Lock {
    kNoLock,
    kRecord,       // a write lock of its open file, as a live run in another process namespace holds
    kShared,       // flock(LOCK_SH), from this process
    kOtherReader,  // a POSIX read lock, from another process
  };
  struct Case {
    const char* name;
    std::string file;  // in the folder
    bool nobodys;      // nobody owns it; in theirs/, nobody's run is the one to clear it
    int minutesOld;
    bool cleared;
    Lock lock = kNoLock;
    mode_t mode = 0644;
    Kind kind = kFile;
  };
  // The run's number, then 16 lowercase hexadecimal digits, here told
  // apart by the last two.
  auto part = [](pid_t pid, int n) {
    char tail[17];
    std::snprintf(tail, sizeof tail, "0123456789abcd%02x", n);
    return ".out-" + std::to_string(pid) + "-" + tail + ".part";
  };
  std::string d = std::to_string(dead), hex = "0123456789abcdef";
  long pidMax = std::stol(slurp("/proc/sys/kernel/pid_max"));
  const std::string other = ".out-" + d + "-x.part";
  const Case cases[] = {
      {"a dead run's, beside an output", part(dead, 1), false, 2, true},
      {"a dead run's, among the shots", "shots/" + part(dead, 2), false, 2, true},
      {"a live run's", part(getpid(), 3), false, 2, false},
      {"a dead run's, touched within the minute", part(dead, 4), false, 0, false},
      {"another user's", part(dead, 5), true, 2, !root},
      {"not a temporary name", other, false, 2, false},
      {"a live run's in another process namespace", part(dead, 6), false, 2, false, kRecord},
      // Names the program never makes.
      {"a number with a leading zero", ".out-0" + d + "-" + hex + ".part", false, 2, false},
      {"a number above the system's largest", ".out-" + std::to_string(pidMax + 1) + "-" + hex + ".part", false, 2,
       false},
      {"the number 0", ".out-0-" + hex + ".part", false, 2, false},
      {"15 digits", ".out-" + d + "-" + hex.substr(1) + ".part", false, 2, false},
      {"17 digits", ".out-" + d + "-" + hex + "0.part", false, 2, false},
      {"upper-case digits", ".out-" + d + "-0123456789ABCDEF.part", false, 2, false},
      // A lock of any kind is a live run's.
      {"held by a shared flock", part(dead, 7), false, 2, false, kShared},
      {"held by another process's read lock", part(dead, 8), false, 2, false, kOtherReader},
      // Not a file the program makes.
      {"a FIFO", part(dead, 9), false, 2, false, kNoLock, 0644, kFifo},
      {"a folder", part(dead, 10), false, 2, false, kNoLock, 0755, kFolder},
      {"a link to an old file of the user's", part(dead, 11), false, 2, false, kNoLock, 0777, kLink},
      // A leftover keeps the mode of the file it was to replace: one its
      // owner may not read is cleared too.
      {"a dead run's of mode 0200", part(dead, 12), false, 2, true, kNoLock, 0200},
      {"a dead run's of mode 0000", part(dead, 13), false, 2, true, kNoLock, 0000},
      {"nobody's of mode 0200, in nobody's folder", "theirs/" + part(dead, 14), true, 2, root, kNoLock, 0200},
      {"nobody's of mode 0000, in nobody's folder", "theirs/" + part(dead, 15), true, 2, root, kNoLock, 0000},
  };
  std::vector<int> held;
  std::vector<pid_t> lockers;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::path p = f.dir / c.file;
    if (c.kind == kFile) put(p, "a whole file");
    if (c.kind == kFifo) {
      ASSERT_EQ(mkfifo(p.c_str(), c.mode), 0);
    }
    if (c.kind == kFolder) fs::create_directory(p);
    if (c.kind == kLink) fs::create_symlink(other, p);
    if (c.lock == kRecord) {
      held.push_back(open(p.c_str(), O_WRONLY | O_CLOEXEC));
      struct flock l {};
      l.l_type = F_WRLCK;
      l.l_whence = SEEK_SET;
      ASSERT_EQ(fcntl(held.back(), F_OFD_SETLK, &l), 0);
    } else if (c.lock == kShared) {
      held.push_back(open(p.c_str(), O_RDONLY | O_CLOEXEC));
      ASSERT_EQ(flock(held.back(), LOCK_SH), 0);
    } else if (c.lock == kOtherReader) {
      int ready[2];
      ASSERT_EQ(pipe2(ready, O_CLOEXEC), 0);
      pid_t locker = fork();
      if (locker == 0) {
        int fd = open(p.c_str(), O_RDONLY | O_CLOEXEC);
        struct flock l {};
        l.l_type = F_RDLCK;
        l.l_whence = SEEK_SET;
        if (fd >= 0 && fcntl(fd, F_SETLK, &l) == 0 && write(ready[1], "x", 1) == 1)
          for (;;) pause();
        _exit(1);
      }
      ASSERT_GT(locker, 0);
      lockers.push_back(locker);
      close(ready[1]);
      char x;
      ASSERT_EQ(read(ready[0], &x, 1), 1) << "the lock was not taken";
      close(ready[0]);
    }
    if (c.nobodys && root) {
      ASSERT_EQ(lchown(p.c_str(), kNobody, kNogroup), 0);
    }
    if (c.kind != kLink) {
      ASSERT_EQ(chmod(p.c_str(), c.mode), 0);
    }
    timespec old[2] = {{time(nullptr) - 60 * c.minutesOld, 0}, {time(nullptr) - 60 * c.minutesOld, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, p.c_str(), old, AT_SYMLINK_NOFOLLOW), 0);
  }
  // The user's run writes into the folder and its shots' folder; nobody's
  // into theirs/.
  fs::path err = f.dir.parent_path() / ("leftovers_err_" + std::to_string(getpid()));
  Outcome o = run({{"kelvaro", "--headless", "--keys", "1", "--png", (f.dir / "p.png").string(), "--shots",
                    (f.dir / "shots").string()},
                   {kNoLeaks},
                   err});
  EXPECT_EQ(o.ending, 0);
  EXPECT_EQ(o.says, std::vector<std::string>{});
  if (root) {
    Spawn theirs({"kelvaro", "--headless", "--keys", "1", "--png", (f.dir / "theirs" / "p.png").string()}, {kNoLeaks},
                 err);
    theirs.asNobody = true;
    o = run(theirs);
    EXPECT_EQ(o.ending, 0);
    EXPECT_EQ(o.says, std::vector<std::string>{});
  }
  fs::remove(err);
  for (const Case& c : cases)
    EXPECT_EQ(fs::symlink_status(f.dir / c.file).type() == fs::file_type::not_found, c.cleared) << c.name;
  for (int fd : held) close(fd);
  for (pid_t locker : lockers) {
    kill(locker, SIGKILL);
    waitpid(locker, nullptr, 0);
  }

  // A live run's temporary, untouched for more than a minute, seen by a
  // run in a process namespace of its own, where the live run's number is
  // no live process: its lock keeps it.
  if (std::system("unshare -rpf true >/dev/null 2>&1") != 0) {
    std::printf("[ skipped  ] a live run's temporary seen from another process namespace: no user namespaces here\n");
    return;
  }
  Folder g("leftovers_live");
  pid_t live = start({{"kelvaro", "--headless", "--keys", longScript(), "--png", (g.dir / "live.png").string()},
                      {kNoLeaks + ":verify_asan_link_order=0", "LD_PRELOAD=" + std::string(NO_UNNAMED_FILES)},
                      g.dir / "live.err"});
  auto hidden = [&] {
    for (const std::string& e : g.entries())
      if (e[0] == '.') return e;
    return std::string();
  };
  ASSERT_TRUE(until([&] { return !hidden().empty(); }, live)) << "no temporary name";
  std::string temp = hidden();
  // The run takes the lock that marks the file as a live run's just after
  // it made the file: the case begins once the lock is there.
  auto locked = [&] {
    int fd = open((g.dir / temp).c_str(), O_RDONLY | O_CLOEXEC);
    struct flock l {};
    l.l_type = F_WRLCK;
    l.l_whence = SEEK_SET;
    bool held = fd >= 0 && fcntl(fd, F_OFD_GETLK, &l) == 0 && l.l_type != F_UNLCK;
    if (fd >= 0) close(fd);
    return held;
  };
  ASSERT_TRUE(until(locked, live)) << "no lock on " << temp;
  // Held where it stands: a stopped process is a live one, and keeps its
  // locks.
  stopNow(live);
  timespec old[2] = {{time(nullptr) - 120, 0}, {time(nullptr) - 120, 0}};
  EXPECT_EQ(utimensat(AT_FDCWD, (g.dir / temp).c_str(), old, 0), 0);
  o = run({{"/usr/bin/unshare", "-rpf", std::string(LESSON_BIN_DIR) + "/kelvaro", "--headless", "--keys", "1", "--png",
            (g.dir / "p.png").string()},
           {kNoLeaks},
           err});
  fs::remove(err);
  EXPECT_EQ(o.ending, 0);
  EXPECT_EQ(o.says, std::vector<std::string>{});
  EXPECT_TRUE(fs::exists(g.dir / temp)) << temp;
  kill(live, SIGTERM);
  kill(live, SIGCONT);
  EXPECT_EQ(ending(live), -SIGTERM);
  expectWholePng(g.dir / "live.png");
  expectOnlyWholeOutputs(g);
}

// An ending at once names exactly the outputs left as they were before the
// run. One that comes right after an output got its name, sent then by a
// preloaded library, finds the output in place and does not name it:
// naming a file and telling the handlers are one step, whichever thread
// the signal lands on. An output that could not be written stays named.
TEST(Endings, AnEndingAtOnceNamesExactlyTheOutputsLeftAsTheyWere) {
  struct Case {
    const char* name;
    bool replaces;  // the --png file is there before the run
    bool unnamedFiles;
    bool secondThread = false;  // the signal lands on a second thread of the run
  };
  const Case cases[] = {
      {"a new file", false, true},
      {"a file replaced", true, true},
      {"a file written under a temporary name", true, false},
      // The main thread takes the signal over only once the output is
      // named and no longer one the handlers name.
      {"a new file, the signal on a second thread", false, true, true},
      {"a file replaced, the signal on a second thread", true, true, true},
      {"a file written under a temporary name, the signal on a second thread", true, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Folder f("named");
    fs::path png = f.dir / "p.png", trace = f.dir / "t.jsonl";
    if (c.replaces) put(png, "before");
    std::string preload = SIGNAL_AT;
    if (!c.unnamedFiles) preload += std::string(":") + NO_UNNAMED_FILES;
    std::string at = c.secondThread ? "named-second" : "named";
    Outcome o = run({{"kelvaro", "--headless", "--keys", "1 Enter", "--png", png.string(), "--trace", trace.string()},
                     {kNoLeaks + ":verify_asan_link_order=0", "LD_PRELOAD=" + preload, "LESSON_SIGNAL_AT=" + at},
                     f.dir.parent_path() / ("named_err_" + std::to_string(getpid()))});
    EXPECT_EQ(o.ending, -SIGUSR1);
    // The trace is put in place first.
    EXPECT_EQ(o.says, std::vector<std::string>{"ended at once by SIGUSR1; left as they were before the run: --png"});
    expectWholeTrace(trace);
    if (c.replaces) {
      EXPECT_EQ(slurp(png), "before");
    }
    std::set<std::string> left = {"t.jsonl"};
    if (c.replaces) left.insert("p.png");
    EXPECT_EQ(f.entries(), left);
    fs::remove(f.dir.parent_path() / ("named_err_" + std::to_string(getpid())));
  }
  // --trace cannot be written (a file larger than the run may write);
  // the run then waits to write its page into a FIFO whose reader takes
  // nothing, and is ended there.
  Folder f("failed_named");
  fs::path trace = f.dir / "t.jsonl", fifo = f.dir / "fifo", err = f.dir / "err";
  put(trace, "before");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(reader, 0);
  ASSERT_GT(fcntl(reader, F_SETPIPE_SZ, 4096), 0);  // less than the page
  pid_t pid = start({{"/usr/bin/prlimit", "--fsize=1000", std::string(LESSON_BIN_DIR) + "/kelvaro", "--headless",
                      "--keys", "1 Enter", "--png", fifo.string(), "--trace", trace.string()},
                     {kNoLeaks},
                     err});
  ASSERT_TRUE(until([&] { return !slurp(err).empty(); }, pid)) << "--trace did not fail";
  kill(pid, SIGUSR1);
  EXPECT_EQ(ending(pid), -SIGUSR1);
  close(reader);
  EXPECT_EQ(linesOf(slurp(err)),
            (std::vector<std::string>{"--trace: cannot write " + trace.string() + ": File too large",
                                      "ended at once by SIGUSR1; left as they were before the run: --trace"}));
  EXPECT_EQ(slurp(trace), "before");
}

// A FIFO that nobody opens, or whose reader never reads, holds the run
// until the first stop, which ends it within moments; so does a stop that
// lands just before the run would wait for the reader, which a preloaded
// library sends at that very moment. A FIFO with no reader is waited for,
// and said to be, before the window opens.
TEST(Endings, AStopEndsARunBlockedOnAFifoAtOnce) {
  struct Case {
    const char* name;
    bool window;
    bool reader;  // a reader opens the FIFO and never reads
    std::string option;
    std::string at;  // the moment the preloaded library stops the run at, or ""
    std::vector<std::string> says;  // {fifo} stands for the FIFO's path
    bool onStdout = false;          // the FIFO is the run's standard output, given as /dev/stdout
  };
  const std::string waiting = "--png: waiting for a reader to open the FIFO {fifo}";
  const std::string noReader = "--png: cannot write {fifo}: the run was stopped while it waited for a reader to open it";
  const std::string notRead = "--trace: cannot write {fifo}: the run was stopped while it waited for the reader";
  const std::string before = "stopped by SIGTERM before the run began; nothing was written";
  const std::string others = "stopped by SIGTERM; the other outputs hold the run as it stood";
  const Case cases[] = {
      {"no reader", false, false, "--png", "", {waiting, noReader, before}},
      {"no reader, in a window", true, false, "--png", "", {waiting, noReader, before}},
      {"a reader that does not read", false, true, "--trace", "", {notRead, others}},
      {"a reader that does not read, in a window", true, true, "--trace", "", {notRead, others}},
      {"a stop just before the FIFO is opened", false, false, "--png", "fifo-open", {noReader, before}},
      {"a stop just before a wait for room", false, true, "--trace", "fifo-wait", {notRead, others}},
      // Room found is not room kept: another writer may take it before
      // the run writes, and the write must not wait for the reader then.
      {"another writer takes the room the run found", false, true, "--trace", "fifo-taken", {notRead, others}},
      {"another writer takes the room the run found on its standard output", false, true, "--trace", "fifo-taken",
       {"--trace: cannot write /dev/stdout: the run was stopped while it waited for the reader", others}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<VirtualDisplay> display;
    std::vector<std::string> env = {kNoLeaks + ":verify_asan_link_order=0"};
    if (c.window) {
      if (access("/usr/bin/Xvfb", X_OK) != 0) GTEST_SKIP() << "no Xvfb";
      display = std::make_unique<VirtualDisplay>(1500, 800);
      ASSERT_TRUE(display->ok());
      env.push_back("DISPLAY=" + display->name());
    }
    if (!c.at.empty()) env.insert(env.end(), {"LD_PRELOAD=" + std::string(SIGNAL_AT), "LESSON_SIGNAL_AT=" + c.at});
    Folder f("fifo_stop");
    fs::path fifo = f.dir / "fifo", png = f.dir / "p.png";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::vector<std::string> args = {"kelvaro", "--keys", longScript(), c.option,
                                     c.onStdout ? "/dev/stdout" : fifo.string()};
    if (!c.window) args.push_back("--headless");
    if (c.option != "--png") args.insert(args.end(), {"--png", png.string()});
    // The reader is there before the run, so that the run never waits for it.
    int reader = c.reader ? open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1;
    Spawn spawn(args, env, f.dir / "err");
    if (c.onStdout) spawn.out = fifo;
    pid_t pid = start(spawn);
    // Blocked: the FIFO is full and the run has more to write.
    auto full = [&] {
      int pending = 0;
      return ioctl(reader, FIONREAD, &pending) == 0 && pending >= 65536;
    };
    if (!c.at.empty()) {
      // The stop comes by itself, once the run has its handlers and, with a
      // reader, has filled the FIFO: the bound on the ending counts from
      // there, not from the run's start. A run that ends sooner is judged
      // all the same.
      until([&] { return catches(pid, SIGTERM) && (!c.reader || full()); }, pid);
    } else {
      ASSERT_TRUE(until([&] { return catches(pid, SIGTERM); }, pid));
      if (c.reader) {
        // Blocked: the FIFO is full and the run has more to write.
        ASSERT_TRUE(until([&] { return pipeFull(reader); }, pid));
      } else {
        ASSERT_TRUE(until([&] { return !slurp(f.dir / "err").empty(); }, pid)) << "the wait was not said";
      }
      std::this_thread::sleep_for(300ms);
      ASSERT_TRUE(alive(pid)) << "the run was not held";
      if (c.window && !c.reader) {
        EXPECT_EQ(windowCount(display->name()), 0u) << "a window opened before the reader came";
      }
      kill(pid, SIGTERM);
    }
    EXPECT_EQ(ending(pid, afterStop(10s)), -SIGTERM);
    if (reader >= 0) close(reader);
    std::vector<std::string> says;
    for (std::string line : c.says) says.push_back(std::regex_replace(line, std::regex("\\{fifo\\}"), fifo.string()));
    EXPECT_EQ(linesOf(slurp(f.dir / "err")), says);
    if (c.option != "--png") expectWholePng(png);
    expectOnlyWholeOutputs(f);
  }
}

// A reader that takes nothing, or takes very little, holds a stopped run no
// longer than the stop's grace, all its waits together: the trace and the
// page written to it, and the lines said on a standard error that nobody
// reads, which are dropped. A second stop's handler never waits on it
// either.
TEST(Endings, AStopIsNotHeldByReadersThatTakeLittleOrNothing) {
  enum Err {
    kErrFile,
    kErrStalled,  // the stalled pipe too
    kErrTaken,    // a FIFO of its own that another writer keeps full
  };
  struct Case {
    const char* name;
    std::vector<std::string> args;  // besides --headless; {fifo}: a FIFO of its own whose reader reads nothing
    Err err;                        // the standard error
    bool slowReader;                // the pipe's reader takes 4 KiB every second
    std::vector<int> signals;       // each once the run took the one before
    std::vector<std::string> says;  // when the standard error is a file
    Clock::duration limit = 10s;    // from the last signal to the run's end
    bool procHidden = false;        // no /proc to open a stream anew through
    std::string at = "";            // the moment of the preloaded library's, or ""
  };
  std::string keys;
  for (int i = 0; i < 30; ++i) keys += " 1 Enter Space Space Esc";
  const Case cases[] = {
      {"the trace and the messages on a stalled pipe", {"--keys", keys, "--trace", "/dev/stdout"}, kErrStalled, false,
       {SIGTERM}, {}},
      {"the trace on a stalled standard error", {"--keys", keys, "--trace", "/dev/stderr"}, kErrStalled, false,
       {SIGTERM}, {}},
      {"a second stop with a stalled standard error", {"--keys", keys, "--trace", "/dev/stdout"}, kErrStalled, false,
       {SIGTERM, SIGINT}, {}},
      // The run writes into the streams themselves, which wait in a write,
      // and its look for room in the standard error finds some that
      // another writer takes before the second stop's line is written.
      {"a second stop with a stalled standard error, with no /proc", {"--keys", keys, "--trace", "/dev/stdout"},
       kErrStalled, false, {SIGTERM, SIGINT}, {}, 3s, true, "look-taken"},
      // Between the reader's takes the run makes the next part of the page,
      // its own work, which the grace leaves out and a busy machine slows:
      // more time for that. Held by this reader, the run would take minutes.
      {"a large page to a reader that takes a little at a time",
       {"--keys", "1", "--size", "12000x12000", "--png", "/dev/stdout"}, kErrFile, true, {SIGTERM},
       {"--png: cannot write /dev/stdout: the run was stopped while it waited for the reader",
        "stopped by SIGTERM; no output could be written"}, 15s},
      // Three readers that take nothing, each waited for in turn: the
      // grace is one for all of them, not one for each.
      {"the trace, the page and the messages on three stalled readers",
       {"--keys", keys, "--trace", "{fifo}", "--png", "/dev/stdout"}, kErrStalled, false, {SIGTERM}, {}, 1200ms},
      {"the messages on a FIFO another writer keeps full",
       {"--keys", keys, "--trace", "/dev/stdout", "--png", "/dev/full"}, kErrTaken, false, {SIGTERM}, {}, 1200ms},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (const char* why = c.procHidden ? whyProcStays() : nullptr) {
      std::printf("[ skipped  ] %s: %s\n", c.name, why);
      continue;
    }
    Folder f("stalled");
    fs::path pipe = f.dir / "pipe", fifo = f.dir / "fifo", errFifo = f.dir / "err-fifo", png = f.dir / "p.png";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    int reader = open(pipe.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    std::vector<std::string> args = {"kelvaro", "--headless"};
    for (const std::string& a : c.args) args.push_back(a == "{fifo}" ? fifo.string() : a);
    bool pngToFile = std::find(args.begin(), args.end(), "--png") == args.end();
    if (pngToFile) args.insert(args.end(), {"--png", png.string()});
    // The run is held once the reader it writes to first is full.
    int held = reader;
    if (std::find(c.args.begin(), c.args.end(), "{fifo}") != c.args.end()) {
      ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
      held = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
      ASSERT_GE(held, 0);
      // What the run writes to the pipe comes at its end: it is full before.
      fillFifo(pipe);
    }
    fs::path err = c.err == kErrStalled ? pipe : f.dir / "err";
    pid_t other = 0;
    int errReader = -1;
    if (c.err == kErrTaken) {
      err = errFifo;
      ASSERT_EQ(mkfifo(errFifo.c_str(), 0600), 0);
      errReader = open(errFifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
      ASSERT_GE(errReader, 0);
      Spawn writer({"/bin/cat", "/dev/zero"}, {}, "/dev/null");
      writer.out = errFifo;
      other = start(writer);
      int pending = 0;
      ASSERT_TRUE(until([&] { return ioctl(errReader, FIONREAD, &pending) == 0 && pending >= 65536; }, other));
    }
    Spawn s(c.procHidden ? withoutProc(args) : args, {kNoLeaks}, err);
    if (!c.at.empty())
      s.env = {kNoLeaks + ":verify_asan_link_order=0", "LD_PRELOAD=" + std::string(SIGNAL_AT),
               "LESSON_SIGNAL_AT=" + c.at};
    s.out = pipe;
    pid_t pid = start(s);
    std::atomic<bool> reading{c.slowReader};
    std::thread slow([&] {
      char buf[4096];
      while (reading) {
        (void)!::read(reader, buf, sizeof buf);
        std::this_thread::sleep_for(1s);
      }
    });
    // The stop comes once the reader holds the run: what it writes to first
    // is full, also between a slow reader's takes.
    ASSERT_TRUE(until([&] { return pipeFull(held); }, pid));
    std::this_thread::sleep_for(200ms);
    ASSERT_TRUE(alive(pid)) << "the run was not held";
    for (size_t i = 0; i < c.signals.size(); ++i) {
      if (i > 0) {
        ASSERT_TRUE(until([&] { return !untaken(pid, c.signals[i - 1]); }, pid));
      }
      kill(pid, c.signals[i]);
    }
    EXPECT_EQ(ending(pid, afterStop(c.limit)), -c.signals.back());
    reading = false;
    slow.join();
    close(reader);
    if (held != reader) close(held);
    if (other > 0) {
      kill(other, SIGKILL);
      ending(other);
      close(errReader);
    }
    if (c.err == kErrFile) {
      EXPECT_EQ(linesOf(slurp(f.dir / "err")), c.says);
    }
    // A second stop ends the run at once, before its page is written.
    if (pngToFile && c.signals.size() == 1) expectWholePng(png);
    if (c.signals.size() > 1) {
      EXPECT_FALSE(fs::exists(png));
    }
    expectOnlyWholeOutputs(f);
  }
}

// What `pid` has written so far, in bytes, or -1.
long long bytesWritten(pid_t pid) {
  std::ifstream io("/proc/" + std::to_string(pid) + "/io");
  for (std::string line; std::getline(io, line);)
    if (line.rfind("wchar:", 0) == 0) return std::stoll(line.substr(6));
  return -1;
}

// The run has written, and writes no more for a while: it is held.
bool writesNoMore(pid_t pid) {
  long long before = bytesWritten(pid);
  std::this_thread::sleep_for(300ms);
  return before > 0 && bytesWritten(pid) == before;
}

// A stream that the run cannot open anew as a writer of its own, which
// never waits in a write, holds a stopped run no longer than a reader
// that takes nothing does: a terminal that only root may open, the run
// another user's, whose reader takes a little once more after the stop,
// so that the run finds room and its write then waits for more; a
// socket, whose room another writer takes once the run found it (a
// preloaded library takes it, and stops the run then); and a pipe, where
// there is no /proc to open it through.
TEST(Endings, AStopIsNotHeldByAStreamTheRunCannotOpenAnew) {
  enum Stream { kTerminal, kSocket, kNoProc };
  struct Case {
    const char* name;
    Stream stream;
  };
  const Case cases[] = {
      {"a terminal that only root may open", kTerminal},
      {"a socket whose room another writer takes", kSocket},
      {"a pipe, with no /proc", kNoProc},
  };
  const std::string bin = std::string(LESSON_BIN_DIR) + "/kelvaro";
  std::string keys;
  for (int i = 0; i < 600; ++i) keys += " 1 Enter Space Space Esc Esc 2 Enter Space Space";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Folder f("not_anew");
    std::vector<std::string> options = {"--headless", "--keys", keys, "--trace", "/dev/stdout"};
    Spawn s({}, {kNoLeaks}, f.dir / "err");
    int mine = -1, theirs = -1;  // the test's end of the stream, and the run's standard output
    if (c.stream == kTerminal) {
      if (geteuid() != 0 || access("/usr/bin/setpriv", X_OK) != 0) {
        std::printf("[ skipped  ] %s: needs root and setpriv\n", c.name);
        continue;
      }
      mine = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
      ASSERT_GE(mine, 0);
      ASSERT_EQ(grantpt(mine), 0);
      ASSERT_EQ(unlockpt(mine), 0);
      theirs = open(ptsname(mine), O_RDWR | O_NOCTTY | O_CLOEXEC);
      ASSERT_GE(theirs, 0);
      struct stat st;
      ASSERT_EQ(fstat(theirs, &st), 0);
      ASSERT_TRUE(st.st_uid == 0 && !(st.st_mode & S_IWOTH)) << "nobody could open the terminal";
      // Nobody may write into the folder: the trace is the run's only output.
      s.args = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", bin};
    } else if (c.stream == kSocket) {
      int ends[2];
      ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
      mine = ends[0], theirs = ends[1];
      s.args = {"kelvaro"};
      s.env = {kNoLeaks + ":verify_asan_link_order=0", "LD_PRELOAD=" + std::string(SIGNAL_AT),
               "LESSON_SIGNAL_AT=fifo-taken"};
    } else {
      if (const char* why = whyProcStays()) {
        std::printf("[ skipped  ] %s: %s\n", c.name, why);
        continue;
      }
      int ends[2];
      ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
      mine = ends[0], theirs = ends[1];
      s.args = withoutProc({"kelvaro"});
    }
    s.args.insert(s.args.end(), options.begin(), options.end());
    if (c.stream != kTerminal) s.args.insert(s.args.end(), {"--png", (f.dir / "p.png").string()});
    s.outPipe = theirs;
    pid_t pid = start(s);
    close(theirs);
    auto takeALittle = [&] {
      pollfd p{mine, POLLIN, 0};
      char buf[4096];
      ASSERT_EQ(poll(&p, 1, 20000), 1);
      ASSERT_GT(read(mine, buf, sizeof buf), 0);
    };
    if (c.stream == kTerminal) takeALittle();
    // The preloaded library stops the run on a socket as it is held: the
    // bound on the ending counts from there, not from the run's start.
    bool held = until([&] { return writesNoMore(pid); }, pid);
    if (c.stream != kSocket) {
      ASSERT_TRUE(held) << "the run was not held";
      kill(pid, SIGTERM);
    }
    if (c.stream == kTerminal) {
      ASSERT_TRUE(until([&] { return !untaken(pid, SIGTERM); }, pid));
      takeALittle();
    }
    // Held by the stream, the run would not end; the bound leaves room for
    // its own work after the grace (its page) on a busy machine.
    EXPECT_EQ(ending(pid, afterStop(10s)), -SIGTERM);
    close(mine);
    expectOnlyWholeOutputs(f);
  }
}

// Whatever a stopped run waits in, and whatever signal mask and limits it
// was started with, it ends within moments of the stop's grace, as at a
// second stop: a display server that froze while the window is made or
// during the run, the message box of a run that could not start (a
// process of its own, which goes with the run and ends by a stop of its
// own), a file system that hangs when an ending at once removes the
// temporary files.
TEST(Endings, AStopIsBoundedWhateverTheRunWaitsIn) {
  enum Where { kFrozenAtStart, kFrozenInRun, kMessageBox, kMessageBoxStopped, kHungRemoval };
  struct Case {
    const char* name;
    Where where;
    std::vector<std::string> says;  // the lines; the last one may go on past what is given
    std::vector<int> blocked = {};  // held when the run starts
    bool noQueuedSignals = false;
  };
  const std::string stillWaiting = "stopped by SIGTERM; still waiting after 500 ms, so ended at once";
  const std::string bothLeft = "; left as they were before the run: --trace, --png";
  const std::string noPage =
      "cannot start: a page of 16384x16384 needs 1024 MiB of memory, which could not be had (out of memory)";
  const Case cases[] = {
      {"a display server frozen while the window is made", kFrozenAtStart, {stillWaiting + bothLeft}},
      {"a display server frozen while the window is made, no signal may be queued", kFrozenAtStart,
       {stillWaiting + bothLeft}, {}, true},
      {"a display server frozen during the run, SIGALRM held", kFrozenInRun, {stillWaiting}, {SIGALRM}},
      {"the message box of a run that cannot start", kMessageBox, {noPage, stillWaiting}},
      {"the message box's process stopped", kMessageBoxStopped, {noPage}},
      {"a file system that hangs when a temporary file is removed", kHungRemoval,
       {"ended at once by SIGUSR1" + bothLeft}},
  };
  const std::string bin = std::string(LESSON_BIN_DIR) + "/kelvaro";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    bool messageBox = c.where == kMessageBox || c.where == kMessageBoxStopped;
    if (messageBox && LESSON_SANITIZED) {
      std::printf("[ skipped  ] %s: an address-space limit in a sanitizer build\n", c.name);
      continue;
    }
    std::unique_ptr<VirtualDisplay> display;
    std::vector<std::string> env = {kNoLeaks + ":verify_asan_link_order=0"};
    if (c.where != kHungRemoval) {
      if (access("/usr/bin/Xvfb", X_OK) != 0) GTEST_SKIP() << "no Xvfb";
      display = std::make_unique<VirtualDisplay>(1500, 800);
      ASSERT_TRUE(display->ok());
      env.push_back("DISPLAY=" + display->name());
    }
    // The server goes on again before it is ended.
    struct Thaw {
      pid_t server = 0;
      ~Thaw() {
        if (server > 0) kill(server, SIGCONT);
      }
    } thaw;
    Folder f("bounded");
    fs::path trace = f.dir / "t.jsonl", png = f.dir / "p.png", shots = f.dir / "shots";
    Spawn s({bin, "--trace", trace.string(), "--png", png.string()}, env, f.dir / "err");
    s.blocked = c.blocked;
    s.noQueuedSignals = c.noQueuedSignals;
    if (c.where == kFrozenAtStart) {
      thaw.server = display->pid();
      kill(thaw.server, SIGSTOP);
    } else if (messageBox) {
      s.args = {"/usr/bin/prlimit", "--as=900000000", bin, "--size", "16384x16384"};
    } else {
      s.args.insert(s.args.end(), {"--keys", longScript(), "--shots", shots.string()});
      if (c.where == kHungRemoval) {
        s.args.push_back("--headless");
        s.env.push_back("LD_PRELOAD=" + std::string(NO_UNNAMED_FILES) + ":" + HUNG_REMOVAL);
      }
    }
    pid_t pid = start(s);
    ASSERT_TRUE(until([&] { return catches(pid, SIGTERM); }, pid));
    pid_t box = 0;
    if (messageBox) {
      // The message box is a process of the run's own, forked, that shows
      // a window (a library may start other programs, such as a message
      // bus, which are the run's too until they start).
      ASSERT_TRUE(until([&] { return windowCount(display->name()) > 0; }, pid));
      ASSERT_TRUE(until([&] {
        std::ifstream children("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
        for (pid_t child; children >> child;)
          if (slurp("/proc/" + std::to_string(child) + "/comm") == "kelvaro\n") box = child;
        return box > 0;
      }, pid));
    } else if (c.where != kFrozenAtStart) {
      ASSERT_TRUE(until([&] { return fs::exists(shots / "shot-0003.png"); }, pid));
    }
    if (c.where == kFrozenInRun) {
      thaw.server = display->pid();
      kill(thaw.server, SIGSTOP);
    }
    if (c.where == kMessageBoxStopped) kill(box, SIGTERM);
    else kill(pid, c.where == kHungRemoval ? SIGUSR1 : SIGTERM);
    int expected = c.where == kMessageBoxStopped ? 1 : c.where == kHungRemoval ? -SIGUSR1 : -SIGTERM;
    EXPECT_EQ(ending(pid, 10s), expected);
    std::vector<std::string> said = linesOf(slurp(f.dir / "err"));
    ASSERT_EQ(said.size(), c.says.size()) << slurp(f.dir / "err");
    for (size_t i = 0; i < said.size(); ++i) EXPECT_EQ(said[i].rfind(c.says[i], 0), 0u) << said[i];
    if (box > 0) {
      // Gone with the run, or left to be collected.
      auto ended = [&] {
        std::ifstream stat("/proc/" + std::to_string(box) + "/stat");
        std::string pidText, name, state;
        return !(stat >> pidText >> name >> state) || state == "Z";
      };
      auto until = Clock::now() + 3s;
      while (!ended() && Clock::now() < until) std::this_thread::sleep_for(5ms);
      EXPECT_TRUE(ended()) << "the message box outlived the run";
    }
    // What an ending at once leaves: the files as before, or whole; where
    // the file system hung, the temporary files too.
    for (const std::string& e : f.entries()) {
      std::string name = fs::path(e).filename().string();
      if (c.where == kHungRemoval && name.rfind(".out-", 0) == 0) continue;
      EXPECT_NE(name[0], '.') << e;
    }
  }
}

// A trace on the standard error, a file, shares it with the messages: a
// message comes between two whole lines of the trace, whichever of the
// trace's writes it meets, never inside a line.
TEST(Endings, AMessageComesBetweenTheLinesOfATraceOnTheSameStream) {
  Folder f("shared_stream");
  std::string keys;
  for (int i = 0; i < 30; ++i) keys += " 1 Enter Space Space Esc";
  const std::string message = "--png: cannot write /dev/full: No space left on device";
  Outcome o =
      run({{"kelvaro", "--headless", "--keys", keys, "--trace", "/dev/stderr", "--png", "/dev/full"}, {kNoLeaks},
           f.dir / "err"});
  EXPECT_EQ(o.ending, rt::kOutputFailed);
  std::string text = slurp(f.dir / "err");
  ASSERT_GT(text.size(), 4u << 16) << "the trace passes 64 KiB several times";
  EXPECT_EQ(text.back(), '\n');
  int messages = 0;
  for (const std::string& line : o.says) {
    if (line == message) ++messages;
    else ASSERT_TRUE(line.rfind("{\"op\":\"", 0) == 0 && line.back() == '}') << line;
  }
  EXPECT_EQ(messages, 1);
  expectOnlyWholeOutputs(f);
}

// The process ids whose process group is `group`, named `name`.
std::vector<pid_t> groupMembers(pid_t group, const std::string& name) {
  std::vector<pid_t> out;
  for (const auto& e : fs::directory_iterator("/proc")) {
    std::string id = e.path().filename().string();
    if (id.find_first_not_of("0123456789") != std::string::npos) continue;
    std::string stat = slurp(e.path() / "stat");
    size_t open = stat.find('('), close = stat.rfind(')');
    if (open == std::string::npos || close == std::string::npos) continue;
    std::istringstream rest(stat.substr(close + 2));
    std::string state;
    pid_t parent = 0, pgrp = 0;
    rest >> state >> parent >> pgrp;
    if (pgrp == group && stat.substr(open + 1, close - open - 1) == name) out.push_back(std::stoi(id));
  }
  return out;
}

// What the run writes to a stream reaches the stream's reader: on the
// master side of a pseudo-terminal (which, opened anew, would be a new
// terminal), the trace and the messages; on a pipe that two runs share,
// every line whole, never cut by the other run's.
TEST(Endings, AStreamIsWrittenWhereItLeads) {
  const std::string message = "unknown option \"--bogus\"";
  for (bool onError : {false, true}) {
    SCOPED_TRACE(onError ? "messages on a terminal's master side" : "a trace on a terminal's master side");
    Folder f("master_side");
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    int slave = open(ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(slave, 0);
    termios raw{};
    ASSERT_EQ(tcgetattr(slave, &raw), 0);
    cfmakeraw(&raw);
    ASSERT_EQ(tcsetattr(slave, TCSANOW, &raw), 0);
    Spawn s({"kelvaro", "--headless", "--keys", "1 Enter Space Esc"}, {kNoLeaks}, f.dir / "err");
    if (onError) {
      s.args.push_back("--bogus");
      s.errPipe = master;
    } else {
      s.args.insert(s.args.end(), {"--trace", "/dev/stdout"});
      s.outPipe = master;
    }
    pid_t pid = start(s);
    // What reaches the slave side, read until the run has ended and
    // nothing more comes. The test's master stays open meanwhile, so that
    // the terminal does not hang up, dropping what was not read yet, as
    // the run ends.
    std::string got;
    char buf[4096];
    auto giveUp = Clock::now() + 60s;
    for (bool ended = false; Clock::now() < giveUp;) {
      pollfd p{slave, POLLIN, 0};
      if (poll(&p, 1, ended ? 200 : 20) == 1) {
        ssize_t n = read(slave, buf, sizeof buf);
        if (n <= 0) break;
        got.append(buf, static_cast<size_t>(n));
      } else if (ended) {
        break;
      } else {
        ended = !alive(pid);
      }
    }
    close(slave);
    close(master);
    EXPECT_EQ(ending(pid), onError ? 2 : 0);
    ASSERT_FALSE(got.empty()) << "nothing reached the terminal";
    if (onError) {
      EXPECT_EQ(got.rfind(message, 0), 0u) << got;
    } else {
      EXPECT_EQ(got.back(), '\n');
      for (const std::string& line : linesOf(got))
        ASSERT_TRUE(line.rfind("{\"op\":\"", 0) == 0 && line.back() == '}') << line;
    }
  }
  // Two runs write their traces into one pipe.
  int ends[2];
  ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
  Folder f("shared_pipe");
  std::vector<pid_t> runs;
  for (const char* program : {"kelvaro", "sindrel"}) {
    Spawn s({program, "--headless", "--keys", longScript(), "--trace", "/dev/stdout"}, {kNoLeaks},
            f.dir / (std::string(program) + ".err"));
    s.outPipe = ends[1];
    runs.push_back(start(s));
  }
  close(ends[1]);
  std::string got;
  char buf[65536];
  for (ssize_t n; (n = read(ends[0], buf, sizeof buf)) > 0;) got.append(buf, static_cast<size_t>(n));
  close(ends[0]);
  for (pid_t pid : runs) EXPECT_EQ(ending(pid), 0);
  std::vector<std::string> lines = linesOf(got);
  ASSERT_GT(lines.size(), 10000u);
  for (const std::string& line : lines)
    ASSERT_TRUE(line.rfind("{\"op\":\"", 0) == 0 && line.back() == '}' && line.find("{\"op\":\"", 1) == std::string::npos)
        << line;
}

// Ctrl-C at a terminal reaches the whole job: the shell running a loop of
// runs stops only when the run died of the signal.
TEST(Endings, CtrlCStopsTheShellLoopAroundARun) {
  Folder f("loop");
  put(f.dir / "keys", longScript());
  std::string loop = "for i in 1 2 3; do " + std::string(LESSON_BIN_DIR) +
                     "/kelvaro --headless --keys \"$(cat keys)\" --png o$i.png; echo \"run $i $?\"; done";
  Spawn job({"/bin/bash", "-c", loop}, {kNoLeaks}, f.dir / "err");
  job.out = f.dir / "out";
  job.cwd = f.dir;
  job.ownGroup = true;
  pid_t shell = start(job);
  ASSERT_GT(shell, 0);
  ASSERT_TRUE(until(
      [&] {
        auto runs = groupMembers(shell, "kelvaro");
        return !runs.empty() && catches(runs[0], SIGINT);
      },
      shell));
  std::this_thread::sleep_for(200ms);
  kill(-shell, SIGINT);
  EXPECT_EQ(ending(shell), -SIGINT) << "the loop went on";
  EXPECT_EQ(slurp(f.dir / "out"), "");
  EXPECT_EQ(linesOf(slurp(f.dir / "err")),
            std::vector<std::string>{"stopped by SIGINT; the outputs hold the run as it stood"});
  expectWholePng(f.dir / "o1.png");
  EXPECT_FALSE(fs::exists(f.dir / "o2.png"));
  expectOnlyWholeOutputs(f);
}

// Whatever would fail at the end is refused before the run, and before its
// window would open: one line, status 2, and the folder as it was.
TEST(Endings, OutputsThatWouldFailAreRefusedBeforeTheRun) {
  Folder f("refused_early");
  std::string d = f.dir.string(), longName = d + "/" + std::string(252, 'n') + ".png";
  bool canUnshare = std::system("unshare -rm true >/dev/null 2>&1") == 0;
  // What the run does not write: a socket, also among the shots or behind
  // a link there, and a block device.
  auto bindSocket = [](const fs::path& path) {
    int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un at{};
    at.sun_family = AF_UNIX;
    std::strncpy(at.sun_path, path.c_str(), sizeof at.sun_path - 1);
    ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&at), sizeof at), 0) << path;
    close(s);
  };
  fs::create_directories(f.dir / "shots");
  fs::create_directories(f.dir / "linked");
  bindSocket(f.dir / "sock");
  bindSocket(f.dir / "shots" / "shot-0001.png");
  fs::create_symlink("../sock", f.dir / "linked" / "shot-0002.png");
  bool canMknod = mknod((f.dir / "block").c_str(), S_IFBLK | 0600, makedev(7, 200)) == 0;
  // Two paths to one folder, for a file not there yet.
  fs::create_directories(f.dir / "a");
  fs::create_directories(f.dir / "b");
  // Streams that take nothing: a socket that listens, one never connected.
  int listening = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int unconnected = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un unnamed{};
  unnamed.sun_family = AF_UNIX;  // given a name of the kernel's choice
  ASSERT_EQ(bind(listening, reinterpret_cast<sockaddr*>(&unnamed), sizeof unnamed.sun_family), 0);
  ASSERT_EQ(listen(listening, 1), 0);
  // A terminal, which takes a trace but not a PNG's binary data.
  int terminal = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(terminal, 0);
  ASSERT_EQ(grantpt(terminal), 0);
  ASSERT_EQ(unlockpt(terminal), 0);
  std::string terminalPath = ptsname(terminal);
  int terminalEnd = open(terminalPath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(terminalEnd, 0);
  struct Case {
    const char* name;
    std::vector<std::string> args;  // the program's, or a command that runs it
    std::vector<std::string> env;
    std::string says;
    bool skip = false;
    int out = -1;  // the standard output, when not /dev/null
  };
  const std::string bin = std::string(LESSON_BIN_DIR) + "/kelvaro";
  // A headless run through a shell, its standard error a pipe that passes
  // its lines on, and then `redirections`.
  auto throughPipe = [&](const std::string& options, const std::string& redirections) {
    return std::vector<std::string>{"/bin/bash", "-c",
                                    "set -o pipefail; " + bin + " --headless " + options + " 2>&1 " + redirections +
                                        " | cat >&2"};
  };
  const Case cases[] = {
      {"a name longer than a folder takes",
       {"kelvaro", "--headless", "--png", longName},
       {},
       "--png: cannot write " + d.substr(0, 40)},
      {"in a window, before it opens",
       {"kelvaro", "--trace", longName},
       {"DISPLAY=", "WAYLAND_DISPLAY="},
       "--trace: cannot write "},
      {"a read-only file system",
       {"/usr/bin/unshare", "-rm", "/bin/sh", "-c",
        "mount -t tmpfs -o ro tmpfs " + d + "/ro && exec " + bin + " --headless --png " + d + "/ro/x.png"},
       {},
       "--png: cannot write " + d + "/ro/x.png: the folder " + d + "/ro is on a read-only file system",
       !canUnshare},
      // An empty name names nothing to write, and a name that ends in "/"
      // names a folder.
      {"an empty file name", {"kelvaro", "--headless", "--png", ""}, {}, "--png needs a file name, not an empty one"},
      {"an empty trace name", {"kelvaro", "--headless", "--trace", ""}, {}, "--trace needs a file name, not an empty one"},
      {"an empty folder name", {"kelvaro", "--headless", "--shots", ""}, {}, "--shots needs a folder name, not an empty one"},
      {"a new file's name that ends in /", {"kelvaro", "--headless", "--png", d + "/out.png/"}, {},
       "--png: cannot write " + d + "/out.png/: the name ends in \"/\", so it names a folder, not a file"},
      {"a file's name that ends in /", {"kelvaro", "--headless", "--trace", d + "/plain/"}, {},
       "--trace: cannot write " + d + "/plain/: the name ends in \"/\", so it names a folder, not a file"},
      {"the standard output's name that ends in /", {"kelvaro", "--headless", "--png", "/dev/stdout/"}, {},
       "--png: cannot write /dev/stdout/: the name ends in \"/\", so it names a folder, not a file"},
      // So does a name that ends in "." or "..", also in a folder that
      // does not exist.
      {"a name that ends in . in a new folder", {"kelvaro", "--headless", "--png", d + "/new/."}, {},
       "--png: cannot write " + d + "/new/.: the name ends in \".\", so it names a folder, not a file"},
      {"a name that ends in .. in a new folder", {"kelvaro", "--headless", "--trace", d + "/new/.."}, {},
       "--trace: cannot write " + d + "/new/..: the name ends in \"..\", so it names a folder, not a file"},
      // A descriptor the caller closed names nothing to write, whatever the
      // run opens of its own meanwhile (a writer for a standard error that
      // is a pipe, or a folder looked into, takes the lowest number free).
      {"a descriptor the caller closed", throughPipe("--png /dev/fd/3", "3>&-"), {},
       "--png: cannot write /dev/fd/3: descriptor 3 is closed"},
      {"a descriptor the caller closed, named in /proc", throughPipe("--png /proc/self/fd/3", "3>&-"), {},
       "--png: cannot write /proc/self/fd/3: descriptor 3 is closed"},
      {"the standard output closed, with the standard input", throughPipe("--png /dev/stdout", "0<&- 1>&-"), {},
       "--png: cannot write /dev/stdout: the standard output is closed"},
      // Also the number the run's own folders take as it follows the path.
      {"a descriptor the caller closed, which the run's folders take", throughPipe("--png /dev/fd/5", "5>&-"), {},
       "--png: cannot write /dev/fd/5: descriptor 5 is closed"},
      {"a descriptor the caller closed, without /proc",
       {"/usr/bin/unshare", "-rm", "/bin/sh", "-c",
        "mount -t tmpfs none /proc && exec " + bin + " --headless --png /dev/fd/5 5>&-"},
       {},
       "--png: cannot write /dev/fd/5: descriptor 5 is closed",
       !canUnshare || LESSON_SANITIZED},
      {"a socket", {"kelvaro", "--headless", "--png", d + "/sock"}, {},
       "--png: cannot write " + d + "/sock: it is a socket, which the run does not write"},
      {"a socket as the trace", {"kelvaro", "--headless", "--trace", d + "/sock"}, {},
       "--trace: cannot write " + d + "/sock: it is a socket, which the run does not write"},
      {"a socket under a shot's name", {"kelvaro", "--headless", "--keys", "1", "--shots", d + "/shots"}, {},
       "--shots: cannot write into " + d + "/shots: " + d +
           "/shots/shot-0001.png is a socket, which the run does not write"},
      {"a link to a socket under a shot's name", {"kelvaro", "--headless", "--keys", "1", "--shots", d + "/linked"}, {},
       "--shots: cannot write into " + d + "/linked: " + d +
           "/linked/shot-0002.png leads to a socket, which the run does not write"},
      {"a block device stays a block device", {"kelvaro", "--headless", "--png", d + "/block"}, {},
       "--png: cannot write " + d + "/block: it is a block device, which the run does not write", !canMknod},
      {"a listening socket as the standard output", {"kelvaro", "--headless", "--png", "/dev/stdout"}, {},
       "--png: cannot write /dev/stdout: the standard output is a listening socket, which takes no data", false,
       listening},
      {"a socket that is not connected as the standard output", {"kelvaro", "--headless", "--trace", "/dev/stdout"}, {},
       "--trace: cannot write /dev/stdout: the standard output is a socket that is not connected", false, unconnected},
      {"a terminal as the standard output, for a PNG", {"kelvaro", "--headless", "--png", "/dev/stdout"}, {},
       "--png: cannot write /dev/stdout: the standard output is a terminal, and a PNG is binary data", false,
       terminalEnd},
      {"a terminal by its name, for a PNG", {"kelvaro", "--headless", "--png", terminalPath}, {},
       "--png: cannot write " + terminalPath + ": it is a terminal, and a PNG is binary data"},
      {"two paths to one new file, through a bind mount",
       {"/usr/bin/unshare", "-rm", "/bin/sh", "-c",
        "mount --bind " + d + "/a " + d + "/b && exec " + bin + " --headless --png " + d + "/a/x.out --trace " + d +
            "/b/x.out"},
       {},
       "--png and --trace name the same file",
       !canUnshare},
      // Open for reading only, here on /dev/null, which would take the page
      // if it were opened anew for writing.
      {"the standard input, read-only", {"kelvaro", "--headless", "--png", "/dev/stdin"}, {},
       "--png: cannot write /dev/stdin: "},
  };
  fs::create_directories(f.dir / "ro");
  put(f.dir / "plain", "plain");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.skip) {
      std::printf("[ skipped  ] %s: not here (no user namespaces, no block devices, or a sanitizer build)\n", c.name);
      continue;
    }
    auto before = f.entries();
    std::vector<std::string> env = c.env;
    env.push_back(kNoLeaks);
    Spawn s(c.args, env, f.dir.parent_path() / ("err_" + std::to_string(getpid())));
    s.outPipe = c.out;
    Outcome o = run(s);
    EXPECT_EQ(o.ending, 2);
    EXPECT_EQ(f.entries(), before);
    EXPECT_EQ(o.says.size(), 1u);
    if (!o.says.empty()) {
      EXPECT_EQ(o.says[0].rfind(c.says, 0), 0u) << o.says[0];
    }
  }
  fs::remove(f.dir.parent_path() / ("err_" + std::to_string(getpid())));
  EXPECT_EQ(fs::status(f.dir / "sock").type(), fs::file_type::socket);
  EXPECT_EQ(fs::status(f.dir / "shots" / "shot-0001.png").type(), fs::file_type::socket);
  if (canMknod) {
    EXPECT_TRUE(fs::is_block_file(f.dir / "block"));
  }
  close(listening);
  close(unconnected);
  // A trace is text, which a terminal takes.
  fs::path err = f.dir.parent_path() / ("err_" + std::to_string(getpid()));
  Spawn traced({"kelvaro", "--headless", "--keys", "1", "--trace", "/dev/stdout"}, {kNoLeaks}, err);
  traced.outPipe = terminalEnd;
  pid_t pid = start(traced);
  close(terminalEnd);
  std::string shown;
  char buf[4096];
  // Read until the run is gone and the terminal holds nothing more of it.
  for (;;) {
    bool gone = !alive(pid);
    pollfd p{terminal, POLLIN, 0};
    if (poll(&p, 1, gone ? 0 : 50) == 1 && (p.revents & POLLIN)) {
      ssize_t n = read(terminal, buf, sizeof buf);
      if (n > 0) shown.append(buf, static_cast<size_t>(n));
      if (n > 0 || (n < 0 && errno == EINTR)) continue;
    }
    if (gone) break;
  }
  close(terminal);
  EXPECT_EQ(ending(pid), 0);
  EXPECT_EQ(linesOf(slurp(err)), std::vector<std::string>{});
  EXPECT_NE(shown.find("{\"op\":\"KEY\""), std::string::npos) << shown.substr(0, 200);
  fs::remove(err);
}

// A run that cannot begin after it made folders for --shots (here on a
// file system that runs out of inodes) takes them back: with status 2, the
// outputs are as they were before the run.
TEST(Endings, ARunThatCannotBeginTakesBackTheFoldersItMade) {
  if (std::system("unshare -rm true >/dev/null 2>&1") != 0) GTEST_SKIP() << "no user namespaces here";
  struct Case {
    const char* name;
    int inodes;  // the file system's, its root folder's among them
    std::string says;
  };
  const Case cases[] = {
      {"the second folder cannot be made", 2,
       "--shots: cannot write into {d}/full/a/b: cannot make {d}/full/a/b: No space left on device (see --help)"},
      {"--png cannot be made once the folders are", 3,
       "--png: cannot write {d}/full/x.png: No space left on device (see --help)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Folder f("unmade");
    std::string d = f.dir.string();
    fs::create_directories(f.dir / "full");
    // The mount is the run's own: what it holds afterwards is listed from
    // inside, into a file outside it.
    std::string script = "mount -t tmpfs -o nr_inodes=" + std::to_string(c.inodes) + " tmpfs " + d + "/full && " +
                         std::string(LESSON_BIN_DIR) + "/kelvaro --headless --keys 1 --shots " + d +
                         "/full/a/b --png " + d + "/full/x.png; s=$?; ls -A " + d + "/full >" + d + "/left; exit $s";
    Outcome o = run({{"/usr/bin/unshare", "-rm", "/bin/sh", "-c", script}, {kNoLeaks}, f.dir / "err"});
    EXPECT_EQ(o.ending, 2);
    EXPECT_EQ(o.says, std::vector<std::string>{std::regex_replace(c.says, std::regex("\\{d\\}"), d)});
    EXPECT_EQ(slurp(f.dir / "left"), "");
  }
}

// What a folder takes is written: the longest name it takes, shots whose
// paths are longer than the system's limit for a path, and one device that
// throws writes away shared by two outputs.
TEST(Endings, WhatAFolderTakesIsWritten) {
  Folder f("taken_whole");
  std::string name255 = std::string(251, 'n') + ".png";
  // A folder whose path is a little shorter than the limit.
  fs::path deep = f.dir;
  while (deep.string().size() < PATH_MAX - 220) deep /= std::string(200, 'd');
  deep /= std::string(PATH_MAX - 8 - deep.string().size(), 's');
  ASSERT_LT(deep.string().size(), static_cast<size_t>(PATH_MAX));
  fs::create_directories(deep);
  Outcome o = run({{"kelvaro", "--headless", "--keys", "1 Enter", "--png", (f.dir / name255).string(), "--shots",
                    deep.string(), "--trace", "/dev/null"},
                   {kNoLeaks},
                   f.dir / "err"});
  EXPECT_EQ(o.ending, 0);
  EXPECT_EQ(o.says, std::vector<std::string>{});
  expectWholePng(f.dir / name255);
  int folder = open(deep.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(folder, 0);
  for (const char* shot : {"shot-0001.png", "shot-0002.png"}) {
    struct stat st;
    EXPECT_EQ(fstatat(folder, shot, &st, 0), 0) << shot;
    EXPECT_GT(st.st_size, 100) << shot;
  }
  close(folder);
  o = run({{"kelvaro", "--headless", "--keys", "1", "--png", "/dev/null", "--trace", "/dev/null"}, {kNoLeaks}, f.dir / "err"});
  EXPECT_EQ(o.ending, 0);
  EXPECT_EQ(o.says, std::vector<std::string>{});
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  // A run started without its standard streams, whose numbers its own
  // files and folders may then take: they are not written as streams, and
  // what a library writes to the streams meanwhile (fontconfig's report of
  // each font it matches, asked for by the environment) goes into none of
  // them. Each output is the same as a run's that has its streams; a run
  // with one output has the fewest folders of its own on those numbers.
  std::string keys = "1 Enter";
  for (int i = 0; i < 30; ++i) keys += " Space Space Esc 1 Enter";
  const std::vector<std::string> both = {"--png", "p.png", "--trace", "t.jsonl"}, pngOnly = {"--png", "p.png"},
                                 traceOnly = {"--trace", "t.jsonl"};
  for (const std::vector<std::string>& given : {both, pngOnly, traceOnly}) {
    Folder g("streamless"), withStreams("with_streams");
    for (const Folder* into : {&withStreams, &g}) {
      std::vector<std::string> args = {"kelvaro", "--headless", "--keys", keys};
      for (size_t i = 0; i < given.size(); i += 2)
        args.insert(args.end(), {given[i], (into->dir / given[i + 1]).string()});
      Spawn s(args, {kNoLeaks, "FC_DEBUG=1"}, f.dir / "err");
      if (into == &g) s.closed = {0, 1, 2};
      EXPECT_EQ(run(s).ending, 0);
    }
    expectOnlyWholeOutputs(g);
    for (size_t i = 0; i < given.size(); i += 2) {
      SCOPED_TRACE(given[i]);
      fs::path made = g.dir / given[i + 1];
      if (given[i] == "--png") expectWholePng(made);
      else expectWholeTrace(made);
      EXPECT_TRUE(slurp(made) == slurp(withStreams.dir / given[i + 1])) << "not what a run with its streams writes";
    }
  }
  // The program's own standard output, a pipe, in a process namespace of
  // its own where its number is not the one /proc knows it by.
  if (std::system("unshare -rpf true >/dev/null 2>&1") != 0) {
    std::printf("[ skipped  ] the standard output in another process namespace: no user namespaces here\n");
    return;
  }
  int ends[2];
  ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
  Spawn inNamespace({"/usr/bin/unshare", "-rpf", std::string(LESSON_BIN_DIR) + "/kelvaro", "--headless", "--keys", "1",
                     "--png", "/dev/stdout"},
                    {kNoLeaks}, f.dir / "err");
  inNamespace.outPipe = ends[1];
  pid_t pid = start(inNamespace);
  close(ends[1]);
  std::string png;
  char buf[65536];
  for (ssize_t n; (n = read(ends[0], buf, sizeof buf)) != 0;)
    if (n > 0) png.append(buf, static_cast<size_t>(n));
    else if (errno != EINTR) break;
  close(ends[0]);
  EXPECT_EQ(ending(pid), 0);
  EXPECT_EQ(linesOf(slurp(f.dir / "err")), std::vector<std::string>{});
  put(f.dir / "out.png", png);
  expectWholePng(f.dir / "out.png");
}

// In a folder that every user may write to and only owners may delete
// from (/tmp), a link, a FIFO or a file is used only when it belongs to
// the user running the program or to the folder's owner, as the kernel's
// guard would have it whatever the machine's setting, for root too; in a
// sticky folder that only some may write to, another user's file is
// replaced only by the folder's owner or one who may override owners
// (CAP_FOWNER, whatever the user id); a file root replaces keeps its
// owner, group and mode, but for a set-user-ID bit, also when root may not
// override owners.
TEST(Endings, SharedFoldersLeaveOtherUsersTheirLinksAndFiles) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root, to make files and links of another user";
  Folder f("shared");
  fs::path shared = f.dir / "shared", kept = f.dir / "kept", victim = kept / "victim";
  fs::path theirShared = f.dir / "their-shared", theirKept = f.dir / "their-kept";
  // Sticky, but not writable by all: root's, and a group's of another user.
  fs::path sticky = f.dir / "sticky", groupSticky = f.dir / "group-sticky";
  for (const fs::path& d : {shared, kept, theirShared, theirKept, sticky, groupSticky}) fs::create_directories(d);
  ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
  ASSERT_EQ(chmod(theirShared.c_str(), 01777), 0);
  ASSERT_EQ(chown(theirShared.c_str(), kNobody, kNogroup), 0);
  ASSERT_EQ(chown(theirKept.c_str(), kNobody, kNogroup), 0);
  ASSERT_EQ(chmod(sticky.c_str(), 01755), 0);
  constexpr uid_t kFolderOwner = 1234, kFileOwner = 1235;
  ASSERT_EQ(chown(groupSticky.c_str(), kFolderOwner, kNogroup), 0);
  ASSERT_EQ(chmod(groupSticky.c_str(), 01770), 0);
  ASSERT_EQ(chmod(f.dir.c_str(), 0755), 0);
  put(victim, "precious");
  auto plant = [&](const fs::path& to, const fs::path& link, uid_t owner) {
    fs::create_symlink(to, link);
    ASSERT_EQ(lchown(link.c_str(), owner, owner), 0);
  };
  plant(victim, shared / "evil.png", kNobody);
  plant(kept, shared / "evil-folder", kNobody);
  plant(kept / "mine.png", shared / "mine.png", 0);
  // Each allowed by one of the rule's two clauses alone.
  plant(theirKept / "own.png", shared / "own.png", kNobody);
  plant(kept / "owners.png", theirShared / "owners.png", kNobody);
  ASSERT_EQ(mkfifo((shared / "fifo.png").c_str(), 0666), 0);
  ASSERT_EQ(chown((shared / "fifo.png").c_str(), kNobody, kNogroup), 0);
  put(sticky / "held.png", "nobody's");
  ASSERT_EQ(chown((sticky / "held.png").c_str(), kNobody, kNogroup), 0);
  ASSERT_EQ(chmod((sticky / "held.png").c_str(), 04750), 0);
  // Files of other users in the shared folders, and of a third user in the
  // group's sticky folder, writable by all: only the folders' rules stand
  // in the way.
  auto planted = [&](const fs::path& path, uid_t owner) {
    put(path, "theirs");
    ASSERT_EQ(chown(path.c_str(), owner, owner), 0);
    ASSERT_EQ(chmod(path.c_str(), 0666), 0);
  };
  planted(shared / "nobodys.png", kNobody);
  planted(shared / "users-own.jsonl", kNobody);
  planted(theirShared / "owners-file.png", kNobody);
  for (const char* name : {"root.png", "without-fowner.png", "user.png", "user-with-fowner.png"})
    planted(groupSticky / name, kFileOwner);
  // Writable by all: only the folder's rule stands in the way.
  put(shared / "theirs.png", "theirs");
  ASSERT_EQ(chmod((shared / "theirs.png").c_str(), 0666), 0);
  put(kept / "nobodys.png", "nobody's");
  ASSERT_EQ(chown((kept / "nobodys.png").c_str(), kNobody, kNogroup), 0);
  ASSERT_EQ(chmod((kept / "nobodys.png").c_str(), 0640), 0);
  std::string s = shared.string(), g = groupSticky.string();
  struct Case {
    const char* name;
    std::string option, path;
    bool asNobody;
    int ending;
    std::string says;
    std::vector<std::string> through = {};  // a command that starts the run
  };
  bool setpriv = access("/usr/bin/setpriv", X_OK) == 0;
  const Case cases[] = {
      {"a planted link to a file", "--png", s + "/evil.png", false, 2,
       "--png: cannot write " + s + "/evil.png: the link " + s + "/evil.png belongs to nobody, who owns neither "
       "the shared folder " + s + " nor this run, so it is not followed"},
      {"a planted link to a folder", "--trace", s + "/evil-folder/t.jsonl", false, 2,
       "--trace: cannot write " + s + "/evil-folder/t.jsonl: the link " + s + "/evil-folder belongs to nobody"},
      {"the folder owner's link", "--png", s + "/mine.png", false, 0, ""},
      {"another user's file", "--png", s + "/theirs.png", true, 2,
       "--png: cannot write " + s + "/theirs.png: it belongs to root, and in the shared folder " + s +
           " only its owner may replace it"},
      {"root replaces a user's file", "--png", kept.string() + "/nobodys.png", false, 0, ""},
      {"the user's own link, in root's shared folder", "--png", s + "/own.png", true, 0, ""},
      {"the folder owner's link, in another user's shared folder", "--png", theirShared.string() + "/owners.png",
       false, 0, ""},
      {"a planted FIFO", "--png", s + "/fifo.png", false, 2,
       "--png: cannot write " + s + "/fifo.png: the FIFO " + s + "/fifo.png belongs to nobody, who owns neither "
       "the shared folder " + s + " nor this run, so it is not written"},
      {"root without the owner override replaces a user's file in its own sticky folder", "--png",
       sticky.string() + "/held.png", false, 0, "",
       {"/usr/bin/setpriv", "--bounding-set=-fowner", "--inh-caps=-fowner"}},
      // Another user's file in a folder shared by all is theirs, root's
      // run or not.
      {"another user's file, as root", "--png", s + "/nobodys.png", false, 2,
       "--png: cannot write " + s + "/nobodys.png: the file " + s + "/nobodys.png belongs to nobody, who owns "
       "neither the shared folder " + s + " nor this run, so it is not replaced"},
      {"the user's own file", "--trace", s + "/users-own.jsonl", true, 0, ""},
      {"the folder owner's file, as root", "--png", theirShared.string() + "/owners-file.png", false, 0, ""},
      // A sticky folder that is not writable by all: the owner override.
      {"a sticky folder that is not world-writable, as root", "--png", g + "/root.png", false, 0, ""},
      {"CAP_FOWNER, not uid 0, decides the owner override", "--png", g + "/without-fowner.png", false, 2,
       "--png: cannot write " + g + "/without-fowner.png: it belongs to " + rt::userName(kFileOwner) +
           ", and in the shared folder " + g + " only its owner may replace it",
       {"/usr/bin/setpriv", "--bounding-set=-fowner", "--inh-caps=-fowner"}},
      {"EPERM for a user who is not root", "--png", g + "/user.png", true, 2,
       "--png: cannot write " + g + "/user.png: it belongs to " + rt::userName(kFileOwner) +
           ", and in the shared folder " + g + " only its owner may replace it"},
      {"a user who may override owners", "--png", g + "/user-with-fowner.png", false, 0, "",
       {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--inh-caps=+fowner",
        "--ambient-caps=+fowner"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!c.through.empty() && !setpriv) {
      std::printf("[ skipped  ] %s: no setpriv here\n", c.name);
      continue;
    }
    fs::path err = f.dir / "err";
    std::vector<std::string> args = c.through;
    args.push_back(c.through.empty() ? "kelvaro" : std::string(LESSON_BIN_DIR) + "/kelvaro");
    args.insert(args.end(), {"--headless", "--keys", "1", c.option, c.path});
    Spawn s(args, {kNoLeaks}, err);
    s.asNobody = c.asNobody;
    Outcome o = run(s);
    EXPECT_EQ(o.ending, c.ending);
    if (c.says.empty()) {
      EXPECT_EQ(o.says, std::vector<std::string>{});
    } else {
      ASSERT_EQ(o.says.size(), 1u);
      EXPECT_EQ(o.says[0].rfind(c.says, 0), 0u) << o.says[0];
    }
    fs::remove(err);
  }
  EXPECT_EQ(slurp(victim), "precious");
  EXPECT_EQ(slurp(shared / "theirs.png"), "theirs");
  EXPECT_EQ(slurp(shared / "nobodys.png"), "theirs");
  EXPECT_EQ(slurp(groupSticky / "without-fowner.png"), "theirs");
  EXPECT_EQ(slurp(groupSticky / "user.png"), "theirs");
  expectWholeTrace(shared / "users-own.jsonl");
  expectWholePng(theirShared / "owners-file.png");
  expectWholePng(groupSticky / "root.png");
  EXPECT_FALSE(fs::exists(kept / "t.jsonl"));
  expectWholePng(kept / "mine.png");
  struct stat st;
  ASSERT_EQ(stat((kept / "nobodys.png").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, kNobody);
  EXPECT_EQ(st.st_gid, kNogroup);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  expectWholePng(kept / "nobodys.png");
  expectWholePng(theirKept / "own.png");
  expectWholePng(kept / "owners.png");
  EXPECT_TRUE(fs::is_fifo(shared / "fifo.png"));
  if (setpriv) {
    ASSERT_EQ(stat((sticky / "held.png").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kNobody);
    EXPECT_EQ(st.st_mode & 07777, 0750u) << "no set-user-ID bit carried over";
    expectWholePng(sticky / "held.png");
    expectWholePng(groupSticky / "user-with-fowner.png");
  }
  EXPECT_EQ(std::set<std::string>(f.entries()),
            (std::set<std::string>{"shared", "shared/evil.png", "shared/evil-folder", "shared/mine.png",
                                   "shared/theirs.png", "shared/own.png", "shared/fifo.png", "shared/nobodys.png",
                                   "shared/users-own.jsonl", "kept", "kept/victim", "kept/mine.png", "kept/nobodys.png",
                                   "kept/owners.png", "their-shared", "their-shared/owners.png",
                                   "their-shared/owners-file.png", "their-kept", "their-kept/own.png", "sticky",
                                   "sticky/held.png", "group-sticky", "group-sticky/root.png",
                                   "group-sticky/without-fowner.png", "group-sticky/user.png",
                                   "group-sticky/user-with-fowner.png"}));
}

// A file the run replaces lets no one read or write it who could not
// before: what the old file allowed is carried over where the run may set
// it, and narrowed where it may not, never widened.
TEST(Endings, AReplacedFileLetsInNoOneWhoWasNotInBefore) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root, to make files of other users and groups";
  using namespace access_lists;
  constexpr gid_t kTheirs = 1234;  // a group nobody is in only where a case says so
  const std::string openDefault = accessList(
      {{kOwner, 7}, {kUser, 6, kNobody}, {kGroup, 7}, {kNamedGroup, 6, kTheirs}, {kMask, 7}, {kOther, 0}});
  const std::string nobodyToo = accessList({{kOwner, 6}, {kUser, 6, kNobody}, {kGroup, 4}, {kMask, 6}, {kOther, 0}});
  struct Case {
    const char* name;
    uid_t owner = 0;  // the old file's
    gid_t group = 0;
    mode_t mode;
    std::string list = "";  // its access list
    bool asNobody = false;
    std::vector<gid_t> groups = {};
    uid_t folderOwner = 0;  // the folder it is in
    gid_t folderGroup = 0;
    mode_t folderMode = 0755;
    std::string folderDefault = "";  // the folder's default access list
    std::string fault = "";          // what the attribute calls of the run meet
    // What the new file has.
    uid_t wantOwner = 0;
    gid_t wantGroup = 0;
    mode_t wantMode;
    std::string wantList = "";
  };
  const Case cases[] = {
      {.name = "nobody's own file, of a group it is in", .owner = kNobody, .group = kTheirs, .mode = 0640,
       .asNobody = true, .groups = {kTheirs}, .folderOwner = kNobody, .wantOwner = kNobody, .wantGroup = kTheirs,
       .wantMode = 0640},
      {.name = "nobody's own file, of a group it is not in", .owner = kNobody, .group = kTheirs, .mode = 0640,
       .asNobody = true, .folderOwner = kNobody, .wantOwner = kNobody, .wantGroup = kNogroup, .wantMode = 0600},
      {.name = "nobody's own file that the others may read more of than its group",
       .owner = kNobody, .group = kTheirs, .mode = 0674, .asNobody = true, .folderOwner = kNobody,
       .wantOwner = kNobody, .wantGroup = kNogroup, .wantMode = 0644},
      {.name = "nobody's own file that shuts its group out", .owner = kNobody, .group = kTheirs, .mode = 0604,
       .asNobody = true, .folderOwner = kNobody, .wantOwner = kNobody, .wantGroup = kNogroup, .wantMode = 0600},
      {.name = "another user's file, by a member of its group, in a folder the group may write",
       .group = kTheirs, .mode = 0660, .asNobody = true, .groups = {kTheirs}, .folderGroup = kTheirs,
       .folderMode = 0770, .wantOwner = kNobody, .wantGroup = kTheirs, .wantMode = 0660},
      {.name = "another user's file that all may write, of a group nobody is not in, in a folder all may write",
       .group = kTheirs, .mode = 0662, .asNobody = true, .folderMode = 0777, .wantOwner = kNobody,
       .wantGroup = kNogroup, .wantMode = 0622},
      {.name = "root replaces a file of another user and group", .owner = kNobody, .group = kTheirs, .mode = 0640,
       .wantOwner = kNobody, .wantGroup = kTheirs, .wantMode = 0640},
      // Its group may read and run it, the others read and write it: each
      // keeps only what the other had too.
      {.name = "nobody's own file with an access list, of a group it is not in", .owner = kNobody,
       .group = kTheirs, .mode = 0676,
       .list = accessList({{kOwner, 6}, {kUser, 4, 0}, {kGroup, 5}, {kMask, 7}, {kOther, 6}}), .asNobody = true,
       .folderOwner = kNobody, .wantOwner = kNobody, .wantGroup = kNogroup, .wantMode = 0674,
       .wantList = accessList({{kOwner, 6}, {kUser, 4, 0}, {kGroup, 4}, {kMask, 7}, {kOther, 4}})},
      {.name = "a folder's default access list does not open up a replaced 0600 file", .mode = 0600,
       .folderDefault = openDefault, .wantMode = 0600},
      {.name = "an access list that is refused", .mode = 0660, .list = nobodyToo, .fault = "list-refused",
       .wantMode = 0640},
      {.name = "an access list that is refused, in a folder with a default one", .mode = 0660, .list = nobodyToo,
       .folderDefault = openDefault, .fault = "list-refused", .wantMode = 0640},
      {.name = "an access list that shuts out a user whom the mode lets in, refused", .mode = 0644,
       .list = accessList({{kOwner, 6}, {kUser, 0, kNobody}, {kGroup, 4}, {kMask, 4}, {kOther, 4}}),
       .fault = "list-refused", .wantMode = 0600},
      {.name = "an access list that cannot be read", .mode = 0664,
       .list = accessList({{kOwner, 6}, {kUser, 6, kNobody}, {kGroup, 0}, {kMask, 6}, {kOther, 4}}),
       .fault = "unreadable", .wantMode = 0600},
  };
  Folder f("replaced");
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::path dir = f.dir / std::to_string(++n), file = dir / "p.png", err = f.dir / "err";
    fs::create_directories(dir);
    ASSERT_EQ(chown(dir.c_str(), c.folderOwner, c.folderGroup), 0);
    ASSERT_EQ(chmod(dir.c_str(), c.folderMode), 0);
    put(file, "before");
    ASSERT_EQ(chown(file.c_str(), c.owner, c.group), 0);
    ASSERT_EQ(chmod(file.c_str(), c.mode), 0);
    // The folder's default list after the old file is made, which it
    // would otherwise give that file.
    for (const auto& [at, key, list] : {std::tuple<fs::path, const char*, std::string>{file, kAccess, c.list},
                                        {dir, kDefault, c.folderDefault}}) {
      if (list.empty()) continue;
      if (setxattr(at.c_str(), key, list.data(), list.size(), 0) != 0 && errno == ENOTSUP)
        GTEST_SKIP() << "the file system keeps no access lists";
      ASSERT_EQ(attribute(at, key), list) << key;
    }
    ASSERT_EQ(fs::status(file).permissions(), fs::perms(c.mode)) << "the list stands in the mode";
    std::vector<std::string> env = {kNoLeaks + ":verify_asan_link_order=0"};
    if (!c.fault.empty()) env.insert(env.end(), {"LD_PRELOAD=" + std::string(ATTRIBUTE_FAULTS),
                                                 "LESSON_ATTRIBUTE_FAULT=" + c.fault});
    Spawn s({"kelvaro", "--headless", "--keys", "1", "--png", file.string()}, env, err);
    s.asNobody = c.asNobody;
    s.groups = c.groups;
    Outcome o = run(s);
    EXPECT_EQ(o.ending, 0);
    EXPECT_EQ(o.says, std::vector<std::string>{});
    expectWholePng(file);
    struct stat st;
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, c.wantOwner);
    EXPECT_EQ(st.st_gid, c.wantGroup);
    EXPECT_EQ(st.st_mode & 07777, c.wantMode) << std::oct << (st.st_mode & 07777);
    EXPECT_EQ(attribute(file, kAccess), c.wantList);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1) << "a file is left beside it";
    fs::remove(err);
  }
}

// Until a replacement has what the old file allowed, it lets no one in but
// the program: also under a temporary name, which others can open, in a
// folder whose default access list would let them in.
TEST(Endings, AReplacementLetsNoOneInBeforeItHasTheOldFilesAccess) {
  using namespace access_lists;
  Folder f("replacing");
  fs::path png = f.dir / "p.png", err = f.dir.parent_path() / ("replacing_err_" + std::to_string(getpid()));
  put(png, "before");
  ASSERT_EQ(chmod(png.c_str(), 0600), 0);
  std::string open = accessList({{kOwner, 7}, {kUser, 6, kNobody}, {kGroup, 7}, {kMask, 7}, {kOther, 7}});
  if (setxattr(f.dir.c_str(), kDefault, open.data(), open.size(), 0) != 0)
    std::printf("[ skipped  ] a folder's default access list: %s\n", std::strerror(errno));
  // Stopped as the temporary file is made, before it takes anything over.
  pid_t pid = start({{"kelvaro", "--headless", "--keys", "1", "--png", png.string()},
                     {kNoLeaks + ":verify_asan_link_order=0",
                      "LD_PRELOAD=" + std::string(SIGNAL_AT) + ":" + NO_UNNAMED_FILES, "LESSON_SIGNAL_AT=temporary",
                      "LESSON_SIGNAL=" + std::to_string(SIGSTOP)},
                     err});
  auto stopped = [&] {
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(pid), &info, WSTOPPED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid;
  };
  bool held = until(stopped, pid);
  EXPECT_TRUE(held) << "the run did not stop at its temporary file";
  int temporaries = 0;
  for (const auto& e : fs::directory_iterator(f.dir)) {
    if (e.path().filename().string().rfind(".out-", 0) != 0) continue;
    ++temporaries;
    struct stat st;
    ASSERT_EQ(stat(e.path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u) << std::oct << (st.st_mode & 07777) << " " << e.path();
  }
  EXPECT_EQ(temporaries, held ? 1 : 0);
  kill(pid, SIGCONT);
  EXPECT_EQ(ending(pid), 0);
  EXPECT_EQ(linesOf(slurp(err)), std::vector<std::string>{});
  fs::remove(err);
  expectWholePng(png);
  EXPECT_EQ(fs::status(png).permissions(), fs::perms(0600));
  EXPECT_EQ(attribute(png, kAccess), "");
  EXPECT_EQ(f.entries(), std::set<std::string>{"p.png"});
}

// While a run waits for a reader to open the FIFO given as its trace, other
// users may change its folders: names planted ahead for its temporary
// files do not stop it, as no one can tell the names it will take, and a
// FIFO swapped for a file is not written.
TEST(Endings, WhatOthersDoWhileARunWaitsForAReaderDoesNotMisleadIt) {
  // A run whose --trace is the FIFO `fifo`, made here.
  auto startOn = [](const fs::path& fifo, std::vector<std::string> args, const fs::path& err, bool procHidden = false) {
    if (mkfifo(fifo.c_str(), 0600) != 0) return pid_t{-1};
    args.insert(args.begin(), {"kelvaro", "--headless", "--keys", "1 Enter", "--trace", fifo.string()});
    return start({procHidden ? withoutProc(args) : args, {kNoLeaks}, err});
  };
  const std::string waits = "--trace: waiting for a reader to open the FIFO ";
  auto said = [&](const fs::path& err) { return slurp(err).rfind(waits, 0) == 0; };
  {
    SCOPED_TRACE("another user's files under the names of the run's temporaries");
    Folder f("planted");
    fs::path shared = f.dir / "shared", png = shared / "p.png", fifo = f.dir / "t.fifo", err = f.dir / "err";
    fs::create_directories(shared);
    ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
    put(png, "before");
    pid_t pid = startOn(fifo, {"--png", png.string()}, err);
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(until([&] { return said(err); }, pid)) << "the wait was not said";
    std::set<std::string> planted;
    for (int n = 1; n <= 100; ++n) {
      std::string name = ".out-" + std::to_string(pid) + "-" + std::to_string(n) + ".part";
      put(shared / name, "planted");
      if (geteuid() == 0) {
        EXPECT_EQ(chown((shared / name).c_str(), kNobody, kNogroup), 0);
      }
      planted.insert("shared/" + name);
    }
    std::string trace = slurp(fifo);
    EXPECT_EQ(ending(pid), 0);
    EXPECT_EQ(linesOf(slurp(err)), std::vector<std::string>{waits + fifo.string()});
    EXPECT_TRUE(!trace.empty() && trace.back() == '\n') << "the trace was not written whole";
    expectWholePng(png);
    for (const std::string& name : planted) EXPECT_EQ(slurp(f.dir / name), "planted") << name;
    std::set<std::string> left = planted;
    left.insert({"shared", "shared/p.png", "t.fifo", "err"});
    EXPECT_EQ(f.entries(), left);
  }
  // Where there is no /proc, the FIFO is opened by its name.
  for (bool procHidden : {false, true}) {
    SCOPED_TRACE(procHidden ? "the FIFO swapped for a file, with no /proc" : "the FIFO swapped for a file");
    if (const char* why = procHidden ? whyProcStays() : nullptr) {
      std::printf("[ skipped  ] the FIFO swapped for a file, with no /proc: %s\n", why);
      continue;
    }
    Folder f("swapped");
    fs::path fifo = f.dir / "t.fifo", err = f.dir / "err";
    pid_t pid = startOn(fifo, {}, err, procHidden);
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(until([&] { return said(err); }, pid)) << "the wait was not said";
    const std::string theirs(1000000, 'Z');
    fs::remove(fifo);
    put(fifo, theirs);
    EXPECT_EQ(ending(pid), 2);
    EXPECT_EQ(linesOf(slurp(err)),
              (std::vector<std::string>{waits + fifo.string(),
                                        "--trace: cannot write " + fifo.string() +
                                            ": it was replaced while the run waited for a reader to open it (see --help)"}));
    EXPECT_TRUE(slurp(fifo) == theirs) << "the file was written";
    EXPECT_EQ(f.entries(), (std::set<std::string>{"t.fifo", "err"}));
  }
}

// Without /proc, on a kernel that links a file by its descriptor only with
// a privilege the run lacks (a preloaded library makes it so), the outputs
// are still written whole, a new one and one replaced, and nothing is left
// beside them.
TEST(Endings, OutputsAreNamedWithoutProc) {
  if (LESSON_SANITIZED) GTEST_SKIP() << "the sanitizers need /proc";
  if (std::system("unshare -rm true >/dev/null 2>&1") != 0) GTEST_SKIP() << "no user namespaces here";
  Folder f("no_proc");
  std::string d = f.dir.string();
  put(f.dir / "t.jsonl", "before");
  std::string script = "mount -t tmpfs none /proc && exec " + std::string(LESSON_BIN_DIR) +
                       "/kelvaro --headless --keys '1 Enter' --png " + d + "/p.png --trace " + d + "/t.jsonl";
  fs::path err = f.dir.parent_path() / ("no_proc_err_" + std::to_string(getpid()));
  Outcome o = run({{"/usr/bin/unshare", "-rm", "/bin/sh", "-c", script},
                   {kNoLeaks + ":verify_asan_link_order=0", "LD_PRELOAD=" + std::string(NO_DESCRIPTOR_LINKS)},
                   err});
  fs::remove(err);
  EXPECT_EQ(o.ending, 0);
  EXPECT_EQ(o.says, std::vector<std::string>{});
  expectWholePng(f.dir / "p.png");
  expectWholeTrace(f.dir / "t.jsonl");
  EXPECT_EQ(f.entries(), (std::set<std::string>{"p.png", "t.jsonl"}));
}

// An output's data is on the disk before the output has its name, so that
// a power cut cannot leave a named file that is not whole: a new file and
// one replaced, unnamed until then or under a temporary name, and the
// shots. A name that another program takes between the run's check and its
// naming (a preloaded library takes it then) is replaced like any other.
TEST(Endings, AnOutputIsOnTheDiskBeforeItHasItsName) {
  struct Case {
    const char* name;
    bool replaces;           // --png and --trace are there before the run
    bool unnamedRefused;     // the file system makes no unnamed files
    std::string taken = "";  // the name another file takes just before the run names its output
  };
  const Case cases[] = {
      {"new files", false, false},
      {"files replaced", true, false},
      {"new files under temporary names", false, true},
      {"files replaced under temporary names", true, true},
      {"a name taken after the check", false, false, "p.png"},
      {"a name taken after the check, under temporary names", false, true, "p.png"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Folder f("on_disk");
    fs::path png = f.dir / "p.png", trace = f.dir / "t.jsonl";
    fs::path log = f.dir.parent_path() / ("on_disk_log_" + std::to_string(getpid())),
             err = f.dir.parent_path() / ("on_disk_err_" + std::to_string(getpid()));
    if (c.replaces) {
      put(png, "before");
      put(trace, "before");
    }
    std::string preload = NAMING;
    if (c.unnamedRefused) preload += std::string(":") + NO_UNNAMED_FILES;
    std::vector<std::string> env = {kNoLeaks + ":verify_asan_link_order=0", "LD_PRELOAD=" + preload,
                                    "LESSON_NAMING_LOG=" + log.string()};
    if (!c.taken.empty()) env.push_back("LESSON_NAME_TAKEN=" + c.taken);
    Outcome o = run({{"kelvaro", "--headless", "--keys", "1 Enter", "--png", png.string(), "--trace", trace.string(),
                      "--shots", (f.dir / "shots").string()},
                     env, err});
    EXPECT_EQ(o.ending, 0);
    EXPECT_EQ(o.says, std::vector<std::string>{});
    expectWholePng(png);
    expectWholeTrace(trace);
    EXPECT_EQ(f.entries(), (std::set<std::string>{"p.png", "t.jsonl", "shots", "shots/shot-0001.png",
                                                  "shots/shot-0002.png"}));
    std::set<std::string> synced, named, taken;
    for (const std::string& line : linesOf(slurp(log))) {
      std::istringstream in(line);
      std::string what, name, id;
      in >> what;
      if (what == "sync") {
        in >> id;
        synced.insert(id);
        continue;
      }
      in >> name >> id;
      if (what == "taken") {
        taken.insert(name);
        continue;
      }
      EXPECT_TRUE(synced.count(id)) << name << " was named before its data was on the disk";
      if (name.rfind(".out-", 0) != 0) named.insert(name);
    }
    EXPECT_EQ(named, (std::set<std::string>{"p.png", "t.jsonl", "shot-0001.png", "shot-0002.png"}));
    EXPECT_EQ(taken, c.taken.empty() ? std::set<std::string>{} : std::set<std::string>{c.taken});
    fs::remove(log);
    fs::remove(err);
  }
}

// The compressor fails as it does when memory runs out: the run says so in
// plain words, and its other outputs are written. Where the file system
// makes no unnamed files, the page's temporary name goes with it.
TEST(Endings, APngThatCannotBeMadeSaysWhy) {
  for (bool unnamedRefused : {false, true}) {
    SCOPED_TRACE(unnamedRefused ? "under temporary names" : "unnamed");
    Folder f("no_png");
    fs::path png = f.dir / "p.png", trace = f.dir / "t.jsonl";
    std::string preload = FAILING_COMPRESSOR;
    if (unnamedRefused) preload += std::string(":") + NO_UNNAMED_FILES;
    Outcome o = run({{"kelvaro", "--headless", "--keys", "1", "--png", png.string(), "--trace", trace.string()},
                     {"LD_PRELOAD=" + preload, "ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0"},
                     f.dir / "err"});
    EXPECT_EQ(o.ending, rt::kOutputFailed);
    EXPECT_EQ(o.says, std::vector<std::string>{"--png: cannot write " + png.string() +
                                               ": there was not enough memory to make the PNG"});
    EXPECT_FALSE(fs::exists(png));
    expectWholeTrace(trace);
    expectOnlyWholeOutputs(f);
  }
}

// A window run whose display goes away, or which is stopped, writes its
// outputs, and then says in one line what happened and what the outputs
// hold, after any line of an output that failed. A stop that comes with
// the display's end, as at a logout, wins: the run dies by it. A display
// server that answers no more holds a stopped run no longer than the
// stop's grace: the run then ends at once, and says so.
TEST(Endings, AWindowRunThatLosesItsDisplayOrIsStoppedWritesItsOutputs) {
  if (access("/usr/bin/Xvfb", X_OK) != 0) GTEST_SKIP() << "no Xvfb";
  enum How { kEndServer, kDestroyWindow, kSignal, kStopWithServer, kEndServerUnread, kStopWithServerFrozen };
  struct Case {
    const char* name;
    How how;
    int signal;
    std::string png;  // "" for a file of the test's own
    int ending;
    std::vector<std::string> says;  // each the start of a line
    bool errClosed = false;         // the run starts without a standard error
    bool noDevNull = false;         // nor a /dev/null to hold its number with
    // The file system makes no unnamed files, and the page cannot be made
    // for want of memory (the shots can).
    bool pageUnmade = false;
  };
  const std::string hold = "; the outputs hold the run as it stood";
  const Case cases[] = {
      {"the display server ends", kEndServer, 0, "", rt::kDisplayLost, {"the display was lost ("}},
      {"another program destroys the window", kDestroyWindow, 0, "", rt::kDisplayLost,
       {"the window was closed by another program" + hold}},
      {"hang-up", kSignal, SIGHUP, "", -SIGHUP, {"stopped by SIGHUP" + hold}},
      {"stop", kSignal, SIGTERM, "", -SIGTERM, {"stopped by SIGTERM" + hold}},
      {"the display server ends, and an output fails", kEndServer, 0, "/dev/full", rt::kOutputFailed,
       {"--png: cannot write /dev/full: No space left on device", "the display was lost ("}},
      // Its temporary name goes with it.
      {"the display server ends, and a page under a temporary name cannot be made", kEndServer, 0, "",
       rt::kOutputFailed, {"--png: cannot write ", "the display was lost ("}, false, false, true},
      {"a stop as the display server ends", kStopWithServer, SIGTERM, "", -SIGTERM, {"stopped by SIGTERM" + hold}},
      // Its line waits for a reader that takes nothing, until a stop.
      {"the display server ends with nobody reading the messages, then a stop", kEndServerUnread, SIGTERM, "",
       -SIGTERM, {}},
      // The display's connection may take the number of the standard
      // error: the line of the output that fails must not go into it.
      {"stop with the standard error closed and an output that fails", kSignal, SIGTERM, "/dev/full", -SIGTERM, {},
       true},
      {"stop with the standard error closed and no /dev/null", kSignal, SIGTERM, "", -SIGTERM, {}, true, true},
      // What the run waits for on the display (its window closed) does
      // not come; the outputs may or may not be in place by then.
      {"a stop with the display server frozen", kStopWithServerFrozen, SIGTERM, "", -SIGTERM,
       {"stopped by SIGTERM; still waiting after 500 ms, so ended at once"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VirtualDisplay display(1500, 800);
    ASSERT_TRUE(display.ok());
    Folder f("window_end");
    fs::path err = f.dir / "err", trace = f.dir / "t.jsonl", png = f.dir / "p.png", shots = f.dir / "shots";
    int unread = -1;
    if (c.how == kEndServerUnread) {
      // The standard error a pipe that is full from the start.
      ASSERT_EQ(mkfifo(err.c_str(), 0600), 0);
      unread = open(err.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
      fillFifo(err);
    }
    Spawn s({"kelvaro", "--keys", "1 Enter", "--trace", trace.string(), "--png", c.png.empty() ? png.string() : c.png,
             "--shots", shots.string()},
            {"DISPLAY=" + display.name(), kNoLeaks}, err);
    if (c.errClosed) s.closed = {2};
    if (c.noDevNull) {
      if (LESSON_SANITIZED || std::system("unshare -rm /bin/sh -c 'mount -t tmpfs none /dev' >/dev/null 2>&1") != 0) {
        std::printf("[ skipped  ] %s: cannot mount over /dev here\n", c.name);
        continue;
      }
      s.args[0] = std::string(LESSON_BIN_DIR) + "/kelvaro";
      s.args.insert(s.args.begin(), {"/usr/bin/unshare", "-rm", "/bin/sh", "-c",
                                     "mount -t tmpfs none /dev && exec \"$0\" \"$@\""});
    }
    if (c.pageUnmade)
      s.env = {"DISPLAY=" + display.name(), kNoLeaks + ":verify_asan_link_order=0",
               "LD_PRELOAD=" + std::string(FAILING_COMPRESSOR) + ":" + NO_UNNAMED_FILES, "LESSON_COMPRESSOR_WORKS=2"};
    pid_t pid = start(s);
    ASSERT_GT(pid, 0);
    // Both keys taken: the window is up and waits for the next.
    ASSERT_TRUE(until([&] { return fs::exists(shots / "shot-0002.png"); }, pid));
    if (c.errClosed) {
      // The number is held for the standard error by a descriptor that
      // writes nowhere (/dev/null, or where there is none the root folder,
      // opened only to hold it): no descriptor of the run's own, such as
      // its display's connection or an output's folder, takes it.
      char target[256] = {};
      ASSERT_GT(readlink(("/proc/" + std::to_string(pid) + "/fd/2").c_str(), target, sizeof target - 1), 0);
      EXPECT_EQ(std::string(target), c.noDevNull ? "/" : "/dev/null");
    }
    std::this_thread::sleep_for(300ms);
    if (c.how == kEndServer) {
      kill(display.pid(), SIGKILL);
    } else if (c.how == kDestroyWindow) {
      destroyWindows(display.name());
    } else if (c.how == kSignal) {
      kill(pid, c.signal);
    } else if (c.how == kEndServerUnread) {
      kill(display.pid(), SIGKILL);
      std::this_thread::sleep_for(500ms);
      ASSERT_TRUE(alive(pid)) << "the line was not waited for";
      kill(pid, c.signal);
    } else if (c.how == kStopWithServerFrozen) {
      stopNow(display.pid());
      kill(pid, c.signal);
    } else {
      // Both come while the run cannot act, and it finds both when it can.
      stopNow(pid);
      kill(pid, c.signal);
      kill(display.pid(), SIGKILL);
      waitpid(display.pid(), nullptr, 0);
      kill(pid, SIGCONT);
    }
    bool unsaid = c.how == kEndServerUnread || c.errClosed, frozen = c.how == kStopWithServerFrozen;
    EXPECT_EQ(ending(pid, afterStop(unsaid || frozen ? 3s : 20s)), c.ending);
    if (frozen) kill(display.pid(), SIGCONT);
    if (unread >= 0) close(unread);
    std::vector<std::string> said = unsaid ? std::vector<std::string>{} : linesOf(slurp(err));
    ASSERT_EQ(said.size(), c.says.size());
    for (size_t i = 0; i < said.size(); ++i) EXPECT_EQ(said[i].rfind(c.says[i], 0), 0u) << said[i];
    if (c.ending == rt::kOutputFailed) {
      EXPECT_NE(said.back().find("; the other outputs hold the run as it stood"), std::string::npos) << said.back();
    } else if (c.how == kEndServer) {
      EXPECT_NE(said.back().find(hold), std::string::npos) << said.back();
    }
    if (!frozen) {
      expectWholeTrace(trace);
      EXPECT_NE(slurp(trace).find("{\"op\":\"KEY\",\"code\":13}"), std::string::npos)
          << "the trace holds the keys taken";
      if (c.png.empty() && !c.pageUnmade) expectWholePng(png);
    }
    if (c.pageUnmade) {
      EXPECT_FALSE(fs::exists(png));
    }
    expectOnlyWholeOutputs(f);
  }
}

// A window run waiting for a key looks for a stop every little while: no
// single wait for an event is longer than 50 ms (seen in the calls its
// main thread waits in, where the system shows them).
TEST(Endings, AWindowWaitingForAKeyLooksForAStopOften) {
  if (access("/usr/bin/Xvfb", X_OK) != 0) GTEST_SKIP() << "no Xvfb";
  VirtualDisplay display(1500, 800);
  ASSERT_TRUE(display.ok());
  Folder f("key_wait");
  fs::path shots = f.dir / "shots";
  pid_t pid = start({{"kelvaro", "--keys", "1 Enter", "--shots", shots.string()},
                     {"DISPLAY=" + display.name(), kNoLeaks},
                     f.dir / "err"});
  // Both keys taken: the window waits for the next.
  ASSERT_TRUE(until([&] { return fs::exists(shots / "shot-0002.png"); }, pid));
  // The main thread's call: its number and arguments; a poll (7 on
  // x86-64) names its timeout third.
  const fs::path call = "/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/syscall";
  int polls = 0;
  for (int look = 0; look < 400 && polls < 20; ++look) {
    std::istringstream in(slurp(call));
    std::string number, fds, count, timeout;
    // A poll with no timeout (-1) waits for a reply of the display
    // server's, not for an event.
    if (in >> number >> fds >> count >> timeout && number == "7" && timeout != "0xffffffff") {
      ++polls;
      EXPECT_LE(std::stoll(timeout, nullptr, 16), 50) << "a wait of " << std::stoll(timeout, nullptr, 16) << " ms";
    }
    std::this_thread::sleep_for(20ms);
  }
  kill(pid, SIGTERM);
  EXPECT_EQ(ending(pid), -SIGTERM);
  if (polls == 0) GTEST_SKIP() << "the system does not show the waits as polls";
}

// A shell pipeline or a FIFO whose reader leaves before the run writes.
TEST(Endings, AReaderThatLeavesIsAFailedOutputAndTheOthersAreWritten) {
  Folder f("pipes");
  std::string d = f.dir.string(), bin = std::string(LESSON_BIN_DIR) + "/kelvaro --headless ";
  std::string many = "1 Enter";
  for (int i = 0; i < 300; ++i) many += " Space 1 Enter";
  ASSERT_EQ(mkfifo((f.dir / "fifo").c_str(), 0600), 0);
  fs::path err = f.dir / "err";
  struct Case {
    std::string before, args, after, says, written;
  };
  const Case cases[] = {
      {"", "--keys \"" + many + "\" --trace /dev/stdout --png " + d + "/a.png", "| head -c 10 >/dev/null",
       "--trace: cannot write /dev/stdout: Broken pipe", "a.png"},
      {"", "--keys \"1 Enter\" --png /dev/stdout --trace " + d + "/b.jsonl", "| true",
       "--png: cannot write /dev/stdout: Broken pipe", "b.jsonl"},
  };
  for (const Case& c : cases) {
    std::string script = c.before + bin + c.args + " 2>" + err.string() + " " + c.after +
                         "; s=${PIPESTATUS[0]}; wait; exit $s";
    int rc = std::system((kNoLeaks + " bash -c '" + script + "'").c_str());
    EXPECT_EQ(WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, rt::kOutputFailed) << script;
    std::vector<std::string> said = linesOf(slurp(err));
    ASSERT_EQ(said.size(), 1u) << script;
    EXPECT_EQ(said[0].rfind(c.says, 0), 0u) << said[0];
    if (c.written.find(".png") != std::string::npos) expectWholePng(f.dir / c.written);
    else expectWholeTrace(f.dir / c.written);
  }
  // The FIFO's reader is there when the run opens it, and leaves before
  // the run writes.
  fs::path fifo = f.dir / "fifo";
  int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(reader, 0);
  // A script that fills the FIFO many times over and ends by itself.
  pid_t pid = start({{"kelvaro", "--headless", "--keys", longScript(1000), "--trace", fifo.string(), "--png", d + "/c.png"},
                     {kNoLeaks},
                     err});
  // The run has filled the FIFO and has more to write.
  ASSERT_TRUE(until([&] { return pipeFull(reader); }, pid));
  close(reader);
  EXPECT_EQ(ending(pid), rt::kOutputFailed);
  EXPECT_EQ(linesOf(slurp(err)), std::vector<std::string>{"--trace: cannot write " + fifo.string() + ": Broken pipe"});
  expectWholePng(f.dir / "c.png");
  expectOnlyWholeOutputs(f);
}

}  // namespace
