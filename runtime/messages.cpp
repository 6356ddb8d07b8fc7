#include "runtime/messages.h"

#include <cstdio>
#include <vector>

#include "runtime/output.h"
#include "runtime/streams.h"

namespace rt {

void say(const std::string& line) {
  flushOutputsInPlace(errorStream());
  std::string text = line + "\n";
  errorStream().put(text.data(), text.size());
}

std::string shown(const std::string& text) {
  constexpr size_t kLongest = 60, kHead = 40;
  // Code points of the text, each as it will be shown.
  std::vector<std::string> points;
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    bool whole = n > 0 && i + n <= text.size();
    for (size_t k = 1; whole && k < n; ++k) whole = (static_cast<unsigned char>(text[i + k]) >> 6) == 2;
    char escaped[8];
    if (c == '\n' || c == '\t' || c == '\r') {
      points.push_back(c == '\n' ? "\\n" : c == '\t' ? "\\t" : "\\r");
    } else if (c == '\\') {
      points.push_back("\\\\");
    } else if (!whole || c < 0x20 || c == 0x7f) {
      std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
      points.push_back(escaped);
      n = 1;
    } else if (n == 2 && c == 0xc2 && static_cast<unsigned char>(text[i + 1]) < 0xa0) {
      // The C1 controls, which terminals also obey.
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(text[i + 1]));
      points.push_back(escaped);
    } else {
      points.push_back(text.substr(i, n));
    }
    i += n;
  }
  std::string out;
  if (points.size() <= kLongest) {
    for (const auto& p : points) out += p;
    return out;
  }
  // Both ends, which tell most: the start of a path and its file name.
  for (size_t k = 0; k < kHead; ++k) out += points[k];
  out += "...";
  for (size_t k = points.size() - (kLongest - kHead); k < points.size(); ++k) out += points[k];
  return out + " [cut from " + std::to_string(text.size()) + " bytes]";
}

}  // namespace rt
