// The palette on a projector, judged by what the programs really draw: a
// tour through every screen of the four programs is traced, each trace is
// drawn again on a fresh page, and every text is paired with the ground
// under its glyph cell at the moment it is drawn. The pairs, the colours
// of marks, outlines and borders, and the fills shown side by side must
// each keep their distance.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tour/tour.h"
#include "runtime/runtime.h"
#include "tests/framework/trace_ops.h"

namespace {

using trace_ops::num;

// sRGB channel to linear light.
double linear(uint32_t rgb, int shift) {
  double v = ((rgb >> shift) & 255) / 255.0;
  return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double luminance(uint32_t rgb) {
  return 0.2126 * linear(rgb, 16) + 0.7152 * linear(rgb, 8) + 0.0722 * linear(rgb, 0);
}

// Contrast ratio of two colours, 1:1 to 21:1.
double contrast(uint32_t a, uint32_t b) {
  double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// CIE 1976 colour difference of two sRGB colours (D65 white).
double deltaE(uint32_t a, uint32_t b) {
  auto lab = [](uint32_t c) {
    double r = linear(c, 16), g = linear(c, 8), bl = linear(c, 0);
    double xyz[3] = {(0.4124 * r + 0.3576 * g + 0.1805 * bl) / 0.95047,
                     0.2126 * r + 0.7152 * g + 0.0722 * bl,
                     (0.0193 * r + 0.1192 * g + 0.9505 * bl) / 1.08883};
    for (double& t : xyz) t = t > 216.0 / 24389 ? std::cbrt(t) : (24389.0 / 27 * t + 16) / 116;
    return std::vector<double>{116 * xyz[1] - 16, 500 * (xyz[0] - xyz[1]), 200 * (xyz[1] - xyz[2])};
  };
  std::vector<double> p = lab(a), q = lab(b);
  return std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]);
}

// A text field of a trace line with its escapes undone.
std::string text(const std::string& line, const std::string& key) {
  std::string raw = trace_ops::text(line, key), out;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '\\' || i + 1 == raw.size()) {
      out += raw[i];
      continue;
    }
    char c = raw[++i];
    if (c == 'n') out += '\n';
    else if (c == 'r') out += '\r';
    else if (c == 't') out += '\t';
    else if (c == 'u') out += static_cast<char>(std::strtol(raw.substr(i + 1, 4).c_str(), nullptr, 16)), i += 4;
    else out += c;
  }
  return out;
}

bool flag(const std::string& line, const std::string& key) {
  return line.find("\"" + key + "\":true") != std::string::npos;
}

std::vector<rt::Point> points(const std::string& line) {
  std::vector<rt::Point> out;
  size_t at = line.find("\"points\":[") + 10;
  std::istringstream in(line.substr(at, line.find("]]", at) + 1 - at));
  char c;
  float x, y;
  while (in >> c && c != ']' && in >> x >> c >> y >> c) {
    out.push_back({x, y});
    in >> c;  // "," between points, or the closing "]"
    if (c == ']') break;
  }
  return out;
}

// What a tour drew, gathered from its traces: each text colour with every
// ground it was drawn on, and the colours of marks, outlines and borders;
// each with where it was first seen.
struct Drawn {
  std::map<std::pair<int, int>, std::string> texts;  // (text, ground)
  std::map<int, std::string> strokes;
};

// The palette indices of a box of the page, row by row.
std::vector<int> pixels(const rt::Runtime& page, int x0, int y0, int w, int h) {
  std::vector<int> out;
  out.reserve(static_cast<size_t>(w * h));
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x) out.push_back(page.pixel(x, y));
  return out;
}

// Draws the text of a trace line and returns the grounds it stands on.
// Its ink is what it changed; its grounds are the areas around the ink:
// each colour that covered a quarter of the glyph's box and borders a
// quarter of the ink. A line that crosses a label is no ground, and a
// glyph that changes nothing (a redraw, an erasure) stands on none.
std::set<int> drawText(rt::Runtime& page, const std::string& line) {
  std::string shown = text(line, "text");
  int colour = static_cast<int>(num(line, "colour"));
  double size = num(line, "size"), mh = num(line, "mh"), mv = num(line, "mv");
  // The glyph's cell (a half-width character is half as wide as it is
  // high), with room for bold strokes and the serif letters' lower
  // baseline.
  int x0 = static_cast<int>(num(line, "x")) - 6, y0 = static_cast<int>(num(line, "y")) - 6;
  int w = static_cast<int>(size * mh * (shown.size() > 1 ? 1 : 0.5)) + 12;
  int h = static_cast<int>(size * mv * 1.25) + 12;
  std::vector<int> before = pixels(page, x0, y0, w, h);
  page.SETFONTNAME(text(line, "font"));
  page.SETFONTSIZE(static_cast<float>(size));
  page.SETFONTBOLD(flag(line, "bold"));
  page.SETFONTITALIC(flag(line, "italic"));
  page.SYMBOL(num(line, "x"), num(line, "y"), shown, mh, mv, colour);
  std::vector<int> after = pixels(page, x0, y0, w, h);

  auto ink = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < w && y < h && after[y * w + x] != before[y * w + x];
  };
  std::map<int, int> bordering, covering;
  int edge = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      int was = before[y * w + x];
      ++covering[was];
      if (!ink(x, y) && (ink(x - 1, y) || ink(x + 1, y) || ink(x, y - 1) || ink(x, y + 1))) {
        ++bordering[was];
        ++edge;
      }
    }
  std::set<int> grounds;
  for (auto [c, n] : bordering)
    if (c >= 0 && c != colour && 4 * n >= edge && 4 * covering[c] >= w * h) grounds.insert(c);
  return grounds;
}

