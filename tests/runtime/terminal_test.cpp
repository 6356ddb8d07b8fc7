// A run started from a terminal, stopped as people stop it there: Ctrl-C,
// also under `timeout`, which relays it, and a terminal that is closed,
// whose hang-up comes from the system and again from the shell. Each is one
// act, and the run keeps its outputs.
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "tests/runtime/run_harness.h"

namespace {

using namespace run_harness;

// An interactive shell on a terminal of its own, whose output is read and
// thrown away so that it never waits on a full terminal.
struct Terminal {
  Terminal() {
    shell = forkpty(&master, nullptr, nullptr, nullptr);
    if (shell == 0) {
      // The test's process may hold signals or ignore them: a terminal's
      // shell starts from their defaults.
      sigset_t none;
      sigemptyset(&none);
      sigprocmask(SIG_SETMASK, &none, nullptr);
      for (int sig = 1; sig < NSIG; ++sig) signal(sig, SIG_DFL);
      setenv("PS1", "$ ", 1);
      setenv("TERM", "dumb", 1);
      execl("/bin/bash", "bash", "--norc", "--noprofile", "-i", static_cast<char*>(nullptr));
      _exit(127);
    }
    reader = std::thread([this, fd = master] {
      char buf[4096];
      pollfd p{fd, POLLIN, 0};
      while (!closing) {
        if (poll(&p, 1, 50) == 1) {
          ssize_t n = ::read(fd, buf, sizeof buf);
          if (n <= 0) break;
          std::lock_guard<std::mutex> hold(saidLock);
          said.append(buf, static_cast<size_t>(n));
        }
      }
    });
  }
  ~Terminal() {
    close();
    if (shell > 0) {
      kill(shell, SIGKILL);
      waitpid(shell, nullptr, 0);
    }
  }
  void type(const std::string& text) const { ASSERT_EQ(write(master, text.data(), text.size()), ssize_t(text.size())); }
  // The terminal's window closed: the system hangs the terminal up.
  void close() {
    if (master < 0) return;
    closing = true;
    reader.join();
    ::close(master);
    master = -1;
  }
  pid_t shell = -1;
  int master = -1;
  std::atomic<bool> closing{false};
  // What the terminal showed, for a failure's message.
  std::string shown() {
    std::lock_guard<std::mutex> hold(saidLock);
    return said;
  }
  std::mutex saidLock;
  std::string said;
  std::thread reader;
};

TEST(Endings, AStopAtATerminalIsOneActWhoeverRelaysIt) {
  struct Case {
    const char* name;
    std::string command;  // run in the folder; the run's standard error to `err`
    bool hangUp;          // the terminal closed, else Ctrl-C typed
    int sig;
  };
  const std::string bin = std::string(LESSON_BIN_DIR) + "/kelvaro";
  const std::string outputs = " --png p.png --trace t.jsonl 2>err";
  const Case cases[] = {
      {"Ctrl-C", bin + " --headless --keys \"$(cat keys)\"" + outputs, false, SIGINT},
      {"Ctrl-C under timeout", "timeout 60 " + bin + " --headless --keys \"$(cat keys)\"" + outputs, false, SIGINT},
      {"the terminal closed", bin + " --headless --keys \"$(cat keys)\"" + outputs, true, SIGHUP},
  };
  // A run whose shell dies with its terminal comes to this process, which
  // collects it.
  ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Folder f("terminal");
    put(f.dir / "keys", longScript());
    Terminal t;
    ASSERT_GT(t.shell, 0);
    t.type("cd '" + f.dir.string() + "' && ASAN_OPTIONS=detect_leaks=0 " + c.command + "\n");
    pid_t run = 0;
    ASSERT_TRUE(until(
        [&] {
          std::vector<pid_t> runs = processesNamed("kelvaro", 0, t.shell);
          run = runs.empty() ? 0 : runs[0];
          return run > 0 && catches(run, c.sig);
        },
        t.shell))
        << t.shown();
    if (c.hangUp) {
      t.close();
      // Its shell gone, the run is this process's to collect.
      int rc = 0;
      auto end = Clock::now() + 60s;
      pid_t got = 0;
      while ((got = waitpid(run, &rc, WNOHANG)) <= 0 && Clock::now() < end) std::this_thread::sleep_for(10ms);
      ASSERT_EQ(got, run) << "the run did not end";
      EXPECT_TRUE(WIFSIGNALED(rc) && WTERMSIG(rc) == c.sig);
    } else {
      t.type("\x03");
      // An interactive shell drops the rest of a line that Ctrl-C ended:
      // the status is asked for on a line of its own.
      auto end = Clock::now() + 60s;
      while (kill(run, 0) == 0 && Clock::now() < end) std::this_thread::sleep_for(10ms);
      t.type("echo \"status $?\" >status\n");
      ASSERT_TRUE(until([&] { return slurp(f.dir / "status").find('\n') != std::string::npos; }, t.shell));
      EXPECT_EQ(slurp(f.dir / "status"), "status " + std::to_string(128 + c.sig) + "\n");
    }
    EXPECT_EQ(linesOf(slurp(f.dir / "err")),
              std::vector<std::string>{"stopped by SIG" + std::string(sigabbrev_np(c.sig)) + "; the outputs hold the run as it stood"});
    expectWholePng(f.dir / "p.png");
    expectWholeTrace(f.dir / "t.jsonl");
    fs::remove(f.dir / "keys");
    fs::remove(f.dir / "err");
    fs::remove(f.dir / "status");
    expectOnlyWholeOutputs(f);
  }
}

}  // namespace
