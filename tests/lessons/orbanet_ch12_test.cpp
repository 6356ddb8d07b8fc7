// Orbanet's chapters 1 and 2 run headless from the main menu: the menus and
// goal screens, each screen's pacing, its lines, answer boxes and marks, and
// the crossed tapes turned both ways past both ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "lessons/special_parallelograms/lessons.h"
#include "tests/framework/text_trace.h"
#include "tests/harness.h"

namespace {

using Trace = std::vector<std::string>;
using texttrace::field;

double num(const std::string& line, const std::string& key) { return std::stod(field(line, key)); }
bool is(const std::string& line, const char* op) { return field(line, "op") == op; }
bool near(double a, double b, double tol = 0.05) { return std::fabs(a - b) <= tol; }

std::string repeat(const std::string& key, int n) {
  std::string out;
  for (int k = 0; k < n; ++k) out += " " + key;
  return out;
}

// The keys that open screen `item` of chapter `chapter` from the main menu,
// then `rest`.
std::string screenKeys(int chapter, int item, const std::string& rest) {
  return std::to_string(chapter) + " Enter " + std::to_string(item) + " Enter" + rest;
}

const HeadlessRun& run(const std::string& keys) {
  static std::map<std::string, HeadlessRun> runs;
  auto it = runs.find(keys);
  if (it == runs.end()) it = runs.emplace(keys, runHeadless<SpecialLessons>(keys)).first;
  return it->second;
}

// What step `step` of a screen drew: the opening keys are four.
Trace stepOf(const Trace& t, int step) { return afterKey(t, 3 + step); }

bool isWaitBox(const std::string& l) {
  return is(l, "LINE") && num(l, "x1") == 96 && num(l, "y1") == 657 && num(l, "form") == 2 &&
         num(l, "fill") == 4;
}
bool isSubMenuLine(const std::string& l) {
  return is(l, "SYMBOL") && num(l, "x") == 16 && num(l, "y") == 666;
}
bool isMainMenuHeading(const std::string& l) {
  return is(l, "SYMBOL") && num(l, "x") == 264 && num(l, "y") == 30;
}
bool isGoalHeading(const std::string& l) {
  return is(l, "SYMBOL") && num(l, "x") == 44 && num(l, "y") == 240 && field(l, "text") == "<";
}
template <class Pred>
int countIf(const Trace& t, Pred pred) {
  int n = 0;
  for (const std::string& l : t) n += pred(l);
  return n;
}

using Points = std::vector<std::pair<double, double>>;
Points points(const std::string& connect) {
  Points out;
  std::string s = field(connect, "points");
  for (size_t p = s.find("[", 1); p != std::string::npos; p = s.find("[", p + 1)) {
    size_t comma = s.find(',', p);
    out.emplace_back(std::stod(s.substr(p + 1)), std::stod(s.substr(comma + 1)));
  }
  return out;
}

// A line (either way round) or an open polyline through the given points.
bool hasLine(const Trace& t, double x1, double y1, double x2, double y2, int colour,
             double tol = 0.6) {
  for (const std::string& l : t) {
    if (!is(l, "LINE") || num(l, "form") != 0 || num(l, "colour") != colour) continue;
    const double a = num(l, "x1"), b = num(l, "y1"), c = num(l, "x2"), d = num(l, "y2");
    if ((near(a, x1, tol) && near(b, y1, tol) && near(c, x2, tol) && near(d, y2, tol)) ||
        (near(a, x2, tol) && near(b, y2, tol) && near(c, x1, tol) && near(d, y1, tol)))
      return true;
  }
  return false;
}
bool hasPolyline(const Trace& t, const Points& want, int colour, bool filled = false) {
  for (const std::string& l : t) {
    if (!is(l, "CONNECT") || num(l, "colour") != colour || (field(l, "filled") == "true") != filled)
      continue;
    Points got = points(l);
    if (got.size() != want.size()) continue;
    bool same = true;
    for (size_t i = 0; i < got.size(); ++i)
      same = same && near(got[i].first, want[i].first, 0.6) &&
             near(got[i].second, want[i].second, 0.6);
    if (same) return true;
  }
  return false;
}

// The first glyph drawn at (x, y): its text and colour, "" when none.
std::string glyphAt(const Trace& t, double x, double y) {
  for (const std::string& l : t)
    if (is(l, "SYMBOL") && near(num(l, "x"), x, 0.01) && near(num(l, "y"), y, 0.01))
      return field(l, "text") + "/" + field(l, "colour");
  return "";
}

// ---- menus and goal screens ----

TEST(OrbanetMenus, GoalScreensOnceAtEachEntryAndTheSubMenusRangeChecks) {
  struct Case {
    std::string keys;
    int goals, subMenus, mainMenus;
  };
  for (const Case& c : {
           // Chapter 1: 0, 7 and an empty entry show the prompt again; 6 leaves.
           Case{"1 Enter 0 Enter 7 Enter Enter 6 Enter", 1, 4, 2},
           // Chapter 2: 12 is refused, 11 leaves, and entering again shows
           // the goal again.
           Case{"2 Enter 1 2 Enter 1 1 Enter 2 Enter", 2, 3, 2},
           // Main-menu item 4 draws the main menu again at once.
           Case{"4 Enter", 0, 0, 2},
       }) {
    SCOPED_TRACE(c.keys);
    const HeadlessRun& r = run(c.keys);
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(countIf(r.trace, isGoalHeading), c.goals);
    EXPECT_EQ(countIf(r.trace, isSubMenuLine), c.subMenus);
    EXPECT_EQ(countIf(r.trace, isMainMenuHeading), c.mainMenus);
  }
}

// Item 10 of chapter 2 opens its screen on a cleared page.
TEST(OrbanetMenus, Chapter2AcceptsItsTenthItem) {
  const HeadlessRun& r = run("2 Enter 1 0 Enter");
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(countIf(afterKey(r.trace, 5), [](const std::string& l) {
              return is(l, "LINE") && num(l, "form") == 2 && num(l, "x1") == 0 &&
                     num(l, "y1") == 0 && num(l, "x2") == 1600;
            }),
            1);
}

TEST(OrbanetMenus, GoalScreensClearTheWidePageAndWriteTheirGoal) {
  for (auto [chapter, goal] : {std::pair{1, "長"}, std::pair{2, "長"}}) {
    const HeadlessRun& r = run(std::to_string(chapter) + " Enter");
    Trace t = afterKey(r.trace, 2);
    ASSERT_FALSE(t.empty());
    bool wideClear = false;
    for (const std::string& l : t)
      wideClear = wideClear || (is(l, "LINE") && num(l, "form") == 2 && num(l, "x1") == 0 &&
                                num(l, "y1") == 0 && num(l, "x2") == 1760 && num(l, "y2") == 1800);
    EXPECT_TRUE(wideClear);
    EXPECT_EQ(glyphAt(t, 44, 240), "</3");
    EXPECT_EQ(glyphAt(t, 44, 305), std::string(goal) + "/0");
  }
}

TEST(OrbanetMenus, TheSubMenuLineOfChapter2EndsInsideTheErasedBand) {
  const HeadlessRun& r = run("2 Enter");
  double right = 0;
  for (const std::string& l : r.trace)
    if (is(l, "SYMBOL") && num(l, "y") == 666 && num(l, "x") < 992)
      right = std::max(right, num(l, "x") + 16);
  EXPECT_EQ(right, 960);
}

// ---- every screen: its key waits, then its chapter's prompt ----

struct Screen {
  int chapter, item;
  std::string keys;  // the keys the screen takes
  int waits;         // WaitAnyKey pauses among them
};
const Screen kScreens[] = {
    {1, 1, " Space 1" + repeat("Space", 4), 5},
    {1, 2, repeat("Space", 3), 3},
    {1, 3, repeat("Space", 5), 5},
    {1, 4, repeat("Space", 5), 5},
    {1, 5, repeat("Space", 4), 4},
    {2, 1, repeat("Space", 7), 7},
    {2, 2, repeat("Space", 9), 9},
    {2, 3, repeat("Space", 19), 19},
    {2, 4, repeat("Space", 9), 9},
    {2, 5, repeat("Space", 1), 1},
};

TEST(OrbanetCh12Screens, EachScreenWaitsOncePerStepThenShowsItsMenuAgain) {
  for (const Screen& s : kScreens) {
    SCOPED_TRACE(std::to_string(s.chapter) + "-" + std::to_string(s.item));
    const HeadlessRun& r = run(screenKeys(s.chapter, s.item, s.keys));
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(countIf(r.trace, isWaitBox), s.waits);
    EXPECT_EQ(countIf(r.trace, isSubMenuLine), 2);
    const int keys = static_cast<int>(rt::parseKeys(s.keys).size());
    EXPECT_GT(countIf(afterKey(r.trace, 4 + keys), isSubMenuLine), 0);
  }
}

TEST(OrbanetCh12Screens, ASecondVisitDrawsTheSamePage) {
  for (const Screen& s : kScreens) {
    SCOPED_TRACE(std::to_string(s.chapter) + "-" + std::to_string(s.item));
    const std::string once = screenKeys(s.chapter, s.item, s.keys);
    const HeadlessRun& r = run(once + " " + std::to_string(s.item) + " Enter" + s.keys);
    ASSERT_EQ(r.status, 0);
    const int keys = static_cast<int>(rt::parseKeys(s.keys).size());
    // Each visit from the key that chose it to its last key. The erasing
    // boxes and the entry's cursor before the page clear take the pen width
    // the last screen left, so filled shapes are compared without it.
    auto visit = [&](int first) {
      Trace out;
      for (int k = first; k <= first + keys; ++k)
        for (std::string l : afterKey(r.trace, k)) {
          if (field(l, "form") == "2" || field(l, "filled") == "true")
            l = l.substr(0, l.find(",\"width\""));
          out.push_back(l);
        }
      return out;
    };
    EXPECT_EQ(visit(4), visit(6 + keys));
  }
}

TEST(OrbanetCh12Screens, AFullTourEndsAtTheMainMenu) {
  std::string keys = "1 Enter";
  for (const Screen& s : kScreens) {
    if (s.chapter == 2 && s.item == 1) keys += " 6 Enter 2 Enter";
    keys += " " + std::to_string(s.item) + " Enter" + s.keys;
  }
  keys += " 1 1 Enter 5 Enter";
  const HeadlessRun& r = run(keys);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(countIf(r.trace, [](const std::string& l) { return is(l, "KEY"); }),
            static_cast<int>(rt::parseKeys(keys).size()));
  EXPECT_EQ(countIf(r.trace, isMainMenuHeading), 3);
}

// ---- the lines: first glyph and colour at their place, in their step ----

struct Line {
  int chapter, item, step;
  double x, y;
  const char* glyph;  // "教/7": the text and the colour
};
const Line kLines[] = {
    {1, 1, 1, 38, 30, "教/3"},        {1, 1, 3, 38, 80, "長/3"},
    {1, 1, 5, 38, 180, "正/3"},       {1, 1, 6, 38, 250, "「/5"},
    {1, 1, 6, 38, 350, "定/0"},       {1, 2, 2, 38, 30, "</5"},
    {1, 2, 2, 38, 130, "∠/0"},        {1, 2, 3, 38, 200, "</5"},
    {1, 2, 4, 38, 370, "</5"},        {1, 2, 4, 38, 570, "A/0"},
    {1, 3, 1, 38, 30, "例/3"},        {1, 3, 1, 38, 130, "</3"},
    {1, 3, 2, 38, 295, "①/0"},        {1, 3, 2, 38, 400, "長/0"},
    {1, 3, 6, 160, 620, "教/7"},      {1, 4, 1, 38, 30, "問/3"},
    {1, 4, 6, 38, 480, "正/3"},       {1, 5, 1, 38, 30, "長/3"},
    {1, 5, 1, 38, 160, "平/5"},       {1, 5, 1, 872, 198, "平/13"},
    {1, 5, 1, 872, 369, "正/15"},     {1, 5, 2, 38, 320, "正/5"},
    {1, 5, 3, 38, 30, "</3"},         {1, 5, 3, 970, 504, "O/0"},
    {1, 5, 4, 38, 200, "</3"},        {1, 5, 5, 38, 370, "</3"},
    {1, 5, 5, 38, 520, "正/5"},       {2, 1, 1, 38, 30, "問/0"},
    {2, 1, 3, 38, 505, "合/0"},       {2, 1, 8, 160, 600, "教/7"},
    {2, 2, 1, 965, 259, "O/0"},       {2, 2, 3, 38, 560, "∠/0"},
    {2, 3, 1, 38, 30, "対/3"},        {2, 3, 10, 38, 580, "よ/0"},
    {2, 3, 11, 38, 30, "対/3"},       {2, 3, 12, 906, 309, "O/3"},
    {2, 3, 19, 38, 580, "よ/0"},      {2, 4, 2, 1026, 250, "M/0"},
    {2, 4, 3, 38, 100, "</3"},        {2, 4, 6, 38, 500, "し/0"},
    {2, 4, 10, 160, 600, "教/7"},     {2, 5, 1, 38, 30, "問/3"},
    {2, 5, 2, 608, 30, "問/3"},       {2, 5, 2, 608, 130, "対/0"},
};

TEST(OrbanetCh12Screens, LinesStandWhereAndInTheColourTheirStepGives) {
  for (const Line& l : kLines) {
    SCOPED_TRACE(std::to_string(l.chapter) + "-" + std::to_string(l.item) + " step " +
                 std::to_string(l.step) + " at " + std::to_string(l.y));
    const Screen* s = nullptr;
    for (const Screen& c : kScreens)
      if (c.chapter == l.chapter && c.item == l.item) s = &c;
    const HeadlessRun& r = run(screenKeys(l.chapter, l.item, s->keys));
    // The tapes' exploration takes two keys between step 2 and step 3.
    const int step = l.chapter == 1 && l.item == 1 && l.step > 2 ? l.step + 1 : l.step;
    EXPECT_EQ(glyphAt(stepOf(r.trace, step), l.x, l.y), l.glyph);
  }
}

// The last step's line of question 3's converses ends its line, in colour 0.
TEST(OrbanetCh12Screens, TheConversesCloseOnTheLastLineItself) {
  const HeadlessRun& r = run(screenKeys(2, 3, repeat("Space", 19)));
  std::string first;
  for (const std::string& l : stepOf(r.trace, 20))
    if (first.empty() && is(l, "SYMBOL")) first = l;
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(field(first, "text"), "教");
  EXPECT_EQ(num(first, "y"), 580);
  EXPECT_EQ(num(first, "colour"), 0);
}

// ---- answer boxes: drawn with their placeholders, revealed in place ----

struct Proof {
  int chapter, item, boxStep;
  std::vector<std::pair<const char*, const char*>> boxes;  // placeholder, answer as drawn
  std::vector<double> widths;
};
const Proof kProofs[] = {
    {1, 3, 2, {{"ア", "∠C"}, {"イ", "∠D"}, {"ウ", "2組の対角がそれぞれ等しい"}}, {114, 114, 456}},
    {1, 4, 2, {{"ア", "CD"}, {"イ", "DA"}, {"ウ", "2組の対辺がそれぞれ等しい"}}, {114, 114, 570}},
    {2, 1, 3, {{"ア", "DC"}, {"イ", "∠DCB"}, {"ウ", "CB"}, {"エ", "2組の辺とその間の角"}},
     {76, 152, 76, 380}},
    {2,
     2,
     3,
     {{"ア", "DO"}, {"イ", "AD"}, {"ウ", "AO"}, {"エ", "3組の辺"}, {"オ", "∠AOD"},
      {"カ", "180°"}, {"キ", "90°"}},
     {76, 76, 76, 152, 152, 152, 114}},
    {2, 4, 6, {{"ア", "AC"}, {"イ", "BD"}, {"ウ", "BD"}}, {76, 76, 76}},
};

// The answer boxes of a step in order: rectangle and the glyphs inside it.
struct DrawnBox {
  double x1, y1, x2, y2;
  std::string text;
  int textColour;
};
std::vector<DrawnBox> boxesIn(const Trace& t) {
  std::vector<DrawnBox> out;
  for (const std::string& l : t) {
    if (is(l, "LINE") && num(l, "form") == 2 && num(l, "colour") == 3 && num(l, "fill") == 13) {
      out.push_back({num(l, "x1"), num(l, "y1"), num(l, "x2"), num(l, "y2"), "", -1});
    } else if (!out.empty() && is(l, "SYMBOL") && num(l, "x") >= out.back().x1 &&
               num(l, "x") < out.back().x2 && num(l, "y") >= out.back().y1 &&
               num(l, "y") < out.back().y2) {
      out.back().text += field(l, "text");
      out.back().textColour = static_cast<int>(num(l, "colour"));
    }
  }
  return out;
}

TEST(OrbanetCh12Screens, EachRevealRedrawsOnlyItsOwnBoxInPlace) {
  for (const Proof& p : kProofs) {
    SCOPED_TRACE(std::to_string(p.chapter) + "-" + std::to_string(p.item));
    const Screen* s = nullptr;
    for (const Screen& c : kScreens)
      if (c.chapter == p.chapter && c.item == p.item) s = &c;
    const HeadlessRun& r = run(screenKeys(p.chapter, p.item, s->keys));
    std::vector<DrawnBox> drawn = boxesIn(stepOf(r.trace, p.boxStep));
    ASSERT_EQ(drawn.size(), p.boxes.size());
    for (size_t k = 0; k < drawn.size(); ++k) {
      SCOPED_TRACE(p.boxes[k].second);
      EXPECT_EQ(drawn[k].text, p.boxes[k].first);
      EXPECT_EQ(drawn[k].textColour, 5);
      EXPECT_EQ(drawn[k].x2 - drawn[k].x1, p.widths[k]);
      EXPECT_EQ(drawn[k].y2 - drawn[k].y1, 48);
      std::vector<DrawnBox> reveal = boxesIn(stepOf(r.trace, p.boxStep + 1 + static_cast<int>(k)));
      ASSERT_EQ(reveal.size(), 1u);
      EXPECT_EQ(reveal[0].x1, drawn[k].x1);
      EXPECT_EQ(reveal[0].y1, drawn[k].y1);
      EXPECT_EQ(reveal[0].x2, drawn[k].x2);
      EXPECT_EQ(reveal[0].text, p.boxes[k].second);
      EXPECT_EQ(reveal[0].textColour, 5);
    }
  }
}

TEST(OrbanetCh12Screens, BoxesThatOpenTheirLineStandAtTheMargin) {
  // Example 1's third box opens the line at y 350; question 4's boxes follow
  // their fractions on the lines at y 215 and 280.
  std::vector<DrawnBox> rect = boxesIn(stepOf(run(screenKeys(1, 3, kScreens[2].keys)).trace, 2));
  ASSERT_EQ(rect.size(), 3u);
  EXPECT_EQ(rect[2].x1, 38);
  EXPECT_EQ(rect[2].y1, 348);
  std::vector<DrawnBox> q4 = boxesIn(stepOf(run(screenKeys(2, 4, kScreens[8].keys)).trace, 6));
  ASSERT_EQ(q4.size(), 3u);
  EXPECT_EQ(q4[0].y1, 213);
  EXPECT_EQ(q4[1].y1, 278);
  EXPECT_EQ(q4[2].y1, 393);
}

// ---- marks: where each screen puts them, in their colours ----

TEST(OrbanetCh12Screens, MarksStandWhereTheirScreensPutThem) {
  // Example 1: the right angle at A, the double heads on AB, the head on AD.
  Trace rect = stepOf(run(screenKeys(1, 3, kScreens[2].keys)).trace, 1);
  EXPECT_TRUE(hasPolyline(rect, {{870, 240}, {870, 270}, {840, 270}}, 3));
  EXPECT_TRUE(hasLine(rect, 830, 316, 840, 336, 5));
  EXPECT_TRUE(hasLine(rect, 850, 316, 840, 336, 5));
  EXPECT_TRUE(hasLine(rect, 830, 332, 840, 352, 5));
  EXPECT_TRUE(hasLine(rect, 996, 230, 1016, 240, 5));
  EXPECT_TRUE(hasLine(rect, 996, 250, 1016, 240, 5));
  // Question 1: the tick on AB, the tip of the head on AD.
  Trace rhombus = stepOf(run(screenKeys(1, 4, kScreens[3].keys)).trace, 1);
  EXPECT_TRUE(hasLine(rhombus, 884, 295, 866, 259, 3, 1.0));
  bool tipOnAD = false;
  for (const std::string& l : rhombus)
    tipOnAD = tipOnAD || (is(l, "LINE") && num(l, "colour") == 5 && near(num(l, "x2"), 1124, 1) &&
                          near(num(l, "y2"), 297, 1));
  EXPECT_TRUE(tipOnAD);
  // Question 5 (2): the right angle at the kite's crossing.
  Trace kite = stepOf(run(screenKeys(2, 5, kScreens[9].keys)).trace, 2);
  EXPECT_TRUE(hasPolyline(kite, {{858, 390}, {858, 350}, {818, 350}}, 3));
}

// The marks a step adds, counted by kind and colour.
struct Marks {
  int chapter, item, step;
  const char* kind;  // "line" ticks and arrow strokes, "corner" right angles,
                     // "arc", "sector" (its fill colour), "shade" (its fill)
  int colour, count;
};
const Marks kMarks[] = {
    {2, 1, 1, "corner", 3, 4}, {2, 1, 1, "line", 5, 2},   {2, 1, 2, "shade", 13, 1},
    {2, 1, 2, "corner", 3, 4}, {2, 1, 4, "line", 3, 1},   {2, 1, 5, "line", 3, 2},
    {2, 2, 1, "line", 3, 4},   {2, 2, 1, "corner", 5, 1}, {2, 2, 2, "shade", 11, 1},
    {2, 2, 3, "sector", 7, 1}, {2, 2, 6, "line", 3, 3},   {2, 2, 8, "sector", 7, 1},
    {2, 2, 10, "corner", 5, 1}, {2, 3, 7, "arc", 5, 2},   {2, 3, 8, "arc", 5, 2},
    {2, 3, 12, "shade", 11, 1}, {2, 3, 17, "line", 5, 2}, {2, 3, 18, "line", 5, 2},
    {2, 4, 2, "line", 3, 2},   {2, 4, 3, "line", 5, 1},   {2, 4, 4, "corner", 3, 4},
    {2, 4, 7, "line", 5, 1},   {2, 5, 2, "corner", 3, 1}, {1, 5, 4, "arc", 3, 6},
};

TEST(OrbanetCh12Screens, EachStepAddsItsMarksInTheirColours) {
  for (const Marks& m : kMarks) {
    SCOPED_TRACE(std::to_string(m.chapter) + "-" + std::to_string(m.item) + " step " +
                 std::to_string(m.step) + " " + m.kind);
    const Screen* s = nullptr;
    for (const Screen& c : kScreens)
      if (c.chapter == m.chapter && c.item == m.item) s = &c;
    Trace t = stepOf(run(screenKeys(m.chapter, m.item, s->keys)).trace, m.step);
    const std::string kind = m.kind;
    EXPECT_EQ(countIf(t,
                      [&](const std::string& l) {
                        const bool filled = field(l, "filled") == "true";
                        if (kind == "line")
                          return is(l, "LINE") && num(l, "form") == 0 && num(l, "colour") == m.colour;
                        if (kind == "corner")
                          return is(l, "CONNECT") && !filled && points(l).size() == 3 &&
                                 num(l, "colour") == m.colour;
                        if (kind == "arc")
                          return is(l, "CIRCLE") && !filled && num(l, "colour") == m.colour;
                        if (kind == "sector")
                          return is(l, "CIRCLE") && filled && num(l, "fill") == m.colour;
                        return is(l, "CONNECT") && filled && num(l, "fill") == m.colour;
                      }),
              m.count);
  }
}

TEST(OrbanetCh12Screens, DefinitionsMarkEachFigureInTheStepOfItsText) {
  const HeadlessRun& r = run(screenKeys(1, 2, kScreens[1].keys));
  auto corners = [](const Trace& t) {
    return countIf(t, [](const std::string& l) {
      return is(l, "CONNECT") && num(l, "colour") == 5 && field(l, "filled") == "false";
    });
  };
  auto ticks = [](const Trace& t) {
    return countIf(t, [](const std::string& l) {
      return is(l, "LINE") && num(l, "form") == 0 && num(l, "colour") == 5;
    });
  };
  const int expected[][2] = {{0, 0}, {4, 0}, {0, 4}, {4, 4}};
  for (int step = 1; step <= 4; ++step) {
    Trace t = stepOf(r.trace, step);
    EXPECT_EQ(corners(t), expected[step - 1][0]) << "step " << step;
    EXPECT_EQ(ticks(t), expected[step - 1][1]) << "step " << step;
  }
  // Step 1 draws the three lettered outlines and no text but the letters.
  for (const std::string& l : stepOf(r.trace, 1))
    if (is(l, "SYMBOL")) {
      EXPECT_NE(num(l, "x"), 38);
    }
}

TEST(OrbanetCh12Screens, PropertiesPaintTheSquareRegionOverTheOverlap) {
  Trace t = stepOf(run(screenKeys(1, 5, kScreens[4].keys)).trace, 1);
  std::vector<std::string> fills;
  for (const std::string& l : t)
    if (is(l, "LINE") && num(l, "form") == 2 && num(l, "fill") != 15 && !isWaitBox(l))
      fills.push_back(field(l, "x1") + "," + field(l, "y1") + "-" + field(l, "x2") + "," +
                      field(l, "y2") + " " + field(l, "colour") + "/" + field(l, "fill"));
  EXPECT_EQ(fills, (std::vector<std::string>{"720,160-1176,540 0/10", "758,274-1100,426 9/12",
                                             "796,350-1138,502 9/6", "796,350-1100,426 9/4"}));
}

// ---- the crossed tapes ----

const std::string kToTapes = "1 Enter 1 Enter Space";

// The filled overlap of the last pass that drew one, or none.
Points lastOverlap(const Trace& t) {
  Points out;
  for (const std::string& l : t)
    if (is(l, "CONNECT") && field(l, "filled") == "true" && num(l, "colour") == 5 &&
        num(l, "fill") == 13)
      out = points(l);
  return out;
}

TEST(OrbanetTapes, TheOverlapIsFilledStrictlyBetween22And158Degrees) {
  const double any = std::nan("");
  struct Case {
    std::string keys;
    bool filled;
    Points corners;  // slots 11 to 14; NaN where no value is checked
  };
  for (const Case& c : {
           Case{"", false, {}},
           Case{repeat("Left", 4), false, {}},
           Case{repeat("Left", 5), true,
                {{1046.04, 285.30}, {768.52, 414.70}, {973.96, 414.70}, {1251.48, 285.30}}},
           Case{repeat("Left", 18), true,
                {{966.59, 285.30}, {966.59, 414.70}, {1053.41, 414.70}, {1053.41, 285.30}}},
           Case{repeat("Left", 18) + " 2", true,
                {{945.30, 285.30}, {945.30, 414.70}, {1074.70, 414.70}, {1074.70, 285.30}}},
           // Equal widths at 25 degrees: two corners beyond the drawn edges.
           Case{" 2" + repeat("Left", 5), true,
                {{any, 285.30}, {718.14, 414.70}, {any, 414.70}, {1301.87, 285.30}}},
           Case{repeat("Left", 31), true, {}},
           Case{repeat("Left", 32), false, {}},
       }) {
    SCOPED_TRACE(c.keys);
    const std::string keys = kToTapes + c.keys;
    const HeadlessRun& r = run(keys);
    ASSERT_EQ(r.status, 0);
    Points got = lastOverlap(afterKey(r.trace, static_cast<int>(rt::parseKeys(keys).size())));
    ASSERT_EQ(got.size(), c.filled ? 5u : 0u);
    if (c.filled) {
      EXPECT_EQ(got.front(), got.back());
    }
    for (size_t i = 0; i < c.corners.size(); ++i) {
      if (!std::isnan(c.corners[i].first)) {
        EXPECT_NEAR(got[i].first, c.corners[i].first, 0.05) << i;
      }
      EXPECT_NEAR(got[i].second, c.corners[i].second, 0.05) << i;
    }
  }
}

TEST(OrbanetTapes, EachPassShowsTheHintAndOnlyOneEndsTheLoop) {
  const std::string keys = kToTapes + " a 4 Enter 1";
  const HeadlessRun& r = run(keys);
  ASSERT_EQ(r.status, 0);
  // The hint's box in the band before every key of the loop.
  const int first = static_cast<int>(rt::parseKeys(kToTapes).size());
  for (int k = first; k < first + 4; ++k) {
    Trace pass = afterKey(r.trace, k);
    EXPECT_EQ(countIf(pass, [](const std::string& l) {
                return is(l, "LINE") && num(l, "form") == 2 && num(l, "x1") == 16 &&
                       num(l, "y1") == 657 && num(l, "x2") == 496 && num(l, "fill") == 4;
              }),
              1)
        << "key " << k;
  }
  // Any key but "1" erases the figure area; "1" erases nothing and waits.
  auto erases = [](const Trace& t) {
    return countIf(t, [](const std::string& l) {
      return is(l, "LINE") && num(l, "form") == 2 && num(l, "x1") == 680 && num(l, "y1") == 50 &&
             num(l, "x2") == 2040 && num(l, "y2") == 700;
    });
  };
  for (int k = first + 1; k <= first + 3; ++k) EXPECT_EQ(erases(afterKey(r.trace, k)), 1);
  Trace afterOne = afterKey(r.trace, first + 4);
  EXPECT_EQ(erases(afterOne), 0);
  EXPECT_EQ(countIf(afterOne, isWaitBox), 1);
}

TEST(OrbanetTapes, AtTheEndsTheTurningTapesArrowsPointAlongTheFixedOnes) {
  // The heads on the turning tape (colour 3 strokes ending on edge 6-5):
  // towards increasing x at 0 degrees, decreasing x at 180 and past it.
  for (auto [keys, towardsRight] : {std::pair{std::string(" Right"), true},
                                    std::pair{repeat("Left", 37), false}}) {
    SCOPED_TRACE(keys);
    const HeadlessRun& r = run(kToTapes + keys);
    Trace pass = afterKey(r.trace, static_cast<int>(rt::parseKeys(kToTapes + keys).size()));
    // The turning tape's upper-edge head is the fifth head drawn: strokes 9, 10.
    std::vector<std::string> strokes;
    for (const std::string& l : pass)
      if (is(l, "LINE") && num(l, "form") == 0 && num(l, "colour") == 3) strokes.push_back(l);
    ASSERT_EQ(strokes.size(), 12u);  // 2 + 2 + 1 + 1 heads
    const std::string& s = strokes[8];
    EXPECT_EQ(num(s, "x2") > num(s, "x1"), towardsRight);
  }
}

TEST(OrbanetTapes, TurningBothWaysPastBothEndsLeavesNoStalePixels) {
  struct Pair {
    std::string longWay, shortWay;
  };
  for (const Pair& p : {
           Pair{kToTapes + repeat("Left", 3) + repeat("Right", 5) + repeat("Left", 40) + " 2" +
                    repeat("Right", 40) + " 3 x 1",
                kToTapes + " 1"},
           Pair{kToTapes + " 2" + repeat("Left", 40) + " 3" + repeat("Right", 22) + " 2 1",
                kToTapes + repeat("Left", 14) + " 2 1"},
       }) {
    HeadlessRun a = runHeadless<SpecialLessons>(p.longWay);
    HeadlessRun b = runHeadless<SpecialLessons>(p.shortWay);
    ASSERT_EQ(a.status, 0);
    ASSERT_EQ(b.status, 0);
    EXPECT_EQ(differingPixels(a, b), 0) << p.longWay;
  }
}

}  // namespace
