// Kelvaro's chapters 4 (screens 2 to 7) and 5, run headless from the main
// menu and read back from the drawing trace.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "lessons/triangles/lessons.h"
#include "tests/framework/trace_ops.h"
#include "tests/harness.h"
#include "tests/lessons/screen_visits.h"

namespace {

using trace_ops::num;
using trace_ops::text;

using namespace screen_visits;

// ---- every screen: its key waits, no runtime error, a second visit alike ----

struct ScreenCase {
  const char* name;
  int chapter, item;
  std::string keys;  // the keys the screen takes
  int waitAnyKeys;   // of which WaitAnyKey pauses
};

TEST(KelvaroCh45Screens, TakeTheirKeysEndWithoutAWaitAndRepeatExactly) {
  const ScreenCase cases[] = {
      {"ch4 flip and slide", 4, 2, "1 1 " + repeat("Space", 3), 3},
      {"ch4 question 1", 4, 3, repeat("Space", 10), 10},
      {"ch4 conditions", 4, 4, repeat("Space", 1), 1},
      {"ch4 question 2", 4, 5, repeat("Space", 4), 4},
      {"ch4 example 1", 4, 6, repeat("Space", 15), 15},
      {"ch4 question 3", 4, 7, repeat("Space", 30), 30},
      {"ch5 problems 1, 2", 5, 1, repeat("Right", 4), 4},
      {"ch5 problem 3", 5, 2, repeat("7", 6), 6},
  };
  for (const ScreenCase& c : cases) {
    SCOPED_TRACE(c.name);
    expectVisits(visitTwice<TriangleLessons>(c.chapter, c.item, c.keys), c.waitAnyKeys);
  }
}

// ---- the flip and the slide ----

HeadlessRun flipSlide(const std::string& keys) {
  return runHeadless<TriangleLessons>("4 Enter 2 Enter " + keys);
}

// The moving E of the flip as the turned triangle's outline drawn after key
// n starts.
std::pair<double, double> movingE(const std::vector<std::string>& trace, int n) {
  for (const std::string& line : afterKey(trace, n))
    if (isOp(line, "CONNECT")) {
      double x = 0, y = 0;
      std::sscanf(line.c_str(), "{\"op\":\"CONNECT\",\"points\":[[%lf,%lf]", &x, &y);
      return {x, y};
    }
  return {NAN, NAN};
}

TEST(KelvaroCh4Flip, MovingEFollowsTheArrowsWithinHalfATurn) {
  struct Case {
    std::string keys;
    double x, y;
  } cases[] = {
      {"Left", 800, 610},                                // held at 180 degrees
      {repeat("Right", 3) + "Space", 821.44, 620},       // 210: Space redraws
      {repeat("Right", 9), 960, 630},                    // 270: 20 below F
      {repeat("Right", 18), 1120, 610},                  // 360: on E's image
      {repeat("Right", 19), 1120, 610},                  // held at 360
      {repeat("Right", 12) + repeat("Left", 6), 880, 627.32},  // back to 240
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    HeadlessRun run = flipSlide(c.keys);
    ASSERT_EQ(run.status, 0);
    int n = 4 + static_cast<int>(rt::parseKeys(c.keys).size());
    auto [x, y] = movingE(run.trace, n);
    EXPECT_NEAR(x, c.x, 0.01);
    EXPECT_NEAR(y, c.y, 0.01);
    // Every key but "1" erases the figure area before the redraw.
    std::vector<std::string> after = afterKey(run.trace, n);
    size_t erase = 0, redraw = 0;
    while (erase < after.size() &&
           !(isOp(after[erase], "LINE") && num(after[erase], "x1") == 520 && num(after[erase], "y1") == 250 &&
             num(after[erase], "x2") == 1160 && num(after[erase], "y2") == 700 && num(after[erase], "fill") == 15))
      ++erase;
    while (redraw < after.size() && !isOp(after[redraw], "CONNECT")) ++redraw;
    EXPECT_LT(erase, redraw);
    // The letter at the moving E follows it.
    bool labelled = false;
    for (const std::string& line : symbolsAt(after, "E"))
      labelled |= std::abs(num(line, "x") - (c.x + 4)) < 0.01 && std::abs(num(line, "y") - (c.y + 6)) < 0.01;
    EXPECT_TRUE(labelled);
  }
}

TEST(KelvaroCh4Slide, FirstPassOverTheFlipThenHeldBetweenItsEnds) {
  // Flip left half-turned; the slide's first pass follows at once.
  HeadlessRun run = flipSlide(repeat("Right", 9) + "1 " + repeat("Left", 13) + "1");
  ASSERT_EQ(run.status, 0);
  std::vector<std::string> afterOne = afterKey(run.trace, 4 + 10);
  bool erased = false, flipText = false, slideD = false;
  for (const std::string& line : afterOne) {
    erased |= isOp(line, "LINE") && num(line, "x1") == 520 && num(line, "fill") == 15;
    flipText |= isOp(line, "SYMBOL") && num(line, "x") == 38 && num(line, "y") == 100;
    slideD |= isOp(line, "SYMBOL") && text(line, "text") == "D" && num(line, "x") == 932;
  }
  EXPECT_FALSE(erased);
  EXPECT_TRUE(flipText);
  EXPECT_TRUE(slideD);
  // After twelve (and a thirteenth) left arrows: D on A, F on C, E at (9, 1).
  for (int n : {4 + 10 + 12, 4 + 10 + 13}) {
    std::vector<std::string> after = afterKey(run.trace, n);
    std::vector<std::string> d = symbolsAt(after, "D"), e = symbolsAt(after, "E"), f = symbolsAt(after, "F");
    ASSERT_EQ(d.size(), 1u);
    ASSERT_EQ(e.size(), 1u);
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(num(d[0], "x"), 692);
    EXPECT_EQ(num(d[0], "y"), 280);
    EXPECT_EQ(num(e[0], "x"), 884);
    EXPECT_EQ(num(e[0], "y"), 616);
    EXPECT_EQ(num(f[0], "x"), 692);
    EXPECT_EQ(num(f[0], "y"), 616);
    EXPECT_EQ(num(d[0], "colour"), 0);
  }
  // The conclusion follows the slide's "1"; the letters A, B, C were drawn
  // in colour 0 (the flip's labels set it).
  std::vector<std::string> end = afterKey(run.trace, 4 + 10 + 14);
  ASSERT_FALSE(end.empty());
  EXPECT_EQ(symbolsAt(end, "△").size(), 1u);
  EXPECT_EQ(num(symbolsAt(afterOne, "A")[0], "colour"), 0);
}

TEST(KelvaroCh4Slide, RightArrowAtTheStartKeepsDOnItsOwnPlace) {
  HeadlessRun run = flipSlide("1 Right");
  ASSERT_EQ(run.status, 0);
  std::vector<std::string> d = symbolsAt(afterKey(run.trace, 6), "D");
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(num(d[0], "x"), 932);
}

// The conclusion's lines, one step a key, and what the screen leaves under
// the sub-menu's prompt: the assignment line moves the TextCursor like every
// other line.
TEST(KelvaroCh4Slide, ConclusionLinesAndWhatTheScreenLeaves) {
  HeadlessRun run = flipSlide("1 1 Space Space Space");
  ASSERT_EQ(run.status, 0);
  struct Line {
    int key;
    float x, y;
    int colour;
    const char* first;
  } lines[] = {{7, 38, 230, 3, "∠"}, {7, 38, 280, 0, "だ"}, {8, 38, 340, 3, "3"},
               {8, 38, 400, 0, "し"},  {9, 40, 480, 7, "教"}};
  for (const Line& l : lines) {
    SCOPED_TRACE(l.first);
    bool found = false;
    for (const std::string& line : afterKey(run.trace, l.key))
      found |= isOp(line, "SYMBOL") && num(line, "x") == l.x && num(line, "y") == l.y &&
               num(line, "colour") == l.colour && text(line, "text") == l.first;
    EXPECT_TRUE(found);
  }
  const Framework& p = *run.program;
  EXPECT_EQ(p.YI1, 480);
  EXPECT_GT(p.XI2, 40 + 10 * 27);
  EXPECT_EQ(p.KAKUDO, 180);
  EXPECT_EQ(p.DX, 20);
}

// ---- AnswerBoxes: placeholder and reveal at one rectangle ----

struct BoxCase {
  float width;
  const char* placeholder;
  const char* answer;  // as drawn: "%" is "°"
  float marginX;       // the left edge of a box that opens its line, else 0
};

// Finds each box's placeholder, then its reveal at the same rectangle with
// the answer as its text; returns the index after the last reveal.
size_t checkBoxes(const std::vector<std::string>& lines, size_t from,
                  const std::vector<BoxCase>& boxes) {
  auto isBox = [](const std::string& l) {
    return isOp(l, "LINE") && num(l, "form") == 2 && num(l, "colour") == 3 && num(l, "fill") == 13;
  };
  std::vector<size_t> at;
  size_t i = from;
  for (const BoxCase& b : boxes) {
    SCOPED_TRACE(b.placeholder);
    while (i < lines.size() && !(isBox(lines[i]) && textAfter(lines, i).rfind(b.placeholder, 0) == 0)) ++i;
    EXPECT_LT(i, lines.size());
    if (i >= lines.size()) return i;
    EXPECT_EQ(num(lines[i], "x2") - num(lines[i], "x1"), b.width);
    EXPECT_EQ(num(lines[i], "y2") - num(lines[i], "y1"), 48);
    if (b.marginX > 0) {
      EXPECT_EQ(num(lines[i], "x1"), b.marginX);
    }
    at.push_back(i++);
  }
  for (size_t k = 0; k < boxes.size(); ++k) {
    SCOPED_TRACE(boxes[k].answer);
    const std::string& p = lines[at[k]];
    while (i < lines.size() &&
           !(isBox(lines[i]) && num(lines[i], "x1") == num(p, "x1") && num(lines[i], "y1") == num(p, "y1") &&
             num(lines[i], "x2") == num(p, "x2")))
      ++i;
    EXPECT_LT(i, lines.size());
    if (i >= lines.size()) return i;
    EXPECT_EQ(textAfter(lines, i), boxes[k].answer);
    ++i;
  }
  return i;
}

TEST(KelvaroCh4Boxes, RevealsCoverTheirPlaceholders) {
  {
    SCOPED_TRACE("question 1");
    HeadlessRun run = runHeadless<TriangleLessons>("4 Enter 3 Enter " + repeat("Space", 10));
    checkBoxes(visitFrom(run.trace, 4).lines, 0,
               {{76, "ア", "AE", 0}, {76, "イ", "底角", 36}, {76, "ウ", "∠E", 0}, {76, "エ", "∠F", 0},
                {114, "オ", "90°", 0}, {76, "カ", "DE", 0}, {342, "キ", "斜辺と1つの鋭角", 36}});
  }
  {
    SCOPED_TRACE("example 1");
    HeadlessRun run = runHeadless<TriangleLessons>("4 Enter 6 Enter " + repeat("Space", 15));
    checkBoxes(visitFrom(run.trace, 4).lines, 0,
               {{76, "ア", "CM", 0}, {152, "イ", "∠MEC", 0}, {114, "ウ", "90°", 0},
                {76, "エ", "底角", 0}, {152, "オ", "∠MCE", 0}, {266, "カ", "斜辺と1つの鋭角", 40}});
  }
  {
    SCOPED_TRACE("question 3");
    HeadlessRun run = runHeadless<TriangleLessons>("4 Enter 7 Enter " + repeat("Space", 30));
    std::vector<std::string> lines = visitFrom(run.trace, 4).lines;
    size_t next = checkBoxes(lines, 0,
                             {{152, "ア", "∠IBE", 0}, {152, "イ", "∠IEB", 0}, {114, "ウ", "90°", 0},
                              {76, "エ", "IB", 0}, {304, "オ", "斜辺と1つの鋭角", 36}, {76, "カ", "IE", 0}});
    checkBoxes(lines, next,
               {{152, "ア", "∠AFI", 0}, {114, "イ", "90°", 0}, {76, "ウ", "IF", 0}, {76, "エ", "AI", 0},
                {266, "オ", "斜辺と他の1辺", 36}, {152, "カ", "∠FAI", 0}});
  }
}

// The letters of the slid figure: A, B, C in the colour the typed sub-menu
// choice left (5), D, E, F in 0 next to them.
TEST(KelvaroCh4Question1, LettersTakeTheColourInForce) {
  HeadlessRun run = runHeadless<TriangleLessons>("4 Enter 3 Enter");
  ASSERT_EQ(run.status, 0);
  std::vector<std::string> lines = visitFrom(run.trace, 4).lines;
  for (const char* l : {"A", "B", "C"}) EXPECT_EQ(num(symbolsAt(lines, l).at(0), "colour"), 5) << l;
  struct {
    const char* letter;
    double x, y;
  } fixed[] = {{"D", 892, 40}, {"E", 1084, 376}, {"F", 892, 376}};
  for (const auto& f : fixed) {
    std::vector<std::string> s = symbolsAt(lines, f.letter);
    ASSERT_FALSE(s.empty()) << f.letter;
    EXPECT_EQ(num(s.front(), "x"), f.x);
    EXPECT_EQ(num(s.front(), "y"), f.y);
    EXPECT_EQ(num(s.front(), "colour"), 0);
  }
}

// ---- figures computed in pixels ----

TEST(KelvaroCh4Figures, FeetIntersectionsAndTheIncircle) {
  {
    SCOPED_TRACE("example 1: D and E mirror each other about x = 930");
    HeadlessRun run = runHeadless<TriangleLessons>("4 Enter 6 Enter");
    ASSERT_EQ(run.status, 0);
    Framework& p = *run.program;
    EXPECT_NEAR(p.X_A(5), 791.5, 0.1);
    EXPECT_NEAR(p.Y_A(5), 427.7, 0.1);
    EXPECT_NEAR(p.X_A(6), 1068.5, 0.1);
    EXPECT_NEAR(p.Y_A(6), p.Y_A(5), 0.01);
  }
  SCOPED_TRACE("question 3: the incentre and the circle through D, E, F");
  HeadlessRun run = runHeadless<TriangleLessons>("4 Enter 7 Enter " + repeat("Space", 30));
  ASSERT_EQ(run.status, 0);
  Framework& p = *run.program;
  const double want[][2] = {{975.3, 105.1}, {730, 530},     {1130, 530},   {949.2, 403.4},
                            {839.6, 340.1}, {949.2, 530.0}, {1068.2, 360.1}};
  for (int s = 1; s <= 7; ++s) {
    EXPECT_NEAR(p.X_A(s), want[s - 1][0], 0.1) << s;
    EXPECT_NEAR(p.Y_A(s), want[s - 1][1], 0.1) << s;
  }
  auto dist = [&](int s) { return std::hypot(p.X_A(s) - p.X_A(4), p.Y_A(s) - p.Y_A(4)); };
  EXPECT_NEAR(dist(5), 126.57, 0.01);
  EXPECT_NEAR(dist(6), dist(5), 0.01);
  EXPECT_NEAR(dist(7), dist(5), 0.01);
  // The incircle comes with the 29th key of the screen, alone.
  int circles = 0;
  for (const std::string& line : afterKey(run.trace, 4 + 29)) {
    if (!isOp(line, "CIRCLE")) continue;
    ++circles;
    EXPECT_NEAR(num(line, "cx"), p.X_A(4), 0.001);
    EXPECT_NEAR(num(line, "cy"), p.Y_A(4), 0.001);
    EXPECT_NEAR(num(line, "r"), dist(5), 0.001);
    EXPECT_EQ(num(line, "colour"), 5);
    EXPECT_EQ(line.find("\"filled\":true"), std::string::npos);
  }
  EXPECT_EQ(circles, 1);
  // Part (2) erases the text column up to x = 684 and keeps the figure.
  bool erased = false;
  for (const std::string& line : afterKey(run.trace, 4 + 18))
    erased |= isOp(line, "LINE") && num(line, "x1") == 0 && num(line, "x2") == 684 && num(line, "fill") == 15;
  EXPECT_TRUE(erased);
}

// ---- boxes of the conditions screen and the problem pages ----

struct Rect {
  double x1, y1, x2, y2;
  int border, fill;
};

void expectBoxes(const std::vector<std::string>& lines, const std::vector<Rect>& rects) {
  for (const Rect& r : rects) {
    bool found = false;
    for (const std::string& l : lines)
      found |= isOp(l, "LINE") && num(l, "form") == 2 && num(l, "x1") == r.x1 && num(l, "y1") == r.y1 &&
               num(l, "x2") == r.x2 && num(l, "y2") == r.y2 && num(l, "colour") == r.border &&
               num(l, "fill") == r.fill;
    EXPECT_TRUE(found) << r.x1 << "," << r.y1;
  }
}

TEST(KelvaroCh45Layout, NumberBoxesTitlesAndBadges) {
  {
    SCOPED_TRACE("conditions");
    HeadlessRun run = runHeadless<TriangleLessons>("4 Enter 4 Enter");
    std::vector<std::string> lines = visitFrom(run.trace, 4).lines;
    expectBoxes(lines, {{690, 50, 730, 98, 3, 13}, {690, 330, 730, 378, 3, 13},
                        {36, 210, 76, 258, 3, 13}, {36, 370, 76, 418, 3, 13}});
    int letters = 0;
    for (const char* l : {"A", "B", "C", "D", "E", "F"})
      for (const std::string& s : symbolsAt(lines, l)) letters += num(s, "colour") == 7;
    EXPECT_EQ(letters, 12);
  }
  {
    SCOPED_TRACE("problems 1 and 2");
    HeadlessRun run = runHeadless<TriangleLessons>("5 Enter 1 Enter " + repeat("Space", 4));
    expectBoxes(visitFrom(run.trace, 4).lines,
                {{38, 30, 522, 74, 5, 4}, {38, 100, 82, 144, 4, 3}, {38, 420, 82, 464, 4, 3}});
  }
  SCOPED_TRACE("problem 3");
  HeadlessRun run = runHeadless<TriangleLessons>("5 Enter 2 Enter Space");
  expectBoxes(visitFrom(run.trace, 4).lines, {{114, 30, 598, 74, 5, 4}, {618, 30, 662, 74, 4, 3}});
  // Step 2: two upright ticks on BC, 8 and 16 pixels past its midpoint.
  std::vector<double> xs;
  for (const std::string& l : afterKey(run.trace, 5))
    if (isOp(l, "LINE") && num(l, "form") == 0 && num(l, "colour") == 3) {
      EXPECT_NEAR(num(l, "x1"), num(l, "x2"), 0.001);
      EXPECT_NEAR(std::abs(num(l, "y2") - num(l, "y1")), 36, 0.001);
      xs.push_back(num(l, "x1"));
    }
  ASSERT_EQ(xs.size(), 2u);
  EXPECT_NEAR(xs[0], 818, 0.001);
  EXPECT_NEAR(xs[1], 826, 0.001);
}

// ---- what each screen leaves behind ----

// The settings a screen leaves for the next (CCC1 is the prompt's by then):
// the pen width, line and fill colours, box size, the TextCursor, and the
// polygon table. A NAN is not checked.
TEST(KelvaroCh45Screens, LeaveTheirSettingsAndTheTextCursor) {
  struct Case {
    const char* name;
    std::string keys;
    double width, ccc2, ccc3, haba, tate, xi1, xi2, yi1;
    double g[3][2];  // G(1..3, 1..2)
  } cases[] = {
      {"ch4 conditions: G at the lower D, E, F", "4 Enter 4 Enter Space", 5, 3, 13, 40, 48, 36, NAN, NAN,
       {{1130, 370}, {970, 570}, {1130, 570}}},
      {"ch4 question 2: sets no width", "4 Enter 5 Enter " + repeat("Space", 4), 3, 0, 0, 0, 0, 36, NAN, 290,
       {{0, 0}, {0, 0}, {0, 0}}},
      // The closing lines move the TextCursor to their end.
      {"ch4 example 1", "4 Enter 6 Enter " + repeat("Space", 15), 5, 3, 13, 266, 48, 40, 1205, 600,
       {{930, 220}, {730, 520}, {1130, 520}}},
      {"ch4 question 3", "4 Enter 7 Enter " + repeat("Space", 30), 5, 3, 13, 152, 48, 36, 685, 620,
       {{975.337, 105.065}, {730, 530}, {1130, 530}}},
      {"ch5 problems 1, 2", "5 Enter 1 Enter " + repeat("Space", 4), 3, 4, 3, 44, 44, 38, NAN, 470,
       {{0, 0}, {0, 0}, {0, 0}}},
      {"ch5 problem 3", "5 Enter 2 Enter " + repeat("Space", 6), 5, 0, 5, NAN, NAN, 114, NAN, 240,
       {{810, 200}, {610, 500}, {1010, 500}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HeadlessRun run = runHeadless<TriangleLessons>(c.keys);
    ASSERT_EQ(run.status, 0);
    Framework& p = *run.program;
    const std::pair<double, double> checks[] = {
        {c.width, p.GETDRAWWIDTH()}, {c.ccc2, p.CCC2}, {c.ccc3, p.CCC3}, {c.haba, p.HABA},
        {c.tate, p.TATE},            {c.xi1, p.XI1},   {c.xi2, p.XI2},   {c.yi1, p.YI1}};
    const char* names[] = {"width", "CCC2", "CCC3", "HABA", "TATE", "XI1", "XI2", "YI1"};
    for (size_t i = 0; i < std::size(checks); ++i) {
      if (!std::isnan(checks[i].first)) {
        EXPECT_NEAR(checks[i].second, checks[i].first, 0.01) << names[i];
      }
    }
    for (int r = 1; r <= 3; ++r)
      for (int k = 1; k <= 2; ++k) EXPECT_NEAR(p.G_A(r, k), c.g[r - 1][k - 1], 0.01) << "G " << r << "," << k;
  }
}

// ---- random keys through the screens ----

// Keys biased to what moves through Kelvaro's menus and screens: item
// numbers, Enter and spaces, with a few arrows and entry edits.
std::vector<std::string> screenTourKeys(uint32_t seed, int count) {
  static const std::vector<std::string> pool = {
      "1", "2", "3", "4", "5", "6", "7", "8", "1", "2", "3", "4", "5", "6", "7",
      "Enter", "Enter", "Enter", "Enter", "Enter", "Enter", "Enter", "Enter",
      "Space", "Space", "Space", "Space", "Space", "Space", "Space", "Space",
      "Right", "Left", "Backspace", "0", "/",
  };
  std::mt19937 gen(seed);
  std::uniform_int_distribution<size_t> pick(0, pool.size() - 1);
  std::vector<std::string> keys;
  for (int i = 0; i < count; ++i) keys.push_back(pool[pick(gen)]);
  return keys;
}

TEST(KelvaroScreenSoak, RandomMenuNumbersEnterAndSpacesNeverEndInAnError) {
  for (uint32_t seed : {21u, 22u, 23u}) {
    SCOPED_TRACE(seed);
    std::vector<std::string> keys = screenTourKeys(seed, 4000);
    size_t used = 0;
    int runs = 0;
    while (used < keys.size()) {
      std::string script;
      for (size_t i = used; i < keys.size(); ++i) script += keys[i] + " ";
      HeadlessRun run = runHeadless<TriangleLessons>(script, seed + runs++);
      size_t taken = 0;
      for (const std::string& line : run.trace) taken += isKey(line);
      ASSERT_EQ(run.status, 0) << "run " << runs << " stopped after key " << used + taken;
      ASSERT_GT(taken, 0u);
      used += taken;
    }
  }
}

}  // namespace
