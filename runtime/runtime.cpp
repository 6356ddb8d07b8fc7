#include "runtime/runtime.h"

#include <cairo.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "runtime/display.h"
#include "runtime/endings.h"
#include "runtime/fonts.h"
#include "runtime/messages.h"
#include "runtime/output.h"
#include "runtime/run_end.h"

namespace rt {

namespace {

// The palette. 15 is the page. Read on a projector, every text colour
// reaches a contrast ratio of 4.5:1 on each ground the screens draw it on:
// dark texts on the page and on the pink answer-box fill, light ones on
// the menu panel and on the diagram fills; colour 9, a mid-light blue, is
// text only on the deep maroon and navy of the prompt frames, and a mark
// on the page. Marks and outlines on the page reach 3:1. The fills shown
// side by side (4, 6, 10, 12) keep their hues apart from one another and
// from black.
const uint32_t kPalette[16] = {
    0x000000,  // 0 foreground
    0x0000aa,  // 1 (never drawn)
    0x008800,  // 2 (never drawn)
    0x005878,  // 3 headings
    0x500000,  // 4 maroon: key-wait box fill, the square region, some marks
    0x1a2fb0,  // 5 answers, typed digits
    0xa86000,  // 6 figure fill
    0x146014,  // 7 assignments
    0x555555,  // 8 (never drawn)
    0x4090f3,  // 9 key-wait messages, marks
    0x0a5c38,  // 10 menu panel
    0x22c4c4,  // 11 figure fill
    0x000080,  // 12 navy: next-step box fill, the rectangle region
    0xffc4e4,  // 13 odd menu items, answer-box fill, error text
    0xbebebe,  // 14 every fifth grid line
    0xffffff,  // 15 page
};

void setColour(cairo_t* cr, int colour) {
  uint32_t c = kPalette[colour & 15];
  cairo_set_source_rgb(cr, ((c >> 16) & 255) / 255.0, ((c >> 8) & 255) / 255.0, (c & 255) / 255.0);
}

int paletteIndex(int colour, std::source_location where) {
  if (colour < 0 || colour > 15) raise(kIllegalFunctionCall, "illegal function call", where);
  return colour;
}

}  // namespace

std::string jsonNumber(float v) {
  char buf[32];
  auto res = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, res.ptr);
}

