// The settings library of the data system: registry keys, value keys with
// their limits, and the settings functions.
#pragma once

#include "fregkey.h"
#include "tavrionsettings.h"
#include "valkeys.h"
