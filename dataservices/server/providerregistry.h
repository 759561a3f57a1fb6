// The provider list in the registry: one key per provider below
// HKEY_CURRENT_USER\Software\Kestrom\Data Services, named by the provider's
// class identifier.
#pragma once

#include "providerdescriptionimpl.h"

#include <vector>

// The key below HKEY_CURRENT_USER that holds the provider keys.
inline constexpr const wchar_t* kDataServicesKey = L"Software\\Kestrom\\Data Services";

// Every provider key that holds the six required values, in the
// registry's enumeration order. Keys that lack one, hold one of the wrong
// type or a string without its terminator are left out (the other
// settings kept under the same key among them). A missing root key gives
// an empty list.
std::vector<CKSProviderDescriptionImpl> LoadProviderList();

// Creates or opens the provider's key and writes its eight values.
// S_OK, or the registry's failure as an HRESULT.
HRESULT WriteProviderKey(const CKSProviderDescriptionImpl& record, const std::wstring& dataServerClassID,
                         const std::wstring& fileFilter);

// Deletes the provider's key with everything below it; a provider that is
// not there is no error.
HRESULT DeleteProviderKey(const std::wstring& classID);
