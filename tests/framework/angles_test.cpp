// The angle arithmetic and the right-angle square.
#include <cmath>

#include "tests/framework/figure_fixture.h"

namespace {

constexpr float kPi = 3.14159f;
constexpr double kRadian = 1e-5;

class AngleTest : public FigureTest {
 protected:
  void angle(float x0, float y0, float x1, float y1, float x2, float y2, float iti) {
    f.ZX0 = x0, f.ZY0 = y0, f.ZX1 = x1, f.ZY1 = y1, f.ZX2 = x2, f.ZY2 = y2, f.ITI = iti;
  }
  static double degrees(float radians) { return radians * 180 / kPi; }
};

TEST_F(AngleTest, RayDirectionsAndArcEnds) {
  struct Case {
    float dx, dy, direction, arcEnd;
  };
  for (const Case& c : {Case{50, 0, 0, 1}, Case{0, -50, kPi / 2, 0.75f}, Case{-50, 0, kPi, 0.5f},
                        Case{0, 50, 3 * kPi / 2, 0.25f}, Case{0, 0, kPi, 0.5f}}) {
    SCOPED_TRACE(testing::Message() << "Z1 - Z0 = (" << c.dx << ", " << c.dy << ")");
    angle(300, 300, 300 + c.dx, 300 + c.dy, 400, 300, 1);
    f.AngleRays();
    EXPECT_NEAR(f.HH3, c.direction, kRadian);
    EXPECT_NEAR(f.HH1, c.arcEnd, kRadian);
    f.RayDirection();
    EXPECT_NEAR(f.HHP, c.direction, kRadian);
  }
  EXPECT_EQ(f.PI, kPi);
  EXPECT_TRUE(drawn().empty());
}

TEST_F(AngleTest, MarkedSideAndBisector) {
  struct Case {
    float x1, y1, x2, y2, iti;
    double first, second, bisector;  // degrees, after any exchange
  };
  const Case cases[] = {
      {400, 500, 250, 300, 1, 0, 53.13, 26.57},
      // ITI = -1 exchanges the rays and marks the other 306.87 degrees.
      {400, 500, 250, 300, -1, 53.13, 0, 206.57},
      {400, 500, 250, 300, 0, 0, 53.13, 26.57},
      {400, 500, 250, 300, -2, 0, 53.13, 26.57},
      // First ray at 350, second at 10: the 20 degrees between them, HH5
      // past 2 pi (pointing right), not 180.
      {100 + 300 * std::cos(350 * kPi / 180), 500 - 300 * std::sin(350 * kPi / 180),
       100 + 300 * std::cos(10 * kPi / 180), 500 - 300 * std::sin(10 * kPi / 180), 1, 350, 10, 360},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "ITI " << c.iti << " bisector " << c.bisector);
    angle(100, 500, c.x1, c.y1, c.x2, c.y2, c.iti);
    f.AngleRays();
    EXPECT_NEAR(degrees(f.HH3), c.first, 0.01);
    EXPECT_NEAR(degrees(f.HH4), c.second, 0.01);
    EXPECT_NEAR(f.HH1, 1 - f.HH3 / (2 * kPi), kRadian);
    EXPECT_NEAR(f.HH2, 1 - f.HH4 / (2 * kPi), kRadian);
    EXPECT_NEAR(degrees(f.HH5), c.bisector, 0.01);
    EXPECT_EQ(f.ITI, c.iti);
  }
  // HHP keeps the direction of Z0Z2 as computed, before any exchange.
  angle(100, 500, 400, 500, 100, 200, -1);
  f.AngleRays();
  EXPECT_NEAR(f.HHP, kPi / 2, kRadian);
  EXPECT_NEAR(f.HH3, kPi / 2, kRadian);
}

TEST_F(AngleTest, RayDirectionInDegrees) {
  f.ZX0 = 100, f.ZY0 = 100, f.ZX1 = 110, f.ZY1 = 90;
  f.RayDirection();
  EXPECT_NEAR(f.HHP, 0.7853969, 1e-6);
  EXPECT_NEAR(f.HH, 44.99996, 1e-4);
  EXPECT_EQ(f.PI, kPi);
}

