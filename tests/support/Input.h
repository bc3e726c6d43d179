#pragma once
// Merged into support/TestDialog.h; stays until the control tests include that one.
#include "support/TestDialog.h"
