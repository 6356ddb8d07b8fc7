// Foot of a perpendicular, crossing of two lines, point on an arc, arrow.
#include "tests/framework/figure_fixture.h"

namespace {

class GeometryTest : public FigureTest {
 protected:
  void line(float ax, float ay, float bx, float by) { f.AX = ax, f.AY = ay, f.BX = bx, f.BY = by; }
};

TEST_F(GeometryTest, FootOfPerpendicular) {
  struct Case {
    float ax, ay, bx, by, cx, cy, ex, ey;
  };
  const Case cases[] = {
      {100, 10, 100, 200, 40, 70, 100, 70},  // vertical
      {10, 50, 200, 50, 40, 70, 40, 50},     // horizontal
      {0, 0, 10, 10, 10, 0, 5, 5},
      {0, 0, 10, 10, 7, 7, 7, 7},            // C on the line
      {30, 40, 30, 40, 90, 95, 30, 95},      // A = B: the vertical through A
      {100, 300, 400, 200, 250, 100, 295, 235},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "C (" << c.cx << ", " << c.cy << ")");
    line(c.ax, c.ay, c.bx, c.by);
    f.CX = c.cx, f.CY = c.cy;
    f.FootOfPerpendicular();
    EXPECT_NEAR(f.EX, c.ex, kPixel);
    EXPECT_NEAR(f.EY, c.ey, kPixel);
    std::vector<TracedOp> ops = drawn();
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(ops[0].op, "CIRCLE");
    EXPECT_NEAR(ops[0]["cx"], c.ex, kPixel);
    EXPECT_NEAR(ops[0]["cy"], c.ey, kPixel);
    EXPECT_EQ(ops[0]["r"], 2);
    EXPECT_TRUE(ops[0].flag["filled"]);
    EXPECT_EQ(ops[0]["colour"], 15);
    EXPECT_EQ(ops[0]["fill"], 15);
    EXPECT_EQ(ops[0]["start"], 0);
    EXPECT_EQ(ops[0]["end"], 0);
  }
}

TEST_F(GeometryTest, FootPaintsAPageColouredDiscOverTheFigure) {
  page.SETDRAWWIDTH(5);
  page.LINE(100, 200, 300, 200, 0);
  ASSERT_EQ(page.pixel(200, 200), 0);
  line(100, 200, 300, 200);
  f.CX = 200, f.CY = 100;
  f.FootOfPerpendicular();
  EXPECT_EQ(page.pixel(200, 200), 15);
  EXPECT_EQ(page.pixel(201, 201), 15);
  EXPECT_EQ(page.pixel(210, 200), 0) << "only a spot is erased";
  EXPECT_EQ(page.GETDRAWWIDTH(), 5);
}

TEST_F(GeometryTest, LineIntersection) {
  struct Case {
    float ax, ay, bx, by, cx, cy, dx, dy, x, y;
  };
  const Case cases[] = {
      {0, 0, 10, 10, 0, 10, 10, 0, 5, 5},
      {0, 50, 100, 50, 30, 0, 30, 100, 30, 50},   // horizontal AB, vertical CD
      {30, 0, 30, 100, 0, 50, 100, 50, 30, 50},   // vertical AB, horizontal CD
      {30, 0, 30, 100, 0, 0, 10, 20, 30, 60},     // vertical AB, slanted CD
      {0, 0, 10, 20, 30, 0, 30, 100, 30, 60},     // slanted AB, vertical CD
      {5, 5, 5, 5, 0, 0, 10, 10, 5, 5},           // A = B: the horizontal through A
      {0, 0, 1, 1000, 0, 50, 100, 50, 0.05f, 50}, // slope 1000 is not vertical
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "AB (" << c.ax << ", " << c.ay << ")-(" << c.bx << ", " << c.by << ")");
    line(c.ax, c.ay, c.bx, c.by);
    f.CX = c.cx, f.CY = c.cy, f.DX = c.dx, f.DY = c.dy;
    f.LineIntersection();
    EXPECT_NEAR(f.AX2, c.x, kPixel);
    EXPECT_NEAR(f.AY2, c.y, kPixel);
  }
  EXPECT_TRUE(drawn().empty());
}

