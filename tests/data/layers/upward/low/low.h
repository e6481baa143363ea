#pragma once
// A low layer that reaches up.
#include "high/high.h"
