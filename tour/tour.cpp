// The tour feeds its keys as the program asks for them: at the main menu
// and at a chapter's sub-menu it types the next item, inside a screen it
// plays the screen's own keys and then "1" and Enter by turns, which ends
// every key wait, motion loop and "next step" prompt. A screen that stops
// on a runtime error is noted and the tour goes on in a fresh run from the
// next screen.
#include "tour/tour.h"

#include <chrono>
#include <ctime>
#include <deque>
#include <optional>

namespace {

using Clock = std::chrono::steady_clock;

// A screen that takes more keys than this is stuck: the run is closed.
constexpr int kKeysPerScreen = 3000;

double threadCpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) * 1e-6;
}

class Tour {
 public:
  Tour(const TourProgram& program, const rt::Options& options, bool keepTraces)
      : program_(program), options_(options), keepTraces_(keepTraces) {}

  TourResult run() {
    Clock::time_point start = Clock::now();
    while (!done_) {
      ++result_.runs;
      rt::Runtime runtime(options_);
      runtime.recordTrace(keepTraces_);
      std::unique_ptr<Framework> lessons = program_.make(runtime);
      runtime_ = &runtime;
      lastTaken_.reset();
      lastStats_ = {};
      pending_.clear();
      int entered = result_.screensEntered, chapter = chapter_;
      runtime.setKeyWaitHook([this, start] { onKeyWait(start); });
      int status = lessons->Run();
      runtime_ = nullptr;
      if (keepTraces_) result_.traces.push_back(runtime.trace());
      if (done_) break;
      // The run ended inside a screen: an error, or stuck.
      result_.failures.push_back(where_ + (status == 3 ? ": runtime error" : ": stuck, closed"));
      if (chapter_ >= static_cast<int>(program_.screens.size())) done_ = true;
      // A run that entered no new screen would fail the same way again.
      if (result_.screensEntered == entered && chapter_ == chapter) break;
    }
    return result_;
  }

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

  // Called before each key wait presents and polls: what came since the
  // last key was taken is that key's drawing and the present of the frame
  // before it.
  void onKeyWait(Clock::time_point start) {
    Clock::time_point now = Clock::now();
    double cpu = threadCpuMs();
    rt::PresentStats stats = runtime_->presentStats();
    double shown = (stats.cpuSeconds - lastStats_.cpuSeconds) * 1e3;
    if (lastTaken_) {
      if (!result_.steps.empty()) {
        TourStep& before = result_.steps.back();
        before.showCpuMs = shown;
        before.sent = stats.pixelsSent - lastStats_.pixelsSent;
        before.changed = stats.pixelsChanged - lastStats_.pixelsChanged;
      }
      result_.steps.push_back(
          {where_, std::chrono::duration<double, std::milli>(now - *lastTaken_).count(), cpu - lastCpu_ - shown});
    } else if (result_.startupMs < 0) {
      result_.startupMs = std::chrono::duration<double, std::milli>(now - start).count();
    }
    lastStats_ = stats;
    if (pending_.empty()) decide();
    if (!pending_.empty()) {
      runtime_->pushKeys({pending_.front()});
      pending_.pop_front();
      ++result_.keys;
      ++keysHere_;
    }
    lastTaken_ = Clock::now();
    lastCpu_ = threadCpuMs();
  }

  void decide() {
    const int chapters = static_cast<int>(program_.screens.size());
    if (mainMenuShown()) {
      where_ = "main menu";
      if (chapter_ >= chapters) {
        type(program_.endItem);
        done_ = true;
      } else {
        type(chapter_ + 1);
      }
      return;
    }
    if (subMenuShown() && chapter_ < chapters) {
      where_ = "ch" + std::to_string(chapter_ + 1) + " menu";
      if (item_ <= program_.screens[chapter_]) {
        type(item_);
        std::string keys = program_.screenKeys ? program_.screenKeys(chapter_ + 1, item_) : "";
        std::vector<int> script = rt::parseKeys(keys);
        screen_.assign(script.begin(), script.end());
        where_ = "ch" + std::to_string(chapter_ + 1) + " s" + std::to_string(item_);
        ++item_;
        ++result_.screensEntered;
        keysHere_ = 0;
        turn_ = 0;
      } else {
        type(program_.screens[chapter_] + 1);
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
      screen_.pop_front();
      return;
    }
    // The next-step prompt (its box is filled in colour 12) ends a drill
    // on "1".
    if (runtime_->pixel(100, 660) == 12) {
      type(1);
      return;
    }
    pending_.push_back(turn_++ % 2 == 0 ? int{'1'} : int{rt::kEnter});
  }

  const TourProgram& program_;
  rt::Options options_;
  bool keepTraces_;
  TourResult result_;
  rt::Runtime* runtime_ = nullptr;
  std::optional<Clock::time_point> lastTaken_;
  double lastCpu_ = 0;
  rt::PresentStats lastStats_;
  std::deque<int> pending_, screen_;
  std::string where_ = "start";
  int chapter_ = 0, item_ = 1, keysHere_ = 0, turn_ = 0;
  bool done_ = false;
};

}  // namespace

TourResult tour(const TourProgram& program, const rt::Options& options, bool keepTraces) {
  return Tour(program, options, keepTraces).run();
}
