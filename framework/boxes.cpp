#include "framework/pending.h"

PENDING_ROUTINE(MeasureText)
PENDING_ROUTINE(TextInBox)
PENDING_ROUTINE(BoxAroundText)
PENDING_ROUTINE(TwoLineTextBox)
