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
#include <sys/wait.h>
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
#include <vector>

#include "runtime/endings.h"
#include "runtime/runtime.h"
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
  bool ownGroup = false;  // leads a process group of its own, as a shell's job
  bool asNobody = false;
  std::vector<int> closed;  // descriptors the program starts without, as a caller may close them
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
  sigset_t empty;
  sigemptyset(&empty);
  sigprocmask(SIG_SETMASK, &empty, nullptr);
  if (s.ownGroup) setpgid(0, 0);
  int in = open("/dev/null", O_RDONLY), out = open(s.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644),
      err = open(s.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  dup2(in, 0), dup2(s.outPipe >= 0 ? s.outPipe : out, 1), dup2(err, 2);
  for (int fd : s.closed) close(fd);
  if (!s.cwd.empty() && chdir(s.cwd.c_str()) != 0) _exit(126);
  if (s.asNobody && (setgroups(0, nullptr) != 0 || setgid(kNogroup) != 0 || setuid(kNobody) != 0)) _exit(126);
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

// Whether `sig` is in one of the signal sets `fields` of the process's
// status ("SigCgt:", ...).
bool inSignalSet(pid_t pid, int sig, std::initializer_list<const char*> fields) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    for (const char* field : fields)
      if (line.rfind(field, 0) == 0 && ((std::stoull(line.substr(7), nullptr, 16) >> (sig - 1)) & 1)) return true;
  return false;
}

// Whether the process has its own handler for `sig`: the program is past
// its first steps and a signal now meets its handling, not the default.
bool catches(pid_t pid, int sig) { return inSignalSet(pid, sig, {"SigCgt:"}); }

// Whether `sig`, sent to the process or its main thread, is not taken yet.
// Two signals sent at once may be taken in either order: the second is
// sent once the first is taken.
bool signalPending(pid_t pid, int sig) { return inSignalSet(pid, sig, {"ShdPnd:", "SigPnd:"}); }

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

// A key script long enough that a run is still drawing when it is stopped.
std::string longScript() {
  std::string keys = "1 Enter";
  for (int i = 0; i < 5000; ++i) keys += " Space Esc 1 Enter";
  return keys;
}

const std::string kNoLeaks = "ASAN_OPTIONS=detect_leaks=0";

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


