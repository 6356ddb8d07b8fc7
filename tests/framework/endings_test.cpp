// How a run of a program ends, judged from outside as its caller sees it:
// how it ended (an exit status, or death by a signal), the lines on
// stderr, and what the folders hold afterwards.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
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

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void put(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
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
  bool ownGroup = false;  // leads a process group of its own, as a shell's job
  bool asNobody = false;
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
  dup2(in, 0), dup2(out, 1), dup2(err, 2);
  if (!s.cwd.empty() && chdir(s.cwd.c_str()) != 0) _exit(126);
  if (s.asNobody && (setgroups(0, nullptr) != 0 || setgid(kNogroup) != 0 || setuid(kNobody) != 0)) _exit(126);
  execve(argv[0], argv.data(), envp.data());
  _exit(127);
}

// How it ended: the exit status, or minus the signal that ended it. A run
// still going after `limit` is killed and fails the test.
int ending(pid_t pid, Clock::duration limit = 60s) {
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

// Still running; an ended run is left for ending() to collect.
bool alive(pid_t pid) {
  siginfo_t info{};
  return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
}

// Whether the process has its own handler for `sig`: the program is past
// its first steps and a signal now meets its handling, not the default.
bool catches(pid_t pid, int sig) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (sig - 1)) & 1;
  return false;
}

