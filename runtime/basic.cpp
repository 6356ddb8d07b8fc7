#include "runtime/basic.h"

#include <cfenv>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace rt {

RuntimeError::RuntimeError(int err, const std::string& what, std::source_location where)
    : std::runtime_error(what),
      err_(err),
      erl_(static_cast<int>(where.line())),
      file_(where.file_name()) {}

void raise(int err, const std::string& what, std::source_location where) {
  std::feclearexcept(FE_ALL_EXCEPT);
  throw RuntimeError(err, what, where);
}

void calcCheck(std::source_location where) {
  int flags = std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID);
  if (!flags) return;
  if (flags & FE_DIVBYZERO) raise(kDivisionByZero, "division by zero", where);
  if (flags & FE_OVERFLOW) raise(kOverflow, "overflow", where);
  raise(kIllegalFunctionCall, "invalid calculation", where);
}

void calcForget() { std::feclearexcept(FE_ALL_EXCEPT); }

float finite(float v, std::source_location where) {
  calcCheck(where);
  if (std::isnan(v)) raise(kIllegalFunctionCall, "invalid calculation", where);
  if (std::isinf(v)) raise(kOverflow, "overflow", where);
  return v;
}

long arrayIndex(double v, int bound, std::source_location where) {
  if (!(v > -0.5 && v < bound + 0.5)) raise(kSubscriptOutOfRange, "subscript out of range", where);
  return std::lround(v);
}

// ---- texts ----

std::u32string decode(const std::string& s) {
  std::u32string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    char32_t cp;
    int extra;
    if (c < 0x80) { cp = c; extra = 0; }
    else if ((c >> 5) == 6) { cp = c & 0x1f; extra = 1; }
    else if ((c >> 4) == 14) { cp = c & 0x0f; extra = 2; }
    else if ((c >> 3) == 30) { cp = c & 0x07; extra = 3; }
    else { out.push_back(0xfffd); ++i; continue; }
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) >> 6) != 2) { ok = false; break; }
      cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3f);
    }
    if (!ok) { out.push_back(0xfffd); ++i; continue; }
    out.push_back(cp);
    i += 1 + extra;
  }
  return out;
}

std::string encode(char32_t c) {
  std::string out;
  if (c < 0x80) out += static_cast<char>(c);
  else if (c < 0x800) {
    out += static_cast<char>(0xc0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3f));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xe0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
    out += static_cast<char>(0x80 | (c & 0x3f));
  } else {
    out += static_cast<char>(0xf0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3f));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
    out += static_cast<char>(0x80 | (c & 0x3f));
  }
  return out;
}

std::string encode(const std::u32string& s) {
  std::string out;
  for (char32_t c : s) out += encode(c);
  return out;
}

int sjisBytes(char32_t c) { return (c < 0x80 || (c >= 0xff61 && c <= 0xff9f)) ? 1 : 2; }

namespace {
// A count or position made whole, as the text functions take them.
long whole(double v) {
  if (std::isnan(v)) return 0;
  if (v > 1e9) return 1000000000L;
  if (v < -1e9) return -1000000000L;
  return std::lround(v);
}
}  // namespace

int KLEN(const std::string& s) { return static_cast<int>(decode(s).size()); }

std::string KMID(const std::string& s, double p, double n) {
  std::u32string u = decode(s);
  long start = whole(p), count = whole(n);
  if (start < 1) start = 1;
  if (count <= 0 || start > static_cast<long>(u.size())) return "";
  return encode(u.substr(static_cast<size_t>(start - 1), static_cast<size_t>(count)));
}

std::string KLEFT(const std::string& s, double n) { return KMID(s, 1, n); }

std::string KRIGHT(const std::string& s, double n) {
  std::u32string u = decode(s);
  long count = whole(n);
  if (count <= 0) return "";
  if (count >= static_cast<long>(u.size())) return s;
  return encode(u.substr(u.size() - static_cast<size_t>(count)));
}

int KINSTR(double start, const std::string& s, const std::string& pattern) {
  std::u32string u = decode(s), p = decode(pattern);
  long from = whole(start);
  if (from < 1) from = 1;
  if (p.empty() || from > static_cast<long>(u.size())) return 0;
  size_t at = u.find(p, static_cast<size_t>(from - 1));
  return at == std::u32string::npos ? 0 : static_cast<int>(at + 1);
}

int KINSTR(const std::string& s, const std::string& pattern) { return KINSTR(1, s, pattern); }

