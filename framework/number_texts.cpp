#include "framework/pending.h"

PENDING_ROUTINE(SimplifySquareRoot)
PENDING_ROUTINE(PrimeFactors)
PENDING_ROUTINE(ListDivisors)
PENDING_ROUTINE(NegateSignText)
PENDING_ROUTINE(StripSign)
PENDING_ROUTINE(StripPlusSign)
PENDING_ROUTINE(ParenthesizeNegative)
