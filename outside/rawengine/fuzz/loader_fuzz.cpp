// The raw-file loader: whatever the bytes, opening ends with a file or an
// error state; what loads reads through every view without throwing past
// the engine's own errors, and written again it loads to the same bytes.
#include "ksfuzz.h"
#include "rawbuilder.h"
#include "rawfile.h"
#include "rawformat.h"

#include "kscomptr.h"
#include "kshive.h"

#include <cstdint>
#include <cstdlib>

using namespace rawengine;

namespace {

void touch(const CRawfile& f)
{
    for (int32_t i = 0; i < f.NumberOfVirtualControllers(); ++i) {
        const CVirtualData& c = f.Controller(i);
        const CRunHeader& rh = c.GetRunHeader();
        for (int32_t s = rh.firstScanNumber; s <= rh.lastScanNumber; ++s) {
            std::unique_ptr<CRawScan> scan = c.GetScan(s);
            CRawScan sum = *scan;
            sum.ToCentroid();
            sum += *scan;
            sum -= *scan;
            for (int p = 0; p < scan->NumPackets(); ++p) {
                double lo, hi;
                scan->GetSegmentMassRange(p, lo, hi);
            }
            if (const auto* ms = dynamic_cast<const CVirtualMS*>(&c)) {
                const CScanEvent e = ms->GetScanEvent(s);
                for (int r = 0; r < e.NumReactions(); ++r)
                    e.GetReaction(r);
            }
        }
        const CGenericDataHeader& h = c.GetStatusLogHeader();
        std::vector<std::wstring> labels, values;
        for (int32_t k = 0; k < c.NumStatusLog(); ++k)
            GenericRecordToText(h, c.GetStatusLogRecord(k), labels, values);
        // Every trace of the kind over every scan, and the navigation.
        std::vector<std::unique_ptr<CRawChro>> chros;
        std::vector<CRawChro*> list;
        for (int32_t index = 0; index < 3; ++index) {
            const int32_t type = TranslateTraceCBIndexToEnum(index, c.DeviceKind(), kTraceNone);
            if (IsTraceTypeOfKind(type, c.DeviceKind())) {
                chros.push_back(std::make_unique<CRawChro>(type));
                chros.back()->SetMassRanges({{0.0, 1e9}});
                list.push_back(chros.back().get());
            }
        }
        c.GetChro(list, rh.firstScanNumber, rh.lastScanNumber);
        for (CRawChro* chro : list)
            CSmoother::SmoothChro(*chro, kSmoothGaussian, 5);
        c.FindScanPosition(rh.startTime);
        if (const auto* ms = dynamic_cast<const CVirtualMS*>(&c)) {
            for (const CFilter& f : ms->GetFilters(-1, -1)) {
                // A scan's filter text parses and selects a scan.
                const std::optional<CFilter> again = ParseFilter(f.GetFilterString(f.precision), f.precision);
                if (again && ms->GetNextScanIndex(rh.firstScanNumber - 1, &*again) == -1)
                    std::abort();
            }
            for (int32_t s = 0; s < ms->NumTrailerExtra(); ++s)
                ms->GetTrailerExtraDataAtScan(rh.firstScanNumber + s, labels, values);
        }
    }
    if (const CMethodStg* m = f.GetMethodStorage()) {
        ks::ComPtr<IStorage> stg;
        if (SUCCEEDED(m->GetStorage(&stg)))
            for (int i = 0; i < m->NumMethods(); ++i) {
                try {
                    m->GetMethodText(i);
                } catch (const EngineError&) {
                }
            }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = ks::fuzz::writeInput(data, size, "input.raw");
    CRawfile f(ks::reg::wideFromUtf8(path));
    if (f.IsError())
        return 0;
    touch(f);
    // Written again, the model loads to the same bytes.
    const std::string once = SerializeRawFile(f.Data());
    FileData again;
    format::LoadStatus st;
    if (!format::loadImage(reinterpret_cast<const uint8_t*>(once.data()), once.size(), again, st))
        std::abort();
    if (SerializeRawFile(again) != once)
        std::abort();
    return 0;
}
