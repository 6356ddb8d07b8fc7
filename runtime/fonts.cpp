#include "runtime/fonts.h"

#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cstring>

#if defined(__SANITIZE_ADDRESS__)
// The leak checker of a sanitizer build: what the font, drawing and window
// libraries keep for the life of the process is theirs, not a leak of the
// program. Built in, so the programs run clean when started by hand too.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n"
         "leak:libcairo.so\n"
         "leak:libfreetype.so\n"
         "leak:libSDL2\n"
         "leak:libdbus\n";
}
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
#endif

namespace rt {

namespace {

struct FamilyInfo {
  const char* family;   // the installed family we ask fontconfig for
  const char* package;  // the Debian package that brings it
  char32_t probe;       // a character the face must have
};

const FamilyInfo kFamilies[] = {
    {"BIZ UDGothic", "fonts-morisawa-bizud-gothic", U'ア'},
    {"Liberation Serif", "fonts-liberation2", U'a'},
    {"DejaVu Sans", "fonts-dejavu-core", U'\u2113'},
};

// The file of an installed family, or "" when fontconfig has none whose
// family matches and that has the probe character.
std::string findFile(const FamilyInfo& info, bool bold, bool italic, bool anyFamily) {
  FcPattern* pat = FcPatternCreate();
  if (!anyFamily) FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(info.family));
  FcCharSet* cs = FcCharSetCreate();
  FcCharSetAddChar(cs, info.probe);
  FcPatternAddCharSet(pat, FC_CHARSET, cs);
  FcPatternAddInteger(pat, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult result;
  FcPattern* match = FcFontMatch(nullptr, pat, &result);
  std::string file;
  if (match) {
    FcChar8* fam = nullptr;
    FcChar8* path = nullptr;
    FcCharSet* has = nullptr;
    bool familyOk = anyFamily;
    for (int i = 0; !familyOk && FcPatternGetString(match, FC_FAMILY, i, &fam) == FcResultMatch; ++i)
      familyOk = std::strcmp(reinterpret_cast<const char*>(fam), info.family) == 0;
    bool charOk = FcPatternGetCharSet(match, FC_CHARSET, 0, &has) == FcResultMatch &&
                  FcCharSetHasChar(has, info.probe);
    if (familyOk && charOk && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch)
      file = reinterpret_cast<const char*>(path);
    FcPatternDestroy(match);
  }
  FcCharSetDestroy(cs);
  FcPatternDestroy(pat);
  return file;
}

}  // namespace

FontBook::FontBook() {
  if (!FcInit()) throw MissingFont("fontconfig could not be initialised");
  for (int f = kGothic; f <= kScript; ++f) {
    const FamilyInfo& info = kFamilies[f];
    std::string file = findFile(info, false, false, false);
    if (file.empty() && f == kScript) file = findFile(info, false, false, true);
    if (file.empty())
      throw MissingFont(std::string("font \"") + info.family + "\" is not installed (Debian package " +
                        info.package + ")");
    files_[f] = file;
  }
}

FontBook::~FontBook() {
  for (auto& [key, face] : faces_) cairo_font_face_destroy(face);
}

FontBook::Family FontBook::familyOf(const std::string& name) {
  if (name == "Times New Roman") return kSerif;
  if (name == "MT Extra") return kScript;
  return kGothic;
}

cairo_font_face_t* FontBook::face(const std::string& name, bool bold, bool italic) {
  Family f = familyOf(name);
  auto key = std::make_tuple(static_cast<int>(f), bold, italic);
  auto it = faces_.find(key);
  if (it != faces_.end()) return it->second;
  cairo_font_face_t* face = load(f, bold, italic);
  faces_[key] = face;
  return face;
}

cairo_font_face_t* FontBook::load(Family f, bool bold, bool italic) {
  // The Gothic and serif families have real bold cuts, the serif family
  // also italic ones; what a family lacks is emboldened or slanted by the
  // rasteriser.
  std::string file = files_[f];
  bool realBold = false, realItalic = false;
  if (f != kScript && (bold || (italic && f == kSerif))) {
    std::string cut = findFile(kFamilies[f], bold, italic && f == kSerif, false);
    // Without the cut, the nearest match is the plain face itself.
    if (!cut.empty() && cut != files_[f]) {
      file = cut;
      realBold = bold;
      realItalic = italic && f == kSerif;
    }
  }
  FcPattern* pat = FcPatternCreate();
  FcPatternAddString(pat, FC_FILE, reinterpret_cast<const FcChar8*>(file.c_str()));
  FcPatternAddInteger(pat, FC_INDEX, 0);
  FcPatternAddBool(pat, FC_ANTIALIAS, FcFalse);
  // Whether a text is hinted is the runtime's choice at each drawing
  // (small Gothic text only).
  cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(pat);
  FcPatternDestroy(pat);
  unsigned synth = 0;
  if (bold && !realBold) synth |= CAIRO_FT_SYNTHESIZE_BOLD;
  if (italic && !realItalic) synth |= CAIRO_FT_SYNTHESIZE_OBLIQUE;
  if (synth) cairo_ft_font_face_set_synthesize(face, synth);
  return face;
}

}  // namespace rt
