// The prompt band at the bottom of the page: key waits, the prompts with
// their number entry, and the erasers that take each prompt away again.
#include "framework/framework.h"

// The step pause: a framed "何かキーを押して下さい。" until any key comes.
// CCC1 and the pen width are set back; I$ holds the key.
void Framework::WaitAnyKey() {
  CCC0 = CCC1;
  DR = GETDRAWWIDTH();
  SETDRAWWIDTH(3);
  LINE(96, 657, 400, 693, 13, 2, 4);
  CCC1 = 9;
  X = 128;
  Y = 666;
  AA_S = "何かキーを押して下さい。";
  DrawPlainText();
  do {
    I_S = INKEY();
  } while (I_S.empty());
  LINE(0, 657, 400, 693, 15, 2, 15);
  CCC1 = CCC0;
  SETDRAWWIDTH(DR);
}

// The same wait with the caller's hint in AA$, in a wider frame.
void Framework::PauseWithMessage() {
  CCC0 = CCC1;
  DR = GETDRAWWIDTH();
  SETDRAWWIDTH(3);
  LINE(16, 657, 480, 36, 13, 2, 4, true);
  CCC1 = 9;
  X = 48;
  Y = 666;
  DrawPlainText();
  do {
    I_S = INKEY();
  } while (I_S.empty());
  LINE(0, 657, 992, 720, 15, 2, 15);
  CCC1 = CCC0;
  SETDRAWWIDTH(DR);
}

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
