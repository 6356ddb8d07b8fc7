// The prompt band at the bottom of the page: key waits, the prompts with
// their number entry, and the erasers that take each prompt away again.
#include "framework/framework.h"

namespace {

// The key waits' common script: the caller's CCC1 and pen width kept in
// CCC0 and DR, the frame (x1, 657)-(x2, 693) at width 3, border 13 and fill
// 4, the text of AA$ from (textX, 666) in colour 9, the key into I$, the
// eraser (0, 657)-(eraseX, eraseY) still at width 3, then colour and width
// set back.
void keyWaitInFrame(Framework& f, float x1, float x2, float textX, float eraseX, float eraseY) {
  f.CCC0 = f.CCC1;
  f.DR = f.GETDRAWWIDTH();
  f.SETDRAWWIDTH(3);
  f.LINE(x1, 657, x2, 693, 13, 2, 4);
  f.CCC1 = 9;
  f.X = textX;
  f.Y = 666;
  f.DrawPlainText();
  do {
    f.I_S = f.INKEY();
  } while (f.I_S.empty());
  f.LINE(0, 657, eraseX, eraseY, 15, 2, 15);
  f.CCC1 = f.CCC0;
  f.SETDRAWWIDTH(f.DR);
}

}  // namespace

// The step pause: a framed "何かキーを押して下さい。" until any key comes;
// its eraser leaves the band right of x = 400 alone.
void Framework::WaitAnyKey() {
  AA_S = "何かキーを押して下さい。";
  keyWaitInFrame(*this, 96, 400, 128, 400, 693);
}

// The same wait with the caller's hint in AA$, in a frame 480 wide; its
// eraser takes the whole item-line band.
void Framework::PauseWithMessage() { keyWaitInFrame(*this, 16, 16 + 480, 48, 992, 720); }

// The drill prompt: "次のステップは１を入力。" and a number entry. The pen
// width is set back, CCC1 is not.
void Framework::AskNextStep() {
  DR = GETDRAWWIDTH();
  SETDRAWWIDTH(2);
  LINE(96, 639, 400, 675, 13, 2, 12);
  CCC1 = 9;
  X = 128;
  Y = 648;
  AA_S = "次のステップは１を入力。";
  DrawPlainText();
  InputNumberText();
  ParseInputNumber();
  LINE(96, 639, 400, 675, 15, 2, 15);
  SETDRAWWIDTH(DR);
}

// The main menu's prompt and number entry; ClearMenuPrompt erases both.
void Framework::AskMenuNumber() {
  CCC1 = 0;
  X = KAIX - 240;
  Y = KAIY;
  AA_S = "番号を入力して下さい。";
  DrawPlainText();
  InputNumberText();
  ParseInputNumber();
}

void Framework::ClearMenuPrompt() { LINE(KAIX - 240, KAIY - 8, 1056, 50, 15, 2, 15, true); }

// A chapter's item line (AA$) and number entry; the line stays until
// ClearSubMenuLine.
void Framework::AskSubMenuChoice() {
  CCC1 = 0;
  X = 16;
  Y = 666;
  DrawPlainText();
  InputNumberText();
  ParseInputNumber();
}

void Framework::ClearSubMenuLine() { LINE(0, 657, 992, 720, 15, 2, 15); }

// Erases the page below its top strip.
void Framework::ClearWorkArea() { LINE(0, 54, 1440, 900, 15, 2, 15); }

void Framework::ClearInputBand() {
  X = KAIX + 80;
  Y = KAIY - 72;
  LINE(X, Y, 1440, 90, 15, 2, 15, true);
}

// Takes every key typed ahead.
void Framework::FlushKeys() {
  do {
    I_S = INKEY();
  } while (!I_S.empty());
}
