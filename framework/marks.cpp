// The marks on the segments of a figure: parallel arrowheads and
// equal-length ticks.
#include "framework/figure_math.h"
#include "framework/framework.h"

// HONSU open arrowheads on AB, 16 pixels apart, the first tip 16 pixels
// beyond the point that divides AB in the ratio A:B, all pointing from A
// to B; each head NAGASA long and NAGASA wide, in CCC2.
void Framework::ParallelMarks() {
  figure::segmentDirection(*this, AX, AY, BX, BY);
  BX1 = AX + figure::divide(CX * A, A + B);
  BY1 = AY + figure::divide(CY * A, A + B);
  figure::arrowhead(*this, BX1, BY1, AX1, AY1, AX2, AY2);
  CHECK();
  if (HONSU <= 0 || HONSU > 6) HONSU = 1;
  float n = figure::passes(1, HONSU, 1);
  II = 1;
  for (float k = 0; k < n; ++k, II = II + 1) {
    BX1 = BX1 + 16 * DX;
    BY1 = BY1 + 16 * DY;
    AX1 = AX1 + 16 * DX;
    AY1 = AY1 + 16 * DY;
    AX2 = AX2 + 16 * DX;
    AY2 = AY2 + 16 * DY;
    LINE(AX1, AY1, BX1, BY1, figure::ink(CCC2));
    LINE(AX2, AY2, BX1, BY1, figure::ink(CCC2));
  }
}

// HONSU ticks across AB (one when HONSU is 0), 2 NAGASA long, AIDA apart,
// the first AIDA beyond the midpoint moved ITI pixels towards B, in CCC2.
// AIDA is left grown to (ticks + 1) times the spacing.
void Framework::EqualLengthTicks() {
  if (AIDA == 0 || AIDA > 30) AIDA = 8;
  figure::segmentDirection(*this, AX, AY, BX, BY);
  EX = (AX + BX) / 2 + ITI * DX;
  EY = (AY + BY) / 2 + ITI * DY;
  CHECK();
  if (HONSU < 0 || HONSU > 6) HONSU = 1;
  AIDA1 = AIDA;
  float n = figure::passes(1, HONSU, 1);
  II = 1;
  for (float k = 0; k < n; ++k, II = II + 1) {
    AX1 = EX + AIDA * DX + NAGASA * DY;
    AY1 = EY + AIDA * DY - NAGASA * DX;
    AX2 = EX + AIDA * DX - NAGASA * DY;
    AY2 = EY + AIDA * DY + NAGASA * DX;
    LINE(AX1, AY1, AX2, AY2, figure::ink(CCC2));
    AIDA = AIDA + AIDA1;
  }
}
