// The numeric steps of the mass lists, the averages and the precursor
// information, on their own (the component's methods and the tests share
// them).
#include "ombrelmasslists.h"
#include "ombrelprecursor.h"

#include <algorithm>
#include <cmath>

using namespace rawengine;

namespace ombrel {

size_t ApplyIntensityCutoff(std::vector<MassPoint>& points, size_t count, LONG type, LONG value)
{
    count = std::min(count, points.size());
    if (count < 1)
        return 0;
    double threshold = 0.0;
    if (type == 1) {
        threshold = double(value);
    } else if (type == 2) {
        double lo = points[0].intensity, hi = points[0].intensity;
        for (size_t i = 1; i < count; ++i) {
            lo = std::min(lo, points[i].intensity);
            hi = std::max(hi, points[i].intensity);
        }
        if (lo > 0.0)
            lo = 0.0;
        const double span = hi - lo;
        threshold = span > 0.0 ? lo + double(value) * span / 100.0 : 0.0;
    } else {
        return 0;
    }
    size_t kept = 0;
    for (size_t i = 0; i < count; ++i)
        if (points[i].intensity >= threshold)
            points[kept++] = points[i];
    return kept;
}

void KeepMostIntense(std::vector<MassPoint>& points, size_t count, size_t limit)
{
    count = std::min(count, points.size());
    limit = std::min(limit, count);
    std::stable_sort(points.begin(), points.begin() + long(count),
                     [](const MassPoint& a, const MassPoint& b) { return a.intensity > b.intensity; });
    std::stable_sort(points.begin(), points.begin() + long(limit),
                     [](const MassPoint& a, const MassPoint& b) { return a.mz < b.mz; });
}


std::vector<size_t> AverageOrder(size_t apex, size_t count)
{
    std::vector<size_t> order;
    if (count == 0)
        return order;
    apex = std::min(apex, count - 1);
    order.push_back(apex);
    const size_t reach = std::max(apex, count - apex);
    for (size_t k = 1; k <= reach; ++k) {
        if (apex >= k)
            order.push_back(apex - k);
        if (apex + k < count)
            order.push_back(apex + k);
    }
    return order;
}

namespace {

constexpr double kProtonMass = 1.00727663;

}  // namespace

size_t SelectBestLabelPeak(const std::vector<LabelPeak>& labels, double target, double ppm, double widthFactor)
{
    const size_t none = labels.size();
    const double w = target * ppm * 0.000001 * widthFactor;
    const auto first = std::lower_bound(labels.begin(), labels.end(), target - w,
                                        [](const LabelPeak& l, double m) { return l.mass < m; });
    if (first == labels.end() || first->mass > target + w)
        return none;
    const size_t i0 = size_t(first - labels.begin());
    double strongest = 0.0;
    for (size_t i = i0; i < labels.size() && labels[i].mass <= target + w; ++i)
        strongest = std::max(strongest, double(labels[i].intensity));
    const double scale = strongest > 0.0 ? 1.0 / strongest : 0.0;
    const double sharpness = 2.0 * ppm * ppm;
    size_t best = none;
    double bestScore = 0.0;
    for (size_t i = i0; i < labels.size() && labels[i].mass <= target + w; ++i) {
        const double d = labels[i].mass - target;
        const double score = std::exp(-d * d * sharpness) + double(labels[i].intensity) * scale;
        if (best == none || score > bestScore) {
            best = i;
            bestScore = score;
        }
    }
    return best;
}

double NeutralMassFromMz(double mz, int charge)
{
    return charge >= 1 ? charge * mz - (charge - 1) * kProtonMass : mz;
}

int32_t TrailerInteger(const CGenericDataHeader& header, const GenericRecord& record, const wchar_t* label,
                       bool byteUnsigned, bool fourBytes)
{
    const int item = header.FindItem(label);
    if (item < 0)
        return 0;
    VARIANT v;
    VariantInit(&v);
    GenericDataItemToVariant(header, record, item, &v);
    int32_t out = 0;
    switch (v.vt) {
    case VT_I1:
        out = byteUnsigned ? int32_t(uint8_t(v.cVal)) : int32_t(v.cVal);
        break;
    case VT_UI1:
        out = v.bVal;
        break;
    case VT_I2:
        out = v.iVal;
        break;
    case VT_UI2:
        out = v.uiVal;
        break;
    case VT_I4:
        out = fourBytes ? v.lVal : 0;
        break;
    case VT_UI4:
        out = fourBytes ? int32_t(v.ulVal) : 0;
        break;
    default:
        break;
    }
    VariantClear(&v);
    return out;
}

double TrailerReal(const CGenericDataHeader& header, const GenericRecord& record, const wchar_t* label)
{
    const int item = header.FindItem(label);
    if (item < 0)
        return 0.0;
    VARIANT v;
    VariantInit(&v);
    GenericDataItemToVariant(header, record, item, &v);
    const double out = v.vt == VT_R4 ? double(v.fltVal) : v.vt == VT_R8 ? v.dblVal : 0.0;
    VariantClear(&v);
    return out;
}

}  // namespace ombrel
