// Angle marks, dotted arcs and vertex labels: the marks with the labels
// that the text routines set on the bisector.
#include <cmath>

#include "tests/framework/figure_fixture.h"

namespace {

constexpr float kPi = 3.14159f;

class LabelTest : public FigureTest {
 protected:
  void angle(float x0, float y0, float x1, float y1, float x2, float y2, float iti) {
    f.ZX0 = x0, f.ZY0 = y0, f.ZX1 = x1, f.ZY1 = y1, f.ZX2 = x2, f.ZY2 = y2, f.ITI = iti;
  }
  // The width DrawText gives a text.
  float widthOf(const std::string& text) {
    f.A_S = text;
    f.MeasureText();
    return f.LLT;
  }
  // The texts drawn, glyph by glyph.
  static std::string texts(const std::vector<TracedOp>& ops) {
    std::string out;
    for (const TracedOp& op : only(ops, "SYMBOL")) out += op.text.at("text");
    return out;
  }
  void expectOneShotInputsReset() {
    EXPECT_EQ(f.ITI, 0);
    EXPECT_EQ(f.AAA_S, "");
    EXPECT_EQ(f.AAAX, 0);
    EXPECT_EQ(f.AAAY, 0);
    EXPECT_EQ(f.NAGASA, 0);
    EXPECT_EQ(f.MU_DO, 0);
  }
};

// The vertex (500, 500) with rays to the right and to the left marks the
// upper half: bisector straight up. Rays at -45 and +45 degrees: straight
// right (HH5 one turn).
TEST_F(LabelTest, AngleLabelStandsBeyondItsReferencePoint) {
  struct Case {
    const char* label;
    float x1, y1, x2, y2, aaax, aaay;
    float px, py;      // the reference point
    float across, up;  // X = px + across * LLT, Y = py - up
  };
  const Case cases[] = {
      {"60%", 600, 500, 400, 500, 0, 0, 500, 470, -0.5f, 44},
      {"60%", 600, 600, 600, 400, 0, 0, 530, 500, 0, 22},
      {"ﾀ1/2ﾀ∠a", 600, 500, 400, 500, 0, 0, 500, 470, -0.5f, 80},
      {"60%", 600, 500, 400, 500, -10, 25, 490, 495, -0.5f, 44},
      // Down: the top edge on the reference point; left: the right edge.
      {"A", 400, 500, 600, 500, 0, 0, 500, 530, -0.5f, 0},
      {"A", 400, 400, 400, 600, 0, 0, 470, 500, -1, 22},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.label << " from (" << c.x1 << ", " << c.y1 << ")");
    float llt = widthOf(c.label);
    ASSERT_GT(llt, 0);
    drawn();
    angle(500, 500, c.x1, c.y1, c.x2, c.y2, 1);
    f.NAGASA = 30, f.AAA_S = c.label, f.AAAX = c.aaax, f.AAAY = c.aaay, f.CCC1 = 5;
    f.AngleLabel();
    // A fraction measures its parts again as it is drawn.
    bool fraction = std::string(c.label).find("ﾀ") != std::string::npos;
    if (!fraction) {
      EXPECT_EQ(f.LLT, llt);
    }
    EXPECT_NEAR(f.X - llt, c.px + c.across * llt, kPixel) << "X is left after the label";
    EXPECT_NEAR(f.Y, c.py - c.up, kPixel);
    EXPECT_EQ(f.DY, fraction ? 40 : 22);
    std::vector<TracedOp> ops = drawn();
    ASSERT_FALSE(ops.empty());
    for (const TracedOp& op : only(ops, "SYMBOL")) EXPECT_EQ(op["colour"], 5);
    expectOneShotInputsReset();
  }
}

TEST_F(LabelTest, EmptyLabelMovesThePenAndDrawsNothing) {
  angle(500, 500, 600, 500, 400, 500, 1);
  f.NAGASA = 30, f.AAA_S = "", f.AAAX = 3, f.X = 1, f.Y = 2;
  f.AngleLabel();
  EXPECT_TRUE(drawn().empty());
  EXPECT_EQ(f.LLT, 0);
  EXPECT_NEAR(f.X, 503, kPixel);
  EXPECT_NEAR(f.Y, 426, kPixel);
  expectOneShotInputsReset();
}

