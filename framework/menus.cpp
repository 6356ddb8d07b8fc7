#include "framework/pending.h"

// Until the menus come, the program waits for its window to close.
void Framework::MainMenu() {
  for (;;) INKEY();
}

PENDING_ROUTINE(EmptyChapterStub)

void Framework::ChapterMenu(const std::string&, const std::vector<LessonScreenFn>&) {}

void Framework::ClearPage(float width, float height) { LINE(0, 0, width, height, 15, 2, 15, true); }
