// Creating objects through the class table and the registry.
#include "acttest.h"
#include "testcomponent.h"

#include "ksactivation.h"
#include "ksclassfactory.h"
#include "kscomptr.h"

#include <dlfcn.h>

#include <cstdio>
#include <atomic>
#include <filesystem>
#include <thread>

#include <unistd.h>

using namespace acttest;

namespace {

constexpr CLSID kOther = ks::guid("6D1A7C20-33B4-4F0E-9A51-2C7E0B9D4A20");

std::wstring clsidKey(REFCLSID clsid)
{
    return L"CLSID\\" + ks::guidToString(clsid);
}

void registerWithKsregsvr(const std::string& module)
{
    auto r = tool("ksregsvr", {module});
    ASSERT_EQ(0, r.exitCode) << r.err;
}

LONG answerOf(IActivationSample* p)
{
    LONG answer = 0;
    EXPECT_EQ(S_OK, p->get_Answer(&answer));
    return answer;
}

}  // namespace

// Registered by ksregsvr in its own process, created here by CLSID and by
// ProgID; the module is the registered file.
TEST(Activation, CreatesRegisteredClassesByClsidAndProgId)
{
    registerWithKsregsvr(componentPath());
    ASSERT_EQ(S_OK, CoInitialize(nullptr));

    ks::ComPtr<IActivationSample> byClsid;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ActivationSample, nullptr, CLSCTX_ALL, KS_IID(IActivationSample),
                                     reinterpret_cast<void**>(byClsid.out())));
    ASSERT_TRUE(byClsid);
    EXPECT_EQ(42, answerOf(byClsid));
    ks::Bstr path;
    ASSERT_EQ(S_OK, byClsid->get_ModulePath(&path));
    EXPECT_EQ(wide(std::filesystem::canonical(componentPath()).string()), path.str());

    for (const wchar_t* progId : {L"KSActivationTest.Sample", L"KSActivationTest.Sample.1",
                                  L"ksactivationtest.plain", L"KSActivationTest.Plain.1"}) {
        CLSID clsid = GUID_NULL;
        ASSERT_EQ(S_OK, CLSIDFromProgID(progId, &clsid)) << progId;
        EXPECT_EQ(std::wstring(progId).find(L"lain") != std::wstring::npos ? CLSID_ActivationPlain
                                                                           : CLSID_ActivationSample,
                  clsid);
        ks::ComPtr<IDispatch> d;
        ASSERT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                         reinterpret_cast<void**>(d.out())));
        DISPID id = 0;
        LPOLESTR name = const_cast<LPOLESTR>(L"Answer");
        ASSERT_EQ(S_OK, d->GetIDsOfNames(IID_NULL, &name, 1, 0, &id));
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        ks::Variant result;
        ASSERT_EQ(S_OK, d->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr));
        EXPECT_EQ(42, result.lVal);
    }

    LPOLESTR progId = nullptr;
    ASSERT_EQ(S_OK, ProgIDFromCLSID(CLSID_ActivationSample, &progId));
    EXPECT_STREQ(L"KSActivationTest.Sample.1", progId);
    CoTaskMemFree(progId);

    // The component answers DllCanUnloadNow by its own objects.
    void* lib = dlopen(componentPath().c_str(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(nullptr, lib);
    auto canUnload = reinterpret_cast<HRESULT (*)()>(dlsym(lib, "DllCanUnloadNow"));
    ASSERT_NE(nullptr, canUnload);
    EXPECT_EQ(S_FALSE, canUnload());
    byClsid = nullptr;
    EXPECT_EQ(S_OK, canUnload());
    dlclose(lib);  // drops the reference NOLOAD took; the module stays loaded
    CoUninitialize();
}

// Every way a class cannot be created answers its code and a null pointer.
TEST(Activation, FailuresAnswerThePlatformCodes)
{
    const std::string text = ks::test::tempDir() + "/not-a-library.so";
    ks::test::writeFile(text, "just text\n");
    struct Case {
        const char* what;
        std::optional<std::wstring> inproc;  // InprocServer32 default value; none: no such key
        DWORD context;
        HRESULT expected;
    };
    const Case cases[] = {
        {"class key without InprocServer32", std::nullopt, CLSCTX_ALL, REGDB_E_CLASSNOTREG},
        {"empty module path", L"", CLSCTX_ALL, REGDB_E_CLASSNOTREG},
        {"module file missing", wide(ks::test::tempDir() + "/gone.so"), CLSCTX_ALL,
         HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND)},
        {"module without DllGetClassObject", wide(noEntryPath()), CLSCTX_ALL, CO_E_ERRORINDLL},
        {"module needing a missing symbol", wide(unresolvedPath()), CLSCTX_ALL,
         HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND)},
        {"file that is no library", wide(text), CLSCTX_ALL, HRESULT_FROM_WIN32(ERROR_BAD_EXE_FORMAT)},
        {"folder as module", wide(ks::test::tempDir()), CLSCTX_ALL, HRESULT_FROM_WIN32(ERROR_BAD_EXE_FORMAT)},
        {"class not served by the module", wide(componentPath()), CLSCTX_ALL, CLASS_E_CLASSNOTAVAILABLE},
        {"only out-of-process servers asked for", wide(componentPath()), CLSCTX_LOCAL_SERVER,
         REGDB_E_CLASSNOTREG},
        {"no server kind asked for", wide(componentPath()), 0, E_INVALIDARG},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RegDeleteTreeW(HKEY_CLASSES_ROOT, clsidKey(kOther).c_str());
        setText(HKEY_CLASSES_ROOT, clsidKey(kOther), L"", L"Other Class");
        if (c.inproc)
            setText(HKEY_CLASSES_ROOT, clsidKey(kOther) + L"\\InprocServer32", L"", *c.inproc);
        void* p = reinterpret_cast<void*>(1);
        EXPECT_EQ(c.expected, CoCreateInstance(kOther, nullptr, c.context, IID_IUnknown, &p));
        EXPECT_EQ(nullptr, p);
        p = reinterpret_cast<void*>(1);
        EXPECT_EQ(c.expected, CoGetClassObject(kOther, c.context, nullptr, IID_IClassFactory, &p));
        EXPECT_EQ(nullptr, p);
    }

    // Not registered at all.
    RegDeleteTreeW(HKEY_CLASSES_ROOT, clsidKey(kOther).c_str());
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(kOther, nullptr, CLSCTX_ALL, IID_IUnknown, &p));
    EXPECT_EQ(nullptr, p);
    EXPECT_EQ(E_INVALIDARG, CoCreateInstance(kOther, nullptr, CLSCTX_ALL, IID_IUnknown, nullptr));
    EXPECT_EQ(E_INVALIDARG, CoGetClassObject(kOther, CLSCTX_ALL, nullptr, IID_IClassFactory, nullptr));
}

