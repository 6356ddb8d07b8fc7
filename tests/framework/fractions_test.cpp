// Fractions: Euclid, reduction with its texts, and sums over the least
// common denominator.
#include <gtest/gtest.h>

#include "framework/framework.h"

namespace {

struct Fractions : ::testing::Test {
  rt::Runtime r{320, 200};
  Framework f{r, "Kelvaro"};
};

TEST_F(Fractions, GcdLcm) {
  struct Case {
    float a, b, gcd, lcm;
  };
  for (const Case& c : {Case{12, 18, 6, 36}, Case{18, 12, 6, 36}, Case{7, 1, 1, 7}, Case{0, 5, 5, 0},
                        Case{4096, 4095, 1, 4096.0f * 4095}}) {
    f.DS = c.a;
    f.DB = c.b;
    f.GcdLcm();
    EXPECT_EQ(f.X3, c.gcd) << c.a << "," << c.b;
    EXPECT_EQ(f.X4, c.lcm) << c.a << "," << c.b;
    EXPECT_EQ(f.X1, c.gcd);
    EXPECT_EQ(f.X2, 0);
    EXPECT_EQ(f.LB8, c.a * c.b);
    EXPECT_EQ(f.DS, c.a);
    EXPECT_EQ(f.DB, c.b);
  }
  // Both 0 is outside its range: the calculation check stops it.
  f.DS = 0;
  f.DB = 0;
  EXPECT_THROW(f.GcdLcm(), rt::RuntimeError);
}

TEST_F(Fractions, ReduceFractionKindsAndTexts) {
  struct Case {
    float ds, db;
    float yak, yak1, ds2, db2;
    const char *a1, *a2, *a21, *a3, *a31, *tkai1, *tkai2;
  };
  const Case cases[] = {
      {4, 6, 2, 1, 2, 3, "ﾀ4/6ﾀ", "ﾀ2/3ﾀ", "+ﾀ2/3ﾀ", "ﾀ4/6ﾀ=ﾀ2/3ﾀ", "+ﾀ4/6ﾀ=+ﾀ2/3ﾀ", "2/3", "+2/3"},
      {-4, 6, 2, -1, -2, 3, "ﾀ-4/6ﾀ", "-ﾀ2/3ﾀ", "-ﾀ2/3ﾀ", "ﾀ-4/6ﾀ=-ﾀ2/3ﾀ", "ﾀ-4/6ﾀ=-ﾀ2/3ﾀ", "-2/3", "-2/3"},
      {2, 3, 3, 1, 2, 3, "ﾀ2/3ﾀ", "ﾀ2/3ﾀ", "+ﾀ2/3ﾀ", "ﾀ2/3ﾀ", "+ﾀ2/3ﾀ", "2/3", "+2/3"},
      {-2, 3, 2, -1, -2, 3, "ﾀ-2/3ﾀ", "-ﾀ2/3ﾀ", "-ﾀ2/3ﾀ", "ﾀ-2/3ﾀ=-ﾀ2/3ﾀ", "ﾀ-2/3ﾀ=-ﾀ2/3ﾀ", "-2/3", "-2/3"},
      {3, -6, 2, -1, -1, 2, "ﾀ3/-6ﾀ", "-ﾀ1/2ﾀ", "-ﾀ1/2ﾀ", "ﾀ3/-6ﾀ=-ﾀ1/2ﾀ", "ﾀ3/-6ﾀ=-ﾀ1/2ﾀ", "-1/2", "-1/2"},
      {-2, -3, 2, 1, 2, 3, "ﾀ-2/-3ﾀ", "ﾀ2/3ﾀ", "+ﾀ2/3ﾀ", "ﾀ-2/-3ﾀ=ﾀ2/3ﾀ", "+ﾀ-2/-3ﾀ=+ﾀ2/3ﾀ", "2/3", "+2/3"},
      {6, 3, 1, 1, 2, 1, "ﾀ6/3ﾀ", "2", "+2", "ﾀ6/3ﾀ=2", "+ﾀ6/3ﾀ=+2", "2", "+2"},
      {5, 1, 1, 1, 5, 1, "ﾀ5/1ﾀ", "5", "+5", "ﾀ5/1ﾀ=5", "+ﾀ5/1ﾀ=+5", "5", "+5"},
      {-5, 1, 1, -1, -5, 1, "ﾀ-5/1ﾀ", "-5", "-5", "ﾀ-5/1ﾀ=-5", "ﾀ-5/1ﾀ=-5", "-5", "-5"},
      {0, 5, 1, 1, 0, 1, "ﾀ0/5ﾀ", "0", "+0", "ﾀ0/5ﾀ=0", "+ﾀ0/5ﾀ=+0", "0", "+0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.ds << "/" << c.db);
    f.DS = c.ds;
    f.DB = c.db;
    f.ReduceFraction();
    EXPECT_EQ(f.YAK, c.yak);
    EXPECT_EQ(f.YAK1, c.yak1);
    EXPECT_EQ(f.DS, c.ds2);
    EXPECT_EQ(f.DB, c.db2);
    EXPECT_EQ(f.E1, c.ds2);
    EXPECT_EQ(f.E2, c.db2);
    EXPECT_EQ(f.DS1, c.ds);
    EXPECT_EQ(f.DB1, c.db);
    EXPECT_EQ(f.A1_S, c.a1);
    EXPECT_EQ(f.A2_S, c.a2);
    EXPECT_EQ(f.A21_S, c.a21);
    EXPECT_EQ(f.A3_S, c.a3);
    EXPECT_EQ(f.A31_S, c.a31);
    EXPECT_EQ(f.TKAI1_S, c.tkai1);
    EXPECT_EQ(f.TKAI2_S, c.tkai2);
    EXPECT_EQ(f.A_S, c.tkai2);
  }
}

TEST_F(Fractions, ReduceFractionRunsEuclidOnlyWhenItMust) {
  f.X3 = 77;
  f.DS = 5;
  f.DB = 1;
  f.ReduceFraction();
  EXPECT_EQ(f.X3, 77) << "a denominator of 1 needs no divisor";
  f.DS = 0;
  f.DB = 5;
  f.ReduceFraction();
  EXPECT_EQ(f.X3, 5);
  EXPECT_EQ(f.X4, 0);
  // A zero denominator is only marked.
  f.X3 = 77;
  f.DS = 3;
  f.DB = 0;
  f.ReduceFraction();
  EXPECT_EQ(f.YAK, 0);
  EXPECT_EQ(f.DS, 3);
  EXPECT_EQ(f.DB, 0);
  EXPECT_EQ(f.X3, 77);
  EXPECT_EQ(f.A1_S, "ﾀ3/0ﾀ");
}

TEST_F(Fractions, AddFractions) {
  struct Case {
    float s1, b1, s2, b2;
    float db, ds1, ds2, ds4;
    const char *a1, *a11, *a2, *a21, *a3, *a4, *a41, *a5, *ds1s, *ds2s, *ds4s;
  };
  const Case cases[] = {
      {1, 2, 1, 3, 6, 3, 2, 5, "ﾀ3/6ﾀ", "+ﾀ3/6ﾀ", "ﾀ2/6ﾀ", "+ﾀ2/6ﾀ", "ﾀ3+2/6ﾀ", "ﾀ5/6ﾀ", "+ﾀ5/6ﾀ",
       "ﾀ3/6ﾀ+ﾀ2/6ﾀ", "3", "+2", "5"},
      {-1, 2, 1, 3, 6, -3, 2, -1, "-ﾀ3/6ﾀ", "-ﾀ3/6ﾀ", "ﾀ2/6ﾀ", "+ﾀ2/6ﾀ", "ﾀ-3+2/6ﾀ", "-ﾀ1/6ﾀ", "-ﾀ1/6ﾀ",
       "-ﾀ3/6ﾀ+ﾀ2/6ﾀ", "-3", "+2", "1"},
      {1, -2, 1, 3, 6, -3, 2, -1, "-ﾀ3/6ﾀ", "-ﾀ3/6ﾀ", "ﾀ2/6ﾀ", "+ﾀ2/6ﾀ", "ﾀ-3+2/6ﾀ", "-ﾀ1/6ﾀ", "-ﾀ1/6ﾀ",
       "-ﾀ3/6ﾀ+ﾀ2/6ﾀ", "-3", "+2", "1"},
      {1, 2, -1, 3, 6, 3, -2, 1, "ﾀ3/6ﾀ", "+ﾀ3/6ﾀ", "-ﾀ2/6ﾀ", "-ﾀ2/6ﾀ", "ﾀ3-2/6ﾀ", "ﾀ1/6ﾀ", "+ﾀ1/6ﾀ",
       "ﾀ3/6ﾀ-ﾀ2/6ﾀ", "3", "-2", "1"},
      {1, 6, 1, 3, 6, 1, 2, 3, "ﾀ1/6ﾀ", "+ﾀ1/6ﾀ", "ﾀ2/6ﾀ", "+ﾀ2/6ﾀ", "ﾀ1+2/6ﾀ", "ﾀ3/6ﾀ", "+ﾀ3/6ﾀ",
       "ﾀ1/6ﾀ+ﾀ2/6ﾀ", "1", "+2", "3"},
      {2, 1, 1, 3, 3, 6, 1, 7, "ﾀ6/3ﾀ", "+ﾀ6/3ﾀ", "ﾀ1/3ﾀ", "+ﾀ1/3ﾀ", "ﾀ6+1/3ﾀ", "ﾀ7/3ﾀ", "+ﾀ7/3ﾀ",
       "ﾀ6/3ﾀ+ﾀ1/3ﾀ", "6", "+1", "7"},
      {2, 1, 3, 1, 1, 2, 3, 5, "ﾀ2/1ﾀ", "+ﾀ2/1ﾀ", "ﾀ3/1ﾀ", "+ﾀ3/1ﾀ", "ﾀ2+3/1ﾀ", "ﾀ5/1ﾀ", "+ﾀ5/1ﾀ",
       "ﾀ2/1ﾀ+ﾀ3/1ﾀ", "2", "+3", "5"},
      // A zero sum is written without a minus sign.
      {1, 2, -1, 2, 2, 1, -1, 0, "ﾀ1/2ﾀ", "+ﾀ1/2ﾀ", "-ﾀ1/2ﾀ", "-ﾀ1/2ﾀ", "ﾀ1-1/2ﾀ", "ﾀ0/2ﾀ", "+ﾀ0/2ﾀ",
       "ﾀ1/2ﾀ-ﾀ1/2ﾀ", "1", "-1", "0"},
      // A zero numerator fails the strict test and reads with a minus.
      {0, 2, 1, 3, 6, 0, 2, 2, "-ﾀ0/6ﾀ", "-ﾀ0/6ﾀ", "ﾀ2/6ﾀ", "+ﾀ2/6ﾀ", "ﾀ0+2/6ﾀ", "ﾀ2/6ﾀ", "+ﾀ2/6ﾀ",
       "-ﾀ0/6ﾀ+ﾀ2/6ﾀ", "0", "+2", "2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.s1 << "/" << c.b1 << " + " << c.s2 << "/" << c.b2);
    f.DS3_S = "untouched";
    f.DSM1 = c.s1, f.DBM1 = c.b1, f.DSM2 = c.s2, f.DBM2 = c.b2;
    f.AddFractions();
    EXPECT_EQ(f.DB, c.db);
    EXPECT_EQ(f.DS1, c.ds1);
    EXPECT_EQ(f.DS2, c.ds2);
    EXPECT_EQ(f.DS4, c.ds4);
    EXPECT_EQ(f.A1_S, c.a1);
    EXPECT_EQ(f.A11_S, c.a11);
    EXPECT_EQ(f.A2_S, c.a2);
    EXPECT_EQ(f.A21_S, c.a21);
    EXPECT_EQ(f.A3_S, c.a3);
    EXPECT_EQ(f.A4_S, c.a4);
    EXPECT_EQ(f.A41_S, c.a41);
    EXPECT_EQ(f.A5_S, c.a5);
    EXPECT_EQ(f.DS1_S, c.ds1s);
    EXPECT_EQ(f.DS2_S, c.ds2s);
    EXPECT_EQ(f.DS4_S, c.ds4s);
    EXPECT_EQ(f.A_S, c.ds4s);
    EXPECT_EQ(f.DB_S, rt::STR(c.db).substr(1));
    EXPECT_EQ(f.B3_S, "ﾀ" + f.B1_S + "/" + f.DB_S + "ﾀ");
    EXPECT_EQ(f.B4_S, "ﾀ" + f.B2_S + "/" + f.DB_S + "ﾀ");
    EXPECT_EQ(f.DS3_S, c.s1 * c.b1 < 0 ? f.B1_S : "untouched");
  }
}

TEST_F(Fractions, AddFractionsMovesTheSignAndLeavesTheReduction) {
  f.DSM1 = 1, f.DBM1 = -2, f.DSM2 = 1, f.DBM2 = 3;
  f.AddFractions();
  EXPECT_EQ(f.DSM1, -1);
  EXPECT_EQ(f.DBM1, 2);
  // The run on the denominators 2/3 is left behind.
  EXPECT_EQ(f.YAK, 3);
  EXPECT_EQ(f.X3, 1);
  EXPECT_EQ(f.X4, 6);
  EXPECT_EQ(f.TKAI2_S, "+2/3");
  EXPECT_EQ(f.DS3_S, "3");
  // With a denominator of 1 no reduction runs.
  f.YAK = 9, f.X3 = 9;
  f.DSM1 = 2, f.DBM1 = 1, f.DSM2 = 1, f.DBM2 = 3;
  f.AddFractions();
  EXPECT_EQ(f.YAK, 9);
  EXPECT_EQ(f.X3, 9);
}

}  // namespace
