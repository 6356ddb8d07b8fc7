// A window run whose display fails while the window is being made could
// not start: one line says so, as the other reasons a window cannot be
// opened are said, and the run ends with status 1. Once the window is up,
// the same failure is a lost display. The failures come from a display
// that stands between the program and a virtual one and cuts or refuses
// at a point of the X protocol.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <cstring>
#include <string>

#include "runtime/endings.h"
#include "tests/runtime/cut_display.h"
#include "tools/virtual_display.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The X protocol's numbers the cases name.
constexpr int kCreateWindow = 1, kMapWindow = 8, kInternAtom = 16, kGetProperty = 20;
constexpr int kBadValue = 2, kBadWindow = 3;
constexpr uint32_t kWindowAtom = 33;  // the type WINDOW

// A property asked for as a window: the video driver's look for a window
// manager, whose refusal it expects and handles itself.
// The client writes in its own byte order, this machine's.
bool asksForAWindow(const unsigned char* r, size_t size) {
  uint32_t type = 0;
  if (size >= 16) std::memcpy(&type, r + 12, sizeof type);
  return r[0] == kGetProperty && type == kWindowAtom;
}

// Kelvaro in a window on a display with `fault` in front of a virtual one
// of its own, taking "1 Enter" and then waiting for keys; a run that does
// not end is killed after a minute.
class WindowRun {
 public:
  explicit WindowRun(CutDisplay::Fault fault)
      : server_(1500, 800),
        display_(server_.name(), std::move(fault)),
        dir_(fs::temp_directory_path() / ("window_start_" + std::to_string(getpid()))) {
    if (!server_.ok() || !display_.ok()) return;
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    std::string command = "env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY=" + display_.name() +
                          " ASAN_OPTIONS=detect_leaks=0 timeout -s KILL 60 " + LESSON_BIN_DIR +
                          "/kelvaro --keys '1 Enter' --shots " + (dir_ / "shots").string() + " 2>" +
                          (dir_ / "err").string();
    ended_ = std::async(std::launch::async, [command] { return std::system(command.c_str()); });
  }
  ~WindowRun() {
    if (ended_.valid()) ended_.wait();
    fs::remove_all(dir_);
  }

  // False when a display could not be set up and nothing runs.
  bool started() const { return ended_.valid(); }
  CutDisplay& display() { return display_; }
  // Whether the window came up and took both keys.
  bool up() {
    while (!fs::exists(dir_ / "shots" / "shot-0002.png"))
      if (ended_.wait_for(20ms) == std::future_status::ready) return false;
    return true;
  }
  int status() {
    int rc = ended_.get();
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  }
  std::string said() const {
    std::ifstream in(dir_ / "err");
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  VirtualDisplay server_;
  CutDisplay display_;
  fs::path dir_;
  std::future<int> ended_;
};

class WindowStart : public testing::Test {
 protected:
  void SetUp() override {
    if (access("/usr/bin/Xvfb", X_OK) != 0) GTEST_SKIP() << "no Xvfb";
  }
};

TEST_F(WindowStart, ADisplayThatFailsWhileTheWindowIsMadeEndsTheRunWithOneLine) {
  struct Case {
    const char* what;
    CutDisplay::Fault fault;
  };
  const Case cases[] = {
      {"cut right after the handshake", {.cutAfter = 0}},
      {"cut after the first reply", {.cutAfter = 32}},
      {"cut as the video driver looks up its atoms",
       {.cutAfter = 0, .cutFrom = CutDisplay::opcode(kInternAtom)}},
      {"cut as the window is created", {.cutAfter = 0, .cutFrom = CutDisplay::opcode(kCreateWindow)}},
      {"cut as the window is shown", {.cutAfter = 0, .cutFrom = CutDisplay::opcode(kMapWindow)}},
      {"the resource database refused",
       {.refuse = CutDisplay::opcode(kGetProperty), .refuseError = kBadWindow}},
      {"the first atom refused", {.refuse = CutDisplay::opcode(kInternAtom), .refuseError = kBadValue}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WindowRun run(c.fault);
    ASSERT_TRUE(run.started());
    CutDisplay& display = run.display();
    EXPECT_EQ(run.status(), 1);
    std::string why =
        c.fault.refuse
            ? "display " + display.name() + " refused a request while the window was being made, error " +
                  std::to_string(c.fault.refuseError)
            : "the connection to display " + display.name() + " broke while the window was being made";
    EXPECT_EQ(run.said(), "cannot open a window: " + why + "; run with --headless to run without one\n");
    EXPECT_EQ(display.cuts() + display.refusals(), 1);
  }
}

// The video driver's own probes keep their handlers, and a failure after
// the start is what it was before the start was watched.
TEST_F(WindowStart, OnceTheWindowIsUpACutIsALostDisplay) {
  struct Case {
    const char* what;
    CutDisplay::Fault fault;
    int refusals;
  };
  const Case cases[] = {
      {"nothing refused", {}, 0},
      {"the look for a window manager refused", {.refuse = asksForAWindow, .refuseError = kBadWindow}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WindowRun run(c.fault);
    ASSERT_TRUE(run.started());
    CutDisplay& display = run.display();
    ASSERT_TRUE(run.up()) << run.said();
    EXPECT_EQ(display.refusals(), c.refusals);
    display.cutNow();
    EXPECT_EQ(run.status(), rt::kDisplayLost);
    std::string said = run.said();
    EXPECT_EQ(said.rfind("the display was lost", 0), 0u) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  }
}

// A display that nothing answers at is said to be out of reach, and no
// more: nothing there suggests that a part of the system is missing.
TEST(WindowStartPlain, ADisplayThatCannotBeReachedIsSaidSo) {
  int n = 4000;
  while (n < 4100 && (fs::exists("/tmp/.X11-unix/X" + std::to_string(n)) ||
                      fs::exists("/tmp/.X" + std::to_string(n) + "-lock")))
    ++n;
  fs::path err = fs::temp_directory_path() / ("unreached_" + std::to_string(getpid()));
  std::string command = "env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY=:" + std::to_string(n) +
                        " ASAN_OPTIONS=detect_leaks=0 " + LESSON_BIN_DIR + "/kelvaro 2>" + err.string();
  int rc = std::system(command.c_str());
  std::ifstream in(err);
  std::string said((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  fs::remove(err);
  EXPECT_EQ(WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, 1);
  EXPECT_EQ(said, "cannot open a window: display :" + std::to_string(n) +
                      " cannot be reached; run with --headless to run without one\n");
}

}  // namespace
