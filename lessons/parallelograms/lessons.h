// Sindrel's lesson set.
#pragma once

#include "framework/framework.h"

class ParallelogramLessons : public Framework {
 public:
  explicit ParallelogramLessons(rt::Runtime& runtime);
};
