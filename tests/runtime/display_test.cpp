// The window on a virtual display: what it shows, what a wait costs, and
// the refusal to start without a display.
#include <cairo.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "framework/framework.h"
#include "lessons/triangles/lessons.h"
#include "tests/harness.h"
#include "tools/virtual_display.h"

// Last: the X headers define macros (None, Bool) that clash with the others.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

using Clock = std::chrono::steady_clock;

double processCpuSeconds() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
         static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) * 1e-6;
}

// The layout area of the one top-level window, as the display server
// shows it, in 0xRRGGBB.
std::vector<uint32_t> windowPixels(int w, int h) {
  std::vector<uint32_t> out;
  Display* dpy = XOpenDisplay(nullptr);
  if (!dpy) return out;
  ::Window root = DefaultRootWindow(dpy), parent, *children = nullptr;
  unsigned n = 0;
  XQueryTree(dpy, root, &root, &parent, &children, &n);
  for (unsigned i = 0; i < n && out.empty(); ++i) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(dpy, children[i], &a) || a.map_state != IsViewable || a.width < w) continue;
    XImage* image = XGetImage(dpy, children[i], 0, 0, w, h, AllPlanes, ZPixmap);
    if (!image) continue;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) out.push_back(static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xffffff);
    XDestroyImage(image);
  }
  if (children) XFree(children);
  XCloseDisplay(dpy);
  return out;
}

class WindowOnDisplay : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    display_ = new VirtualDisplay(1920, 1080);
    if (!display_->ok()) return;
    setenv("DISPLAY", display_->name().c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("SDL_VIDEODRIVER");
  }
  static void TearDownTestSuite() {
    delete display_;
    display_ = nullptr;
  }
  void SetUp() override {
    if (!display_->ok()) GTEST_SKIP() << "no virtual display (Xvfb) could be started";
  }
  static rt::Options windowOptions() {
    rt::Options o;
    o.width = 1920, o.height = 1080, o.sizeGiven = true, o.seed = 5;
    return o;
  }
  static VirtualDisplay* display_;
};

VirtualDisplay* WindowOnDisplay::display_ = nullptr;

struct Probe : Framework {
  using Framework::Framework;
};

// A prompt left waiting sleeps on the event queue: its cursor dot, erased
// and drawn again at each empty poll, changes no pixel and sends nothing.
TEST_F(WindowOnDisplay, NumberPromptLeftWaitingPresentsNothingAndSleeps) {
  rt::Runtime r(windowOptions());
  Probe p(r, "Kelvaro");
  p.KAIX = 1056, p.KAIY = 648;
  p.SETFONTNAME("ゴシック");
  p.SETDRAWWIDTH(3);
  int waits = 0;
  bool done = false;
  rt::PresentStats before, after;
  double cpu = 0, seconds = 0;
  Clock::time_point t0;
  r.setKeyWaitHook([&] {
    // The prompt's first present follows the first wait's hook.
    if (++waits == 2) {
      before = r.presentStats(), cpu = processCpuSeconds(), t0 = Clock::now();
    } else if (waits > 2 && !done && Clock::now() - t0 >= std::chrono::seconds(1)) {
      after = r.presentStats(), cpu = processCpuSeconds() - cpu;
      seconds = std::chrono::duration<double>(Clock::now() - t0).count();
      done = true;
      r.pushKeys({'7', rt::kEnter});
    }
  });
  EXPECT_EQ(p.RunGuarded([&] { p.AskMenuNumber(); }), 0);
  ASSERT_TRUE(done);
  EXPECT_GT(before.presents, 0);
  EXPECT_EQ(after.presents, before.presents);
  EXPECT_LT(cpu, 0.1 * seconds) << "a busy wait";
  EXPECT_EQ(p.AINP, 7) << "keys still come after the wait";
}

// Only the changed parts are sent, yet the window ends up showing exactly
// the page that a headless run of the same keys writes.
TEST_F(WindowOnDisplay, ShowsTheHeadlessPageAfterAKeyScript) {
  namespace fs = std::filesystem;
  const std::string script = "3 Enter 1 Enter Space Right Right Left";
  const int w = 1342, h = 720;
  HeadlessRun headless = runHeadless<TriangleLessons>(script, 5);
  fs::path png = fs::temp_directory_path() / ("window_" + std::to_string(getpid()) + ".png");
  ASSERT_TRUE(headless.runtime->writePng(png.string()));
  cairo_surface_t* expected = cairo_image_surface_create_from_png(png.c_str());
  fs::remove(png);
  ASSERT_EQ(cairo_surface_status(expected), CAIRO_STATUS_SUCCESS);

  rt::Runtime r(windowOptions());
  TriangleLessons lessons(r);
  std::vector<int> keys = rt::parseKeys(script);
  size_t next = 0;
  int waitsAfter = 0;
  std::vector<uint32_t> shown;
  r.setKeyWaitHook([&] {
    if (next < keys.size()) {
      r.pushKeys({keys[next++]});
    } else if (++waitsAfter == 2) {
      // The last key's frame was presented after the wait before this one.
      shown = windowPixels(w, h);
      r.pushClose();
    }
  });
  EXPECT_EQ(lessons.Run(), 0);
  ASSERT_EQ(shown.size(), static_cast<size_t>(w) * h) << "no window found";
  const unsigned char* data = cairo_image_surface_get_data(expected);
  int stride = cairo_image_surface_get_stride(expected), differ = 0;
  std::string first;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t want = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4) & 0xffffff;
      if (shown[static_cast<size_t>(y) * w + x] == want) continue;
      if (differ++ == 0) first = std::to_string(x) + "," + std::to_string(y);
    }
  cairo_surface_destroy(expected);
  EXPECT_EQ(differ, 0) << "first at " << first;
}

TEST(NoDisplay, SaysSoInOneLineAndExits1AtOnce) {
  namespace fs = std::filesystem;
  fs::path err = fs::temp_directory_path() / ("nodisplay_" + std::to_string(getpid()) + ".err");
  // A run that hangs is killed and fails here; the bound is loose, as the
  // start alone takes most of a second on a busy machine.
  int rc = std::system(("env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout -s KILL 10 " +
                        std::string(LESSON_BIN_DIR) + "/kelvaro 2>" + err.string())
                           .c_str());
  EXPECT_EQ(WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, 1);
  std::ifstream in(err);
  std::string line, more;
  std::getline(in, line);
  EXPECT_NE(line.find("--headless"), std::string::npos) << line;
  EXPECT_FALSE(std::getline(in, more)) << "a second line: " << more;
  fs::remove(err);
}

}  // namespace