// MU_DO = 1: the one label in the small font, placed by its full-size
// width; the switch goes back to 0.
TEST_F(LabelTest, SmallFontLabelForOneCall) {
  float llt = widthOf("AB");
  drawn();
  angle(500, 500, 600, 500, 400, 500, 1);
  f.NAGASA = 30, f.AAA_S = "AB", f.MU_DO = 1, f.CCC1 = 7;
  try {
    f.AngleLabel();
  } catch (const rt::RuntimeError& e) {
    if (std::string(e.what()).find("not available") != std::string::npos)
      GTEST_SKIP() << "the small-font text is not built yet";
    throw;
  }
  std::vector<TracedOp> glyphs = only(drawn(), "SYMBOL");
  ASSERT_EQ(glyphs.size(), 2u);
  EXPECT_NEAR(glyphs[0]["x"], 500 - llt / 2, kPixel);
  EXPECT_NEAR(glyphs[0]["y"], 426, kPixel);
  for (const TracedOp& g : glyphs) {
    EXPECT_EQ(g["size"], 15);
    EXPECT_EQ(g["colour"], 7);
  }
  expectOneShotInputsReset();
  angle(500, 500, 600, 500, 400, 500, 1);
  f.NAGASA = 30, f.AAA_S = "AB";
  f.AngleLabel();
  for (const TracedOp& g : only(drawn(), "SYMBOL")) EXPECT_EQ(g["size"], 16);
}

TEST_F(LabelTest, AngleMarkArcsAndSector) {
  struct Case {
    float honsu, iti;
    std::vector<float> radii;  // arcs; none for the sector
    float honsuAfter;
  };
  // Vertex (100, 500), first ray to the right, second at 53.13 degrees.
  const float hhRight = 1, hhSlant = 1 - std::atan2(4.0f, 3.0f) / (2 * kPi);
  const Case cases[] = {
      {3, 1, {42, 34, 26}, 3},
      {1, 1, {42}, 1},
      {7, 1, {42}, 1},  // over 6: one arc, written back as 1
      {0, 1, {}, 0},
      {-1, 1, {}, -1},
      {2, -1, {42, 34}, 2},  // the other side: the arc ends exchanged
  };
  page.SETDRAWWIDTH(3);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "HONSU " << c.honsu << " ITI " << c.iti);
    angle(100, 500, 400, 500, 250, 300, c.iti);
    f.HONSU = c.honsu, f.NAGASA = 50, f.CCC2 = 3, f.CCC3 = 13, f.CCC1 = 0, f.AAA_S = "a";
    f.AngleMark();
    std::vector<TracedOp> circles = only(drawn(), "CIRCLE");
    float start = c.iti == -1 ? hhRight : hhSlant, end = c.iti == -1 ? hhSlant : hhRight;
    if (c.radii.empty()) {
      ASSERT_EQ(circles.size(), 1u);
      EXPECT_TRUE(circles[0].flag["filled"]);
      EXPECT_EQ(circles[0]["r"], 50);
      EXPECT_EQ(circles[0]["colour"], 3);
      EXPECT_EQ(circles[0]["fill"], 13);
      EXPECT_NEAR(circles[0]["start"], start, 1e-5);
      EXPECT_NEAR(circles[0]["end"], end, 1e-5);
    } else {
      ASSERT_EQ(circles.size(), c.radii.size());
      for (size_t k = 0; k < circles.size(); ++k) {
        EXPECT_FALSE(circles[k].flag["filled"]);
        EXPECT_EQ(circles[k]["r"], c.radii[k]);
        EXPECT_EQ(circles[k]["colour"], 13);
        EXPECT_NEAR(circles[k]["start"], start, 1e-5);
        EXPECT_NEAR(circles[k]["end"], end, 1e-5);
        EXPECT_EQ(circles[k]["cx"], 100);
        EXPECT_EQ(circles[k]["cy"], 500);
      }
    }
    EXPECT_EQ(f.HONSU, c.honsuAfter);
    expectOneShotInputsReset();
  }
}

// The sector fills the marked sweep and nothing of the other side; the arc
// leaves the inside of the angle blank.
TEST_F(LabelTest, SectorAgainstArcOnThePage) {
  auto mark = [&](float honsu) {
    page.CLS();
    angle(300, 500, 600, 500, 450, 300, 1);
    f.HONSU = honsu, f.NAGASA = 60, f.CCC2 = 0, f.CCC3 = 4, f.AAA_S = "";
    f.AngleMark();
  };
  const int insideX = 300 + 40 * std::cos(0.4636f), insideY = 500 - 40 * std::sin(0.4636f);
  const int outsideX = 300 + 40 * std::cos(2.0f), outsideY = 500 - 40 * std::sin(2.0f);
  mark(0);
  EXPECT_EQ(page.pixel(insideX, insideY), 4) << "the sector is filled";
  EXPECT_EQ(page.pixel(outsideX, outsideY), 15);
  EXPECT_EQ(page.pixel(300 + 30, 500 + 20), 15) << "nothing below the first ray";
  mark(1);
  EXPECT_EQ(page.pixel(insideX, insideY), 15) << "an arc is not filled";
  EXPECT_EQ(page.pixel(300 + 52 * std::cos(0.4636f), 500 - 52 * std::sin(0.4636f)), 4);
  EXPECT_EQ(page.pixel(300 + 52 * std::cos(2.0f), 500 - 52 * std::sin(2.0f)), 15);
}

