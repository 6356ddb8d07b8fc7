// Dravolin's chapter 1 run headless from the main menu: each screen's key
// waits, its text lines with their colours, the proof's answer boxes, the
// marks and constructions on the figures, and the pen width that one screen
// leaves to the next.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "lessons/area/lessons.h"
#include "tests/framework/trace_ops.h"
#include "tests/harness.h"

namespace {

using Trace = std::vector<std::string>;
using trace_ops::num;
using trace_ops::text;

bool isOp(const std::string& l, const char* op) { return l.rfind(std::string("{\"op\":\"") + op + "\"", 0) == 0; }
bool near(double a, double b) { return std::fabs(a - b) < 0.01; }

// The key waits of each screen of the chapter, item k at index k - 1.
const int kWaits[] = {10, 4, 7, 12, 7, 5, 8};

std::string spaces(int n) {
  std::string s;
  for (int k = 0; k < n; ++k) s += " Space";
  return s;
}
// Main-menu item 1, then items, each with all its key waits answered.
std::string chapterKeys(std::initializer_list<int> items) {
  std::string keys = "1 Enter";
  for (int item : items) keys += " " + std::to_string(item) + " Enter" + spaces(kWaits[item - 1]);
  return keys;
}

const HeadlessRun& run(const std::string& keys) {
  static std::map<std::string, HeadlessRun> runs;
  auto it = runs.find(keys);
  if (it == runs.end()) it = runs.emplace(keys, runHeadless<AreaLessons>(keys)).first;
  return it->second;
}
// ScreenStep `step` of a screen opened by the 4th key (its item's Enter).
Trace stepOf(int item, int step) { return afterKey(run(chapterKeys({item})).trace, 3 + step); }

bool isWaitBox(const std::string& l) {
  return isOp(l, "LINE") && num(l, "x1") == 96 && num(l, "y1") == 657 && num(l, "fill") == 4;
}
bool isSubMenuLine(const std::string& l) {
  return isOp(l, "SYMBOL") && num(l, "x") == 16 && num(l, "y") == 666 && text(l, "text") == "①";
}
bool isScreenClear(const std::string& l) {
  return isOp(l, "LINE") && num(l, "x1") == 0 && num(l, "y1") == 0 && num(l, "x2") == 1600 &&
         num(l, "y2") == 1800 && num(l, "fill") == 15;
}

// ---- every screen: its waits, then the chapter's prompt; the whole tour ----

TEST(DravolinCh1Screens, EachScreenWaitsOncePerStepThenShowsTheSubMenuAgain) {
  for (int item = 1; item <= 7; ++item) {
    SCOPED_TRACE("screen " + std::to_string(item));
    const HeadlessRun& r = run(chapterKeys({item}));
    ASSERT_EQ(r.status, 0);
    const int waits = static_cast<int>(std::count_if(r.trace.begin(), r.trace.end(), isWaitBox));
    EXPECT_EQ(waits, kWaits[item - 1]);
    // The prompt after the goal, then after the last step, which waits for nothing.
    EXPECT_EQ(std::count_if(r.trace.begin(), r.trace.end(), isSubMenuLine), 2);
    const Trace last = afterKey(r.trace, 4 + waits);
    EXPECT_TRUE(std::any_of(last.begin(), last.end(), isSubMenuLine));
    EXPECT_FALSE(std::any_of(last.begin(), last.end(), isWaitBox));
  }
}

TEST(DravolinCh1Screens, ATourOfEveryScreenEndsBackAtTheMainMenu) {
  const std::string keys = chapterKeys({1, 2, 3, 4, 5, 6, 7}) + " 8 Enter 7 Enter";
  const HeadlessRun& r = run(keys);
  EXPECT_EQ(r.status, 0);
  int taken = 0, menus = 0, clears = 0;
  for (const std::string& l : r.trace) {
    taken += isOp(l, "KEY");
    menus += isOp(l, "SYMBOL") && num(l, "x") == 264 && num(l, "y") == 30;
    clears += isScreenClear(l);
  }
  EXPECT_EQ(taken, static_cast<int>(rt::parseKeys(keys).size()));
  EXPECT_EQ(menus, 2);
  EXPECT_EQ(clears, 7);
}

TEST(DravolinCh1Screens, TheSubMenuDispatchesOnTheWholePartOfItsNumber) {
  // 6/3 and 2.9 both open screen 2, whose first line starts with "Q" at x 40.
  for (const char* number : {"6 / 3", "2 . 9"}) {
    const HeadlessRun& r = run(std::string("1 Enter ") + number + " Enter");
    const Trace t = afterKey(r.trace, 2 + static_cast<int>(rt::parseKeys(number).size()) + 1);
    EXPECT_TRUE(std::any_of(t.begin(), t.end(), [](const std::string& l) {
      return isOp(l, "SYMBOL") && num(l, "x") == 40 && num(l, "y") == 30 && text(l, "text") == "Q";
    })) << number;
  }
}

// ---- the pen width one screen leaves to the next ----

// A screen's drawing from its page clear to the prompt after it, the
// clear's own border width left out: a clear takes the width it finds.
std::vector<Trace> visits(const Trace& trace) {
  std::vector<Trace> out;
  bool in = false;
  for (const std::string& l : trace) {
    if (isScreenClear(l)) {
      in = true;
      out.emplace_back(1, l.substr(0, l.find(",\"width\"")));
      continue;
    }
    if (isSubMenuLine(l)) in = false;
    if (in) out.back().push_back(l);
  }
  return out;
}

TEST(DravolinCh1PenWidth, AScreenDrawsTheSameFirstAfterStartUpAndAfterAnotherScreen) {
  // Each screen opened straight after start-up, then after another screen
  // (which leaves pen width 5), then again at once: three identical pictures.
  for (int item = 1; item <= 7; ++item) {
    SCOPED_TRACE("screen " + std::to_string(item));
    const int other = item % 7 + 1;
    const std::vector<Trace> first = visits(run(chapterKeys({item})).trace);
    const std::vector<Trace> later = visits(run(chapterKeys({other, item, item})).trace);
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(later.size(), 3u);
    EXPECT_EQ(first[0], later[1]);
    EXPECT_EQ(later[1], later[2]);
  }
}

TEST(DravolinCh1PenWidth, TheFigureAfterALetteredPolygonIsDrawnAtItsWidth) {
  // Screen 1 straight after start-up (width 3): the lettered triangle ABC
  // leaves its own width 5, so BD and CD come out 5 wide, as on every visit.
  int found = 0;
  for (const std::string& l : stepOf(1, 1))
    if (isOp(l, "LINE") && num(l, "x2") == 1100 && num(l, "y2") == 170 && num(l, "colour") == 0) {
      ++found;
      EXPECT_EQ(num(l, "width"), 5) << l;
    }
  EXPECT_EQ(found, 2);
  // Every screen leaves 5: the prompt's entry field after it is drawn so.
  for (int item = 1; item <= 7; ++item) {
    const HeadlessRun& r = run(chapterKeys({item}));
    EXPECT_EQ(r.runtime->GETDRAWWIDTH(), 5) << item;
  }
}

// ---- the text lines: where each starts, its glyphs and their colours ----

// The glyphs of the line with top `top` that starts at x `x`, as drawn from
// left to right, a colour mark "[c]" before each change of colour. A
// half-width blank draws no glyph, nor do the strokes of "+" and "-"; "*"
// and "/" are drawn as "×" and "÷", a raised character or an italic "c"
// stands a little higher. The line ends at a gap wider than a box.
std::string lineAt(const Trace& t, double x, double top) {
  std::vector<std::string> glyphs;
  for (const std::string& l : t)
    if (isOp(l, "SYMBOL") && num(l, "y") <= top + 0.5 && num(l, "y") >= top - 24 && num(l, "x") >= x - 0.5)
      glyphs.push_back(l);
  std::stable_sort(glyphs.begin(), glyphs.end(),
                   [](const std::string& a, const std::string& b) { return num(a, "x") < num(b, "x"); });
  if (glyphs.empty() || !near(num(glyphs[0], "x"), x)) return "<nothing at x>";
  std::string out, colour;
  double last = x;
  for (const std::string& g : glyphs) {
    if (num(g, "x") - last > 130) break;
    last = num(g, "x");
    const std::string c = std::to_string(static_cast<int>(num(g, "colour")));
    if (c != colour) out += "[" + c + "]";
    colour = c;
    out += text(g, "text");
  }
  return out;
}

struct Line {
  int item, step;
  double x, top;
  const char* glyphs;
};
const Line kLines[] = {
    // screen 1: the question, the two areas, the rule and its converse
    {1, 1, 38, 30, "[0]Q1マスを１cmとして、△ABCと△DBCの面積を求めなさい。"},
    {1, 1, 38, 100, "[3]<解答>"},
    {1, 2, 38, 150, "[0]△ABC=6×4÷2="},
    {1, 3, 352, 150, "[5]12(cm2)"},
    {1, 4, 38, 200, "[0]△DBC=6×4÷2="},
    {1, 5, 352, 200, "[5]12(cm2)"},
    {1, 6, 38, 250, "[3]底辺が共通で、"},
    {1, 6, 38, 300, "[3]BC∥ADならば△ABC=△DBC"},
    {1, 10, 38, 350, "[5]底辺が共通で、"},
    {1, 10, 38, 400, "[5]底辺に平行な直線上に頂点があれば、"},
    {1, 10, 38, 450, "[5]三角形の面積は等しい。"},
    {1, 11, 38, 500, "[3]底辺が共通で、"},
    {1, 11, 38, 550, "[3]△ABC=△DBCならばBC∥AD"},
    // screen 2: the question at XI0, the three pairs at XI1
    {2, 1, 40, 30, "[3]Q[0]AD∥BCである台形で、面積の等しい三角形の組は?"},
    {2, 1, 76, 80, "[7]<解答>"},
    {2, 2, 76, 130, "[3]①[5]△ABCと△DBC[0](BCが底辺)"},
    {2, 3, 76, 180, "[3]②[5]△ABDと△ACD[0](ADが底辺)"},
    {2, 4, 76, 230, "[3]③[5]△AOBと△DOC"},
    {2, 4, 114, 280, "[0]△AOB=△ABD△AOD"},
    {2, 4, 114, 330, "[0]△DOC=△ACD△AOD"},
    {2, 5, 160, 480, "[7]教科書P153問1　をしなさい。"},
    // screen 3: three groups, each line one key
    {3, 1, 38, 30, "[3]P153問1解答"},
    {3, 2, 38, 80, "[3]①[0]△ABM=△DBM(BMが底辺)"},
    {3, 3, 76, 130, "[0]△ABM=△DMC(BM=MC)"},
    {3, 4, 76, 180, "[5]△ABM=△DBM=△DMC"},
    {3, 5, 38, 230, "[3]②[0]△ABD=△AMD(ADが底辺)"},
    {3, 6, 76, 280, "[0]△ABD=△DBC(AB=DC)"},
    {3, 7, 76, 330, "[5]△ABD=△AMD=△DBC"},
    {3, 8, 38, 380, "[3]③AMとBDの交点をPとすると"},
    {3, 8, 76, 430, "[5]△APB=△DPM"},
    {3, 8, 76, 480, "[0]△APB=△ABD△APD"},
    {3, 8, 76, 530, "[0]△DPM=△AMD△APD"},
    // screen 4: the task, the preview's note, the four steps, the closing lines
    {4, 1, 38, 30, "[3]Q[0]四角形ABCDの面積を変えずに、"},
    {4, 1, 65, 80, "[0]△ABEをかこう。"},
    {4, 2, 38, 150, "[5]かけたとして、考えよう。"},
    {4, 8, 38, 200, "[3]①対角線ACをひく。"},
    {4, 9, 38, 250, "[3]②頂点Dを通り、ACに平行な直線lをひく。"},
    {4, 10, 38, 300, "[3]③辺BCの延長との交点をEとする。"},
    {4, 11, 38, 350, "[3]④点AとEを結び、△ABEをつくる。"},
    {4, 12, 38, 420, "[7]教科書P154の図に△ABEをかこう。"},
    {4, 13, 38, 490, "[3]図で、四角形ABCD=△ABEを証明しよう。"},
    // screen 5: the theorem and the proof with its placeholders
    {5, 1, 65, 30, "[3]AC∥DEならば四角形ABCD=△ABE"},
    {5, 1, 38, 100, "[3]<証明>"},
    {5, 2, 180, 100, "[0]△DACと△EACは、"},
    {5, 2, 38, 155, "[0]底辺[5]ア[0]が共通で、AC∥[5]イ[0]だから"},
    {5, 2, 38, 210, "[0]△DAC=[5]ウ[3]…①"},
    {5, 2, 38, 265, "[0]四角形ABCD=△ABC[5]エ[3]…②"},
    {5, 2, 38, 320, "[0]△ABE=△ABC[5]オ[3]…③"},
    {5, 2, 38, 375, "[0]①②③から、四角形ABCD=△ABE"},
    {5, 8, 38, 445, "[7]辺ABをAのほうへ延長した半直線上に"},
    {5, 8, 38, 495, "[7]点Fをとってできる△BCFを"},
    {5, 8, 38, 545, "[7]教科書P154の図にかこう。"},
    // screen 6
    {6, 1, 38, 30, "[0]<△BCFの作図>"},
    {6, 2, 38, 80, "[3]①対角線ACをひく。"},
    {6, 3, 38, 130, "[3]②頂点Dを通り、ACに平行な直線lをひく。"},
    {6, 4, 38, 180, "[3]③辺ABの延長との交点をFとする。"},
    {6, 5, 38, 230, "[3]④点CとFを結び、△BCFをつくる。"},
    {6, 6, 40, 480, "[7]教科書P154問2　をしなさい。"},
    // screen 7
    {7, 1, 38, 30, "[7]<問2　解答>"},
    {7, 6, 38, 80, "[3]①点AとCを結ぶ。"},
    {7, 7, 38, 130, "[3]②点Bを通り、ACに平行な直線lをひく。"},
    {7, 8, 38, 180, "[3]③四角形との交点をDとする。"},
    {7, 9, 38, 230, "[3]④点AとDを結ぶ。"},
};

TEST(DravolinCh1Screens, LinesStartWhereTheirScriptPutsThemInTheirColours) {
  for (const Line& l : kLines) {
    SCOPED_TRACE("screen " + std::to_string(l.item) + " step " + std::to_string(l.step));
    EXPECT_EQ(lineAt(stepOf(l.item, l.step), l.x, l.top), l.glyphs);
  }
}

TEST(DravolinCh1Screens, TheAreaLineRaisesItsSquareAndSetsItsCInItalic) {
  // "12(cm^2)": the c in the italic serif face, the 2 smaller than the m.
  const Trace step3 = stepOf(1, 3);
  std::map<std::string, std::string> glyph;
  for (const std::string& l : step3)
    if (isOp(l, "SYMBOL")) glyph[text(l, "text") + "@" + std::to_string(static_cast<int>(num(l, "x")))] = l;
  const std::string c = glyph["c@437"], m = glyph["m@460"], two = glyph["2@487"];
  ASSERT_FALSE(c.empty() || m.empty() || two.empty());
  EXPECT_NE(c.find("\"italic\":true"), std::string::npos);
  EXPECT_EQ(m.find("\"italic\":true"), std::string::npos);
  EXPECT_LT(num(two, "mv"), num(m, "mv"));
}

// ---- the proof's answer boxes ----

struct Box {
  double x1, y1, x2, y2;
  std::string glyphs;  // the text inside, in its colour
  int border;
};
// The answer boxes (fill 13) a step draws, each with the glyphs after it
// that fall inside it.
std::vector<Box> boxesOf(const Trace& t) {
  std::vector<Box> out;
  for (size_t i = 0; i < t.size(); ++i) {
    const std::string& l = t[i];
    if (!isOp(l, "LINE") || num(l, "form") != 2 || num(l, "fill") != 13) continue;
    Box b{num(l, "x1"), num(l, "y1"), num(l, "x2"), num(l, "y2"), "", static_cast<int>(num(l, "colour"))};
    for (size_t j = i + 1; j < t.size(); ++j) {
      if (!isOp(t[j], "SYMBOL")) continue;
      if (num(t[j], "x") < b.x1 || num(t[j], "x") > b.x2 || num(t[j], "y") > b.y2) break;
      b.glyphs += "[" + std::to_string(static_cast<int>(num(t[j], "colour"))) + "]" + text(t[j], "text");
    }
    out.push_back(b);
  }
  return out;
}

TEST(DravolinCh1Proof, EachRevealCoversItsPlaceholderWithItsAnswer) {
  const std::vector<Box> placeholders = boxesOf(stepOf(5, 2));
  const char* names[] = {"[5]ア", "[5]イ", "[5]ウ", "[5]エ", "[5]オ"};
  const char* answers[] = {"[5]A[5]C", "[5]D[5]E", "[5]△[5]E[5]A[5]C", "[5]△[5]D[5]A[5]C",
                           "[5]△[5]E[5]A[5]C"};
  const double widths[] = {76, 76, 152, 152, 152};
  ASSERT_EQ(placeholders.size(), 5u);
  for (int k = 0; k < 5; ++k) {
    SCOPED_TRACE("box " + std::to_string(k + 1));
    const Box& p = placeholders[k];
    EXPECT_EQ(p.glyphs, names[k]);
    EXPECT_EQ(p.border, 3);
    EXPECT_DOUBLE_EQ(p.x2 - p.x1, widths[k]);
    EXPECT_DOUBLE_EQ(p.y2 - p.y1, 48);
    // One reveal per key, in the order of the letters, on the same rectangle.
    const std::vector<Box> revealed = boxesOf(stepOf(5, 3 + k));
    ASSERT_EQ(revealed.size(), 1u);
    EXPECT_EQ(revealed[0].glyphs, answers[k]);
    EXPECT_EQ(revealed[0].border, 3);
    EXPECT_EQ(std::vector<double>({revealed[0].x1, revealed[0].y1, revealed[0].x2, revealed[0].y2}),
              std::vector<double>({p.x1, p.y1, p.x2, p.y2}));
  }
  EXPECT_TRUE(boxesOf(stepOf(5, 8)).empty());
}

// ---- figures, marks and constructions ----

std::vector<std::string> opsIn(const Trace& t, const char* op) {
  std::vector<std::string> out;
  for (const std::string& l : t)
    if (isOp(l, op)) out.push_back(l);
  return out;
}
bool hasSegment(const Trace& t, double x1, double y1, double x2, double y2, int colour) {
  for (const std::string& l : opsIn(t, "LINE"))
    if (num(l, "form") == 0 && num(l, "colour") == colour && near(num(l, "x1"), x1) &&
        near(num(l, "y1"), y1) && near(num(l, "x2"), x2) && near(num(l, "y2"), y2))
      return true;
  return false;
}
// The colour of glyph `g` drawn at (x, y) in a step, or -1.
int glyphAt(const Trace& t, double x, double y, const std::string& g) {
  for (const std::string& l : opsIn(t, "SYMBOL"))
    if (near(num(l, "x"), x) && near(num(l, "y"), y) && text(l, "text") == g) return static_cast<int>(num(l, "colour"));
  return -1;
}
int countColour(const Trace& t, const char* op, int colour) {
  int n = 0;
  for (const std::string& l : opsIn(t, op)) n += num(l, "colour") == colour;
  return n;
}

TEST(DravolinCh1Figures, CommonBaseHeightsParallelAndThirdApex) {
  EXPECT_TRUE(hasSegment(stepOf(1, 2), 890, 170, 890, 450, 7));    // the height of ABC
  EXPECT_TRUE(hasSegment(stepOf(1, 4), 1100, 170, 1100, 450, 7));  // the height of DBC
  // BC and AD in colour 3 and one arrowhead (two strokes) on each.
  EXPECT_EQ(countColour(stepOf(1, 6), "LINE", 3), 2 + 4);
  // l on the thick grid line 5 up, from 70 left of the frame; its label.
  EXPECT_TRUE(hasSegment(stepOf(1, 7), 610, 170, 1240, 170, 3));
  EXPECT_EQ(glyphAt(stepOf(1, 7), 580, 120, "l"), 0);
  const std::vector<std::string> disc = opsIn(stepOf(1, 8), "CIRCLE");
  ASSERT_EQ(disc.size(), 1u);
  EXPECT_EQ(std::vector<double>({num(disc[0], "cx"), num(disc[0], "cy"), num(disc[0], "r"), num(disc[0], "colour")}),
            std::vector<double>({680, 170, 5, 5}));
  EXPECT_EQ(glyphAt(stepOf(1, 8), 666, 120, "E"), 5);
  EXPECT_TRUE(hasSegment(stepOf(1, 9), 680, 170, 750, 450, 5));
  EXPECT_TRUE(hasSegment(stepOf(1, 9), 680, 170, 1170, 450, 5));
}

// The corners of a CONNECT, its closing point included.
std::vector<std::pair<double, double>> pointsOf(const std::string& l) {
  std::vector<double> v;
  const char* p = l.c_str() + l.find("\"points\":") + 9;
  for (int depth = 0; *p; ++p) {
    if (*p == '[') ++depth;
    if (*p == ']' && --depth == 0) break;
    if (*p == '-' || (*p >= '0' && *p <= '9')) {
      char* end = nullptr;
      v.push_back(std::strtod(p, &end));
      p = end - 1;
    }
  }
  std::vector<std::pair<double, double>> out;
  for (size_t i = 0; i + 1 < v.size(); i += 2) out.emplace_back(v[i], v[i + 1]);
  return out;
}

// The shaded common triangle with border 0 and fill 13 and, drawn after
// it, the arrowhead on AD again (two strokes in colour 3).
void expectShadedThenArrow(const Trace& t, std::vector<std::pair<double, double>> corners) {
  auto shade = std::find_if(t.begin(), t.end(), [](const std::string& l) {
    return isOp(l, "CONNECT") && num(l, "fill") == 13 && num(l, "colour") == 0;
  });
  ASSERT_NE(shade, t.end());
  corners.push_back(corners.front());
  const std::vector<std::pair<double, double>> drawn = pointsOf(*shade);
  ASSERT_EQ(drawn.size(), corners.size());
  for (size_t k = 0; k < corners.size(); ++k) {
    EXPECT_NEAR(drawn[k].first, corners[k].first, 0.01) << k;
    EXPECT_NEAR(drawn[k].second, corners[k].second, 0.01) << k;
  }
  EXPECT_EQ(countColour(Trace(shade, t.end()), "LINE", 3), 2);
}

TEST(DravolinCh1Figures, TrapezoidAndParallelogramShadeTheCommonTriangleUnderTheArrowhead) {
  // O = (863 1/3, 263 1/3), lettered below the crossing.
  EXPECT_EQ(glyphAt(stepOf(2, 1), 863.3333 - 14, 263.3333 + 20, "O"), 0);
  EXPECT_TRUE(hasSegment(stepOf(2, 2), 630, 450, 1050, 450, 9));
  EXPECT_TRUE(hasSegment(stepOf(2, 3), 770, 170, 980, 170, 7));
  expectShadedThenArrow(stepOf(2, 4), {{770, 170}, {863.3333, 263.3333}, {980, 170}});
  // P = (810, 356 2/3), lettered in colour 3 below the crossing.
  expectShadedThenArrow(stepOf(3, 8), {{740, 170}, {810, 356.6667}, {1090, 170}});
  EXPECT_EQ(glyphAt(stepOf(3, 8), 790, 356.6667 + 18, "P"), 3);
  EXPECT_EQ(glyphAt(stepOf(3, 1), 831, 460, "M"), 0);
}

TEST(DravolinCh1Figures, ParallelogramMarksItsSidesAndTheEqualHalvesOfBC) {
  const Trace step1 = stepOf(3, 1);
  // Six arrowheads (AB and DC two each, AD and BC one each) and the ticks
  // on BM and MC, all in colour 3: 12 strokes and 2 ticks.
  EXPECT_EQ(countColour(step1, "LINE", 3), 14);
  // The arrowhead on BC: its tip 16 past the point 5/9 along BC, right of M.
  const double tip = 670 + 350.0f * 5 / 9 + 16;
  int strokesToTip = 0;
  for (const std::string& l : opsIn(step1, "LINE"))
    strokesToTip += num(l, "colour") == 3 && std::fabs(num(l, "x2") - tip) < 0.05 && near(num(l, "y2"), 450);
  EXPECT_EQ(strokesToTip, 2);
  // Step 6 adds two ticks on AB and two on DC.
  EXPECT_EQ(countColour(stepOf(3, 6), "LINE", 3), 4);
}

TEST(DravolinCh1Figures, ConstructionsPreviewClearTheFigureHalfAndReplay) {
  struct Clear {
    int item, step;
    double gx1;
  };
  for (const Clear& c : {Clear{4, 7, 680}, Clear{7, 5, 640}}) {
    SCOPED_TRACE("screen " + std::to_string(c.item));
    const Trace t = stepOf(c.item, c.step);
    ASSERT_FALSE(t.empty());
    EXPECT_EQ(num(t[1], "x1"), c.gx1);  // after the wait box's eraser
    EXPECT_EQ(num(t[1], "y1"), 0);
    EXPECT_EQ(num(t[1], "x2"), c.gx1 + 1600);
    EXPECT_EQ(num(t[1], "y2"), 1800);
    EXPECT_EQ(num(t[1], "fill"), 15);
    // The base figure only: black edges and letters, nothing of the preview.
    for (const std::string& l : std::vector<std::string>(t.begin() + 2, t.end()))
      if (!isWaitBox(l) && num(l, "y") != 666) {
        EXPECT_TRUE(num(l, "colour") == 0 || num(l, "colour") == 3) << l;
      }
  }
  // Screen 4: E at (1110, 450) lettered in colour 3 in the preview and in
  // step ③ at the same place; l through D and E.
  EXPECT_EQ(glyphAt(stepOf(4, 3), 1080, 460, "E"), 3);
  EXPECT_EQ(glyphAt(stepOf(4, 10), 1080, 460, "E"), 3);
  EXPECT_TRUE(hasSegment(stepOf(4, 11), 880, 200, 1110, 450, 5));
  EXPECT_TRUE(hasSegment(stepOf(4, 9), 980, 125, 1150, 550, 3));
  EXPECT_EQ(countColour(stepOf(4, 9), "LINE", 9), 4);
  // Screen 7: the letter D only with step ③ of the replay.
  for (int step = 1; step <= 7; ++step) EXPECT_EQ(glyphAt(stepOf(7, step), 734, 520, "D"), -1) << step;
  EXPECT_EQ(glyphAt(stepOf(7, 8), 734, 520, "D"), 3);
  EXPECT_TRUE(hasSegment(stepOf(7, 9), 784, 510, 1000, 210, 5));
  EXPECT_EQ(countColour(stepOf(7, 7), "LINE", 7), 4);
}

TEST(DravolinCh1Figures, TriangleBCFHasItsApexFOnTheExtensionOfAB) {
  // F where l through D meets AB extended: grid (5.56, 8.6), (878, 150).
  EXPECT_EQ(glyphAt(stepOf(6, 4), 828, 128, "F"), 5);
  EXPECT_TRUE(hasSegment(stepOf(6, 4), 800, 280, 920, 80, 0));  // A to the end of the extension
  EXPECT_TRUE(hasSegment(stepOf(6, 5), 900, 530, 878, 150, 5));  // CF
  EXPECT_TRUE(hasSegment(stepOf(6, 3), 850, 80, 1000, 455, 3));  // l
}

// ---- random keys inside the chapter ----

TEST(DravolinCh1Soak, RandomKeysOpenEveryScreenAndNeverEndInAnError) {
  // Numbers and any keys typed at random from chapter 1's prompt on.
  const std::vector<std::string> pool = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0",
                                         "/", ".", "Enter", "Enter", "Enter", "Space", "Right"};
  std::mt19937 gen(7);
  std::uniform_int_distribution<size_t> pick(0, pool.size() - 1);
  std::string keys = "1 Enter";
  for (int k = 0; k < 1500; ++k) keys += " " + pool[pick(gen)];
  const HeadlessRun& r = run(keys);
  EXPECT_EQ(r.status, 0);
  // Each screen known by the first glyph of its first line.
  std::set<std::string> opened;
  for (const std::string& l : r.trace)
    if (isOp(l, "SYMBOL") && num(l, "y") == 30 && num(l, "x") <= 65)
      opened.insert(text(l, "text") + std::to_string(static_cast<int>(num(l, "x"))) + "/" +
                    std::to_string(static_cast<int>(num(l, "colour"))));
  for (const char* first : {"Q38/0", "Q40/3", "P38/3", "Q38/3", "A65/3", "<38/0", "<38/7"})
    EXPECT_TRUE(opened.count(first)) << first;
}

}  // namespace
