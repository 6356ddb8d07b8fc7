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