std::string jsonString(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

Rect Rect::joined(const Rect& o) const {
  if (o.empty()) return *this;
  if (empty()) return o;
  return {std::min(x0, o.x0), std::min(y0, o.y0), std::max(x1, o.x1), std::max(y1, o.y1)};
}

struct Runtime::Fonts {
  FontBook book;
};

// The outputs of a run as it starts: what each path was found to mean,
// and its place in the signal handlers' record.
struct Runtime::StartingOutput {
  std::unique_ptr<OutputFile>& out;
  const char* option;
  const std::string& path;
  OutputTarget& target;
  PendingHandle pending;
};
struct Runtime::Starting {
  OutputTargets targets;
  std::vector<StartingOutput> outputs;
};

// A run starts in these steps, in this order:
//   1. the outputs are known to the signal handlers, so that an ending at
//      once from now on names them among those left as they were;
//   2. the outputs written in place are opened, so that a run waits for a
//      FIFO's reader before its window opens (they make nothing);
//   3. the window opens, so that without a display the run ends before
//      the fonts load;
//   4. the fonts and the page are made;
//   5. the files are made: the shots' folder first, which the other
//      outputs may go into; a run that cannot begin takes back the
//      folders it made.
Runtime::Runtime(const Options& options) : options_(options) {
  Starting starting;
  knowOutputs(starting);
  for (StartingOutput& o : starting.outputs)
    if (o.target.inPlace()) openOutput(o);
  int w = options.width, h = options.height;
  openDisplay(w, h);
  fonts_ = std::make_unique<Fonts>();
  init(w, h);
  makeFiles(starting);
  runBegan(outputs());
  if (!options.headless) onDisplayLost([this](const std::string& what) { endOnDisplayLost(what); });
  seed_ = options.seed;
}

void Runtime::knowOutputs(Starting& s) {
  s.targets = options_.targets ? *options_.targets : outputTargets(options_.png, options_.trace, options_.shots);
  s.outputs.reserve(2);
  if (!options_.trace.empty())
    s.outputs.push_back({trace_, "--trace", options_.trace, s.targets.trace, PendingHandle::reserve("--trace")});
  if (!options_.png.empty())
    s.outputs.push_back({png_, "--png", options_.png, s.targets.png, PendingHandle::reserve("--png")});
}

// Opens an output from what its path was found to mean.
void Runtime::openOutput(StartingOutput& o) {
  // A folder the shots made since the check is there now.
  if (!o.target.missingFolder.empty()) {
    bool binary = o.target.binary;
    o.target = outputTarget(o.path);
    o.target.binary = binary;
  }
  o.out = std::make_unique<OutputFile>();
  if (!o.out->open(o.target, o.option, o.pending)) {
    std::string line = std::string(o.option) + ": cannot write " + shown(o.path) + ": " + o.out->error();
    // A stop while the run waited for a FIFO's reader ends it by the
    // stop's signal: that is no refusal.
    if (stopAsked()) {
      say(line);
      throw ProgramEnd{kRefused};
    }
    refuseOutput(line, o.out->noDescriptor());
  }
}

void Runtime::openDisplay(int& width, int& height) {
  if (options_.headless) {
    display_ = makeHeadlessDisplay(options_.keys);
    return;
  }
  display_ = makeWindowDisplay(options_.keys, options_.sizeGiven, width, height);
  width = std::max(width, kLayoutWidth);
  height = std::max(height, kLayoutHeight);
}

void Runtime::makeFiles(Starting& starting) {
  try {
    if (!options_.shots.empty()) {
      shots_ = std::make_unique<OutputFolder>();
      if (!shots_->open(starting.targets.shots))
        refuseOutput("--shots: cannot write into " + shown(options_.shots) + ": " + shots_->error(),
                     shots_->noDescriptor());
    }
    for (StartingOutput& o : starting.outputs)
      if (!o.out) openOutput(o);
  } catch (...) {
    if (shots_)
      if (std::string left = shots_->unmake(); !left.empty()) folderLeft(left);
    throw;
  }
}

Runtime::Runtime(int width, int height, std::vector<int> keys) {
  options_.headless = true;
  fonts_ = std::make_unique<Fonts>();
  display_ = makeHeadlessDisplay(std::move(keys));
  init(width, height);
}

Runtime::~Runtime() {
  if (!options_.headless) onDisplayLost(nullptr);
  if (hintedText_) cairo_font_options_destroy(hintedText_);
  if (plainText_) cairo_font_options_destroy(plainText_);
  if (cr_) cairo_destroy(cr_);
  if (surface_) cairo_surface_destroy(surface_);
}

void Runtime::init(int width, int height) {
  w_ = width;
  h_ = height;
  surface_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w_, h_);
  if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS) {
    long long mib = (static_cast<long long>(cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, w_)) * h_ +
                     (1 << 20) - 1) >> 20;
    throw CannotStart("a page of " + std::to_string(w_) + "x" + std::to_string(h_) + " needs " +
                      std::to_string(mib) + " MiB of memory, which could not be had (" +
                      cairo_status_to_string(cairo_surface_status(surface_)) + ")");
  }
  cr_ = cairo_create(surface_);
  cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
  // Small Gothic text (the prompts) is hinted to whole pixels, which keeps
  // the strokes of dense characters apart; large text needs no hints, and
  // hinting its glyphs would cost more than drawing them.
  for (bool hinted : {false, true}) {
    cairo_font_options_t*& fo = hinted ? hintedText_ : plainText_;
    if (!fo) fo = cairo_font_options_create();
    cairo_font_options_set_antialias(fo, CAIRO_ANTIALIAS_NONE);
    cairo_font_options_set_hint_style(fo, hinted ? CAIRO_HINT_STYLE_FULL : CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(fo, CAIRO_HINT_METRICS_OFF);
  }
  cairo_set_font_options(cr_, plainText_);
  cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
  setColour(cr_, 15);
  cairo_paint(cr_);
  touched_ = {0, 0, w_, h_};
  blank_ = true;
  calcForget();
}

