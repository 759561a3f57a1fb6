// The settings library of the data system: registry keys, value keys with
// their limits, the settings functions, version texts, profile functions
// and the device configuration.
#pragma once

#include "deviceconfig.h"
#include "fregkey.h"
#include "profilefuncs.h"
#include "tavrionsettings.h"
#include "valkeys.h"
