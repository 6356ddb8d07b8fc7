// The small-font renderer and its boxes: glyph positions, magnifications,
// fonts and advances, as the trace records them.
#include <gtest/gtest.h>

#include "framework/framework.h"
#include "tests/framework/trace_ops.h"

namespace {

using trace_ops::num;
using trace_ops::ops;
using trace_ops::text;

struct SmallText : ::testing::Test {
  rt::Runtime r{640, 400};
  Framework f{r, "Kelvaro"};
  void SetUp() override {
    r.recordTrace(true);
    r.SETFONTNAME("ゴシック");
    f.CCC1 = 5;
  }
  std::vector<std::string> glyphs() const { return ops(r.trace(), "SYMBOL"); }
};

struct Glyph {
  const char* text;
  double x, y, mh, mv;
  const char* font;
  double size;
  bool italic;
};

void expectGlyphs(const std::vector<std::string>& got, const std::vector<Glyph>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    const Glyph& g = want[i];
    const std::string& line = got[i];
    EXPECT_EQ(text(line, "text"), g.text) << line;
    EXPECT_EQ(num(line, "x"), g.x) << line;
    EXPECT_EQ(num(line, "y"), g.y) << line;
    EXPECT_EQ(num(line, "mh"), g.mh) << line;
    EXPECT_EQ(num(line, "mv"), g.mv) << line;
    EXPECT_EQ(text(line, "font"), g.font) << line;
    EXPECT_EQ(num(line, "size"), g.size) << line;
    EXPECT_NE(line.find(g.italic ? "\"italic\":true" : "\"italic\":false"), std::string::npos) << line;
    EXPECT_NE(line.find("\"bold\":true"), std::string::npos) << line;
    EXPECT_EQ(num(line, "colour"), 5) << line;
  }
}

TEST_F(SmallText, CharacterCases) {
  struct Case {
    const char* text;
    float x, y;
    std::vector<Glyph> glyphs;
    float end;
  };
  const char* g = "ゴシック";
  const char* t = "Times New Roman";
  const Case cases[] = {
      {"AB", 100, 50, {{"A", 100, 50, 3, 2, g, 15, false}, {"B", 120, 50, 3, 2, g, 15, false}}, 140},
      {"(a)", 0, 100,
       {{"(", -8, 100, 3, 2, g, 15, false}, {"a", 16, 88, 7, 4, t, 8, true}, {")", 32, 100, 3, 2, g, 15, false}},
       40},
      {"x+y=5", 0, 100,
       {{"x", 4, 88, 7, 4, t, 8, true},
        {"+", 20, 100, 3, 2, g, 15, false},
        {"y", 40, 94, 3, 2, g, 15, false},
        {"=", 60, 100, 3, 2, g, 15, false},
        {"5", 80, 100, 3, 2, g, 15, false}},
       100},
      {"1,2", 0, 0, {{"1", 0, 0, 3, 2, g, 15, false}, {",", 20, 0, 3, 2, g, 15, false}, {"2", 28, 0, 3, 2, g, 15, false}}, 48},
      {"A B", 0, 0, {{"A", 0, 0, 3, 2, g, 15, false}, {"B", 40, 0, 3, 2, g, 15, false}}, 60},
      {"△ABC", 0, 0,
       {{"△", 0, 0, 2, 2, g, 15, false},
        {"A", 30, 0, 3, 2, g, 15, false},
        {"B", 50, 0, 3, 2, g, 15, false},
        {"C", 70, 0, 3, 2, g, 15, false}},
       90},
      {"ﾀ1/2ﾀ", 0, 0,
       {{"ﾀ", 0, 0, 3, 2, g, 15, false},
        {"1", 20, 0, 3, 2, g, 15, false},
        {"/", 40, 0, 3, 2, g, 15, false},
        {"2", 60, 0, 3, 2, g, 15, false},
        {"ﾀ", 80, 0, 3, 2, g, 15, false}},
       100},
      {"60%", 0, 0, {{"6", 0, 0, 3, 2, g, 15, false}, {"0", 20, 0, 3, 2, g, 15, false}, {"%", 40, 0, 3, 2, g, 15, false}}, 60},
  };
  for (const Case& c : cases) {
    r.clearTrace();
    f.AA_S = c.text;
    f.X = c.x;
    f.Y = c.y;
    f.DrawSmallText();
    SCOPED_TRACE(c.text);
    expectGlyphs(glyphs(), c.glyphs);
    EXPECT_EQ(f.X, c.end);
    EXPECT_EQ(f.Y, c.y);
    EXPECT_EQ(f.AA_S, "");
    EXPECT_FALSE(r.fontBold());
    EXPECT_FALSE(r.fontItalic());
    EXPECT_EQ(r.fontSize(), 16);
    EXPECT_EQ(r.fontName(), "ゴシック");
  }
  // A$ holds the last character taken off the text.
  EXPECT_EQ(f.A_S, "%");
}

