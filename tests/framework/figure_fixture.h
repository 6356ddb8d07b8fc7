// A headless framework for the figure routines, and the drawing trace read
// back as operations.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "framework/framework.h"
#include "runtime/runtime.h"

// One traced drawing operation: its numbers, texts, flags and points.
struct TracedOp {
  std::string op;
  std::map<std::string, double> num;
  std::map<std::string, std::string> text;
  std::map<std::string, bool> flag;
  std::vector<std::pair<double, double>> points;
  double operator[](const std::string& key) const {
    auto it = num.find(key);
    return it == num.end() ? -99999 : it->second;
  }
};

// Parses one flat JSON object of the trace ("points" nests arrays).
inline TracedOp parseTraceLine(const std::string& s) {
  TracedOp op;
  size_t i = 0;
  auto skip = [&] { while (i < s.size() && (std::isspace(static_cast<unsigned char>(s[i])) || s[i] == ',')) ++i; };
  auto readString = [&] {
    std::string out;
    ++i;  // opening quote
    while (i < s.size() && s[i] != '"') {
      if (s[i] == '\\' && i + 1 < s.size()) ++i;
      out += s[i++];
    }
    ++i;
    return out;
  };
  auto readNumber = [&] {
    char* end = nullptr;
    double v = std::strtod(s.c_str() + i, &end);
    i = static_cast<size_t>(end - s.c_str());
    return v;
  };
  ++i;  // {
  for (skip(); i < s.size() && s[i] != '}'; skip()) {
    std::string key = readString();
    ++i;  // :
    if (s[i] == '"') {
      std::string v = readString();
      if (key == "op") op.op = v;
      else op.text[key] = v;
    } else if (s[i] == 't' || s[i] == 'f') {
      op.flag[key] = s[i] == 't';
      i += s[i] == 't' ? 4 : 5;
    } else if (s[i] == '[') {
      ++i;
      for (skip(); s[i] != ']'; skip()) {
        ++i;  // [
        double x = readNumber();
        ++i;  // ,
        double y = readNumber();
        ++i;  // ]
        op.points.emplace_back(x, y);
      }
      ++i;
    } else {
      op.num[key] = readNumber();
    }
  }
  return op;
}

class FigureTest : public ::testing::Test {
 protected:
  FigureTest() : page(1920, 1080), f(page, "Test") { page.recordTrace(true); }

  // The operations drawn since the last call, KEY events left out.
  std::vector<TracedOp> drawn() {
    std::vector<TracedOp> out;
    for (const std::string& line : page.trace()) {
      TracedOp op = parseTraceLine(line);
      if (op.op != "KEY") out.push_back(op);
    }
    page.clearTrace();
    return out;
  }
  static std::vector<TracedOp> only(const std::vector<TracedOp>& ops, const std::string& name) {
    std::vector<TracedOp> out;
    for (const TracedOp& op : ops)
      if (op.op == name) out.push_back(op);
    return out;
  }

  // The polygon G(1..KAKU) from pixel points.
  void vertices(std::initializer_list<std::pair<float, float>> points) {
    int i = 1;
    for (auto [x, y] : points) f.G_A(i, 1) = x, f.G_A(i, 2) = y, ++i;
    f.KAKU = static_cast<float>(points.size());
  }

  rt::Runtime page;
  Framework f;
};


// Positions to within 0.05 pixel.
inline constexpr double kPixel = 0.05;

// The end points of a traced segment.
struct Segment {
  float x1, y1, x2, y2;
};

#define EXPECT_SEGMENT(traced, ax, ay, bx, by)  \
  do {                                          \
    EXPECT_EQ((traced).op, "LINE");             \
    EXPECT_NEAR((traced)["x1"], (ax), kPixel);  \
    EXPECT_NEAR((traced)["y1"], (ay), kPixel);  \
    EXPECT_NEAR((traced)["x2"], (bx), kPixel);  \
    EXPECT_NEAR((traced)["y2"], (by), kPixel);  \
  } while (0)

// Exactly these segments, in this order, all in one colour.
inline void expectSegments(const std::vector<TracedOp>& ops, const std::vector<Segment>& segments,
                           int colour) {
  ASSERT_EQ(ops.size(), segments.size());
  for (size_t k = 0; k < ops.size(); ++k) {
    SCOPED_TRACE(testing::Message() << "segment " << k);
    EXPECT_SEGMENT(ops[k], segments[k].x1, segments[k].y1, segments[k].x2, segments[k].y2);
    EXPECT_EQ(ops[k]["colour"], colour);
  }
}

// `fn` ends in the runtime error "division by zero".
template <class Fn>
void expectDivisionByZero(Fn fn) {
  try {
    fn();
    ADD_FAILURE() << "no error";
  } catch (const rt::RuntimeError& e) {
    EXPECT_EQ(e.err(), rt::kDivisionByZero);
  }
}
