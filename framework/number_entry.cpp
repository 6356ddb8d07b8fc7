#include "framework/pending.h"

PENDING_ROUTINE(InputNumberText)
PENDING_ROUTINE(InputKeyLoop)
PENDING_ROUTINE(ParseInputNumber)
