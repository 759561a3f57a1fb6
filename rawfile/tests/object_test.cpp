// The reader object: opening and closing, controllers, the mass
// tolerance, re-mapping a file being acquired, engine failures, and the
// engine file going with the object.
#include "ombreltest.h"

using namespace ombreltest;

TEST_F(OmbrelTest, OpenAndCloseAnswerTheirStatus)
{
    EXPECT_EQ(reader->Close(), kOmbrelNoFile);
    ASSERT_EQ(open(sample), kOmbrelDone);
    LONG n = 0;
    EXPECT_EQ(reader->GetNumberOfControllers(&n), kOmbrelDone);
    EXPECT_EQ(n, 4);
    EXPECT_EQ(reader->Close(), kOmbrelDone);
    EXPECT_EQ(reader->Close(), kOmbrelNoFile);

    // An empty or null path is 6 and leaves the previous file closed.
    ASSERT_EQ(open(sample), kOmbrelDone);
    EXPECT_EQ(open(""), kOmbrelBadArgument);
    EXPECT_EQ(reader->GetNumberOfControllers(&n), kOmbrelNoFile);
    ASSERT_EQ(open(sample), kOmbrelDone);
    EXPECT_EQ(reader->Open(nullptr), kOmbrelBadArgument);
    EXPECT_EQ(reader->Close(), kOmbrelNoFile);
}

TEST_F(OmbrelTest, FilesTheEngineRefusesOrFlagsNewAreNotOpen)
{
    FileData fresh;  // a writer has created it and written no controller yet
    fresh.info.acquisitionFlags = kAcqWriting | kAcqRunActive;
    BuildOptions unfinished;
    unfinished.writeEnd = false;
    const std::string newFile = writeModel(fresh, "new.raw", unfinished);
    const std::string foreign = ks::test::tempDir() + "/foreign.raw";
    ks::test::writeFile(foreign, "not a raw file at all, just text\n");
    std::string cut = SerializeRawFile(model);
    cut.resize(cut.size() / 2);
    const std::string truncated = ks::test::tempDir() + "/cut.raw";
    ks::test::writeFile(truncated, cut);

    for (const std::string& path : {newFile, foreign, truncated, ks::test::tempDir() + "/missing.raw",
                                    ks::test::tempDir()}) {
        ASSERT_EQ(open(sample), kOmbrelDone);
        EXPECT_EQ(open(path), kOmbrelNoFile) << path;
        EXPECT_EQ(reader->Close(), kOmbrelNoFile) << path;  // nothing stays open
    }
    EXPECT_EQ(testhook::LiveRawfiles(), 0);
}

TEST_F(OmbrelTest, AnEngineExceptionAnswers2AndTheObjectStaysUsable)
{
    testhook::FailNextCall("CRawfile");
    EXPECT_EQ(open(sample), kOmbrelEngineFailed);
    EXPECT_EQ(reader->Close(), kOmbrelNoFile);
    ASSERT_EQ(open(sample), kOmbrelDone);

    // A failing controller choice leaves the current controller as it was.
    ASSERT_EQ(reader->SetCurrentController(kOmbrelUV, 1), kOmbrelDone);
    testhook::FailNextCall("SetVirtualDataObject");
    EXPECT_EQ(reader->SetCurrentController(kOmbrelMS, 1), kOmbrelEngineFailed);
    LONG kind = -1, number = -1;
    EXPECT_EQ(reader->GetCurrentController(&kind, &number), kOmbrelDone);
    EXPECT_EQ(kind, kOmbrelUV);
    EXPECT_EQ(number, 1);

    ASSERT_EQ(reader->SetCurrentController(kOmbrelMS, 1), kOmbrelDone);
    Var filters;
    LONG count = -1;
    testhook::FailNextCall("GetFilters");
    EXPECT_EQ(reader->GetFilters(&filters.v, &count), kOmbrelEngineFailed);
    EXPECT_EQ(filters.v.vt, VT_EMPTY);
    EXPECT_EQ(reader->GetFilters(&filters.v, &count), kOmbrelDone);
    EXPECT_EQ(count, 14);
}

