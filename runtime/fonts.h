// Face names of the lessons mapped to installed fonts.
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <tuple>

#include "runtime/basic.h"

typedef struct _cairo_font_face cairo_font_face_t;

namespace rt {

// A font the programs need is not installed; the message names the package.
class MissingFont : public CannotStart {
 public:
  using CannotStart::CannotStart;
};

class FontBook {
 public:
  // Looks up every face at once, so a missing one is reported at start-up.
  FontBook();
  ~FontBook();
  FontBook(const FontBook&) = delete;
  FontBook& operator=(const FontBook&) = delete;

  // The face for a lesson font name ("ゴシック", "ｺﾞｼｯｸ", "Times New Roman",
  // "MT Extra"; any other name falls back to the Gothic face).
  cairo_font_face_t* face(const std::string& name, bool bold, bool italic);
  // Whether a lesson font name maps to the Gothic face.
  static bool isGothic(const std::string& name) { return familyOf(name) == kGothic; }

 private:
  enum Family { kGothic, kSerif, kScript };
  static Family familyOf(const std::string& name);
  cairo_font_face_t* load(Family family, bool bold, bool italic);
  std::map<std::tuple<int, bool, bool>, cairo_font_face_t*> faces_;
  std::string files_[3];
};

}  // namespace rt