void Runtime::emit(const std::string& json) {
  if (trace_) {
    // The line and its end in one write, so that what is flushed ends on
    // a line's end.
    std::string line = json + "\n";
    trace_->write(line.data(), line.size());
  }
  if (recordTrace_) traceLines_.push_back(json);
}

void Runtime::touch(double x0, double y0, double x1, double y1, double pad) {
  auto pixel = [](double v, int limit) { return static_cast<int>(std::clamp(v, 0.0, double(limit))); };
  Rect r{pixel(std::floor(x0 - pad - 1), w_), pixel(std::floor(y0 - pad - 1), h_),
         pixel(std::ceil(x1 + pad + 1), w_), pixel(std::ceil(y1 + pad + 1), h_)};
  touched_ = touched_.joined(r);
  blank_ = false;
}

cairo_t* Runtime::pen(int colour) {
  setColour(cr_, colour);
  cairo_set_line_width(cr_, width_);
  return cr_;
}

void Runtime::strokeDone() { calcForget(); }

void Runtime::LINE(float x1, float y1, float x2, float y2, int colour, int form, int fill, bool step,
                   std::source_location where) {
  finite(x1, where), finite(y1, where), finite(x2, where), finite(y2, where);
  colour = paletteIndex(colour, where);
  if (fill >= 0) fill = paletteIndex(fill, where);
  if (step) {
    x2 = x1 + x2;
    y2 = y1 + y2;
  }
  if (form < 0 || form > 2) raise(kIllegalFunctionCall, "illegal function call", where);
  int fillColour = fill < 0 ? colour : fill;
  if (measuring()) return;
  if (tracing())
    emit("{\"op\":\"LINE\",\"x1\":" + jsonNumber(x1) + ",\"y1\":" + jsonNumber(y1) + ",\"x2\":" +
         jsonNumber(x2) + ",\"y2\":" + jsonNumber(y2) + ",\"form\":" + std::to_string(form) +
         ",\"colour\":" + std::to_string(colour) + ",\"fill\":" + std::to_string(form == 2 ? fillColour : -1) +
         ",\"width\":" + jsonNumber(width_) + "}");
  // A page-coloured box on a blank page changes nothing.
  if (form == 2 && colour == 15 && fillColour == 15 && blank_) return;
  cairo_t* cr = pen(colour);
  double lx = std::min(x1, x2), hx = std::max(x1, x2), ly = std::min(y1, y2), hy = std::max(y1, y2);
  touch(lx, ly, hx + 1, hy + 1, width_ / 2);
  if (form == 0) {
    cairo_move_to(cr, x1 + 0.5, y1 + 0.5);
    cairo_line_to(cr, x2 + 0.5, y2 + 0.5);
    cairo_stroke(cr);
  } else {
    if (form == 2) {
      setColour(cr, fillColour);
      cairo_rectangle(cr, lx, ly, hx - lx + 1, hy - ly + 1);
      cairo_fill(cr);
      setColour(cr, colour);
    }
    cairo_rectangle(cr, lx + 0.5, ly + 0.5, hx - lx, hy - ly);
    cairo_stroke(cr);
  }
  strokeDone();
}

