// The figure frame and the polygon edges.
#include "tests/framework/figure_fixture.h"

namespace {

class GridFrameTest : public FigureTest {
 protected:
  void frame(float ggx, float ggy, float yoko, float tate, float size, float colour) {
    f.GGX = ggx, f.GGY = ggy, f.YOKO = yoko, f.TATE = tate, f.SIZE = size, f.CCC2 = colour;
    f.GridFrame();
  }
};

TEST_F(GridFrameTest, InvisibleGridSetsTheFrameAndDrawsNothing) {
  page.SETDRAWWIDTH(4);
  f.CCC3 = 13, f.II = 77, f.X = 5, f.Y = 6;
  frame(840, 50, 8, 10, 50, 15);
  EXPECT_TRUE(drawn().empty());
  EXPECT_EQ(f.GX1, 840);
  EXPECT_EQ(f.GY1, 50);
  EXPECT_EQ(f.GX2, 1240);
  EXPECT_EQ(f.GY2, 550);
  EXPECT_EQ(f.GX0, 840);
  EXPECT_EQ(f.GY0, 550);
  EXPECT_EQ(f.PI, 3.14159f);
  EXPECT_EQ(f.CCC3, 13);
  EXPECT_EQ(f.II, 77);
  EXPECT_EQ(f.DR, 4);
  EXPECT_EQ(page.GETDRAWWIDTH(), 4);
  EXPECT_EQ(f.X, 5);
  EXPECT_EQ(f.Y, 6);
}

// Graph paper: thin lines in CCC2 at width 1, every fifth from the left and
// from the bottom heavy in colour 14 at width 3, verticals first; CCC3 is
// left at 14 and the pen width set back.
TEST_F(GridFrameTest, VisibleGridEveryFifthLineHeavyInColour14) {
  page.SETDRAWWIDTH(5);
  f.CCC3 = 13;
  frame(680, 100, 8, 6, 70, 0);
  std::vector<TracedOp> ops = drawn();
  ASSERT_EQ(ops.size(), 9u + 7u);
  for (int k = 0; k <= 8; ++k) {
    const TracedOp& v = ops[k];
    float x = 680 + 70 * k;
    EXPECT_SEGMENT(v, x, 100, x, 520);
    bool heavy = k % 5 == 0;
    EXPECT_EQ(v["colour"], heavy ? 14 : 0) << "vertical " << k;
    EXPECT_EQ(v["width"], heavy ? 3 : 1) << "vertical " << k;
  }
  for (int k = 0; k <= 6; ++k) {
    const TracedOp& h = ops[9 + k];
    float y = 520 - 70 * k;
    EXPECT_SEGMENT(h, 680, y, 1240, y);
    bool heavy = k % 5 == 0;
    EXPECT_EQ(h["colour"], heavy ? 14 : 0) << "horizontal " << k;
    EXPECT_EQ(h["width"], heavy ? 3 : 1) << "horizontal " << k;
  }
  EXPECT_EQ(f.CCC3, 14);
  EXPECT_EQ(f.II, 7);
  EXPECT_EQ(page.GETDRAWWIDTH(), 5);
  EXPECT_EQ(f.GX2, 1240);
  EXPECT_EQ(f.GY0, 520);
}

TEST_F(GridFrameTest, LineCountsAtTheEdgesOfTheRange) {
  struct Case {
    float yoko, tate;
    size_t verticals, horizontals;
    float ii;  // left by the horizontal loop
  };
  for (const Case& c : {Case{5, 4, 6, 5, 5}, Case{0, 2, 1, 3, 3}, Case{2.5f, -3, 3, 1, 1},
                        Case{1e9f, 1, 1, 2, 2}}) {
    frame(100, 100, c.yoko, c.tate, 20, 0);
    std::vector<TracedOp> ops = drawn();
    ASSERT_EQ(ops.size(), c.verticals + c.horizontals) << c.yoko << " x " << c.tate;
    EXPECT_EQ(ops[0]["x1"], ops[0]["x2"]) << "the first line is the left edge";
    EXPECT_EQ(ops[0]["colour"], 14);
    EXPECT_EQ(ops[c.verticals]["y1"], f.GY2) << "the first horizontal is the bottom edge";
    EXPECT_EQ(ops[c.verticals]["colour"], 14);
    EXPECT_EQ(f.II, c.ii) << c.yoko << " x " << c.tate;
    EXPECT_EQ(f.GX2, 100 + 20 * c.yoko) << "the right edge uses the exact product";
  }
  // 5 x 4: the right edge heavy, the top edge thin in CCC2.
  frame(100, 100, 5, 4, 20, 0);
  std::vector<TracedOp> ops = drawn();
  EXPECT_EQ(ops[5]["colour"], 14);
  EXPECT_EQ(ops[10]["colour"], 0);
  EXPECT_EQ(ops[10]["y1"], 100);
}

using PolygonTest = FigureTest;

TEST_F(PolygonTest, UnlabelledEdgesInOrderAndTheStateAsBefore) {
  page.SETDRAWWIDTH(3);
  vertices({{400, 100}, {200, 400}, {600, 400}, {650, 120}});
  f.SIZE1 = 5, f.CCC2 = 3, f.AAA_S = "", f.NAGASA = 10, f.X = 11, f.Y = 12;
  f.Polygon();
  std::vector<TracedOp> ops = drawn();
  ASSERT_EQ(ops.size(), 4u);
  EXPECT_SEGMENT(ops[0], 400, 100, 200, 400);
  EXPECT_SEGMENT(ops[1], 200, 400, 600, 400);
  EXPECT_SEGMENT(ops[2], 600, 400, 650, 120);
  EXPECT_SEGMENT(ops[3], 650, 120, 400, 100);
  for (const TracedOp& op : ops) {
    EXPECT_EQ(op["width"], 5);
    EXPECT_EQ(op["colour"], 3);
  }
  EXPECT_EQ(page.GETDRAWWIDTH(), 3);
  EXPECT_EQ(f.AAA_S, "");
  EXPECT_EQ(f.NAGASA, 10);
  EXPECT_EQ(f.NAGASA1, 10);
  EXPECT_EQ(f.II, 5);
  EXPECT_EQ(f.KJ1, 1);
  EXPECT_EQ(f.X, 11);
  EXPECT_EQ(f.Y, 12);
}

TEST_F(PolygonTest, SmallVertexCountsStayInsideTheTable) {
  vertices({{10, 20}, {30, 40}});
  f.AAA_S = "";
  f.Polygon();
  std::vector<TracedOp> ops = drawn();
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_SEGMENT(ops[0], 10, 20, 30, 40);
  EXPECT_SEGMENT(ops[1], 30, 40, 10, 20);

  f.KAKU = 1;
  f.Polygon();
  ops = drawn();
  ASSERT_EQ(ops.size(), 1u);
  EXPECT_SEGMENT(ops[0], 10, 20, 10, 20);

  f.KAKU = 0;
  f.AAA_S = "A";
  f.Polygon();
  EXPECT_TRUE(drawn().empty());
  EXPECT_EQ(f.AAA_S, "");

  f.KAKU = 11;
  try {
    f.Polygon();
    FAIL() << "an eleventh vertex lies outside the table";
  } catch (const rt::RuntimeError& e) {
    EXPECT_EQ(e.err(), rt::kSubscriptOutOfRange);
  }
}

}  // namespace