// Draws a trace again on a fresh page and gathers what it drew.
void replay(const std::vector<std::string>& trace, const std::string& where, Drawn& drawn) {
  rt::Runtime page(1920, 1080);
  auto note = [&](auto& map, auto key, const std::string& line) {
    if (!map.count(key)) map[key] = where + ": " + line;
  };
  auto stroke = [&](const std::string& line, bool filled) {
    int colour = static_cast<int>(num(line, "colour"));
    // A filled shape whose rim is its fill is a fill, not an outline.
    if (!filled || num(line, "fill") != colour) note(drawn.strokes, colour, line);
    page.SETDRAWWIDTH(static_cast<float>(num(line, "width")));
  };
  for (const std::string& line : trace) {
    std::string op = trace_ops::text(line, "op");
    if (op == "LINE") {
      int form = static_cast<int>(num(line, "form"));
      stroke(line, form == 2);
      page.LINE(num(line, "x1"), num(line, "y1"), num(line, "x2"), num(line, "y2"),
                static_cast<int>(num(line, "colour")), form, static_cast<int>(num(line, "fill")));
    } else if (op == "CIRCLE") {
      stroke(line, flag(line, "filled"));
      page.CIRCLE(num(line, "cx"), num(line, "cy"), num(line, "r"), static_cast<int>(num(line, "colour")),
                  num(line, "start"), num(line, "end"), flag(line, "filled"), static_cast<int>(num(line, "fill")));
    } else if (op == "CONNECT") {
      stroke(line, flag(line, "filled"));
      page.CONNECT(points(line), static_cast<int>(num(line, "colour")), flag(line, "filled"),
                   static_cast<int>(num(line, "fill")));
    } else if (op == "CLS") {
      page.CLS();
    } else if (op == "SYMBOL") {
      int colour = static_cast<int>(num(line, "colour"));
      for (int ground : drawText(page, line)) note(drawn.texts, std::pair{colour, ground}, line);
    }
  }
}

Drawn tourEveryScreen() {
  Drawn drawn;
  rt::Options options;
  options.headless = true;
  options.seed = 7;
  for (const TourProgram& program : tourPrograms()) {
    TourResult result = tour(program, options, true);
    EXPECT_TRUE(result.failures.empty()) << program.name;
    for (size_t run = 0; run < result.traces.size(); ++run)
      replay(result.traces[run], program.name + " run " + std::to_string(run + 1), drawn);
  }
  return drawn;
}

TEST(Palette, EveryColourReadsOnTheGroundsTheScreensDrawItOn) {
  rt::Runtime r(1, 1);
  const Drawn drawn = tourEveryScreen();
  // The tour reaches the prompt frames, the menu panel, the answer boxes
  // and the diagram fills.
  for (std::pair<int, int> pair : {std::pair{9, 4}, {9, 12}, {13, 10}, {5, 13}, {15, 4}, {15, 6}, {15, 12}})
    EXPECT_TRUE(drawn.texts.count(pair)) << pair.first << " on " << pair.second << " not found";

  for (auto& [pair, where] : drawn.texts)
    EXPECT_GE(contrast(r.rgb(pair.first), r.rgb(pair.second)), 4.5)
        << "text " << pair.first << " on " << pair.second << ", first at " << where;
  // Marks, outlines and borders on the page; the faint grid line and the
  // pink of the prompt frames' borders are not read.
  for (auto& [colour, where] : drawn.strokes)
    if (colour != 14 && colour != 13 && colour != 15) {
      EXPECT_GE(contrast(r.rgb(colour), r.rgb(15)), 3) << "mark " << colour << ", first at " << where;
    }
  // The fills shown side by side keep their hues, and none is black.
  const int fills[] = {0, 4, 6, 10, 12};
  for (int a : fills)
    for (int b : fills)
      if (a < b) {
        EXPECT_GE(deltaE(r.rgb(a), r.rgb(b)), 40) << a << " and " << b;
      }
  // Each colour is its own: a pixel names exactly one palette index.
  for (int a = 0; a < 16; ++a)
    for (int b = a + 1; b < 16; ++b) EXPECT_NE(r.rgb(a), r.rgb(b)) << a << " and " << b;
}

}  // namespace