class ArcOverSegmentTest : public LabelTest {
 protected:
  void arc(float x0, float y0, float x1, float y1, float takasa, float houkou, float haba, float naka,
           const std::string& label) {
    f.ZX0 = x0, f.ZY0 = y0, f.ZX1 = x1, f.ZY1 = y1;
    f.TAKASA = takasa, f.HOUKOU = houkou, f.HABA = haba, f.NAKA = naka, f.AAA_S = label;
    f.CCC2 = 9, f.CCC1 = 0;
    f.ArcOverSegment();
  }
};

TEST_F(ArcOverSegmentTest, DotsOverTheTopWithTheLabelOutside) {
  struct Case {
    float houkou;
    float firstX, midY, lastX;
    float labelUp;  // Y = M.y - labelUp
  };
  for (const Case& c : {Case{-1, 300, 280, 100, 44}, Case{1, 100, 320, 300, 0}}) {
    SCOPED_TRACE(testing::Message() << "HOUKOU " << c.houkou);
    float llt = widthOf("3cm");
    drawn();
    arc(100, 300, 300, 300, 20, c.houkou, 5, 0, "3cm");
    std::vector<TracedOp> ops = drawn();
    std::vector<TracedOp> dots = only(ops, "CIRCLE");
    ASSERT_EQ(dots.size(), 37u);
    for (const TracedOp& dot : dots) {
      EXPECT_EQ(dot["r"], 0.5);
      EXPECT_TRUE(dot.flag.at("filled"));
      EXPECT_EQ(dot["colour"], 9);
      EXPECT_EQ(dot["start"], 0);
      EXPECT_EQ(dot["end"], 0);
    }
    EXPECT_NEAR(dots.front()["cx"], c.firstX, kPixel);
    EXPECT_NEAR(dots.front()["cy"], 300, kPixel);
    EXPECT_NEAR(dots[18]["cx"], 200, kPixel);
    EXPECT_NEAR(dots[18]["cy"], c.midY, kPixel);
    EXPECT_NEAR(dots.back()["cx"], c.lastX, kPixel);
    EXPECT_NEAR(dots.back()["cy"], 300, kPixel);
    EXPECT_EQ(texts(ops), "3cm");
    // M in Z0 and in (ZX, ZY), A in Z1, B in Z2.
    EXPECT_NEAR(f.ZX0, 200, kPixel);
    EXPECT_NEAR(f.ZY0, c.midY, kPixel);
    EXPECT_EQ(f.ZX, f.ZX0);
    EXPECT_EQ(f.ZY, f.ZY0);
    EXPECT_EQ(f.ZX1, 100);
    EXPECT_EQ(f.ZX2, 300);
    EXPECT_NEAR(f.X - llt, 200 - llt / 2, kPixel);
    EXPECT_NEAR(f.Y, c.midY - c.labelUp, kPixel);
    EXPECT_EQ(f.TAKASA, 20);
    EXPECT_EQ(f.HOUKOU, c.houkou);
    EXPECT_EQ(f.HABA, 5);
    EXPECT_EQ(f.NAKA, 0);
    EXPECT_EQ(f.D1, c.houkou > 0 ? 180 : 0);
    EXPECT_EQ(f.D2, c.houkou > 0 ? 360 : 180);
    expectOneShotInputsReset();
  }
}

