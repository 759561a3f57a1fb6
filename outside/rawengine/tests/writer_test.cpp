// The writers: what they write, the reader reads back; the file grows as
// it is written and is finished when the writer goes; refused writes
// write nothing.
#include "rawtest.h"
#include "rawtesthooks.h"
#include "rawwriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include <sys/stat.h>

using namespace rawtest;

namespace {

std::vector<uint8_t> packetsOf(const std::vector<ScanPacket>& packets)
{
    const std::string s = format::packetBytes(packets);
    return std::vector<uint8_t>(s.begin(), s.end());
}

DataPeak peak(double mz, double intensity)
{
    DataPeak p;
    p.position = mz;
    p.intensity = intensity;
    p.basePeak = 1.5f;
    p.scan = 7;
    return p;
}

CGenericDataHeader twoItems()
{
    CGenericDataHeader h;
    h.SetNumItems(2);
    h.ItemData(0, L"Charge State:", kDataShort, 0);
    h.ItemData(1, L"Monoisotopic M/Z:", kDataDouble, 4);
    return h;
}

}  // namespace

TEST(RawWriter, MassSpectrometerFileReadsBack)
{
    const std::string path = tempPath("virtual.raw");
    {
        CVirtualMSWriter w(wide(path));
        ASSERT_FALSE(w.IsError());
        EXPECT_EQ(w.GetFileName(), wide(path));
        CInstID id;
        id.name = L"Virtual";
        id.model = L"VM";
        id.experimentType = L"DDA";
        w.WriteInstIDData(id);
        w.WriteInstExpectedRunTime(12.5);
        w.WriteInstMassResolution(0.7);
        w.WriteInstComment(1, L"first");
        w.WriteInstComment(2, L"second");
        EXPECT_THROW(w.WriteInstComment(3, L"third"), EngineError);
        w.WriteTrailerHeader(twoItems());
        w.WriteStatusLogHeader(twoItems());
        w.WriteTuneDataHeader(twoItems());
        CMSScanEvents events;
        CScanEvent method = fullEvent();
        events.Insert(method, ScanEventKey(1, 2));
        w.WriteScanEventData(events);

        // Scan 1, raw form: two packets; scan 2, peak form.
        const std::vector<uint8_t> raw =
            packetsOf({ScanPacket{100, 200, {peak(150, 10), peak(160, 20)}}, ScanPacket{200, 300, {peak(250, 5)}}});
        w.WriteInstData(raw.data(), uint32_t(raw.size()), kPacketProfSp);
        ScanIndex x1;
        x1.scanNumber = 1;
        x1.startTime = 0.5;
        x1.packetType = kPacketProfSp;
        x1.scanTypeIndex = int32_t(ScanEventKey(1, 2));
        x1.dataOffset = 999;  // the engine's to say
        EXPECT_TRUE(w.WriteInstScanIndex(x1));
        w.InitializeScanIndex(1, kPacketLrSp2);
        const DataPeak peaks[] = {peak(410.5, 3), peak(402.25, 8)};
        w.WriteInstData(peaks, 2);
        ScanIndex x2 = x1;
        x2.scanNumber = 2;
        x2.startTime = 0.75;
        x2.packetType = kPacketLrSp2;
        CScanEvent own;
        own.msOrder = 2;
        own.reactions = {{402.25, true, 30.0, Activation::Any}};
        own.valid = true;
        EXPECT_TRUE(w.WriteInstScanIndex(x2, own));

        const uint8_t rec[10] = {2, 0, 0, 0, 0, 0, 0, 0x40, 0x7F, 0x40};
        w.WriteTrailerExtraData(rec);
        w.WriteTrailerExtraData(rec);
        w.WriteStatusLog(0.25f, rec);
        w.WriteTuneData(rec);
        w.WriteErrorLog({0.6, L"warm-up"});
    }  // the destructor finishes the file
    CRawfile f(wide(path));
    ASSERT_FALSE(f.IsError()) << ks::reg::utf8FromWide(f.GetErrorMessage());
    EXPECT_FALSE(f.InAcquisition());
    EXPECT_EQ(f.WhoCreatedId(), L"Virtual MS writer");
    ASSERT_EQ(f.NumberOfVirtualControllers(), 1);
    auto* ms = dynamic_cast<CVirtualMS*>(f.SetVirtualDataObject(kDeviceMS, 1));
    ASSERT_NE(ms, nullptr);
    const CRunHeader& rh = ms->GetRunHeader();
    EXPECT_EQ(rh.expectedRunTime, 12.5);
    EXPECT_EQ(rh.massResolution, 0.7);
    EXPECT_EQ(rh.comment1, L"first");
    EXPECT_EQ(rh.comment2, L"second");
    EXPECT_EQ(ms->GetInstID().experimentType, L"DDA");
    ASSERT_EQ(ms->NumSpectra(), 2);
    std::unique_ptr<CRawScan> s1 = ms->GetScan(1);
    ASSERT_EQ(s1->NumPackets(), 2);
    EXPECT_EQ(s1->GetPacket(0).points[1].intensity, 20.0);
    EXPECT_EQ(s1->GetPacket(0).points[1].basePeak, 1.5f);
    EXPECT_EQ(ms->GetScanIndex(1).dataOffset, 0u);
    EXPECT_EQ(ms->GetScanIndex(1).numPackets, 2u);
    EXPECT_EQ(ms->GetScanIndex(2).dataOffset, 2u * 24 + 3u * 32);  // after scan 1's two packets
    // The peak form: one packet spanning its points, of the type named.
    std::unique_ptr<CRawScan> s2 = ms->GetScan(2);
    ASSERT_EQ(s2->NumPackets(), 1);
    EXPECT_EQ(s2->GetPacket(0).lowMass, 402.25);
    EXPECT_EQ(s2->GetPacket(0).highMass, 410.5);
    EXPECT_EQ(s2->PacketType(), uint32_t(kPacketLrSp2));
    // Scan 1 takes the method event its index names; scan 2 its own.
    EXPECT_EQ(ms->GetScanEvent(1).analyzer, Analyzer::TOFMS);
    EXPECT_EQ(ms->GetScanEvent(2).MSOrder(), 2);
    EXPECT_EQ(ms->GetScanEvent(2).GetReaction(0).energy, 30.0);
    EXPECT_EQ(ms->NumTrailerExtra(), 2);
    EXPECT_EQ(ms->GetTrailerExtraRecord(1).bytes, std::vector<uint8_t>({2, 0, 0, 0, 0, 0, 0, 0x40, 0x7F, 0x40}));
    EXPECT_EQ(ms->GetTrailerExtraHeader().FindItem(L"charge state:"), 0);
    EXPECT_EQ(ms->NumStatusLog(), 1);
    EXPECT_EQ(ms->GetStatusLogTime(0), 0.25f);
    EXPECT_EQ(ms->NumTuneData(), 1);
    EXPECT_EQ(ms->GetErrorLog(0).message, L"warm-up");
    EXPECT_EQ(ms->GetMethodScanEvents().Count(), 1u);
}

