// Number texts: the drills' answer texts, square roots, prime factors,
// divisor pairs and the sign edits.
#include <gtest/gtest.h>

#include <cmath>

#include "framework/framework.h"

namespace {

struct NumberTexts : ::testing::Test {
  rt::Runtime r{320, 200};
  Framework f{r, "Kelvaro"};
};

TEST_F(NumberTexts, EveryEntryBecomesBareDigits) {
  f.T_A(1) = 64;
  f.T_A(2) = 116;
  f.T_A(3) = 58;
  f.T_A(4) = 128;
  f.T_A(80) = -5;
  f.F_A(1) = 1056;
  f.F_A(40) = -12;
  f.T_A(0) = 7;
  f.T_SA(0) = "kept";
  f.F_SA(0) = "kept too";
  f.T_SA(10) = "stale";
  f.I_S = "k";
  f.X = 44;
  r.recordTrace(true);

  f.NumbersToTexts();

  const std::pair<int, const char*> t[] = {{1, "64"}, {2, "116"}, {3, "58"}, {4, "128"},
                                           {5, "0"},  {10, "0"},  {80, "-5"}};
  for (auto [i, text] : t) EXPECT_EQ(f.T_SA(i), text) << "T$(" << i << ")";
  EXPECT_EQ(f.F_SA(1), "1056");
  EXPECT_EQ(f.F_SA(39), "0");
  EXPECT_EQ(f.F_SA(40), "-12");
  EXPECT_EQ(f.T_SA(0), "kept");
  EXPECT_EQ(f.F_SA(0), "kept too");
  EXPECT_EQ(f.I, 41);
  EXPECT_EQ(f.A_S, "-12");
  EXPECT_EQ(f.T_A(1), 64);
  EXPECT_EQ(f.I_S, "k");
  EXPECT_EQ(f.X, 44);
  EXPECT_TRUE(r.trace().empty());
}

TEST_F(NumberTexts, FractionalPartKeepsItsPoint) {
  f.T_A(1) = 2.5f;
  f.T_A(2) = -0.5f;
  f.NumbersToTexts();
  EXPECT_EQ(f.T_SA(1), "2.5");
  EXPECT_EQ(f.T_SA(2).find(' '), std::string::npos);
  EXPECT_EQ(f.T_SA(2).front(), '-');
}

TEST_F(NumberTexts, SquareRootsTakeOutTheirSquareFactors) {
  struct Case {
    float n, a, b;
    const char *coefficient, *radical, *root, *equation;
  };
  const float big = 211.0f * 211.0f;
  const Case cases[] = {
      {12, 2, 3, "2", "!3ﾝ", "2!3ﾝ", "!12ﾝ="},
      {7, 1, 7, "", "!7ﾝ", "!7ﾝ", ""},
      {9, 3, 1, "3", "ﾝ", "3ﾝ", "!9ﾝ="},
      {1, 1, 1, "1", "ﾝ", "1ﾝ", ""},
      {72, 6, 2, "6", "!2ﾝ", "6!2ﾝ", "!72ﾝ="},
      {1000, 10, 10, "10", "!10ﾝ", "10!10ﾝ", "!1000ﾝ="},
      {big, 1, big, "", "!44521ﾝ", "!44521ﾝ", ""},
  };
  for (const Case& c : cases) {
    f.R1B = c.n;
    f.SimplifySquareRoot();
    EXPECT_EQ(f.R1A, c.a) << c.n;
    EXPECT_EQ(f.R1B, c.b) << c.n;
    EXPECT_EQ(f.R1B1, c.n) << c.n;
    EXPECT_EQ(f.R1I, 201) << c.n;
    EXPECT_EQ(f.R1A_S, c.coefficient) << c.n;
    EXPECT_EQ(f.R1B_S, c.radical) << c.n;
    EXPECT_EQ(f.RAB_S, c.root) << c.n;
    EXPECT_EQ(f.RABM_S, c.equation) << c.n;
    EXPECT_EQ(f.A_S, c.radical) << c.n;
  }
  f.R1B = 12;
  f.SimplifySquareRoot();
  EXPECT_EQ(f.R1A1_S, "! 3");
  f.R1B = 9;
  f.SimplifySquareRoot();
  EXPECT_EQ(f.R1A1_S, "");
}

// Below 1 every remainder is 0: the search would never end.
TEST_F(NumberTexts, SquareRootOfLessThanOneIsEmptyAtOnce) {
  for (float n : {0.0f, 0.3f, -4.0f}) {
    f.RAB_S = f.R1A_S = f.RABM_S = f.R1B_S = "old";
    f.R1B = n;
    f.SimplifySquareRoot();
    EXPECT_EQ(f.RAB_S, "") << n;
    EXPECT_EQ(f.R1A_S, "") << n;
    EXPECT_EQ(f.RABM_S, "") << n;
    EXPECT_EQ(f.R1B_S, "") << n;
    EXPECT_EQ(f.R1B, n);
    EXPECT_EQ(f.R1B1, n);
  }
}

TEST_F(NumberTexts, PrimeFactorTables) {
  struct Case {
    float m;
    std::vector<std::pair<float, float>> rows;  // rows 1..Q
    float cofactor;
  };
  const Case cases[] = {
      {12, {{2, 2}, {3, 1}}, 1},
      {360, {{2, 3}, {3, 2}, {5, 1}}, 1},
      {-58, {{2, 1}}, 29},
      {23, {{23, 1}}, 1},
      {961, {}, 961},
      {1, {}, 1},
      {2 * 3 * 5 * 7 * 11 * 13 * 17 * 19.0f, {{2, 1}, {3, 1}, {5, 1}, {7, 1}, {11, 1}, {13, 1}, {17, 1}, {19, 1}}, 1},
      {2 * 2 * 31 * 37.0f, {{2, 2}}, 31 * 37.0f},
  };
  for (const Case& c : cases) {
    for (int i = 1; i <= 10; ++i) f.G_A(i, 1) = f.G_A(i, 2) = 99;
    f.G_A(0, 1) = 5;
    f.R_A(0) = 6;
    f.SOSU = c.m;
    f.PrimeFactors();
    ASSERT_EQ(f.Q, c.rows.size()) << c.m;
    for (int i = 1; i <= 9; ++i) {
      auto want = i <= static_cast<int>(c.rows.size()) ? c.rows[i - 1] : std::pair<float, float>{0, 0};
      EXPECT_EQ(f.G_A(i, 1), want.first) << c.m << " row " << i;
      EXPECT_EQ(f.G_A(i, 2), want.second) << c.m << " row " << i;
    }
    EXPECT_EQ(f.G_A(10, 1), c.cofactor) << c.m;
    EXPECT_EQ(f.G_A(10, 2), 1) << c.m;
    EXPECT_EQ(f.SOSU, std::fabs(c.m));
    EXPECT_EQ(f.SOSU1, f.SOSU);
    EXPECT_EQ(f.P, 10);
    EXPECT_EQ(f.R_A(10), 29);
    EXPECT_EQ(f.TJ, 11);
    EXPECT_EQ(f.G_A(0, 1), 5);
    EXPECT_EQ(f.R_A(0), 6);
  }
}

// Zero would be divided by 2 without end: it has no prime rows.
TEST_F(NumberTexts, PrimeFactorsOfZeroAreEmptyAtOnce) {
  f.G_A(1, 1) = 7;
  f.SOSU = 0;
  f.PrimeFactors();
  EXPECT_EQ(f.Q, 0);
  EXPECT_EQ(f.G_A(1, 1), 0);
  EXPECT_EQ(f.G_A(10, 1), 0);
  EXPECT_EQ(f.SOSU, 0);
  EXPECT_EQ(f.R_A(1), 2);
}

TEST_F(NumberTexts, DivisorPairs) {
  struct Case {
    float d;
    std::vector<float> divisors;
    float kosuu, ii;
  };
  const Case cases[] = {
      {12, {1, 2, 3, 4, 6, 12}, 3, 13},
      {7, {1, 7}, 1, 8},
      {36, {1, 2, 3, 4, 6, 9, 12, 18, 36}, 5, 37},
      {-12, {1, 2, 3, 4, 6, 12}, 3, 13},
      {0.5f, {}, 0, 2},
      {2519, {1, 11, 229, 2519}, 2, 2520},
  };
  for (const Case& c : cases) {
    f.X_A(0) = -1;
    f.X_A(40) = -2;
    f.DY = c.d;
    f.ListDivisors();
    ASSERT_EQ(f.P, c.divisors.size()) << c.d;
    for (size_t k = 1; k <= c.divisors.size(); ++k) {
      EXPECT_EQ(f.X_A(k), c.divisors[k - 1]) << c.d << " slot " << k;
      EXPECT_EQ(f.Y_A(k), std::fabs(c.d) / c.divisors[k - 1]) << c.d << " slot " << k;
    }
    EXPECT_EQ(f.KOSUU, c.kosuu) << c.d;
    EXPECT_EQ(f.II, c.ii) << c.d;
    EXPECT_EQ(f.DY, std::fabs(c.d));
    EXPECT_EQ(f.X_A(0), -1);
    EXPECT_EQ(f.X_A(40), -2);
  }
  f.DY = 0;
  f.ListDivisors();
  EXPECT_EQ(f.P, 1);
  EXPECT_EQ(f.X_A(1), 1);
  EXPECT_EQ(f.Y_A(1), 0);
}

TEST_F(NumberTexts, MoreThanFortyDivisorsLeaveThePointTable) {
  f.DY = 2520;
  try {
    f.ListDivisors();
    FAIL() << "no error";
  } catch (const rt::RuntimeError& e) {
    EXPECT_EQ(e.err(), rt::kSubscriptOutOfRange);
  }
}

TEST_F(NumberTexts, SignEdits) {
  struct Case {
    const char *given, *negated, *plusStripped, *stripped, *parenthesized;
  };
  const Case cases[] = {
      {"-5", "+5", "-5", "5", "(-5)"},     {"+5", "-5", "5", "5", "+5"},
      {"5", "-5", "5", "5", "5"},          {"x+1", "-x+1", "x+1", "x+1", "x+1"},
      {"3-2", "-3-2", "3-2", "3-2", "(3-2)"}, {"", "", "", "", ""},
      {" 5", "- 5", " 5", " 5", " 5"},     {"－5", "-－5", "－5", "－5", "－5"},
  };
  using Edit = void (Framework::*)();
  for (const Case& c : cases) {
    const std::pair<Edit, const char*> edits[] = {{&Framework::NegateSignText, c.negated},
                                                  {&Framework::StripPlusSign, c.plusStripped},
                                                  {&Framework::StripSign, c.stripped},
                                                  {&Framework::ParenthesizeNegative, c.parenthesized}};
    int which = 0;
    for (auto [edit, want] : edits) {
      f.A_S = c.given;
      (f.*edit)();
      EXPECT_EQ(f.A_S, want) << "edit " << which << " of \"" << c.given << "\"";
      ++which;
    }
    f.A_S = c.given;
    f.NegateSignText();
    EXPECT_EQ(f.LE, rt::KLEN(c.given));
  }
  f.A_S = "3-2";
  f.ParenthesizeNegative();
  EXPECT_EQ(f.TA1, 2);
  f.A_S = "5";
  f.ParenthesizeNegative();
  EXPECT_EQ(f.TA1, 0);
}

}  // namespace
