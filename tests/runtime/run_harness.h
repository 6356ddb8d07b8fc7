// What the tests of how a run ends share: a program started as a shell
// would start it, how it ended and what it said as its caller sees them,
// its state as /proc shows it, and what the folders hold afterwards.
#pragma once

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "runtime/endings.h"

// Last: the X headers define macros (None, Bool) that clash with the others.
#include <X11/Xlib.h>

namespace run_harness {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

inline constexpr uid_t kNobody = 65534;
inline constexpr gid_t kNogroup = 65534;

// What the file holds; a file of /proc whose process ends while it is read
// reads as far as it got.
inline std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void put(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

// The lines of `text`; a last line without its newline shows as one more
// line that says so, for every line the run says ends with one.
inline std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  if (!text.empty() && text.back() != '\n') out.push_back("(no newline at the end)");
  return out;
}

// The line of a stop still waiting when its bound is spent.
inline std::string stillWaitingLine() {
  return "stopped by SIGTERM; still waiting after " + std::to_string(rt::kStopBoundMs) +
         " ms of waiting, so ended at once";
}

// Fills the FIFO `path`, whose reader is open and reads nothing, as a
// writer that wrote and left would.
inline void fillFifo(const fs::path& path) {
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
inline bool pipeFull(int reader) {
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
inline void expectWholeTrace(const fs::path& p) {
  std::string t = slurp(p);
  ASSERT_FALSE(t.empty()) << p;
  EXPECT_EQ(t.back(), '\n') << p;
  for (const std::string& line : linesOf(t))
    ASSERT_TRUE(line.rfind("{\"op\":\"", 0) == 0 && line.back() == '}') << p << ": " << line;
}

// A PNG from its signature to its end chunk.
inline void expectWholePng(const fs::path& p) {
  std::string png = slurp(p);
  ASSERT_GT(png.size(), 100u) << p;
  EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n") << p;
  EXPECT_EQ(png.substr(png.size() - 8, 4), "IEND") << p;
}

// What a folder may hold after a run: its outputs, whole, and the shots,
// each whole; never a file of the program's own that is not complete.
inline void expectOnlyWholeOutputs(const Folder& f) {
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

inline pid_t start(const Spawn& s) {
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
inline int ending(pid_t pid, Clock::duration limit = 300s) {
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
inline Clock::duration afterStop(Clock::duration bound) { return LESSON_SANITIZED ? 3 * bound : bound; }

// Still running; an ended run is left for ending() to collect.
inline bool alive(pid_t pid) {
  siginfo_t info{};
  return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
}

// Whether `sig` is in one of the signal sets of the process's (its main
// thread's) status whose lines start with `field`.
inline bool inSignalSet(pid_t pid, const std::vector<std::string>& fields, int sig) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    for (const std::string& field : fields)
      if (line.rfind(field, 0) == 0 && (std::stoull(line.substr(field.size()), nullptr, 16) >> (sig - 1)) & 1)
        return true;
  return false;
}

// Whether the process has its own handler for `sig`: the program is past
// its first steps and a signal now meets its handling, not the default.
inline bool catches(pid_t pid, int sig) { return inSignalSet(pid, {"SigCgt:"}, sig); }

// Whether `sig` was sent to the process and waits still to be taken.
inline bool untaken(pid_t pid, int sig) { return inSignalSet(pid, {"ShdPnd:", "SigPnd:"}, sig); }

inline bool until(const std::function<bool()>& ready, pid_t pid, Clock::duration limit = 60s) {
  auto end = Clock::now() + limit;
  while (!ready()) {
    if (Clock::now() > end || !alive(pid)) return false;
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

// The processes named `name` in the process group `group` and the
// session `session` (0: any).
inline std::vector<pid_t> processesNamed(const std::string& name, pid_t group, pid_t session) {
  std::vector<pid_t> out;
  for (const auto& e : fs::directory_iterator("/proc")) {
    std::string id = e.path().filename().string();
    if (id.find_first_not_of("0123456789") != std::string::npos) continue;
    std::string stat = slurp(e.path() / "stat");
    size_t open = stat.find('('), close = stat.rfind(')');
    if (open == std::string::npos || close == std::string::npos) continue;
    std::istringstream rest(stat.substr(close + 2));
    std::string state;
    pid_t parent = 0, itsGroup = 0, itsSession = 0;
    rest >> state >> parent >> itsGroup >> itsSession;
    if ((group == 0 || itsGroup == group) && (session == 0 || itsSession == session) &&
        stat.substr(open + 1, close - open - 1) == name)
      out.push_back(std::stoi(id));
  }
  return out;
}

// Stops `pid` with SIGSTOP and returns once it is stopped: the signal is
// only on its way when kill returns.
inline void stopNow(pid_t pid) {
  kill(pid, SIGSTOP);
  auto stopped = [&] {
    std::string stat = slurp("/proc/" + std::to_string(pid) + "/stat");
    size_t name = stat.rfind(')');
    return name != std::string::npos && stat.compare(name, 3, ") T") == 0;
  };
  ASSERT_TRUE(until(stopped, pid)) << "process " << pid << " did not stop";
}

struct Outcome {
  int ending;
  std::vector<std::string> says;
};

inline Outcome run(const Spawn& s) {
  pid_t pid = start(s);
  int e = ending(pid);
  return {e, linesOf(slurp(s.err))};
}

// A key script long enough that a run is still drawing when it is stopped
// (one that ends by itself within seconds, with fewer rounds).
inline std::string longScript(int rounds = 5000) {
  std::string keys = "1 Enter";
  for (int i = 0; i < rounds; ++i) keys += " Space Esc 1 Enter";
  return keys;
}

inline const std::string kNoLeaks = "ASAN_OPTIONS=detect_leaks=0";

// Why a run cannot be started with /proc hidden here, or nullptr when it
// can: a mount namespace of its own, with an empty file system over /proc.
inline const char* whyProcStays() {
  if (LESSON_SANITIZED) return "the sanitizers need /proc";
  if (std::system("unshare -rm /bin/sh -c 'mount -t tmpfs none /proc' >/dev/null 2>&1") != 0)
    return "cannot mount over /proc here";
  return nullptr;
}

// The command that runs `args` (a program in the build's bin folder, and
// its arguments) with /proc hidden.
inline std::vector<std::string> withoutProc(std::vector<std::string> args) {
  args[0] = std::string(LESSON_BIN_DIR) + "/" + args[0];
  args.insert(args.begin(),
              {"/usr/bin/unshare", "-rm", "/bin/sh", "-c", "mount -t tmpfs none /proc && exec \"$0\" \"$@\""});
  return args;
}

// The top-level windows of the display.
inline std::vector<::Window> windowsOf(::Display* dpy) {
  ::Window root = DefaultRootWindow(dpy), parent, *children = nullptr;
  unsigned n = 0;
  XQueryTree(dpy, root, &root, &parent, &children, &n);
  std::vector<::Window> out(children, children + n);
  if (children) XFree(children);
  return out;
}

}  // namespace run_harness
