// A list of CObject pointers. The list never owns what it points to.
#pragma once

#include "kscobject.h"
#include "kslist.h"

class CObList : public CObject, public ks::mfc::NodeList<CObject*> {
    DECLARE_DYNAMIC(CObList)
public:
    explicit CObList(intptr_t nBlockSize = 10) : ks::mfc::NodeList<CObject*>(nBlockSize) {}
    ~CObList() override = default;
};
