// The host core-library stand-in `Tindrel`: every exported class.
#pragma once

#include "tindrelglobal.h"
#include "tkscollection.h"
#include "tkscomposition.h"
#include "tksdataserver.h"
#include "tkselements.h"
#include "tksisotope.h"
#include "tksmatcher.h"
#include "tksmolecule.h"
#include "tkspeakdetect.h"
#include "tksvalues.h"
