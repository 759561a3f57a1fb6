// Helpers of the core-library stand-in's tests: the components registered
// into each test case's registry, generated runs written into its folder,
// and the data services asked directly for what the stand-in should give.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <string>
#include <vector>
#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's hook (g++ ships no header for it).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*, size_t),
                                                        void (*freeHook)(const volatile void*));
#define TINDREL_WATCH_ALLOCATIONS 1
#endif

#include "chromatogram.h"
#include "ksactivation.h"
#include "kscomptr.h"
#include "kscontract.h"
#include "ksdialogrunner.h"
#include "kshandles.h"
#include "kstest.h"
#include "runprovider.h"
#include "tindrel.h"

namespace tindreltest {

inline const std::wstring kTextProviderId = L"{127AC576-D36A-11D3-91D9-00400536072C}";
inline const std::wstring kRunProviderId = kTindrelTestProviderClassId;
inline const CLSID kTextDataServer = ks::guid("02A12D80-06F6-46B5-9617-577DD9D135E8");

inline std::wstring wide(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

inline std::string bundledTextDataset()
{
    return std::string(KS_SOURCE_DIR) + "/../../../dataservices/providers/text/samples/text_dataset.txt";
}

// Every case: the provider server, the text provider and the run provider
// registered; a scripted dialog runner so that a provider asking anything
// fails the test instead of waiting for an answer.
class TindrelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ks::test::registerComponents({"KSProviderServer", "KSTextProvider", "ks_tindrel_test_provider"}));
    }
    void TearDown() override
    {
        for (const auto& entry : m_runner.log())
            ADD_FAILURE() << "a provider asked a question: " << std::string(entry.title.begin(), entry.title.end());
    }

    // A run description written into the case's folder.
    std::string writeRun(const std::string& name, const std::string& text)
    {
        const std::string path = ks::test::tempDir() + "/" + name;
        ks::test::writeFile(path, text);
        return path;
    }

    std::unique_ptr<TKSDataset> open(const std::string& path, const std::wstring& provider)
    {
        TKSDataServer server;
        return std::unique_ptr<TKSDataset>(server.openDataset(wide(path), provider));
    }

public:
    // The collection of (injection, function), both from 0.
    static std::unique_ptr<TKSMSCollection> collection(const TKSDataset& dataset, int injection, int function)
    {
        std::unique_ptr<TKSInjections> injections(dataset.getInjections());
        if (!injections)
            return nullptr;
        std::unique_ptr<TKSInjection> inj(injections->getItem(injection));
        if (!inj)
            return nullptr;
        std::unique_ptr<TKSFunctions> functions(inj->getFunctions());
        if (!functions)
            return nullptr;
        std::unique_ptr<TKSFunction> fn(functions->getItem(function));
        if (!fn)
            return nullptr;
        return std::unique_ptr<TKSMSCollection>(fn->getSpectrumCollection());
    }

protected:
    ks::dialogs::ScriptedDialogRunner m_runner;
    ks::dialogs::ScopedDialogRunner m_scope{m_runner};
};

