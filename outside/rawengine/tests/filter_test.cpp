// The filter grammar: canonical text, what does not parse, matching, the
// sample's own filters and the grouping keys the dataset reader builds.
#include "rawfilter.h"
#include "rawtest.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <map>
#include <set>

using namespace rawtest;

namespace {

std::string narrow(const std::wstring& s) { return ks::reg::utf8FromWide(s); }

// Write-parse-write: the canonical text of a text, which parses to itself.
std::wstring canonical(const std::wstring& text, int precision = 2)
{
    FilterParseError why;
    const std::optional<CFilter> f = ParseFilter(text, precision, &why);
    if (!f) {
        ADD_FAILURE() << narrow(text) << ": " << why.reason << " at " << why.position;
        return L"";
    }
    const std::wstring once = f->GetFilterString(precision);
    const std::optional<CFilter> again = ParseFilter(once, precision);
    EXPECT_TRUE(again) << narrow(once);
    if (again) {
        EXPECT_EQ(again->GetFilterString(precision), once) << narrow(text);
    }
    return once;
}

// The dataset reader's grouping key of a filter text: the words before and
// including the sign, then the scan mode and the MS order.
std::wstring groupingKey(const std::wstring& text)
{
    std::wstring copy = L" " + text + L" ";
    for (wchar_t& c : copy) {
        if (c == L'\t')
            c = L' ';
        c = wchar_t(std::towlower(wint_t(c)));
    }
    std::wstring key;
    for (const wchar_t* sign : {L" + ", L" - "}) {
        const size_t at = copy.find(sign);
        if (at != std::wstring::npos) {
            key = copy.substr(0, at + 1) + sign[1] + L" ";
            break;
        }
    }
    for (const wchar_t* mode : {L" full ", L" z ", L" sim ", L" srm ", L" crm "}) {
        if (copy.find(mode) != std::wstring::npos) {
            key += std::wstring(mode + 1);
            break;
        }
    }
    int order = 1;
    const size_t ms = copy.find(L" ms");
    if (ms != std::wstring::npos)
        std::swscanf(copy.c_str() + ms, L" ms%d ", &order);
    key += L"ms";
    if (order == 10)
        key += L"10";
    else if (order >= 2 && order <= 9)
        key += wchar_t(L'0' + order);
    return key;
}

// The dataset reader's reading of the precursors: " %lf@%*lf" repeated from
// the blank before the first token with an at sign.
int readerPrecursors(const std::wstring& text)
{
    const size_t at = text.find(L'@');
    if (at == std::wstring::npos)
        return 0;
    size_t from = text.rfind(L' ', at);
    from = from == std::wstring::npos ? 0 : from;
    const wchar_t* p = text.c_str() + from;
    int n = 0;
    double mass;
    int used = 0;
    while (n < 10 && std::swscanf(p, L" %lf@%*lf%n", &mass, &used) == 1) {
        ++n;
        p += used;
    }
    return n;
}

}  // namespace

