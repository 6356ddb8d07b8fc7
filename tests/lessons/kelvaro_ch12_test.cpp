// Kelvaro's chapters 1 and 2 run headless from the main menu: each screen's
// pacing, its lines, its answer boxes and marks, and the random practice.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "lessons/triangles/lessons.h"
#include "tests/framework/text_trace.h"
#include "tests/harness.h"

namespace {

using Trace = std::vector<std::string>;
using texttrace::field;

double num(const std::string& line, const std::string& key) { return std::stod(field(line, key)); }
bool is(const std::string& line, const char* op) { return field(line, "op") == op; }
bool near(double a, double b, double tol = 0.01) { return std::fabs(a - b) <= tol; }

// The keys that open screen `item` of chapter `chapter` from the main menu
// and then press Space `spaces` times.
std::string screenKeys(int chapter, int item, int spaces) {
  std::string keys = std::to_string(chapter) + " Enter " + std::to_string(item) + " Enter";
  for (int k = 0; k < spaces; ++k) keys += " Space";
  return keys;
}

// One headless run per key script, shared by the tests.
const HeadlessRun& run(const std::string& keys, uint32_t seed = 1) {
  static std::map<std::pair<std::string, uint32_t>, HeadlessRun> runs;
  auto it = runs.find({keys, seed});
  if (it == runs.end()) it = runs.emplace(std::make_pair(keys, seed), runHeadless<TriangleLessons>(keys, seed)).first;
  return it->second;
}

bool isWaitBox(const std::string& l) {
  return is(l, "LINE") && num(l, "x1") == 96 && num(l, "y1") == 657 && num(l, "form") == 2 &&
         num(l, "fill") == 4;
}
bool isSubMenuLine(const std::string& l) {
  return is(l, "SYMBOL") && num(l, "x") == 16 && num(l, "y") == 666;
}
int countIf(const Trace& t, bool (*pred)(const std::string&)) {
  int n = 0;
  for (const std::string& l : t) n += pred(l);
  return n;
}

// What ScreenStep `step` of a screen drew (the opening keys are four).
Trace stepOf(const Trace& t, int step) { return afterKey(t, 3 + step); }

// The texts drawn into the boxes of width `haba` whose text line is at `y`,
// each as "text border/fill colour" (a box holding a fraction is 70 high).
std::vector<std::string> boxesOnLine(const Trace& t, double y, double haba, double tate = 48) {
  const double top = y - std::floor((tate - 44) / 2);
  std::vector<std::string> out;
  for (size_t i = 0; i < t.size(); ++i) {
    const std::string& l = t[i];
    if (!is(l, "LINE") || num(l, "form") != 2 || !near(num(l, "y1"), top) ||
        !near(num(l, "x2") - num(l, "x1"), haba) || !near(num(l, "y2") - num(l, "y1"), tate))
      continue;
    std::vector<std::string> glyphs;
    std::string colour = "-";
    for (size_t j = i + 1; j < t.size() && !is(t[j], "KEY"); ++j) {
      if (is(t[j], "SYMBOL") && num(t[j], "x") >= num(l, "x1") && num(t[j], "x") < num(l, "x2") &&
          num(t[j], "y") < num(l, "y2")) {
        glyphs.push_back(t[j]);
        colour = field(t[j], "colour");
      } else if (!is(t[j], "LINE") || num(t[j], "form") == 2) {
        break;  // strokes of "+", "-" and fraction bars belong to the text
      }
    }
    // Left to right; a fraction's numerator before its denominator.
    std::stable_sort(glyphs.begin(), glyphs.end(), [](const std::string& a, const std::string& b) {
      return num(a, "x") != num(b, "x") ? num(a, "x") < num(b, "x") : num(a, "y") < num(b, "y");
    });
    std::string text;
    for (const std::string& g : glyphs) text += field(g, "text");
    out.push_back(text + " " + field(l, "colour") + "/" + field(l, "fill") + " " + colour);
  }
  return out;
}

// The colour of the glyph `text` drawn at (x, y), or -1.
int glyphColour(const Trace& t, double x, double y, const std::string& text) {
  int colour = -1;
  for (const std::string& l : t)
    if (is(l, "SYMBOL") && near(num(l, "x"), x) && near(num(l, "y"), y) && field(l, "text") == text)
      colour = static_cast<int>(num(l, "colour"));
  return colour;
}

// ---- every screen: its key waits, and the chapter menu after it ----

struct Screen {
  int chapter, item, waits;
};
const Screen kScreens[] = {
    {1, 1, 28}, {1, 2, 13}, {1, 3, 11}, {1, 5, 4}, {1, 6, 5}, {1, 7, 3},
    {2, 1, 6},  {2, 2, 5},  {2, 3, 5},  {2, 4, 6},
};

TEST(KelvaroCh12Screens, EachScreenWaitsOncePerStepThenShowsItsMenuAgain) {
  for (const Screen& s : kScreens) {
    SCOPED_TRACE(std::to_string(s.chapter) + "-" + std::to_string(s.item));
    const HeadlessRun& r = run(screenKeys(s.chapter, s.item, s.waits));
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(countIf(r.trace, isWaitBox), s.waits);
    // The sub-menu after the goal screen, then again after the last step.
    EXPECT_EQ(countIf(r.trace, isSubMenuLine), 2);
    EXPECT_GT(countIf(afterKey(r.trace, 4 + s.waits), isSubMenuLine), 0);
  }
}

TEST(KelvaroCh12Screens, ASecondVisitDrawsTheSamePage) {
  for (const Screen& s : kScreens) {
    SCOPED_TRACE(std::to_string(s.chapter) + "-" + std::to_string(s.item));
    std::string again = screenKeys(s.chapter, s.item, s.waits) + " " + std::to_string(s.item) + " Enter";
    for (int k = 0; k < s.waits; ++k) again += " Space";
    const HeadlessRun& r = run(again);
    ASSERT_EQ(r.status, 0);
    // Each visit from its page clear to the next sub-menu prompt. The clear
    // and the prompt's cursor take the pen width that the last screen left,
    // so the clear is compared without it.
    std::vector<Trace> visits(1);
    bool inScreen = false;
    for (const std::string& l : r.trace) {
      if (isSubMenuLine(l)) inScreen = false;
      if (is(l, "LINE") && num(l, "form") == 2 && num(l, "x1") == 0 && num(l, "y1") == 0 &&
          num(l, "x2") >= 1600 && !inScreen) {
        inScreen = true;
        visits.emplace_back();
        visits.back().push_back(l.substr(0, l.find(",\"width\"")));
        continue;
      }
      if (inScreen) visits.back().push_back(l);
    }
    ASSERT_GE(visits.size(), 4u);  // the menus, then the two visits
    EXPECT_EQ(visits[visits.size() - 2], visits.back());
  }
}

TEST(KelvaroCh12Screens, AFullTourOfBothChaptersEndsAtTheMainMenu) {
  // Every screen of chapter 1 (the practice with one extra case), back to
  // the main menu, every screen of chapter 2, back again, and the end item.
  std::string keys = "1 Enter";
  for (const Screen& s : kScreens) {
    if (s.chapter == 2 && s.item == 1) keys += " 8 Enter 2 Enter";
    keys += " " + std::to_string(s.item) + " Enter";
    for (int k = 0; k < s.waits; ++k) keys += " Space";
    if (s.chapter == 1 && s.item == 3)
      keys += " 4 Enter Space Space 0 Enter Space Space 1 Enter Space Space 1 Enter";
  }
  keys += " 5 Enter 8 Enter";
  const HeadlessRun& r = run(keys);
  EXPECT_EQ(r.status, 0);
  int consumed = 0, mainMenus = 0;
  for (const std::string& l : r.trace) {
    consumed += is(l, "KEY");
    mainMenus += is(l, "SYMBOL") && num(l, "x") == 264 && num(l, "y") == 30;
  }
  EXPECT_EQ(consumed, static_cast<int>(rt::parseKeys(keys).size()));
  EXPECT_EQ(mainMenus, 3);
}

// ---- the lines: first glyph, position and colour, in their step ----

struct Line {
  int chapter, item, waits, step;
  double x, y;
  const char* glyph;
  int colour;
};
const Line kLines[] = {
    // chapter 1 screen 1: the task, the question, the proof, the grounds
    {1, 1, 28, 1, 38, 30, "教", 3},
    {1, 1, 28, 1, 766, 556, "A", 0},  // label at A (-14, +6)
    {1, 1, 28, 6, 936, 300, "O", 0},
    {1, 1, 28, 10, 786, 128, "C", 0},
    {1, 1, 28, 13, 38, 80, "∠", 5},
    {1, 1, 28, 14, 38, 130, "∠", 0},
    {1, 1, 28, 15, 38, 180, "二", 0},
    {1, 1, 28, 15, 38, 230, "∠", 0},
    {1, 1, 28, 17, 38, 280, "こ", 3},
    {1, 1, 28, 18, 38, 380, "三", 0},
    {1, 1, 28, 21, 38, 530, "∠", 0},
    {1, 1, 28, 23, 38, 580, "∠", 5},
    {1, 1, 28, 26, 38, 30, "こ", 7},
    {1, 1, 28, 27, 38, 80, "①", 3},
    {1, 1, 28, 27, 101, 130, "2", 3},
    {1, 1, 28, 28, 38, 180, "②", 3},
    {1, 1, 28, 29, 38, 230, "③", 3},
    // chapter 1 screen 2: statement, questions, proof, grounds overdrawn
    {1, 2, 13, 1, 38, 30, "△", 3},
    {1, 2, 13, 1, 38, 100, "(", 0},
    {1, 2, 13, 2, 119, 150, "仮", 0},
    {1, 2, 13, 6, 1026, 510, "D", 0},
    {1, 2, 13, 7, 119, 320, "△", 5},
    {1, 2, 13, 9, 38, 150, "△", 0},
    {1, 2, 13, 9, 38, 205, "A", 0},
    {1, 2, 13, 9, 38, 575, "∠", 0},
    {1, 2, 13, 14, 38, 30, "こ", 7},
    {1, 2, 13, 14, 38, 205, "A", 7},
    {1, 2, 13, 14, 38, 260, "仮", 7},
    {1, 2, 13, 14, 38, 315, "A", 7},
    {1, 2, 13, 14, 38, 425, "2", 7},
    {1, 2, 13, 14, 38, 525, "合", 7},
    // chapter 1 screen 3: four sections; letters in the menu's colour 5
    {1, 3, 11, 1, 38, 30, "1", 5},
    {1, 3, 11, 1, 76, 80, "二", 3},
    {1, 3, 11, 3, 38, 140, "2", 5},
    {1, 3, 11, 7, 1026, 516, "底", 3},
    {1, 3, 11, 8, 76, 190, "A", 0},
    {1, 3, 11, 11, 38, 360, "3", 5},
    {1, 3, 11, 11, 76, 415, "証", 0},
    {1, 3, 11, 11, 38, 475, "4", 5},
    {1, 3, 11, 11, 76, 525, "定", 3},
    // chapter 1 screen 5: two columns of worked answers
    {1, 5, 4, 1, 114, 30, "<", 3},
    {1, 5, 4, 1, 38, 80, "(", 3},
    {1, 5, 4, 2, 38, 230, "(", 3},
    {1, 5, 4, 3, 38, 380, "(", 3},
    {1, 5, 4, 3, 118, 558, "x", 0},  // an italic x stands 4 right, 22 up
    {1, 5, 4, 5, 532, 30, "(", 3},
    {1, 5, 4, 5, 612, 208, "x", 0},
    // chapter 1 screen 6: questions, kinds of triangle, assignment
    {1, 6, 5, 1, 38, 30, "<", 3},
    {1, 6, 5, 1, 38, 85, "(", 0},
    {1, 6, 5, 1, 80, 245, "①", 0},
    {1, 6, 5, 5, 38, 470, "鋭", 3},
    {1, 6, 5, 5, 38, 530, "直", 3},
    {1, 6, 5, 5, 38, 590, "鈍", 3},
    {1, 6, 5, 5, 916, 60, "鈍", 3},
    {1, 6, 5, 5, 720, 329, "直", 3},
    {1, 6, 5, 5, 995, 302, "鋭", 3},
    {1, 6, 5, 6, 560, 590, "教", 7},
    // chapter 1 screen 7
    {1, 7, 3, 1, 38, 30, "<", 3},
    {1, 7, 3, 1, 38, 80, "二", 0},
    {1, 7, 3, 1, 38, 140, "三", 0},
    {1, 7, 3, 1, 38, 410, "二", 0},
    // chapter 2 screen 1: letters in the menu's colour 5, D in 0
    {2, 1, 6, 1, 38, 30, "教", 3},
    {2, 1, 6, 2, 38, 100, "∠", 0},
    {2, 1, 6, 2, 1026, 510, "D", 0},
    {2, 1, 6, 3, 38, 150, "①", 3},
    {2, 1, 6, 4, 38, 200, "②", 3},
    {2, 1, 6, 5, 38, 250, "③", 3},
    {2, 1, 6, 7, 40, 590, "教", 7},
    // chapter 2 screen 2
    {2, 2, 5, 1, 36, 30, "<", 3},
    {2, 2, 5, 1, 36, 85, "対", 0},
    {2, 2, 5, 1, 36, 305, "す", 0},
    {2, 2, 5, 5, 36, 445, "二", 5},
    {2, 2, 5, 5, 340, 495, "底", 5},
    {2, 2, 5, 5, 36, 545, "A", 0},
    {2, 2, 5, 6, 40, 590, "教", 7},
    // chapter 2 screen 3
    {2, 3, 5, 1, 36, 30, "<", 3},
    {2, 3, 5, 1, 36, 85, "仮", 0},
    {2, 3, 5, 1, 36, 360, "∠", 0},
    {2, 3, 5, 1, 1044, 200, "E", 0},
    {2, 3, 5, 6, 36, 420, "(", 3},
    {2, 3, 5, 6, 112, 470, "底", 0},
    {2, 3, 5, 6, 112, 520, "し", 0},
    // chapter 2 screen 4
    {2, 4, 6, 1, 38, 30, "正", 0},
    {2, 4, 6, 3, 38, 90, "正", 5},
    {2, 4, 6, 3, 38, 140, "A", 0},
    {2, 4, 6, 4, 38, 190, "<", 3},
    {2, 4, 6, 4, 38, 295, "考", 0},
    {2, 4, 6, 4, 38, 455, "①", 0},
};

TEST(KelvaroCh12Screens, LinesStartWhereAndInTheColourTheirScriptGives) {
  for (const Line& l : kLines) {
    SCOPED_TRACE(std::to_string(l.chapter) + "-" + std::to_string(l.item) + " step " +
                 std::to_string(l.step) + " " + l.glyph + " at " + std::to_string(l.x) + "," +
                 std::to_string(l.y));
    const HeadlessRun& r = run(screenKeys(l.chapter, l.item, l.waits));
    EXPECT_EQ(glyphColour(stepOf(r.trace, l.step), l.x, l.y, l.glyph), l.colour);
  }
}

TEST(KelvaroCh12Screens, ScreensWithoutAnOwnTextColourLetterTheirTriangleInTheMenuColour) {
  for (const Screen& s : {Screen{1, 3, 11}, Screen{2, 1, 6}, Screen{1, 2, 13}}) {
    const Trace step1 = stepOf(run(screenKeys(s.chapter, s.item, s.waits)).trace, 1);
    std::set<int> colours;
    for (const std::string& l : step1)
      if (is(l, "SYMBOL") && (field(l, "text") == "B" || field(l, "text") == "C") && num(l, "x") > 840)
        colours.insert(static_cast<int>(num(l, "colour")));
    EXPECT_EQ(colours, std::set<int>{s.item == 2 ? 0 : 5}) << s.chapter << "-" << s.item;
  }
}

// ---- the answer boxes: placeholder, reveal and hiding, in their step ----

struct BoxStep {
  int chapter, item, waits, step;
  double y, haba, tate;
  std::vector<std::string> boxes;  // "text border/fill textcolour"
};
const BoxStep kBoxes[] = {
    // chapter 1 screen 2: four placeholders, one reveal per key, box 4 hidden
    {1, 2, 13, 9, 205, 152, 48, {"ア 3/13 5"}},
    {1, 2, 13, 9, 260, 76, 48, {"イ 3/13 5"}},
    {1, 2, 13, 9, 315, 76, 48, {"ウ 3/13 5"}},
    {1, 2, 13, 9, 370, 380, 48, {"エ 3/13 5"}},
    {1, 2, 13, 10, 205, 152, 48, {"∠CAD 3/13 5"}},
    {1, 2, 13, 11, 260, 76, 48, {"AC 3/13 5"}},
    {1, 2, 13, 12, 315, 76, 48, {"AD 3/13 5"}},
    {1, 2, 13, 13, 370, 380, 48, {"2組の辺とその間の角 3/13 5"}},
    {1, 2, 13, 14, 370, 380, 48, {"2組の辺とその間の角 15/15 15"}},
    // chapter 1 screen 3: box 1 placed three times, the theorem's border 0
    {1, 3, 11, 1, 80, 304, 48, {"ア 3/13 5"}},
    {1, 3, 11, 2, 80, 304, 48, {"2つの辺が等しい 3/13 5"}},
    {1, 3, 11, 8, 245, 76, 48, {"① 3/13 5", "② 3/13 5"}},
    {1, 3, 11, 8, 300, 76, 48, {"③ 3/13 5"}},
    {1, 3, 11, 9, 245, 76, 48, {"頂角 3/13 5"}},
    {1, 3, 11, 10, 245, 76, 48, {"底角 3/13 5"}},
    {1, 3, 11, 11, 300, 76, 48, {"底辺 3/13 5"}},
    {1, 3, 11, 11, 525, 76, 48, {"① 0/13 5"}},
    {1, 3, 11, 12, 525, 76, 48, {"底角 0/13 5"}},
    // chapter 1 screen 6
    {1, 6, 5, 1, 85, 76, 48, {"① 3/13 5"}},
    {1, 6, 5, 1, 140, 76, 48, {"② 3/13 5"}},
    {1, 6, 5, 1, 195, 76, 48, {"③ 3/13 5"}},
    {1, 6, 5, 2, 85, 76, 48, {"直角 3/13 5"}},
    {1, 6, 5, 3, 140, 76, 48, {"鋭角 3/13 5"}},
    {1, 6, 5, 4, 195, 76, 48, {"鈍角 3/13 5"}},
    // chapter 1 screen 7: the fraction box is 70 high
    {1, 7, 3, 1, 210, 114, 48, {"① 3/13 5"}},
    {1, 7, 3, 1, 280, 152, 70, {"② 3/13 5"}},
    {1, 7, 3, 1, 350, 114, 48, {"③ 3/13 5"}},
    {1, 7, 3, 2, 210, 114, 48, {"2∠b 3/13 5"}},
    {1, 7, 3, 3, 280, 152, 70, {"12∠a 3/13 5"}},
    {1, 7, 3, 4, 350, 114, 48, {"90° 3/13 5"}},
    // chapter 2 screen 2
    {2, 2, 5, 1, 85, 152, 48, {"ア 3/13 5"}},
    {2, 2, 5, 1, 140, 152, 48, {"イ 3/13 5"}},
    {2, 2, 5, 1, 250, 114, 48, {"ウ 3/13 5"}},
    {2, 2, 5, 2, 85, 152, 48, {"∠ADC 3/13 5"}},
    {2, 2, 5, 3, 140, 152, 48, {"∠ADC 3/13 5"}},
    {2, 2, 5, 4, 250, 114, 48, {"90° 3/13 5"}},
    // chapter 2 screen 3
    {2, 3, 5, 1, 85, 76, 48, {"ア 3/13 5", "イ 3/13 5"}},
    {2, 3, 5, 1, 140, 76, 48, {"ウ 3/13 5"}},
    {2, 3, 5, 1, 195, 152, 48, {"エ 3/13 5"}},
    {2, 3, 5, 2, 85, 76, 48, {"CB 3/13 5"}},
    {2, 3, 5, 3, 85, 76, 48, {"DB 3/13 5"}},
    {2, 3, 5, 4, 140, 76, 48, {"CD 3/13 5"}},
    {2, 3, 5, 5, 195, 152, 48, {"3組の辺 3/13 5"}},
    // chapter 2 screen 4: box 1 placed again in the proof
    {2, 4, 6, 1, 30, 304, 48, {"ア 3/13 5"}},
    {2, 4, 6, 2, 30, 304, 48, {"3つの辺が等しい 3/13 5"}},
    {2, 4, 6, 4, 295, 76, 48, {"ア 3/13 5"}},
    {2, 4, 6, 4, 400, 76, 48, {"イ 3/13 5"}},
    {2, 4, 6, 5, 295, 76, 48, {"∠C 3/13 5"}},
    {2, 4, 6, 6, 400, 76, 48, {"∠C 3/13 5"}},
};

TEST(KelvaroCh12Screens, AnswerBoxesShowPlaceholdersThenTheirAnswersInTheirStep) {
  for (const BoxStep& b : kBoxes) {
    SCOPED_TRACE(std::to_string(b.chapter) + "-" + std::to_string(b.item) + " step " +
                 std::to_string(b.step) + " line " + std::to_string(b.y));
    const HeadlessRun& r = run(screenKeys(b.chapter, b.item, b.waits));
    EXPECT_EQ(boxesOnLine(stepOf(r.trace, b.step), b.y, b.haba, b.tate), b.boxes);
  }
}

TEST(KelvaroCh12Screens, EachRevealCoversItsPlaceholderExactly) {
  // A reveal redraws the rectangle of its placeholder, whatever followed it.
  for (const Screen& s : kScreens) {
    const Trace& t = run(screenKeys(s.chapter, s.item, s.waits)).trace;
    std::map<std::string, int> rects;
    for (const std::string& l : t)
      if (is(l, "LINE") && num(l, "form") == 2 && num(l, "fill") == 13)
        ++rects[field(l, "x1") + "," + field(l, "y1") + "," + field(l, "x2") + "," + field(l, "y2")];
    for (const auto& [rect, n] : rects)
      EXPECT_EQ(n, 2) << s.chapter << "-" << s.item << " box " << rect << " drawn " << n << " times";
  }
}

// ---- marks ----

std::vector<std::string> opsOf(const Trace& t, const char* op, const char* key, double value) {
  std::vector<std::string> out;
  for (const std::string& l : t)
    if (is(l, op) && near(num(l, key), value, 0.001)) out.push_back(l);
  return out;
}

TEST(KelvaroCh12Marks, CompassArcsCrossAtOAndPassThroughC) {
  const Trace& t = run(screenKeys(1, 1, 28)).trace;
  struct Arc {
    int step;
    double cx, cy, h;
  };
  for (const Arc& a : {Arc{4, 780, 550, 0.8524}, Arc{5, 1080, 550, 0.6476}, Arc{9, 930, 350, 0.6476}}) {
    const Trace s = stepOf(t, a.step);
    // The compass point: a disc of radius 7 in colour 7 at the centre.
    auto discs = opsOf(s, "CIRCLE", "r", 7);
    ASSERT_EQ(discs.size(), 1u) << a.step;
    EXPECT_TRUE(near(num(discs[0], "cx"), a.cx) && near(num(discs[0], "cy"), a.cy)) << a.step;
    EXPECT_EQ(field(discs[0], "colour"), "7");
    auto arcs = opsOf(s, "CIRCLE", "r", 250);
    ASSERT_EQ(arcs.size(), 1u) << a.step;
    EXPECT_NEAR(num(arcs[0], "start"), a.h - 0.04, 1e-4) << a.step;
    EXPECT_NEAR(num(arcs[0], "end"), a.h + 0.04, 1e-4) << a.step;
    EXPECT_EQ(field(arcs[0], "colour"), "7");
    EXPECT_EQ(field(arcs[0], "filled"), "false");
  }
  // A and B first get the small dots of colour 3; C gets none.
  EXPECT_EQ(opsOf(stepOf(t, 1), "CIRCLE", "r", 5).size(), 1u);
  EXPECT_EQ(opsOf(stepOf(t, 2), "CIRCLE", "r", 5).size(), 1u);
  EXPECT_TRUE(opsOf(stepOf(t, 10), "CIRCLE", "r", 7).empty());
}

TEST(KelvaroCh12Marks, SemicircleAnglesAndTicks) {
  const Trace& t = run(screenKeys(1, 1, 28)).trace;
  // a: one arc of radius 62 (at A, then at B); b: arcs of 82 and 74 (at A, then at C).
  for (int step : {14, 15}) EXPECT_EQ(opsOf(stepOf(t, step), "CIRCLE", "r", 62).size(), 1u) << step;
  for (int step : {14, 16}) {
    EXPECT_EQ(opsOf(stepOf(t, step), "CIRCLE", "r", 82).size(), 1u) << step;
    EXPECT_EQ(opsOf(stepOf(t, step), "CIRCLE", "r", 74).size(), 1u) << step;
  }
  for (const std::string& l : opsOf(t, "CIRCLE", "r", 62)) EXPECT_EQ(field(l, "colour"), "0");
  // Two ticks in colour 9 on AO and BO (step 15) and on OC (step 16).
  EXPECT_EQ(opsOf(stepOf(t, 15), "LINE", "colour", 9).size(), 4u);
  EXPECT_EQ(opsOf(stepOf(t, 16), "LINE", "colour", 9).size(), 2u);
  EXPECT_EQ(opsOf(t, "LINE", "colour", 9).size(), 6u);
  // The grounds review erases the column left of the figure, in two boxes.
  auto erased = [&](int step, double y1, double y2) {
    for (const std::string& l : stepOf(t, step))
      if (is(l, "LINE") && num(l, "form") == 2 && num(l, "fill") == 15 && num(l, "x1") == 0 &&
          num(l, "y1") == y1 && num(l, "x2") == 680 && num(l, "y2") == y2)
        return true;
    return false;
  };
  EXPECT_TRUE(erased(26, 0, 180));
  EXPECT_TRUE(erased(28, 180, 330));
}

TEST(KelvaroCh12Marks, DottedUprightsRunFromTheVertexUp) {
  const Trace step1 = stepOf(run(screenKeys(1, 6, 5)).trace, 1);
  std::vector<std::string> dots = opsOf(step1, "CIRCLE", "r", 0.5);
  ASSERT_EQ(dots.size(), 23u + 19u);
  // Angle 2's upright at x 280 from its vertex (280, 440) to (280, 290).
  EXPECT_NEAR(num(dots[0], "cx"), 280, 0.01);
  EXPECT_NEAR(num(dots[0], "cy"), 440, 0.01);
  EXPECT_GT(num(dots[22], "cy"), 290);
  EXPECT_LT(num(dots[22], "cy"), 291);
  // Angle 3's from (530, 440) to (530, 290) inclusive.
  EXPECT_NEAR(num(dots[23], "cy"), 440, 0.01);
  EXPECT_NEAR(num(dots[41], "cx"), 530, 0.01);
  EXPECT_NEAR(num(dots[41], "cy"), 290, 0.01);
  for (const std::string& d : dots) EXPECT_EQ(num(d, "width"), 7);
}

TEST(KelvaroCh12Marks, Question2FigureHasItsAnglesInTheirColours) {
  const Trace step4 = stepOf(run(screenKeys(1, 5, 4)).trace, 4);
  std::vector<std::string> sectors = opsOf(step4, "CIRCLE", "r", 60);
  ASSERT_EQ(sectors.size(), 4u);
  // B, A, C, D in that order: fills 3, 5, 3, 7.
  const char* fills[] = {"3", "5", "3", "7"};
  for (int k = 0; k < 4; ++k) EXPECT_EQ(field(sectors[k], "fill"), fills[k]) << k;
  EXPECT_NEAR(num(sectors[0], "cx"), 640, 0.01);
  EXPECT_NEAR(num(sectors[1], "cx"), 910, 1);   // A about (910, 332)
  EXPECT_NEAR(num(sectors[1], "cy"), 332, 1);
  EXPECT_NEAR(num(sectors[3], "cx"), 1003, 1);  // D on BC with BD = BA
  // x = angle DAC = 27 degrees: the sector at A sweeps 27/360 of a turn.
  EXPECT_NEAR(num(sectors[1], "end") - num(sectors[1], "start"), 27.0 / 360, 0.002);
}

TEST(KelvaroCh12Marks, BisectorScreensMarkGivensInThreeAndResultsInFive) {
  // Chapter 2 screen 3's last step: a right angle at E and four ticks on AE
  // and on BE, centred on their midpoints, all in colour 5.
  const Trace last = stepOf(run(screenKeys(2, 3, 5)).trace, 6);
  std::vector<double> xs;
  for (const std::string& l : opsOf(last, "LINE", "colour", 5))
    if (num(l, "form") == 0 && num(l, "x1") == num(l, "x2")) xs.push_back(num(l, "x1"));
  std::multiset<double> ticks(xs.begin(), xs.end());
  for (double x : {953.0, 961.0, 969.0, 977.0, 1103.0, 1111.0, 1119.0, 1127.0})
    EXPECT_EQ(ticks.count(x), 1u) << x;
  // Chapter 2 screen 4 ends with three labelled sectors in colour 5.
  const Trace end = stepOf(run(screenKeys(2, 4, 6)).trace, 7);
  std::vector<std::string> sectors = opsOf(end, "CIRCLE", "r", 50);
  ASSERT_EQ(sectors.size(), 3u);
  for (const std::string& s : sectors) EXPECT_EQ(field(s, "fill"), "5");
  int sixties = 0;
  for (const std::string& l : end) sixties += is(l, "SYMBOL") && field(l, "text") == "6" && field(l, "colour") == "5";
  EXPECT_EQ(sixties, 3);
}

// ---- the base-angle practice ----

// The digits drawn on the text line at y, in drawing order.
std::string digitsOnLine(const Trace& t, double y, double maxX = 600) {
  std::string out;
  for (const std::string& l : t)
    if (is(l, "SYMBOL") && num(l, "y") == y && num(l, "x") < maxX) {
      std::string s = field(l, "text");
      if (s.size() == 1 && std::isdigit(static_cast<unsigned char>(s[0]))) out += s;
    }
  return out;
}

struct PracticeCase {
  int practice;
  int given;  // T(1)
  Trace trace;
};

// Splits a practice run into its cases: each starts with the erase of the
// working area.
std::vector<PracticeCase> casesOf(const Trace& t) {
  std::vector<PracticeCase> out;
  for (const std::string& l : t) {
    if (is(l, "LINE") && num(l, "form") == 2 && num(l, "x2") == 1320 && num(l, "y2") == 1300)
      out.push_back({0, 0, {}});
    else if (!out.empty())
      out.back().trace.push_back(l);
  }
  for (PracticeCase& c : out) {
    for (const std::string& l : c.trace)
      if (is(l, "SYMBOL") && num(l, "x") == 106 && num(l, "y") == 30)  // "練習１" or "練習2"
        c.practice = field(l, "text") == "１" ? 1 : 2;
    std::string first = digitsOnLine(c.trace, 250);  // "2" + T(1) + "180"
    if (first.size() == 6) c.given = std::stoi(first.substr(1, 2));
  }
  return out;
}

std::string practiceKeys(int ones, int twos, const char* again = "0") {
  std::string keys = "1 Enter 4 Enter";
  for (int k = 0; k < ones; ++k) keys += std::string(" Space Space ") + (k + 1 < ones ? again : "1") + " Enter";
  for (int k = 0; k < twos; ++k) keys += std::string(" Space Space ") + (k + 1 < twos ? again : "1") + " Enter";
  return keys;
}

TEST(KelvaroCh12Practice, EveryCaseIsValidAndItsWorkedLinesFitIt) {
  for (uint32_t seed = 1; seed <= 25; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const HeadlessRun& r = run(practiceKeys(8, 6), seed);
    ASSERT_EQ(r.status, 0);
    std::vector<PracticeCase> cases = casesOf(r.trace);
    ASSERT_EQ(cases.size(), 14u);
    int previous = 0;
    for (size_t k = 0; k < cases.size(); ++k) {
      const PracticeCase& c = cases[k];
      SCOPED_TRACE("case " + std::to_string(k + 1));
      const int t1 = c.given;
      ASSERT_EQ(c.practice, k < 8 ? 1 : 2);
      EXPECT_EQ(t1 % 2, 0);
      EXPECT_GE(t1, 50);
      EXPECT_LE(t1, 78);
      const int t2 = 180 - t1, t3 = t2 / 2, t4 = 2 * t1;
      const std::string given = std::to_string(t1);
      if (c.practice == 1) {
        EXPECT_NE(t1, previous) << "a practice-1 case repeats the one before";
        previous = t1;
        EXPECT_EQ(digitsOnLine(c.trace, 320), "2180" + given + std::to_string(t2));
        EXPECT_EQ(digitsOnLine(c.trace, 390), std::to_string(t3));
        EXPECT_EQ(glyphColour(c.trace, 42, 368, "x"), 5);
      } else {
        EXPECT_EQ(digitsOnLine(c.trace, 320), std::to_string(t4) + "180");
        EXPECT_EQ(digitsOnLine(c.trace, 390), "180" + std::to_string(t4) + std::to_string(180 - t4));
      }
      // The figure: base angles (180 - T(1))/2 at B and C, so the vertex A
      // stands over the middle of BC at 150 tan(beta); the given angle is
      // labelled with T(1) on the figure.
      const double beta = t3 * 3.14159 / 180;
      std::vector<std::string> sectors = opsOf(c.trace, "CIRCLE", "r", 60);
      ASSERT_EQ(sectors.size(), 2u);
      const std::string& atA = sectors[c.practice == 1 ? 0 : 1];
      EXPECT_NEAR(num(atA, "cx"), 800, 0.01);
      EXPECT_NEAR(num(atA, "cy"), 500 - 150 * std::tan(beta), 0.05);
      EXPECT_EQ(field(sectors[0], "fill"), "3");
      EXPECT_EQ(field(sectors[1], "fill"), "5");
      std::string label;
      for (const std::string& l : c.trace)
        if (is(l, "SYMBOL") && num(l, "x") >= 600 && field(l, "colour") == "3" &&
            std::isdigit(static_cast<unsigned char>(field(l, "text")[0])))
          label += field(l, "text");
      EXPECT_EQ(label, given);
    }
  }
}

TEST(KelvaroCh12Practice, TheLastVertexAngleCarriesOverToTheNextVisit) {
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    // Five visits of one practice-1 case each.
    std::string keys = practiceKeys(1, 1);
    for (int v = 1; v < 5; ++v) keys += " 4 Enter Space Space 1 Enter Space Space 1 Enter";
    const HeadlessRun& r = run(keys, seed);
    ASSERT_EQ(r.status, 0);
    int previous = 0;
    for (const PracticeCase& c : casesOf(r.trace)) {
      if (c.practice != 1) continue;
      EXPECT_NE(c.given, previous) << "seed " << seed;
      previous = c.given;
    }
  }
}

