// Identifiers of the test provider component (ks_providerserver_test_provider),
// shared by the component and the tests that register and drive it.
#pragma once

#include "ksguid.h"

// Two provider classes: the full one answers IKSDataProvider,
// IKSDataProvider2, IKSDataProvider3 and IKSMSDatasetReader; the plain one
// only IKSDataProvider. A class whose short name ("KSFullProvider",
// "KSPlainProvider") is listed in the environment variable below
// (comma-separated) cannot be created.
inline constexpr GUID LIBID_KSTestProvider = ks::guid("6E0B7A11-52C4-4C1D-9A57-0E1F3C6A2B01");
inline constexpr CLSID CLSID_KSTestFullProvider = ks::guid("6E0B7A12-52C4-4C1D-9A57-0E1F3C6A2B01");
inline constexpr CLSID CLSID_KSTestPlainProvider = ks::guid("6E0B7A13-52C4-4C1D-9A57-0E1F3C6A2B01");
inline constexpr const char* kTestProviderFailVariable = "KS_TEST_PROVIDER_FAIL";

// What the two classes report about themselves.
inline constexpr const wchar_t* kFullClassID = L"{6E0B7A12-52C4-4C1D-9A57-0E1F3C6A2B01}";
inline constexpr const wchar_t* kFullClassName = L"KSTestProvider.KSFullProvider";
inline constexpr const wchar_t* kFullCopyright = L"Copyright (c) Kestrom test";
inline constexpr const wchar_t* kFullMenuName = L"Full Test Data";
inline constexpr const wchar_t* kFullSupplier = L"Kestrom";
inline constexpr const wchar_t* kFullVersion = L"1.00";
inline constexpr LONG kFullFlags = 4 | 1;  // MSDatasetReader | SpectrumReader
inline constexpr const wchar_t* kFullDataServerClassID = L"{6E0B7A14-52C4-4C1D-9A57-0E1F3C6A2B01}";
inline constexpr const wchar_t* kFullFilter = L"Full Test Data (*.ftd)";

// Lower-case braced class identifier, as some providers write theirs.
inline constexpr const wchar_t* kPlainClassID = L"{6e0b7a13-52c4-4c1d-9a57-0e1f3c6a2b01}";
inline constexpr const wchar_t* kPlainClassName = L"KSTestProvider.KSPlainProvider";
inline constexpr const wchar_t* kPlainCopyright = L"Copyright (c) Kestrom plain";
inline constexpr const wchar_t* kPlainMenuName = L"Plain Test Data";
inline constexpr const wchar_t* kPlainSupplier = L"Kestrom";
inline constexpr const wchar_t* kPlainVersion = L"2.10";
inline constexpr LONG kPlainFlags = 2;  // SpectrumWriter
