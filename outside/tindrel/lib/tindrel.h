// The host core-library stand-in `Tindrel`: every exported class.
#pragma once

#include "tindrelglobal.h"
#include "tkscollection.h"
#include "tksdataserver.h"
#include "tkspeakdetect.h"
#include "tksvalues.h"
