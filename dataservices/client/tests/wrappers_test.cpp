// The dataset, reader and writer wrappers against counting fakes: who
// counts and who releases which reference, results, and what reaches the
// provider.
#include <gtest/gtest.h>

#include "clientfakes.h"
#include "kscomerror.h"
#include "ksbstr.h"
#include "kshandles.h"

#include <functional>


namespace {

ULONG_PTR AddressOf(CKSMassSpectrum& s)
{
    return reinterpret_cast<ULONG_PTR>(&s);
}

// ---------------------------------------------------------------------------
// CKSMSDataset: construction, copies, assignment

TEST(ClientDataset, ConstructorAdoptsTheCallersReferenceAndReleasesIt)
{
    FakeDataset ds;
    ds.AddRef();  // the reference handed to the wrapper
    {
        CKSMSDataset wrapper(&ds);
        EXPECT_EQ(ds.refs, 2) << "construction counts no reference";
    }
    EXPECT_EQ(ds.refs, 1);
}

TEST(ClientDataset, CopiesCountTheirOwnAndGoInAnyOrder)
{
    FakeDataset ds;
    ds.AddRef();
    auto* first = new CKSMSDataset(&ds);
    auto* copy = new CKSMSDataset(*first);
    EXPECT_EQ(ds.refs, 3);
    CKSMSDataset assigned;
    assigned = *copy;
    EXPECT_EQ(ds.refs, 4);
    delete first;
    EXPECT_EQ(ds.refs, 3);
    EXPECT_TRUE(copy->HasTIC());
    delete copy;
    EXPECT_EQ(ds.refs, 2);
    EXPECT_TRUE(assigned.HasTIC());
    assigned = assigned;
    EXPECT_EQ(ds.refs, 2);
    assigned = CKSMSDataset();
    EXPECT_EQ(ds.refs, 1);
}

TEST(ClientDataset, AssignFromDataset2CountsAndReleasesThePrevious)
{
    FakeDataset a, b;
    CKSMSDataset wrapper;
    wrapper = static_cast<IKSMSDataset2*>(&a);
    EXPECT_EQ(a.refs, 2);
    wrapper = static_cast<IKSMSDataset2*>(&a);
    EXPECT_EQ(a.refs, 2) << "the pointer already held changes nothing";
    wrapper = static_cast<IKSMSDataset2*>(&b);
    EXPECT_EQ(a.refs, 1);
    EXPECT_EQ(b.refs, 2);
    wrapper = static_cast<IKSMSDataset2*>(nullptr);
    EXPECT_EQ(b.refs, 1);
    EXPECT_FALSE(wrapper.HasTIC());
}

TEST(ClientDataset, AssignFromDatasetHoldsTheQueriedSecondInterface)
{
    FakeDataset ds;
    CKSMSDataset wrapper;
    wrapper = static_cast<IKSMSDataset*>(&ds);
    EXPECT_EQ(ds.refs, 2) << "the query's reference is the wrapper's";
    EXPECT_TRUE(wrapper.HasTIC());
    wrapper = static_cast<IKSMSDataset*>(&ds);  // the same dataset again
    EXPECT_EQ(ds.refs, 2);
    wrapper = static_cast<IKSMSDataset*>(nullptr);
    EXPECT_EQ(ds.refs, 1) << "null empties the wrapper";
}

TEST(ClientDataset, DatasetWithoutSecondInterfaceLeavesTheWrapperEmpty)
{
    FakeDataset held;
    FakeDataset firstOnly(false);
    CKSMSDataset wrapper;
    wrapper = static_cast<IKSMSDataset2*>(&held);
    wrapper = static_cast<IKSMSDataset*>(&firstOnly);
    EXPECT_EQ(held.refs, 1);
    EXPECT_EQ(firstOnly.refs, 1);

    FakeSpectrumObject ms;
    CKSMassSpectrum direct;
    EXPECT_FALSE(wrapper.HasTIC());
    EXPECT_FALSE(wrapper.HasTraces());
    EXPECT_EQ(wrapper.GetTraceCount(), 0);
    EXPECT_FALSE(wrapper.GetBaseSpectrum(1, &ms));
    EXPECT_FALSE(wrapper.GetTIC(&ms));
    EXPECT_FALSE(wrapper.GetBaseSpectrumDirect(1, direct));
    EXPECT_FALSE(wrapper.GetTraceDirect(1, direct));
    EXPECT_EQ(static_cast<IDispatch*>(wrapper), nullptr);
    EXPECT_EQ(ms.refs, 1);
    EXPECT_TRUE(firstOnly.calls.empty());
}

TEST(ClientDataset, DispatchConversionGivesTheCallerAReference)
{
    FakeDataset ds;
    CKSMSDataset wrapper;
    wrapper = static_cast<IKSMSDataset2*>(&ds);
    IDispatch* p = wrapper;
    EXPECT_EQ(p, static_cast<IDispatch*>(&ds));
    EXPECT_EQ(ds.refs, 3);
    p->Release();
}

// ---------------------------------------------------------------------------
// Capabilities and counts

TEST(ClientDataset, CapabilitiesAreTrueOnlyForVariantTrue)
{
    struct Case {
        VARIANT_BOOL answer;
        HRESULT result;
        bool expected;
    };
    const Case cases[] = {
        {VARIANT_TRUE, S_OK, true},
        {1, S_OK, false},  // a provider answering 1 instead of -1
        {VARIANT_FALSE, S_OK, false},
        {VARIANT_TRUE, E_FAIL, false},
        {VARIANT_TRUE, S_FALSE, true},
    };
    for (const Case& c : cases) {
        FakeDataset ds;
        ds.hasTIC = ds.hasBaseSpectra = ds.hasTraces = c.answer;
        ds.result = c.result;
        CKSMSDataset wrapper;
        wrapper = static_cast<IKSMSDataset2*>(&ds);
        EXPECT_EQ(wrapper.HasTIC(), c.expected) << c.answer << " " << std::hex << c.result;
        EXPECT_EQ(wrapper.HasBasePeakChromatogram(), c.expected);
        EXPECT_EQ(wrapper.HasTraces(), c.expected);
        EXPECT_EQ(ds.calls, (std::vector<std::string>{"HasTIC", "HasBaseSpectra", "HasTraces"}));
    }
}

TEST(ClientDataset, CountsAreWhatTheCallLeavesWhateverItsResult)
{
    FakeDataset ds;
    ds.count = 7;
    ds.result = E_FAIL;
    CKSMSDataset wrapper;
    wrapper = static_cast<IKSMSDataset2*>(&ds);
    EXPECT_EQ(wrapper.GetTraceCount(), 7);
    EXPECT_EQ(wrapper.GetBaseSpectrumCount(), 7);
    EXPECT_EQ(wrapper.GetAuxiliarySpectrumCount(), 7);
    EXPECT_EQ(ds.calls, (std::vector<std::string>{"TraceCount", "BaseSpectrumCount", "AuxiliarySpectrumCount"}));
    CKSMSDataset empty;
    EXPECT_EQ(empty.GetTraceCount(), 0);
    EXPECT_EQ(empty.GetBaseSpectrumCount(), 0);
    EXPECT_EQ(empty.GetAuxiliarySpectrumCount(), 0);
}

// ---------------------------------------------------------------------------
// Getters into spectrum objects and Direct getters

struct ObjectGetter {
    const char* call;  // what the provider sees
    std::function<bool(const CKSMSDataset&, IDispatch*)> get;
};

const std::vector<ObjectGetter>& ObjectGetters()
{
    static const std::vector<ObjectGetter> getters = {
        {"GetBaseSpectrum 3 0", [](const CKSMSDataset& d, IDispatch* o) { return d.GetBaseSpectrum(3, o); }},
        {"GetBaseSpectrumRange 2 5",
         [](const CKSMSDataset& d, IDispatch* o) { return d.GetBaseSpectrumRange(2, 5, o); }},
        {"GetAuxiliarySpectrum 4 0", [](const CKSMSDataset& d, IDispatch* o) { return d.GetAuxiliarySpectrum(4, o); }},
        {"GetAuxiliarySpectrumRange 1 9",
         [](const CKSMSDataset& d, IDispatch* o) { return d.GetAuxiliarySpectrumRange(1, 9, o); }},
        {"GetTIC 0 0", [](const CKSMSDataset& d, IDispatch* o) { return d.GetTIC(o); }},
        {"GetBasePeakChromatogram 0 0", [](const CKSMSDataset& d, IDispatch* o) { return d.GetBasePeakChromatogram(o); }},
        {"GetTrace 2 0", [](const CKSMSDataset& d, IDispatch* o) { return d.GetTrace(2, o); }},
    };
    return getters;
}

TEST(ClientDataset, ObjectGettersConsumeOneReferenceOnSuccess)
{
    for (const ObjectGetter& g : ObjectGetters()) {
        FakeDataset ds;
        FakeSpectrumObject ms;
        ms.AddRef();  // handed over
        CKSMSDataset wrapper;
        wrapper = static_cast<IKSMSDataset2*>(&ds);
        EXPECT_TRUE(g.get(wrapper, &ms)) << g.call;
        EXPECT_EQ(ms.refs, 1) << g.call;
        ASSERT_EQ(ds.calls.size(), 1u);
        EXPECT_EQ(ds.calls[0], g.call) << "indexes pass unchanged";
        EXPECT_EQ(ds.lastObject, &ms);
    }
}

TEST(ClientDataset, ObjectGettersThrowOnFailureAndKeepTheReference)
{
    for (const ObjectGetter& g : ObjectGetters()) {
        FakeDataset ds;
        ds.result = DISP_E_BADINDEX;
        FakeSpectrumObject ms;
        CKSMSDataset wrapper;
        wrapper = static_cast<IKSMSDataset2*>(&ds);
        try {
            g.get(wrapper, &ms);
            ADD_FAILURE() << g.call << " did not throw";
        } catch (const _com_error& e) {
            EXPECT_EQ(e.Error(), DISP_E_BADINDEX) << g.call;
            EXPECT_EQ(e.InterfaceId(), IID_IKSMSDataset) << g.call;
        }
        EXPECT_EQ(ms.refs, 1) << g.call;
    }
}

TEST(ClientDataset, ObjectGettersWithoutDatasetOrObjectAnswerFalse)
{
    for (const ObjectGetter& g : ObjectGetters()) {
        FakeDataset ds;
        FakeSpectrumObject ms;
        CKSMSDataset empty;
        EXPECT_FALSE(g.get(empty, &ms)) << g.call;
        CKSMSDataset wrapper;
        wrapper = static_cast<IKSMSDataset2*>(&ds);
        EXPECT_FALSE(g.get(wrapper, nullptr)) << g.call;
        EXPECT_TRUE(ds.calls.empty());
        EXPECT_EQ(ms.refs, 1);
    }
}

struct DirectGetter {
    const char* call;
    std::function<bool(const CKSMSDataset&, CKSMassSpectrum&)> get;
};

TEST(ClientDataset, DirectGettersPassTheCallersSpectrumAndThrowOnFailure)
{
    const DirectGetter getters[] = {
        {"GetBaseSpectrumDirect 3 0",
         [](const CKSMSDataset& d, CKSMassSpectrum& s) { return d.GetBaseSpectrumDirect(3, s); }},
        {"GetBaseSpectrumRangeDirect 2 5",
         [](const CKSMSDataset& d, CKSMassSpectrum& s) { return d.GetBaseSpectrumRangeDirect(2, 5, s); }},
        {"GetAuxiliarySpectrumDirect 4 0",
         [](const CKSMSDataset& d, CKSMassSpectrum& s) { return d.GetAuxiliarySpectrumDirect(4, s); }},
        {"GetAuxiliarySpectrumRangeDirect 1 9",
         [](const CKSMSDataset& d, CKSMassSpectrum& s) { return d.GetAuxiliarySpectrumRangeDirect(1, 9, s); }},
        {"GetTICDirect 0 0", [](const CKSMSDataset& d, CKSMassSpectrum& s) { return d.GetTICDirect(s); }},
        {"GetBasePeakChromatogramDirect 0 0",
         [](const CKSMSDataset& d, CKSMassSpectrum& s) { return d.GetBasePeakChromatogramDirect(s); }},
        {"GetTraceDirect 2 0", [](const CKSMSDataset& d, CKSMassSpectrum& s) { return d.GetTraceDirect(2, s); }},
    };
    for (const DirectGetter& g : getters) {
        FakeDataset ds;
        CKSMassSpectrum spectrum;
        CKSMSDataset wrapper;
        wrapper = static_cast<IKSMSDataset2*>(&ds);
        EXPECT_TRUE(g.get(wrapper, spectrum)) << g.call;
        EXPECT_EQ(ds.lastAddress, AddressOf(spectrum));
        ASSERT_EQ(ds.calls.size(), 1u);
        EXPECT_EQ(ds.calls[0], g.call);

        ds.result = E_ACCESSDENIED;
        try {
            g.get(wrapper, spectrum);
            ADD_FAILURE() << g.call << " did not throw";
        } catch (const _com_error& e) {
            EXPECT_EQ(e.Error(), E_ACCESSDENIED) << g.call;
            EXPECT_EQ(e.InterfaceId(), IID_IKSMSDataset2) << g.call;
        }

        CKSMSDataset empty;
        EXPECT_FALSE(g.get(empty, spectrum)) << g.call;
        EXPECT_EQ(ds.refs, 2);
    }
}

// ---------------------------------------------------------------------------
// CKSMSDatasetReader and CKSMSDatasetWriter

TEST(ClientDatasetReader, ReadFillsTheDatasetAndReleasesTheReadersReference)
{
    FakeDatasetReader reader;
    FakeDataset ds;
    reader.dataset = &ds;
    {
        CKSMSDatasetReader wrapper(&reader);
        EXPECT_EQ(reader.refs, 2);
        CKSMSDataset dataset;
        EXPECT_TRUE(wrapper.Read(L"KSTextProvider.X; /data/a.txt", dataset));
        EXPECT_EQ(reader.lastSource, L"KSTextProvider.X; /data/a.txt");
        EXPECT_EQ(ds.refs, 2) << "one reference, the dataset object's";
        EXPECT_TRUE(dataset.HasTIC());

        reader.result = E_ACCESSDENIED;
        EXPECT_FALSE(wrapper.Read(L"x", dataset));
        EXPECT_EQ(ds.refs, 1) << "a failed read empties the dataset object";
        EXPECT_FALSE(dataset.HasTIC());
    }
    EXPECT_EQ(reader.refs, 1);
}

TEST(ClientDatasetReader, FailedInteractiveReadLeavesTheDatasetAlone)
{
    FakeDatasetReader reader;
    FakeDataset first, second;
    CKSMSDatasetReader wrapper(&reader);
    CKSMSDataset dataset;
    dataset = static_cast<IKSMSDataset2*>(&first);
    reader.dataset = &second;
    reader.result = E_ABORT;
    EXPECT_FALSE(wrapper.ReadInteractive(dataset));
    EXPECT_EQ(first.refs, 2);
    reader.result = S_OK;
    EXPECT_TRUE(wrapper.ReadInteractive(dataset));
    EXPECT_EQ(first.refs, 1);
    EXPECT_EQ(second.refs, 2);
}

TEST(ClientDatasetReader, UnallocatableSourceAnswersFalseWithoutACall)
{
    FakeDatasetReader reader;
    CKSMSDatasetReader wrapper(&reader);
    CKSMSDataset dataset;
    ksTestFailNextBstrAllocations(1);
    EXPECT_FALSE(wrapper.Read(L"KSTextProvider.X; a", dataset));
    ksTestFailNextBstrAllocations(0);
    EXPECT_TRUE(reader.calls.empty());
}

TEST(ClientDatasetReader, DescriptionIsEmptyWhenTheCallFails)
{
    FakeDatasetReader reader;
    CKSMSDatasetReader wrapper(&reader);
    EXPECT_EQ(wrapper.GetDataSourceDescription(), L"Fake dataset");
    reader.result = E_FAIL;
    EXPECT_EQ(wrapper.GetDataSourceDescription(), L"");
}

TEST(ClientDatasetWriter, WriteConsumesOneReferenceOfTheDatasetEitherWay)
{
    for (HRESULT result : {S_OK, STG_E_CANTSAVE}) {
        FakeDatasetWriter writer;
        writer.result = result;
        FakeDataset ds;
        CKSMSDatasetWriter wrapper(&writer);
        ds.AddRef();
        EXPECT_EQ(wrapper.Write(L"x", &ds), result == S_OK);
        EXPECT_EQ(writer.passed, static_cast<IKSMSDataset*>(&ds)) << "the address of the dataset pointer";
        EXPECT_EQ(ds.refs, 1);
    }
    FakeDatasetWriter writer;
    CKSMSDatasetWriter wrapper(&writer);
    EXPECT_FALSE(wrapper.Write(L"x", nullptr));
    EXPECT_TRUE(writer.calls.empty());
}

TEST(ClientDatasetWriter, WriteInteractivePassesAnEmptyPointerAndTakesWhatIsLeft)
{
    FakeDatasetWriter writer;
    FakeDataset held, left;
    CKSMSDatasetWriter wrapper(&writer);
    CKSMSDataset dataset;
    dataset = static_cast<IKSMSDataset2*>(&held);
    writer.result = E_FAIL;
    EXPECT_FALSE(wrapper.WriteInteractive(dataset));
    EXPECT_EQ(held.refs, 2);
    writer.result = S_OK;
    writer.leave = &left;
    EXPECT_TRUE(wrapper.WriteInteractive(dataset));
    EXPECT_EQ(writer.passed, nullptr);
    EXPECT_EQ(held.refs, 1);
    EXPECT_EQ(left.refs, 2);
}

// ---------------------------------------------------------------------------
// CKSSpectrumReader and CKSSpectrumWriter

TEST(ClientSpectrumReader, ObjectMembersConsumeOneReferenceWhateverTheResult)
{
    for (HRESULT result : {S_OK, E_INVALIDARG}) {
        FakeSpectrumReader reader;
        reader.result = result;
        FakeSpectrumObject ms;
        CKSSpectrumReader wrapper(&reader);
        ms.AddRef();
        EXPECT_EQ(wrapper.Read(L"KSTextProvider.X; /a.txt", &ms), result == S_OK);
        EXPECT_EQ(ms.refs, 1);
        EXPECT_EQ(reader.lastSource, L"KSTextProvider.X; /a.txt");
        ms.AddRef();
        EXPECT_EQ(wrapper.ReadInteractive(&ms), result == S_OK);
        EXPECT_EQ(ms.refs, 1);

        FakeSpectrumWriter writer;
        writer.result = result;
        CKSSpectrumWriter out(&writer);
        ms.AddRef();
        EXPECT_EQ(out.Write(L"KSTextProvider.X; /b.txt", &ms), result == S_OK);
        EXPECT_EQ(ms.refs, 1);
        EXPECT_EQ(writer.lastSource, L"KSTextProvider.X; /b.txt");
        ms.AddRef();
        EXPECT_EQ(out.WriteInteractive(&ms), result == S_OK);
        EXPECT_EQ(ms.refs, 1);
    }
}

TEST(ClientSpectrumReader, NullObjectAnswersFalseAndReleasesNothing)
{
    FakeSpectrumReader reader;
    FakeSpectrumWriter writer;
    CKSSpectrumReader in(&reader);
    CKSSpectrumWriter out(&writer);
    EXPECT_FALSE(in.Read(L"x", nullptr));
    EXPECT_FALSE(in.ReadInteractive(nullptr));
    EXPECT_FALSE(out.Write(L"x", nullptr));
    EXPECT_FALSE(out.WriteInteractive(nullptr));
    EXPECT_TRUE(reader.calls.empty());
    EXPECT_TRUE(writer.calls.empty());
}

TEST(ClientSpectrumReader, UnallocatableSourceStillConsumesTheObject)
{
    FakeSpectrumReader reader;
    FakeSpectrumObject ms;
    CKSSpectrumReader wrapper(&reader);
    CKSMassSpectrum spectrum;
    ms.AddRef();
    ksTestFailNextBstrAllocations(1);
    EXPECT_FALSE(wrapper.Read(L"x", &ms));
    ksTestFailNextBstrAllocations(1);
    EXPECT_FALSE(wrapper.ReadDirect(L"x", spectrum));
    ksTestFailNextBstrAllocations(0);
    EXPECT_EQ(ms.refs, 1);
    EXPECT_TRUE(reader.calls.empty());
}

TEST(ClientSpectrumReader, DirectMembersPassTheSpectrumAddress)
{
    FakeSpectrumReader reader;
    FakeSpectrumWriter writer;
    CKSSpectrumReader in(&reader);
    CKSSpectrumWriter out(&writer);
    CKSMassSpectrum spectrum;
    EXPECT_TRUE(in.ReadDirect(L"src", spectrum));
    EXPECT_EQ(reader.lastAddress, AddressOf(spectrum));
    EXPECT_EQ(reader.lastSource, L"src");
    EXPECT_TRUE(out.WriteDirect(L"dst", spectrum));
    EXPECT_EQ(writer.lastAddress, AddressOf(spectrum));
    EXPECT_EQ(writer.lastSource, L"dst");
    reader.lastAddress = writer.lastAddress = 0;
    EXPECT_TRUE(in.ReadInteractiveDirect(spectrum));
    EXPECT_TRUE(out.WriteInteractiveDirect(spectrum));
    EXPECT_EQ(reader.lastAddress, AddressOf(spectrum));
    EXPECT_EQ(writer.lastAddress, AddressOf(spectrum));
    reader.result = writer.result = E_OUTOFMEMORY;
    EXPECT_FALSE(in.ReadDirect(L"src", spectrum));
    EXPECT_FALSE(in.ReadInteractiveDirect(spectrum));
    EXPECT_FALSE(out.WriteDirect(L"dst", spectrum));
    EXPECT_FALSE(out.WriteInteractiveDirect(spectrum));
}

TEST(ClientSpectrumReader, DescriptionIsEmptyWhenTheCallFails)
{
    FakeSpectrumReader reader;
    CKSSpectrumReader wrapper(&reader);
    EXPECT_EQ(wrapper.GetDataSourceDescription(), L"Fake spectrum");
    reader.result = E_FAIL;
    EXPECT_EQ(wrapper.GetDataSourceDescription(), L"");
}

TEST(ClientWrappers, ReaderAndWriterCopiesCountTheirOwnAndGoInAnyOrder)
{
    FakeSpectrumReader reader;
    FakeSpectrumWriter writer;
    FakeDatasetReader dsReader;
    FakeDatasetWriter dsWriter;
    auto* r1 = new CKSSpectrumReader(&reader);
    auto* r2 = new CKSSpectrumReader(*r1);
    auto* w1 = new CKSSpectrumWriter(&writer);
    auto* w2 = new CKSSpectrumWriter(*w1);
    auto* d1 = new CKSMSDatasetReader(&dsReader);
    auto* d2 = new CKSMSDatasetReader(*d1);
    auto* e1 = new CKSMSDatasetWriter(&dsWriter);
    auto* e2 = new CKSMSDatasetWriter(*e1);
    EXPECT_EQ(reader.refs, 3);
    EXPECT_EQ(writer.refs, 3);
    EXPECT_EQ(dsReader.refs, 3);
    EXPECT_EQ(dsWriter.refs, 3);
    delete r1;
    delete w1;
    delete d1;
    delete e1;
    EXPECT_EQ(r2->GetDataSourceDescription(), L"Fake spectrum");
    EXPECT_EQ(reader.refs, 2);
    *r2 = *r2;
    EXPECT_EQ(reader.refs, 2);
    delete r2;
    delete w2;
    delete d2;
    delete e2;
    EXPECT_EQ(reader.refs, 1);
    EXPECT_EQ(writer.refs, 1);
    EXPECT_EQ(dsReader.refs, 1);
    EXPECT_EQ(dsWriter.refs, 1);

    FakeSpectrumReader other;
    CKSSpectrumReader a(&reader);
    CKSSpectrumReader b(&other);
    a = b;
    EXPECT_EQ(reader.refs, 1);
    EXPECT_EQ(other.refs, 3);
}

}  // namespace
