// A headless tour of every Kelvaro screen, timed: the start-up to the main
// menu's first key wait, the time from each key to the next key wait (the
// drawing of one step) and the peak memory, reported side by side.
//
// The tour feeds its keys as the program asks for them: at the main menu
// and at a chapter's sub-menu it types the next item, inside a screen it
// plays the screen's own keys (the arrows of the motion screens) and then
// "1" and Enter by turns, which ends every key wait, motion loop and
// "next step" prompt. A screen that stops on a runtime error is noted and
// the tour goes on in a fresh run from the next screen.
//
//   build/bin/lesson_bench [--size WxH] [--starts N]
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "lessons/triangles/lessons.h"
#include "runtime/runtime.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
// Taken during static initialisation: as close to the start of the process
// as this program can see.
const Clock::time_point processStart = Clock::now();

double msSince(Clock::time_point t0, Clock::time_point t1) {
  return std::chrono::duration<double, std::milli>(t1 - t0).count();
}

// Screens per chapter, in the order of the main menu.
constexpr int kScreens[] = {7, 4, 8, 7, 2};
constexpr int kChapters = sizeof kScreens / sizeof kScreens[0];
constexpr int kEndItem = 8;
// A screen that takes more keys than this is stuck: the run is closed.
constexpr int kKeysPerScreen = 3000;

std::vector<int> keysOf(const std::string& script) { return rt::parseKeys(script); }

// The keys a screen gets before the tour's "1"/Enter: the motion screens'
// arrows.
std::vector<int> screenScript(int chapter, int item) {
  std::string s;
  if (chapter == 3 && item == 1) {
    for (int i = 0; i < 9; ++i) s += "Right ";
    s += "Left Space 1 ";
    for (int i = 0; i < 9; ++i) s += "Left ";
    s += "Right Space 1";
  } else if (chapter == 4 && item == 2) {
    for (int i = 0; i < 18; ++i) s += "Right ";
    s += "Right Left Left Space 1 ";
    for (int i = 0; i < 12; ++i) s += "Left ";
    s += "Left Right Space 1";
  }
  return s.empty() ? std::vector<int>{} : keysOf(s);
}

struct Step {
  double ms;
  std::string where;
};

class Tour {
 public:
  explicit Tour(int width, int height) : width_(width), height_(height) {}

  // Runs the tour to its end; returns the number of runs it took.
  int run() {
    int runs = 0;
    while (!done_) {
      ++runs;
      rt::Options o;
      o.headless = true;
      o.width = width_;
      o.height = height_;
      o.seed = 5;
      rt::Runtime runtime(o);
      TriangleLessons lessons(runtime);
      runtime_ = &runtime;
      lastTaken_.reset();
      pending_.clear();
      int entered = screensEntered, chapter = chapter_;
      runtime.setKeyWaitHook([this] { onKeyWait(); });
      int status = lessons.Run();
      runtime_ = nullptr;
      if (done_) break;
      // The run ended inside a screen: an error, or stuck.
      failures_.push_back(where_ + (status == 3 ? ": runtime error" : ": stuck, closed"));
      if (chapter_ >= kChapters) done_ = true;
      // A run that entered no new screen would fail the same way again.
      if (screensEntered == entered && chapter_ == chapter) break;
    }
    return runs;
  }

  std::vector<Step> steps;
  double startupMs = -1;
  int keys = 0;
  int screensEntered = 0;
  std::vector<std::string> failures_;

 private:
  bool subMenuShown() const {
    // The SubMenuLine's first character at (16, 666) in colour 0, and the
    // entry label "入力" at (1008, 648).
    return anyColour0(16, 666, 16, 16) && anyColour0(1008, 648, 32, 16);
  }
  bool mainMenuShown() const { return runtime_->pixel(30, 20) == 10; }
  bool anyColour0(int x, int y, int w, int h) const {
    for (int j = 0; j < h; ++j)
      for (int i = 0; i < w; ++i)
        if (runtime_->pixel(x + i, y + j) == 0) return true;
    return false;
  }

  void type(int number) {
    for (char c : std::to_string(number)) pending_.push_back(c);
    pending_.push_back(rt::kEnter);
  }

  void onKeyWait() {
    Clock::time_point now = Clock::now();
    if (lastTaken_) {
      steps.push_back({msSince(*lastTaken_, now), where_});
    } else if (startupMs < 0) {
      startupMs = msSince(processStart, now);
    }
    if (pending_.empty()) decide();
    if (!pending_.empty()) {
      runtime_->pushKeys({pending_.front()});
      pending_.pop_front();
      ++keys;
      ++keysHere_;
    }
    lastTaken_ = Clock::now();
  }

