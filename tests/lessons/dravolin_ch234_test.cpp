// Dravolin's problem pages (chapters 2 to 4), run headless from the main
// menu and read back from the drawing trace.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "lessons/area/lessons.h"
#include "tests/framework/trace_ops.h"
#include "tests/harness.h"

namespace {

using trace_ops::num;
using trace_ops::text;
using Trace = std::vector<std::string>;

bool is(const std::string& line, const std::string& op) {
  return line.rfind("{\"op\":\"" + op + "\"", 0) == 0;
}
bool isFilledBox(const std::string& line) { return is(line, "LINE") && num(line, "form") == 2; }
// The first character of a chapter's sub-menu line at (16, 666).
bool startsSubMenuLine(const std::string& line) {
  return is(line, "SYMBOL") && num(line, "x") == 16 && num(line, "y") == 666;
}
bool isKeyWaitBox(const std::string& line) {
  return isFilledBox(line) && num(line, "x1") == 96 && num(line, "y1") == 657 &&
         num(line, "fill") == 4;
}

struct Screen {
  int chapter, item, waits;
};

std::string keysFor(const Screen& s, int visits = 1) {
  std::string keys = std::to_string(s.chapter) + " Enter ";
  for (int v = 0; v < visits; ++v) {
    keys += std::to_string(s.item) + " Enter ";
    for (int k = 0; k < s.waits; ++k) keys += "Space ";
  }
  return keys;
}

// The trace cut at every start of the sub-menu line: each piece is a prompt
// and the screen it opened. KEY events are dropped.
std::vector<Trace> visits(const Trace& trace) {
  std::vector<Trace> out;
  for (const std::string& line : trace) {
    if (startsSubMenuLine(line)) out.emplace_back();
    if (!out.empty() && !is(line, "KEY")) out.back().push_back(line);
  }
  return out;
}

// A piece of trace after the screen's page clear (the clear itself is drawn
// at the pen width the screen before left, 3 after start-up).
Trace fromPageClear(const Trace& piece) {
  for (size_t i = 0; i < piece.size(); ++i)
    if (isFilledBox(piece[i]) && num(piece[i], "x1") == 0 && num(piece[i], "y1") == 0 &&
        num(piece[i], "x2") == 1760 && num(piece[i], "fill") == 15)
      return Trace(piece.begin() + i + 1, piece.end());
  return {};
}

// A filled box, the glyphs drawn into it right after it and their colours.
struct Box {
  double x, y, w, h;
  std::string text;
  std::vector<double> colours;
};

// The box drawn by trace line i, with its glyphs.
Box boxAt(const Trace& t, size_t i) {
  const std::string& l = t[i];
  Box b{
      num(l, "x1"), num(l, "y1"), num(l, "x2") - num(l, "x1"), num(l, "y2") - num(l, "y1"), "", {}};
  for (size_t j = i + 1; j < t.size(); ++j) {
    if (is(t[j], "LINE") && num(t[j], "form") == 0) continue;  // strokes of a sign
    if (!is(t[j], "SYMBOL") || num(t[j], "x") >= b.x + b.w || num(t[j], "y") >= b.y + b.h) break;
    b.text += text(t[j], "text");
    b.colours.push_back(num(t[j], "colour"));
  }
  return b;
}

bool isBox(const std::string& l, int border, int fill) {
  return isFilledBox(l) && num(l, "colour") == border && num(l, "fill") == fill;
}

// The boxes of a piece of trace with the border and fill given (an answer
// box's 3 and 13 unless told).
std::vector<Box> answerBoxes(const Trace& t, int border = 3, int fill = 13) {
  std::vector<Box> out;
  for (size_t i = 0; i < t.size(); ++i)
    if (isBox(t[i], border, fill)) out.push_back(boxAt(t, i));
  return out;
}

const Screen kScreens[] = {
    {2, 1, 7}, {2, 2, 5}, {2, 3, 3}, {2, 4, 3},  {3, 1, 4},  {3, 2, 0}, {3, 3, 4},
    {3, 4, 3}, {3, 5, 1}, {3, 6, 2}, {4, 1, 17}, {4, 2, 13}, {4, 3, 6}, {4, 4, 7},
};

// ---- every screen: its key waits, back at its prompt, a second visit alike ----

TEST(DravolinProblemPages, TakeTheirKeysEndAtThePromptAndRepeatExactly) {
  for (const Screen& s : kScreens) {
    SCOPED_TRACE("chapter " + std::to_string(s.chapter) + " item " + std::to_string(s.item));
    HeadlessRun run = runHeadless<AreaLessons>(keysFor(s, 2));
    ASSERT_EQ(run.status, 0);
    std::vector<Trace> v = visits(run.trace);
    // The first prompt, two visits, and the prompt that waits after them.
    ASSERT_EQ(v.size(), 3u);
    int waits = 0;
    for (const std::string& line : v[0]) waits += isKeyWaitBox(line);
    EXPECT_EQ(waits, s.waits);
    const Trace first = fromPageClear(v[0]);
    EXPECT_FALSE(first.empty());
    EXPECT_TRUE(fromPageClear(v[1]) == first);
  }
}

// ---- the problem-page heading: title box and number badge ----

struct Heading {
  int chapter, item;
  double titleX;
  std::string page;
  std::vector<Box> badges;  // x, y and number of each badge, in order
};

TEST(DravolinProblemPages, DrawTheirTitleBoxAndNumberBadges) {
  const std::string basic = "P155基本の問題", a = "P156章の問題A", b = "P157章の問題B";
  const Heading headings[] = {
      {2, 1, 38, basic, {{464, 30, 0, 0, "1", {}}}},
      {2, 2, 38, basic, {{464, 30, 0, 0, "2", {}}}},
      {2, 3, 38, basic, {{464, 30, 0, 0, "3", {}}}},
      {2, 4, 114, basic, {{540, 30, 0, 0, "4", {}}}},
      {3, 1, 38, a, {{38, 80, 0, 0, "1", {}}, {608, 30, 0, 0, "2", {}}}},
      {3, 2, 38, a, {{464, 30, 0, 0, "3", {}}}},
      {3, 3, 38, a, {{464, 30, 0, 0, "4", {}}}},
      {3, 4, 38, a, {{464, 30, 0, 0, "5", {}}}},
      {3, 5, 38, a, {{38, 100, 0, 0, "6", {}}}},
      {3, 6, 40, a, {{456, 30, 0, 0, "7", {}}}},
      {4, 1, 40, b, {{456, 30, 0, 0, "1", {}}}},
      {4, 2, 40, b, {{456, 30, 0, 0, "2", {}}}},
      {4, 3, 40, b, {{456, 30, 0, 0, "3", {}}}},
      {4, 4, 40, b, {{456, 30, 0, 0, "4", {}}}},
  };
  for (size_t i = 0; i < std::size(headings); ++i) {
    const Heading& h = headings[i];
    SCOPED_TRACE("chapter " + std::to_string(h.chapter) + " item " + std::to_string(h.item));
    ASSERT_EQ(kScreens[i].chapter, h.chapter);
    HeadlessRun run = runHeadless<AreaLessons>(keysFor(kScreens[i]));
    const Trace screen = visits(run.trace).at(0);
    std::vector<Box> titles;
    for (const Box& box : answerBoxes(screen))
      if (box.w == 396) titles.push_back(box);
    ASSERT_EQ(titles.size(), 1u);
    EXPECT_EQ(titles[0].x, h.titleX);
    EXPECT_EQ(titles[0].y, 30);
    EXPECT_EQ(titles[0].h, 44);
    EXPECT_EQ(titles[0].text, h.page);
    for (double c : titles[0].colours) EXPECT_EQ(c, 0);
    std::vector<Box> badges = answerBoxes(screen, 4, 3);
    ASSERT_EQ(badges.size(), h.badges.size());
    for (size_t k = 0; k < badges.size(); ++k) {
      EXPECT_EQ(badges[k].x, h.badges[k].x);
      EXPECT_EQ(badges[k].y, h.badges[k].y);
      EXPECT_EQ(badges[k].w, 44);
      EXPECT_EQ(badges[k].h, 44);
      EXPECT_EQ(badges[k].text, h.badges[k].text);
      EXPECT_EQ(badges[k].colours, std::vector<double>{13});
    }
  }
}

// ---- boxed proofs: each reveal covers its placeholder, answers in colour 5 ----

struct Proof {
  Screen screen;
  int firstReveal;  // the key whose step reveals box 1 (four keys open the screen)
  std::vector<std::string> answers;
};

TEST(DravolinProblemPages, RevealEveryAnswerOverItsPlaceholderInColour5) {
  const Proof proofs[] = {
      {kScreens[1], 5, {"BC", "BC", "EF", "EF", "1組の対辺が平行でその長さが等しい"}},
      {kScreens[6], 5, {"∠CAP", "AC", "AP", "2組の辺とその間の角"}},
      // AE+AD: the plus sign is strokes, not a glyph.
      {kScreens[11],
       9,
       {"90°", "CA", "∠CAE", "∠CAE", "∠ECA", "直角三角形で、斜辺と1つの鋭角それぞれ等しい", "AE",
        "CE", "AEAD"}},
      {kScreens[12], 5, {"∠DAE", "∠BEA", "∠BEA", "BE", "DC", "BE"}},
      {kScreens[13],
       6,
       {"対角線がそれぞれの中点で交わる", "FC", "FC", "DB", "FC",
        "１組の対辺が平行でその長さが等しい"}},
  };
  for (const Proof& p : proofs) {
    SCOPED_TRACE("chapter " + std::to_string(p.screen.chapter) + " item " +
                 std::to_string(p.screen.item));
    HeadlessRun run = runHeadless<AreaLessons>(keysFor(p.screen));
    ASSERT_EQ(run.status, 0);
    std::vector<Box> placeholders;
    for (const Box& box : answerBoxes(afterKey(run.trace, p.firstReveal - 1)))
      if (box.h == 48) placeholders.push_back(box);
    ASSERT_EQ(placeholders.size(), p.answers.size());
    for (size_t k = 0; k < p.answers.size(); ++k) {
      SCOPED_TRACE("box " + std::to_string(k + 1));
      EXPECT_EQ(placeholders[k].colours, std::vector<double>{5});
      std::vector<Box> reveal = answerBoxes(afterKey(run.trace, p.firstReveal + int(k)));
      ASSERT_FALSE(reveal.empty());
      EXPECT_EQ(reveal[0].x, placeholders[k].x);
      EXPECT_EQ(reveal[0].y, placeholders[k].y);
      EXPECT_EQ(reveal[0].w, placeholders[k].w);
      EXPECT_EQ(reveal[0].h, 48);
      EXPECT_EQ(reveal[0].text, p.answers[k]);
      for (double c : reveal[0].colours) EXPECT_EQ(c, 5);
    }
  }
}

// ---- points the figures compute: each letter stands where its point lies ----

struct ComputedPoint {
  Screen screen;
  const char* letter;
  double x, y;  // the letter's top-left: the point plus its offset
};

TEST(DravolinProblemPages, PlaceTheLettersOfComputedPoints) {
  const ComputedPoint points[] = {
      {kScreens[3], "O", 890 - 14, 310 + 20},                     // AC and BD crossing
      {kScreens[4], "F", 960 - 15, 520 + 10},                     // BD and CE crossing
      {kScreens[10], "D", 741.8 - 14, 344.6 - 50},                // on the ray at 24 degrees
      {kScreens[10], "E", 933.7 - 14, 430 + 10},                  // B mirrored in D's vertical
      {kScreens[11], "D", 672.9 - 14, 201.8 - 50},                // foot from B on l
      {kScreens[11], "E", 1068.2 - 14, 102.9 - 50},               // foot from C on l
      {kScreens[11], "l", 1170.1 - 30, 77.5 - 50},                // l's end, 1.5 units past E
      {kScreens[12], "E", 810 + 50 * std::sqrt(20.0) - 14, 310},  // BE = BA
  };
  for (const ComputedPoint& p : points) {
    SCOPED_TRACE(std::string(p.letter) + " of chapter " + std::to_string(p.screen.chapter) +
                 " item " + std::to_string(p.screen.item));
    HeadlessRun run = runHeadless<AreaLessons>(keysFor(p.screen));
    const std::vector<Trace> pieces = visits(run.trace);
    int found = 0;
    for (const std::string& line : pieces.at(0)) {
      if (!is(line, "SYMBOL") || text(line, "text") != p.letter) continue;
      if (std::fabs(num(line, "x") - p.x) < 0.1 && std::fabs(num(line, "y") - p.y) < 0.1) ++found;
    }
    EXPECT_EQ(found, 1);
  }
}

// ---- random keys reach every problem page ----

// Keys that move through Dravolin's menus: item numbers, Enter and spaces,
// with a few out-of-range numbers and entry edits. Without a "7" the main
// menu never ends the program, so one run takes every key.
TEST(DravolinProblemPages, RandomMenuKeysReachEveryProblemWithoutAnError) {
  static const std::vector<std::string> pool = {
      "1",     "2",     "3",     "4",     "5",     "6",     "2",         "3",     "4",
      "Enter", "Enter", "Enter", "Enter", "Enter", "Enter", "Space",     "Space", "Space",
      "Space", "Space", "Space", "Space", "0",     "9",     "Backspace",
  };
  std::set<std::string> reached;
  for (uint32_t seed : {31u, 32u}) {
    SCOPED_TRACE(seed);
    std::mt19937 gen(seed);
    std::uniform_int_distribution<size_t> pick(0, pool.size() - 1);
    std::string script;
    for (int i = 0; i < 3000; ++i) script += pool[pick(gen)] + " ";
    HeadlessRun run = runHeadless<AreaLessons>(script, seed);
    ASSERT_EQ(run.status, 0);
    // Each badge, under the title box drawn last before it.
    std::string page;
    for (size_t i = 0; i < run.trace.size(); ++i) {
      if (isBox(run.trace[i], 3, 13) && num(run.trace[i], "x2") - num(run.trace[i], "x1") == 396)
        page = boxAt(run.trace, i).text;
      if (isBox(run.trace[i], 4, 3)) reached.insert(page + " " + boxAt(run.trace, i).text);
    }
  }
  std::set<std::string> all;
  for (int n = 1; n <= 4; ++n) all.insert("P155基本の問題 " + std::to_string(n));
  for (int n = 1; n <= 7; ++n) all.insert("P156章の問題A " + std::to_string(n));
  for (int n = 1; n <= 4; ++n) all.insert("P157章の問題B " + std::to_string(n));
  EXPECT_EQ(reached, all);
}

}  // namespace
