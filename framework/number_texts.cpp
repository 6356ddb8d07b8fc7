// Number and sign texts: square roots as a·√b, prime factor tables,
// divisor pairs and the sign edits of number texts. Nothing is drawn.
#include <cmath>

#include "framework/counted_loop.h"
#include "framework/framework.h"

// √R1B = R1A·√R1B, square factors taken out with 2..200 as their roots,
// and the texts of the root in the formula markup ("!" opens a radical,
// "ﾝ" closes its overline). A radicand below 1 gives empty texts at once:
// its remainders would all be 0 and the search would never end.
void Framework::SimplifySquareRoot() {
  R1A = 1;
  R1I = 2;
  R1B1 = R1B;
  if (!(R1B >= 1)) {
    R1A1_S = R1A_S = RAB_S = RABM_S = R1B_S = A_S = "";
    return;
  }
  while (R1I != 201) {
    if (MOD(R1B, R1I * R1I) != 0) {
      R1I = R1I + 1;
    } else {
      R1A = R1A * R1I;
      R1B = R1B / (R1I * R1I);
      R1I = 2;
    }
  }
  CHECK();
  R1A1_S = R1B == 1 ? "" : "!" + STR(R1B);
  if (R1B == 1 && R1A == 1) {
    R1A_S = "1";
  } else if (R1A == 1) {
    R1A_S = "";
  } else {
    R1A_S = STR(R1A);
  }
  RAB_S = R1A_S + R1A1_S + "ﾝ";
  RABM_S = R1B == R1B1 ? "" : "!" + STR(R1B1) + "ﾝ=";
  R1B_S = R1A1_S + "ﾝ";
  for (std::string* text : {&R1A_S, &RAB_S, &RABM_S, &R1B_S}) {
    A_S = *text;
    StripSpaces();
    *text = A_S;
  }
}

// The prime factors of |SOSU| among the first nine primes, with their
// exponents, in rows 1..Q of G(); the cofactor left over in row 10. A
// number that the remainder makes 0 (|SOSU| below one half) has no
// factors: it goes straight to the end step with Q = 0, since dividing it
// would never end.
void Framework::PrimeFactors() {
  for (TJ = 1; TJ <= 10; TJ = TJ + 1) {
    G_A(TJ, 1) = 0;
    G_A(TJ, 2) = 0;
  }
  const float primes[] = {2, 3, 5, 7, 11, 13, 17, 19, 23, 29};
  for (int k = 1; k <= 10; ++k) R_A(k) = primes[k - 1];
  SOSU = std::fabs(SOSU);
  SOSU1 = SOSU;
  P = 1;
  Q = 1;
  if (SOSU < 0.5f) P = 10;
  for (;;) {
    if (P == 10) {
      Q = Q - 1;
      G_A(10, 1) = SOSU;
      G_A(10, 2) = 1;
      SOSU = SOSU1;
      return;
    }
    if (MOD(SOSU, R_A(P)) == 0) {
      G_A(Q, 1) = R_A(P);
      G_A(Q, 2) = G_A(Q, 2) + 1;
      SOSU = SOSU / R_A(P);
    } else if (G_A(Q, 1) != 0) {
      Q = Q + 1;
      P = P + 1;
    } else {
      P = P + 1;
    }
  }
}

// Every divisor X(k) of |DY| in increasing order with its cofactor Y(k),
// P of them; KOSUU pairs. More than 40 divisors leave the point table:
// "subscript out of range".
void Framework::ListDivisors() {
  DY = std::fabs(DY);
  P = 0;
  CountedLoop(II, 1, DY, [this] {
    if (DY / II - INT(DY / II) == 0) {
      P = P + 1;
      X_A(P) = II;
      Y_A(P) = DY / II;
    }
  });
  KOSUU = std::round(P / 2);
  CHECK();
}

namespace {
// The sign of a number text: its first character when that is a
// half-width "+" or "-".
std::string SignOf(const std::string& text) {
  std::string first = KLEFT(text, 1);
  return first == "+" || first == "-" ? first : "";
}
}  // namespace

// "-5" -> "+5", "+5" -> "-5", "5" -> "-5"; "" stays "".
void Framework::NegateSignText() {
  LE = static_cast<float>(KLEN(A_S));
  if (LE == 0) return;
  std::string sign = SignOf(A_S);
  if (sign == "-") {
    A_S = "+" + KRIGHT(A_S, LE - 1);
  } else if (sign == "+") {
    A_S = "-" + KRIGHT(A_S, LE - 1);
  } else {
    A_S = "-" + A_S;
  }
}

// "+5" -> "5"; everything else unchanged.
void Framework::StripPlusSign() {
  LE = static_cast<float>(KLEN(A_S));
  if (SignOf(A_S) == "+") A_S = KRIGHT(A_S, LE - 1);
}

// "+5" and "-5" -> "5"; everything else unchanged.
void Framework::StripSign() {
  LE = static_cast<float>(KLEN(A_S));
  if (!SignOf(A_S).empty()) A_S = KRIGHT(A_S, LE - 1);
}

// Any half-width "-" in A$ puts the whole text in parentheses.
void Framework::ParenthesizeNegative() {
  TA1 = static_cast<float>(INSTR(A_S, "-"));
  if (TA1 > 0) A_S = "(" + A_S + ")";
}