// A module path that is not absolute is never loaded: neither relative to
// the current folder nor searched along the library path, where a planted
// library could answer. Not even when a working module sits right there.
TEST(Activation, RelativeModulePathsAreRefused)
{
    const std::string folder = ks::test::tempDir() + "/cwd";
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(componentPath(), folder + "/planted.so");
    const std::string libName = std::filesystem::path(componentPath()).filename().string();
    char* previous = getcwd(nullptr, 0);
    ASSERT_EQ(0, chdir(folder.c_str()));
    for (const std::wstring& module : {std::wstring(L"planted.so"), std::wstring(L"./planted.so"),
                                       std::wstring(L"cwd/../planted.so"), wide(libName)}) {
        SCOPED_TRACE(std::string(module.begin(), module.end()));
        RegDeleteTreeW(HKEY_CLASSES_ROOT, clsidKey(CLSID_ActivationSample).c_str());
        setText(HKEY_CLASSES_ROOT, clsidKey(CLSID_ActivationSample) + L"\\InprocServer32", L"", module);
        testing::internal::CaptureStderr();
        void* p = reinterpret_cast<void*>(1);
        EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND),
                  CoCreateInstance(CLSID_ActivationSample, nullptr, CLSCTX_ALL, IID_IUnknown, &p));
        EXPECT_EQ(nullptr, p);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(std::string::npos, err.find("is not absolute")) << err;
    }
    ASSERT_EQ(0, chdir(previous));
    std::free(previous);
}