TEST(Endings, SignalsEndTheRunAsTheCallerExpects) {
  enum State { kWhole, kAsBefore };
  struct Case {
    const char* name;
    std::vector<std::string> options;  // besides --trace, --png and the keys
    bool shots;                        // the run is under way once its third shot is there
    // Each after a wait, counted from when the one before was taken.
    std::vector<std::pair<Clock::duration, int>> signals;
    int ending;
    std::vector<std::string> says;
    State png, trace;
    // The moment the preloaded library acts at, or "": at "thread" the
    // signals land on a second thread of the run, which it starts.
    std::string at = "";
    bool unnamedRefused = false;  // the file system makes no unnamed files
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
      {"second stop", {"--size", "12000x12000", "--keys", "1"}, false, {{300ms, SIGTERM}, {400ms, SIGTERM}},
       -SIGTERM, {"stopped again by SIGTERM, at once; " + left}, kAsBefore, kAsBefore},
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
    pid_t pid = start({args, env, err});
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
    for (size_t i = 0; i < c.signals.size(); ++i) {
      auto [wait, sig] = c.signals[i];
      if (i > 0) {
        ASSERT_TRUE(until([&] { return !signalPending(pid, c.signals[i - 1].second); }, pid));
      }
      std::this_thread::sleep_for(wait);
      if (secondThread) syscall(SYS_tgkill, pid, second, sig);
      else kill(pid, sig);
    }
    EXPECT_EQ(ending(pid), c.ending);
    EXPECT_EQ(linesOf(slurp(err)), c.says);
    if (c.png == kWhole) expectWholePng(png);
    else EXPECT_EQ(slurp(png), "before");
    if (c.trace == kWhole) expectWholeTrace(trace);
    else EXPECT_FALSE(fs::exists(trace));
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
  std::vector<int> signals = {SIGTERM, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF,  SIGXCPU,
                              SIGPOLL, SIGPWR,  SIGABRT, SIGSYS,  SIGTRAP, SIGSTKFLT};
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
    EXPECT_EQ(o.says, std::vector<std::string>{"ended at once by SIGUSR1; left as they were before the run: --trace"});
    expectWholePng(png);
    EXPECT_FALSE(fs::exists(trace));
    EXPECT_EQ(f.entries(), std::set<std::string>{"p.png"});
    fs::remove(f.dir.parent_path() / ("named_err_" + std::to_string(getpid())));
  }
  // --png cannot be made; the run then waits to write its trace into a
  // FIFO whose reader takes nothing, and is ended there.
  Folder f("failed_named");
  fs::path png = f.dir / "p.png", fifo = f.dir / "fifo", err = f.dir / "err";
  put(png, "before");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(reader, 0);
  ASSERT_GT(fcntl(reader, F_SETPIPE_SZ, 4096), 0);  // less than the trace
  pid_t pid = start({{"kelvaro", "--headless", "--keys", "1 Enter", "--png", png.string(), "--trace", fifo.string()},
                     {"LD_PRELOAD=" + std::string(FAILING_COMPRESSOR), kNoLeaks + ":verify_asan_link_order=0"},
                     err});
  ASSERT_TRUE(until([&] { return !slurp(err).empty(); }, pid)) << "--png did not fail";
  std::this_thread::sleep_for(100ms);
  kill(pid, SIGUSR1);
  EXPECT_EQ(ending(pid), -SIGUSR1);
  close(reader);
  EXPECT_EQ(linesOf(slurp(err)),
            (std::vector<std::string>{"--png: cannot write " + png.string() + ": there was not enough memory to make the PNG",
                                      "ended at once by SIGUSR1; left as they were before the run: --png"}));
  EXPECT_EQ(slurp(png), "before");
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
        ASSERT_TRUE(until(full, pid));
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
    EXPECT_EQ(ending(pid, afterStop(3s)), -SIGTERM);
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
    std::vector<int> signals;       // each once the one before was taken
    std::vector<std::string> says;  // when the standard error is a file
    Clock::duration limit = 3s;     // from the last signal to the run's end
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
    Spawn s(args, {kNoLeaks}, err);
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
    int pending = 0;
    ASSERT_TRUE(until([&] { return ioctl(held, FIONREAD, &pending) == 0 && pending >= 65536; }, pid));
    std::this_thread::sleep_for(200ms);
    ASSERT_TRUE(alive(pid)) << "the run was not held";
    for (size_t i = 0; i < c.signals.size(); ++i) {
      if (i > 0) {
        ASSERT_TRUE(until([&] { return !signalPending(pid, c.signals[i - 1]); }, pid));
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
      if (LESSON_SANITIZED) {
        std::printf("[ skipped  ] %s: the sanitizers need /proc\n", c.name);
        continue;
      }
      if (std::system("unshare -rm /bin/sh -c 'mount -t tmpfs none /proc' >/dev/null 2>&1") != 0) {
        std::printf("[ skipped  ] %s: cannot mount over /proc here\n", c.name);
        continue;
      }
      int ends[2];
      ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
      mine = ends[0], theirs = ends[1];
      s.args = {"/usr/bin/unshare", "-rm", "/bin/sh", "-c", "mount -t tmpfs none /proc && exec \"$0\" \"$@\"", bin};
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
      ASSERT_TRUE(until([&] { return !signalPending(pid, SIGTERM); }, pid));
      takeALittle();
    }
    // Held by the stream, the run would not end; the bound leaves room for
    // its own work after the grace (its page) on a busy machine.
    EXPECT_EQ(ending(pid, afterStop(10s)), -SIGTERM);
    close(mine);
    expectOnlyWholeOutputs(f);
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
  struct Case {
    const char* name;
    std::vector<std::string> args;  // the program's, or a command that runs it
    std::vector<std::string> env;
    std::string says;
    bool skip = false;
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
  };
  fs::create_directories(f.dir / "ro");
  put(f.dir / "plain", "plain");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.skip) {
      std::printf("[ skipped  ] %s: no user namespaces here\n", c.name);
      continue;
    }
    auto before = f.entries();
    std::vector<std::string> env = c.env;
    env.push_back(kNoLeaks);
    Outcome o = run({c.args, env, f.dir.parent_path() / ("err_" + std::to_string(getpid()))});
    EXPECT_EQ(o.ending, 2);
    EXPECT_EQ(f.entries(), before);
    EXPECT_EQ(o.says.size(), 1u);
    if (!o.says.empty()) {
      EXPECT_EQ(o.says[0].rfind(c.says, 0), 0u) << o.says[0];
    }
  }
  fs::remove(f.dir.parent_path() / ("err_" + std::to_string(getpid())));
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
       "--shots: cannot write into {d}/full/a/b: cannot make {d}/full/a/b: No space left on device"},
      {"--png cannot be made once the folders are", 3, "--png: cannot write {d}/full/x.png: No space left on device"},
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
  // files and folders may then take: they are not written as streams.
  Folder g("streamless");
  std::string keys = "1 Enter";
  for (int i = 0; i < 30; ++i) keys += " Space Space Esc 1 Enter";
  Spawn streamless({"kelvaro", "--headless", "--keys", keys, "--png", (g.dir / "p.png").string(), "--trace",
                    (g.dir / "t.jsonl").string()},
                   {kNoLeaks}, f.dir / "err");
  streamless.closed = {0, 1, 2};
  EXPECT_EQ(run(streamless).ending, 0);
  expectWholePng(g.dir / "p.png");
  expectWholeTrace(g.dir / "t.jsonl");
  expectOnlyWholeOutputs(g);
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
// from (/tmp), a link or a FIFO is used only when it belongs to the user
// running the program or to the folder's owner, as the kernel's guard
// would have it whatever the machine's setting; another user's file is
// theirs to replace; a file root replaces keeps its owner, group and mode,
// but for a set-user-ID bit, also when root may not override owners.
TEST(Endings, SharedFoldersLeaveOtherUsersTheirLinksAndFiles) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root, to make files and links of another user";
  Folder f("shared");
  fs::path shared = f.dir / "shared", kept = f.dir / "kept", victim = kept / "victim";
  fs::path theirShared = f.dir / "their-shared", theirKept = f.dir / "their-kept";
  for (const fs::path& d : {shared, kept, theirShared, theirKept}) fs::create_directories(d);
  ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
  ASSERT_EQ(chmod(theirShared.c_str(), 01777), 0);
  ASSERT_EQ(chown(theirShared.c_str(), kNobody, kNogroup), 0);
  ASSERT_EQ(chown(theirKept.c_str(), kNobody, kNogroup), 0);
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
  put(shared / "held.png", "nobody's");
  ASSERT_EQ(chown((shared / "held.png").c_str(), kNobody, kNogroup), 0);
  ASSERT_EQ(chmod((shared / "held.png").c_str(), 04750), 0);
  // Writable by all: only the folder's rule stands in the way.
  put(shared / "theirs.png", "theirs");
  ASSERT_EQ(chmod((shared / "theirs.png").c_str(), 0666), 0);
  put(kept / "nobodys.png", "nobody's");
  ASSERT_EQ(chown((kept / "nobodys.png").c_str(), kNobody, kNogroup), 0);
  ASSERT_EQ(chmod((kept / "nobodys.png").c_str(), 0640), 0);
  std::string s = shared.string();
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
      {"root without the owner override replaces a user's file", "--png", s + "/held.png", false, 0, "",
       {"/usr/bin/setpriv", "--bounding-set=-fowner", "--inh-caps=-fowner"}},
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
    ASSERT_EQ(stat((shared / "held.png").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kNobody);
    EXPECT_EQ(st.st_mode & 07777, 0750u) << "no set-user-ID bit carried over";
    expectWholePng(shared / "held.png");
  }
  EXPECT_EQ(std::set<std::string>(f.entries()),
            (std::set<std::string>{"shared", "shared/evil.png", "shared/evil-folder", "shared/mine.png",
                                   "shared/theirs.png", "shared/own.png", "shared/fifo.png", "shared/held.png",
                                   "kept", "kept/victim", "kept/mine.png", "kept/nobodys.png", "kept/owners.png",
                                   "their-shared", "their-shared/owners.png", "their-kept", "their-kept/own.png"}));
}

