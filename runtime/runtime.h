// The platform layer the lessons draw and read keys through: one page
// surface in 16 palette colours, the drawing operations, fonts and pen,
// the key queue of a window or of a headless key script, the random
// numbers and the clock. It knows nothing of lessons.
#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <source_location>
#include <string>
#include <utility>
#include <vector>

#include "runtime/basic.h"
#include "runtime/exit_status.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;
typedef struct _cairo_font_options cairo_font_options_t;

namespace rt {

class OutputFile;
class OutputFolder;
struct OutputTargets;

// Key codes of the queue.
enum Key : int {
  kBackspace = 8,
  kEnter = 13,
  kClear = 12,  // the Delete key clears the number entry
  kEsc = 27,
  kRight = 28,
  kLeft = 29,
  kUp = 30,
  kDown = 31,
};

struct Options {
  bool headless = false;
  std::vector<int> keys;  // key codes of a headless run
  std::string png, shots, trace;
  int width = 1920, height = 1080;
  bool sizeGiven = false;
  std::optional<uint32_t> seed;
  // What the outputs' paths were found to mean when the command line was
  // checked; without it, they are found when the run starts.
  std::shared_ptr<const OutputTargets> targets;
};

// The largest width or height of the page.
constexpr int kMaxPageSide = 16384;
// The smallest page the lessons' layout needs: a window's page is never
// smaller, whatever the window's size.
constexpr int kLayoutWidth = 1342, kLayoutHeight = 720;

// Parses the command line; on a bad option prints one line to stderr and
// throws ProgramEnd{kRefused}; --help prints the usage and throws ProgramEnd{kEnded}.
Options parseOptions(int argc, char** argv);
// Parses a --keys script ("1 Enter Space"); throws std::invalid_argument.
std::vector<int> parseKeys(const std::string& script);

using Point = std::pair<float, float>;

// A rectangle of page pixels: columns x0 to x1 - 1, rows y0 to y1 - 1.
struct Rect {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool empty() const { return x0 >= x1 || y0 >= y1; }
  long long area() const { return empty() ? 0 : static_cast<long long>(x1 - x0) * (y1 - y0); }
  // The smallest rectangle holding both.
  Rect joined(const Rect& o) const;
  bool operator==(const Rect&) const = default;
};

// What a window has shown so far: the presents that sent pixels to the
// screen, the pixels they sent, the pixels that differed from what the
// screen showed, and the CPU time spent presenting.
struct PresentStats {
  long long presents = 0;
  long long pixelsSent = 0;
  long long pixelsChanged = 0;
  double cpuSeconds = 0;
};

// Where keys come from and where the page is shown.
class Display {
 public:
  virtual ~Display() = default;
  // Pending key, or -1 when none waits. Throws ProgramEnd when the window
  // was closed or a key script is spent.
  virtual int poll() = 0;
  // Nothing waits: sleep on the event queue until an event comes or a
  // little while has passed.
  virtual void idle() = 0;
  // Drawing touched `touched` of the page since the last present (and
  // nothing outside it); show what changed.
  virtual void present(cairo_surface_t* page, const Rect& touched) = 0;
  // The error screen: keep showing the page until the window is closed.
  virtual void holdUntilClosed(cairo_surface_t* page) = 0;
  virtual void setTitle(const std::string&) {}
  virtual PresentStats stats() const { return {}; }
};

class Runtime {
 public:
  explicit Runtime(const Options& options);
  // For tests: a headless runtime of the given size with its own key queue.
  Runtime(int width, int height, std::vector<int> keys = {});
  ~Runtime();
  Runtime(const Runtime&) = delete;
  Runtime& operator=(const Runtime&) = delete;

  // ---- drawing (each call is a step boundary of the calculation check) ----
  // form 0 segment, 1 box outline, 2 box with border `colour` filled in
  // `fill` (fill < 0: the border colour); step: (x2, y2) is an offset.
  void LINE(float x1, float y1, float x2, float y2, int colour, int form = 0, int fill = -1,
            bool step = false, std::source_location where = std::source_location::current());
  // start = end = 0: whole circle; else the arc from start to end in
  // fractions of a turn (0 right, 0.25 down, clockwise on the screen).
  // filled: disc or sector, in `fill` (fill < 0: in `colour`) with the rim
  // stroked in `colour`.
  void CIRCLE(float cx, float cy, float r, int colour, float start = 0, float end = 0,
              bool filled = false, int fill = -1,
              std::source_location where = std::source_location::current());
  // Open polyline, or a polygon filled in `fill` bordered in `colour`.
  void CONNECT(const std::vector<Point>& points, int colour, bool filled = false, int fill = -1,
               std::source_location where = std::source_location::current());
  // Text in the current font, glyph cell top-left at (x, y), magnified
  // whole times across and down.
  void SYMBOL(float x, float y, const std::string& text, float mh, float mv, int colour,
              std::source_location where = std::source_location::current());
  void CLS();

