// The curly brace and the column calculation.
#include <gtest/gtest.h>

#include "framework/framework.h"
#include "tests/framework/trace_ops.h"

namespace {

using trace_ops::num;
using trace_ops::ops;

struct Layout : ::testing::Test {
  rt::Runtime r{640, 480};
  Framework f{r, "Kelvaro"};
  void SetUp() override {
    r.recordTrace(true);
    r.SETDRAWWIDTH(2);
  }
};

TEST_F(Layout, CurlyBracePolyline) {
  struct Case {
    float haba;
    const char* points;
  };
  const Case cases[] = {
      {100, "[[135,205],[123,208],[123,240.5],[108,247.5],[123,254.5],[123,287],[135,290]]"},
      // At 35 the stems vanish: the hooks meet the point directly.
      {35, "[[135,205],[123,208],[123,208],[108,215],[123,222],[123,222],[135,225]]"},
  };
  for (const Case& c : cases) {
    r.clearTrace();
    f.X = 100;
    f.Y = 200;
    f.HABA = c.haba;
    f.CCC1 = 9;
    f.CurlyBrace();
    auto lines = ops(r.trace(), "CONNECT");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(std::string("\"points\":") + c.points), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("\"filled\":false"), std::string::npos);
    EXPECT_EQ(num(lines[0], "colour"), 9);
    EXPECT_EQ(num(lines[0], "width"), 5);
    EXPECT_EQ(r.GETDRAWWIDTH(), 2);
    EXPECT_EQ(f.DR, 2);
    EXPECT_EQ(f.X, 100);
    EXPECT_EQ(f.Y, 200);
    EXPECT_EQ(f.HABA, c.haba);
  }
}

}  // namespace

namespace {

// The column layout draws exactly what four DrawText calls at its places
// draw, and then the rule.
TEST_F(Layout, ColumnLayoutPlacesItsTextsAndRule) {
  struct Case {
    const char *top, *bottom;
  };
  for (const Case& c : {Case{"1234", "56"}, Case{"12", "3456"}, Case{"12", "34"}, Case{"12", ""}}) {
    SCOPED_TRACE(std::string(c.top) + " / " + c.bottom);
    auto width = [&](const char* t) {
      f.A_S = t;
      f.BUN = 0;
      f.MeasureText();
      return f.LLT;
    };
    const float top = width(c.top), bottom = width(c.bottom);
    const float widest = top > bottom ? top : bottom;
    // The reference: the four texts drawn one by one.
    r.clearTrace();
    f.CCC1 = 5;
    auto draw = [&](const char* t, float x, float y) {
      f.AA_S = t;
      f.X = x;
      f.Y = y;
      f.DrawText();
    };
    draw(c.top, 154, 100);
    draw("*", 100, 156);
    draw(")", f.X, 156);
    draw(c.bottom, 154, 150);
    const std::vector<std::string> reference = r.trace();

    r.clearTrace();
    f.X = 100, f.Y = 100, f.TAKASA = 50, f.CCC1 = 5, f.CCC2 = 9;
    f.A1_S = c.top, f.A2_S = c.bottom, f.ENZAN_S = "*";
    f.ColumnLayout();
    std::vector<std::string> got = r.trace();
    ASSERT_EQ(got.size(), reference.size() + 1);
    for (size_t i = 0; i < reference.size(); ++i) EXPECT_EQ(got[i], reference[i]) << i;
    const std::string& rule = got.back();
    EXPECT_EQ(num(rule, "x1"), 127);
    EXPECT_EQ(num(rule, "y1"), 200);
    EXPECT_EQ(num(rule, "x2"), 157 + widest);
    EXPECT_EQ(num(rule, "y2"), 200);
    EXPECT_EQ(num(rule, "colour"), 9);
    EXPECT_EQ(num(rule, "width"), 3);
    EXPECT_EQ(f.LT1, top);
    EXPECT_EQ(f.LT2, bottom);
    EXPECT_EQ(f.LT, widest);
    EXPECT_EQ(f.X, 154 + bottom);
    EXPECT_EQ(f.Y, 150);
    EXPECT_EQ(f.YI1, 150);
    EXPECT_EQ(f.XI3, 154);
    EXPECT_EQ(f.XI2, 157 + widest);
    EXPECT_EQ(f.X1, 100);
    EXPECT_EQ(f.Y1, 100);
    EXPECT_EQ(f.A1_S, c.top);
    EXPECT_EQ(r.GETDRAWWIDTH(), 2);
  }
}

}  // namespace
