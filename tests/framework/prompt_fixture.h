// A framework on a headless page with the start-up values of the prompt
// band, its drawing recorded, and small readers of the recorded trace.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/framework.h"
#include "runtime/runtime.h"

namespace prompt_test {

struct Probe : Framework {
  using Framework::Framework;
  using Framework::mainMenuTable;
};

// One value of a trace line: a number or a string, as written.
inline std::string field(const std::string& line, const std::string& key) {
  std::string tag = "\"" + key + "\":";
  size_t at = line.find(tag);
  if (at == std::string::npos) return "";
  at += tag.size();
  if (line[at] == '"') {
    std::string out;
    for (size_t i = at + 1; i < line.size() && line[i] != '"'; ++i) {
      if (line[i] == '\\') ++i;
      out += line[i];
    }
    return out;
  }
  size_t end = line.find_first_of(",}", at);
  return line.substr(at, end - at);
}

inline bool isOp(const std::string& line, const std::string& op) {
  return line.rfind("{\"op\":\"" + op + "\"", 0) == 0;
}

// A drawn character: where, what and in which colour.
struct Glyph {
  float x, y;
  std::string text;
  int colour;
  bool operator==(const Glyph&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Glyph& g) {
  return os << "(" << g.x << "," << g.y << " \"" << g.text << "\" c" << g.colour << ")";
}

inline std::vector<Glyph> glyphs(const std::vector<std::string>& trace, int colour = -1) {
  std::vector<Glyph> out;
  for (const std::string& l : trace) {
    if (!isOp(l, "SYMBOL")) continue;
    Glyph g{std::stof(field(l, "x")), std::stof(field(l, "y")), field(l, "text"),
            std::stoi(field(l, "colour"))};
    if (colour < 0 || g.colour == colour) out.push_back(g);
  }
  return out;
}

// The trace line of a box of form 2 (border `colour`, filled in `fill`).
inline std::string box(float x1, float y1, float x2, float y2, int colour, int fill, float width) {
  return "{\"op\":\"LINE\",\"x1\":" + rt::jsonNumber(x1) + ",\"y1\":" + rt::jsonNumber(y1) +
         ",\"x2\":" + rt::jsonNumber(x2) + ",\"y2\":" + rt::jsonNumber(y2) +
         ",\"form\":2,\"colour\":" + std::to_string(colour) + ",\"fill\":" + std::to_string(fill) +
         ",\"width\":" + rt::jsonNumber(width) + "}";
}

inline std::vector<std::string> only(const std::vector<std::string>& trace, const std::string& op) {
  std::vector<std::string> out;
  for (const std::string& l : trace)
    if (isOp(l, op)) out.push_back(l);
  return out;
}

inline int keysTaken(const std::vector<std::string>& trace) {
  return static_cast<int>(only(trace, "KEY").size());
}

// Every pixel of the page is the page colour.
inline bool pageBlank(const rt::Runtime& r) {
  for (int y = 0; y < r.height(); ++y)
    for (int x = 0; x < r.width(); ++x)
      if (r.pixel(x, y) != 15) return false;
  return true;
}

class PromptTest : public testing::Test {
 protected:
  void SetUp() override {
    r.recordTrace(true);
    p.KAIX = 1056;
    p.KAIY = 648;
    p.SETFONTNAME("ゴシック");
    p.SETFONTSIZE(16);
    p.SETDRAWWIDTH(3);
  }
  void keys(const std::string& script) { r.pushKeys(rt::parseKeys(script)); }
  // Runs a routine under the error trap; the exit status (0 also when the
  // keys ran out or the window was closed).
  int run(const std::function<void()>& body) { return p.RunGuarded(body); }

  rt::Runtime r{1920, 1080};
  Probe p{r, "Kelvaro"};
};

}  // namespace prompt_test