TEST(RawFilter, CanonicalTextIsStableAndFixedInOrder)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* canonical;
    } cases[] = {
        {L"FTMS + p ESI d Full ms2 500.00@35.00 [135.00-1000.00]", nullptr},
        {L"ftms + P esi D full MS2 500@35 [135-1000]", L"FTMS + p ESI d Full ms2 500.00@35.00 [135.00-1000.00]"},
        {L"ms2 Full d ESI p + FTMS 500@35 [135-1000]", L"FTMS + p ESI d Full ms2 500.00@35.00 [135.00-1000.00]"},
        {L" ftms + full ms2", L"FTMS + Full ms2"},
        {L"ITMS - c ESI Z ms", nullptr},
        {L"c ESI Full ms1", L"c ESI Full ms"},
        {L"[100-200, 300-400]", L"[100.00-200.00, 300.00-400.00]"},
        {L"[ 100 - 200 ,300-400 ]", L"[100.00-200.00, 300.00-400.00]"},
        {L"TQMS + c APCI corona sid=35 t !w !u SRM ms3 301.25@hcd25.5 150.1@etd10", 
         L"TQMS + c APCI corona sid=35.00 t !w !u SRM ms3 301.25@hcd25.50 150.10@etd10.00"},
        {L"SQMS - EI !corona !sid !t !d Q1MS ms", nullptr},
        {L"sector + ci", L"SECTOR + CI"},
        {L"TOFMS - MALDI w u CRM nl 250.5", L"TOFMS - MALDI w u CRM nl 250.50"},
        {L"+ NSI SIM ng", nullptr},
        {L"- TSP Q3MS par", nullptr},
        {L"FD", nullptr},
        {L"gd sid", L"GD sid"},
        {L"ms10 1@1 2@2 3@3 4@4 5@5 6@6 7@7 8@8 9@9",
         L"ms10 1.00@1.00 2.00@2.00 3.00@3.00 4.00@4.00 5.00@5.00 6.00@6.00 7.00@7.00 8.00@8.00 9.00@9.00"},
        {L"ms2 500", L"ms2 500.00"},
        {L"ms2 .5@cid1.", L"ms2 0.50@cid1.00"},
        {L"", nullptr},
        {L" \t\r\n", L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(canonical(c.text), c.canonical ? c.canonical : c.text) << narrow(c.text);
    }
    // Masses take the precision's decimals; energies two.
    EXPECT_EQ(canonical(L"ms2 100.0044@35.126 [100.004-200]", 3), L"ms2 100.004@35.13 [100.004-200.000]");
    EXPECT_EQ(canonical(L"ms2 100.0044@35 [100.004-200]", 0), L"ms2 100@35.00 [100-200]");
    const std::optional<CFilter> f = ParseFilter(L"ms2 100.0044@35.125", 2);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->GetFilterString(4, -1, 3), L"ms2 100.0044@35.125");
    EXPECT_EQ(ParseFilter(L"ms3 1@2 3@4", 2)->GetFilterString(2, 1), L"ms3 1.00@2.00");
}

TEST(RawFilter, TextThatIsNotAFilterDoesNotParse)
{
    const wchar_t* bad[] = {
        L"[abc]", L"[]", L"[200-100]", L"[100-200", L"[100-200] x", L"[100-200][300-400]", L"[100]",
        L"[100-200-300]", L"[1e3-2000]", L"[-5-10]", L"FTMS ITMS", L"+ -", L"p c", L"ESI APCI", L"FD GD", L"Full Z",
        L"ms2 ms3", L"ms11", L"ms0", L"ms02", L"ms 500@35", L"ms2 500@35 600@35", L"500@xyz35", L"500@",
        L"@35", L"500@35@36", L"foo", L"!x", L"!ms", L"sid=", L"sid=abc", L"sid sid", L"d !d", L"-5@35",
        L"FTMS\u00e9", L"ms2 1e2@35", L"1@1 2@2 3@3 4@4 5@5 6@6 7@7 8@8 9@9 10@10 11@11", L"FTMS[100-200]",
    };
    for (const wchar_t* text : bad) {
        FilterParseError why;
        EXPECT_FALSE(ParseFilter(text, 2, &why)) << narrow(text);
        EXPECT_FALSE(why.reason.empty()) << narrow(text);
    }
}

TEST(RawFilter, MassRangeListsReadInOrder)
{
    // The reader encloses a range text in brackets and takes the ranges.
    const std::optional<CFilter> f = ParseFilter(L"[100-200, 300-400]", 2);
    ASSERT_TRUE(f);
    ASSERT_EQ(f->GetMassRangeN(), 2);
    EXPECT_EQ(f->GetMassRanges()[0].low, 100.0);
    EXPECT_EQ(f->GetMassRanges()[0].high, 200.0);
    EXPECT_EQ(f->GetMassRanges()[1].low, 300.0);
    EXPECT_EQ(f->GetMassRanges()[1].high, 400.0);
    EXPECT_EQ(ParseFilter(L"[1.5-99999.00]", 2)->GetMassRanges()[0].low, 1.5);
    EXPECT_EQ(ParseFilter(L"[5-5]", 2)->GetMassRangeN(), 1);  // a single mass is a range
}