  // ---- window, font, pen ----
  void SETMAPMODE(int) {}
  void MAXIMIZEWINDOW() {}
  void SETFONTNAME(const std::string& name);
  void SETFONTSIZE(float size);
  void SETFONTBOLD(int on);
  void SETFONTITALIC(int on);
  void SETDRAWWIDTH(float width, std::source_location where = std::source_location::current());
  float GETDRAWWIDTH() const { return width_; }
  const std::string& fontName() const { return fontName_; }
  float fontSize() const { return fontSize_; }
  bool fontBold() const { return bold_; }
  bool fontItalic() const { return italic_; }

  // ---- keys ----
  // "" when no key waits (after idling briefly), else one character.
  std::string INKEY(std::source_location where = std::source_location::current());
  // The error screen's endless wait: returns never; throws ProgramEnd.
  [[noreturn]] void holdUntilClosed();

  // ---- numbers and clock ----
  float RND();
  void RANDOMIZE(double seed);
  std::string TIME() const;
  // A fixed seed replaces the clock's (headless --seed).
  std::optional<uint32_t> fixedSeed() const { return seed_; }

  // ---- measuring: nothing reaches the page or the trace meanwhile ----
  void beginMeasure() { ++measuring_; }
  void endMeasure() { if (measuring_ > 0) --measuring_; }
  bool measuring() const { return measuring_ > 0; }
  // An error ends every measure in progress.
  void abortMeasure() { measuring_ = 0; }

  // ---- the page, trace and outputs ----
  int width() const { return w_; }
  int height() const { return h_; }
  // Palette index at a pixel (-1 outside the page or not a palette colour).
  int pixel(int x, int y) const;
  uint32_t rgb(int colour) const;
  // Writes the page; false with the reason in `error` when it could not.
  bool writePng(const std::string& path, std::string* error = nullptr) const;
  // Writes the page into an output opened before and puts it in place.
  bool writePng(OutputFile& out) const;
  // Trace lines recorded in memory (tests), in the documented JSON form.
  void recordTrace(bool on) { recordTrace_ = on; }
  const std::vector<std::string>& trace() const { return traceLines_; }
  void clearTrace() { traceLines_.clear(); }
  // Ends the outputs of a run: writes --png, completes --trace and reports
  // shots that failed, each failure as one line on stderr. False when any
  // output could not be written.
  bool finish();
  // The outputs the run was asked for (--png, --trace, --shots).
  int outputs() const {
    return !options_.png.empty() + !options_.trace.empty() + !options_.shots.empty();
  }
  // The window's display went away: writes the outputs as the run stood,
  // says what became of them and ends the process (by a stop asked for
  // meanwhile, when there is one).
  [[noreturn]] void endOnDisplayLost(const std::string& what);
  // The part of the page that drawing touched since the last present.
  const Rect& touched() const { return touched_; }
  // What the window has presented so far (all zero in a headless run).
  PresentStats presentStats() const { return display_->stats(); }
  void setTitle(const std::string& title);
  // Tests: queue keys or a window close on a test runtime.
  void pushKeys(const std::vector<int>& keys);
  void pushClose();
  // Benchmarks and key drivers: called each time the program asks for a
  // key, before the queue is polled; it may queue keys or a close.
  void setKeyWaitHook(std::function<void()> hook) { keyWaitHook_ = std::move(hook); }

 private:
  // The steps of a run's start (see the constructor).
  struct Starting;
  struct StartingOutput;
  void knowOutputs(Starting& starting);
  static void openOutput(StartingOutput& o);
  void openDisplay(int& width, int& height);
  void makeFiles(Starting& starting);
  void init(int width, int height);
  // Trace lines are built only while a trace is written or recorded.
  bool tracing() const { return trace_ || recordTrace_; }
  void emit(const std::string& json);
  // Adds the box (x0, y0)-(x1, y1), widened by `pad` and a pixel of
  // rounding, to the touched part of the page.
  void touch(double x0, double y0, double x1, double y1, double pad);
  void present();
  cairo_t* pen(int colour);
  void strokeDone();
  void applyFont();

  int w_ = 0, h_ = 0;
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
  // Gothic text up to this many pixels high is drawn hinted.
  static constexpr double kHintedPixels = 24;
  cairo_font_options_t *hintedText_ = nullptr, *plainText_ = nullptr;
  std::unique_ptr<Display> display_;
  Options options_;
  std::unique_ptr<OutputFile> trace_, png_;
  std::unique_ptr<OutputFolder> shots_;
  std::string shotError_;  // the first shot that could not be written, and why
  int shotFailures_ = 0;
  int failedOutputs_ = 0;
  bool recordTrace_ = false;
  std::vector<std::string> traceLines_;
  int measuring_ = 0;
  Rect touched_;
  bool blank_ = true;  // every pixel is the page colour
  int shotCount_ = 0;

  float width_ = 1;
  std::string fontName_;
  float fontSize_ = 16;
  bool bold_ = false, italic_ = false;

  std::mt19937 rng_;
  std::optional<uint32_t> seed_;
  struct Fonts;
  std::unique_ptr<Fonts> fonts_;
  std::function<void()> keyWaitHook_;
};

// JSON text of a number as the program passed it (shortest form).
std::string jsonNumber(float v);
std::string jsonString(const std::string& s);

}  // namespace rt
