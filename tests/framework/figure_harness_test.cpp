// A whole lesson figure drawn with the figure vocabulary: a lettered
// triangle on an invisible grid with ticks, parallel arrows, an angle arc
// and a sector with labels, a right-angle mark, a dotted arc with its
// label and an arrow. Set LESSON_FIGURE_PNG to a path to keep the page.
#include <cstdlib>

#include "tests/framework/figure_fixture.h"

namespace {

class FigureHarnessTest : public FigureTest {};

TEST_F(FigureHarnessTest, TriangleWithEveryMark) {
  page.CLS();
  f.GGX = 640, f.GGY = 50, f.YOKO = 10, f.TATE = 10, f.SIZE = 50, f.CCC2 = 15;
  f.GridFrame();
  // A(4, 9), B(1, 1), C(7, 1), D the foot of the altitude from A.
  const float pts[][2] = {{4, 5}, {4, 9}, {1, 1}, {7, 1}};
  for (int i = 0; i < 4; ++i) {
    f.X_A(i) = f.GX0 + f.SIZE * pts[i][0];
    f.Y_A(i) = f.GY0 - f.SIZE * pts[i][1];
  }
  auto point = [&](int i) { return std::pair<float, float>{f.X_A(i), f.Y_A(i)}; };
  f.AX = f.X_A(2), f.AY = f.Y_A(2), f.BX = f.X_A(3), f.BY = f.Y_A(3), f.CX = f.X_A(1), f.CY = f.Y_A(1);
  f.FootOfPerpendicular();
  f.X_A(4) = f.EX, f.Y_A(4) = f.EY;

  f.KAKU = 3;
  for (int i = 1; i <= 3; ++i) f.G_A(i, 1) = f.X_A(i), f.G_A(i, 2) = f.Y_A(i);
  f.SIZE1 = 5, f.CCC2 = 0, f.CCC1 = 0, f.AAA_S = "A", f.NAGASA = 10;
  f.Polygon();
  EXPECT_EQ(page.GETDRAWWIDTH(), 5);
  page.SETDRAWWIDTH(3);
  page.LINE(f.X_A(1), f.Y_A(1), f.X_A(4), f.Y_A(4), 0);

  // Equal legs, the base halves, the altitude with parallel arrows.
  page.SETDRAWWIDTH(5);
  for (auto [a, b, n] : {std::tuple{1, 2, 2.0f}, std::tuple{1, 3, 2.0f}, std::tuple{2, 4, 1.0f},
                         std::tuple{4, 3, 1.0f}}) {
    std::tie(f.AX, f.AY) = point(a);
    std::tie(f.BX, f.BY) = point(b);
    f.HONSU = n, f.NAGASA = 16, f.AIDA = 8, f.ITI = -8 * (n + 1) / 2, f.CCC2 = 3;
    f.EqualLengthTicks();
  }
  std::tie(f.AX, f.AY) = point(4);
  std::tie(f.BX, f.BY) = point(1);
  f.A = 1, f.B = 1, f.NAGASA = 16, f.HONSU = 2, f.CCC2 = 5;
  f.ParallelMarks();

  // Base angles: an arc at B labelled "a", a sector at C labelled "60%".
  page.SETDRAWWIDTH(3);
  std::tie(f.ZX0, f.ZY0) = point(2);
  std::tie(f.ZX1, f.ZY1) = point(3);
  std::tie(f.ZX2, f.ZY2) = point(1);
  f.ITI = 1, f.HONSU = 2, f.NAGASA = 60, f.CCC3 = 4, f.CCC1 = 5, f.AAA_S = "a";
  f.AngleMark();
  std::tie(f.ZX0, f.ZY0) = point(3);
  std::tie(f.ZX1, f.ZY1) = point(1);
  std::tie(f.ZX2, f.ZY2) = point(2);
  f.ITI = 1, f.HONSU = 0, f.NAGASA = 50, f.CCC2 = 0, f.CCC3 = 13, f.CCC1 = 5, f.AAA_S = "60%";
  f.AngleMark();
  std::tie(f.ZX0, f.ZY0) = point(4);
  std::tie(f.ZX1, f.ZY1) = point(3);
  std::tie(f.ZX2, f.ZY2) = point(1);
  f.ITI = -1, f.NAGASA = 24, f.CCC2 = 7;
  f.RightAngleMark();

  // The base BC: a dotted arc under it with its length, a fraction label
  // over the half BD.
  page.SETDRAWWIDTH(5);
  std::tie(f.ZX0, f.ZY0) = point(2);
  std::tie(f.ZX1, f.ZY1) = point(3);
  f.TAKASA = 3, f.HOUKOU = 1, f.HABA = 5, f.NAKA = 0, f.CCC2 = 9, f.CCC1 = 9, f.AAA_S = "6cm";
  f.ArcOverSegment();
  page.SETDRAWWIDTH(3);
  f.X = f.X_A(1) + 170, f.Y = f.Y_A(1) - 20, f.CCC1 = 7, f.AA_S = "ﾀ1/2ﾀBC";
  f.DrawText();

  // An arrow pointing at A from the upper right.
  page.SETDRAWWIDTH(4);
  f.ZX0 = f.X_A(1) + 150, f.ZY0 = f.Y_A(1) + 30;
  f.ZX = f.X_A(1) + 30, f.ZY = f.Y_A(1) + 10;
  f.MUKI = 1, f.YA = 1, f.NAGASA = 16, f.CCC2 = 7;
  f.Arrow();

  std::vector<TracedOp> ops = drawn();
  std::string letters;
  for (const TracedOp& op : only(ops, "SYMBOL")) letters += op.text.at("text");
  EXPECT_NE(letters.find("ABC"), std::string::npos);
  EXPECT_NE(letters.find("6cm"), std::string::npos);
  for (int y = 0; y < page.height(); y += 7) {
    for (int x = 0; x < page.width(); x += 7) ASSERT_GE(page.pixel(x, y), 0);
  }
  if (const char* png = std::getenv("LESSON_FIGURE_PNG")) {
    EXPECT_TRUE(page.writePng(png));
  }
}

}  // namespace
