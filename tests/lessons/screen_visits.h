// Reading one visit of a lesson screen back from a headless run's trace:
// what it drew from the key that entered it until its sub-menu line came
// back, and the keys it took.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/framework/trace_ops.h"
#include "tests/harness.h"

namespace screen_visits {

using trace_ops::num;
using trace_ops::text;

inline bool isKey(const std::string& line) { return line.rfind("{\"op\":\"KEY\"", 0) == 0; }
inline bool isOp(const std::string& line, const std::string& op) {
  return line.rfind("{\"op\":\"" + op + "\"", 0) == 0;
}
// The first character of a sub-menu's SubMenuLine.
inline bool isSubMenuLine(const std::string& line) {
  return isOp(line, "SYMBOL") && num(line, "x") == 16 && num(line, "y") == 666 &&
         num(line, "colour") == 0;
}
inline bool isWaitAnyKeyBox(const std::string& line) {
  return isOp(line, "LINE") && num(line, "x1") == 96 && num(line, "y1") == 657 &&
         num(line, "x2") == 400 && num(line, "fill") == 4;
}

inline std::string repeat(const std::string& key, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += key + " ";
  return s;
}

// What a screen drew from the key that entered it (the `enterKey`-th key of
// the run) until its sub-menu line was drawn again, and the keys it took.
struct Visit {
  std::vector<std::string> lines;
  int keys = 0;
  bool ended = false;
};

inline Visit visitFrom(const std::vector<std::string>& trace, int enterKey) {
  Visit v;
  int seen = 0;
  for (const std::string& line : trace) {
    if (isKey(line)) {
      ++seen;
      if (seen > enterKey) ++v.keys;
      if (seen <= enterKey) continue;
    }
    if (seen < enterKey) continue;
    if (isSubMenuLine(line)) {
      v.ended = true;
      break;
    }
    v.lines.push_back(line);
  }
  return v;
}

// The texts of the SYMBOLs that follow line i, up to the next other op.
inline std::string textAfter(const std::vector<std::string>& lines, size_t i) {
  std::string s;
  for (++i; i < lines.size() && isOp(lines[i], "SYMBOL"); ++i) s += text(lines[i], "text");
  return s;
}

// The KEY-free drawing of a visit, to compare two visits. The pen width is
// left out: a screen that sets its width after its first lines draws those
// at the width the screen before it left.
inline std::vector<std::string> drawing(const Visit& v) {
  std::vector<std::string> out;
  for (std::string line : v.lines) {
    if (isKey(line)) continue;
    size_t at = line.find(",\"width\":");
    if (at != std::string::npos) line.erase(at, line.find_first_of(",}", at + 1) - at);
    out.push_back(line);
  }
  return out;
}

inline std::vector<std::string> symbolsAt(const std::vector<std::string>& lines, const std::string& what) {
  std::vector<std::string> out;
  for (const std::string& line : lines)
    if (isOp(line, "SYMBOL") && text(line, "text") == what) out.push_back(line);
  return out;
}

// Two visits of one screen, entered from its chapter's sub-menu (item
// `item` of main-menu item `chapter`) with the same keys each time.
struct TwoVisits {
  int status = -1;
  int taken = 0;  // the keys one visit takes
  int waits = 0;  // the first visit's WaitAnyKey pauses
  Visit first, second;
};

template <class Lessons>
TwoVisits visitTwice(int chapter, int item, const std::string& keys) {
  const std::string choice = std::to_string(item) + " Enter ";
  HeadlessRun run = runHeadless<Lessons>(std::to_string(chapter) + " Enter " + choice + keys + " " +
                                         choice + keys);
  TwoVisits v;
  v.status = run.status;
  v.taken = static_cast<int>(rt::parseKeys(keys).size());
  v.first = visitFrom(run.trace, 4);
  v.second = visitFrom(run.trace, 4 + v.taken + 2);
  for (const std::string& line : v.first.lines) v.waits += isWaitAnyKeyBox(line);
  return v;
}

// Both visits ended at the sub-menu after the keys, the first with `waits`
// WaitAnyKey pauses; with `alike` the second drew the same page.
inline void expectVisits(const TwoVisits& v, int waits, bool alike = true) {
  ASSERT_EQ(v.status, 0);
  EXPECT_TRUE(v.first.ended);
  EXPECT_EQ(v.first.keys, v.taken);
  EXPECT_EQ(v.waits, waits);
  EXPECT_TRUE(v.second.ended);
  if (alike) {
    EXPECT_EQ(drawing(v.second), drawing(v.first));
  }
}

}  // namespace screen_visits