// The main case of a stale registration: the registered file was deleted
// before the class was first created in this process.
TEST(Activation, DeletedModuleIsAnErrorNotACrash)
{
    const std::string copy = copyComponent("ks_activation_test_copy.so");
    registerWithKsregsvr(copy);
    ASSERT_EQ(wide(copy), defaultText(HKEY_CLASSES_ROOT, clsidKey(CLSID_ActivationSample) + L"\\InprocServer32"));
    std::filesystem::remove(copy);

    void* p = nullptr;
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND),
              CoCreateInstance(CLSID_ActivationSample, nullptr, CLSCTX_ALL, IID_IUnknown, &p));
    EXPECT_EQ(nullptr, p);
    CLSID clsid;
    ASSERT_EQ(S_OK, CLSIDFromProgID(L"KSActivationTest.Plain", &clsid));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND), CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown, &p));
}

// A module is loaded once and stays loaded: after its file is gone, its
// classes are still served, by the same module.
TEST(Activation, LoadedModuleStaysLoaded)
{
    const std::string copy = copyComponent("ks_activation_test_kept.so");
    registerWithKsregsvr(copy);

    ks::ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, CoGetClassObject(CLSID_ActivationSample, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                     reinterpret_cast<void**>(factory.out())));
    std::filesystem::remove(copy);

    ks::ComPtr<IActivationSample> a;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, KS_IID(IActivationSample), reinterpret_cast<void**>(a.out())));
    ks::ComPtr<IActivationSample> b;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ActivationPlain, nullptr, CLSCTX_ALL, KS_IID(IActivationSample),
                                     reinterpret_cast<void**>(b.out())));
    EXPECT_EQ(42, answerOf(b));
    ks::Bstr pa, pb;
    ASSERT_EQ(S_OK, a->get_ModulePath(&pa));
    ASSERT_EQ(S_OK, b->get_ModulePath(&pb));
    EXPECT_EQ(wide(copy), pa.str());
    EXPECT_EQ(pa.str(), pb.str());

    // Aggregation is the factory's decision: this class refuses it.
    void* p = nullptr;
    EXPECT_EQ(CLASS_E_NOAGGREGATION,
              CoCreateInstance(CLSID_ActivationSample, a.get(), CLSCTX_ALL, IID_IUnknown, &p));
    EXPECT_EQ(nullptr, p);
}

// Threads that create the first objects of a class at once share one load
// of its module.
TEST(Activation, ConcurrentFirstCreations)
{
    registerWithKsregsvr(copyComponent("ks_activation_test_threads.so"));
    std::atomic<int> created{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&created] {
            for (int i = 0; i < 20; ++i) {
                ks::ComPtr<IActivationSample> p;
                if (CoCreateInstance(i % 2 ? CLSID_ActivationPlain : CLSID_ActivationSample, nullptr, CLSCTX_ALL,
                                     KS_IID(IActivationSample), reinterpret_cast<void**>(p.out())) == S_OK &&
                    answerOf(p) == 42)
                    ++created;
            }
        });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(160, created.load());
}

struct ILocalThing : public IUnknown {
    virtual LONG value() = 0;
};
KS_DECLARE_INTERFACE(ILocalThing, IUnknown, "6D1A7C20-33B4-4F0E-9A51-2C7E0B9D4A30")

namespace {

class CLocalThing : public ks::Object<ILocalThing> {
public:
    LONG value() override { return 7; }
};

}  // namespace

