// Sindrel's frame, chapters 1 and 2 and the goal screens, run headless from
// the main menu and read back from the drawing trace.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "lessons/parallelograms/lessons.h"
#include "tests/framework/trace_ops.h"
#include "tests/harness.h"
#include "tests/lessons/screen_visits.h"

namespace {

using Trace = std::vector<std::string>;
using trace_ops::num;
using trace_ops::text;
using screen_visits::drawing;
using screen_visits::isOp;
using screen_visits::isSubMenuLine;
using screen_visits::isWaitAnyKeyBox;
using screen_visits::Visit;
using screen_visits::visitFrom;

bool filled(const std::string& l) { return l.find("\"filled\":true") != std::string::npos; }
bool near(double a, double b, double tolerance = 0.05) { return std::fabs(a - b) <= tolerance; }

std::string repeat(const std::string& key, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += " " + key;
  return s;
}

// The glyphs of colour `colour` on the text line at `y`, in drawing order,
// and where the first stands.
struct Row {
  std::string text;
  double x = -1;
};
Row rowOf(const Trace& t, double y, int colour) {
  Row r;
  for (const std::string& l : t) {
    if (!isOp(l, "SYMBOL") || !near(num(l, "y"), y, 0.01) || num(l, "colour") != colour) continue;
    if (r.text.empty()) r.x = num(l, "x");
    r.text += text(l, "text");
  }
  return r;
}

// A half-width blank takes a place but draws nothing.
std::string withoutBlanks(std::string s) {
  for (size_t at; (at = s.find(' ')) != std::string::npos;) s.erase(at, 1);
  return s;
}

// The texts drawn into the answer boxes (border 3, fill 13) of width `haba`
// on the text line at `y`, placeholders and answers in drawing order.
std::vector<std::string> boxTexts(const Trace& t, double y, double haba) {
  std::vector<std::string> out;
  for (size_t i = 0; i < t.size(); ++i) {
    const std::string& l = t[i];
    if (!isOp(l, "LINE") || num(l, "form") != 2 || num(l, "colour") != 3 || num(l, "fill") != 13 ||
        !near(num(l, "y1"), y - 2) || !near(num(l, "x2") - num(l, "x1"), haba))
      continue;
    std::string s;
    for (size_t j = i + 1; j < t.size() && isOp(t[j], "SYMBOL") && num(t[j], "y") == y &&
                           num(t[j], "x") < num(l, "x2");
         ++j)
      s += text(t[j], "text");
    out.push_back(s);
  }
  return out;
}

// Marks counted by what each screen draws: a tick or an arrowhead's wing (a
// segment of that colour and length), an arc (an open circle of that
// colour and radius), a filled sector (its fill and radius), a filled
// triangle (fill 13).
enum class Kind { Segment, Arc, Sector, FilledTriangle };
struct Mark {
  Kind kind;
  int colour;
  double size;
  int count;
};
int countMarks(const Trace& t, const Mark& m) {
  int n = 0;
  for (const std::string& l : t) {
    switch (m.kind) {
      case Kind::Segment:
        n += isOp(l, "LINE") && num(l, "form") == 0 && num(l, "colour") == m.colour &&
             near(std::hypot(num(l, "x2") - num(l, "x1"), num(l, "y2") - num(l, "y1")), m.size, 0.1);
        break;
      case Kind::Arc:
        n += isOp(l, "CIRCLE") && !filled(l) && num(l, "colour") == m.colour && num(l, "r") == m.size;
        break;
      case Kind::Sector:
        n += isOp(l, "CIRCLE") && filled(l) && num(l, "fill") == m.colour && num(l, "r") == m.size;
        break;
      case Kind::FilledTriangle:
        n += isOp(l, "CONNECT") && filled(l) && num(l, "fill") == 13;
        break;
    }
  }
  return n;
}

// An arrowhead's wing for NAGASA n is sqrt(n^2 + (n/2)^2) long.
constexpr double kWing16 = 17.8885, kWing20 = 22.3607;

struct Line {
  double x;  // -1: on the same line as the text before it
  double y;
  int colour;
  std::string text;
};
struct Boxes {
  double y, haba;
  std::vector<std::string> texts;
};
struct Screen {
  int chapter, item;
  std::string play;  // the keys of one visit after the item's Enter
  int waits;         // WaitAnyKey pauses
  std::vector<Line> lines;
  std::vector<Boxes> boxes;
  std::vector<Mark> marks;
};

const std::vector<Screen>& screens() {
  static const std::vector<Screen> all = {
      {1, 1, repeat("Space", 3) + " 1" + repeat("Space", 6), 9,
       {{38, 30, 3, "教科書P139 Q をやってみよう。"},
        {38, 80, 5, "平行四辺形"},
        {38, 130, 3, "…2組の平行線が重なってできる図形"},
        {38, 270, 3, "<対辺、対角>"},
        {38, 320, 5, "対辺"},
        {-1, 320, 0, "…四角形の向かい合う辺(ABとDC,ADとBC)"},
        {38, 440, 5, "<平行四辺形の定義>"},
        {38, 540, 0, "AB∥DC,AD∥BC"}},
       {},
       // The strips' arrows in the one pass, then ABCD's; three overlaps.
       {{Kind::Segment, 3, kWing16, 24}}},
      {1, 2, " Space 1" + repeat("Space", 10), 11,
       {{38, 80, 0, "① AB=DC,AD=BC"},
        {-1, 80, 5, "対辺"},
        {38, 180, 0, "　 ∠BAD=∠DCB"},
        {101, 280, 5, "対角線の中点"},
        {-1, 380, 5, "対頂角"},
        {38, 580, 0, "　 ∠DAO=∠BCO"},
        {-1, 580, 5, "錯角"}},
       {},
       {{Kind::Segment, 7, 36, 20},
        {Kind::Arc, 5, 62, 2},
        {Kind::Arc, 5, 72, 2},
        {Kind::Arc, 7, 22, 2},
        {Kind::Arc, 7, 6, 2},
        {Kind::Sector, 3, 30, 2},
        {Kind::Sector, 0, 40, 2},
        {Kind::Sector, 5, 40, 2},
        {Kind::Sector, 7, 40, 2},
        {Kind::Sector, 9, 40, 2}}},
      {1, 3, repeat("Space", 4), 4,
       {{76, 30, 5, "<平行四辺形の定義>"},
        {76, 130, 0, "AB∥DC,AD∥BC"},
        {76, 210, 5, "<平行四辺形の性質>"},
        {38, 260, 3, "①"},
        {72, 260, 0, "平行四辺形では、"},
        {76, 410, 3, "2組の対角はそれぞれ等しい。"},
        {76, 510, 3, "対角線はそれぞれの中点で交わる。"},
        {896, 294, 0, "O"},
        {76, 590, 5, "平行四辺形の定義を仮定として、性質を証明しよう。"}},
       {},
       {{Kind::Segment, 3, kWing20, 12},
        {Kind::Segment, 5, 36, 20},
        {Kind::Arc, 5, 62, 2},
        {Kind::Arc, 5, 64, 2}}},
      {1, 4, repeat("Space", 11), 11,
       {{38, 30, 3, "AB∥DC,AD∥BC ならば AB=DC,AD=BC である。"},
        {38, 100, 3, "<証明>"},
        {-1, 100, 0, "対角線ACをひく。"},
        {38, 205, 0, "ACは共通だから、AC="},
        {-1, 205, 3, "…①"},
        {38, 480, 0, "がそれぞれ等しいので、△ABC≡△CDA"},
        {38, 580, 0, "したがって、平行四辺形では、"},
        {-1, 580, 3, "2組の対辺はそれぞれ等しい。"},
        {160, 620, 7, "教科書P141 問2　をしなさい。"}},
       {{205, 76, {"ア", "CA"}},
        {315, 152, {"イ", "∠DCA"}},
        {370, 152, {"ウ", "∠DAC"}},
        {425, 380, {"エ", "1組の辺とその両端の角"}}},
       {{Kind::Segment, 3, 40, 3},
        {Kind::Segment, 5, 36, 6},
        {Kind::Sector, 3, 50, 2},
        {Kind::Sector, 7, 60, 2}}},
      {1, 5, repeat("Space", 7), 7,
       {{38, 30, 3, "<問2　解答>"},
        {38, 80, 0, "前の証明から △ABC≡△CDA"},
        {38, 240, 0, "∠BAC=∠DCA,∠ACB=∠CAD"},
        {38, 405, 0, "だから　∠BAD=∠DCB"},
        {38, 510, 3, "2組の対角はそれぞれ等しい。"}},
       {{185, 152, {"ア", "∠CDA"}},
        {295, 152, {"イ", "ウ", "∠BAC", "∠CAD"}},
        {350, 152, {"エ", "オ", "∠DCA", "∠ACB"}}},
       {{Kind::Sector, 3, 50, 2},
        {Kind::Sector, 7, 60, 2},
        {Kind::Arc, 3, 52, 2},
        {Kind::Arc, 5, 72, 2}}},
      {1, 6, repeat("Space", 6), 6,
       {{38, 30, 3, "AB∥DC,AD∥BC ならば OA=OC,OB=OD "},
        {-1, 80, 0, "△ABOと△CDOにおいて"},
        {38, 130, 0, "平行四辺形の対辺はそれぞれ等しいから"},
        {936, 294, 0, "O"},
        {-1, 560, 3, "対角線はそれぞれの中点で交わる。"}},
       {{185, 76, {"ア", "CD"}},
        {295, 114, {"イ", "∠DCO"}},
        {350, 114, {"ウ", "∠CDO"}},
        {405, 380, {"エ", "1組の辺とその両端の角"}}},
       {{Kind::Segment, 3, 50, 2},
        {Kind::Segment, 5, 36, 14},
        {Kind::Sector, 3, 50, 2},
        {Kind::Sector, 7, 60, 2}}},
      {2, 1, repeat("Space", 13), 13,
       {{38, 30, 3, "AB∥DC,AD∥BC ならば OE=OF "},
        {-1, 100, 0, "△AOEと△COFにおいて"},
        {968, 294, 0, "O"},
        {946, 110, 0, "E"},
        {1006, 404, 0, "F"},
        {38, 205, 0, "中点で交わるから OA="},
        {38, 530, 0, "合同な図形では、対応する辺は等しいので、OE=OF"},
        {160, 600, 7, "教科書P142 問4　をしなさい。"}},
       {{205, 76, {"ア", "OC"}},
        {315, 114, {"イ", "∠FCO"}},
        {370, 114, {"ウ", "∠COF"}},
        {425, 380, {"エ", "1組の辺とその両端の角"}}},
       {{Kind::FilledTriangle, 13, 0, 2},
        {Kind::Segment, 5, 40, 4},
        {Kind::Segment, 3, 50, 2},
        {Kind::Sector, 3, 50, 2},
        {Kind::Sector, 7, 60, 2}}},
      {2, 2, repeat("Space", 13), 13,
       {{38, 30, 3, "問4 AB∥DC,AD∥BC,BE=DF ならば AE=CF "},
        {-1, 100, 0, "△ABEと△CDFにおいて"},
        {866, 324, 0, "E"},  // E (880, 320): a third of BD from B
        {1006, 190, 0, "F"},  // F (1020, 240)
        {38, 370, 0, "仮定より、BE="},
        {38, 530, 0, "合同な図形では、対応する辺は等しいので、AE=CF"}},
       {{205, 76, {"ア", "CD"}},
        {315, 114, {"イ", "∠CDF"}},
        {370, 76, {"ウ", "DF"}},
        {425, 380, {"エ", "2組の辺とその間の角"}}},
       {{Kind::FilledTriangle, 13, 0, 2},
        {Kind::Segment, 3, 40, 4},
        {Kind::Segment, 5, 40, 4},
        {Kind::Segment, 3, 50, 4},
        {Kind::Sector, 3, 50, 2}}},
  };
  return all;
}

std::string visitKeys(const Screen& s) { return std::to_string(s.item) + " Enter" + s.play; }

TEST(SindrelCh12Screens, EachScreenDrawsWhatItsScriptNamesThenShowsItsMenuAgain) {
  for (const Screen& s : screens()) {
    SCOPED_TRACE("chapter " + std::to_string(s.chapter) + " item " + std::to_string(s.item));
    const HeadlessRun r = runHeadless<ParallelogramLessons>(std::to_string(s.chapter) +
                                                            " Enter " + visitKeys(s));
    ASSERT_EQ(r.status, 0);
    const Visit v = visitFrom(r.trace, 4);
    EXPECT_TRUE(v.ended);
    int waits = 0;
    for (const std::string& l : v.lines) waits += isWaitAnyKeyBox(l);
    EXPECT_EQ(waits, s.waits);

    for (const Line& line : s.lines) {
      const Row row = rowOf(v.lines, line.y, line.colour);
      EXPECT_EQ(row.text, withoutBlanks(line.text)) << "line at y " << line.y;
      if (line.x >= 0) {
        EXPECT_EQ(row.x, line.x) << line.text;
      }
    }
    for (const Boxes& b : s.boxes)
      EXPECT_EQ(boxTexts(v.lines, b.y, b.haba), b.texts) << "boxes at y " << b.y;
    for (const Mark& m : s.marks)
      EXPECT_EQ(countMarks(v.lines, m), m.count)
          << "marks of kind " << static_cast<int>(m.kind) << " colour " << m.colour << " size "
          << m.size;
  }
}

TEST(SindrelCh12Screens, ASecondVisitDrawsTheSamePage) {
  for (const Screen& s : screens()) {
    SCOPED_TRACE("chapter " + std::to_string(s.chapter) + " item " + std::to_string(s.item));
    const std::string visit = visitKeys(s);
    const int keys = static_cast<int>(rt::parseKeys(visit).size());
    const HeadlessRun r = runHeadless<ParallelogramLessons>(std::to_string(s.chapter) + " Enter " +
                                                            visit + " " + visit);
    ASSERT_EQ(r.status, 0);
    const Trace one = drawing(visitFrom(r.trace, 4)), two = drawing(visitFrom(r.trace, 4 + keys));
    ASSERT_EQ(one.size(), two.size());
    for (size_t i = 0; i < one.size(); ++i) ASSERT_EQ(one[i], two[i]) << "operation " << i;
  }
}

TEST(SindrelCh12Screens, RandomKeysFromEveryScreenNeverEndInAnError) {
  // Arrows for the turning loops, digits and Enter for the prompts.
  static const std::vector<std::string> pool = {"1",     "2",     "3",    "4",    "5",     "6",
                                                "7",     "0",     "-",    "/",    "Enter", "Enter",
                                                "Left",  "Left",  "Right", "Right", "Space", "x"};
  std::mt19937 gen(7);
  std::uniform_int_distribution<size_t> pick(0, pool.size() - 1);
  for (const Screen& s : screens()) {
    std::string keys = std::to_string(s.chapter) + " Enter " + std::to_string(s.item) + " Enter";
    for (int k = 0; k < 400; ++k) keys += " " + pool[pick(gen)];
    SCOPED_TRACE(keys);
    EXPECT_EQ(runHeadless<ParallelogramLessons>(keys).status, 0);
  }
}

// ---- the frame: goal screens, sub-menus, ranges ----

TEST(SindrelFrame, EachChapterShowsItsGoalOnceThenItsSubMenu) {
  struct Goal {
    int chapter;
    std::string goal;
  };
  for (const Goal& g : {Goal{1, "平行四辺形の性質を、定義をもとに証明しよう。"},
                        Goal{2, "平行四辺形の性質を使って、図形の性質を証明しよう。"},
                        Goal{3, "四角形にどんな条件が加わると、平行四辺形になるか考えよう。"},
                        Goal{4, "平行四辺形になるための条件を使って、図形の性質を証明しよう。"}}) {
    SCOPED_TRACE(g.chapter);
    const HeadlessRun r = runHeadless<ParallelogramLessons>(std::to_string(g.chapter) + " Enter");
    ASSERT_EQ(r.status, 0);
    const Visit v = visitFrom(r.trace, 2);
    EXPECT_TRUE(v.ended);
    // The goal page is cleared 1760 wide, and no key is waited for.
    bool clear = false;
    int waits = 0;
    for (const std::string& l : v.lines) {
      clear = clear || (isOp(l, "LINE") && num(l, "form") == 2 && num(l, "x2") == 1760 &&
                        num(l, "y2") == 1800 && num(l, "fill") == 15);
      waits += isWaitAnyKeyBox(l);
    }
    EXPECT_TRUE(clear);
    EXPECT_EQ(waits, 0);
    EXPECT_EQ(rowOf(v.lines, 240, 3).text, "<めあて>");
    EXPECT_EQ(rowOf(v.lines, 240, 3).x, 44);
    EXPECT_EQ(rowOf(v.lines, 305, 0).text, g.goal);
    EXPECT_EQ(rowOf(v.lines, 305, 0).x, 44);
  }
}

// Counts the goal screens and the sub-menu prompts of a key script.
struct MenuCounts {
  int goals = 0, prompts = 0, mainMenus = 0;
};
MenuCounts menuCounts(const Trace& t) {
  MenuCounts c;
  for (const std::string& l : t) {
    c.goals += isOp(l, "SYMBOL") && num(l, "x") == 44 && num(l, "y") == 240 &&
               num(l, "colour") == 3 && text(l, "text") == "<";
    c.prompts += isSubMenuLine(l);
    c.mainMenus += isOp(l, "SYMBOL") && num(l, "x") == 264 && num(l, "y") == 30;
  }
  return c;
}

TEST(SindrelFrame, OutOfRangeRepeatsThePromptAndTheLastItemLeadsToTheMainMenu) {
  struct Case {
    std::string keys;
    int goals, prompts, mainMenus;
  };
  for (const Case& c : {
           // 0, 8, -1 and an empty entry only ask again; 7 leaves; 1 shows the goal again.
           Case{"1 Enter 0 Enter 8 Enter - 1 Enter Enter 7 Enter 1 Enter", 2, 6, 2},
           Case{"2 Enter 4 Enter 3 Enter", 1, 2, 2},
           // Empty items draw the main menu again; 0 and 8 too.
           Case{"5 Enter 6 Enter 0 Enter 8 Enter", 0, 0, 5},
       }) {
    SCOPED_TRACE(c.keys);
    const HeadlessRun r = runHeadless<ParallelogramLessons>(c.keys);
    ASSERT_EQ(r.status, 0);
    const MenuCounts m = menuCounts(r.trace);
    EXPECT_EQ(m.goals, c.goals);
    EXPECT_EQ(m.prompts, c.prompts);
    EXPECT_EQ(m.mainMenus, c.mainMenus);
  }
}

// ---- the turning screens ----

// The segments of colour `colour` drawn in the pass after the `key`-th key.
Trace segmentsAfter(const Trace& t, int key, int colour) {
  Trace out;
  for (const std::string& l : afterKey(t, key))
    if (isOp(l, "LINE") && num(l, "form") == 0 && num(l, "colour") == colour) out.push_back(l);
  return out;
}

const std::string kToStrips = "1 Enter 1 Enter Space Space Space";  // the first pass after key 7

TEST(SindrelStrips, TheOverlapAtNinetyDegreesIsTheCrossingOfBothStrips) {
  const HeadlessRun r = runHeadless<ParallelogramLessons>(kToStrips + repeat("Left", 18));
  ASSERT_EQ(r.status, 0);
  const Trace edges = segmentsAfter(r.trace, 7 + 18, 5);
  ASSERT_EQ(edges.size(), 4u);
  // Corners 11 to 14: the turning strip's edges at x = 1010 -+ 250 cos 80,
  // the fixed strip's at y = 350 -+ 250 sin 15: about 87 wide, 129 high.
  const double left = 966.59, right = 1053.41, top = 285.30, bottom = 414.70;
  const double corners[4][2] = {{left, top}, {left, bottom}, {right, bottom}, {right, top}};
  for (int k = 0; k < 4; ++k) {
    SCOPED_TRACE(k);
    EXPECT_TRUE(near(num(edges[k], "x1"), corners[k][0], 0.05)) << edges[k];
    EXPECT_TRUE(near(num(edges[k], "y1"), corners[k][1], 0.05)) << edges[k];
    EXPECT_EQ(num(edges[k], "width"), 5);
  }
}

TEST(SindrelStrips, TheOverlapIsDrawnOnlyStrictlyBetween22And158Degrees) {
  // Key code 29 (Left) raises the angle by 5, code 28 (Right) lowers it.
  struct Case {
    std::string keys;
    bool overlap;
  };
  for (const Case& c : {Case{"", false}, Case{repeat("Left", 4), false},
                        Case{repeat("Left", 5), true}, Case{repeat("Left", 31), true},
                        Case{repeat("Left", 32), false}, Case{repeat("Left", 40), false},
                        Case{repeat("Left", 6) + " Right", true},
                        Case{repeat("Left", 6) + " Right Right", false}, Case{" Right", false},
                        Case{repeat("Left", 5) + " x", true}}) {
    SCOPED_TRACE(c.keys);
    const HeadlessRun r = runHeadless<ParallelogramLessons>(kToStrips + c.keys);
    ASSERT_EQ(r.status, 0);
    const int last = 7 + static_cast<int>(rt::parseKeys(c.keys).size());
    EXPECT_EQ(segmentsAfter(r.trace, last, 5).size(), c.overlap ? 4u : 0u);
  }
}

TEST(SindrelHalfTurn, EachArrowTurnsTheCopyFiveDegreesWithinAHalfTurn) {
  // Copy vertex A at R(1) + KAKUDO, 245 pixels from O (870, 380).
  struct Case {
    std::string keys;
    double ax, ay;
  };
  for (const Case& c : {Case{"", 682.3194, 222.5167},             // 140: on A
                        Case{" Left", 669.3080, 239.4734},         // 145
                        Case{" Right", 682.3194, 222.5167},        // held at 0
                        Case{repeat("Left", 37), 1057.6802, 537.4838},  // held at 180: on C
                        Case{" Left Left Right", 669.3080, 239.4734}}) {
    SCOPED_TRACE(c.keys);
    const HeadlessRun r = runHeadless<ParallelogramLessons>("1 Enter 2 Enter Space" + c.keys);
    ASSERT_EQ(r.status, 0);
    const Trace copy = segmentsAfter(r.trace, 5 + static_cast<int>(rt::parseKeys(c.keys).size()), 3);
    ASSERT_EQ(copy.size(), 6u);  // four sides, two diagonals
    EXPECT_TRUE(near(num(copy[0], "x1"), c.ax, 0.01)) << copy[0];
    EXPECT_TRUE(near(num(copy[0], "y1"), c.ay, 0.01)) << copy[0];
  }
}

TEST(SindrelMotion, ArrowsBothWaysPastBothEndsLeaveNoStalePixels) {
  struct Pair {
    std::string longWay, shortWay;
  };
  const std::string toTurn = "1 Enter 2 Enter Space";
  for (const Pair& p :
       {Pair{kToStrips + repeat("Left", 40) + repeat("Right", 45) + repeat("Left", 18) + " 1",
             kToStrips + repeat("Left", 18) + " 1"},
        Pair{kToStrips + repeat("Right", 3) + repeat("Left", 7) + " z 1",
             kToStrips + repeat("Left", 7) + " 1"},
        Pair{toTurn + repeat("Left", 40) + repeat("Right", 45) + repeat("Left", 10) + " 1",
             toTurn + repeat("Left", 10) + " 1"},
        Pair{toTurn + repeat("Left", 30) + " q" + repeat("Right", 20) + " 1",
             toTurn + repeat("Left", 10) + " 1"}}) {
    SCOPED_TRACE(p.longWay);
    const HeadlessRun a = runHeadless<ParallelogramLessons>(p.longWay);
    const HeadlessRun b = runHeadless<ParallelogramLessons>(p.shortWay);
    ASSERT_EQ(a.status, 0);
    ASSERT_EQ(b.status, 0);
    EXPECT_EQ(differingPixels(a, b), 0);
  }
}

}  // namespace