void Runtime::CIRCLE(float cx, float cy, float r, int colour, float start, float end, bool filled,
                     int fill, std::source_location where) {
  finite(cx, where), finite(cy, where), finite(r, where), finite(start, where), finite(end, where);
  colour = paletteIndex(colour, where);
  if (fill >= 0) fill = paletteIndex(fill, where);
  int fillColour = fill < 0 ? colour : fill;
  if (measuring()) return;
  if (tracing())
    emit("{\"op\":\"CIRCLE\",\"cx\":" + jsonNumber(cx) + ",\"cy\":" + jsonNumber(cy) + ",\"r\":" +
         jsonNumber(r) + ",\"start\":" + jsonNumber(start) + ",\"end\":" + jsonNumber(end) +
         ",\"filled\":" + (filled ? "true" : "false") + ",\"colour\":" + std::to_string(colour) +
         ",\"fill\":" + std::to_string(filled ? fillColour : -1) + ",\"width\":" + jsonNumber(width_) + "}");
  cairo_t* cr = pen(colour);
  double ox = cx + 0.5, oy = cy + 0.5, rr = std::fabs(r);
  bool whole = start == 0.0f && end == 0.0f;
  touch(ox - rr, oy - rr, ox + rr, oy + rr, width_ / 2);
  auto path = [&] {
    cairo_new_path(cr);
    if (whole) {
      cairo_arc(cr, ox, oy, rr, 0, 2 * M_PI);
      cairo_close_path(cr);
    } else {
      double a1 = 2 * M_PI * start, a2 = 2 * M_PI * end;
      if (filled) cairo_move_to(cr, ox, oy);
      cairo_arc(cr, ox, oy, rr, a1, a2);
      if (filled) cairo_close_path(cr);
    }
  };
  if (whole && rr <= width_ / 2) {
    // The rim is wider than the circle: it covers the whole disc.
    cairo_new_path(cr);
    cairo_arc(cr, ox, oy, rr + width_ / 2, 0, 2 * M_PI);
    cairo_fill(cr);
    strokeDone();
    return;
  }
  if (filled) {
    setColour(cr, fillColour);
    path();
    cairo_fill(cr);
    setColour(cr, colour);
  }
  path();
  cairo_stroke(cr);
  strokeDone();
}

void Runtime::CONNECT(const std::vector<Point>& points, int colour, bool filled, int fill,
                      std::source_location where) {
  for (auto& [x, y] : points) finite(x, where), finite(y, where);
  colour = paletteIndex(colour, where);
  if (fill >= 0) fill = paletteIndex(fill, where);
  int fillColour = fill < 0 ? colour : fill;
  if (measuring()) return;
  if (tracing()) {
    std::string pts;
    for (auto& [x, y] : points) pts += (pts.empty() ? "[" : ",[") + jsonNumber(x) + "," + jsonNumber(y) + "]";
    emit("{\"op\":\"CONNECT\",\"points\":[" + pts + "],\"filled\":" + (filled ? "true" : "false") +
         ",\"colour\":" + std::to_string(colour) + ",\"fill\":" + std::to_string(filled ? fillColour : -1) +
         ",\"width\":" + jsonNumber(width_) + "}");
  }
  if (points.empty()) return;
  cairo_t* cr = pen(colour);
  double lx = points[0].first, hx = lx, ly = points[0].second, hy = ly;
  for (auto& [x, y] : points) {
    lx = std::min<double>(lx, x), hx = std::max<double>(hx, x);
    ly = std::min<double>(ly, y), hy = std::max<double>(hy, y);
  }
  touch(lx, ly, hx + 1, hy + 1, width_ / 2);
  auto path = [&] {
    cairo_new_path(cr);
    for (auto& [x, y] : points) cairo_line_to(cr, x + 0.5, y + 0.5);
  };
  if (filled) {
    setColour(cr, fillColour);
    path();
    cairo_close_path(cr);
    cairo_fill(cr);
    setColour(cr, colour);
  }
  path();
  if (points.size() == 1) cairo_line_to(cr, points[0].first + 0.5, points[0].second + 0.5);
  cairo_stroke(cr);
  strokeDone();
}

void Runtime::applyFont() {
  cairo_set_font_face(cr_, fonts_->book.face(fontName_, bold_, italic_));
}

