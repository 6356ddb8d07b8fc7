#include "framework/pending.h"

PENDING_ROUTINE(DrawText)
PENDING_ROUTINE(DrawFormulaChars)
PENDING_ROUTINE(DrawFraction)
