// The coordinate plane, its scaled numbers, the points and graphs on it,
// the slope triangle and the point of a line at a given x or y.
#include <gtest/gtest.h>

#include <cmath>

#include "framework/framework.h"
#include "tests/framework/trace_ops.h"

namespace {

using trace_ops::num;
using trace_ops::ops;
using trace_ops::text;

struct Plane : ::testing::Test {
  rt::Runtime r{1920, 1080};
  Framework f{r, "Kelvaro"};
  void SetUp() override {
    r.recordTrace(true);
    r.SETDRAWWIDTH(2);
    r.SETFONTNAME("ゴシック");
  }
  // The plane of the worked example: x -10..10, y -5..5, 20 pixels a step.
  void examplePlane(float scaleX = 1, float scaleY = 1) {
    f.AA1 = -10;
    f.AA2 = 10;
    f.BB1 = -5;
    f.BB2 = 5;
    f.BAIX = scaleX;
    f.BAIY = scaleY;
    f.GGX = 0;
    f.GGY = 0;
    f.SIZE = 20;
    f.CCC2 = 3;
    f.NASI = 0;
    f.CoordinatePlane();
  }
  std::vector<std::string> lines(double width) const {
    std::vector<std::string> out;
    for (const std::string& l : ops(r.trace(), "LINE"))
      if (num(l, "width") == width) out.push_back(l);
    return out;
  }
  // Texts of the SYMBOL calls with their top-left, in order.
  std::vector<std::tuple<std::string, double, double>> texts() const {
    std::vector<std::tuple<std::string, double, double>> out;
    for (const std::string& l : ops(r.trace(), "SYMBOL")) out.emplace_back(text(l, "text"), num(l, "x"), num(l, "y"));
    return out;
  }
};

using Texts = std::vector<std::tuple<std::string, double, double>>;

TEST_F(Plane, WorkedExampleGridNumbersAxesAndLabels) {
  examplePlane();
  EXPECT_EQ(f.GGX, 640);
  EXPECT_EQ(f.GGY, 180);
  EXPECT_EQ(f.GX0, 840);
  EXPECT_EQ(f.GY0, 280);
  EXPECT_EQ(f.GX1, 640);
  EXPECT_EQ(f.GY1, 180);
  EXPECT_EQ(f.GX2, 1040);
  EXPECT_EQ(f.GY2, 380);
  EXPECT_EQ(f.SIZE1, 26);

  auto thin = lines(1);
  ASSERT_EQ(thin.size(), 21u + 11u);
  for (int i = 0; i < 21; ++i) {
    EXPECT_EQ(num(thin[i], "x1"), 840 + 20 * (i - 10) - 0.5);
    EXPECT_EQ(num(thin[i], "x2"), num(thin[i], "x1"));
    EXPECT_EQ(num(thin[i], "y1"), 180);
    EXPECT_EQ(num(thin[i], "y2"), 380);
    EXPECT_EQ(num(thin[i], "colour"), 0);
  }
  for (int i = 0; i < 11; ++i) {
    EXPECT_EQ(num(thin[21 + i], "y1"), 280 - 20 * (i - 5) - 0.5);
    EXPECT_EQ(num(thin[21 + i], "x1"), 640);
    EXPECT_EQ(num(thin[21 + i], "x2"), 1040);
  }
  auto thick = lines(3);
  ASSERT_EQ(thick.size(), 5u + 3u);
  const double thickX[] = {640, 740, 840, 940, 1040};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(num(thick[i], "x1"), thickX[i]);
    EXPECT_EQ(num(thick[i], "colour"), 1);
  }
  const double thickY[] = {380, 280, 180};
  for (int i = 0; i < 3; ++i) EXPECT_EQ(num(thick[5 + i], "y1"), thickY[i]);
  auto axes = lines(4);
  ASSERT_EQ(axes.size(), 2u);
  EXPECT_NE(axes[0].find("\"x1\":840,\"y1\":180,\"x2\":840,\"y2\":380"), std::string::npos) << axes[0];
  EXPECT_NE(axes[1].find("\"x1\":640,\"y1\":280,\"x2\":1040,\"y2\":280"), std::string::npos) << axes[1];

