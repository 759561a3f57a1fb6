// Paths and texts as the vendor stand-ins receive and answer them: a path
// BSTR in either separator, the stand-in's files found inside a dataset
// folder without regard to case, manifest texts (UTF-8) answered as BSTRs.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ksbstr.h"
#include "kswinerror.h"

namespace vendorkit {

// The UTF-8 file-system form of a path argument, "\" taken as "/"; a null
// BSTR is "".
std::string fileSystemPath(BSTR path);

// The path of the entry `name` inside `folder`, found without regard to
// case (ks::findNameNoCase): "folder/Name" as written in the folder, or
// nothing when the folder holds no such entry or cannot be read. Whether
// the entry is a regular file is the reader's check (readManifestFile).
std::optional<std::string> findInFolder(const std::string& folder, const std::string& name);

// Manifest text (UTF-8) as wide text; bytes outside UTF-8 stand for
// themselves (ks::wideFromFileName).
std::wstring wideText(std::string_view utf8);

// A new BSTR of the text for an out argument: E_POINTER for a null out,
// E_OUTOFMEMORY when it cannot be made.
HRESULT textOut(std::string_view utf8, BSTR* out);

}  // namespace vendorkit
