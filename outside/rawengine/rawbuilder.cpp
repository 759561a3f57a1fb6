// The builder: a model written as one file image.
#include "rawbuilder.h"

#include "rawformat.h"
#include "rawtesthooks.h"

#include "kshive.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace rawengine {

namespace {

// What the file format cannot hold is refused before a byte is written.
void checkModel(const FileData& data)
{
    auto eventFits = [](const CScanEvent& e) {
        return e.reactions.size() <= kMaxReactions && e.massRanges.size() <= kMaxMassRanges;
    };
    if (data.controllers.size() > size_t(format::kMaxControllers))
        throw EngineError("more controllers than a raw file holds");
    for (const ControllerData& c : data.controllers) {
        if (c.kind < 0 || c.kind >= kDeviceKindCount)
            throw EngineError("controller of unknown kind " + std::to_string(c.kind));
        if (c.kind == kDeviceOther && !c.scans.empty())
            throw EngineError("a controller of kind 5 has no scans");
        if ((c.trailer.hasHeader || !c.trailer.records.empty() || c.tune.hasHeader || !c.tune.records.empty() ||
             c.methodEvents.Count() > 0) &&
            c.kind != kDeviceMS)
            throw EngineError("trailer, tune data and method events belong to a mass spectrometer");
        for (const auto& [key, e] : c.methodEvents.Events())
            if (!eventFits(e))
                throw EngineError("a method scan event beyond what an event holds");
        for (const ScanRecord& s : c.scans)
            if (s.hasEvent && !eventFits(s.event))
                throw EngineError("a scan event beyond what an event holds");
    }
}

}  // namespace

std::string SerializeRawFile(const FileData& data, const BuildOptions& options)
{
    detail::checkpoint("SerializeRawFile");
    checkModel(data);
    std::string chunks = format::fileChunks(data);
    if (!options.extraChunks.empty()) {
        std::string extra;
        for (const auto& [tag, payload] : options.extraChunks) {
            if (tag.size() != 4)
                throw EngineError("a chunk tag has four characters");
            const char t[5] = {tag[0], tag[1], tag[2], tag[3], 0};
            extra += format::chunk(format::tag(t), payload);
        }
        // After the file information and the sequence row.
        size_t at = 0;
        for (int i = 0; i < 2; ++i) {
            format::Reader head(reinterpret_cast<const uint8_t*>(chunks.data()) + at + 4, 4);
            at += format::kChunkHeaderSize + head.u32();
        }
        chunks.insert(at, extra);
    }
    std::string out = format::preamble(data.info.version, data.info.acquisitionFlags);
    out += chunks;
    if (options.writeEnd) {
        format::Writer crc;
        crc.u32(format::crc32(reinterpret_cast<const uint8_t*>(chunks.data()), chunks.size()));
        out += format::chunk(format::kTagEnd, crc.bytes());
    }
    return out;
}

void WriteRawFile(const std::wstring& path, const FileData& data, const BuildOptions& options)
{
    const std::string bytes = SerializeRawFile(data, options);
    std::wstring p = path;
    std::replace(p.begin(), p.end(), L'\\', L'/');
    const std::string file = ks::reg::utf8FromWide(p);
    const int fd = format::createRegularFile(file);
    if (fd < 0)
        throw EngineError(file + ": cannot be created (" + std::strerror(errno) + ")");
    const bool ok = format::writeAllAt(fd, bytes, 0);
    const int err = errno;
    if (::close(fd) != 0 || !ok)
        throw EngineError(file + ": cannot be written (" + std::strerror(ok ? errno : err) + ")");
}

}  // namespace rawengine
