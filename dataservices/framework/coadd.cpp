#include "coadd.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "kssort.h"

LONG CoAddSpectra(bool inDaltons, double tolerance, const CMassSpectrum& source, CMassSpectrum& accumulator)
{
    if (source.IsCentroid() != accumulator.IsCentroid())
        return 0;
    if (source.IsCentroid())
        return MergeCentroidLists(inDaltons, tolerance, source, accumulator);
    CProfileMerger merger;
    return merger.Merge(source, accumulator, true);
}

LONG MergeCentroidLists(bool inDaltons, double tolerance, const CMassSpectrum& source,
                        CMassSpectrum& accumulator)
{
    const LONG na = accumulator.Masses() && accumulator.Intensities() ? accumulator.GetCount() : 0;
    const LONG ns = source.Masses() && source.Intensities() ? source.GetCount() : 0;

    CMassSpectrum scratch;
    scratch.SetSize(na + ns, false, false, false);
    scratch.SetCentroid(accumulator.IsCentroid());
    scratch.SetPolarity(accumulator.GetPolarity());

    const double* am = accumulator.Masses();
    const double* ay = accumulator.Intensities();
    const double* sm = source.Masses();
    const double* sy = source.Intensities();
    double* m = scratch.Masses();
    double* y = scratch.Intensities();
    LONG a = 0, s = 0, taken = 0;
    // Equal m/z: the accumulator's point first.
    while (a < na && s < ns) {
        if (am[a] > sm[s]) {
            m[taken] = sm[s];
            y[taken++] = sy[s++];
        } else {
            m[taken] = am[a];
            y[taken++] = ay[a++];
        }
    }
    for (; s < ns; ++s, ++taken) {
        m[taken] = sm[s];
        y[taken] = sy[s];
    }
    for (; a < na; ++a, ++taken) {
        m[taken] = am[a];
        y[taken] = ay[a];
    }
    scratch.Resize(taken);
    MergeCentroidPeaks(inDaltons, tolerance, scratch);
    accumulator = scratch;
    return accumulator.GetCount();
}

LONG MergeCentroidPeaks(bool inDaltons, double tolerance, CMassSpectrum& spectrum)
{
    const LONG n = spectrum.GetCount();
    double* m = spectrum.Masses();
    double* y = spectrum.Intensities();
    if (n <= 0 || !m || !y)
        return 0;
    void** objects = spectrum.PeakObjects();
    BYTE* flags = spectrum.PeakFlags();
    SHORT* notes = spectrum.Annotations();
    const PeakMergeHook merge = spectrum.GetMergeHook();
    const ULONG_PTR mergeUser = spectrum.GetMergeUser();

    const double half = tolerance * 0.5;
    const double factor = 1.0 + tolerance * 5e-7;
    auto limitOf = [&](double centre) { return inDaltons ? centre + half : centre * factor; };

    LONG written = 0;
    LONG i = 0;
    while (i < n) {
        double centre = m[i];
        double sum = y[i];
        void* object = nullptr;
        if (objects) {
            object = objects[i];
            objects[i] = nullptr;
        }
        // The group's flag and annotation are those of its first point.
        const BYTE flag = flags ? flags[i] : 0;
        const SHORT note = notes ? notes[i] : 0;
        double limit = limitOf(centre);
        LONG j = i + 1;
        for (; j < n && m[j] <= limit; ++j) {
            const double add = y[j];
            if (add > 0) {
                centre = (m[j] * add + centre * sum) / (sum + add);
                sum += add;
                limit = limitOf(centre);
            }
            if (objects) {
                // The merge hook takes both objects over; without one the
                // joining object is discarded.
                void* joining = objects[j];
                objects[j] = nullptr;
                if (merge)
                    object = merge(object, joining, mergeUser);
                else
                    spectrum.ReleasePeakObject(joining);
            }
        }
        if (sum > 0) {
            m[written] = centre;
            y[written] = std::min(sum, KSMaxMergedIntensity);
            if (objects)
                objects[written] = object;
            if (flags)
                flags[written] = flag;
            if (notes)
                notes[written] = note;
            ++written;
        } else {
            spectrum.ReleasePeakObject(object);
        }
        i = j;
    }
    spectrum.Resize(written);
    spectrum.Invalidate();
    return written;
}

