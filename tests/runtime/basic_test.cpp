// Text and number functions of the runtime.
#include <gtest/gtest.h>

#include <cmath>

#include "runtime/basic.h"

namespace {

TEST(Texts, CharacterAndByteCounting) {
  const std::string s = "AB底角ｱ=";  // ASCII, two full-width, one half-width katakana
  EXPECT_EQ(rt::KLEN(s), 6);
  EXPECT_EQ(rt::LEN(s), 8);
  EXPECT_EQ(rt::KMID(s, 3, 2), "底角");
  EXPECT_EQ(rt::KMID(s, 5), "ｱ=");
  EXPECT_EQ(rt::KLEFT(s, 3), "AB底");
  EXPECT_EQ(rt::KRIGHT(s, 2), "ｱ=");
  EXPECT_EQ(rt::KINSTR(s, "角"), 4);
  EXPECT_EQ(rt::KINSTR(5, s, "角"), 0);
  EXPECT_EQ(rt::MID(s, 3, 2), "底");
  EXPECT_EQ(rt::MID(s, 7, 1), "ｱ");
  EXPECT_EQ(rt::LEFT(s, 4), "AB底");
  EXPECT_EQ(rt::RIGHT(s, 2), "ｱ=");
  EXPECT_EQ(rt::INSTR(s, "ｱ"), 7);
  EXPECT_EQ(rt::INSTR(s, ""), 0);
  EXPECT_EQ(rt::KINSTR(s, ""), 0);
  EXPECT_EQ(rt::INSTR(3, "a/b/c", "/"), 4);
  EXPECT_EQ(rt::KMID(s, 9, 1), "");
  EXPECT_EQ(rt::KMID(s, 0, 0), "");
}

TEST(Texts, ValAndStr) {
  struct Case {
    const char* text;
    float value;
  };
  for (const Case& c : {Case{"", 0}, Case{"12", 12}, Case{" -3.5x", -3.5f}, Case{".5", 0.5f},
                        Case{"abc", 0}, Case{"7/2", 7}, Case{"-", 0}, Case{"1e2", 100},
                        Case{"+4", 4}}) {
    EXPECT_EQ(rt::VAL(c.text), c.value) << c.text;
  }
  struct Out {
    float value;
    const char* text;
  };
  for (const Out& o : {Out{0, " 0"}, Out{5, " 5"}, Out{-5, "-5"}, Out{0.5f, " .5"},
                       Out{-0.25f, "-.25"}, Out{53.1f, " 53.1"}, Out{1.0f / 3, " .3333333"},
                       Out{123456, " 123456"}, Out{-40, "-40"}}) {
    EXPECT_EQ(rt::STR(o.value), o.text) << o.value;
  }
}

TEST(Texts, ChrAndAsc) {
  EXPECT_EQ(rt::CHR(65), "A");
  EXPECT_EQ(rt::CHR(13), "\r");
  EXPECT_EQ(rt::CHR(28), std::string(1, char(28)));
  EXPECT_EQ(rt::CHR(0xc0), "ﾀ");
  EXPECT_EQ(rt::ASC("ﾀ"), 0xc0);
  EXPECT_EQ(rt::ASC("Az"), 65);
  EXPECT_THROW(rt::ASC(""), rt::RuntimeError);
  EXPECT_THROW(rt::CHR(300), rt::RuntimeError);
}

TEST(Numbers, IntModPow) {
  EXPECT_EQ(rt::INT(2.7f), 2);
  EXPECT_EQ(rt::INT(-2.5f), -3);
  EXPECT_EQ(rt::INT(-3), -3);
  EXPECT_EQ(rt::MOD(10, 5), 0);
  EXPECT_EQ(rt::MOD(-7, 5), -2);
  EXPECT_EQ(rt::MOD(7, -5), 2);
  EXPECT_EQ(rt::MOD(7.4f, 5), 2);
  EXPECT_EQ(rt::POW(-3, 2), 9);
  EXPECT_EQ(rt::POW(2, 3), 8);
  EXPECT_NEAR(rt::ATN(1), 0.785398f, 1e-6);
  try {
    rt::MOD(3, 0);
    FAIL();
  } catch (const rt::RuntimeError& e) {
    EXPECT_EQ(e.err(), rt::kDivisionByZero);
  }
}

TEST(Numbers, CalculationCheckNamesTheFaultAndLine) {
  struct Case {
    float a, b;
    int err;
  };
  for (const Case& c : {Case{1, 0, rt::kDivisionByZero}, Case{0, 0, rt::kIllegalFunctionCall},
                        Case{3e38f, 1e-10f, rt::kOverflow}}) {
    rt::calcForget();
    volatile float a = c.a, b = c.b;
    volatile float r = a / b;
    (void)r;
    int line = __LINE__ + 2;
    try {
      rt::calcCheck();
      FAIL() << c.a << "/" << c.b;
    } catch (const rt::RuntimeError& e) {
      EXPECT_EQ(e.err(), c.err) << c.a << "/" << c.b;
      EXPECT_EQ(e.erl(), line);
    }
  }
  rt::calcForget();
  volatile float fine = 1.0f / 3.0f;
  (void)fine;
  EXPECT_NO_THROW(rt::calcCheck());
}

TEST(Arrays, BoundsAreChecked) {
  rt::BasicArray<float> a(40);
  a(0) = 1;
  a(40) = 2;
  EXPECT_EQ(a(40), 2);
  EXPECT_THROW(a(41), rt::RuntimeError);
  EXPECT_THROW(a(-1), rt::RuntimeError);
  EXPECT_THROW(a(1, 1), rt::RuntimeError);
  rt::BasicArray<float> g(10, 2);
  g(10, 2) = 5;
  EXPECT_EQ(g(10, 2), 5);
  EXPECT_THROW(g(3, 3), rt::RuntimeError);
  EXPECT_THROW(g(3), rt::RuntimeError);
  rt::BasicArray<std::string> undeclared;
  undeclared(10) = "x";
  try {
    undeclared(11);
    FAIL();
  } catch (const rt::RuntimeError& e) {
    EXPECT_EQ(e.err(), rt::kSubscriptOutOfRange);
    EXPECT_STREQ(e.what(), "subscript out of range");
  }
}

}  // namespace
