// The menus: the main menu lists the lesson set's chapters and opens the
// chosen one; a chapter loops on its sub-menu until its last item. Every
// level is a loop that the level below returns to, so a whole lesson of
// going round the menus never deepens the call stack.
#include "framework/framework.h"

// Draws the menu, reads a number and opens its chapter; when the chapter
// returns, the menu is drawn again. An empty item or a number out of range
// draws the menu again at once; the last item ends the program.
void Framework::MainMenu() {
  const float items = static_cast<float>(mainMenuTable.size());
  for (;;) {
    ClearWorkArea();
    ClearPage();
    LINE(22, 10, 1320, 600, 15, 2, 10, true);
    CCC1 = 15;
    X = 264;
    Y = 30;
    AA_S = "＜" + TITLE_S + "　メニュー＞";
    // The name is spelt letter for letter: its "l" and "a" are not the
    // script ell and the italic letter of a formula.
    DrawLiteralText();
    for (size_t k = 1; k <= mainMenuTable.size(); ++k) {
      CCC1 = k % 2 == 1 ? 13 : 15;
      X = 44;
      Y = 120 + 60 * static_cast<float>(k - 1);
      AA_S = mainMenuTable[k - 1].text;
      DrawText();
    }
    AskMenuNumber();
    ClearMenuPrompt();
    if (AINP == items) END();
    if (AINP < 1 || AINP > items) continue;
    ClearPage();
    const MainMenuItem& item = mainMenuTable[static_cast<size_t>(INT(AINP)) - 1];
    if (item.target) {
      item.target();
    } else {
      EmptyChapterStub();
    }
  }
}

// An item without a chapter: back to the main menu, which draws itself
// again.
void Framework::EmptyChapterStub() {}

// The sub-menu loop of a chapter: items 1 to N - 1 run their screens, each
// of which returns here; item N returns to the main menu. A number out of
// range shows the item line again over the page as it stands.
void Framework::ChapterMenu(const std::string& subMenuLine, const std::vector<LessonScreenFn>& screens) {
  const float items = static_cast<float>(screens.size() + 1);
  for (;;) {
    AA_S = subMenuLine;
    AskSubMenuChoice();
    SENTAKU = AINP;
    ClearSubMenuLine();
    if (SENTAKU < 1 || SENTAKU > items) continue;
    const size_t item = static_cast<size_t>(INT(SENTAKU));
    if (item == screens.size() + 1) return;
    if (screens[item - 1]) screens[item - 1]();
  }
}

void Framework::ClearPage(float width, float height) { LINE(0, 0, width, height, 15, 2, 15, true); }