TEST_F(ArcOverSegmentTest, HeightNormalisedAndWrittenBack) {
  struct Case {
    float takasa, after;
  };
  for (const Case& c : {Case{2, 32}, Case{15, 240}, Case{16, 16}, Case{-3, 3}, Case{-20, 20}, Case{0, 0}}) {
    arc(100, 300, 300, 300, c.takasa, -1, 5, 0, "");
    EXPECT_EQ(f.TAKASA, c.after) << c.takasa;
    std::vector<TracedOp> dots = only(drawn(), "CIRCLE");
    ASSERT_EQ(dots.size(), 37u);
    EXPECT_NEAR(dots[18]["cy"], 300 - c.after, kPixel) << c.takasa;
  }
  // Height 0: a dotted straight segment, dots crowded towards both ends,
  // the pen against the midpoint.
  arc(100, 300, 300, 300, 0, -1, 5, 0, "");
  std::vector<TracedOp> dots = only(drawn(), "CIRCLE");
  for (const TracedOp& dot : dots) EXPECT_NEAR(dot["cy"], 300, kPixel);
  EXPECT_LT(dots[1]["cx"] - dots[0]["cx"], 0) << "from B towards A";
  EXPECT_GT(std::fabs(dots[18]["cx"] - dots[19]["cx"]), std::fabs(dots[0]["cx"] - dots[1]["cx"]) * 10);
  EXPECT_NEAR(f.X, 200, kPixel);
  EXPECT_NEAR(f.Y, 300 - 44, kPixel);
}

TEST_F(ArcOverSegmentTest, PartOfTheHalfAndTheDotCount) {
  struct Case {
    float houkou, haba, naka;
    size_t dots;
    float lastT;  // the parameter of the last dot, in degrees
    float midT;   // the parameter of M
  };
  const Case cases[] = {
      {-1, 5, 90, 19, 90, 45},    // the quarter from B up to the top
      {0, 5, 90, 37, 180, 90},    // HOUKOU 0: the whole left half
      {1, 5, 90, 19, 270, 225},   // from A under the segment
      {-1, 7, 0, 26, 175, 90},    // the last dot 5 degrees short of A
      {-1, 0, 0, 1, 0, 90},       // a step of 0: one dot
      {-1, -5, 0, 1, 0, 90},      // a negative step: one dot
      {-1, 1e-30f, 0, 1, 0, 90},  // a step too small to count: one dot
      {-1, 60, 300, 6, 300, 150}, // past the half onto the other side
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "HOUKOU " << c.houkou << " HABA " << c.haba << " NAKA " << c.naka);
    arc(100, 300, 300, 300, 20, c.houkou, c.haba, c.naka, "");
    std::vector<TracedOp> dots = only(drawn(), "CIRCLE");
    ASSERT_EQ(dots.size(), c.dots);
    float t = c.lastT * kPi / 180;
    EXPECT_NEAR(dots.back()["cx"], 200 + 100 * std::cos(t), kPixel);
    EXPECT_NEAR(dots.back()["cy"], 300 - 20 * std::sin(t), kPixel);
    t = c.midT * kPi / 180;
    EXPECT_NEAR(f.ZX0, 200 + 100 * std::cos(t), kPixel);
    EXPECT_NEAR(f.ZY0, 300 - 20 * std::sin(t), kPixel);
    EXPECT_EQ(f.NAKA, 0);
  }
}

TEST_F(ArcOverSegmentTest, ReversedAndZeroLengthSegments) {
  // From B to A with the same HOUKOU: the arc on the other side.
  arc(300, 300, 100, 300, 20, -1, 5, 0, "");
  std::vector<TracedOp> dots = only(drawn(), "CIRCLE");
  ASSERT_EQ(dots.size(), 37u);
  EXPECT_NEAR(dots[18]["cy"], 320, kPixel);
  // A segment of length 0 draws its dots and fails nowhere.
  arc(150, 150, 150, 150, 20, 1, 10, 0, "");
  dots = only(drawn(), "CIRCLE");
  ASSERT_EQ(dots.size(), 19u);
  for (const TracedOp& dot : dots) {
    EXPECT_TRUE(std::isfinite(dot["cx"]) && std::isfinite(dot["cy"]));
    EXPECT_NEAR(std::hypot(dot["cx"] - 150, dot["cy"] - 150), 0, 20.05);
  }
}

class PolygonLabelTest : public LabelTest {
 protected:
  std::vector<TracedOp> polygon(const std::string& mode, float nagasa = 10) {
    f.SIZE1 = 5, f.CCC2 = 0, f.CCC1 = 3, f.AAA_S = mode, f.NAGASA = nagasa;
    f.Polygon();
    return drawn();
  }
};

TEST_F(PolygonLabelTest, LetterAndNameModes) {
  struct Case {
    const char* mode;
    int kaku;
    const char* labels;
  };
  for (const Case& c : {Case{"A", 4, "ABCD"}, Case{"D", 3, "DEF"}, Case{"12", 3, "123"}, Case{"A1", 3, "ABC"},
                        Case{"1", 4, "AC"}}) {
    SCOPED_TRACE(c.mode);
    if (c.kaku == 3) vertices({{1040, 50}, {890, 450}, {1190, 450}});
    else vertices({{740, 100}, {680, 340}, {1040, 340}, {1100, 100}});
    f.X_SA(1) = "A", f.X_SA(2) = "", f.X_SA(3) = "C", f.X_SA(4) = "";
    std::vector<TracedOp> ops = polygon(c.mode);
    EXPECT_EQ(only(ops, "LINE").size(), static_cast<size_t>(c.kaku));
    EXPECT_EQ(texts(ops), c.labels);
    for (const TracedOp& op : only(ops, "SYMBOL")) EXPECT_EQ(op["colour"], 3);
    EXPECT_EQ(f.AAA_S, "");
  }
}