bool SortSpectrumByMass(int order, CMassSpectrum& spectrum)
{
    const LONG n = spectrum.GetCount();
    if (n == 0)
        return true;
    double* mz = spectrum.Masses();
    double* intensity = spectrum.Intensities();
    if (!mz || !intensity || order < 0 || order > 3)
        return false;
    // order / 2 picks the key (m/z, intensity), order & 1 the direction.
    double* key = order / 2 == 0 ? mz : intensity;
    double* other = order / 2 == 0 ? intensity : mz;
    ksSortArrays(KSSortDouble, (order & 1) == 0, n, 5,
                 static_cast<int>(sizeof(double)), static_cast<void*>(key),
                 static_cast<int>(sizeof(double)), static_cast<void*>(other),
                 static_cast<int>(sizeof(BYTE)), static_cast<void*>(spectrum.PeakFlags()),
                 static_cast<int>(sizeof(void*)), static_cast<void*>(spectrum.PeakObjects()),
                 static_cast<int>(sizeof(SHORT)), static_cast<void*>(spectrum.Annotations()));
    // The cached base-peak index refers to the old order.
    spectrum.Invalidate();
    return true;
}

namespace {

// A copy of the points alone: merging needs neither the per-peak arrays nor
// the hooks of a spectrum.
void copyPoints(const CMassSpectrum& from, CMassSpectrum& to)
{
    const LONG n = from.GetCount();
    to.SetSize(n, false, false, false);
    if (n > 0 && from.Masses() && from.Intensities()) {
        std::memcpy(to.Masses(), from.Masses(), static_cast<size_t>(n) * sizeof(double));
        std::memcpy(to.Intensities(), from.Intensities(), static_cast<size_t>(n) * sizeof(double));
    }
}

void storePoints(CMassSpectrum& spectrum, const std::vector<double>& mz, const std::vector<double>& intensity)
{
    spectrum.Resize(static_cast<LONG>(mz.size()));
    if (!mz.empty()) {
        std::memcpy(spectrum.Masses(), mz.data(), mz.size() * sizeof(double));
        std::memcpy(spectrum.Intensities(), intensity.data(), intensity.size() * sizeof(double));
    }
    spectrum.Invalidate();
}

// Working arrays of the profile merges, kept per thread: co-adding a range
// of scans merges into an accumulator of about the same size over and over,
// and fresh arrays each time would cost an allocation and first-touch page
// faults per merge. Only the leaf merges below use them, never nested.
struct MergeScratch {
    std::vector<double> mz;
    std::vector<double> intensity;
    std::vector<double> below;
    std::vector<double> above;
};

MergeScratch& mergeScratch()
{
    thread_local MergeScratch scratch;
    return scratch;
}

}  // namespace

CProfileMerger::CProfileMerger() : m_bReanalyse(true), m_bGapped(false), m_bModelStale(true) {}

LONG CProfileMerger::Merge(const CMassSpectrum& source, CMassSpectrum& accumulator, bool reset)
{
    if (&source == &accumulator) {
        CMassSpectrum copy;
        copyPoints(source, copy);
        return Merge(copy, accumulator, reset);
    }
    if (reset) {
        m_bReanalyse = true;
        m_bModelStale = true;
    }
    if (source.GetCount() < 10 && accumulator.GetCount() < 10)
        return accumulator.GetCount();
    if (m_bReanalyse) {
        if (accumulator.GetCount() < source.GetCount()) {
            // Merge onto the denser axis: the source's.
            CMassSpectrum saved;
            copyPoints(accumulator, saved);
            const LONG n = source.GetCount();
            accumulator.Resize(n);
            std::memcpy(accumulator.Masses(), source.Masses(), static_cast<size_t>(n) * sizeof(double));
            std::memcpy(accumulator.Intensities(), source.Intensities(), static_cast<size_t>(n) * sizeof(double));
            accumulator.Invalidate();
            return Merge(saved, accumulator, reset);
        }
        m_bGapped = CMassAxisModel::HasSpacingJumps(accumulator);
        if (m_bGapped) {
            m_Model.Build(accumulator);
            m_bModelStale = false;
        }
        m_bReanalyse = false;
    }
    return m_bGapped ? MergeOntoGappedAxis(source, accumulator) : ExtendAndDistribute(source, accumulator);
}