TEST_F(GeometryTest, LinesOfEqualSlopeReturnWithoutAPoint) {
  struct Case {
    float ax, ay, bx, by, cx, cy, dx, dy, x;  // x: AX2 afterwards
  };
  const Case cases[] = {
      {0, 10, 100, 10, 0, 50, 100, 50, -7},   // two horizontals
      {10, 0, 10, 100, 50, 0, 50, 100, 50},   // two verticals: CD's x
      {0, 0, 10, 20, 5, 0, 15, 20, -7},       // parallel slanted
      {0, 0, 10, 20, 20, 40, 30, 60, -7},     // the same line
  };
  for (const Case& c : cases) {
    line(c.ax, c.ay, c.bx, c.by);
    f.CX = c.cx, f.CY = c.cy, f.DX = c.dx, f.DY = c.dy;
    f.AX2 = -7, f.AY2 = -8;
    f.LineIntersection();
    EXPECT_EQ(f.AX2, c.x);
    EXPECT_EQ(f.AY2, -8);
  }
}

TEST_F(GeometryTest, PointOnArc) {
  struct Case {
    float x0, y0, x1, y1, height, angle, x, y;
  };
  const Case cases[] = {
      {100, 300, 300, 300, 20, 0, 300, 300},   {100, 300, 300, 300, 20, 90, 200, 280},
      {100, 300, 300, 300, 20, 180, 100, 300}, {100, 300, 300, 300, 20, 270, 200, 320},
      {100, 300, 300, 300, 20, 360, 300, 300},
      {100, 300, 100, 100, 20, 90, 80, 200},    // up the page: to the left
      {100, 300, 300, 300, -20, 90, 200, 320},  // negative height: the mirror image
      {100, 300, 300, 300, 0, 60, 250, 300},    // height 0: on the segment
      {300, 300, 100, 300, 20, 90, 200, 320},   // ends exchanged: through M
      {100, 300, 300, 300, 5, 90, 200, 295},    // the height is used unchanged
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "TAKASA " << c.height << " KAKUDO " << c.angle);
    f.ZX0 = c.x0, f.ZY0 = c.y0, f.ZX1 = c.x1, f.ZY1 = c.y1, f.TAKASA = c.height, f.KAKUDO = c.angle;
    f.PointOnArc();
    EXPECT_NEAR(f.ZX, c.x, 0.01);
    EXPECT_NEAR(f.ZY, c.y, 0.01);
    EXPECT_EQ(f.ZX0, c.x0);
    EXPECT_EQ(f.ZY0, c.y0);
    EXPECT_EQ(f.TAKASA, c.height);
    EXPECT_EQ(f.KAKUDO, c.angle);
    EXPECT_EQ(f.ZX1, f.ZX3) << "Z1 ends as the unturned point";
  }
  EXPECT_EQ(f.PI, 3.14159f);
  EXPECT_TRUE(drawn().empty());
  f.ZX0 = 100, f.ZY0 = 300, f.ZX1 = 100, f.ZY1 = 300, f.TAKASA = 20, f.KAKUDO = 90;
  expectDivisionByZero([&] { f.PointOnArc(); });
}