TEST_F(OmbrelTest, ControllersByIndexKindAndNumber)
{
    ASSERT_EQ(open(sample), kOmbrelDone);
    const LONG kinds[] = {kOmbrelMS, kOmbrelUV, kOmbrelPDA, kOmbrelAnalog};
    for (LONG i = 0; i < 4; ++i) {
        LONG kind = -1;
        EXPECT_EQ(reader->GetControllerType(i, &kind), kOmbrelDone);
        EXPECT_EQ(kind, kinds[i]);
    }
    LONG kind = 77;
    EXPECT_EQ(reader->GetControllerType(4, &kind), kOmbrelBadArgument);
    EXPECT_EQ(reader->GetControllerType(-1, &kind), kOmbrelBadArgument);
    EXPECT_EQ(kind, 77);
    EXPECT_EQ(reader->GetControllerType(0, nullptr), kOmbrelBadArgument);

    struct Count {
        LONG kind;
        HRESULT status;
        LONG count;
    } counts[] = {{-1, kOmbrelDone, 4}, {0, kOmbrelDone, 1}, {1, kOmbrelDone, 1}, {2, kOmbrelDone, 0},
                  {5, kOmbrelDone, 0},  {-2, kOmbrelBadArgument, 0}, {6, kOmbrelBadArgument, 0}};
    for (const Count& c : counts) {
        LONG n = 0;
        EXPECT_EQ(reader->GetNumberOfControllersOfType(c.kind, &n), c.status) << c.kind;
        EXPECT_EQ(n, c.count) << c.kind;
    }

    // Kinds 0 to 5 and numbers 1 to 64 only.
    for (auto [k, n] : {std::pair{0, 0}, {6, 1}, {0, 65}, {-1, 1}})
        EXPECT_EQ(reader->SetCurrentController(k, n), kOmbrelBadArgument) << k << " " << n;
    ASSERT_EQ(reader->SetCurrentController(kOmbrelPDA, 1), kOmbrelDone);
    LONG number = -1;
    EXPECT_EQ(reader->GetCurrentController(&kind, &number), kOmbrelDone);
    EXPECT_EQ(kind, kOmbrelPDA);
    EXPECT_EQ(number, 1);
    // A controller the file does not have: 2, and none is current.
    EXPECT_EQ(reader->SetCurrentController(kOmbrelADCard, 1), kOmbrelEngineFailed);
    EXPECT_EQ(reader->GetCurrentController(&kind, &number), kOmbrelNoController);
    EXPECT_EQ(reader->SetCurrentController(kOmbrelMS, 2), kOmbrelEngineFailed);
    EXPECT_EQ(reader->GetCurrentController(nullptr, &number), kOmbrelNoController);
    ASSERT_EQ(reader->SetCurrentController(kOmbrelMS, 1), kOmbrelDone);
    EXPECT_EQ(reader->GetCurrentController(nullptr, &number), kOmbrelBadArgument);

    // After Close, the file's questions answer 3.
    ASSERT_EQ(reader->Close(), kOmbrelDone);
    EXPECT_EQ(reader->SetCurrentController(kOmbrelMS, 1), kOmbrelNoFile);
    EXPECT_EQ(reader->GetNumberOfControllersOfType(0, &number), kOmbrelNoFile);
    EXPECT_EQ(reader->GetControllerType(0, &kind), kOmbrelNoFile);
    EXPECT_EQ(reader->GetCurrentController(&kind, &number), kOmbrelNoFile);
}

TEST_F(OmbrelTest, TheSixthKindIsCurrentWithoutAView)
{
    ControllerData other;
    other.kind = kOmbrelOtherDevice;
    other.instrument.name = L"Column oven";
    model.controllers.push_back(other);
    ASSERT_EQ(open(writeModel(model, "other.raw")), kOmbrelDone);
    ASSERT_EQ(reader->SetCurrentController(kOmbrelOtherDevice, 1), kOmbrelDone);
    LONG kind = -1, number = -1;
    EXPECT_EQ(reader->GetCurrentController(&kind, &number), kOmbrelDone);
    EXPECT_EQ(kind, kOmbrelOtherDevice);
    Var filters;
    EXPECT_EQ(reader->GetFilters(&filters.v, &number), kOmbrelNotMS);
    double rt = -1;
    EXPECT_EQ(reader->RTFromScanNum(1, &rt), kOmbrelBadArgument);  // it has no scans
    // The data form of its scans is a question that does not fit it: 4,
    // from both tests, never an answer left unwritten.
    LONG flag = 77;
    EXPECT_EQ(reader->IsProfileScanForScanNum(1, &flag), kOmbrelNoController);
    EXPECT_EQ(reader->IsCentroidScanForScanNum(1, &flag), kOmbrelNoController);
    EXPECT_EQ(flag, 77);
}

