// Kelvaro chapter 3 (the paper strip, the isosceles condition, the
// converse) and chapter 4 screen 1, run headless from the main menu.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "lessons/triangles/lessons.h"
#include "tests/harness.h"

namespace {

using Trace = std::vector<std::string>;

// ---- reading trace lines ----

bool isOp(const std::string& line, const std::string& op) {
  return line.rfind("{\"op\":\"" + op + "\"", 0) == 0;
}

float num(const std::string& line, const std::string& key) {
  size_t at = line.find("\"" + key + "\":");
  if (at == std::string::npos) return NAN;
  return std::strtof(line.c_str() + at + key.size() + 3, nullptr);
}

std::string text(const std::string& line) {
  size_t at = line.find("\"text\":\"");
  if (at == std::string::npos) return "";
  at += 8;
  return line.substr(at, line.find('"', at) - at);
}

bool filled(const std::string& line) { return line.find("\"filled\":true") != std::string::npos; }

std::vector<std::pair<float, float>> points(const std::string& line) {
  std::vector<std::pair<float, float>> out;
  size_t at = line.find("\"points\":[");
  if (at == std::string::npos) return out;
  const char* p = line.c_str() + at + 10;
  while (*p == '[' || *p == ',') {
    if (*p == ',') ++p;
    if (*p != '[') break;
    char* end;
    float x = std::strtof(p + 1, &end);
    float y = std::strtof(end + 1, &end);
    out.push_back({x, y});
    p = end + 1;  // past ']'
  }
  return out;
}

bool near(float a, float b, float tolerance = 0.05f) { return std::fabs(a - b) <= tolerance; }
bool near(std::pair<float, float> p, float x, float y, float tolerance = 0.05f) {
  return near(p.first, x, tolerance) && near(p.second, y, tolerance);
}

// A filled box in colour 15 with these corners.
bool isEraseBox(const std::string& line, float x1, float y1, float x2, float y2) {
  return isOp(line, "LINE") && num(line, "form") == 2 && num(line, "fill") == 15 &&
         num(line, "colour") == 15 && num(line, "x1") == x1 && num(line, "y1") == y1 &&
         num(line, "x2") == x2 && num(line, "y2") == y2;
}

// The frame of WaitAnyKey (the step pause).
bool isStepPause(const std::string& line) {
  return isOp(line, "LINE") && num(line, "x1") == 96 && num(line, "y1") == 657 &&
         num(line, "fill") == 4;
}

int count(const Trace& t, bool (*pred)(const std::string&)) {
  int n = 0;
  for (const auto& l : t) n += pred(l);
  return n;
}

// The first glyph of a text: the SYMBOL that draws its first character.
struct Glyph {
  float x = NAN, y = NAN;
  int colour = -1;
};
Glyph firstGlyph(const Trace& t, const std::string& firstChar) {
  for (const auto& l : t)
    if (isOp(l, "SYMBOL") && text(l) == firstChar)
      return {num(l, "x"), num(l, "y"), static_cast<int>(num(l, "colour"))};
  return {};
}

std::string repeat(const std::string& key, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += " " + key;
  return s;
}

// Key indices (from 1) of the KEY events of a trace, with their codes.
std::vector<int> keyCodes(const Trace& t) {
  std::vector<int> codes;
  for (const auto& l : t)
    if (isOp(l, "KEY")) codes.push_back(static_cast<int>(num(l, "code")));
  return codes;
}

// The trace without its KEY lines from the n-th key to the m-th key.
Trace between(const Trace& t, int n, int m) {
  Trace out;
  for (int k = n; k < m; ++k) {
    Trace part = afterKey(t, k);
    out.insert(out.end(), part.begin(), part.end());
  }
  return out;
}

// The trace from a screen's page clear on. Drawing in the page colour
// before the screen sets its pen width (the clear, the invisible foot
// discs) carries the width the last screen left; it is compared without it.
Trace fromPageClear(const Trace& t) {
  Trace out;
  for (const std::string& l : t) {
    if (out.empty() &&
        !(isOp(l, "LINE") && num(l, "x1") == 0 && num(l, "y1") == 0 && num(l, "y2") == 1800))
      continue;
    std::string line = l;
    size_t w = line.find(",\"width\":");
    if (num(line, "colour") == 15 && w != std::string::npos)
      line.erase(w, line.find_first_of(",}", w + 1) - w);
    out.push_back(line);
  }
  return out;
}

// ---- the strip's figure, by its routines ----

class StripProbe : public TriangleLessons {
 public:
  using TriangleLessons::TriangleCh3MoveEnd;
  using TriangleLessons::TriangleCh3StripFigure;
  using TriangleLessons::TriangleLessons;
};

TEST(KelvaroCh3Strip, FoldedCornersAndMovingPointsFollowTheAngle) {
  rt::Runtime r(1920, 1080);
  StripProbe p(r);
  p.TriangleCh3StripFigure();
  EXPECT_TRUE(near(p.X_A(9), 840) && near(p.Y_A(9), 100)) << p.X_A(9) << "," << p.Y_A(9);
  EXPECT_TRUE(near(p.X_A(10), 680) && near(p.Y_A(10), 220)) << p.X_A(10) << "," << p.Y_A(10);
  struct Case {
    float kakudo;
    float x11, y11, x12, y12, x13, y13;
  };
  for (const Case& c : {Case{0, 1240, 300, 1240, 500, 1140, 500},
                        Case{90, 1048.9f, 182.1f, 968.9f, 342.1f, 948.9f, 382.1f},
                        Case{180, 840, 100, 680, 220, 740, 300}}) {
    p.KAKUDO = c.kakudo;
    p.TriangleCh3MoveEnd(true);
    EXPECT_TRUE(near(p.X_A(11), c.x11, 0.1f) && near(p.Y_A(11), c.y11, 0.1f)) << c.kakudo;
    EXPECT_TRUE(near(p.X_A(12), c.x12, 0.1f) && near(p.Y_A(12), c.y12, 0.1f)) << c.kakudo;
    EXPECT_TRUE(near(p.X_A(13), c.x13, 0.1f) && near(p.Y_A(13), c.y13, 0.1f)) << c.kakudo;
  }
}

// ---- the fold and the unfold ----

// Chapter 3, item 1, the task's pause, then the fold keys.
const std::string kToFold = "3 Enter 1 Enter Space";
constexpr int kFoldFirstKey = 6;  // the first key of the fold loop

// The end's outline (11 -> 12 -> B -> C -> 11) is the first CONNECT of a pass.
std::pair<float, float> endCorner(const Trace& pass) {
  for (const auto& l : pass)
    if (isOp(l, "CONNECT")) return points(l).at(0);
  return {NAN, NAN};
}

bool isOverlapFill(const std::string& l) {
  if (!isOp(l, "CONNECT") || !filled(l)) return false;
  auto p = points(l);
  return p.size() == 4 && near(p[0], 740, 300) && near(p[1], 890, 500) && near(p[2], 990, 300);
}

TEST(KelvaroCh3Fold, ArrowsTurnTheEndAndOnlyAFullFoldFillsTheOverlap) {
  // 9 x left (90), 9 x right (0), 18 x left (180), one more left, 1.
  std::string keys = kToFold + repeat("Left", 9) + repeat("Right", 9) + repeat("Left", 19) + " 1";
  HeadlessRun run = runHeadless<TriangleLessons>(keys);
  ASSERT_EQ(run.status, 0);
  const Trace& t = run.trace;

  auto afterPresses = [&](int presses) { return afterKey(t, kFoldFirstKey - 1 + presses); };
  // The end's top corner: half folded, flat again, folded over.
  EXPECT_TRUE(near(endCorner(afterPresses(9)), 1048.9f, 182.1f, 0.1f));
  EXPECT_TRUE(near(endCorner(afterPresses(18)), 1240, 300, 0.01f));
  EXPECT_TRUE(near(endCorner(afterPresses(36)), 840, 100, 0.01f));

  // The overlap is filled only in the passes drawn at 180 degrees.
  for (int presses = 0; presses <= 37; ++presses) {
    Trace pass = afterPresses(presses);
    bool atFull = presses >= 36;
    EXPECT_EQ(count(pass, isOverlapFill), atFull ? 1 : 0) << "after " << presses << " presses";
  }
  // A further left press at 180 draws the same picture again.
  EXPECT_EQ(afterPresses(37), afterPresses(36));
}

TEST(KelvaroCh3Fold, EveryKeyButOneErasesTheFigureBeforeTheRedraw) {
  // Fold: left, a letter, right, 1. Unfold: right x 2, a digit, 1. Then the closing steps.
  std::string keys = kToFold + " Left a Right 1 Right Right 7 1 Space Space Space";
  HeadlessRun run = runHeadless<TriangleLessons>(keys);
  ASSERT_EQ(run.status, 0);
  const Trace& t = run.trace;
  std::vector<int> codes = keyCodes(t);
  ASSERT_EQ(codes.size(), 16u);
  for (int k = kFoldFirstKey; k <= kFoldFirstKey + 7; ++k) {
    Trace after = afterKey(t, k);
    int erases = 0, firstErase = -1, firstDrawing = -1;
    for (int i = 0; i < static_cast<int>(after.size()); ++i) {
      if (isEraseBox(after[i], 640, 50, 1980, 650)) {
        ++erases;
        if (firstErase < 0) firstErase = i;
      } else if (isOp(after[i], "CONNECT") && firstDrawing < 0) {
        firstDrawing = i;
      }
    }
    bool one = codes[k - 1] == '1';
    EXPECT_EQ(erases, one ? 0 : 1) << "key " << k;
    if (!one) {
      EXPECT_LT(firstErase, firstDrawing) << "key " << k;
    }
  }
  // The unfold's first picture has the end folded over at 180 degrees, on
  // the letters of the triangle the fold left.
  Trace unfoldFirst = afterKey(t, kFoldFirstKey + 3);
  EXPECT_EQ(
      count(unfoldFirst, [](const std::string& l) { return isEraseBox(l, 640, 50, 1980, 650); }),
      0);
  bool foldedEnd = false;
  for (const auto& l : unfoldFirst)
    if (isOp(l, "CONNECT") && !filled(l) && near(points(l).at(0), 840, 100, 0.01f))
      foldedEnd = true;
  EXPECT_TRUE(foldedEnd);
  EXPECT_EQ(firstGlyph(unfoldFirst, "∠").y, 100);  // "∠ABCと同じ大きさの角をさがそう。"
}

TEST(KelvaroCh3Fold, FoldingBackAndForthLeavesNoStalePixels) {
  struct Pair {
    std::string longWay, shortWay;  // two ways to the same angle
  };
  const std::string unfolding = kToFold + repeat("Left", 18) + " 1";
  // The unfold's first picture is the same whatever angle the fold ended at.
  for (const Pair& p :
       {Pair{kToFold + repeat("Left", 19) + repeat("Right", 18), kToFold + " Left Right"},
        Pair{unfolding + repeat("Right", 19) + repeat("Left", 9),
             unfolding + repeat("Right", 9)},
        Pair{kToFold + repeat("Left", 3) + " 1", unfolding},
        Pair{kToFold + " 1", unfolding}}) {
    HeadlessRun a = runHeadless<TriangleLessons>(p.longWay);
    HeadlessRun b = runHeadless<TriangleLessons>(p.shortWay);
    ASSERT_EQ(a.status, 0);
    ASSERT_EQ(b.status, 0);
    EXPECT_EQ(pixelsThatDiffer(a, b), 0) << p.longWay;
  }
}

// Screen 2 outlines the end's flat place unless the last fold left KAKUDO at 0.
TEST(KelvaroCh3Fold, FoldReasonFollowsTheAngleTheFoldLeft) {
  struct Case {
    std::string before;
    bool outlined;
  };
  const std::string closing = " Space Space Space";
  for (const Case& c :
       {Case{"", false}, Case{"1 Enter Space 1 1" + closing + " ", true},
        Case{"1 Enter Space 1" + repeat("Right", 18) + " 1" + closing + " ", false}}) {
    HeadlessRun run = runHeadless<TriangleLessons>("3 Enter " + c.before + "2 Enter");
    ASSERT_EQ(run.status, 0);
    Trace screen = afterKey(run.trace, static_cast<int>(keyCodes(run.trace).size()));
    int outlines = 0;
    for (const auto& l : screen)
      outlines += isOp(l, "CONNECT") && !filled(l) && near(points(l).at(0), 1240, 300, 0.01f);
    EXPECT_EQ(outlines, c.outlined ? 1 : 0) << c.before;
  }
}

// ---- every screen: its key waits, its lines, boxes and marks ----

struct GlyphAt {
  float x, y;
  const char* first;  // the first character drawn there
  int colour;
};
struct BoxAt {
  float x, y, haba;
  const char* answer;
};
struct Discs {
  float r;
  int fill, count;  // filled circles (sectors and dots) of this radius and fill
};
struct Screen {
  std::string chapter, item;
  std::string play;  // the keys the screen takes besides its step pauses
  int pauses;
  std::vector<GlyphAt> glyphs;
  std::vector<BoxAt> boxes;
  std::vector<Discs> discs;
};

// clang-format off
const std::vector<Screen> kScreens = {
    {"3", "1", "Space Left 1 Right 1", 4,
     {{38, 30, "教", 3}, {38, 100, "∠", 0}, {38, 170, "∠", 0}, {38, 240, "∠", 3},
      {38, 310, "∠", 5}, {38, 360, "二", 5}, {38, 430, "∠", 3}, {1126, 510, "D", 3}},
     {},
     {{50, 9, 3}}},
    {"3", "2", "", 3,
     {{38, 30, "<", 3}, {38, 85, "∠", 0}, {38, 140, "∠", 0}, {38, 195, "A", 0},
      {38, 250, "平", 0}, {38, 305, "∠", 0}, {38, 360, "し", 0}, {1126, 510, "D", 3}},
     {{195, 140, 152, "∠DBC"}, {184, 250, 152, "錯角"}, {195, 305, 152, "∠DBC"}},
     {{50, 9, 3}}},
    {"3", "3", "", 13,
     {{38, 30, "△", 3}, {119, 150, "仮", 0}, {119, 320, "△", 5}, {92, 100, "<", 0},
      {38, 155, "A", 0}, {38, 210, "仮", 0}, {38, 320, "残", 0}, {38, 430, "①", 0},
      {38, 535, "△", 0}, {38, 585, "合", 0}, {1026, 510, "D", 0}},
     {{650, 155, 152, "∠CAD"}, {311, 210, 152, "∠C"}, {569, 320, 152, "∠ADC"},
      {426, 375, 76, "AD"}, {252, 430, 380, "1組の辺とその両端の角"}},
     {{40, 3, 2}, {8, 3, 2}, {12, 7, 2}}},
    {"3", "4", "", 3,
     {{38, 30, "<", 5}, {38, 90, "三", 0}, {38, 210, "底", 0}, {38, 270, "△", 0},
      {38, 330, "∠", 3}, {360, 590, "教", 7}},
     {},
     {{40, 3, 2}}},
    {"3", "5", "", 13,
     {{36, 30, "<", 3}, {36, 80, "△", 0}, {36, 140, "∠", 0}, {36, 200, "二", 0},
      {36, 310, "①", 0}, {36, 420, "△", 0}, {360, 590, "教", 7}, {906, 345, "P", 0}},
     {{225, 140, 114, "∠ABC"}, {630, 140, 114, "∠ACB"}, {193, 255, 114, "∠ACB"},
      {397, 310, 114, "∠PCB"}, {46, 365, 304, "2つの角が等しい"}},
     {{8, 7, 3}, {8, 3, 3}}},
    {"3", "6", "", 6,
     {{38, 30, "∠", 0}, {38, 80, "<", 3}, {38, 130, "∠", 0}, {38, 295, "ま", 0},
      {38, 460, "①", 0}, {242, 240, "…", 3}, {242, 405, "…", 3}},
     {{48, 240, 190, "AB=CA"}, {48, 405, 190, "BC=CA"}},
     {{50, 3, 2}, {50, 7, 2}}},
    {"3", "7", "", 11,
     {{38, 130, "そ", 0}, {119, 190, "<", 3}, {38, 250, "△", 0}, {38, 30, "課", 0},
      {152, 130, "A", 0}, {38, 230, "<", 3}, {152, 330, "△", 0}, {38, 430, "逆", 3},
      {38, 580, "正", 3}, {360, 620, "教", 7}},
     {},
     {{40, 5, 2}}},
    {"3", "8", "", 6,
     {{94, 30, "<", 3}, {40, 80, "(", 3}, {94, 130, "正", 3}, {40, 200, "(", 3},
      {94, 250, "そ", 0}, {94, 300, "(", 0}, {40, 370, "(", 3}, {94, 420, "正", 3}},
     {},
     {}},
    {"4", "1", "", 9,
     {{40, 30, "P", 0}, {40, 80, "合", 5}, {40, 130, "<", 7}, {40, 180, "∠", 0},
      {40, 330, "1", 3}, {40, 380, "等", 3}, {40, 450, "斜", 5}, {144, 500, "直", 0},
      {40, 570, "2", 5}},
     {},
     {{50, 3, 2}, {50, 7, 2}}},
};
// clang-format on

// The last SYMBOL drawn with its top-left at (x, y): the glyph that shows there.
Glyph glyphAt(const Trace& t, float x, float y, std::string* first) {
  Glyph g;
  for (const auto& l : t)
    if (isOp(l, "SYMBOL") && near(num(l, "x"), x) && near(num(l, "y"), y)) {
      *first = text(l);
      g = {x, y, static_cast<int>(num(l, "colour"))};
    }
  return g;
}

// AnswerBox (border 3, fill 13, TATE 48) at (x, y): how often it was drawn,
// and the text drawn in it the last time.
std::pair<int, std::string> answerBox(const Trace& t, const BoxAt& b) {
  int drawn = 0;
  std::string last;
  for (size_t i = 0; i < t.size(); ++i) {
    const std::string& l = t[i];
    if (!(isOp(l, "LINE") && num(l, "form") == 2 && num(l, "colour") == 3 && num(l, "fill") == 13 &&
          num(l, "x1") == b.x && num(l, "y1") == b.y - 2 && num(l, "x2") == b.x + b.haba &&
          num(l, "y2") == b.y + 46))
      continue;
    ++drawn;
    last.clear();
    for (size_t j = i + 1; j < t.size() && isOp(t[j], "SYMBOL") && num(t[j], "y") == b.y; ++j)
      last += text(t[j]);
  }
  return {drawn, last};
}

TEST(KelvaroCh3Screens, EachScreenDrawsItsLinesBoxesAndMarksAndTheSameTwice) {
  for (const Screen& s : kScreens) {
    // The step pauses, then a few keys the sub-menu's entry ignores.
    std::string visit = s.item + " Enter " + s.play + repeat("Space", s.pauses + 2);
    HeadlessRun run = runHeadless<TriangleLessons>(s.chapter + " Enter " + visit + " " + visit);
    SCOPED_TRACE("chapter " + s.chapter + " item " + s.item);
    ASSERT_EQ(run.status, 0);
    const Trace& t = run.trace;
    int playKeys = static_cast<int>(rt::parseKeys(s.play).size());
    int visitKeys = 2 + playKeys + s.pauses + 2;
    int first = 4;  // the Enter after the item number
    Trace one = fromPageClear(between(t, first, first + visitKeys - 1));
    Trace two = fromPageClear(between(t, first + visitKeys, first + 2 * visitKeys - 1));
    ASSERT_FALSE(one.empty());
    EXPECT_EQ(count(one, isStepPause), s.pauses);
    EXPECT_EQ(one, two);

    for (const GlyphAt& g : s.glyphs) {
      std::string drawn;
      Glyph at = glyphAt(one, g.x, g.y, &drawn);
      EXPECT_EQ(drawn, g.first) << "at " << g.x << "," << g.y;
      EXPECT_EQ(at.colour, g.colour) << "at " << g.x << "," << g.y;
    }
    for (const BoxAt& b : s.boxes) {
      auto [drawn, answer] = answerBox(one, b);
      EXPECT_EQ(drawn, 2) << "box at " << b.x << "," << b.y;
      EXPECT_EQ(answer, b.answer) << "box at " << b.x << "," << b.y;
    }
    for (const Discs& d : s.discs) {
      int n = 0;
      for (const auto& l : one)
        n += isOp(l, "CIRCLE") && filled(l) && num(l, "r") == d.r && num(l, "fill") == d.fill;
      EXPECT_EQ(n, d.count) << "discs of radius " << d.r << " in " << d.fill;
    }
  }
}

}  // namespace
