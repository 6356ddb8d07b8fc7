// A run stopped, as its caller sees it: how it ends for each signal, sent
// by the test or by another process, at a terminal's Ctrl-C, or when its
// window's display goes away; the lines it says on stderr; and its outputs
// whole or as they were, with no file of its own left behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "runtime/exit_status.h"
#include "tools/virtual_display.h"
// Last: the X headers, which the harness ends with, define macros (None, Bool)
// that clash with the others.
#include "tests/runtime/run_harness.h"
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

using namespace run_harness;

// The thread of `pid` named `name`, or 0.
pid_t threadNamed(pid_t pid, const std::string& name) {
  for (const auto& e : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task"))
    if (slurp(e.path() / "comm") == name + "\n") return std::stoi(e.path().filename().string());
  return 0;
}

// A signal sent to a run: after a wait from the one before (which the run
// has taken by then), or once the trace is in place; by the test or by
// another process.
struct Sent {
  Clock::duration wait;
  int sig;
  bool byOther = false;
  bool onceWriting = false;  // sent once the page's writing is under way
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
    std::vector<int> blocked = {};  // signals the run starts with held, as a job runner may hold them
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
      // meanwhile is still a stop.
      {"stop while the page is written", {"--size", "12000x12000", "--keys", "1"}, false,
       {{900ms, SIGTERM}}, -SIGTERM, {"stopped by SIGTERM; " + hold}, kWhole, kWhole},
      // `timeout` sends its stop to the run and then to its process group,
      // the run again; Ctrl-C under `timeout` comes from the terminal and
      // from `timeout`: one act, one stop, whoever relays it.
      {"the same stop again from its sender", {"--size", "12000x12000", "--keys", "1"}, false,
       {{300ms, SIGTERM}, {0ms, SIGTERM}}, -SIGTERM, {"stopped by SIGTERM; " + hold}, kWhole, kWhole},
      {"the same stop from another process 20 ms later", {"--size", "12000x12000", "--keys", "1"}, false,
       {{0ms, SIGTERM, false, true}, {20ms, SIGTERM, true}}, -SIGTERM, {"stopped by SIGTERM; " + hold}, kWhole,
       kWhole, "spin"},
      // A second and a half on, the run is at its own work (a very large
      // page): a stop then is a second one and ends the run at once. The
      // trace is in place by then: it goes first.
      {"a second stop from another process 1.5 s later", {"--size", "12000x12000", "--keys", "1"}, false,
       {{0ms, SIGTERM, false, true}, {1500ms, SIGTERM, true}}, -SIGTERM,
       {"stopped again by SIGTERM, at once; left as they were before the run: --png"}, kAsBefore, kWhole, "spin"},
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
      // Held, not ignored, when it was started: taken all the same.
      {"stops held at start", {}, true, {{0ms, SIGTERM}}, -SIGTERM, {"stopped by SIGTERM; " + hold}, kWhole, kWhole,
       "", false, {}, {SIGTERM, SIGINT, SIGHUP}},
      // An ending at once whose line takes long to say, at work on the
      // CPU: it says it all, and removes what it leaves.
      {"a slow line", {}, true, {{0ms, SIGUSR1}}, -SIGUSR1, {"ended at once by SIGUSR1; " + left}, kAsBefore, kAsBefore,
       "slow-line"},
      // A stop once the outputs are in place, just before the run ends:
      // the run still dies by it, so that its caller stops too.
      {"a stop at the last moment", {"--keys", "1 Enter"}, false, {}, -SIGTERM, {"stopped by SIGTERM; " + hold},
       kWhole, kWhole, "named-as"},
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
    // Outside the folder, which holds only the outputs.
    fs::path writing = f.dir.parent_path() / (f.dir.filename().string() + "_writing");
    if (!c.at.empty())
      env = {kNoLeaks + ":verify_asan_link_order=0", "LD_PRELOAD=" + std::string(SIGNAL_AT), "LESSON_SIGNAL_AT=" + c.at,
             "LESSON_SPIN_MARK=" + writing.string(), "LESSON_NAMED_AS=p.png",
             "LESSON_SIGNAL=" + std::to_string(SIGTERM)};
    if (c.unnamedRefused)
      env = {kNoLeaks + ":verify_asan_link_order=0", "LD_PRELOAD=" + std::string(NO_UNNAMED_FILES)};
    Spawn spawn(args, env, err);
    spawn.ignored = c.ignored;
    spawn.blocked = c.blocked;
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
      if (sent.onceWriting) {
        ASSERT_TRUE(until([&] { return fs::exists(writing); }, pid));
      }
      if (secondThread) syscall(SYS_tgkill, pid, second, sent.sig);
      else if (sent.byOther) killFromOther(pid, sent.sig);
      else kill(pid, sent.sig);
      if (&sent != &c.signals.back()) {
        ASSERT_TRUE(until([&] { return !untaken(pid, sent.sig); }, pid));
      }
    }
    // The signals are in: the page's writing may go on.
    fs::path goOn = writing.string() + "-go-on";
    if (c.at == "spin") put(goOn, "");
    EXPECT_EQ(ending(pid), c.ending);
    fs::remove(writing);
    fs::remove(goOn);
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
  // On a fast machine the trace may be in place before the second of CPU
  // time is spent: it goes first, whole.
  bool traced = fs::exists(f.dir / "t.jsonl");
  EXPECT_EQ(o.says, std::vector<std::string>{std::string("ended at once by SIGXCPU; left as they were before the run: ") +
                                             (traced ? "--png" : "--trace, --png")});
  EXPECT_EQ(f.entries(), traced ? std::set<std::string>{"t.jsonl"} : std::set<std::string>{});
  if (traced) expectWholeTrace(f.dir / "t.jsonl");
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
        auto runs = processesNamed("kelvaro", shell, 0);
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

// Destroys every top-level window of the display, as another client can.
void destroyWindows(const std::string& display) {
  ::Display* dpy = XOpenDisplay(display.c_str());
  ASSERT_NE(dpy, nullptr);
  for (::Window w : windowsOf(dpy)) XDestroyWindow(dpy, w);
  XSync(dpy, False);
  XCloseDisplay(dpy);
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
       {stillWaitingLine()}},
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

// A thread's time on a CPU and time waiting for one, in ns, as the kernel
// counts them in `schedstat` (a process's: its main thread's); {-1, -1}
// where it does not say.
struct Times {
  long long cpu = -1, queued = -1;
  long long both() const { return cpu + queued; }
};

Times timesOf(const std::string& schedstat) {
  std::istringstream in(slurp(schedstat));
  Times t;
  in >> t.cpu >> t.queued;
  return t;
}

std::string mainThreadOf(pid_t pid) {
  return "/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/schedstat";
}

long long realNs() {
  timespec t{};
  clock_gettime(CLOCK_REALTIME, &t);
  return t.tv_sec * 1'000'000'000LL + t.tv_nsec;
}

// The run's main thread, this test's thread and the display server, at
// one moment.
struct Moment {
  Moment(pid_t run, pid_t server)
      : run(timesOf(mainThreadOf(run))),
        test(timesOf("/proc/thread-self/schedstat")),
        server(timesOf("/proc/" + std::to_string(server) + "/schedstat")),
        clock(realNs()) {}
  Times run, test, server;
  long long clock;
};

// The time the run was blocked from `from` until `endNs` (by the real
// clock), in ms: the clock's time less the run's time on a CPU and waiting
// for one, and less the display server's waiting for a CPU, which the run
// waits on. The counts run up to `to`, a little past the end: that only
// lowers the figure.
long long blockedMs(const Moment& from, const Moment& to, long long endNs) {
  long long wall = endNs - from.clock, run = to.run.both() - from.run.both();
  long long server = std::clamp(to.server.queued - from.server.queued, 0LL, std::max(0LL, wall - run));
  return (wall - run - server) / 1'000'000;
}

// A window run waiting for a key sleeps in one wait, which a key typed or
// a stop ends at once. "At once" is counted as the kernel counts the run's
// main thread: the time it spent blocked, neither on a CPU nor waiting for
// one, which a busy machine does not stretch.
TEST(Endings, AWindowWaitingForAKeyTakesAKeyOrAStopAtOnce) {
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
  if (Moment(pid, display.pid()).run.cpu < 0) {
    kill(pid, SIGTERM);
    ending(pid);
    GTEST_SKIP() << "the kernel does not count a thread's time here";
  }
  ::Display* dpy = XOpenDisplay(display.name().c_str());
  ASSERT_NE(dpy, nullptr);
  std::vector<::Window> windows = windowsOf(dpy);
  ASSERT_EQ(windows.size(), 1u);
  XSetInputFocus(dpy, windows[0], RevertToParent, CurrentTime);
  XSync(dpy, False);
  // Asleep in its wait by now: the last shot is older than the kernel's
  // count of what the thread did since.
  std::this_thread::sleep_for(600ms);
  // Two keys typed one after the other, as a keyboard types them: the
  // second comes while the run draws the first.
  KeyCode space = XKeysymToKeycode(dpy, XK_space);
  Moment typed(pid, display.pid());
  for (int key = 0; key < 2; ++key) {
    XTestFakeKeyEvent(dpy, space, True, CurrentTime);
    XTestFakeKeyEvent(dpy, space, False, CurrentTime);
  }
  XSync(dpy, False);
  ASSERT_TRUE(until([&] { return fs::exists(shots / "shot-0004.png"); }, pid));
  Moment seen(pid, display.pid());
  // The shot's time is the run's own: when it was written.
  struct statx sx {};
  ASSERT_EQ(statx(AT_FDCWD, (shots / "shot-0004.png").c_str(), 0, STATX_MTIME, &sx), 0);
  long long shot = sx.stx_mtime.tv_sec * 1'000'000'000LL + sx.stx_mtime.tv_nsec;
  long long waited = blockedMs(typed, seen, shot);
  EXPECT_LT(waited, 150) << "the key was taken after " << waited << " ms of waiting";
  XCloseDisplay(dpy);
  // The stop comes while the run sleeps in its wait.
  std::this_thread::sleep_for(600ms);
  Moment stopped(pid, display.pid());
  kill(pid, SIGTERM);
  siginfo_t info{};
  ASSERT_EQ(waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT), 0);
  // An ended run's thread keeps its counts until it is collected. Its end
  // is known by this test's clock only: what this test waited for a CPU
  // and worked after it is taken off.
  Moment ended(pid, display.pid());
  EXPECT_EQ(ending(pid), -SIGTERM);
  if (ended.run.cpu >= 0) {
    waited = blockedMs(stopped, ended, ended.clock - (ended.test.both() - stopped.test.both()));
    EXPECT_LT(waited, 150) << "the stop ended the run after " << waited << " ms of waiting";
  }
}

}  // namespace