TEST_F(OmbrelTest, ReleasingTheObjectClosesItsFile)
{
    const int before = testhook::LiveRawfiles();
    ASSERT_EQ(open(sample), kOmbrelDone);
    EXPECT_EQ(testhook::LiveRawfiles(), before + 1);
    reader = nullptr;
    EXPECT_EQ(testhook::LiveRawfiles(), before);
}

TEST_F(OmbrelTest, MassToleranceIsStoredWithOrWithoutAFile)
{
    EXPECT_EQ(reader->SetMassTolerance(1, 10.0, 1), kOmbrelDone);
    ASSERT_EQ(open(sample), kOmbrelDone);
    EXPECT_EQ(reader->SetMassTolerance(0, 500.0, 0), kOmbrelDone);
}

TEST_F(OmbrelTest, RefreshReMapsAFileStillBeingAcquired)
{
    EXPECT_EQ(reader->RefreshViewOfFile(), kOmbrelNoFile);
    ASSERT_EQ(open(sample), kOmbrelDone);
    EXPECT_EQ(reader->RefreshViewOfFile(), kOmbrelDone);  // finished: nothing to do

    // A file caught while written: ten scans now, thirty later.
    FileData early = model;
    early.info.acquisitionFlags = kAcqWriting | kAcqRunActive;
    early.controllers[0].scans.resize(10);
    BuildOptions unfinished;
    unfinished.writeEnd = false;
    const std::string path = writeModel(early, "growing.raw", unfinished);
    ASSERT_EQ(open(path), kOmbrelDone);
    ASSERT_EQ(reader->SetCurrentController(kOmbrelUV, 1), kOmbrelDone);
    ASSERT_EQ(reader->SetCurrentController(kOmbrelMS, 1), kOmbrelDone);
    LONG n = 0;
    ASSERT_EQ(reader->GetNumSpectra(&n), kOmbrelDone);
    EXPECT_EQ(n, 10);
    FileData later = model;
    later.info.acquisitionFlags = kAcqWriting | kAcqRunActive;
    writeModel(later, "growing.raw", unfinished);
    // Both acquisition cases answer 2; the same controller is current again.
    EXPECT_EQ(reader->RefreshViewOfFile(), kOmbrelEngineFailed);
    ASSERT_EQ(reader->GetNumSpectra(&n), kOmbrelDone);
    EXPECT_EQ(n, 30);
    LONG kind = -1, number = -1;
    EXPECT_EQ(reader->GetCurrentController(&kind, &number), kOmbrelDone);
    EXPECT_EQ(kind, kOmbrelMS);

    ASSERT_EQ(reader->Close(), kOmbrelDone);
    ASSERT_EQ(open(path), kOmbrelDone);
    EXPECT_EQ(reader->RefreshViewOfFile(), kOmbrelEngineFailed);
    EXPECT_EQ(reader->GetCurrentController(&kind, &number), kOmbrelNoController);
}

TEST_F(OmbrelTest, ComponentLoadInitialisesTheEngine)
{
    // The test links the engine too: its libraries are the component's.
    EXPECT_TRUE(IsEngineInitialised());
}

TEST_F(OmbrelTest, OpensTheSampleThatTheToolMakes)
{
    const std::string path = ks::test::tempDir() + "/tool.raw";
    const auto made = ks::test::run({std::string(KS_BIN_DIR) + "/tavrion-rawfile", "make-sample", path});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    ASSERT_EQ(open(path), kOmbrelDone);
    ASSERT_EQ(reader->SetCurrentController(kOmbrelMS, 1), kOmbrelDone);
    LONG n = 0;
    EXPECT_EQ(reader->GetNumSpectra(&n), kOmbrelDone);
    EXPECT_EQ(n, 30);
}
