#include "framework/pending.h"

PENDING_ROUTINE(DrawPlainText)
PENDING_ROUTINE(DrawPlainChars)
PENDING_ROUTINE(ToFullWidthChar)
PENDING_ROUTINE(StripSpaces)
PENDING_ROUTINE(ReseedRandom)