bool until(const std::function<bool()>& ready, pid_t pid, Clock::duration limit = 60s) {
  auto end = Clock::now() + limit;
  while (!ready()) {
    if (Clock::now() > end || !alive(pid)) return false;
    std::this_thread::sleep_for(5ms);
  }
  return true;
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

TEST(Endings, SignalsEndTheRunAsTheCallerExpects) {
  enum State { kWhole, kAsBefore };
  struct Case {
    const char* name;
    std::vector<std::string> options;  // besides --trace, --png and the keys
    bool shots;                        // the run is under way once its third shot is there
    std::vector<std::pair<Clock::duration, int>> signals;  // each after a wait
    int ending;
    std::vector<std::string> says;
    State png, trace;
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
    pid_t pid = start({args, {kNoLeaks}, err});
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(until([&] { return catches(pid, SIGTERM); }, pid));
    if (c.shots) {
      ASSERT_TRUE(until([&] { return fs::exists(shots / "shot-0003.png"); }, pid));
    }
    for (auto [wait, sig] : c.signals) {
      std::this_thread::sleep_for(wait);
      kill(pid, sig);
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

// A FIFO that nobody opens, or whose reader never reads, holds the run
// until the first stop, which ends it within moments.
TEST(Endings, AStopEndsARunBlockedOnAFifoAtOnce) {
  struct Case {
    const char* name;
    bool window;
    bool reader;  // a reader opens the FIFO and never reads
    std::string option;
    std::vector<std::string> says;  // {fifo} stands for the FIFO's path
  };
  const Case cases[] = {
      {"no reader", false, false, "--png",
       {"--png: cannot write {fifo}: the run was stopped while it waited for a reader to open it",
        "stopped by SIGTERM before the run began; nothing was written"}},
      {"a reader that does not read", false, true, "--trace",
       {"--trace: cannot write {fifo}: the run was stopped while it waited for the reader",
        "stopped by SIGTERM; the other outputs hold the run as it stood"}},
      {"a reader that does not read, in a window", true, true, "--trace",
       {"--trace: cannot write {fifo}: the run was stopped while it waited for the reader",
        "stopped by SIGTERM; the other outputs hold the run as it stood"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<VirtualDisplay> display;
    std::vector<std::string> env = {kNoLeaks};
    if (c.window) {
      if (access("/usr/bin/Xvfb", X_OK) != 0) GTEST_SKIP() << "no Xvfb";
      display = std::make_unique<VirtualDisplay>(1500, 800);
      ASSERT_TRUE(display->ok());
      env.push_back("DISPLAY=" + display->name());
    }
    Folder f("fifo_stop");
    fs::path fifo = f.dir / "fifo", png = f.dir / "p.png";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::vector<std::string> args = {"kelvaro", "--keys", longScript(), c.option, fifo.string()};
    if (!c.window) args.push_back("--headless");
    if (c.option != "--png") args.insert(args.end(), {"--png", png.string()});
    pid_t pid = start({args, env, f.dir / "err"});
    int reader = c.reader ? open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1;
    ASSERT_TRUE(until([&] { return catches(pid, SIGTERM); }, pid));
    if (c.reader) {
      // Blocked: the FIFO is full and the run has more to write.
      int pending = 0;
      ASSERT_TRUE(until([&] { return ioctl(reader, FIONREAD, &pending) == 0 && pending >= 65536; }, pid));
    }
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(alive(pid)) << "the run was not held";
    kill(pid, SIGTERM);
    EXPECT_EQ(ending(pid, 2s), -SIGTERM);
    if (reader >= 0) close(reader);
    std::vector<std::string> says;
    for (std::string line : c.says) says.push_back(std::regex_replace(line, std::regex("\\{fifo\\}"), fifo.string()));
    EXPECT_EQ(linesOf(slurp(f.dir / "err")), says);
    if (c.option != "--png") expectWholePng(png);
    expectOnlyWholeOutputs(f);
  }
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
  };
  fs::create_directories(f.dir / "ro");
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
    ASSERT_EQ(o.says.size(), 1u);
    EXPECT_EQ(o.says[0].rfind(c.says, 0), 0u) << o.says[0];
    EXPECT_EQ(f.entries(), before);
  }
  fs::remove(f.dir.parent_path() / ("err_" + std::to_string(getpid())));
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
}

// In a folder that every user may write to and only owners may delete
// from (/tmp), a link is followed only when it belongs to the user running
// the program or to the folder's owner, as the kernel's guard would have
// it whatever the machine's setting; another user's file is theirs to
// replace; a file root replaces keeps its owner.
TEST(Endings, SharedFoldersLeaveOtherUsersTheirLinksAndFiles) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root, to make files and links of another user";
  Folder f("shared");
  fs::path shared = f.dir / "shared", kept = f.dir / "kept", victim = kept / "victim";
  fs::create_directories(shared);
  fs::create_directories(kept);
  ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
  ASSERT_EQ(chmod(f.dir.c_str(), 0755), 0);
  put(victim, "precious");
  auto plant = [&](const fs::path& to, const fs::path& link, uid_t owner) {
    fs::create_symlink(to, link);
    ASSERT_EQ(lchown(link.c_str(), owner, owner), 0);
  };
  plant(victim, shared / "evil.png", kNobody);
  plant(kept, shared / "evil-folder", kNobody);
  plant(kept / "mine.png", shared / "mine.png", 0);
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
  };
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
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::path err = f.dir / "err";
    Spawn s({"kelvaro", "--headless", "--keys", "1", c.option, c.path}, {kNoLeaks}, err);
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
  EXPECT_EQ(std::set<std::string>(f.entries()),
            (std::set<std::string>{"shared", "shared/evil.png", "shared/evil-folder", "shared/mine.png",
                                   "shared/theirs.png", "kept", "kept/victim", "kept/mine.png", "kept/nobodys.png"}));
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

// Destroys every top-level window of the display, as another client can.
void destroyWindows(const std::string& display) {
  ::Display* dpy = XOpenDisplay(display.c_str());
  ASSERT_NE(dpy, nullptr);
  ::Window root = DefaultRootWindow(dpy), parent, *children = nullptr;
  unsigned n = 0;
  XQueryTree(dpy, root, &root, &parent, &children, &n);
  for (unsigned i = 0; i < n; ++i) XDestroyWindow(dpy, children[i]);
  if (children) XFree(children);
  XSync(dpy, False);
  XCloseDisplay(dpy);
}

TEST(Endings, AWindowRunThatLosesItsDisplayOrIsStoppedWritesItsOutputs) {
  if (access("/usr/bin/Xvfb", X_OK) != 0) GTEST_SKIP() << "no Xvfb";
  enum How { kEndServer, kDestroyWindow, kSignal };
  struct Case {
    How how;
    int signal;
    int ending;
    const char* says;
  };
  const Case cases[] = {
      {kEndServer, 0, rt::kDisplayLost, "the display was lost"},
      {kDestroyWindow, 0, rt::kDisplayLost, "the display was lost"},
      {kSignal, SIGHUP, -SIGHUP, "stopped by SIGHUP; the outputs hold the run as it stood"},
      {kSignal, SIGTERM, -SIGTERM, "stopped by SIGTERM; the outputs hold the run as it stood"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.says);
    VirtualDisplay display(1500, 800);
    ASSERT_TRUE(display.ok());
    Folder f("window_end");
    fs::path err = f.dir / "err", trace = f.dir / "t.jsonl", png = f.dir / "p.png", shots = f.dir / "shots";
    pid_t pid = start({{"kelvaro", "--keys", "1 Enter", "--trace", trace.string(), "--png", png.string(), "--shots",
                        shots.string()},
                       {"DISPLAY=" + display.name(), kNoLeaks},
                       err});
    ASSERT_GT(pid, 0);
    // Both keys taken: the window is up and waits for the next.
    ASSERT_TRUE(until([&] { return fs::exists(shots / "shot-0002.png"); }, pid));
    std::this_thread::sleep_for(300ms);
    if (c.how == kEndServer) kill(display.pid(), SIGKILL);
    else if (c.how == kDestroyWindow) destroyWindows(display.name());
    else kill(pid, c.signal);
    EXPECT_EQ(ending(pid, 20s), c.ending);
    std::vector<std::string> said = linesOf(slurp(err));
    ASSERT_EQ(said.size(), 1u);
    EXPECT_EQ(said[0].rfind(c.says, 0), 0u) << said[0];
    expectWholeTrace(trace);
    EXPECT_NE(slurp(trace).find("{\"op\":\"KEY\",\"code\":13}"), std::string::npos)
        << "the trace holds the keys taken";
    expectWholePng(png);
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
      // The reader opens the FIFO and closes it at once.
      {"(exec 3<" + d + "/fifo) & ", "--keys \"1 Enter\" --trace " + d + "/fifo --png " + d + "/c.png", "",
       "--trace: cannot write " + d + "/fifo: Broken pipe", "c.png"},
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
  expectOnlyWholeOutputs(f);
}

}  // namespace