TEST_F(GeometryTest, ArrowHeads) {
  struct Case {
    float muki, ya;
    std::vector<Segment> lines;  // shaft, right stroke, left stroke per pass
    float z0x, zx, z1x, z1y, z2x, z2y, yaAfter;
  };
  const Case cases[] = {
      {1, 1, {{100, 200, 300, 200}, {284, 208, 300, 200}, {284, 192, 300, 200}}, 300, 100, 284, 208, 284, 192, 1},
      {0, 0, {{100, 200, 300, 200}, {284, 208, 300, 200}, {284, 192, 300, 200}}, 300, 100, 284, 208, 284, 192, 0},
      {-1, 1, {{300, 200, 100, 200}, {116, 192, 100, 200}, {116, 208, 100, 200}}, 100, 300, 116, 192, 116, 208, 1},
      // Both ends: the first head where MUKI says, then the shaft again and
      // the second head at the other end.
      {-1, 2,
       {{300, 200, 100, 200}, {116, 192, 100, 200}, {116, 208, 100, 200},
        {100, 200, 300, 200}, {284, 208, 300, 200}, {284, 192, 300, 200}},
       300, 100, 284, 208, 284, 192, 0},
      {1, 2,
       {{100, 200, 300, 200}, {284, 208, 300, 200}, {284, 192, 300, 200},
        {300, 200, 100, 200}, {116, 192, 100, 200}, {116, 208, 100, 200}},
       100, 300, 116, 192, 116, 208, 0},
  };
  page.SETDRAWWIDTH(10);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "MUKI " << c.muki << " YA " << c.ya);
    f.ZX0 = 100, f.ZY0 = 200, f.ZX = 300, f.ZY = 200;
    f.MUKI = c.muki, f.YA = c.ya, f.NAGASA = 16, f.CCC2 = 7, f.X = 1, f.Y = 2, f.CCC1 = 3;
    f.Arrow();
    std::vector<TracedOp> ops = drawn();
    expectSegments(ops, c.lines, 7);
    for (const TracedOp& op : ops) EXPECT_EQ(op["width"], 10);
    EXPECT_EQ(f.ZX0, c.z0x);
    EXPECT_EQ(f.ZX, c.zx);
    EXPECT_NEAR(f.ZX1, c.z1x, kPixel);
    EXPECT_NEAR(f.ZY1, c.z1y, kPixel);
    EXPECT_NEAR(f.ZX2, c.z2x, kPixel);
    EXPECT_NEAR(f.ZY2, c.z2y, kPixel);
    EXPECT_EQ(f.CX, c.z0x - c.zx);
    EXPECT_EQ(f.D, 200);
    EXPECT_EQ(f.EX, c.z0x == 300 ? 284 : 116);
    EXPECT_EQ(f.MUKI, 0);
    EXPECT_EQ(f.YA, c.yaAfter);
    EXPECT_EQ(f.NAGASA, 16);
    EXPECT_EQ(f.X, 1);
    EXPECT_EQ(f.Y, 2);
    EXPECT_EQ(f.CCC1, 3);
    EXPECT_EQ(page.GETDRAWWIDTH(), 10);
  }
}

TEST_F(GeometryTest, ArrowEdgeLengths) {
  // NAGASA 0: the strokes shrink to the tip; NAGASA past the shaft: the
  // base lies beyond the other end.
  for (float nagasa : {0.0f, 300.0f}) {
    f.ZX0 = 100, f.ZY0 = 200, f.ZX = 300, f.ZY = 200, f.MUKI = 1, f.YA = 0, f.NAGASA = nagasa, f.CCC2 = 7;
    f.Arrow();
    std::vector<TracedOp> ops = drawn();
    ASSERT_EQ(ops.size(), 3u);
    EXPECT_SEGMENT(ops[1], 300 - nagasa, 200 + nagasa / 2, 300, 200);
    EXPECT_SEGMENT(ops[2], 300 - nagasa, 200 - nagasa / 2, 300, 200);
  }
  // Equal ends: the shaft (a point) is drawn, then the division fails.
  f.ZX0 = 100, f.ZY0 = 200, f.ZX = 100, f.ZY = 200, f.MUKI = 1, f.NAGASA = 16;
  expectDivisionByZero([&] { f.Arrow(); });
  std::vector<TracedOp> ops = drawn();
  ASSERT_EQ(ops.size(), 1u);
  EXPECT_SEGMENT(ops[0], 100, 200, 100, 200);
}

}  // namespace
