// A minimal component: the four entry points, plus symbols that must stay
// private to the module.
int ks_selftest_framework_function(int x);

#define SELFTEST_EXPORT extern "C" __attribute__((visibility("default")))

SELFTEST_EXPORT int DllCanUnloadNow() { return 0; }
SELFTEST_EXPORT int DllRegisterServer() { return ks_selftest_framework_function(0); }
SELFTEST_EXPORT int DllUnregisterServer() { return 0; }
SELFTEST_EXPORT int DllGetClassObject(const void*, const void*, void** out)
{
    if (out) *out = nullptr;
    return ks_selftest_framework_function(1);
}

// Exported by visibility but not part of the component's interface.
SELFTEST_EXPORT int ks_selftest_stray_export() { return 7; }
int ks_selftest_internal() { return 8; }
