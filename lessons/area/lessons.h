// Dravolin's lesson set.
#pragma once

#include "framework/framework.h"

class AreaLessons : public Framework {
 public:
  explicit AreaLessons(rt::Runtime& runtime);
};