  void decide() {
    if (mainMenuShown()) {
      where_ = "main menu";
      if (chapter_ >= kChapters) {
        type(kEndItem);
        done_ = true;
      } else {
        type(chapter_ + 1);
      }
      return;
    }
    if (subMenuShown()) {
      where_ = "ch" + std::to_string(chapter_ + 1) + " menu";
      if (item_ <= kScreens[chapter_]) {
        type(item_);
        screen_ = screenScript(chapter_ + 1, item_);
        where_ = "ch" + std::to_string(chapter_ + 1) + " s" + std::to_string(item_);
        ++item_;
        ++screensEntered;
        keysHere_ = 0;
        turn_ = 0;
      } else {
        type(kScreens[chapter_] + 1);
        ++chapter_;
        item_ = 1;
      }
      return;
    }
    if (keysHere_ > kKeysPerScreen) {
      runtime_->pushClose();
      return;
    }
    if (!screen_.empty()) {
      pending_.push_back(screen_.front());
      screen_.erase(screen_.begin());
      return;
    }
    pending_.push_back(turn_++ % 2 == 0 ? int{'1'} : int{rt::kEnter});
  }

  int width_, height_;
  rt::Runtime* runtime_ = nullptr;
  std::optional<Clock::time_point> lastTaken_;
  std::deque<int> pending_;
  std::vector<int> screen_;
  std::string where_ = "start";
  int chapter_ = 0, item_ = 1, keysHere_ = 0, turn_ = 0;
  bool done_ = false;
};

// Start-up of a fresh program process: spawn `kelvaro --headless` with no
// keys, which ends at the main menu's first key wait.
std::vector<double> freshStarts(int count, int width, int height) {
  std::vector<double> out;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "kelvaro";
  if (!std::filesystem::exists(exe)) return out;
  std::string size = std::to_string(width) + "x" + std::to_string(height);
  for (int i = 0; i < count; ++i) {
    std::vector<std::string> args = {exe.string(), "--headless", "--keys", "", "--size", size};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    Clock::time_point t0 = Clock::now();
    pid_t pid;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) break;
    int status = 0;
    waitpid(pid, &status, 0);
    out.push_back(msSince(t0, Clock::now()));
  }
  return out;
}

double percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  size_t i = static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
  return v[std::min(i, v.size() - 1)];
}

}  // namespace

int main(int argc, char** argv) {
  int width = 1920, height = 1080, starts = 5;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--size") == 0) {
      std::sscanf(argv[i + 1], "%dx%d", &width, &height);
    } else if (std::strcmp(argv[i], "--starts") == 0) {
      starts = std::atoi(argv[i + 1]);
    } else {
      std::fprintf(stderr, "usage: lesson_bench [--size WxH] [--starts N]\n");
      return 2;
    }
  }

  Tour tour(width, height);
  int runs = tour.run();
  rusage self{};
  getrusage(RUSAGE_SELF, &self);
  std::vector<double> fresh = freshStarts(starts, width, height);
  rusage children{};
  getrusage(RUSAGE_CHILDREN, &children);

  std::vector<double> ms;
  const Step* worst = nullptr;
  std::map<std::string, double> worstPerPlace;
  for (const Step& s : tour.steps) {
    ms.push_back(s.ms);
    if (!worst || s.ms > worst->ms) worst = &s;
    worstPerPlace[s.where] = std::max(worstPerPlace[s.where], s.ms);
  }

  std::printf("Kelvaro headless tour at %d x %d: %d screens entered, %d keys, %d run(s)\n", width,
              height, tour.screensEntered, tour.keys, runs);
  std::printf("  start-up to the main menu's key wait (in process) %8.2f ms\n", tour.startupMs);
  if (!fresh.empty())
    std::printf("  start-up of a fresh process, spawn to exit       %8.2f ms median, %.2f ms worst of %zu\n",
                percentile(fresh, 0.5), percentile(fresh, 1.0), fresh.size());
  std::printf("  key to next key wait: median %.3f ms, 95%% %.3f ms, worst %.3f ms (%s), %zu steps\n",
              percentile(ms, 0.5), percentile(ms, 0.95), worst ? worst->ms : 0.0,
              worst ? worst->where.c_str() : "-", ms.size());
  std::printf("  peak memory: %.1f MB (tour), %.1f MB (fresh processes)\n",
              static_cast<double>(self.ru_maxrss) / 1024.0,
              static_cast<double>(children.ru_maxrss) / 1024.0);
  std::printf("  worst step per place (ms):");
  int n = 0;
  for (const auto& [where, w] : worstPerPlace) std::printf("%s %s %.2f", n++ % 6 ? "," : "\n   ", where.c_str(), w);
  std::printf("\n");
  for (const std::string& f : tour.failures_) std::printf("  not completed: %s\n", f.c_str());
  return 0;
}