  // Numbers centred under their lines (26 pixels a character), the
  // origin's left empty; the y numbers end at the axis.
  const Texts want = {{"-10", 601, 280}, {"-5", 714, 280}, {"", 840, 280}, {"5", 927, 280},
                      {"10", 1014, 280}, {"-5", 788, 363}, {"", 840, 263},  {"5", 814, 163},
                      {"x", 1019.2, 241}, {"0", 814, 280}, {"y", 840, 167}};
  auto got = texts();
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(std::get<0>(got[i]), std::get<0>(want[i])) << i;
    EXPECT_NEAR(std::get<1>(got[i]), std::get<1>(want[i]), 1e-3) << i;
    EXPECT_EQ(std::get<2>(got[i]), std::get<2>(want[i])) << i;
  }
  auto symbols = ops(r.trace(), "SYMBOL");
  EXPECT_EQ(text(symbols[8], "font"), "Times New Roman");
  EXPECT_NEAR(num(symbols[8], "size"), 20.8, 1e-4);
  EXPECT_NE(symbols[8].find("\"mh\":3,\"mv\":2"), std::string::npos);
  EXPECT_NE(symbols[8].find("\"bold\":true,\"italic\":true"), std::string::npos);
  EXPECT_NE(symbols[0].find("\"mh\":2,\"mv\":1"), std::string::npos);
  EXPECT_EQ(num(symbols[0], "size"), 26);
  EXPECT_NE(symbols[10].find("\"bold\":true,\"italic\":false"), std::string::npos);

  EXPECT_EQ(r.fontName(), "ゴシック");
  EXPECT_EQ(r.fontSize(), 16);
  EXPECT_FALSE(r.fontBold());
  EXPECT_FALSE(r.fontItalic());
  EXPECT_EQ(r.GETDRAWWIDTH(), 2);
  EXPECT_EQ(f.NASI, 0);
  EXPECT_EQ(f.CCC1, 0);
  EXPECT_EQ(f.X, 840);
  EXPECT_EQ(f.Y, 167);
  EXPECT_EQ(f.AA_S, "y");
}

TEST_F(Plane, ScaleCornerAndSwitches) {
  // A negative scale is taken by its size; the ranges stay in grid steps.
  f.AA1 = -10, f.AA2 = 10, f.BB1 = -4, f.BB2 = 4;
  f.BAIX = -2, f.BAIY = 0;
  f.GGX = 0, f.GGY = 100, f.SIZE = 40, f.CCC2 = 0, f.NASI = 1;
  f.CoordinatePlane();
  EXPECT_EQ(f.BAIX, 2);
  EXPECT_EQ(f.BAIY, 1);
  EXPECT_EQ(f.AA1, -5);
  EXPECT_EQ(f.AA2, 5);
  EXPECT_EQ(f.GGX, 0);
  EXPECT_EQ(f.GGY, 100);
  EXPECT_EQ(f.GX0, 200);
  EXPECT_EQ(f.SIZE1, 30);
  EXPECT_EQ(f.NASI, 0);
  // CCC2 = 0: the axes and the three labels only.
  EXPECT_EQ(ops(r.trace(), "LINE").size(), 2u);
  auto got = texts();
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(std::get<0>(got[0]), "x");

  r.clearTrace();
  f.SIZE = 39.5f;
  f.NASI = -1;
  f.CCC2 = 15;
  f.CoordinatePlane();
  EXPECT_EQ(f.SIZE1, 26);
  EXPECT_EQ(f.AA1, -2.5f) << "a second call divides the ranges again";
  EXPECT_EQ(f.NASI, 0);
  for (auto& [t, x, y] : texts()) {
    bool label = t == "x" || t == "0" || t == "y";
    EXPECT_TRUE(label || t.empty()) << "NASI = -1 leaves the numbers out: " << t;
  }
  EXPECT_GT(lines(1).size(), 0u);
}

