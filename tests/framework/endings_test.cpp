// How a run of a program can end besides its keys running out: a signal,
// a reader that leaves, the display going away. Each case is judged from
// outside: the exit status, the one line on stderr, and the folder after.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
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

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A folder of this test's own, removed afterwards.
struct Folder {
  explicit Folder(const std::string& name)
      : dir(fs::temp_directory_path() / (name + "_" + std::to_string(getpid()))) {
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  ~Folder() { fs::remove_all(dir); }
  // Files written beside their targets and never put in place.
  std::vector<std::string> temporaries() const {
    std::vector<std::string> left;
    for (const auto& e : fs::recursive_directory_iterator(dir))
      if (e.path().extension() == ".part") left.push_back(e.path().string());
    return left;
  }
  fs::path dir;
};

// A trace that ends on a whole line, each line one operation.
void expectWholeTrace(const fs::path& p) {
  std::string t = slurp(p);
  ASSERT_FALSE(t.empty()) << p;
  EXPECT_EQ(t.back(), '\n') << p;
  std::ifstream in(p);
  for (std::string line; std::getline(in, line);)
    ASSERT_TRUE(line.rfind("{\"op\":\"", 0) == 0 && line.back() == '}') << p << ": " << line;
}

// A PNG from its signature to its end chunk.
void expectWholePng(const fs::path& p) {
  std::string png = slurp(p);
  ASSERT_GT(png.size(), 100u) << p;
  EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n") << p;
  EXPECT_EQ(png.substr(png.size() - 8, 4), "IEND") << p;
}

int lines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

// A program started as a shell would start it in the foreground: every
// signal at its default. `environment` is added to this process's own.
pid_t start(const std::vector<std::string>& args, const fs::path& err,
            const std::vector<std::string>& environment = {}) {
  std::vector<std::string> all = {std::string(LESSON_BIN_DIR) + "/" + args[0]};
  all.insert(all.end(), args.begin() + 1, args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> envText(environment);
  for (char** e = environ; *e; ++e) envText.emplace_back(*e);
  std::vector<char*> envp;
  for (auto& e : envText) envp.push_back(e.data());
  envp.push_back(nullptr);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t all_signals, none;
  sigfillset(&all_signals);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attr, &all_signals);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &files, &attr, argv.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&files);
  posix_spawnattr_destroy(&attr);
  return pid;
}

// The exit status, or minus the signal that killed it; a run still going
// after `limit` is killed and fails the test.
int finish(pid_t pid, std::chrono::seconds limit = 60s) {
  auto until = std::chrono::steady_clock::now() + limit;
  int rc = 0;
  while (waitpid(pid, &rc, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > until) {
      ADD_FAILURE() << "the run did not end";
      kill(pid, SIGKILL);
      waitpid(pid, &rc, 0);
      return -SIGKILL;
    }
    std::this_thread::sleep_for(20ms);
  }
  return WIFEXITED(rc) ? WEXITSTATUS(rc) : -WTERMSIG(rc);
}