// While a run waits for a reader to open the FIFO given as its trace, other
// users may change its folders: names planted ahead for its temporary
// files do not stop it, as no one can tell the names it will take, and a
// FIFO swapped for a file is not written.
TEST(Endings, WhatOthersDoWhileARunWaitsForAReaderDoesNotMisleadIt) {
  // A run whose --trace is the FIFO `fifo`, made here.
  auto startOn = [](const fs::path& fifo, std::vector<std::string> args, const fs::path& err) {
    if (mkfifo(fifo.c_str(), 0600) != 0) return pid_t{-1};
    args.insert(args.begin(), {"kelvaro", "--headless", "--keys", "1 Enter", "--trace", fifo.string()});
    return start({args, {kNoLeaks}, err});
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
  {
    SCOPED_TRACE("the FIFO swapped for a file");
    Folder f("swapped");
    fs::path fifo = f.dir / "t.fifo", err = f.dir / "err";
    pid_t pid = startOn(fifo, {}, err);
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(until([&] { return said(err); }, pid)) << "the wait was not said";
    const std::string theirs(1000000, 'Z');
    fs::remove(fifo);
    put(fifo, theirs);
    EXPECT_EQ(ending(pid), 2);
    EXPECT_EQ(linesOf(slurp(err)),
              (std::vector<std::string>{waits + fifo.string(),
                                        "--trace: cannot write " + fifo.string() +
                                            ": it was replaced while the run waited for a reader to open it"}));
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

// The compressor fails as it does when memory runs out: the run says so in
// plain words, and its other outputs are written.
TEST(Endings, APngThatCannotBeMadeSaysWhy) {
  Folder f("no_png");
  fs::path png = f.dir / "p.png", trace = f.dir / "t.jsonl";
  Outcome o = run({{"kelvaro", "--headless", "--keys", "1", "--png", png.string(), "--trace", trace.string()},
                   {"LD_PRELOAD=" + std::string(FAILING_COMPRESSOR), "ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0"},
                   f.dir / "err"});
  EXPECT_EQ(o.ending, rt::kOutputFailed);
  EXPECT_EQ(o.says, std::vector<std::string>{"--png: cannot write " + png.string() +
                                             ": there was not enough memory to make the PNG"});
  EXPECT_FALSE(fs::exists(png));
  expectWholeTrace(trace);
  expectOnlyWholeOutputs(f);
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
      {"a stop as the display server ends", kStopWithServer, SIGTERM, "", -SIGTERM, {"stopped by SIGTERM" + hold}},
      // Its line waits for a reader that takes nothing, until a stop.
      {"the display server ends with nobody reading the messages, then a stop", kEndServerUnread, SIGTERM, "",
       -SIGTERM, {}},
      // The display's connection may take the number of the standard
      // error: the line of the output that fails must not go into it.
      {"stop with the standard error closed and an output that fails", kSignal, SIGTERM, "/dev/full", -SIGTERM, {},
       true},
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
    pid_t pid = start(s);
    ASSERT_GT(pid, 0);
    // Both keys taken: the window is up and waits for the next.
    ASSERT_TRUE(until([&] { return fs::exists(shots / "shot-0002.png"); }, pid));
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
      if (c.png.empty()) expectWholePng(png);
    }
    expectOnlyWholeOutputs(f);
  }
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
  pid_t pid = start({{"kelvaro", "--headless", "--keys", longScript(), "--trace", fifo.string(), "--png", d + "/c.png"},
                     {kNoLeaks},
                     err});
  // The run has filled the FIFO and has more to write.
  int pending = 0;
  ASSERT_TRUE(until([&] { return ioctl(reader, FIONREAD, &pending) == 0 && pending >= 65536; }, pid));
  close(reader);
  EXPECT_EQ(ending(pid), rt::kOutputFailed);
  EXPECT_EQ(linesOf(slurp(err)), std::vector<std::string>{"--trace: cannot write " + fifo.string() + ": Broken pipe"});
  expectWholePng(f.dir / "c.png");
  expectOnlyWholeOutputs(f);
}

}  // namespace