TEST(RawWriter, UVFileReadsBack)
{
    const std::string path = tempPath("uv.raw");
    {
        CVirtualUVWriter w(wide(path));
        ASSERT_FALSE(w.IsError());
        CInstID id;
        id.name = L"UV";
        id.channelLabels = {L"A", L"C"};
        w.WriteInstIDData(id);
        w.WriteInstExpectedRunTime(0.0);
        w.WriteErrorLog({1.5, L"lamp"});
        for (int k = 0; k < 3; ++k) {
            const double first[2] = {1.0 + k, 2.0 + k};
            const double last = 3.0 + k;
            // One scan in two writes: the second completes it.
            w.WriteInstData(reinterpret_cast<const uint8_t*>(first), 16, kPacketChannelUV, 2, 0);
            w.WriteInstData(reinterpret_cast<const uint8_t*>(&last), 8, kPacketChannelUV, 1, 1);
            UVScanIndex x;
            x.packetType = kPacketChannelUV;
            x.numberOfChannels = 3;
            x.startTime = 0.1 * k;
            x.tic = 6.0 + 3 * k;
            EXPECT_TRUE(w.WriteInstScanIndex(x));
        }
        UVScanIndex back;
        back.startTime = 0.05;  // before the last entry
        EXPECT_FALSE(w.WriteInstScanIndex(back));
        EXPECT_THROW(w.WriteInstData(nullptr, 8, kPacketChannelUV, 2, 1), EngineError);  // 2 readings in 8 bytes
        EXPECT_THROW(w.WriteInstData(nullptr, 0, kPacketProfSp, 0, 1), EngineError);      // no channel type
        w.Finish();
        EXPECT_THROW(w.WriteErrorLog({2.0, L"late"}), EngineError);
    }
    CRawfile f(wide(path));
    ASSERT_FALSE(f.IsError()) << ks::reg::utf8FromWide(f.GetErrorMessage());
    auto* uv = dynamic_cast<CVirtualUV*>(f.SetVirtualDataObject(kDeviceUV, 1));
    ASSERT_NE(uv, nullptr);
    EXPECT_EQ(uv->GetInstID().channelLabels, (std::vector<std::wstring>{L"A", L"C"}));
    ASSERT_EQ(uv->NumSpectra(), 3);
    EXPECT_EQ(uv->GetScan(3)->GetReadings(), (std::vector<double>{3.0, 4.0, 5.0}));
    EXPECT_EQ(uv->GetUVScanIndex(2).tic, 9.0);
    EXPECT_EQ(uv->GetErrorLog(0).time, 1.5);
    EXPECT_EQ(uv->GetRunHeader().expectedRunTime, 0.0);
}

