#include "kscoblist.h"

IMPLEMENT_DYNAMIC(CObList, CObject)