// Generated points stop when the model's step no longer moves x (a spacing
// lost below the precision of x), so the walk always ends; past `limit`
// points it is given up, so it never costs more than the limit.
bool CProfileMerger::PointsBelow(double from, double target, size_t limit, std::vector<double>& out) const
{
    out.clear();
    double x = from;
    while (x > target) {
        const double next = x - m_Model.SpacingBelow(x);
        if (!(next < x))
            break;
        if (out.size() >= limit) {
            out.clear();
            return false;
        }
        x = next;
        out.push_back(x);
    }
    return true;
}

bool CProfileMerger::PointsAbove(double from, double target, size_t limit, std::vector<double>& out) const
{
    out.clear();
    double x = from;
    while (x < target) {
        const double next = x + m_Model.SpacingAbove(x);
        if (!(next > x))
            break;
        if (out.size() >= limit) {
            out.clear();
            return false;
        }
        x = next;
        out.push_back(x);
    }
    return true;
}

void CProfileMerger::ExtensionBelow(double from, const double* srcMz, LONG srcCount, size_t limit,
                                    std::vector<double>& out) const
{
    if (srcCount <= 0 || PointsBelow(from, srcMz[0], limit, out))
        return;
    // Too far for model steps: the source's own m/z values below the edge
    // become axis points (each then takes its intensity whole).
    for (LONG k = srcCount; k-- > 0;)
        if (srcMz[k] < from && (out.empty() || srcMz[k] < out.back()))
            out.push_back(srcMz[k]);
}

void CProfileMerger::ExtensionAbove(double from, const double* srcMz, LONG srcCount, size_t limit,
                                    std::vector<double>& out) const
{
    if (srcCount <= 0 || PointsAbove(from, srcMz[srcCount - 1], limit, out))
        return;
    for (LONG k = 0; k < srcCount; ++k)
        if (srcMz[k] > from && (out.empty() || srcMz[k] > out.back()))
            out.push_back(srcMz[k]);
}

double CProfileMerger::LeapAbove(double x, double target) const
{
    // Each leap keeps about KSWalkSteps / 2 steps of the local spacing in
    // hand, so it never passes target; a spacing that shrinks ahead only
    // leads to another leap. Every leap at least halves the distance.
    for (;;) {
        const double w = m_Model.SpacingAbove(x);
        const double remaining = target - x;
        if (!(remaining > KSWalkSteps * w))
            return x;
        const double next = x + (std::floor(remaining / w) - KSWalkSteps / 2) * w;
        if (!(next > x))
            return x;
        x = next;
    }
}

LONG CProfileMerger::DistributeOntoAxis(const double* srcMz, const double* srcIntensity, LONG srcCount,
                                        const double* axisMz, double* axisIntensity, LONG axisCount)
{
    if (srcCount <= 0 || axisCount <= 0)
        return 0;
    const double first = axisMz[0];
    const double last = axisMz[axisCount - 1];
    LONG cursor = 0;
    LONG consumed = 0;
    for (; consumed < srcCount; ++consumed) {
        const double mz = srcMz[consumed];
        const double value = srcIntensity[consumed];
        if (mz > last)
            break;
        if (!(mz >= first) || !(value > 0))
            continue;
        if (mz == axisMz[cursor]) {
            axisIntensity[cursor] += value;
            continue;
        }
        while (cursor + 1 < axisCount && axisMz[cursor + 1] < mz)
            ++cursor;
        if (cursor + 1 >= axisCount) {
            axisIntensity[cursor] += value;
            continue;
        }
        const double x1 = axisMz[cursor];
        const double x2 = axisMz[cursor + 1];
        if (mz == x2) {
            axisIntensity[cursor + 1] += value;
            continue;
        }
        axisIntensity[cursor] += value * (x2 - mz) / (x2 - x1);
        axisIntensity[cursor + 1] += value * (mz - x1) / (x2 - x1);
    }
    return consumed;
}

