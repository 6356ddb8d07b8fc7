// Orbanet's lesson set.
#pragma once

#include "framework/framework.h"

class SpecialLessons : public Framework {
 public:
  explicit SpecialLessons(rt::Runtime& runtime);
};