TEST_F(Plane, LoopsRunOnceWhenTheStartLiesAboveTheLimit) {
  f.AA1 = 3, f.AA2 = -3, f.BB1 = 2, f.BB2 = -2;
  f.BAIX = 1, f.BAIY = 1, f.GGX = 100, f.GGY = 100, f.SIZE = 10, f.CCC2 = 3;
  f.CoordinatePlane();
  EXPECT_EQ(lines(1).size(), 2u);
  EXPECT_EQ(f.II, 3) << "the last loop ran over the y steps from 2 and stopped at 3";
}

// The frame spans the given ranges also when they do not hold 0: its left
// edge is at AA1 and its bottom at BB1, each with its grid line.
TEST_F(Plane, RangeWithoutZeroFramesExactlyTheRange) {
  f.AA1 = 2, f.AA2 = 8, f.BB1 = 1, f.BB2 = 4;
  f.BAIX = 1, f.BAIY = 1, f.GGX = 100, f.GGY = 100, f.SIZE = 20, f.CCC2 = 3;
  f.CoordinatePlane();
  EXPECT_EQ(f.GX1, 100);
  EXPECT_EQ(f.GX0, 60);
  EXPECT_EQ(f.GX2, 220);
  EXPECT_EQ(f.GY0, 180);
  EXPECT_EQ(f.GY2, 160);
  auto thin = lines(1);
  ASSERT_EQ(thin.size(), 7u + 4u);
  EXPECT_EQ(num(thin[0], "x1"), 99.5);
  EXPECT_EQ(num(thin[6], "x1"), 219.5);
  EXPECT_EQ(num(thin[7], "y1"), 159.5);
  EXPECT_EQ(num(thin[10], "y1"), 99.5);
  // Ranges below 0 keep the layout they always had.
  r.clearTrace();
  f.AA1 = -8, f.AA2 = -2, f.BB1 = -4, f.BB2 = -1;
  f.CoordinatePlane();
  EXPECT_EQ(f.GX0, 100 + 160);
  EXPECT_EQ(f.GX2, 100 + 120);
  EXPECT_EQ(f.GY0, 80);
  EXPECT_EQ(f.GY2, 160);
}

TEST_F(Plane, ScaledNumbers) {
  struct Case {
    float scale, from, to;
    Texts labels;  // x-axis labels of ScaledAxisLabels, the point included
  };
  // The origin is at (840, 180) (no y range); 20 pixels a step, SIZE1 = 26.
  const Case cases[] = {
      {1, -10, 10, {{"-10", 601, 184}, {"-5", 714, 184}, {"5", 927, 184}, {"10", 1014, 184}}},
      {2, -10, 10, {{"-10", 701, 184}, {"10", 914, 184}}},
      {0.5f, 0, 5, {{"25", 914, 184}, {".", 934, 188}, {"5", 1027, 184}}},
      {0.5f, -5, 0, {{"-5", 614, 184}, {"-25", 701, 184}, {".", 747, 188}}},
      {0.7f, 0, 4, {{"35", 914, 184}, {".", 934, 188}}},
  };
  for (const Case& c : cases) {
    f.AA1 = c.from, f.AA2 = c.to, f.BB1 = 0, f.BB2 = 0;
    f.BAIX = c.scale, f.BAIY = 1, f.GGX = 0, f.GGY = 0, f.SIZE = 20, f.CCC2 = 3;
    f.CoordinatePlane();
    f.GX0 = 840;  // the same origin for every case
    r.clearTrace();
    f.ScaledAxisLabels();
    auto got = texts();
    ASSERT_EQ(got.size(), c.labels.size()) << c.scale << " " << c.from;
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(std::get<0>(got[i]), std::get<0>(c.labels[i])) << c.scale << " " << i;
      EXPECT_EQ(std::get<1>(got[i]), std::get<1>(c.labels[i])) << c.scale << " " << i;
      EXPECT_EQ(std::get<2>(got[i]), std::get<2>(c.labels[i])) << c.scale << " " << i;
    }
    EXPECT_EQ(r.fontSize(), 16);
  }
  // The y-axis: numbers end at the axis, the point 4 below their top.
  f.AA1 = 0, f.AA2 = 0, f.BB1 = -5, f.BB2 = 5;
  f.BAIX = 1, f.BAIY = 0.5f, f.GGX = 0, f.GGY = 0, f.SIZE = 20, f.CCC2 = 3;
  f.CoordinatePlane();
  r.clearTrace();
  f.ScaledAxisLabels();
  // Origin (640, 380); steps -10..10 stand for -5..5.
  const Texts want = {{"-5", 588, 567}, {"-25", 562, 467}, {".", 608, 471},
                      {"25", 588, 267}, {".", 608, 271},  {"5", 614, 167}};
  EXPECT_EQ(texts(), want);
  EXPECT_EQ(f.P1, 5);
  EXPECT_EQ(f.P2, 0);
}