TEST(RawFilter, MatchingComparesWithinHalfAUnit)
{
    CScanEvent e = fullEvent();  // TOFMS - p APCI ... SRM ms3 301.25@hcd25 152.5 [50-150, 160-300]
    struct Case {
        const wchar_t* filter;
        int precision;
        bool passes;
    } cases[] = {
        {L"", 2, true},
        {L"TOFMS - p APCI corona sid=12.50 !t w u SRM ms3", 2, true},
        {L"TOFMS - p APCI corona sid=12.51 !t w u SRM ms3", 2, false},
        {L"ms3 301.25@hcd25.00", 2, true},
        {L"ms3 301.254", 2, true},        // within 0.005
        {L"ms3 301.256", 2, false},
        {L"ms3 301.256", 1, true},        // within 0.05
        {L"ms3 301.25@25.00", 2, true},   // no activation named
        {L"ms3 301.25@cid25.00", 2, false},
        {L"ms3 301.25@26.00", 2, false},
        {L"ms3 301.25 152.50", 2, true},
        {L"ms3 301.25 152.50@0", 2, false},  // the event gives no energy there
        {L"ms2", 2, false},
        {L"ms", 2, false},
        {L"[50.004-149.996, 160-300]", 2, true},
        {L"[50-150]", 2, false},          // the ranges match one for one
        {L"[50.01-150, 160-300]", 2, false},
        {L"d", 2, false},                 // the event's dependent state is "any"
        {L"!d", 2, false},
        {L"+", 2, false},
        {L"FTMS", 2, false},
        {L"t", 2, false},
        {L"!t", 2, true},
    };
    for (const Case& c : cases) {
        const std::optional<CFilter> f = ParseFilter(c.filter, c.precision);
        ASSERT_TRUE(f) << narrow(c.filter);
        EXPECT_EQ(f->Matches(e), c.passes) << narrow(c.filter);
    }
    // "ms" is order 1 exactly; an absent order accepts any.
    CScanEvent ms1;
    EXPECT_TRUE(ParseFilter(L"ms", 2)->Matches(ms1));
    ms1.msOrder = kOrderNeutralLoss;
    EXPECT_FALSE(ParseFilter(L"ms", 2)->Matches(ms1));
    EXPECT_TRUE(ParseFilter(L"nl", 2)->Matches(ms1));
    EXPECT_TRUE(ParseFilter(L"Full", 2)->Matches(ms1));
}

TEST(RawFilter, ScanFiltersLeaveSwitchesThatAreOffOpenAndEventTextsStateThem)
{
    CScanEvent e;
    e.analyzer = Analyzer::FTMS;
    e.ionization = Ionization::ESI;
    e.msOrder = 2;
    e.reactions = {{445.12, true, 35.0, Activation::Any}};
    const CFilter f = CFilter::FromScanEvent(e, 2);
    EXPECT_EQ(f.GetFilterString(2), L"FTMS + c ESI Full ms2 445.12@35.00");
    EXPECT_EQ(e.GetScanEventString(2), L"FTMS + c ESI !sid !t !d !w !u Full ms2 445.12@35.00");
    e.dependent = Tri::On;
    EXPECT_TRUE(f.Matches(e));  // a dependent scan of the kind passes too
    EXPECT_FALSE(ParseFilter(CScanEvent(e).GetScanEventString(2), 2)->Matches(CScanEvent()));
    const std::optional<CFilter> own = ParseFilter(e.GetScanEventString(2), 2);
    ASSERT_TRUE(own);
    EXPECT_TRUE(own->Matches(e));
    EXPECT_EQ(e.GetScanEventString(2, 0), L"FTMS + c ESI !sid !t d !w !u Full ms2");
}

