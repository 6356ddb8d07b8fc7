// How long a stopped run may still take: whatever it waits in (a FIFO
// nobody reads, a reader that takes little, a stream it cannot open anew,
// a frozen display server, a hung file system), it ends within moments of
// the stop's grace.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "tools/virtual_display.h"
// Last: the X headers, which the harness ends with, define macros (None, Bool)
// that clash with the others.
#include "tests/runtime/run_harness.h"
#include <X11/Xlib.h>

namespace {

using namespace run_harness;

size_t windowCount(const std::string& display) {
  ::Display* dpy = XOpenDisplay(display.c_str());
  if (!dpy) return SIZE_MAX;
  size_t n = windowsOf(dpy).size();
  XCloseDisplay(dpy);
  return n;
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
// reads, which are dropped. The same stop relayed never waits on it
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
      // The stop relayed: its handler never waits on the stream either.
      {"a stop relayed with a stalled standard error", {"--keys", keys, "--trace", "/dev/stdout"}, kErrStalled, false,
       {SIGTERM, SIGINT}, {}},
      // The run writes into the streams themselves, which wait in a write,
      // and its look for room in the standard error finds some that
      // another writer takes before the line is written.
      {"a stop relayed with a stalled standard error, with no /proc", {"--keys", keys, "--trace", "/dev/stdout"},
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
    // One act: the run ends by the first signal.
    EXPECT_EQ(ending(pid, afterStop(c.limit)), -c.signals.front());
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
    if (pngToFile) expectWholePng(png);
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
    std::vector<std::string> says;
  };
  // Given up for the reader, the trace is the output that failed; the
  // terminal's write waits in the system, where the bound ends it.
  const std::vector<std::string> givenUp = {
      "--trace: cannot write /dev/stdout: the run was stopped while it waited for the reader",
      "stopped by SIGTERM; the other outputs hold the run as it stood"};
  const Case cases[] = {
      {"a terminal that only root may open", kTerminal, {stillWaitingLine()}},
      {"a socket whose room another writer takes", kSocket, givenUp},
      {"a pipe, with no /proc", kNoProc, givenUp},
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
    EXPECT_EQ(linesOf(slurp(f.dir / "err")), c.says);
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
    bool noThread = false;          // a process limit that leaves no thread to be had
    std::vector<int> ignored = {};  // ignored when the run starts
    std::string at = "";            // the moment of the preloaded library's, or ""
  };
  const std::string stillWaiting = stillWaitingLine();
  const std::string bothLeft = "; left as they were before the run: --trace, --png";
  const std::string noPage =
      "cannot start: a page of 16384x16384 needs 1024 MiB of memory, which could not be had (out of memory)";
  const Case cases[] = {
      {"a display server frozen while the window is made", kFrozenAtStart, {stillWaiting + bothLeft}},
      {"a display server frozen while the window is made, no signal may be queued", kFrozenAtStart,
       {stillWaiting + bothLeft}, {}, true},
      {"a display server frozen during the run, SIGALRM held", kFrozenInRun, {stillWaiting}, {SIGALRM}},
      // Without a thread, a timer keeps the bound.
      {"a display server frozen while the window is made, no thread to be had", kFrozenAtStart,
       {stillWaiting + bothLeft}, {}, false, true},
      {"a display server frozen during the run, SIGALRM ignored", kFrozenInRun, {stillWaiting}, {}, false, false,
       {SIGALRM}},
      // Held at start, the stops are taken all the same.
      {"a display server frozen during the run, the stops held at start", kFrozenInRun, {stillWaiting},
       {SIGTERM, SIGINT, SIGHUP}},
      // The run waits for the server's reply with the signal that asks it
      // to end held: the process ends without it, saying nothing.
      {"a display server frozen during the run, in a wait that holds SIGALRM", kFrozenInRun, {}, {}, false, false, {},
       "alarm-held"},
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
    s.ignored = c.ignored;
    if (!c.at.empty()) s.env.insert(s.env.end(), {"LD_PRELOAD=" + std::string(SIGNAL_AT), "LESSON_SIGNAL_AT=" + c.at});
    if (c.noThread) {
      // A user with no process to spare: root's limits are not kept, so
      // as nobody, who may then write into the folder.
      s.args.insert(s.args.begin(), {"/usr/bin/prlimit", "--nproc=1"});
      if (geteuid() == 0) {
        s.asNobody = true;
        fs::permissions(f.dir, fs::perms::all);
      }
    }
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

// A run that can have neither a thread nor a timer to bound a stop says
// so and does not start: a stop could hold it without end.
TEST(Endings, ARunWithNoBoundOnAStopDoesNotStart) {
  if (access("/usr/bin/prlimit", X_OK) != 0) GTEST_SKIP() << "no prlimit";
  Folder f("no_bound");
  fs::permissions(f.dir, fs::perms::all);
  fs::path err = f.dir.parent_path() / ("no_bound_err_" + std::to_string(getpid()));
  Spawn s({"/usr/bin/prlimit", "--nproc=1", std::string(LESSON_BIN_DIR) + "/kelvaro", "--headless", "--keys", "1",
           "--png", (f.dir / "p.png").string()},
          {kNoLeaks}, err);
  // No signal may be queued, so no timer; a user with no process to spare
  // (root's limits are not kept, so as nobody), so no thread.
  s.noQueuedSignals = true;
  s.asNobody = geteuid() == 0;
  Outcome o = run(s);
  fs::remove(err);
  EXPECT_EQ(o.ending, rt::kCannotStart);
  ASSERT_EQ(o.says.size(), 1u);
  EXPECT_EQ(o.says[0].rfind("cannot start: neither a thread nor a timer could be had to bound a stop (", 0), 0u)
      << o.says[0];
  EXPECT_EQ(f.entries(), std::set<std::string>{});
}

}  // namespace
