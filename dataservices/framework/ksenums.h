// Enums of the data-services contract that the framework's spectrum records
// and the reader contract carry. They are the contract's own (same names,
// same 32-bit values), so the framework and the contract headers can be
// included together.
#pragma once

#include "kscontractenums.h"
