// Identity of the platform runtime library.
extern "C" __attribute__((visibility("default"))) const char* ksPlatformVersion()
{
    return "ksplatform 1.0";
}
