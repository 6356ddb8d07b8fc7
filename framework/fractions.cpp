#include "framework/pending.h"

PENDING_ROUTINE(ReduceFraction)
PENDING_ROUTINE(GcdLcm)
PENDING_ROUTINE(AddFractions)
PENDING_ROUTINE(NumbersToTexts)
