// Raw-file engine stand-in: the builder of fixtures, which writes a whole
// FileData as a file, including what the writers cannot (several
// controllers of every kind, labels, noise, every log, tune segments, a
// sequence row, methods, older format versions, files caught while being
// written), and the standard sample.
//
// SerializeRawFile answers the file's bytes: the preamble with the
// model's version and acquisition flags, every chunk of the model, any
// extra chunks (after the sequence row) and, unless left out, the end
// chunk. WriteRawFile writes the same bytes to a path and throws
// EngineError when it cannot. Loading what they write gives the model back
// (rawmodel.h); values a file cannot hold (more reactions or mass ranges
// than an event holds, counts beyond 32 bits) throw EngineError.
#pragma once

#include "rawmodel.h"

#include <string>
#include <utility>
#include <vector>

namespace rawengine {

struct BuildOptions {
    // Without an end chunk the file reads only while its kAcqWriting flag
    // says a writer is still at it (else it is truncated).
    bool writeEnd = true;
    // Chunks written after the sequence row: a four-character tag and the
    // payload (tags the engine does not know are skipped by readers).
    std::vector<std::pair<std::string, std::string>> extraChunks;
};

RAWENGINE_API std::string SerializeRawFile(const FileData& data, const BuildOptions& options = {});
RAWENGINE_API void WriteRawFile(const std::wstring& path, const FileData& data, const BuildOptions& options = {});

// The standard sample (README.md, "The standard sample"): a mass
// spectrometer with full MS1 profile scans (labels, noise, two segments),
// dependent MS2 and MS3 centroid scans whose trailers and label peaks form
// a precursor chain, a zoom and a SIM scan in every cycle; a UV detector
// of three channels (one unlabelled); a PDA detector; an analog input;
// status and error logs, two tune segments, a sequence row and two
// instrument methods.
RAWENGINE_API FileData MakeSampleFile();

// Large fixtures of a size, for loading and listing at scale: the standard
// sample with `methods` instrument methods ("Method 1", ... each with its
// "Text" stream) in place of its two; a mass spectrometer alone whose
// `scans` scans are dependent MS2 scans each on a precursor of its own
// (100.00, 100.01, ...), so that every scan has a filter of its own.
RAWENGINE_API FileData MakeManyMethodsFile(int32_t methods);
RAWENGINE_API FileData MakeDistinctFiltersFile(int32_t scans);

}  // namespace rawengine
