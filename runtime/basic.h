// The BASIC-style services of the runtime: errors, bounds-checked arrays,
// text functions (character- and Shift-JIS-byte counting) and number
// functions. Texts are UTF-8; a "character" is one Unicode code point.
#pragma once

#include <cstdint>
#include <source_location>
#include <stdexcept>
#include <string>
#include <vector>

namespace rt {

// Error numbers the runtime gives.
enum ErrorCode : int {
  kIllegalFunctionCall = 5,
  kOverflow = 6,
  kSubscriptOutOfRange = 9,
  kDivisionByZero = 11,
};

// A runtime error: ERR and ERL (the source line where it arose).
class RuntimeError : public std::runtime_error {
 public:
  RuntimeError(int err, const std::string& what,
               std::source_location where = std::source_location::current());
  int err() const { return err_; }
  int erl() const { return erl_; }
  const std::string& file() const { return file_; }

 private:
  int err_;
  int erl_;
  std::string file_;
};

[[noreturn]] void raise(int err, const std::string& what,
                        std::source_location where = std::source_location::current());

// The calculation check: a division by zero, an overflow or an invalid
// result since the last check becomes a runtime error at `where`.
void calcCheck(std::source_location where = std::source_location::current());
// Forgets flags raised by library code (rasteriser, font engine).
void calcForget();
// A number that must reach the page: not NaN, not infinite.
float finite(float v, std::source_location where = std::source_location::current());

// Control flow that unwinds to main(): END, the window closed, the key
// script of a headless run spent, or the error screen left.
struct ProgramEnd {
  int status;
};

// The run cannot start (a font missing, no memory for the page); the
// message says what is missing.
class CannotStart : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An array indexed 0..bound (two bounds for two dimensions); an index
// outside raises "subscript out of range".
template <class T>
class BasicArray {
 public:
  explicit BasicArray(int bound = 10) { dim(bound); }
  BasicArray(int bound1, int bound2) { dim(bound1, bound2); }

  void dim(int bound) {
    b1_ = bound;
    b2_ = -1;
    cells_.assign(static_cast<size_t>(bound + 1), T{});
  }
  void dim(int bound1, int bound2) {
    b1_ = bound1;
    b2_ = bound2;
    cells_.assign(static_cast<size_t>((bound1 + 1) * (bound2 + 1)), T{});
  }
  int bound() const { return b1_; }
  int bound2() const { return b2_; }

  T& operator()(double i, std::source_location where = std::source_location::current()) {
    if (b2_ >= 0) raise(kSubscriptOutOfRange, "subscript out of range", where);
    return cells_[static_cast<size_t>(index(i, b1_, where))];
  }
  T& operator()(double i, double j, std::source_location where = std::source_location::current()) {
    if (b2_ < 0) raise(kSubscriptOutOfRange, "subscript out of range", where);
    long a = index(i, b1_, where), b = index(j, b2_, where);
    return cells_[static_cast<size_t>(a * (b2_ + 1) + b)];
  }

 private:
  static long index(double v, int bound, std::source_location where);
  std::vector<T> cells_;
  int b1_ = 10, b2_ = -1;
};

long arrayIndex(double v, int bound, std::source_location where);
template <class T>
long BasicArray<T>::index(double v, int bound, std::source_location where) {
  return arrayIndex(v, bound, where);
}

// ---- texts ----
// Code points of a UTF-8 text.
std::u32string decode(const std::string& s);
std::string encode(const std::u32string& s);
std::string encode(char32_t c);
// Shift-JIS length of one character: 1 for ASCII and half-width katakana.
int sjisBytes(char32_t c);

int KLEN(const std::string& s);
std::string KMID(const std::string& s, double p, double n = 1e9);
std::string KLEFT(const std::string& s, double n);
std::string KRIGHT(const std::string& s, double n);
int KINSTR(const std::string& s, const std::string& pattern);
int KINSTR(double start, const std::string& s, const std::string& pattern);

int LEN(const std::string& s);
std::string MID(const std::string& s, double p, double n = 1e9);
std::string LEFT(const std::string& s, double n);
std::string RIGHT(const std::string& s, double n);
int INSTR(const std::string& s, const std::string& pattern);
int INSTR(double start, const std::string& s, const std::string& pattern);

float VAL(const std::string& s);
std::string STR(float v);
std::string CHR(double code, std::source_location where = std::source_location::current());
int ASC(const std::string& s, std::source_location where = std::source_location::current());

// ---- numbers ----
float INT(float v);
float ATN(float v);
float POW(float base, float exponent, std::source_location where = std::source_location::current());
float MOD(float a, float b, std::source_location where = std::source_location::current());

}  // namespace rt
