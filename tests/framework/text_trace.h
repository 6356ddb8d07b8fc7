// Reading the drawing trace of the text routines as short, comparable lines:
//   SYMBOL  "A 100,200 3x3 ゴシック 16 b"   (b bold, i italic)
//   LINE    "LINE 104,222 123,222 w5"
//   box     "BOX 500,298 576,346 3/13 w5"
//   CONNECT "CONNECT 104,236 108,224 ... w3"
#pragma once

#include <string>
#include <vector>

namespace texttrace {

// The raw value of a key of a flat JSON trace line: a number or bool as
// written, a string unescaped, an array as its text.
inline std::string field(const std::string& line, const std::string& key) {
  std::string tag = "\"" + key + "\":";
  size_t p = line.find(tag);
  if (p == std::string::npos) return "?";
  p += tag.size();
  std::string out;
  if (line[p] == '"') {
    for (++p; p < line.size() && line[p] != '"'; ++p) {
      if (line[p] == '\\') ++p;
      out += line[p];
    }
    return out;
  }
  int depth = 0;
  for (; p < line.size(); ++p) {
    char c = line[p];
    if (c == '[') ++depth;
    if (c == ']') --depth;
    if (depth == 0 && (c == ',' || c == '}')) break;
    out += c;
  }
  return out;
}

inline std::string describe(const std::string& line) {
  std::string op = field(line, "op");
  auto at = [&](const char* x, const char* y) { return field(line, x) + "," + field(line, y); };
  if (op == "SYMBOL") {
    std::string s = field(line, "text") + " " + at("x", "y") + " " + field(line, "mh") + "x" +
                    field(line, "mv") + " " + field(line, "font") + " " + field(line, "size");
    if (field(line, "bold") == "true") s += " b";
    if (field(line, "italic") == "true") s += " i";
    return s;
  }
  if (op == "LINE") {
    std::string s = (field(line, "form") == "2" ? "BOX " : "LINE ") + at("x1", "y1") + " " + at("x2", "y2");
    if (field(line, "form") == "2") s += " " + field(line, "colour") + "/" + field(line, "fill");
    return s + " w" + field(line, "width");
  }
  if (op == "CONNECT") {
    std::string pts = field(line, "points"), s = "CONNECT";
    // [[4,36],[8,24]] -> " 4,36 8,24"
    std::string cur;
    for (char c : pts) {
      if (c == '[') continue;
      if (c == ']') {
        if (!cur.empty()) s += " " + cur;
        cur.clear();
        continue;
      }
      if (c == ',' && cur.empty()) continue;
      cur += c;
    }
    return s + " w" + field(line, "width");
  }
  return op;
}

inline std::vector<std::string> describeAll(const std::vector<std::string>& trace) {
  std::vector<std::string> out;
  for (const std::string& line : trace) out.push_back(describe(line));
  return out;
}

}  // namespace texttrace