void CProfileMerger::CompactZeroRuns(std::vector<double>& mz, std::vector<double>& intensity, size_t first)
{
    const size_t n = mz.size();
    if (first >= n || n - first < 3)
        return;
    size_t kept = first + 1;  // index after the last kept point
    for (size_t i = first + 1; i + 1 < n; ++i) {
        const bool keep = intensity[i] != 0 || intensity[kept - 1] != 0 || intensity[i + 1] != 0 ||
                          mz[i + 1] - mz[kept - 1] > 4.0;
        if (keep) {
            mz[kept] = mz[i];
            intensity[kept] = intensity[i];
            ++kept;
        }
    }
    mz[kept] = mz[n - 1];
    intensity[kept] = intensity[n - 1];
    ++kept;
    mz.resize(kept);
    intensity.resize(kept);
}

LONG CProfileMerger::ExtendAndDistribute(const CMassSpectrum& source, CMassSpectrum& accumulator)
{
    const LONG ns = source.GetCount();
    const double* sm = source.Masses();
    const double* sy = source.Intensities();
    if (ns <= 0 || !sm || !sy)
        return accumulator.GetCount();
    if (accumulator.GetCount() <= 0 || !accumulator.Masses()) {
        // Nothing to extend: the source's axis is the merged one.
        copyPoints(source, accumulator);
        return accumulator.GetCount();
    }

    const LONG na = accumulator.GetCount();
    const double accFirst = accumulator.Masses()[0];
    const double accLast = accumulator.Masses()[na - 1];
    if (sm[0] < accFirst || sm[ns - 1] > accLast) {
        if (m_bModelStale) {
            m_Model.Build(accumulator);
            m_bModelStale = false;
        }
        MergeScratch& work = mergeScratch();
        const size_t limit = KSExtensionLimit(na, ns);
        ExtensionBelow(accFirst, sm, ns, limit, work.below);
        ExtensionAbove(accLast, sm, ns, limit, work.above);

        work.mz.clear();
        work.intensity.clear();
        const size_t total = work.below.size() + static_cast<size_t>(na) + work.above.size();
        work.mz.reserve(total);
        work.intensity.reserve(total);
        for (size_t k = work.below.size(); k-- > 0;) {
            work.mz.push_back(work.below[k]);
            work.intensity.push_back(0.0);
        }
        work.mz.insert(work.mz.end(), accumulator.Masses(), accumulator.Masses() + na);
        work.intensity.insert(work.intensity.end(), accumulator.Intensities(), accumulator.Intensities() + na);
        for (double x : work.above) {
            work.mz.push_back(x);
            work.intensity.push_back(0.0);
        }
        storePoints(accumulator, work.mz, work.intensity);
    }
    DistributeOntoAxis(sm, sy, ns, accumulator.Masses(), accumulator.Intensities(), accumulator.GetCount());
    accumulator.Invalidate();
    return accumulator.GetCount();
}