TEST(RawWriter, PDAWriterTakesPackets)
{
    const std::string path = tempPath("pda.raw");
    {
        CVirtualUVWriter w(wide(path), kDevicePDA);
        const std::vector<uint8_t> bytes = packetsOf({ScanPacket{200, 300, {peak(254, 40)}}});
        w.WriteInstData(bytes.data(), uint32_t(bytes.size()), kPacketProfSp, 1, 1);
        EXPECT_THROW(w.WriteInstData(bytes.data(), uint32_t(bytes.size()), kPacketProfSp, 2, 1), EngineError);
        UVScanIndex x;
        x.startTime = 1.0;
        EXPECT_TRUE(w.WriteInstScanIndex(x));
    }
    CRawfile f(wide(path));
    ASSERT_FALSE(f.IsError());
    EXPECT_EQ(f.Controller(0).DeviceKind(), kDevicePDA);
    EXPECT_EQ(f.Controller(0).GetScan(1)->GetPacket(0).points[0].position, 254.0);
    EXPECT_THROW(CVirtualUVWriter(wide(tempPath("x.raw")), kDeviceMS), EngineError);
    EXPECT_THROW(CVirtualUVWriter(wide(tempPath("x.raw")), kDeviceUV, 2), EngineError);
}

TEST(RawWriter, FileGrowsWhileWrittenAndIsNewUntilItsController)
{
    const std::string path = tempPath("growing.raw");
    CVirtualMSWriter w(wide(path));
    {
        CRawfile f(wide(path));
        EXPECT_FALSE(f.IsError()) << ks::reg::utf8FromWide(f.GetErrorMessage());
        EXPECT_TRUE(f.IsNewFile());
        EXPECT_EQ(f.GetAcquisitionFlags(), uint32_t(kAcqWriting | kAcqRunActive));
    }
    const DataPeak p = peak(500, 1);
    w.WriteInstData(&p, 1);
    ScanIndex x;
    x.startTime = 0.1;
    ASSERT_TRUE(w.WriteInstScanIndex(x));
    CRawfile f(wide(path));
    ASSERT_FALSE(f.IsError());
    EXPECT_FALSE(f.IsNewFile());
    EXPECT_TRUE(f.InAcquisition());
    EXPECT_EQ(f.Controller(0).NumSpectra(), 1);
    x.startTime = 0.2;
    w.WriteInstData(&p, 1);
    ASSERT_TRUE(w.WriteInstScanIndex(x));
    f.ReMapViewOfFile();
    EXPECT_EQ(f.Controller(0).NumSpectra(), 2);
    w.Finish();
    f.ReMapViewOfFile();
    EXPECT_FALSE(f.InAcquisition());
    EXPECT_EQ(f.Controller(0).NumSpectra(), 2);
    EXPECT_EQ(f.GetWarningMessage(), L"");
}

