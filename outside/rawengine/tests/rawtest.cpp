#include "rawtest.h"

namespace rawtest {

CScanEvent fullEvent()
{
    CScanEvent e;
    e.analyzer = Analyzer::TOFMS;
    e.polarity = Polarity::Negative;
    e.dataForm = DataForm::Profile;
    e.ionization = Ionization::APCI;
    e.corona = Tri::On;
    e.sourceCID = Tri::On;
    e.sourceCIDValueValid = true;
    e.sourceCIDValue = 12.5;
    e.turbo = Tri::Off;
    e.dependent = Tri::Any;
    e.wideband = Tri::On;
    e.custom = Tri::On;
    e.scanType = ScanType::SRM;
    e.msOrder = 3;
    e.reactions = {{301.25, true, 25.0, Activation::HCD}, {152.5, false, 0.0, Activation::Any}};
    e.massRanges = {{50.0, 150.0}, {160.0, 300.0}};
    e.eventClass = kEventPrecursorSource;
    e.valid = true;
    return e;
}

namespace {

GenericLog log(float t0, int records)
{
    GenericLog g;
    g.hasHeader = true;
    g.header.SetNumItems(3);
    g.header.ItemData(0, L"Section", kDataNull, 0);
    g.header.ItemData(1, L"Value:", kDataDouble, 3);
    g.header.ItemData(2, L"Name:", kDataWCharString, 4);
    for (int i = 0; i < records; ++i) {
        GenericRecord r;
        r.time = t0 + float(i);
        r.bytes.assign(16, uint8_t(i + 1));
        g.records.push_back(r);
    }
    return g;
}

ScanRecord spectralScan(int kind, int n, double t)
{
    ScanRecord s;
    ScanPacket p{100.0 + n, 200.0 + n, {}};
    for (int k = 0; k < 3; ++k) {
        DataPeak d;
        d.position = 110.0 + n + k;
        d.intensity = 1000.0 * (k + 1) + n;
        d.flags = uint8_t(k);
        p.points.push_back(d);
    }
    s.packets = {p, ScanPacket{300.0, 400.0, {}}};
    if (kind == kDeviceMS) {
        s.index.startTime = t;
        s.index.scanNumber = n;
        s.index.packetType = n % 2 ? kPacketProfSp : kPacketLrSp;
        s.index.tic = 6000 + 3 * n;
        s.index.basePeakIntensity = 3000 + n;
        s.index.basePeakMass = 112.0 + n;
        s.index.lowMass = 100.0 + n;
        s.index.highMass = 400.0;
        s.index.scanTypeIndex = int32_t(ScanEventKey(1, n));
        s.hasEvent = n % 2 == 0;
        s.event = fullEvent();
        s.labels = {{120.5 + n, 50.0f, 1.0f, 2.0f, 3.0f, int8_t(2), uint8_t(kLabelMerged), {}},
                    {130.5, 60.0f, 4.0f, 5.0f, 6.0f, int8_t(-1), uint8_t(0), {}}};
        s.noise = {{115.0, 7.0f, 8.0f}};
    } else {
        s.uvIndex.startTime = t;
        s.uvIndex.packetType = kPacketProfSp;
        s.uvIndex.numberOfChannels = 3;
        s.uvIndex.lowLimit = 190;
        s.uvIndex.highLimit = 410;
    }
    return s;
}

}  // namespace

FileData smallSample()
{
    FileData f = MakeSampleFile();
    f.controllers[0].scans.resize(5);
    f.controllers[0].trailer.records.resize(5);
    for (size_t i = 1; i < f.controllers.size(); ++i)
        f.controllers[i].scans.resize(2);
    for (ScanRecord& s : f.controllers[2].scans)
        s.packets[0].points.resize(5);
    return f;
}

FileData everyKindModel()
{
    FileData f;
    f.info.version = kFormatVersion;
    f.info.creationTime = 133000000000000000ull;
    f.info.creatorId = L"tests \u00e9\U0001F600";  // a character beyond 16 bits survives
    f.info.hasExpMethod = true;
    f.seqRow.rowNumber = 7;
    f.seqRow.sampleName = L"mix";
    f.seqRow.userText[4] = L"ut4";
    f.seqRow.userTextEx[14] = L"ex14";
    f.seqRow.dilutionFactor = 3.5;
    f.seqRow.barcodeStatus = -2;
    f.userLabels[2] = L"label 2";
    MethodNode root;
    root.name = L"Methods";
    MethodNode m{L"Pump", true, {}, {MethodNode{L"Text", false, {'h', 0, 'i', 0}, {}}}};
    MethodNode nested{L"Nested", true, {}, {MethodNode{L"Deeper", true, {}, {}}}};
    root.children = {m, nested};
    f.methods = root;
    for (int kind = 0; kind < kDeviceKindCount; ++kind) {
        for (int copy = 0; copy < 2; ++copy) {
            ControllerData c;
            c.kind = kind;
            c.runHeader.firstScanNumber = 1 + copy * 10;
            c.runHeader.expectedRunTime = 2.5 + kind;
            c.runHeader.filterMassPrecision = 2 + copy;
            c.runHeader.inletId = int16_t(-kind);
            c.runHeader.flags = {uint8_t('K'), uint8_t('0' + kind), 0, 9, 0, 0, 0, 1};
            c.runHeader.comment2 = L"controller " + std::to_wstring(kind) + L"/" + std::to_wstring(copy);
            c.instrument.name = L"instrument " + std::to_wstring(kind);
            c.instrument.channelLabels = {L"a", L"", L"c"};
            c.errorLog = {{0.25 * copy, L"error " + std::to_wstring(copy)}};
            c.statusLog = log(0.5f, 2);
            if (kind == kDeviceMS) {
                c.trailer = log(0.0f, 3);
                c.tune = log(0.0f, 1);
                c.methodEvents.Insert(fullEvent(), ScanEventKey(1, 1));
                c.methodEvents.Insert(CScanEvent(), ScanEventKey(2, 7));
            }
            if (kind != kDeviceOther) {
                for (int n = 1; n <= 3; ++n) {
                    if (IsSpectralKind(kind)) {
                        c.scans.push_back(spectralScan(kind, n, 0.1 * n));
                    } else {
                        ScanRecord s;
                        s.readings = {1.0 * n, 2.0 * n, -3.0};
                        s.uvIndex.packetType = kind == kDeviceUV ? kPacketChannelUV : kPacketMSAnalog;
                        s.uvIndex.numberOfChannels = 3;
                        s.uvIndex.startTime = 0.1 * n;
                        s.uvIndex.tic = 3.0 * n - 3.0;
                        s.uvIndex.frequency = 5.0;
                        s.uvIndex.uniformTime = 1;
                        c.scans.push_back(s);
                    }
                }
            }
            f.controllers.push_back(c);
        }
    }
    return f;
}

}  // namespace rawtest
