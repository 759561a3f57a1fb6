// Shared pieces: the exception type, packet-type tests and the test hook.
#include "rawformat.h"
#include "rawtesthooks.h"
#include "rawtypes.h"

#include <atomic>
#include <map>
#include <mutex>
#include <new>

namespace rawengine {

EngineError::EngineError(const std::string& what) : std::runtime_error(what) {}
EngineError::~EngineError() = default;

namespace {
std::atomic<bool> g_fileLibraryReady{false};
std::atomic<bool> g_globalLibraryReady{false};
std::atomic<int> g_liveRawfiles{0};
}  // namespace

void FIO_Init()
{
    // The first checksum builds the table.
    const uint8_t probe = 0;
    (void)format::crc32(&probe, 1);
    g_fileLibraryReady = true;
}

void FG_Init() { g_globalLibraryReady = true; }

bool IsEngineInitialised() { return g_fileLibraryReady && g_globalLibraryReady; }

bool IsChannelKind(int32_t kind) { return kind == kDeviceAnalog || kind == kDeviceADCard || kind == kDeviceUV; }
bool IsSpectralKind(int32_t kind) { return kind == kDeviceMS || kind == kDevicePDA; }

bool IsProfileScan(uint32_t t)
{
    switch (t) {
    case kPacketProfSp:
    case kPacketProfIndex:
    case kPacketAccMassProfSp:
    case kPacketDgXaqr:
    case kPacketDgXaqrIndex:
    case kPacketProfSp2:
    case kPacketProfSp3:
    case kPacketChannelUV:
    case kPacketMSAnalog:
        return true;
    default:
        return false;
    }
}

bool IsChannelPacket(uint32_t t) { return t == kPacketChannelUV || t == kPacketMSAnalog; }
bool IsSpectralPacket(uint32_t t) { return t < kPacketTypeCount && !IsChannelPacket(t); }

uint32_t CentroidPacketType(uint32_t t)
{
    if (!IsProfileScan(t) || IsChannelPacket(t))
        return t;
    if (t == kPacketProfSp2)
        return kPacketLrSp2;
    if (t == kPacketProfSp3)
        return kPacketLrSp3;
    return kPacketLrSp;
}

namespace {
std::mutex g_hookMutex;
struct Armed {
    int skip = 0;           // calls to let pass first
    bool badAlloc = false;  // fail as an allocation does, not as the engine
};
std::map<std::string, Armed> g_armed;
std::atomic<bool> g_anyArmed{false};
}  // namespace

namespace testhook {

void FailNextCall(const std::string& operation, int skip)
{
    std::lock_guard<std::mutex> lock(g_hookMutex);
    g_armed[operation] = Armed{skip < 0 ? 0 : skip, false};
    g_anyArmed = true;
}

void FailNextAllocation(const std::string& operation, int skip)
{
    std::lock_guard<std::mutex> lock(g_hookMutex);
    g_armed[operation] = Armed{skip < 0 ? 0 : skip, true};
    g_anyArmed = true;
}

void ClearInjectedFailures()
{
    std::lock_guard<std::mutex> lock(g_hookMutex);
    g_armed.clear();
    g_anyArmed = false;
}

int PendingInjectedFailures()
{
    std::lock_guard<std::mutex> lock(g_hookMutex);
    return int(g_armed.size());
}

int LiveRawfiles() { return g_liveRawfiles.load(); }

}  // namespace testhook

namespace detail {

void countRawfile(int delta) { g_liveRawfiles += delta; }

void checkpoint(const char* operation)
{
    if (!g_anyArmed.load(std::memory_order_relaxed))
        return;
    std::lock_guard<std::mutex> lock(g_hookMutex);
    auto it = g_armed.find(operation);
    if (it == g_armed.end())
        return;
    if (it->second.skip > 0) {
        --it->second.skip;
        return;
    }
    const bool badAlloc = it->second.badAlloc;
    g_armed.erase(it);
    g_anyArmed = !g_armed.empty();
    if (badAlloc)
        throw std::bad_alloc();
    throw EngineError(std::string("injected failure: ") + operation);
}

}  // namespace detail

}  // namespace rawengine