// Classes of the in-process class table win over the registry.
TEST(Activation, ClassTableComesBeforeTheRegistry)
{
    setText(HKEY_CLASSES_ROOT, clsidKey(kOther) + L"\\InprocServer32", L"", wide(ks::test::tempDir() + "/gone.so"));
    ks::ClassFactory* made = nullptr;
    ASSERT_EQ(S_OK, ks::createObject(&made, &ks::createInstance<CLocalThing>));
    ks::ComPtr<IClassFactory> factory(made);
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, ksRegisterClassObject(kOther, factory.get(), &cookie));

    ks::ComPtr<ILocalThing> thing;
    ASSERT_EQ(S_OK, CoCreateInstance(kOther, nullptr, CLSCTX_ALL, KS_IID(ILocalThing),
                                     reinterpret_cast<void**>(thing.out())));
    EXPECT_EQ(7, thing->value());
    // The table answers for any context; its answer is final.
    void* p = nullptr;
    EXPECT_EQ(E_NOINTERFACE, CoCreateInstance(kOther, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, &p));

    ASSERT_EQ(S_OK, ksRevokeClassObject(cookie));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND),
              CoCreateInstance(kOther, nullptr, CLSCTX_ALL, KS_IID(ILocalThing), &p));
}

TEST(Activation, ProgIdLookups)
{
    const std::wstring clsid = ks::guidToString(kOther);
    setText(HKEY_CLASSES_ROOT, L"Some.Thing\\CLSID", L"", clsid);
    setText(HKEY_CLASSES_ROOT, L"Bad.Thing\\CLSID", L"", L"not a class id");
    setText(HKEY_CLASSES_ROOT, L"Bare.Thing", L"", L"no CLSID subkey");

    CLSID found = GUID_NULL;
    EXPECT_EQ(S_OK, CLSIDFromProgID(L"some.thing", &found));
    EXPECT_EQ(kOther, found);
    for (const wchar_t* progId : {L"Missing.Thing", L"Bad.Thing", L"Bare.Thing", L"", L"Some.Thing\\CLSID",
                                  L"CLSID\\{6D1A7C20-33B4-4F0E-9A51-2C7E0B9D4A20}"}) {
        found = kOther;
        EXPECT_EQ(CO_E_CLASSSTRING, CLSIDFromProgID(progId, &found)) << progId;
        EXPECT_EQ(CLSID_NULL, found);
    }
    EXPECT_EQ(E_INVALIDARG, CLSIDFromProgID(nullptr, &found));
    EXPECT_EQ(E_INVALIDARG, CLSIDFromProgID(L"Some.Thing", nullptr));

    LPOLESTR progId = reinterpret_cast<LPOLESTR>(1);
    EXPECT_EQ(REGDB_E_CLASSNOTREG, ProgIDFromCLSID(kOther, &progId));
    EXPECT_EQ(nullptr, progId);
    setText(HKEY_CLASSES_ROOT, L"CLSID\\" + clsid + L"\\ProgID", L"", L"Some.Thing.1");
    ASSERT_EQ(S_OK, ProgIDFromCLSID(kOther, &progId));
    EXPECT_STREQ(L"Some.Thing.1", progId);
    CoTaskMemFree(progId);
    EXPECT_EQ(E_INVALIDARG, ProgIDFromCLSID(kOther, nullptr));
}

TEST(Activation, ModulePaths)
{
    const std::wstring platform = ks::modulePathOf(reinterpret_cast<const void*>(&CoCreateInstance));
    ASSERT_FALSE(platform.empty());
    EXPECT_EQ(L'/', platform[0]);
    EXPECT_EQ(wide(std::filesystem::canonical(std::string(KS_LIB_DIR) + "/libksplatform.so").string()),
              wide(std::filesystem::canonical(std::filesystem::path(platform)).string()));
    int local = 0;
    EXPECT_EQ(L"", ks::modulePathOf(&local));
    EXPECT_EQ(L"", ks::modulePathOf(nullptr));

    EXPECT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    CoUninitialize();
    void* block = CoTaskMemAlloc(0);
    EXPECT_NE(nullptr, block);
    block = CoTaskMemRealloc(block, 64);
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(nullptr, CoTaskMemRealloc(block, 0));
    CoTaskMemFree(nullptr);
}
