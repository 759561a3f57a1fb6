// Reader settings kept in the current user's registry hive: the folder a
// provider's file dialog starts in ("Source Path") and the folder it last
// wrote to ("Destination Path"), per provider and per application, under
//   \Software\Kestrom\Data Services\<key name>\Applications\<application>\<value>
// The key name is the provider's class identifier in registry format, in
// braces (the dataset browse dialogs use "Dataset browser").
//
// Registry paths separate their components with "\" or "/"; a leading
// separator is ignored. Every component but the last is a key, the last is
// the value name. Values are REG_SZ without a terminating zero.
#pragma once

#include <string>

#include "ksregistry.h"

// The application component of the settings path. Each deliverable (a
// component with its own static copy of this framework behind hidden
// visibility) sets it once, before its first settings call; the name lives
// in that copy, so it is per module. Until set, or set empty, the name is
// "DefaultApp".
void SetSettingsAppName(const std::wstring& name);
std::wstring GetSettingsAppName();

// Names this module's application when the module is loaded, so that each
// component keeps its settings apart from every other program's. Placed
// once, at namespace scope, in a component's module file, with the
// deliverable's name: KS_SETTINGS_APP_NAME(L"KSTextProvider");
#define KS_SETTINGS_APP_NAME(name) \
    static const bool ks_settingsAppNameAtLoad = (SetSettingsAppName(name), true)

// path becomes the settings path of keyName and valueName for this module's
// application (cut at 1024 characters).
void MakeSettingsPath(const std::wstring& keyName, const std::wstring& valueName, std::wstring& path);

// text becomes empty, then the stored value when it can be read.
void ReadSourcePath(const std::wstring& keyName, std::wstring& text);
void ReadDestinationPath(const std::wstring& keyName, std::wstring& text);
// Store text when it is not empty (an empty text changes nothing); failures
// are not reported.
void WriteSourcePath(const std::wstring& keyName, const std::wstring& text);
void WriteDestinationPath(const std::wstring& keyName, const std::wstring& text);

// Reads the value at path below root, of any length and without checking
// its type; the text ends at its first zero character. False (text
// unchanged) when a key or the value is missing or cannot be read.
bool ReadRegistryText(HKEY root, const std::wstring& path, std::wstring& text);
// Creates the keys of path below root as needed and stores text as REG_SZ.
bool WriteRegistryText(HKEY root, const std::wstring& path, const std::wstring& text);
// first becomes the first component of path (leading separators skipped);
// rest everything after the separator that ended it (possibly starting with
// more separators). Answers whether rest is not empty.
bool SplitRegistryPath(const std::wstring& path, std::wstring& first, std::wstring& rest);
