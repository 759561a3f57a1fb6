// Helpers shared by the library's sources; not exported.
#pragma once

#include "kscstring.h"
#include "kstypes.h"

#include <string>

namespace pellumor {

// The initial top registry key, "Software\Pardinel\Tavrion\".
extern const wchar_t kInitialTopKey[];

// Number text in the "C" locale, converted with a locale object of the
// calling thread only: the process locale is not touched.
std::wstring formatDouble(double value);
double parseDouble(const wchar_t* text);
std::wstring formatInt(int value);
// Automatic base (0x hexadecimal, leading 0 octal), or base 10; text that
// is no number gives 0; out-of-range values saturate.
int parseInt(const wchar_t* text, int base);

// Sets the process locale (all categories) to the user's default locale
// from the environment, or "C" when that cannot be set, under gCritSection.
void RestoreUserLocale();

// A string resource: the application's loader first, then the library's
// table. False when neither knows the identifier.
bool loadString(UINT id, CString& text);

}  // namespace pellumor