TEST(KelvaroCh12Practice, OnlyAnEntryOfValueOneMovesOn) {
  for (const char* entry : {"1", "0 1", "1 . 0", "2 / 2"}) {
    std::string keys = std::string("1 Enter 4 Enter Space Space ") + entry + " Enter Space Space";
    EXPECT_EQ(casesOf(run(keys).trace).back().practice, 2) << entry;
  }
  for (const char* entry : {"", "0", "2", "- 1", "0 . 5", "1 / 2"}) {
    std::string keys = std::string("1 Enter 4 Enter Space Space ") + entry + " Enter Space Space";
    std::vector<PracticeCase> cases = casesOf(run(keys).trace);
    ASSERT_EQ(cases.size(), 2u) << entry;
    EXPECT_EQ(cases.back().practice, 1) << entry;
  }
}

TEST(KelvaroCh12Practice, TheClosingLineFollowsTheLastCaseAndTheMenuReturns) {
  const HeadlessRun& r = run(practiceKeys(1, 1));
  ASSERT_EQ(r.status, 0);
  const Trace closing = afterKey(r.trace, 4 + 4 + 4);  // 2 spaces + "1 Enter" per case
  EXPECT_EQ(glyphColour(closing, 44, 600, "教"), 3);
  EXPECT_GT(countIf(closing, isSubMenuLine), 0);
  for (const std::string& l : closing) EXPECT_FALSE(is(l, "LINE") && num(l, "x2") == 1320) << "erased";
}

}  // namespace
