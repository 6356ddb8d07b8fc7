// Parallel arrowheads and equal-length ticks.
#include <cmath>

#include "tests/framework/figure_fixture.h"

namespace {

class SegmentMarksTest : public FigureTest {
 protected:
  void segment(float ax, float ay, float bx, float by) { f.AX = ax, f.AY = ay, f.BX = bx, f.BY = by; }
};

TEST_F(SegmentMarksTest, ParallelMarksHeadsBeyondTheDividingPoint) {
  struct Case {
    float ax, ay, bx, by, a, b, honsu;
    std::vector<Segment> strokes;  // per head: first barb, second barb
    float honsuAfter;
  };
  const Case cases[] = {
      {100, 200, 300, 200, 1, 1, 1, {{196, 210, 216, 200}, {196, 190, 216, 200}}, 1},
      {100, 200, 300, 200, 1, 1, 2,
       {{196, 210, 216, 200}, {196, 190, 216, 200}, {212, 210, 232, 200}, {212, 190, 232, 200}}, 2},
      {100, 200, 300, 200, 1, 2, 1,
       {{162.667f, 210, 182.667f, 200}, {162.667f, 190, 182.667f, 200}}, 1},
      {100, 100, 100, 300, 1, 1, 1, {{90, 196, 100, 216}, {110, 196, 100, 216}}, 1},
      // Counts outside 1..6 draw one head and are written back as 1.
      {100, 200, 300, 200, 1, 1, 0, {{196, 210, 216, 200}, {196, 190, 216, 200}}, 1},
      {100, 200, 300, 200, 1, 1, -1, {{196, 210, 216, 200}, {196, 190, 216, 200}}, 1},
      {100, 200, 300, 200, 1, 1, 7, {{196, 210, 216, 200}, {196, 190, 216, 200}}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "A:B " << c.a << ":" << c.b << " HONSU " << c.honsu);
    segment(c.ax, c.ay, c.bx, c.by);
    f.A = c.a, f.B = c.b, f.HONSU = c.honsu, f.NAGASA = 20, f.CCC2 = 5;
    f.ParallelMarks();
    std::vector<TracedOp> ops = drawn();
    expectSegments(ops, c.strokes, 5);
    // The dividing point in single precision as (B - A) * A / (A + B): a
    // third of 200 taken as 200 * (1/3) lands one step off.
    float cx = c.bx - c.ax, cy = c.by - c.ay, d = std::sqrt(cx * cx + cy * cy);
    EXPECT_EQ(static_cast<float>(ops[0]["x2"]), c.ax + cx * c.a / (c.a + c.b) + 16 * (cx / d));
    EXPECT_EQ(static_cast<float>(ops[0]["y2"]), c.ay + cy * c.a / (c.a + c.b) + 16 * (cy / d));
    EXPECT_EQ(f.HONSU, c.honsuAfter);
    EXPECT_EQ(f.NAGASA, 20);
    EXPECT_EQ(f.A, c.a);
    EXPECT_EQ(f.B, c.b);
  }
}

TEST_F(SegmentMarksTest, MarksOnAPointOrWithoutARatioAreADivisionByZero) {
  struct Case {
    float bx, a, b;
  };
  for (const Case& c : {Case{100, 1, 1}, Case{300, 1, -1}}) {
    segment(100, 200, c.bx, 200);
    f.A = c.a, f.B = c.b, f.HONSU = 1, f.NAGASA = 20, f.CCC2 = 5;
    expectDivisionByZero([&] { f.ParallelMarks(); });
    EXPECT_TRUE(drawn().empty());
  }
  // Ticks on a point: the same error, nothing drawn.
  segment(100, 200, 100, 200);
  f.ITI = 0, f.AIDA = 8, f.NAGASA = 20, f.HONSU = 1;
  expectDivisionByZero([&] { f.EqualLengthTicks(); });
  EXPECT_TRUE(drawn().empty());
}

TEST_F(SegmentMarksTest, EqualLengthTicksAcrossTheShiftedMidpoint) {
  struct Case {
    float ax, ay, bx, by, iti, aida, nagasa, honsu;
    std::vector<Segment> ticks;
    float aidaAfter, honsuAfter;
  };
  const Case cases[] = {
      {100, 200, 300, 200, 0, 8, 20, 1, {{208, 180, 208, 220}}, 16, 1},
      {100, 200, 300, 200, -30, 8, 18, 3,
       {{178, 182, 178, 218}, {186, 182, 186, 218}, {194, 182, 194, 218}}, 32, 3},
      // HONSU 0: one tick, HONSU stays 0 and AIDA is doubled.
      {100, 200, 300, 200, 0, 8, 20, 0, {{208, 180, 208, 220}}, 16, 0},
      {100, 200, 300, 200, 0, 8, 20, -1, {{208, 180, 208, 220}}, 16, 1},
      {100, 200, 300, 200, 0, 8, 20, 7, {{208, 180, 208, 220}}, 16, 1},
      // AIDA 0 or above 30 is spacing 8; a negative spacing runs towards A.
      {100, 200, 300, 200, 0, 0, 20, 2, {{208, 180, 208, 220}, {216, 180, 216, 220}}, 24, 2},
      {100, 200, 300, 200, 0, 31, 20, 1, {{208, 180, 208, 220}}, 16, 1},
      {100, 200, 300, 200, 0, -8, 20, 2, {{192, 180, 192, 220}, {184, 180, 184, 220}}, -24, 2},
      {100, 100, 100, 300, 0, 8, 20, 1, {{120, 208, 80, 208}}, 16, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "ITI " << c.iti << " AIDA " << c.aida << " HONSU " << c.honsu);
    segment(c.ax, c.ay, c.bx, c.by);
    f.ITI = c.iti, f.AIDA = c.aida, f.NAGASA = c.nagasa, f.HONSU = c.honsu, f.CCC2 = 3;
    f.EqualLengthTicks();
    expectSegments(drawn(), c.ticks, 3);
    EXPECT_EQ(f.AIDA, c.aidaAfter);
    EXPECT_EQ(f.HONSU, c.honsuAfter);
    EXPECT_EQ(f.ITI, c.iti);
    EXPECT_EQ(f.NAGASA, c.nagasa);
  }
}

TEST_F(SegmentMarksTest, MarksLeaveTheSegmentScratchAndThePenWidth) {
  page.SETDRAWWIDTH(5);
  segment(100, 200, 100, 100);
  f.ITI = 0, f.AIDA = 8, f.NAGASA = 20, f.HONSU = 1, f.CCC2 = 3;
  f.EqualLengthTicks();
  EXPECT_EQ(f.CX, 0);
  EXPECT_EQ(f.CY, -100);
  EXPECT_EQ(f.D, 100);
  EXPECT_EQ(f.DX, 0);
  EXPECT_EQ(f.DY, -1);
  EXPECT_EQ(f.II, 2);
  EXPECT_EQ(f.AIDA1, 8);
  EXPECT_EQ(page.GETDRAWWIDTH(), 5);
  EXPECT_EQ(drawn()[0]["width"], 5);
}

}  // namespace
