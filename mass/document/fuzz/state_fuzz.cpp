// The readers of the analysis states: the input is read as an
// elemental-composition state, a molecule-match state, the result objects
// of the select and hide commands, stored match settings and stored
// composition constraints. Whatever reads without failure must write
// bytes that read back and write the same bytes again.
//
// The calculator's and matcher's images (and the spectrum and
// chromatogram images in them and in the result objects) carry CRC-32s:
// the input is also tried with every checksum made right, so that changes
// inside an image reach the core library's deserialize.
#include <cstdint>
#include <cstdlib>

#include <QByteArray>

#include "imagechecksums.h"
#include "tdatastream.h"
#include "tmasselementcomposition.h"
#include "tmassmoleculematch.h"

namespace {

template <class State>
QByteArray savedState(const State& state)
{
    QByteArray bytes;
    TDataStream s(&bytes, QIODevice::WriteOnly, 0);
    state.save(s);
    return bytes;
}

QByteArray savedObjects(const TMassMoleculeMatch& match)
{
    QByteArray bytes;
    TDataStream s(&bytes, QIODevice::WriteOnly, 0);
    match.saveResultObjects(s);
    return bytes;
}

void require(bool condition)
{
    if (!condition)
        std::abort();
}

// A state read without failure writes bytes that a fresh state reads
// whole and writes again unchanged.
template <class State>
void readState(QByteArray bytes)
{
    State state;
    TDataStream s(&bytes, QIODevice::ReadOnly, 0);
    state.load(s);
    if (!s.ok())
        return;
    QByteArray first = savedState(state);
    State again;
    TDataStream in(&first, QIODevice::ReadOnly, 0);
    again.load(in);
    require(in.ok() && in.remaining() == 0);
    require(savedState(again) == first);
}

void readResultObjects(QByteArray bytes)
{
    TMassMoleculeMatch match;
    TDataStream s(&bytes, QIODevice::ReadOnly, 0);
    match.loadResultObjects(s);
    if (!s.ok())
        return;
    QByteArray first = savedObjects(match);
    TMassMoleculeMatch again;
    TDataStream in(&first, QIODevice::ReadOnly, 0);
    again.loadResultObjects(in);
    require(in.ok() && in.remaining() == 0);
    require(savedObjects(again) == first);
}

void readSettings(const QByteArray& bytes)
{
    TMolMatchSettings settings;
    if (!molMatchSettingsFromByteArray(bytes, settings))
        return;
    const QByteArray first = molMatchSettingsToByteArray(settings);
    TMolMatchSettings again;
    require(molMatchSettingsFromByteArray(first, again));
    require(molMatchSettingsToByteArray(again) == first);
}

void readConstraints(const QByteArray& bytes)
{
    bool ok = false;
    const TKSCompositionConstraints constraints = elementConstraintsFromByteArray(bytes, &ok);
    if (!ok)
        return;
    const QByteArray first = elementConstraintsToByteArray(constraints);
    const TKSCompositionConstraints again = elementConstraintsFromByteArray(first, &ok);
    require(ok);
    require(elementConstraintsToByteArray(again) == first);
}

void readAll(const QByteArray& bytes)
{
    readState<TMassElementComposition>(bytes);
    readState<TMassMoleculeMatch>(bytes);
    readResultObjects(bytes);
    readSettings(bytes);
    readConstraints(bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<int>(size));
    readAll(bytes);
    if (fuzzimages::fixChecksums(bytes, {"TKEC", "TKMM", "TKMS", "TKCH"}))
        readAll(bytes);
    return 0;
}