TEST_F(Plane, PlotPointDiscAndLabel) {
  examplePlane();
  r.clearTrace();
  f.BAIX = 2;  // the plane's scale, still in force for this point
  f.XG = 4, f.YG = 2, f.R = 5, f.CCC3 = 6, f.AAA_S = "";
  f.KASANARIX = 3, f.KASANARIY = -2;
  f.PlotPoint();
  auto discs = ops(r.trace(), "CIRCLE");
  ASSERT_EQ(discs.size(), 1u);
  EXPECT_NE(discs[0].find("\"cx\":880,\"cy\":240,\"r\":5,\"start\":0,\"end\":0,\"filled\":true,\"colour\":6"),
            std::string::npos)
      << discs[0];
  EXPECT_EQ(f.X, 863);
  EXPECT_EQ(f.Y, 198);
  EXPECT_EQ(f.CCC1, 6);
  EXPECT_EQ(f.BAIX, 1);
  EXPECT_EQ(f.BAIY, 1);
  EXPECT_EQ(f.KASANARIX, 0);
  EXPECT_EQ(f.KASANARIY, 0);
  // The second point is placed with scale 1; a label is drawn at its place.
  f.AAA_S = "P";
  f.PlotPoint();
  auto labels = ops(r.trace(), "SYMBOL");
  ASSERT_FALSE(labels.empty());
  EXPECT_EQ(f.Y, 200);
  EXPECT_GT(f.X, 900 - 20);
  EXPECT_EQ(f.AA_S, "");
  EXPECT_EQ(f.AAA_S, "P");
}

struct Dots {
  size_t count = 0;
  double firstX = 0, firstY = 0, lastX = 0, lastY = 0;
  bool atOrigin = false;
};

Dots dotsOf(const std::vector<std::string>& trace) {
  Dots d;
  for (const std::string& c : ops(trace, "CIRCLE")) {
    double x = num(c, "cx"), y = num(c, "cy");
    EXPECT_EQ(num(c, "r"), 1);
    if (d.count++ == 0) d.firstX = x, d.firstY = y;
    d.lastX = x, d.lastY = y;
    if (x == 840) d.atOrigin = true;
  }
  return d;
}

