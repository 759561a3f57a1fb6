// Fixtures of the Tavrion provider's tests: raw files written by the
// engine's builder into the test case's folder (the standard sample and
// small runs made to show one rule), the components registered into the
// test case's registry, and what spectrum objects and handles hold.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "chromatogram.h"
#include "kscomptr.h"
#include "kscomtest.h"
#include "kscontract.h"
#include "kshandles.h"
#include "kshive.h"
#include "kstavrionprovider.h"
#include "kstest.h"
#include "rawbuilder.h"

namespace tavriontest {

using namespace rawengine;
using ks::test::Create;
using ks::test::Doubles;
using ks::test::Query;

inline std::wstring W(const std::string& s) { return ks::reg::wideFromUtf8(s); }

// Writes a model as a file of the test case's folder; answers its path.
inline std::string WriteModel(const FileData& model, const std::string& name)
{
    const std::string path = ks::test::tempDir() + "/" + name;
    WriteRawFile(W(path), model);
    return path;
}

// The engine's standard sample as "sample.raw".
inline std::string SampleFile() { return WriteModel(MakeSampleFile(), "sample.raw"); }

// Registers what the provider needs: the provider server, the
// spectrum-object library, the raw-file reader and the provider.
inline bool RegisterAll()
{
    return ks::test::registerComponents({"KSProviderServer", "KSControls", "Ombrel2", "KSTavrionProvider"});
}
// The same without the raw-file reader.
inline bool RegisterWithoutReader()
{
    return ks::test::registerComponents({"KSProviderServer", "KSControls", "KSTavrionProvider"});
}

// A scan event stating what its filter text will say.
struct EventSpec {
    Analyzer analyzer = Analyzer::FTMS;
    Polarity polarity = Polarity::Positive;
    DataForm form = DataForm::Centroid;
    ScanType type = ScanType::Full;
    int8_t order = 1;
    Tri dependent = Tri::Off;
    std::vector<Reaction> reactions;
    std::vector<MassRange> ranges = {{100.0, 1000.0}};
};

inline Reaction Precursor(double mass, Activation activation = Activation::Any)
{
    Reaction r;
    r.precursorMass = mass;
    r.energyValid = true;
    r.energy = 35.0;
    r.activation = activation;
    return r;
}

inline CScanEvent MakeEvent(const EventSpec& spec)
{
    CScanEvent e;
    e.analyzer = spec.analyzer;
    e.polarity = spec.polarity;
    e.dataForm = spec.form;
    e.ionization = Ionization::ESI;
    e.scanType = spec.type;
    e.msOrder = spec.order;
    e.dependent = spec.dependent;
    e.reactions = spec.reactions;
    e.massRanges = spec.ranges;
    e.valid = true;
    return e;
}

// One mass-spectrometer scan: its event, start time and centroid points.
struct ScanSpec {
    EventSpec event;
    double time = 0.0;
    std::vector<std::pair<double, double>> points;  // m/z, intensity
};

inline ControllerData MSController(const std::vector<ScanSpec>& scans)
{
    ControllerData c;
    c.kind = kDeviceMS;
    c.runHeader.expectedRunTime = 10.0;
    c.instrument.name = L"Test MS";
    int number = 1;
    for (const ScanSpec& spec : scans) {
        ScanRecord s;
        s.hasEvent = true;
        s.event = MakeEvent(spec.event);
        ScanPacket packet{spec.event.ranges.front().low, spec.event.ranges.front().high, {}};
        for (const auto& [mz, intensity] : spec.points) {
            DataPeak p;
            p.position = mz;
            p.intensity = intensity;
            packet.points.push_back(p);
            s.index.tic += intensity;
            if (intensity > s.index.basePeakIntensity) {
                s.index.basePeakIntensity = intensity;
                s.index.basePeakMass = mz;
            }
        }
        s.packets = {packet};
        s.index.packetType = kPacketLrSp;
        s.index.scanNumber = number++;
        s.index.startTime = spec.time;
        s.index.lowMass = packet.lowMass;
        s.index.highMass = packet.highMass;
        c.scans.push_back(s);
    }
    return c;
}

// A channel controller (UV by default): labels and one reading per channel
// and scan, scans 0.1 minutes apart from 0.1.
inline ControllerData ChannelController(const std::vector<std::wstring>& labels,
                                        const std::vector<std::vector<double>>& readings,
                                        int32_t kind = kDeviceUV)
{
    ControllerData c;
    c.kind = kind;
    c.runHeader.expectedRunTime = 10.0;
    c.instrument.name = L"Detector";
    c.instrument.channelLabels = labels;
    for (size_t k = 0; k < readings.size(); ++k) {
        ScanRecord s;
        s.readings = readings[k];
        s.uvIndex.packetType = kind == kDeviceUV ? kPacketChannelUV : kPacketMSAnalog;
        s.uvIndex.numberOfChannels = uint32_t(readings[k].size());
        s.uvIndex.startTime = 0.1 * double(k + 1);
        for (double r : readings[k])
            s.uvIndex.tic += r;
        s.uvIndex.highLimit = 2000.0;
        s.uvIndex.frequency = 10.0;
        s.uvIndex.uniformTime = 1;
        c.scans.push_back(s);
    }
    return c;
}

inline FileData MakeRun(std::vector<ControllerData> controllers)
{
    FileData f;
    f.info.creatorId = L"tavrion tests";
    f.controllers = std::move(controllers);
    return f;
}

// What a spectrum object or handle holds.
struct Points {
    LONG count = -1;
    std::vector<double> x;
    std::vector<double> y;
    bool centroid = true;
    double startRT = -1;
    double endRT = -1;
    LONG firstScan = -1;
    LONG lastScan = -1;
    SHORT msOrder = -1;
    LONG polarity = -1;
    std::wstring title;
};

inline Points Read(IKSMassSpectrum* spectrum)
{
    Points p;
    spectrum->get_Count(&p.count);
    ks::Variant masses, intensities;
    spectrum->get_Masses(&masses);
    spectrum->get_Intensities(&intensities);
    p.x = Doubles(masses);
    p.y = Doubles(intensities);
    VARIANT_BOOL centroid = VARIANT_TRUE;
    spectrum->get_Centroid(&centroid);
    p.centroid = centroid != VARIANT_FALSE;
    spectrum->get_MSOrder(&p.msOrder);
    spectrum->get_Polarity(&p.polarity);
    ks::Bstr title;
    spectrum->get_Title(&title);
    p.title = title.str();
    if (auto two = Query<IKSMassSpectrum2>(spectrum)) {
        two->get_StartRT(&p.startRT);
        two->get_EndRT(&p.endRT);
        two->get_FirstScan(&p.firstScan);
        two->get_LastScan(&p.lastScan);
    }
    return p;
}

inline Points Read(const CMassSpectrum& s)
{
    Points p;
    p.count = s.GetCount();
    if (p.count > 0) {
        p.x.assign(s.Masses(), s.Masses() + p.count);
        p.y.assign(s.Intensities(), s.Intensities() + p.count);
    }
    p.centroid = s.IsCentroid();
    p.startRT = s.GetStartRT();
    p.endRT = s.GetEndRT();
    p.firstScan = s.GetFirstScan();
    p.lastScan = s.GetLastScan();
    p.msOrder = s.GetMSOrder();
    p.polarity = s.GetPolarity();
    p.title = s.GetTitle();
    return p;
}

inline Points Read(const CKSMassSpectrum& handle) { return Read(*handle.get()); }

inline std::vector<double> Times(const CChromatogram& c)
{
    return c.GetCount() ? std::vector<double>(c.Times(), c.Times() + c.GetCount()) : std::vector<double>();
}
inline std::vector<double> Values(const CChromatogram& c)
{
    return c.GetCount() ? std::vector<double>(c.Intensities(), c.Intensities() + c.GetCount())
                        : std::vector<double>();
}

}  // namespace tavriontest
