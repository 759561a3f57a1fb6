#include "kscstringlist.h"

IMPLEMENT_DYNAMIC(CStringList, CObject)
