// Exact arithmetic on fractions of whole numbers, and the answer number
// texts of the drills. The routines write display texts in the formula
// markup (a pair of "ﾀ" encloses a stacked fraction) and draw nothing.
#include <cmath>

#include "framework/framework.h"

namespace {
// Euclid on whole numbers up to 2^24 ends within 40 passes; the bound only
// guards inputs outside that range.
constexpr int kEuclidPassLimit = 1000;
}  // namespace

// Greatest common divisor X3 and least common multiple X4 of DS and DB.
void Framework::GcdLcm() {
  X1 = DS;
  X2 = DB;
  LB8 = X1 * X2;
  for (int pass = 0; X2 != 0 && pass < kEuclidPassLimit; ++pass) {
    X1 = X1 - X2 * INT(X1 / X2);
    std::swap(X1, X2);
    CHECK();
  }
  X3 = X1;
  X4 = LB8 / X3;
  CHECK();
}

// The text of a number: its STR$ without blanks, made in A$ (which keeps it).
static std::string NumberText(Framework& f, float v) {
  f.A_S = STR(v);
  f.StripSpaces();
  return f.A_S;
}

// Reduces DS/DB to lowest terms (sign on the numerator), classifies the
// result in YAK and builds the texts of the given fraction, the result and
// the worked line.
void Framework::ReduceFraction() {
  DB1 = DB;
  DS1 = DS;
  YAK1 = DB * DS < 0 ? -1 : 1;
  if (DB == 0) {
    E1 = DS;
    E2 = DB;
    YAK = 0;
  } else if (DB == 1) {
    E1 = DS;
    E2 = 1;
    YAK = 1;
  } else {
    DS = std::fabs(DS);
    DB = std::fabs(DB);
    GcdLcm();
    E1 = YAK1 * DS / X3;
    E2 = DB / X3;
    CHECK();
    if (E1 == 0 || E2 == 1) {
      YAK = 1;
    } else if (E2 == DB1 && YAK1 == 1) {
      YAK = 3;
    } else {
      YAK = 2;
    }
  }
  DS = E1;
  DB = E2;
  DS1_S = NumberText(*this, DS1);
  DA1_S = NumberText(*this, DB1);
  DB_S = NumberText(*this, DB);
  DS_S = NumberText(*this, DS);
  A1_S = "ﾀ" + DS1_S + "/" + DA1_S + "ﾀ";
  LEM = static_cast<float>(KLEN(DS_S));
  if (KLEFT(DS_S, 1) == "-") DS_S = KRIGHT(DS_S, LEM - 1);
  if (YAK == 1) {
    if (YAK1 == 1) {
      A2_S = DS_S;
      A21_S = "+" + DS_S;
    } else {
      A2_S = "-" + DS_S;
      A21_S = A2_S;
    }
  } else if (YAK != 0) {
    if (YAK1 == 1) {
      A2_S = "ﾀ" + DS_S + "/" + DB_S + "ﾀ";
      A21_S = "+ﾀ" + DS_S + "/" + DB_S + "ﾀ";
    } else {
      A2_S = "-ﾀ" + DS_S + "/" + DB_S + "ﾀ";
      A21_S = A2_S;
    }
  }
  FDS1_S = YAK1 == 1 ? "+" : "";
  if (YAK == 3) {
    A3_S = A2_S;
    A31_S = A21_S;
  } else {
    A3_S = "ﾀ" + DS1_S + "/" + DA1_S + "ﾀ=" + A2_S;
    A31_S = FDS1_S + "ﾀ" + DS1_S + "/" + DA1_S + "ﾀ=" + A21_S;
  }
  A_S = A2_S;
  StripMarkup();
  TKAI1_S = A_S;
  A_S = A21_S;
  StripMarkup();
  TKAI2_S = A_S;
}

// Brings DSM1/DBM1 and DSM2/DBM2 to their least common denominator DB and
// builds the texts of the two expanded fractions and of their sum (not
// reduced). A zero sum is written without a minus sign.
void Framework::AddFractions() {
  if (DBM1 * DSM1 < 0) {
    DSM1 = -std::fabs(DSM1);
    DBM1 = std::fabs(DBM1);
  }
  if (DBM2 * DSM2 < 0) {
    DSM2 = -std::fabs(DSM2);
    DBM2 = std::fabs(DBM2);
  }
  if (DBM1 == 1 && DBM2 == 1) {
    DB = 1;
    DS1 = DSM1;
    DS2 = DSM2;
  } else if (DBM1 == 1) {
    DB = DBM2;
    DS1 = DSM1 * DBM2;
    DS2 = DSM2;
  } else if (DBM2 == 1) {
    DB = DBM1;
    DS1 = DSM1;
    DS2 = DSM2 * DBM1;
  } else {
    DB = std::fabs(DBM2);
    DS = std::fabs(DBM1);
    ReduceFraction();
    DB = X4;
    DS1 = DSM1 * DBM2 / X3;
    DS2 = DSM2 * DBM1 / X3;
  }
  DS4 = DS1 + DS2;
  CHECK();
  DS1_S = NumberText(*this, std::fabs(DS1));
  B1_S = DS1_S;
  DB_S = NumberText(*this, DB);
  DS2_S = NumberText(*this, std::fabs(DS2));
  B2_S = DS2_S;
  DS4_S = NumberText(*this, std::fabs(DS4));
  auto over = [this](const std::string& top) { return "ﾀ" + top + "/" + DB_S + "ﾀ"; };
  A1_S = DSM1 > 0 ? over(B1_S) : "-" + over(B1_S);
  A11_S = DSM1 > 0 ? "+" + over(B1_S) : A1_S;
  A2_S = DSM2 > 0 ? over(B2_S) : "-" + over(B2_S);
  A21_S = DSM2 > 0 ? "+" + over(B2_S) : A2_S;
  if (DSM1 < 0) {
    DS3_S = DS1_S;
    DS1_S = "-" + DS1_S;
  }
  DS2_S = std::string(DSM2 < 0 ? "-" : "+") + DS2_S;
  A4_S = DS4 >= 0 ? over(DS4_S) : "-" + over(DS4_S);
  A41_S = DS4 >= 0 ? "+" + over(DS4_S) : A4_S;
  A3_S = over(DS1_S + DS2_S);
  A5_S = A1_S + A21_S;
  B3_S = over(B1_S);
  B4_S = over(B2_S);
}

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
