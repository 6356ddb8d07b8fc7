// Reading the drawing trace in tests: the operations of one kind and the
// fields of one operation.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

namespace trace_ops {

// The trace lines of operation `op` ("LINE", "SYMBOL", ...).
inline std::vector<std::string> ops(const std::vector<std::string>& trace, const std::string& op) {
  std::vector<std::string> out;
  const std::string head = "{\"op\":\"" + op + "\"";
  for (const std::string& line : trace)
    if (line.rfind(head, 0) == 0) out.push_back(line);
  return out;
}

// A number field of one trace line (NaN when it is missing).
inline double num(const std::string& line, const std::string& key) {
  size_t at = line.find("\"" + key + "\":");
  if (at == std::string::npos) return std::strtod("nan", nullptr);
  return std::strtod(line.c_str() + at + key.size() + 3, nullptr);
}

// A text field of one trace line, its escapes left as they are.
inline std::string text(const std::string& line, const std::string& key) {
  size_t at = line.find("\"" + key + "\":\"");
  if (at == std::string::npos) return "<none>";
  size_t from = at + key.size() + 4, to = from;
  while (to < line.size() && line[to] != '"') to += line[to] == '\\' ? 2 : 1;
  return line.substr(from, to - from);
}

}  // namespace trace_ops
