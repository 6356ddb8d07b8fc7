// Formula text: the driver that walks a text character by character, the
// glyph renderer that gives each character its font, magnification, offset
// and advance, and the stacked fractions; and literal text, drawn by the
// same glyph renderer with every character an ordinary glyph.
//
// The markup state (JYOU, JYOUK, HROOT, TXM) is program-wide and never reset
// here: a text is expected to close what it opens, and whatever it leaves
// open acts on the next text. BUN is 1 only while DrawFraction measures or
// draws the parts of a fraction.
#include <string>
#include <vector>

#include "framework/framework.h"

namespace {

const std::string kGothic = "ゴシック";

}  // namespace

// Draws AA$ from the pen (X, Y) in CCC1 and consumes it. Fractions "ﾀ...ﾀ",
// the tall radical "#" and the raise mark "^" are taken here; every other
// character goes to DrawFormulaChars. X comes back after the text, Y and the
// pen width as they were.
void Framework::DrawText() {
  while (TakeTextChar()) {
    if (A_S == "ﾀ") {
      // A "ﾀ" without a partner is dropped and the rest drawn as it stands.
      N = static_cast<float>(KINSTR(AA_S, "ﾀ"));
      if (N != 0) {
        A_S = KLEFT(AA_S, N - 1);
        AA_A_S = KRIGHT(AA_S, LEM - N - 1);
        DrawFraction();
        AA_S = AA_A_S;
      }
    } else if (A_S == "#" && BUN != 1) {
      // The tall radical over a fraction; inside a fraction part "#" is a
      // plain glyph, so measuring a part never leaves an overline open.
      SETDRAWWIDTH(3);
      CONNECT({{X + 4, Y + 36}, {X + 8, Y + 24}, {X + 16, Y + 60}, {X + 30, Y - 14}, {X + 38, Y - 14}},
              static_cast<int>(CCC1));
      HROOT = 22;
      SETDRAWWIDTH(DR);
      X = X + 32;
      TXM = X;
    } else if (A_S == "^") {
      JYOU = 1;
    } else {
      DrawFormulaChars();
    }
  }
}

// Draws AA$ from the pen (X, Y) in CCC1 and consumes it, letter for letter:
// every character an ordinary glyph of the Gothic face, none of DrawText's
// notation ("ﾀ", "#", "^", the script "l", the italic letters, "%" as "°"
// ...). A radical left open by an earlier text still overlines it. X comes
// back after the text, Y and the pen width as they were; the scratch
// variables are left as DrawText leaves them after a text without notation.
void Framework::DrawLiteralText() {
  // Each character is a glyph run of its own, as DrawText hands it over.
  while (TakeTextChar()) {
    BeginGlyphRun();
    I = 1;
    B_S = KMID(R_S, I, 1);
    TA2 = static_cast<float>(LEN(B_S));
    OrdinaryGlyph(BUN == 1);
    OverlinePiece(BUN == 1);
    I = I + 1;
    EndGlyphRun();
  }
}

// Takes the first character of AA$ into A$, with DR the pen width and LEM
// the length before the take. When AA$ is spent it sets the pen width back
// to DR and returns false.
bool Framework::TakeTextChar() {
  DR = GETDRAWWIDTH();
  LEM = static_cast<float>(KLEN(AA_S));
  if (LEM == 0) {
    SETDRAWWIDTH(DR);
    return false;
  }
  A_S = KLEFT(AA_S, 1);
  AA_S = KRIGHT(AA_S, LEM - 1);
  return true;
}

// Starts a glyph run over A$ at the pen: TX, TY the pen, DR its width, R$
// the characters and NAG their count, in "ゴシック" 16, bold, upright.
void Framework::BeginGlyphRun() {
  TX = X;
  TY = Y;
  DR = GETDRAWWIDTH();
  R_S = A_S;
  NAG = static_cast<float>(KLEN(R_S));
  SETFONTNAME(kGothic);
  SETFONTSIZE(16);
  SETFONTBOLD(-1);
  SETFONTITALIC(0);
}

// Ends a glyph run: the pen at TX, TY, bold off and the pen width DR.
void Framework::EndGlyphRun() {
  X = TX;
  Y = TY;
  SETFONTBOLD(0);
  SETDRAWWIDTH(DR);
}

// One glyph B$ of the current font at an offset from the pen (TX, TY) in
// CCC1, then the advance. An empty character draws nothing but still
// advances.
void Framework::Glyph(float dx, float dy, float mh, float mv, float advance) {
  if (!B_S.empty()) SYMBOL(TX + dx, TY + dy, B_S, mh, mv, static_cast<int>(CCC1));
  TX = TX + advance;
}

