#include "framework/pending.h"

PENDING_ROUTINE(WaitAnyKey)
PENDING_ROUTINE(PauseWithMessage)
PENDING_ROUTINE(AskNextStep)
PENDING_ROUTINE(AskMenuNumber)
PENDING_ROUTINE(ClearMenuPrompt)
PENDING_ROUTINE(AskSubMenuChoice)
PENDING_ROUTINE(ClearSubMenuLine)
PENDING_ROUTINE(ClearWorkArea)
PENDING_ROUTINE(ClearInputBand)
PENDING_ROUTINE(FlushKeys)
