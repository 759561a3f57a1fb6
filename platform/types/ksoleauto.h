// Everything of the automation data types in one include: base types,
// result codes, GUIDs, BSTR, SAFEARRAY, VARIANT, IUnknown/IDispatch, dates.
#pragma once

#include "kstypes.h"
#include "kswinerror.h"
#include "ksguid.h"
#include "ksbstr.h"
#include "kssafearray.h"
#include "ksvariant.h"
#include "ksunknown.h"
#include "ksdate.h"
