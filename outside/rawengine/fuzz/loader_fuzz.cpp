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
        for (int k = 0; k < h.NumItems(); ++k)
            h.ItemOffset(k);
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