int LEN(const std::string& s) {
  int n = 0;
  for (char32_t c : decode(s)) n += sjisBytes(c);
  return n;
}

std::string MID(const std::string& s, double p, double n) {
  long start = whole(p), count = whole(n);
  if (start < 1) start = 1;
  if (count <= 0) return "";
  long first = start - 1, last = first + count;  // byte range [first, last)
  std::string out;
  long at = 0;
  for (char32_t c : decode(s)) {
    long len = sjisBytes(c);
    if (at >= first && at + len <= last) out += encode(c);
    at += len;
    if (at >= last) break;
  }
  return out;
}

std::string LEFT(const std::string& s, double n) { return MID(s, 1, n); }

std::string RIGHT(const std::string& s, double n) {
  long count = whole(n), len = LEN(s);
  if (count <= 0) return "";
  if (count >= len) return s;
  return MID(s, len - count + 1, count);
}

int INSTR(double start, const std::string& s, const std::string& pattern) {
  if (pattern.empty()) return 0;
  long from = whole(start);
  if (from < 1) from = 1;
  // Byte positions of each character start, in Shift-JIS bytes.
  std::u32string u = decode(s), p = decode(pattern);
  std::vector<long> pos(u.size() + 1, 1);
  for (size_t i = 0; i < u.size(); ++i) pos[i + 1] = pos[i] + sjisBytes(u[i]);
  for (size_t i = 0; i + p.size() <= u.size(); ++i) {
    if (pos[i] < from) continue;
    if (u.compare(i, p.size(), p) == 0) return static_cast<int>(pos[i]);
  }
  return 0;
}

int INSTR(const std::string& s, const std::string& pattern) { return INSTR(1, s, pattern); }

float VAL(const std::string& s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  size_t begin = i;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  size_t digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') { ++i; ++digits; }
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') { ++i; ++digits; }
  }
  if (digits == 0) return 0.0f;
  size_t end = i;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    size_t ed = 0;
    while (j < s.size() && s[j] >= '0' && s[j] <= '9') { ++j; ++ed; }
    if (ed) end = j;
  }
  std::string text = s.substr(begin, end - begin);
  if (!text.empty() && text[0] == '+') text.erase(0, 1);
  double v = std::strtod(text.c_str(), nullptr);
  if (!std::isfinite(v) || std::fabs(v) > 3.4e38) return 0.0f;
  return static_cast<float>(v);
}

std::string STR(float v) {
  if (v == 0.0f) return " 0";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.7G", static_cast<double>(v));
  std::string t = buf;
  // "0.5" -> ".5", "-0.5" -> "-.5"
  if (t.rfind("0.", 0) == 0) t.erase(0, 1);
  else if (t.rfind("-0.", 0) == 0) t.erase(1, 1);
  return v < 0 ? t : " " + t;
}

std::string CHR(double code, std::source_location where) {
  long c = whole(code);
  if (c < 0 || c > 255) raise(kIllegalFunctionCall, "illegal function call", where);
  if (c >= 0xa1 && c <= 0xdf) return encode(static_cast<char32_t>(0xff61 + (c - 0xa1)));
  if (c >= 0x80) raise(kIllegalFunctionCall, "illegal function call", where);
  return std::string(1, static_cast<char>(c));
}

int ASC(const std::string& s, std::source_location where) {
  if (s.empty()) raise(kIllegalFunctionCall, "illegal function call", where);
  char32_t c = decode(s)[0];
  if (c >= 0xff61 && c <= 0xff9f) return static_cast<int>(0xa1 + (c - 0xff61));
  return static_cast<int>(c);
}

// ---- numbers ----

float INT(float v) { return std::floor(v); }

float ATN(float v) { return std::atan(v); }

float POW(float base, float exponent, std::source_location where) {
  if (base == 0.0f && exponent < 0.0f) raise(kDivisionByZero, "division by zero", where);
  if (base < 0.0f && exponent != std::floor(exponent))
    raise(kIllegalFunctionCall, "illegal function call", where);
  float r = std::pow(base, exponent);
  return finite(r, where);
}

float MOD(float a, float b, std::source_location where) {
  calcCheck(where);
  if (!std::isfinite(a) || !std::isfinite(b) || std::fabs(a) > 2.1e9f || std::fabs(b) > 2.1e9f)
    raise(kOverflow, "overflow", where);
  long x = std::lround(a), y = std::lround(b);
  if (y == 0) raise(kDivisionByZero, "division by zero", where);
  return static_cast<float>(x % y);
}

}  // namespace rt
