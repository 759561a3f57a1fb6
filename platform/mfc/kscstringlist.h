// A list of CString values (copies).
#pragma once

#include "kscobject.h"
#include "kscstring.h"
#include "kslist.h"

class CStringList : public CObject, public ks::mfc::NodeList<CString> {
    DECLARE_DYNAMIC(CStringList)
public:
    explicit CStringList(intptr_t nBlockSize = 10) : ks::mfc::NodeList<CString>(nBlockSize) {}
    ~CStringList() override = default;
};