void Runtime::SYMBOL(float x, float y, const std::string& text, float mh, float mv, int colour,
                     std::source_location where) {
  finite(x, where), finite(y, where), finite(mh, where), finite(mv, where);
  colour = paletteIndex(colour, where);
  if (measuring()) return;
  if (tracing())
    emit("{\"op\":\"SYMBOL\",\"x\":" + jsonNumber(x) + ",\"y\":" + jsonNumber(y) + ",\"text\":" +
         jsonString(text) + ",\"mh\":" + jsonNumber(mh) + ",\"mv\":" + jsonNumber(mv) + ",\"colour\":" +
         std::to_string(colour) + ",\"font\":" + jsonString(fontName_) + ",\"size\":" +
         jsonNumber(fontSize_) + ",\"bold\":" + (bold_ ? "true" : "false") + ",\"italic\":" +
         (italic_ ? "true" : "false") + "}");
  if (text.empty()) return;
  cairo_t* cr = pen(colour);
  applyFont();
  double h = std::max(1.0f, std::round(mh)), v = std::max(1.0f, std::round(mv));
  bool hinted = FontBook::isGothic(fontName_) && fontSize_ * std::max(h, v) <= kHintedPixels;
  cairo_set_font_options(cr, hinted ? hintedText_ : plainText_);
  // The serif face's cell is narrower than its size and its baseline lies
  // lower, so that its italic letters, drawn small and magnified, stand on
  // the Gothic text's baseline at the widths of the Gothic cells.
  bool serif = fontName_ == "Times New Roman";
  double across = serif ? 0.7 : 1.0;
  cairo_matrix_t m;
  cairo_matrix_init_scale(&m, fontSize_ * h * across, fontSize_ * v);
  cairo_set_font_matrix(cr, &m);
  cairo_font_extents_t fe;
  cairo_font_extents(cr, &fe);
  // The cell's top is at y; the baseline lies the face's ascent below it,
  // with the ascent and descent sharing one em.
  double em = fontSize_ * v;
  double ascent = fe.ascent + fe.descent > 0 ? em * fe.ascent / (fe.ascent + fe.descent) : em * 0.88;
  if (serif) ascent = em * 1.14;
  cairo_move_to(cr, x, y + ascent);
  // The symbol face keeps its script ell at the code of "l"; the installed
  // substitute has it at U+2113.
  std::string shown = text;
  if (fontName_ == "MT Extra")
    for (size_t p = shown.find('l'); p != std::string::npos; p = shown.find('l', p + 3))
      shown.replace(p, 1, "\u2113");
  cairo_text_extents_t te;
  cairo_text_extents(cr, shown.c_str(), &te);
  double bx = x, by = y + ascent;
  if (FontBook::isGothic(fontName_) && text == "°" && h > 1 && te.width > 0) {
    // Magnified, the Gothic degree sign is a small ring in the top-left
    // corner of its cell, at most a quarter em wide: formula text sets the
    // next character a quarter em on (prompt text, unmagnified, a whole
    // cell). The installed face's ring is wider, so it is drawn smaller,
    // from the cell's left edge, with its top where it was, leaving the
    // quarter's last column clear.
    double room = fontSize_ * h / 4 - 1.5;
    if (te.width > room) {
      double s = room / te.width;
      double top = by + te.y_bearing;
      cairo_matrix_scale(&m, s, s);
      cairo_set_font_matrix(cr, &m);
      cairo_text_extents(cr, shown.c_str(), &te);
      bx = x + 0.5 - te.x_bearing;
      by = top - te.y_bearing;
      cairo_move_to(cr, bx, by);
    }
  }
  // Emboldening and slanting may reach a little beyond the outline's box.
  touch(bx + te.x_bearing, by + te.y_bearing, bx + te.x_bearing + te.width,
        by + te.y_bearing + te.height, 2);
  cairo_show_text(cr, shown.c_str());
  cairo_new_path(cr);
  strokeDone();
}

void Runtime::CLS() {
  if (measuring()) return;
  if (tracing()) emit("{\"op\":\"CLS\"}");
  if (blank_) return;
  setColour(cr_, 15);
  cairo_paint(cr_);
  touched_ = {0, 0, w_, h_};
  blank_ = true;
}

void Runtime::SETFONTNAME(const std::string& name) { fontName_ = name; }
void Runtime::SETFONTSIZE(float size) { fontSize_ = size; }
void Runtime::SETFONTBOLD(int on) { bold_ = on != 0; }
void Runtime::SETFONTITALIC(int on) { italic_ = on != 0; }
void Runtime::SETDRAWWIDTH(float width, std::source_location where) {
  finite(width, where);
  width_ = std::max(1.0f, std::round(width));
}

void Runtime::present() {
  if (touched_.empty()) return;
  cairo_surface_flush(surface_);
  display_->present(surface_, touched_);
  calcForget();
  touched_ = {};
}