// Waits for a file the run makes once it is under way.
bool appears(const fs::path& p, pid_t pid, std::chrono::seconds limit = 60s) {
  auto until = std::chrono::steady_clock::now() + limit;
  while (!fs::exists(p)) {
    if (std::chrono::steady_clock::now() > until || waitpid(pid, nullptr, WNOHANG) != 0) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

// A key script long enough that a run is still drawing when it is stopped.
std::string longScript() {
  std::string keys = "1 Enter";
  for (int i = 0; i < 5000; ++i) keys += " Space Esc 1 Enter";
  return keys;
}

TEST(Endings, ASignalEndsTheRunWithItsOutputsWholeAndNoTemporaryFile) {
  struct Case {
    int signal;
    int status;  // minus the signal: the process dies by it
    const char* says;
  };
  const Case cases[] = {
      {SIGTERM, rt::kSignalled + SIGTERM, "stopped by SIGTERM"},
      {SIGINT, rt::kSignalled + SIGINT, "stopped by SIGINT"},
      {SIGHUP, rt::kSignalled + SIGHUP, "stopped by SIGHUP"},
      {SIGQUIT, -SIGQUIT, nullptr},
      {SIGUSR1, -SIGUSR1, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(strsignal(c.signal));
    Folder f("signal");
    fs::path err = f.dir / "err", trace = f.dir / "t.jsonl", png = f.dir / "p.png", shots = f.dir / "shots";
    pid_t pid = start({"kelvaro", "--headless", "--keys", longScript(), "--trace", trace.string(), "--png",
                       png.string(), "--shots", shots.string()},
                      err, {"ASAN_OPTIONS=detect_leaks=0"});
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(appears(shots / "shot-0003.png", pid));
    kill(pid, c.signal);
    EXPECT_EQ(finish(pid), c.status);
    std::string said = slurp(err);
    if (c.says) {
      EXPECT_EQ(said.rfind(c.says, 0), 0u) << said;
      EXPECT_EQ(lines(said), 1) << said;
      expectWholeTrace(trace);
      expectWholePng(png);
    } else {
      // Ended at once: the outputs that were not complete are not there.
      EXPECT_FALSE(fs::exists(trace));
      EXPECT_FALSE(fs::exists(png));
    }
    for (const auto& e : fs::directory_iterator(shots)) expectWholePng(e.path());
    EXPECT_EQ(f.temporaries(), std::vector<std::string>{});
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
    int rc = std::system(("ASAN_OPTIONS=detect_leaks=0 bash -c '" + script + "'").c_str());
    EXPECT_EQ(WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, rt::kOutputFailed) << script;
    std::string said = slurp(err);
    EXPECT_EQ(said.rfind(c.says, 0), 0u) << said;
    EXPECT_EQ(lines(said), 1) << said;
    if (c.written.find(".png") != std::string::npos) expectWholePng(f.dir / c.written);
    else expectWholeTrace(f.dir / c.written);
  }
  EXPECT_EQ(f.temporaries(), std::vector<std::string>{});
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
    int status;
    const char* says;
  };
  const Case cases[] = {
      {kEndServer, 0, rt::kDisplayLost, "the display was lost"},
      {kDestroyWindow, 0, rt::kDisplayLost, "the display was lost"},
      {kSignal, SIGHUP, rt::kSignalled + SIGHUP, "stopped by SIGHUP"},
      {kSignal, SIGTERM, rt::kSignalled + SIGTERM, "stopped by SIGTERM"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.says);
    VirtualDisplay display(1500, 800);
    ASSERT_TRUE(display.ok());
    Folder f("window_end");
    fs::path err = f.dir / "err", trace = f.dir / "t.jsonl", png = f.dir / "p.png", shots = f.dir / "shots";
    pid_t pid = start({"kelvaro", "--keys", "1 Enter", "--trace", trace.string(), "--png", png.string(),
                       "--shots", shots.string()},
                      err, {"DISPLAY=" + display.name(), "ASAN_OPTIONS=detect_leaks=0"});
    ASSERT_GT(pid, 0);
    // Both keys taken: the window is up and waits for the next.
    ASSERT_TRUE(appears(shots / "shot-0002.png", pid));
    std::this_thread::sleep_for(300ms);
    if (c.how == kEndServer) kill(display.pid(), SIGKILL);
    else if (c.how == kDestroyWindow) destroyWindows(display.name());
    else kill(pid, c.signal);
    EXPECT_EQ(finish(pid, 20s), c.status);
    std::string said = slurp(err);
    EXPECT_EQ(said.rfind(c.says, 0), 0u) << said;
    EXPECT_EQ(lines(said), 1) << said;
    expectWholeTrace(trace);
    EXPECT_NE(slurp(trace).find("{\"op\":\"KEY\",\"code\":13}"), std::string::npos)
        << "the trace holds the keys taken";
    expectWholePng(png);
    EXPECT_EQ(f.temporaries(), std::vector<std::string>{});
  }
}

}  // namespace
