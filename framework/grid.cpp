// The figure frame and the polygon of a figure with its vertex labels.
#include "framework/figure_math.h"
#include "framework/framework.h"

// The frame from its top-left corner (GGX, GGY), YOKO columns, TATE rows
// and SIZE pixels a step; the origin of grid units is its bottom-left
// corner. Unless CCC2 is the page colour the grid is drawn as graph paper:
// thin lines in CCC2, every fifth line from the left and from the bottom
// heavy in colour 14 (left in CCC3).
void Framework::GridFrame() {
  DR = GETDRAWWIDTH();
  PI = figure::kPi;
  GX1 = GGX;
  GY1 = GGY;
  GX2 = GX1 + SIZE * YOKO;
  GY2 = GY1 + SIZE * TATE;
  GX0 = GX1;
  GY0 = GY2;
  CHECK();
  if (CCC2 != 15) {
    CCC3 = 14;
    // One grid line at step II: heavy on every fifth step, thin otherwise.
    auto gridLine = [&](float x1, float y1, float x2, float y2) {
      bool heavy = MOD(II, 5) == 0;
      SETDRAWWIDTH(heavy ? 3 : 1);
      LINE(x1, y1, x2, y2, figure::ink(heavy ? CCC3 : CCC2));
    };
    float n = figure::passes(0, YOKO, 1);
    II = 0;
    for (float k = 0; k < n; ++k, II = II + 1) gridLine(GX1 + SIZE * II, GY1, GX1 + SIZE * II, GY2);
    n = figure::passes(0, TATE, 1);
    II = 0;
    for (float k = 0; k < n; ++k, II = II + 1) gridLine(GX1, GY2 - SIZE * II, GX2, GY2 - SIZE * II);
  }
  SETDRAWWIDTH(DR);
}

// The edges of the polygon G(1..KAKU) in CCC2 at pen width SIZE1, the
// closing edge last; then the vertex labels: AAA$ = "1" names them from
// X$(), any other non-empty AAA$ letters them from its first character.
// Without labels the pen width is set back; with labels it stays SIZE1,
// since the label texts leave their own start width in DR.
void Framework::Polygon() {
  DR = GETDRAWWIDTH();
  if (KAKU >= 1) {
    float n = figure::passes(1, KAKU, 1);
    II = 1;
    for (float k = 0; k < n; ++k, II = II + 1) {
      KJ1 = II == KAKU ? 1 : II + 1;
      SETDRAWWIDTH(SIZE1);
      LINE(G_A(II, 1), G_A(II, 2), G_A(KJ1, 1), G_A(KJ1, 2), figure::ink(CCC2));
    }
  }
  NAGASA1 = NAGASA;
  if (KAKU >= 1) {
    if (AAA_S == "1") PolygonNameLabels();
    else if (AAA_S != "") PolygonLetterLabels();
  }
  AAA_S = "";
  SETDRAWWIDTH(DR);
}

namespace {

// Index i taken round the polygon of `count` vertices into 1..count.
float roundPolygon(float i, float count) {
  while (i > count) i = i - count;
  return i;
}

// The text of a vertex letter from its character code; a full-width first
// letter goes on through the full-width letters.
std::string letterText(float code) {
  if (code > 255) return rt::encode(static_cast<char32_t>(code));
  return CHR(code);
}

// The label of vertex i: the vertex with its next vertex and the one after
// it as the two rays, the sides exchanged, so that the label stands
// outside a polygon listed anticlockwise on the screen.
void labelVertex(Framework& f, float i, const std::string& text) {
  f.KJ1 = roundPolygon(i + 1, f.KAKU);
  f.KJ2 = roundPolygon(i + 2, f.KAKU);
  f.ZX0 = f.G_A(i, 1);
  f.ZY0 = f.G_A(i, 2);
  f.ZX1 = f.G_A(f.KJ1, 1);
  f.ZY1 = f.G_A(f.KJ1, 2);
  f.ZX2 = f.G_A(f.KJ2, 1);
  f.ZY2 = f.G_A(f.KJ2, 2);
  f.ITI = -1;
  f.NAGASA = f.NAGASA1;
  f.AAA_S = text;
  f.AngleLabel();
}

}  // namespace

void Framework::PolygonLetterLabels() {
  KJ3 = static_cast<float>(ASC(AAA_S));
  float n = figure::passes(1, KAKU, 1);
  II = 1;
  for (float k = 0; k < n; ++k, II = II + 1) labelVertex(*this, II, letterText(KJ3 - 1 + II));
}

void Framework::PolygonNameLabels() {
  float n = figure::passes(1, KAKU, 1);
  TII = 1;
  for (float k = 0; k < n; ++k, TII = TII + 1) labelVertex(*this, TII, X_SA(TII));
}