std::string Runtime::INKEY(std::source_location where) {
  if (keyWaitHook_) keyWaitHook_();
  // A step boundary: the program's own arithmetic is checked first; what
  // the window system leaves in the flags is not the program's.
  calcCheck(where);
  present();
  int k = display_->poll();
  if (k < 0) {
    display_->idle();
    k = display_->poll();
  }
  calcForget();
  if (k < 0) return "";
  if (tracing()) emit("{\"op\":\"KEY\",\"code\":" + std::to_string(k) + "}");
  if (!options_.shots.empty()) {
    char name[32];
    std::snprintf(name, sizeof name, "shot-%04d.png", ++shotCount_);
    OutputFile shot;
    if (!(shot.open(*shots_, name) && writePng(shot)) && shotFailures_++ == 0)
      shotError_ = std::string(name) + ": " + shot.error();
  }
  return std::string(1, static_cast<char>(k));
}

void Runtime::holdUntilClosed() {
  present();
  display_->holdUntilClosed(surface_);
  throw ProgramEnd{kRuntimeError};
}

float Runtime::RND() {
  std::uniform_real_distribution<double> d(0.0, 1.0);
  float v = static_cast<float>(d(rng_));
  if (v >= 1.0f) v = std::nextafter(1.0f, 0.0f);
  return v;
}

void Runtime::RANDOMIZE(double seed) { rng_.seed(static_cast<uint32_t>(std::llround(seed))); }

std::string Runtime::TIME() const {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
  return buf;
}

int Runtime::pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= w_ || y >= h_) return -1;
  cairo_surface_flush(surface_);
  const unsigned char* data = cairo_image_surface_get_data(surface_);
  int stride = cairo_image_surface_get_stride(surface_);
  uint32_t v = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4) & 0xffffff;
  for (int i = 0; i < 16; ++i)
    if (kPalette[i] == v) return i;
  return -1;
}

uint32_t Runtime::rgb(int colour) const { return kPalette[colour & 15]; }

bool Runtime::writePng(const std::string& path, std::string* error) const {
  OutputFile out;
  bool ok = out.open(path) && writePng(out);
  if (error) *error = out.error();
  return ok;
}

bool Runtime::writePng(OutputFile& out) const {
  cairo_surface_flush(surface_);
  auto put = [](void* file, const unsigned char* data, unsigned int size) {
    return static_cast<OutputFile*>(file)->write(reinterpret_cast<const char*>(data), size)
               ? CAIRO_STATUS_SUCCESS
               : CAIRO_STATUS_WRITE_ERROR;
  };
  cairo_status_t status = cairo_surface_write_to_png_stream(surface_, put, &out);
  calcForget();
  // A failed write has said why; the encoder itself fails only for want
  // of memory.
  if (status == CAIRO_STATUS_NO_MEMORY || status == CAIRO_STATUS_PNG_ERROR)
    out.fail("there was not enough memory to make the PNG");
  else if (status != CAIRO_STATUS_SUCCESS)
    out.fail(cairo_status_to_string(status));
  return out.commit();
}

bool Runtime::finish() {
  bool ok = true;
  auto report = [&](const char* option, const std::string& what, const std::string& why) {
    say(std::string(option) + ": cannot write " + what + ": " + why);
    ok = false;
    ++failedOutputs_;
  };
  // The trace first: it is written already, and a second stop while a
  // large page is encoded does not take it with the page.
  if (trace_ && !trace_->commit()) report("--trace", shown(options_.trace), trace_->error());
  trace_.reset();
  if (png_ && !writePng(*png_)) report("--png", shown(options_.png), png_->error());
  png_.reset();
  if (shotFailures_ > 0)
    report("--shots", std::to_string(shotFailures_) + " of " + std::to_string(shotCount_) +
                          " shots in " + shown(options_.shots),
           "first " + shotError_);
  shotFailures_ = 0;
  outputsHandled(outputs(), failedOutputs_);
  return ok;
}

void Runtime::endOnDisplayLost(const std::string& what) {
  finish();
  endAsLost(what);
}

void Runtime::setTitle(const std::string& title) { display_->setTitle(title); }

void Runtime::pushKeys(const std::vector<int>& keys) { pushDisplayKeys(*display_, keys); }
void Runtime::pushClose() { pushDisplayClose(*display_); }

}  // namespace rt