// A glyph of the Gothic face at another size; the run's size 16 after it.
void Framework::SizedGlyph(float size, float dx, float dy, float mh, float mv, float advance) {
  SETFONTSIZE(size);
  Glyph(dx, dy, mh, mv, advance);
  SETFONTSIZE(16);
}

// An ordinary glyph of the Gothic face, by its byte length TA2 and mode.
void Framework::OrdinaryGlyph(bool fraction) {
  if (TA2 == 2 && fraction)
    SizedGlyph(11, 0, 0, 3, 3, 38);
  else if (TA2 == 2)
    Glyph(0, 0, 2, 3, 34);
  else if (fraction)
    Glyph(0, 0, 4, 2, 32);
  else
    Glyph(0, 0, 3, 3, 27);
}

// The open radical's overline runs from TXM to the new pen; the tall
// radical's is drawn over a fraction by DrawFraction itself. Without an
// overline TXM follows the pen.
void Framework::OverlinePiece(bool fraction) {
  float above = HROOT == 1 ? 4 : HROOT == 11 ? 6 : HROOT == 22 && !fraction ? 14 : 0;
  if (above == 0) {
    TXM = TX;
    return;
  }
  SETDRAWWIDTH(3);
  LINE(TXM, TY - above, TX, TY - above, static_cast<int>(CCC1));
}

// Draws the characters of A$ from the pen (X, Y) in CCC1, each by the first
// matching case below, in fraction mode when BUN = 1. Returns X after the
// last advance; leaves "ゴシック" 16, bold and italic off, and the pen width
// of the entry.
void Framework::DrawFormulaChars() {
  const int colour = static_cast<int>(CCC1);
  BeginGlyphRun();

  // Line figures: an outline through offsets from the pen.
  auto figure = [&](std::vector<rt::Point> points, float width, float advance) {
    for (auto& [px, py] : points) px = TX + px, py = TY + py;
    SETDRAWWIDTH(width);
    CONNECT(points, colour);
    SETDRAWWIDTH(3);
    TX = TX + advance;
    TXM = TX;
  };
  // Strokes of "-" and "+": the horizontal one, and the vertical one when
  // it has a length.
  auto strokes = [&](float hx, float hy, float hl, float vx, float vy, float vl, float advance) {
    SETDRAWWIDTH(5);
    LINE(TX + hx, TY + hy, hl, 0, colour, 0, -1, true);
    if (vl > 0) LINE(TX + vx, TY + vy, 0, vl, colour, 0, -1, true);
    SETDRAWWIDTH(3);
    TX = TX + advance;
  };

  // The loop tests its bound after each pass: an empty text makes one pass.
  I = 1;
  do {
    B_S = KMID(R_S, I, 1);
    if (B_S == "%") B_S = "°";
    if (B_S == "*") B_S = "×";
    if (B_S == "/") B_S = "÷";
    if (B_S == "@") B_S = "±";
    if (B_S == "!") B_S = "√";
    const bool fraction = BUN == 1;

    // Marks and drawn signs: no overline piece after them.
    bool sign = true;
    if (B_S == "^") {
      JYOU = 1;
    } else if (B_S == "\\") {
      JYOUK = 1;
    } else if (B_S == "ﾝ") {
      HROOT = 0;
    } else if (B_S == "√" && fraction) {
      figure({{4, 24}, {8, 13}, {16, 29}, {24, -6}, {26, -6}}, 3, 26);
      HROOT = 11;
    } else if (B_S == "√") {
      figure({{4, 36}, {8, 24}, {16, 40}, {24, -4}, {32, -4}}, 3, 28);
      HROOT = 1;
    } else if (B_S == "&") {
      figure({{4, 40}, {25, 40}, {32, 8}, {11, 8}, {4, 40}}, 5, 36);
    } else if (B_S == "＃") {
      figure({{10, 8}, {4, 36}, {26, 36}, {32, 8}, {10, 8}}, 5, 36);
    } else {
      sign = false;
    }

    if (!sign) {
      TA2 = static_cast<float>(LEN(B_S));
      const bool italicLetter = B_S == "a" || B_S == "x" || B_S == "c";
      if (B_S == ".") {
        Glyph(-3, 14, 3, 2, 8);
      } else if (B_S == "'" || B_S == "°") {
        Glyph(0, 0, 3, 3, 12);
      } else if (B_S == "=") {
        SizedGlyph(14, 4, 0, 3, 3, 32);
      } else if (JYOUK == 1) {
        SizedGlyph(8, 0, -10, 6, 3, 24);
        JYOUK = 0;
      } else if (JYOU == 1 && fraction) {
        SizedGlyph(8, 0, -4, 6, 3, 24);
        JYOU = 0;
      } else if (JYOU == 1) {
        Glyph(0, 0, 3, 2, 24);
        JYOU = 0;
      } else if (italicLetter) {
        SETFONTNAME("Times New Roman");
        SETFONTSIZE(8);
        SETFONTITALIC(-1);
        if (fraction)
          Glyph(4, -16, 12, 5, 32);
        else
          Glyph(4, -22, 10, 7, 27);
        SETFONTNAME(kGothic);
        SETFONTSIZE(16);
        SETFONTITALIC(0);
      } else if (B_S == "l") {
        // The script ell of the symbol face.
        SETFONTNAME("MT Extra");
        Glyph(0, 0, 6, 3, 32);
        SETFONTNAME(kGothic);
      } else if (B_S == "-" && fraction) {
        strokes(6, 14, 20, 0, 0, 0, 32);
      } else if (B_S == "+" && fraction) {
        strokes(6, 14, 20, 16, 4, 20, 32);
      } else if (B_S == "-") {
        strokes(4, 20, 19, 0, 0, 0, 27);
      } else if (B_S == "+") {
        strokes(4, 22, 19, 13, 10, 24, 27);
      } else if ((B_S == "×" || B_S == "÷" || B_S == "±") && !fraction) {
        Glyph(-4, 0, 2, 3, 27);
      } else if (B_S == " ") {
        TX = TX + 27;
      } else {
        OrdinaryGlyph(fraction);
      }
      OverlinePiece(fraction);
    }
    I = I + 1;
  } while (I <= NAG);

  EndGlyphRun();
}

