// Identity of the ksdata tests' provider component.
#pragma once

#include "ksguid.h"

inline constexpr CLSID CLSID_KSDataTestProvider = ks::guid("C11E7E57-0002-4000-8000-000000000001");
inline constexpr const wchar_t* kTestProviderClsidText = L"{C11E7E57-0002-4000-8000-000000000001}";
inline constexpr const wchar_t* kTestProviderClassName = L"KSDataTest.Provider";
inline constexpr const wchar_t* kTestProviderMenuName = L"Test spectra";