TEST_F(Plane, GraphDotsOfEachKind) {
  examplePlane();
  // A step of 2^-10 lands exactly on x = 0 halfway.
  const float half = 2500.0f / 1024;
  struct Case {
    float kind, a, b, from, to;
    size_t dots;
    bool atOrigin;
    double firstX, lastX;
  };
  const Case cases[] = {
      {3, 0.5f, 1, -5, 5, 5001, false, 740, 940},  // the running x misses 0
      {0, 0.5f, 1, -5, 5, 5001, false, 740, 940.04},  // an unset kind: a line without x = 0
      {2, 0.5f, 0, -half, half, 5001, false, 840 - 20 * half, 840 + 20 * (half + 1.0f / 1024)},
      {3, 0.5f, 0, -half, half, 5001, true, 840 - 20 * half, 840 + 20 * half},
      {1, 1, 0, 0, 5, 4803, false, 844, 940.04},  // y = 1/x from x = 0.002: shown from 0.2
      {3, 0, 9, -5, 5, 0, false, 0, 0},         // y = 9 lies above the plane
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " from " << c.from);
    r.clearTrace();
    f.X = 11, f.Y = 22;
    f.IROIRO = c.kind, f.AA = c.a, f.BB = c.b, f.AA1 = c.from, f.AA2 = c.to;
    f.CCC3 = 12, f.AAA_S = "";
    f.GraphFunction();
    Dots d = dotsOf(r.trace());
    EXPECT_NEAR(d.count, c.dots, 1);
    EXPECT_EQ(d.atOrigin, c.atOrigin);
    if (c.dots > 0) {
      EXPECT_NEAR(d.firstX, c.firstX, 0.05);
      EXPECT_NEAR(d.lastX, c.lastX, 0.05);
      EXPECT_EQ(f.X, static_cast<float>(d.lastX)) << "the label goes to the last dot";
      EXPECT_EQ(f.Y, static_cast<float>(d.lastY));
    } else {
      EXPECT_EQ(f.X, 11) << "no dot: the label stays at the caller's pen";
      EXPECT_EQ(f.Y, 22);
    }
    EXPECT_EQ(f.II, 5001);
    EXPECT_EQ(f.HABA, 5000);
    EXPECT_EQ(f.AA1, c.from);
    EXPECT_EQ(f.AA2, c.to);
    EXPECT_EQ(r.GETDRAWWIDTH(), 2);
  }
}

TEST_F(Plane, GraphOfALineInGeneralForm) {
  examplePlane();
  r.clearTrace();
  // 2x = 6: the vertical line x = 3 over the plane's y range.
  f.IROIRO = 4, f.AA = 2, f.BB = 0, f.CC = 6, f.BB1 = -5, f.BB2 = 5;
  f.CCC3 = 12, f.AAA_S = "", f.KASANARIX = 1, f.KASANARIY = 2;
  f.GraphFunction();
  auto line = ops(r.trace(), "LINE");
  ASSERT_EQ(line.size(), 1u);
  EXPECT_NE(line[0].find("\"x1\":900,\"y1\":380,\"x2\":900,\"y2\":180,\"form\":0,\"colour\":12"),
            std::string::npos)
      << line[0];
  EXPECT_EQ(num(line[0], "width"), 5);
  EXPECT_EQ(f.X, 911);
  EXPECT_EQ(f.Y, 182);
  EXPECT_EQ(f.CC, 3);
  EXPECT_EQ(r.GETDRAWWIDTH(), 2);
  // x + 2y = 4 becomes y = -x/2 + 2.
  r.clearTrace();
  f.IROIRO = 4, f.AA = 1, f.BB = 2, f.CC = 4, f.AA1 = -4, f.AA2 = 4;
  f.GraphFunction();
  EXPECT_EQ(f.IROIRO, 3);
  EXPECT_EQ(f.AA, -0.5f);
  EXPECT_EQ(f.BB, 2);
  Dots d = dotsOf(r.trace());
  EXPECT_EQ(d.count, 5001u);
  EXPECT_EQ(d.firstY, 280 - 20 * 4);
  // 0x + 0y = c is no line: the calculation check stops it, nothing drawn.
  r.clearTrace();
  f.IROIRO = 4, f.AA = 0, f.BB = 0, f.CC = 1;
  EXPECT_THROW(f.GraphFunction(), rt::RuntimeError);
  EXPECT_TRUE(r.trace().empty());
}

