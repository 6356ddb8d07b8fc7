// A routine whose body is still to come: calling it is a runtime error.
#pragma once

#include "framework/framework.h"

#define PENDING_ROUTINE(name) \
  void Framework::name() { rt::raise(rt::kIllegalFunctionCall, #name " is not available yet"); }