// The data services asked directly: one function of a dataset.
class DirectFunction {
public:
    DirectFunction(const CLSID& dataServer, const std::string& path, LONG injection, LONG function)
    {
        if (FAILED(CoCreateInstance(dataServer, nullptr, CLSCTX_ALL, IID_IKSDataServer, m_server.out())))
            return;
        ks::Bstr p(wide(path));
        if (FAILED(m_server->Open(p)))
            return;
        select(injection, function);
    }
    // The dataset as dataset access opens it (the first provider that says
    // it is valid).
    DirectFunction(const std::string& path, LONG injection, LONG function)
    {
        ks::ComPtr<IKSDataAccess> access;
        if (FAILED(CoCreateInstance(CLSID_KSDataAccess, nullptr, CLSCTX_ALL, IID_IKSDataAccess, access.out())))
            return;
        ks::Bstr p(wide(path));
        if (FAILED(access->OpenDataset(p, &m_server)) || !m_server)
            return;
        select(injection, function);
    }
    IKSFunction* operator->() const { return m_function.get(); }
    explicit operator bool() const { return m_function != nullptr; }

private:
    void select(LONG injection, LONG function)
    {
        ks::ComPtr<IKSInjections> injections;
        ks::ComPtr<IKSInjection> inj;
        ks::ComPtr<IKSFunctions> functions;
        if (FAILED(m_server->get_Injections(&injections)) || FAILED(injections->get_Item(injection, &inj)) ||
            FAILED(inj->get_Functions(&functions)) || FAILED(functions->get_Item(function, &m_function)))
            m_function.reset();
    }

public:
    LONG count() const
    {
        LONG n = -1;
        m_function->get_Count(&n);
        return n;
    }
    // Spectrum `index` from 1.
    bool spectrum(LONG index, std::vector<double>& mz, std::vector<double>& intensity) const
    {
        CKSMassSpectrum s;
        if (FAILED(m_function->get_SpectrumDirect(index, reinterpret_cast<ULONG_PTR>(&s))))
            return false;
        take(s, mz, intensity);
        return true;
    }
    bool range(LONG first, LONG last, bool inDa, double tolerance, std::vector<double>& mz,
               std::vector<double>& intensity) const
    {
        CKSMassSpectrum s;
        if (FAILED(m_function->get_SpectrumRangeDirect(first, last, inDa ? 1 : 0, tolerance,
                                                      reinterpret_cast<ULONG_PTR>(&s))))
            return false;
        take(s, mz, intensity);
        return true;
    }
    bool tic(std::vector<double>& times, std::vector<double>& intensity) const
    {
        CChromatogram c;
        CKSChromatogram handle(&c);
        if (FAILED(m_function->get_TICDirect(1, reinterpret_cast<ULONG_PTR>(&handle))))
            return false;
        times.assign(c.Times(), c.Times() + c.GetCount());
        intensity.assign(c.Intensities(), c.Intensities() + c.GetCount());
        return true;
    }

private:
    static void take(const CKSMassSpectrum& s, std::vector<double>& mz, std::vector<double>& intensity)
    {
        const LONG n = s.GetCount();
        mz.assign(s.GetMasses(), s.GetMasses() + (s.GetMasses() ? n : 0));
        intensity.assign(s.GetIntensities(), s.GetIntensities() + (s.GetIntensities() ? n : 0));
    }

    ks::ComPtr<IKSDataServer> m_server;
    ks::ComPtr<IKSFunction> m_function;
};

// The largest single allocation made while an object of this class lives
// (sanitizer builds, whose allocator reports every allocation; elsewhere
// `available` is false and the tests that need it skip).
class LargestAllocation {
public:
    static bool available()
    {
#ifdef TINDREL_WATCH_ALLOCATIONS
        static const bool installed = __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree) != 0;
        return installed;
#else
        return false;
#endif
    }
    LargestAllocation()
    {
        largest() = 0;
        watching() = true;
    }
    ~LargestAllocation() { watching() = false; }
    size_t bytes() const { return largest().load(); }

private:
    static std::atomic<bool>& watching()
    {
        static std::atomic<bool> flag{false};
        return flag;
    }
    static std::atomic<size_t>& largest()
    {
        static std::atomic<size_t> value{0};
        return value;
    }
    static void onMalloc(const volatile void*, size_t size)
    {
        if (!watching().load(std::memory_order_relaxed))
            return;
        size_t seen = largest().load(std::memory_order_relaxed);
        while (size > seen && !largest().compare_exchange_weak(seen, size)) {
        }
    }
    static void onFree(const volatile void*) {}
};

// A Gaussian chromatogram peak: apex time, standard deviation, height.
struct Gaussian {
    double apex;
    double sigma;
    double height;
    double area() const { return height * sigma * std::sqrt(2 * M_PI); }
    double at(double t) const
    {
        const double z = (t - apex) / sigma;
        return height * std::exp(-0.5 * z * z);
    }
};

}  // namespace tindreltest