// Draws the fraction A$ (numerator "/" denominator) stacked at the pen: both
// parts measured and drawn in fraction mode and centred on a bar as long as
// the wider one. Returns X at the bar's right end; Y, the pen width and
// BUN = 0 as they were.
void Framework::DrawFraction() {
  XT = X;
  YT = Y;
  TA5 = static_cast<float>(KINSTR(A_S, "!"));
  TA6 = static_cast<float>(KINSTR(A_S, "√"));
  // Split at the first "/"; without one the whole text is the numerator
  // over an empty denominator.
  const int slash = KINSTR(A_S, "/");
  if (slash == 0) {
    RTASKAI1_S = A_S;
    RTASKAI2_S = "";
  } else {
    RTASKAI1_S = KLEFT(A_S, slash - 1);
    RTASKAI2_S = KMID(A_S, slash + 1);
  }

  // Each part's width: laid out by DrawText off the page, in fraction mode.
  auto measurePart = [&](const std::string& part) {
    X = XT;
    Y = YT;
    A_S = part;
    BUN = 1;
    MeasureText();
    return LLT;
  };
  TBSI = measurePart(RTASKAI1_S);
  TBBO = measurePart(RTASKAI2_S);
  BUN = 0;

  NAGA = TBSI >= TBBO ? TBSI : TBBO;
  TBSI1 = (NAGA - TBSI) / 2;
  TBBO1 = (NAGA - TBBO) / 2;

  const int colour = static_cast<int>(CCC1);
  DR = GETDRAWWIDTH();
  SETDRAWWIDTH(4);
  BSEN = YT + 25;
  LINE(XT, BSEN, XT + NAGA, BSEN, colour);
  SETDRAWWIDTH(DR);
  // A tall radical still open after the parts were measured (a "ﾝ" inside
  // them closes it) gets its overline over the whole bar.
  if (HROOT == 22) {
    SETDRAWWIDTH(3);
    LINE(XT, YT - 14, XT + NAGA, YT - 14, colour);
    SETDRAWWIDTH(DR);
  }

  // A denominator with a radical or a raise sits lower, and lower again
  // when the fraction holds a radical anywhere.
  TA1 = static_cast<float>(KINSTR(RTASKAI2_S, "√"));
  if (TA1 == 0) TA1 = static_cast<float>(KINSTR(RTASKAI2_S, "!"));
  TA2 = static_cast<float>(KINSTR(RTASKAI2_S, "^"));
  Y = YT + (TA1 != 0 || TA2 != 0 ? 36 : 28);
  if (TA5 != 0 || TA6 != 0) Y = Y + 8;

  auto drawPart = [&](float indent, float top, const std::string& part) {
    X = XT + indent;
    Y = top;
    BUN = 1;
    A_S = part;
    DrawFormulaChars();
  };
  drawPart(TBBO1, Y, RTASKAI2_S);
  drawPart(TBSI1, YT - 10, RTASKAI1_S);

  BUN = 0;
  X = XT + NAGA;
  Y = YT;
}