TEST_F(Plane, SlopeTriangleArrowsTextsAndLabels) {
  struct Case {
    float gx3, gy3, gx4, gy4;
    const char* switches;
    const char *run, *rise;
    float ccc1, x, y;  // after the call: the last label's colour and pen
  };
  const Case cases[] = {
      {400, 300, 300, 400, "yy", "2", "2", 3, 400 + 27, 334},
      {400, 300, 300, 400, "y", "2", "2", 7, 336 + 27, 356},
      {300, 300, 400, 325, "y", "2", "-0.5", 7, 336 + 27, 300},
      {300, 300, 325, 287.5f, "ny", ".5", "0.25", 3, 325 + 3 * 27 + 8, 277.75f},
      {300, 300, 350, 250, "Yy", "1", "1", 3, 350 + 27, 259},
      {300, 300, 350, 250, "", "1", "1", 99, -1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.gx3 << "," << c.gy3 << " " << c.gx4 << "," << c.gy4 << " " << c.switches);
    r.clearTrace();
    f.CCC1 = 99, f.X = -1, f.Y = -1, f.AA_S = "kept";
    f.GX3 = c.gx3, f.GY3 = c.gy3, f.GX4 = c.gx4, f.GY4 = c.gy4, f.SIZE = 50, f.HYOUJI_S = c.switches;
    f.SlopeTriangle();
    EXPECT_EQ(f.X_S, c.run);
    EXPECT_EQ(f.Y_S, c.rise);
    EXPECT_EQ(f.CCC1, c.ccc1);
    EXPECT_EQ(f.X, c.x);
    EXPECT_EQ(f.Y, c.y);
    if (c.ccc1 == 99) {
      EXPECT_EQ(f.AA_S, "kept");
    }
    EXPECT_LE(f.GX3, f.GX4);
    EXPECT_EQ(r.GETDRAWWIDTH(), 4);
    EXPECT_EQ(f.CCC2, 3);
    EXPECT_EQ(f.NAGASA, 16);
    EXPECT_EQ(f.MUKI, 0);
    // Three strokes per arrow: the run in 7, the rise in 3.
    auto strokes = ops(r.trace(), "LINE");
    ASSERT_EQ(strokes.size(), 6u);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(num(strokes[i], "colour"), i < 3 ? 7 : 3);
    EXPECT_EQ(num(strokes[0], "x1"), f.GX3);
    EXPECT_EQ(num(strokes[0], "y1"), f.GY3);
    EXPECT_EQ(num(strokes[0], "x2"), f.GX4);
    EXPECT_EQ(num(strokes[0], "y2"), f.GY3);
    EXPECT_EQ(num(strokes[3], "x2"), f.GX4);
    EXPECT_EQ(num(strokes[3], "y2"), f.GY4);
  }
}

TEST_F(Plane, AxisLineHit) {
  struct Case {
    float ax, ay, bx, by, cx, cy, x1, y1;
  };
  const Case cases[] = {
      {0, 0, 100, 50, 40, -1, 40, 20},   {0, 0, 100, 50, -1, 30, 60, 30},
      {0, 0, 100, 50, -1, -1, -1, -0.5}, {0, 0, 100, 50, 10, 20, 7, 8},
      {100, 0, 100, 200, -1, 80, 100, 80}, {0, 50, 200, 50, 120, -1, 120, 50},
  };
  for (const Case& c : cases) {
    f.A = 11, f.B = 12;
    f.X1 = 7, f.Y1 = 8;
    f.AX = c.ax, f.AY = c.ay, f.BX = c.bx, f.BY = c.by, f.CX = c.cx, f.CY = c.cy;
    f.AxisLineHit();
    EXPECT_EQ(f.X1, c.x1) << c.cx << "," << c.cy;
    EXPECT_EQ(f.Y1, c.y1) << c.cx << "," << c.cy;
    bool slanted = c.ax != c.bx && c.ay != c.by;
    EXPECT_EQ(f.A, slanted ? 0.5f : 11);
    EXPECT_EQ(f.B, slanted ? 0.0f : 12);
  }
}

}  // namespace
