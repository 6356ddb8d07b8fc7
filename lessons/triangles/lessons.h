// Kelvaro's lesson set.
#pragma once

#include "framework/framework.h"

class TriangleLessons : public Framework {
 public:
  explicit TriangleLessons(rt::Runtime& runtime);
};
