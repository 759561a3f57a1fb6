// Fake data servers for the dataset-access tests, served by the component
// ks_dataaccess_test_servers. Eight classes ("slots" 1 to 8); slots 7 and 8
// also answer IKSDataServer2. Each reads its behaviour from the registry at
// every call, below HKEY_CURRENT_USER\Software\KSDataAccessTest\Server<slot>:
//
//   "Valid"           DWORD  what IsValidDataset answers (0)
//   "ValidResult"     DWORD  IsValidDataset's HRESULT (S_OK)
//   "OpenResult"      DWORD  Open's and OpenFromStorage's HRESULT (S_OK)
//   "CreateResult"    DWORD  a failure here makes creation fail (S_OK)
//   "CreateLimit"     DWORD  creations allowed (counted in the log); later
//                            ones fail with E_OUTOFMEMORY (no limit)
//   "Injections"      DWORD  number of injections, also InjectionCountFromPath (1)
//   "FunctionsResult" DWORD  get_Functions' HRESULT (S_OK)
//   "FailItem"        DWORD  the function number whose Item fails with E_FAIL (none)
//   "FailName"        DWORD  the function number whose Name fails with E_FAIL (none)
//   "Functions"       SZ     "name,type,order,polarity;..." ("MS,1,1,1")
//
// and appends what happens to $TMPDIR/fakeservers.log, one line each:
//   create|valid|count|open|storage|release <slot> <instance> [<path>]
// (instance numbers count creations in the process from 1).
#pragma once

#include "ksguid.h"

inline constexpr int kFakeServerSlots = 8;

inline GUID fakeServerClsid(int slot)
{
    GUID g{0x5EC0A11Du, 0x7E57, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, static_cast<BYTE>(slot)}};
    return g;
}

inline constexpr const wchar_t* kFakeScriptKey = L"Software\\KSDataAccessTest";
