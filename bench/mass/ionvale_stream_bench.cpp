// Storing and opening the data objects of a document: 1,000 spectrum data
// objects of 2,000 points each written through the block stream and read
// back (every object's payload goes through the core library's serialise
// and deserialise), against
//   - a plain QDataStream of the same doubles without blocks or images
//     (the floor the target is set against: at most twice its time);
//   - copying the same number of bytes (the floor under everything).
#include "benchsummary.h"

#include <QByteArray>
#include <QDataStream>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "tdatastream.h"
#include "tmassdataobj.h"

namespace {

const int kObjects = 1000;
const int kPoints = 2000;

struct Objects {
    std::vector<std::unique_ptr<TMassSpecDataObj>> spectra;
    QByteArray stored;       // the objects in the block stream
    QByteArray plain;        // the same doubles in a plain stream
    int64_t pointBytes = 0;  // 16 bytes per point

    Objects()
    {
        uint32_t x = 12345;
        for (int k = 0; k < kObjects; ++k) {
            std::vector<double> mz(kPoints), y(kPoints);
            for (int i = 0; i < kPoints; ++i) {
                x = x * 1664525u + 1013904223u;
                mz[i] = 100.0 + i * 0.45 + (x >> 8) * 1e-9;
                y[i] = 1000.0 * std::exp(-std::fmod(i * 0.37, 7.0)) + (x >> 16);
            }
            TKSMassSpectrum s;
            s.setPoints(mz, y);
            s.setMSOrder(1);
            s.setPolarity(1);
            s.setScanRanges({{k + 1, k + 1}}, {{k * 0.01, k * 0.01}});
            spectra.push_back(std::make_unique<TMassSpecDataObj>(QUuid::createUuid(), s, 1));
        }
        TDataStream w(&stored, QIODevice::WriteOnly, 0);
        for (const auto& s : spectra)
            TMassDataObj::writeToStream(w, *s);
        QDataStream p(&plain, QIODevice::WriteOnly);
        p.setVersion(QDataStream::Qt_4_0);
        writePlain(p);
        pointBytes = int64_t(kObjects) * kPoints * 16;
    }

    void writePlain(QDataStream& p) const
    {
        for (const auto& s : spectra) {
            const std::vector<double>& mz = s->spectrum().getMZValues();
            const std::vector<double>& y = s->spectrum().getIntensities();
            p << qint32(mz.size());
            for (double v : mz)
                p << v;
            p << qint32(y.size());
            for (double v : y)
                p << v;
        }
    }
};

const Objects& objects()
{
    static const Objects o;
    return o;
}

void BM_BlockStreamWrite(benchmark::State& state)
{
    const Objects& o = objects();
    for (auto _ : state) {
        QByteArray bytes;
        TDataStream w(&bytes, QIODevice::WriteOnly, 0);
        for (const auto& s : o.spectra)
            TMassDataObj::writeToStream(w, *s);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(state.iterations() * o.pointBytes);
}
BENCHMARK(BM_BlockStreamWrite)->Unit(benchmark::kMillisecond);

void BM_BlockStreamRead(benchmark::State& state)
{
    const Objects& o = objects();
    for (auto _ : state) {
        QByteArray bytes = o.stored;
        TDataStream r(&bytes, QIODevice::ReadOnly, 0);
        int read = 0;
        while (TMassDataObj* object = TMassDataObj::createFromStream(r)) {
            ++read;
            delete object;
        }
        if (read != kObjects)
            state.SkipWithError("objects did not read back");
    }
    state.SetBytesProcessed(state.iterations() * o.pointBytes);
}
BENCHMARK(BM_BlockStreamRead)->Unit(benchmark::kMillisecond);

void BM_PlainStreamWrite(benchmark::State& state)
{
    const Objects& o = objects();
    for (auto _ : state) {
        QByteArray bytes;
        QDataStream p(&bytes, QIODevice::WriteOnly);
        p.setVersion(QDataStream::Qt_4_0);
        o.writePlain(p);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(state.iterations() * o.pointBytes);
}
BENCHMARK(BM_PlainStreamWrite)->Unit(benchmark::kMillisecond);

void BM_PlainStreamRead(benchmark::State& state)
{
    const Objects& o = objects();
    for (auto _ : state) {
        QByteArray bytes = o.plain;
        QDataStream p(&bytes, QIODevice::ReadOnly);
        p.setVersion(QDataStream::Qt_4_0);
        for (int k = 0; k < kObjects; ++k) {
            for (int half = 0; half < 2; ++half) {
                qint32 n = 0;
                p >> n;
                std::vector<double> values(static_cast<size_t>(n));
                for (double& v : values)
                    p >> v;
                benchmark::DoNotOptimize(values.data());
            }
        }
    }
    state.SetBytesProcessed(state.iterations() * o.pointBytes);
}
BENCHMARK(BM_PlainStreamRead)->Unit(benchmark::kMillisecond);

void BM_CopyBytes(benchmark::State& state)
{
    const Objects& o = objects();
    std::vector<char> target(static_cast<size_t>(o.pointBytes));
    std::vector<char> source(static_cast<size_t>(o.pointBytes), 1);
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), target.size());
        benchmark::DoNotOptimize(target.data());
    }
    state.SetBytesProcessed(state.iterations() * o.pointBytes);
}
BENCHMARK(BM_CopyBytes)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    ksbench::registerControl("BM_BlockStreamWrite_again", BM_BlockStreamWrite)->Unit(benchmark::kMillisecond);
    return ksbench::runWithSummary(
        argc, argv,
        {{"write 1,000 x 2,000-point spectrum objects (32 MB)", "BM_BlockStreamWrite", "BM_PlainStreamWrite",
          "TMassDataObj::writeToStream of each into one block stream (core-library image per object)",
          "floor: a plain QDataStream (Qt 4.0 format) of the same doubles, count and values, no blocks", 2.0},
         {"read them back (opening a document)", "BM_BlockStreamRead", "BM_PlainStreamRead",
          "TMassDataObj::createFromStream of every object from a copy of the stored bytes",
          "floor: the same doubles read back from the plain stream into vectors", 2.0},
         {"copy of the 32 MB of values", "BM_CopyBytes", nullptr, "memcpy: the floor under both"},
         {"control: write / again", "BM_BlockStreamWrite", "BM_BlockStreamWrite_again"}});
}
