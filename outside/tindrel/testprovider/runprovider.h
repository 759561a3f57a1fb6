// Identity of the generated-run test provider (ks_tindrel_test_provider).
#pragma once

#include "ksguid.h"

inline constexpr GUID LIBID_KSTindrelTestProviderLib = ks::guid("A28E3176-9CEC-4847-9A72-9054B5345300");
inline constexpr CLSID CLSID_KSTindrelTestProvider = ks::guid("25DEF092-05A5-4401-A622-8A662B7591BD");
inline constexpr CLSID CLSID_KSTindrelTestDataServer = ks::guid("9DA01474-E8CC-409A-9566-14D8B5A3A037");

inline constexpr const wchar_t* kTindrelTestProviderClassId = L"{25DEF092-05A5-4401-A622-8A662B7591BD}";
inline constexpr const wchar_t* kTindrelTestDataServerClassId = L"{9DA01474-E8CC-409A-9566-14D8B5A3A037}";
inline constexpr const wchar_t* kTindrelTestProviderProgId = L"KSTindrelTest.RunProvider";
inline constexpr const wchar_t* kTindrelTestFilter = L"Generated Run (*.run)";
