// The answer number texts of the drills.
#include <gtest/gtest.h>

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

}  // namespace