LONG CProfileMerger::MergeOntoGappedAxis(const CMassSpectrum& source, CMassSpectrum& accumulator)
{
    const LONG ns = source.GetCount();
    const LONG na = accumulator.GetCount();
    const double* S = source.Masses();
    const double* SI = source.Intensities();
    const double* A = accumulator.Masses();
    const double* AI = accumulator.Intensities();
    if (ns <= 0 || na <= 0 || !S || !SI || !A || !AI)
        return na > 0 ? na : 0;

    MergeScratch& work = mergeScratch();
    std::vector<double>& outM = work.mz;
    std::vector<double>& outI = work.intensity;
    outM.clear();
    outI.clear();
    // Room for the accumulator, the source and the edges is only a hint:
    // every accumulator gap the walk meets can add a point of its own.
    const size_t hint = static_cast<size_t>(na) + 4 * static_cast<size_t>(ns) + 64;
    outM.reserve(hint);
    outI.reserve(hint);

    auto copyPoint = [&](LONG a) {
        outM.push_back(A[a]);
        outI.push_back(AI[a]);
    };
    // Generated points are written only strictly above the last one, so the
    // merged axis stays ascending whatever the model answers.
    auto writePoint = [&](double x) {
        if (!outM.empty() && !(x > outM.back()))
            return false;
        outM.push_back(x);
        outI.push_back(0.0);
        return true;
    };

    // Leading part: points below the accumulator reaching the source's start.
    LONG si = 0;
    const size_t limit = KSExtensionLimit(na, ns);
    std::vector<double>& below = work.below;
    ExtensionBelow(A[0], S, ns, limit, below);
    if (!below.empty()) {
        for (size_t k = below.size(); k-- > 0;)
            writePoint(below[k]);
        copyPoint(0);
        LONG lead = 0;
        while (lead < ns && S[lead] <= A[0])
            ++lead;
        si = DistributeOntoAxis(S, SI, lead, outM.data(), outI.data(), static_cast<LONG>(outM.size()));
        CompactZeroRuns(outM, outI, 0);
    } else {
        copyPoint(0);
    }
    const size_t axisStart = outM.size() - 1;
    const LONG distStart = si;

    // Walk the accumulator's gaps against the source points.
    LONG ai = 1;
    while (si < ns && ai < na) {
        const double s = S[si];
        const double K = outM.back();
        const double W = m_Model.SpacingAbove(K);
        const double X = A[ai];
        if (X - K < 1.6 * W) {
            copyPoint(ai++);
            continue;
        }
        if (X - K < 2.1 * W) {
            // A narrow gap receives one point.
            if (!writePoint(K + W))
                copyPoint(ai++);
            continue;
        }
        const double below_X = m_Model.SpacingBelow(X);
        const double T = X - 0.6 * below_X;
        if (X <= s) {
            if (ai == na - 1 || s < A[ai + 1])
                writePoint(X - below_X);
            copyPoint(ai++);
            continue;
        }
        if (K < s && s < X && s - K > 0.6 * W && s < T) {
            // The source point lies well inside the gap.
            const double sb = m_Model.SpacingBelow(s);
            if (K + 0.6 * W < s - sb)
                writePoint(s - sb);
            writePoint(s);
            double d = s + m_Model.SpacingAbove(s);
            if (si + 1 < ns) {
                const double ratio = (S[si + 1] - s) / W;
                if (ratio >= 0.9 && ratio <= 1.1)
                    d = S[si + 1];
            }
            if (d < T)
                writePoint(d);
            ++si;
            continue;
        }
        if (s >= K) {
            // Near the last written point or close to X: fill steps from K
            // (a wide gap is crossed in leaps, not step by step).
            double y1 = K + W;
            if (y1 < s && y1 < T)
                y1 = LeapAbove(y1, std::min(s, T));
            double y2 = y1 + m_Model.SpacingAbove(y1);
            double y3 = y2 + m_Model.SpacingAbove(y2);
            while (y3 <= s && y3 < T) {
                y1 = y2;
                y2 = y3;
                y3 = y3 + m_Model.SpacingAbove(y3);
            }
            if (y1 < T) {
                writePoint(y1);
                if (y2 < T)
                    writePoint(y2);
                if (y3 < T)
                    writePoint(y3);
                const double y4 = y3 + m_Model.SpacingAbove(y3);
                if (y4 < T)
                    writePoint(y4);
            }
            ++si;
            continue;
        }
        // The source point lies before the last written point.
        const size_t w = outM.size();
        if (!(w > 2 && s <= outM[w - 3])) {
            const double k1 = K + W;
            if (k1 < T) {
                writePoint(k1);
                const double k2 = k1 + m_Model.SpacingAbove(k1);
                if (k2 < T)
                    writePoint(k2);
            }
        }
        ++si;
    }
    while (ai < na)
        copyPoint(ai++);

    // Distribute the source onto the merged axis; what lies beyond its end
    // gets points of its own.
    const LONG rest = ns - distStart;
    const LONG consumed = DistributeOntoAxis(S + distStart, SI + distStart, rest, outM.data() + axisStart,
                                             outI.data() + axisStart, static_cast<LONG>(outM.size() - axisStart));
    if (consumed < rest) {
        const size_t tail = outM.size() - 1;
        std::vector<double>& above = work.above;
        ExtensionAbove(outM.back(), S + distStart + consumed, rest - consumed, limit, above);
        for (double x : above)
            writePoint(x);
        DistributeOntoAxis(S + distStart + consumed, SI + distStart + consumed, rest - consumed,
                           outM.data() + tail, outI.data() + tail, static_cast<LONG>(outM.size() - tail));
        CompactZeroRuns(outM, outI, tail);
    }
    storePoints(accumulator, outM, outI);
    return accumulator.GetCount();
}