TEST_F(SmallText, EmptyTextOnlyResetsTheFont) {
  r.SETFONTBOLD(-1);
  r.SETFONTSIZE(11);
  r.SETDRAWWIDTH(7);
  f.AA_S = "";
  f.X = 12;
  f.Y = 34;
  f.DrawSmallText();
  EXPECT_TRUE(r.trace().empty());
  EXPECT_EQ(f.X, 12);
  EXPECT_EQ(f.Y, 34);
  EXPECT_FALSE(r.fontBold());
  EXPECT_EQ(r.fontSize(), 16);
  EXPECT_EQ(r.GETDRAWWIDTH(), 7);
}

TEST_F(SmallText, MeasureDrawsNothingAndKeepsThePen) {
  f.A_S = "AB";
  f.X = 5;
  f.Y = 7;
  f.MeasureSmallText();
  EXPECT_EQ(f.LLT, 40);
  EXPECT_EQ(f.X, 5);
  EXPECT_EQ(f.Y, 7);
  EXPECT_EQ(f.AA_S, "AB");
  EXPECT_EQ(f.A_S, "B");
  EXPECT_TRUE(r.trace().empty());
  EXPECT_FALSE(r.measuring());
}

TEST_F(SmallText, OneLineBoxes) {
  struct Case {
    const char* text;
    float haba, tate;
    double textX, textY;
  };
  const Case cases[] = {
      {"AB", 120, 40, 140, 207},
      {"AB", 101, 40, 130.5, 207},
      {"ABC", 30, 40, 100, 207},
      {"AB", 120, 20, 140, 197},
  };
  for (const Case& c : cases) {
    r.clearTrace();
    f.A_S = c.text;
    f.X = 100;
    f.Y = 200;
    f.HABA = c.haba;
    f.TATE = c.tate;
    f.CCC2 = 13;
    f.CCC3 = 4;
    f.SmallTextInBox();
    auto boxes = ops(r.trace(), "LINE");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(num(boxes[0], "x1"), 100);
    EXPECT_EQ(num(boxes[0], "y1"), 200);
    EXPECT_EQ(num(boxes[0], "x2"), 100 + c.haba);
    EXPECT_EQ(num(boxes[0], "y2"), 200 + c.tate);
    EXPECT_EQ(num(boxes[0], "form"), 2);
    EXPECT_EQ(num(boxes[0], "colour"), 13);
    EXPECT_EQ(num(boxes[0], "fill"), 4);
    auto g = glyphs();
    ASSERT_FALSE(g.empty());
    EXPECT_EQ(num(g[0], "x"), c.textX) << c.haba;
    EXPECT_EQ(num(g[0], "y"), c.textY) << c.tate;
    EXPECT_EQ(f.X, 100 + c.haba);
    EXPECT_EQ(f.Y, 200);
    EXPECT_EQ(f.X1, 100);
    EXPECT_EQ(f.HABA, c.haba);
    EXPECT_EQ(f.AA_S, "");
  }
  EXPECT_EQ(f.A_S, "B");
  EXPECT_EQ(f.LLT, 40);
}

TEST_F(SmallText, TwoLineBoxes) {
  struct Case {
    const char* second;
    std::vector<std::pair<double, double>> lineStarts;
    double llt;
    const char* last;
  };
  const Case cases[] = {
      {"CDE", {{180, 207}, {170, 237}}, 60, "E"},
      {"", {{180, 222}}, 0, ""},
  };
  for (const Case& c : cases) {
    r.clearTrace();
    f.A1_S = "AB";
    f.A2_S = c.second;
    f.X = 100;
    f.Y = 200;
    f.HABA = 200;
    f.TATE = 80;
    f.SmallTwoLineBox();
    auto boxes = ops(r.trace(), "LINE");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(num(boxes[0], "x2"), 300);
    EXPECT_EQ(num(boxes[0], "y2"), 280);
    auto g = glyphs();
    ASSERT_EQ(g.size(), 2 + std::string(c.second).size());
    EXPECT_EQ(num(g[0], "x"), c.lineStarts[0].first);
    EXPECT_EQ(num(g[0], "y"), c.lineStarts[0].second);
    if (c.lineStarts.size() > 1) {
      EXPECT_EQ(num(g[2], "x"), c.lineStarts[1].first);
      EXPECT_EQ(num(g[2], "y"), c.lineStarts[1].second);
    }
    EXPECT_EQ(f.X, 300);
    EXPECT_EQ(f.Y, 200);
    EXPECT_EQ(f.LLT, c.llt);
    EXPECT_EQ(f.A_S, c.last);
    EXPECT_EQ(f.MOTOA_S, c.second);
    EXPECT_EQ(f.A1_S, "AB");
  }
}

}  // namespace
