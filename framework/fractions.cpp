#include "framework/pending.h"

PENDING_ROUTINE(ReduceFraction)
PENDING_ROUTINE(GcdLcm)
PENDING_ROUTINE(AddFractions)

// The texts of T(1..80) and F(1..40), without blanks, into T$() and F$().
// Index 0 of each array is neither read nor written.
void Framework::NumbersToTexts() {
  for (I = 1; I <= 80; I = I + 1) {
    T_SA(I) = STR(T_A(I));
    A_S = T_SA(I);
    StripSpaces();
    T_SA(I) = A_S;
  }
  for (I = 1; I <= 40; I = I + 1) {
    F_SA(I) = STR(F_A(I));
    A_S = F_SA(I);
    StripSpaces();
    F_SA(I) = A_S;
  }
}
