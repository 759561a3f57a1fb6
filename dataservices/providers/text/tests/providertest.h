// Helpers of the provider component tests: registration into the test
// case's registry, spectrum objects of the spectrum-object library and
// reading them back, the provider's reader settings.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kscomptr.h"
#include "kscomtest.h"
#include "kscontract.h"
#include "kstest.h"
#include "kstextprovider.h"
#include "readersettings.h"

namespace textprov {

using ks::test::Create;
using ks::test::Doubles;
using ks::test::Query;

inline const wchar_t kClassID[] = L"{127AC576-D36A-11D3-91D9-00400536072C}";

// The bundled sample dataset.
inline const std::string kSample = KS_TEXT_SAMPLES_DIR "/text_dataset.txt";

// ksregsvr on each module of the build's library folder, in order.
inline void Register(std::initializer_list<std::string> modules)
{
    ASSERT_TRUE(ks::test::registerComponents(modules));
}

struct Points {
    LONG count = -1;
    std::vector<double> masses;
    std::vector<double> intensities;
    std::wstring title;
    VARIANT_BOOL centroid = 0;
    double startRT = -1;
    LONG firstScan = -1;
};

inline Points Read(IKSMassSpectrum* spectrum)
{
    Points p;
    spectrum->get_Count(&p.count);
    ks::Variant masses;
    spectrum->get_Masses(&masses);
    p.masses = Doubles(masses);
    ks::Variant intensities;
    spectrum->get_Intensities(&intensities);
    p.intensities = Doubles(intensities);
    ks::Bstr title;
    spectrum->get_Title(&title);
    p.title = title.str();
    spectrum->get_Centroid(&p.centroid);
    if (auto two = Query<IKSMassSpectrum2>(spectrum)) {
        two->get_StartRT(&p.startRT);
        two->get_FirstScan(&p.firstScan);
    }
    return p;
}

// Where the component keeps a setting: under its own application name,
// whatever this test program's name is.
inline std::wstring SettingPath(const wchar_t* valueName)
{
    return std::wstring(L"\\Software\\Kestrom\\Data Services\\") + kClassID +
           L"\\Applications\\KSTextProvider\\" + valueName;
}

inline std::wstring Setting(const wchar_t* valueName)
{
    const std::wstring path = SettingPath(valueName);
    std::wstring text;
    ReadRegistryText(HKEY_CURRENT_USER, path, text);
    return text;
}

inline std::wstring Wide(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

inline std::string Narrow(const std::wstring& s)
{
    return std::string(s.begin(), s.end());
}

inline std::wstring Text(const ks::Bstr& b)
{
    return b.str();
}

}  // namespace textprov
