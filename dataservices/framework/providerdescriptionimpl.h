// One provider record as the provider server keeps it: what a provider
// reported about itself when it was registered, and what the provider key
// below HKEY_CURRENT_USER\Software\Kestrom\Data Services holds.
#pragma once

#include "kstypes.h"

#include <string>

struct CKSProviderDescriptionImpl {
    std::wstring ClassID;            // the provider's class identifier in braces (the key name)
    std::wstring DataServerClassID;  // "DataServer Class ID"; empty when the provider has none
    std::wstring ClassName;          // "Class Name": the provider's programmatic identifier
    std::wstring Copyright;          // "Copyright"
    std::wstring MenuName;           // "Menu Name"
    std::wstring Supplier;           // "Supplier"
    std::wstring Version;            // "Version"
    std::wstring FileFilter;         // "File Filter"; empty when the provider has none
    LONG ProviderFlags = 0;          // "Provider Flags": ProviderFlagT bits
};