TEST_F(AngleTest, MeasureAngleText) {
  struct Case {
    float x1, y1, x2, y2, iti;
    const char* text;
  };
  for (const Case& c : {Case{400, 500, 100, 200, 1, "90"}, Case{400, 500, 100, 200, -1, "270"},
                        Case{400, 500, 250, 300, 1, "53.1"}}) {
    angle(100, 500, c.x1, c.y1, c.x2, c.y2, c.iti);
    f.MeasureAngle();
    EXPECT_EQ(f.KAKUDO_S, c.text);
    EXPECT_EQ(f.A_S, c.text);
  }
  EXPECT_NEAR(f.HH, 53.13, 0.01);
  EXPECT_NEAR(f.HH5, 53.13 * kPi / 180, kRadian);
  // The sweep over direction 0 adds a turn to HH4.
  angle(100, 500, 100 + 300 * std::cos(350 * kPi / 180), 500 - 300 * std::sin(350 * kPi / 180),
        400, 500 - 300 * std::tan(10 * kPi / 180), 1);
  f.MeasureAngle();
  EXPECT_EQ(f.KAKUDO_S, "20");
  EXPECT_NEAR(degrees(f.HH4), 370, 0.01);
}

TEST_F(AngleTest, StripMarkupDropsEveryMarkupCharacter) {
  struct Case {
    const char* in;
    const char* out;
  };
  for (const Case& c : {Case{"ﾀ1/2ﾀ", "1/2"}, Case{"x^2=ﾀ!3ﾝ/4ﾀ", "x2!3/4"}, Case{"", ""},
                        Case{"^^==", ""}, Case{"12", "12"}}) {
    f.A_S = c.in;
    f.StripMarkup();
    EXPECT_EQ(f.A_S, c.out) << c.in;
  }
}

TEST_F(AngleTest, RightAngleMarkCornerOnTheVertex) {
  struct Case {
    float x1, y1, x2, y2, iti;
    std::vector<std::pair<double, double>> points;  // Z3, Z5, Z4
  };
  const double r60x = 100 + 30 * std::cos(60 * kPi / 180), r60y = 500 - 30 * std::sin(60 * kPi / 180);
  const Case cases[] = {
      {400, 500, 100, 200, 1, {{130, 500}, {130, 470}, {100, 470}}},
      // ITI = -1 exchanges Z3 and Z4 only: the same square.
      {400, 500, 100, 200, -1, {{100, 470}, {130, 470}, {130, 500}}},
      // Rays at 60 degrees: a rhombus corner.
      {400, 500, 100 + 300 * std::cos(60 * kPi / 180), 500 - 300 * std::sin(60 * kPi / 180), 1,
       {{130, 500}, {r60x + 30, r60y}, {r60x, r60y}}},
  };
  page.SETDRAWWIDTH(4);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "ITI " << c.iti);
    angle(100, 500, c.x1, c.y1, c.x2, c.y2, c.iti);
    f.NAGASA = 30, f.CCC2 = 7, f.AAA_S = "x", f.X = 1, f.Y = 2;
    f.RightAngleMark();
    std::vector<TracedOp> ops = drawn();
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(ops[0].op, "CONNECT");
    EXPECT_FALSE(ops[0].flag["filled"]);
    EXPECT_EQ(ops[0]["colour"], 7);
    EXPECT_EQ(ops[0]["width"], 4);
    ASSERT_EQ(ops[0].points.size(), 3u);
    for (size_t k = 0; k < 3; ++k) {
      EXPECT_NEAR(ops[0].points[k].first, c.points[k].first, kPixel) << k;
      EXPECT_NEAR(ops[0].points[k].second, c.points[k].second, kPixel) << k;
    }
    EXPECT_EQ(f.NAGASA, 30);
    EXPECT_EQ(f.ITI, c.iti);
    EXPECT_EQ(f.AAA_S, "x");
    EXPECT_EQ(f.X, 1);
    EXPECT_EQ(f.Y, 2);
    EXPECT_NEAR(f.ZX5, c.points[1].first, kPixel);
  }
}

}  // namespace