TEST(RawFilter, SampleScansPassTheirOwnFiltersAndKeysSelectTheirFunctions)
{
    auto f = loadBytes(SerializeRawFile(MakeSampleFile()));
    auto* ms = dynamic_cast<CVirtualMS*>(f->SetVirtualDataObject(kDeviceMS, 1));
    ASSERT_NE(ms, nullptr);
    const int precision = ms->GetRunHeader().filterMassPrecision;
    // The dataset reader's functions: scans grouped by key.
    std::map<std::wstring, std::set<int32_t>> functions;
    for (int32_t s = ms->FirstScan(); s <= ms->LastScan(); ++s) {
        const std::wstring text = ms->GetFilter(s).GetFilterString(precision);
        const std::optional<CFilter> own = ParseFilter(text, precision);
        ASSERT_TRUE(own) << narrow(text);
        EXPECT_TRUE(own->Matches(ms->GetScanEvent(s))) << narrow(text);
        // The reader's own reading of the precursors accepts the text.
        const int order = ms->GetScanEvent(s).MSOrder();
        EXPECT_EQ(readerPrecursors(text) + 1, order) << narrow(text);
        functions[groupingKey(text)].insert(s);
    }
    EXPECT_EQ(functions.size(), 5u);
    for (const auto& [key, scans] : functions) {
        const std::optional<CFilter> filter = ParseFilter(key, precision);
        ASSERT_TRUE(filter) << narrow(key);
        std::set<int32_t> selected;
        for (int32_t s = ms->GetNextScanIndex(0, &*filter); s != -1; s = ms->GetNextScanIndex(s, &*filter))
            selected.insert(s);
        EXPECT_EQ(selected, scans) << narrow(key);
    }
    EXPECT_EQ(functions.count(L" ftms + full ms"), 1u);
    EXPECT_EQ(functions.count(L" itms + full ms2"), 1u);
    EXPECT_EQ(functions.count(L" itms + full ms3"), 1u);
    EXPECT_EQ(functions.count(L" ftms + z ms"), 1u);
    EXPECT_EQ(functions.count(L" ftms + sim ms"), 1u);
}

TEST(RawFilter, KeysWithoutSignAnalyserOrScanTypeSelectMore)
{
    // Scans the sample does not have: what the reader's keys then select.
    FileData model = MakeSampleFile();
    ControllerData& c = model.controllers[0];
    auto add = [&](CScanEvent e) {
        ScanRecord s;
        s.hasEvent = true;
        s.event = e;
        s.index.startTime = 10.0 + double(c.scans.size());
        c.scans.push_back(s);
    };
    CScanEvent unsigned1;  // a filter text without sign: "c ESI Full ms"
    unsigned1.polarity = Polarity::Any;
    unsigned1.ionization = Ionization::ESI;
    add(unsigned1);
    CScanEvent q1;  // Q1MS never enters a key
    q1.analyzer = Analyzer::TQMS;
    q1.scanType = ScanType::Q1MS;
    add(q1);
    CScanEvent q3 = q1;
    q3.scanType = ScanType::Q3MS;
    add(q3);
    CScanEvent loss = q1;  // nor does a neutral-loss order
    loss.scanType = ScanType::Full;
    loss.msOrder = kOrderNeutralLoss;
    add(loss);
    auto f = loadBytes(SerializeRawFile(model));
    auto* ms = dynamic_cast<CVirtualMS*>(f->SetVirtualDataObject(kDeviceMS, 1));
    ASSERT_NE(ms, nullptr);
    auto count = [&](const std::wstring& key) {
        const std::optional<CFilter> filter = ParseFilter(key, 2);
        EXPECT_TRUE(filter) << narrow(key);
        int n = 0;
        for (int32_t s = ms->GetNextScanIndex(0, &*filter); s != -1; s = ms->GetNextScanIndex(s, &*filter))
            ++n;
        return n;
    };
    const int32_t last = ms->LastScan();
    EXPECT_EQ(groupingKey(ms->GetFilter(last - 3).GetFilterString(2)), L"full ms");
    EXPECT_EQ(count(L"full ms"), 6 + 1);  // the unsigned scan and the FTMS surveys
    EXPECT_EQ(groupingKey(ms->GetFilter(last - 2).GetFilterString(2)), L" tqms + ms");
    EXPECT_EQ(count(L" tqms + ms"), 2);  // Q1MS and Q3MS together
    EXPECT_EQ(groupingKey(ms->GetFilter(last).GetFilterString(2)), L" tqms + full ms");
    // "ms" is order 1: the neutral-loss scan's key does not even select it.
    EXPECT_EQ(count(L" tqms + full ms"), 0);
}