TEST(RawWriter, RefusedWritesWriteNothing)
{
    const std::string path = tempPath("refused.raw");
    CVirtualMSWriter w(wide(path));
    const uint8_t rec[10] = {};
    EXPECT_THROW(w.WriteTrailerExtraData(rec), EngineError);  // no header yet
    w.WriteTrailerHeader(twoItems());
    EXPECT_THROW(w.WriteTrailerExtraData(nullptr), EngineError);
    w.WriteTrailerExtraData(rec);
    EXPECT_THROW(w.WriteTrailerHeader(twoItems()), EngineError);  // records were written under it
    const uint8_t junk[5] = {1, 2, 3, 4, 5};
    EXPECT_THROW(w.WriteInstData(junk, 5, kPacketProfSp), EngineError);  // not a packet
    EXPECT_THROW(w.WriteInstData(junk, 0, kPacketChannelUV), EngineError);
    EXPECT_THROW(w.WriteInstData(static_cast<const DataPeak*>(nullptr), 2), EngineError);
    EXPECT_THROW(w.InitializeScanIndex(1, kPacketLrSp), EngineError);  // nothing written yet
    EXPECT_THROW(w.InitializeScanIndex(0, kPacketChannelUV), EngineError);
    ScanIndex x;
    x.startTime = NAN;
    EXPECT_FALSE(w.WriteInstScanIndex(x));
    x.startTime = 1.0;
    EXPECT_TRUE(w.WriteInstScanIndex(x));
    x.startTime = 0.5;
    EXPECT_FALSE(w.WriteInstScanIndex(x));
    // Replacing entry 0 keeps the order with entry 1.
    x.startTime = 2.0;
    EXPECT_TRUE(w.WriteInstScanIndex(x));
    w.InitializeScanIndex(0, kPacketLrSp);
    x.startTime = 2.5;
    EXPECT_FALSE(w.WriteInstScanIndex(x));
    x.startTime = 0.25;
    EXPECT_TRUE(w.WriteInstScanIndex(x));
    CScanEvent tooMany;
    tooMany.reactions.resize(kMaxReactions + 1);
    EXPECT_THROW(w.WriteInstScanIndex(x, tooMany), EngineError);
    w.Finish();
    CRawfile f(wide(path));
    ASSERT_FALSE(f.IsError()) << ks::reg::utf8FromWide(f.GetErrorMessage());
    const CVirtualData& c = f.Controller(0);
    ASSERT_EQ(c.NumSpectra(), 2);
    EXPECT_EQ(c.ScanStartTime(1), 0.25);
    EXPECT_EQ(c.ScanStartTime(2), 2.0);
    EXPECT_EQ(static_cast<const CVirtualMS&>(c).NumTrailerExtra(), 1);
}

TEST(RawWriter, FilesThatCannotBeMadeLeaveTheErrorState)
{
    CVirtualMSWriter missing(wide(tempPath("no/such/folder/x.raw")));
    EXPECT_TRUE(missing.IsError());
    EXPECT_EQ(missing.GetErrorCode(), kErrCannotOpen);
    EXPECT_THROW(missing.WriteInstExpectedRunTime(1.0), EngineError);
    EXPECT_NO_THROW(missing.Finish());
    const std::string fifo = tempPath("pipe.raw");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    CVirtualUVWriter pipe(wide(fifo));  // never waits for a reader
    EXPECT_EQ(pipe.GetErrorCode(), kErrNotRegular);
    CVirtualMSWriter folder(wide(ks::test::tempDir()));
    EXPECT_TRUE(folder.IsError());
    EXPECT_THROW(CVirtualMSWriter(wide(tempPath("x.raw")), 2), EngineError);
    EXPECT_THROW(CVirtualMSWriter(wide(tempPath("x.raw")), -1, 4), EngineError);
}

TEST(RawWriter, InjectedFailureOfFinishLeavesAFileBeingWritten)
{
    const std::string path = tempPath("unfinished.raw");
    {
        CVirtualMSWriter w(wide(path));
        w.WriteInstExpectedRunTime(3.0);
        testhook::FailNextCall("Finish");
        EXPECT_THROW(w.Finish(), EngineError);
    }  // the destructor tries again and finishes it
    CRawfile f(wide(path));
    EXPECT_FALSE(f.InAcquisition());
    {
        CVirtualMSWriter w(wide(path));
        w.WriteInstExpectedRunTime(3.0);
        testhook::FailNextCall("Finish");
    }  // the destructor swallows the failure: the file stays flagged
    CRawfile g(wide(path));
    EXPECT_FALSE(g.IsError());
    EXPECT_TRUE(g.InAcquisition());
    EXPECT_EQ(g.Controller(0).GetRunHeader().expectedRunTime, 3.0);
}