// The standard isosceles triangle A(4, 9), B(1, 1), C(7, 1) on the frame
// (840, 50, 8, 10, 50): labels on the outward bisectors, 90 degrees at A,
// 214.7 at B and 325.3 at C; the pen width left at SIZE1.
TEST_F(PolygonLabelTest, LettersOutsideAnAnticlockwiseTriangle) {
  page.SETDRAWWIDTH(3);
  vertices({{1040, 50}, {890, 450}, {1190, 450}});
  f.AAAX = 7;
  std::vector<TracedOp> labels = only(polygon("A"), "SYMBOL");
  ASSERT_EQ(labels.size(), 3u);
  float w = widthOf("A");
  // A: straight up, centred; shifted once by AAAX.
  EXPECT_NEAR(labels[0]["x"], 1040 - w / 2 + 7, kPixel);
  EXPECT_NEAR(labels[0]["y"], 50 - 10 - 44, kPixel);
  // B: down and to the left; C: down and to the right.
  auto at = [&](float vx, float vy, float degrees) {
    float d = degrees * kPi / 180;
    return std::pair<float, float>{vx + 10 * std::cos(d) + w * (std::cos(d) / 2 - 0.5f),
                                   vy - 10 * std::sin(d) - 44 * (std::sin(d) / 2 + 0.5f)};
  };
  auto [bx, by] = at(890, 450, 180 + std::atan2(400.0f, 150.0f) * 90 / kPi);
  EXPECT_NEAR(labels[1]["x"], bx, 0.1);
  EXPECT_NEAR(labels[1]["y"], by, 0.1);
  auto [cx, cy] = at(1190, 450, 360 - std::atan2(400.0f, 150.0f) * 90 / kPi);
  EXPECT_NEAR(labels[2]["x"], cx, 0.1);
  EXPECT_NEAR(labels[2]["y"], cy, 0.1);
  EXPECT_NEAR(f.HH5 * 180 / kPi, 325.3, 0.1);
  EXPECT_EQ(page.GETDRAWWIDTH(), 5) << "after labels the pen width is SIZE1";
  EXPECT_EQ(f.DR, 5);
  EXPECT_EQ(f.NAGASA, 0);
  EXPECT_EQ(f.NAGASA1, 10);
  EXPECT_EQ(f.ITI, 0);
  EXPECT_EQ(f.AAAX, 0);
  EXPECT_EQ(f.II, 4);
  EXPECT_EQ(f.KJ3, 65);
  // The last vertex with its two label neighbours.
  EXPECT_EQ(f.ZX0, 1190);
  EXPECT_EQ(f.ZX1, 1040);
  EXPECT_EQ(f.ZX2, 890);
  EXPECT_EQ(f.KJ1, 1);
  EXPECT_EQ(f.KJ2, 2);
  EXPECT_NEAR(f.X, labels[2]["x"] + w, kPixel);
}

TEST_F(PolygonLabelTest, LettersInsideAClockwiseTriangle) {
  vertices({{1040, 50}, {1190, 450}, {890, 450}});
  std::vector<TracedOp> labels = only(polygon("A", 40), "SYMBOL");
  ASSERT_EQ(labels.size(), 3u);
  EXPECT_GT(labels[0]["y"], 50) << "A below its vertex";
  EXPECT_LT(labels[1]["x"], 1190) << "B left of its vertex";
  EXPECT_LT(labels[1]["y"], 450) << "B above its vertex";
  EXPECT_GT(labels[2]["x"], 890) << "C right of its vertex";
}

TEST_F(PolygonLabelTest, ZeroDistancePutsTheReferencePointOnTheVertex) {
  vertices({{1040, 50}, {890, 450}, {1190, 450}});
  std::vector<TracedOp> labels = only(polygon("A", 0), "SYMBOL");
  ASSERT_EQ(labels.size(), 3u);
  EXPECT_NEAR(labels[0]["x"], 1040 - widthOf("A") / 2, kPixel);
  EXPECT_NEAR(labels[0]["y"], 50 - 44, kPixel);
}

}  // namespace
