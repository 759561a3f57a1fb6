#include "peak.h"

#include <cmath>
#include <new>

namespace yarbex {

// ---- cVqListItem ----------------------------------------------------------

cVqListItem::~cVqListItem()
{
    detach();
}

uint32_t cVqListItem::detach()
{
    if (cVqList* list = owner) {
        list->itemLeaving(this);
        if (previous)
            previous->next = next;
        else
            list->first = next;
        if (next)
            next->previous = previous;
        else
            list->last = previous;
        if (previous2)
            previous2->next2 = next2;
        else
            list->first2 = next2;
        if (next2)
            next2->previous2 = previous2;
        else
            list->last2 = previous2;
        ++list->removalCounter;
        --list->count;
        owner = nullptr;
    }
    next = previous = next2 = previous2 = nullptr;
    sequence = -1;
    return 0;
}

// ---- cVqList --------------------------------------------------------------

cVqList::~cVqList()
{
    clear(1);
}

uint32_t cVqList::append(cVqListItem* item)
{
    if (!item)
        return 0;
    const uint32_t r = item->detach();
    if (last) {
        last->next = item;
        item->previous = last;
        flag = 0;
    } else {
        first = item;
    }
    last = item;
    if (last2) {
        last2->next2 = item;
        item->previous2 = last2;
    } else {
        first2 = item;
    }
    last2 = item;
    item->owner = this;
    ++sequenceCounter;
    ++count;
    item->sequence = int32_t(sequenceCounter);
    return r;
}

uint32_t cVqList::insertBefore(cVqListItem* item, cVqListItem* anchor, uint32_t options)
{
    if (!item)
        return 0;
    if (!anchor || (!(options & AnchorIsMember) && !contains(anchor)))
        return append(item);
    item->next = anchor;
    item->previous = anchor->previous;
    if (anchor->previous)
        anchor->previous->next = item;
    else
        first = item;
    anchor->previous = item;
    item->next2 = anchor;
    item->previous2 = anchor->previous2;
    if (anchor->previous2)
        anchor->previous2->next2 = item;
    else
        first2 = item;
    anchor->previous2 = item;
    item->owner = this;
    ++count;
    ++sequenceCounter;
    item->sequence = int32_t(sequenceCounter);
    flag = 0;
    return 0;
}

cVqListItem* cVqList::contains(const cVqListItem* item) const
{
    for (cVqListItem* i = last2; i; i = i->previous2)
        if (i == item)
            return i;
    return nullptr;
}

uint32_t cVqList::clear(uint32_t resetCounters)
{
    uint32_t result = 0;
    cVqListItem* i = last2;
    while (i) {
        cVqListItem* before = i->previous2;
        if (i->owner != this)
            result = 1;  // a foreign item: left where it is
        else if (i->itemFlags & cVqListItem::NotOwned)
            i->detach();
        else
            delete i;
        i = before;
    }
    if (resetCounters) {
        sequenceCounter = 0;
        removalCounter = 0;
    }
    return result;
}

// ---- cPeak1D --------------------------------------------------------------

void cPeak1D::initRecord()
{
    kind = 0;
    flags = 0;
    position = 0.0;
    width = 1.0;
    amplitude = 0.0;
    phase = 0.0;
    lineShape = 0;
    shape[0] = shape[1] = shape[2] = 0.0;
    extentStart = 1;
    extentEnd = -1;
    nextRecord = nullptr;
    peakOwner = this;
    fitLow = 0.0;
    fitHigh = 0.0;
}

cPeak1D::cPeak1D() : cVqListItem(0)
{
    initRecord();
}

cPeak1D::cPeak1D(uint32_t f, double pos, double w, double amp, double ph, uint32_t shapeCode, double p1,
                 double p2, double p3)
    : cVqListItem(0)
{
    initRecord();
    flags = f;
    position = pos;
    width = w;
    amplitude = amp;
    phase = ph;
    lineShape = shapeCode;
    shape[0] = p1;
    shape[1] = p2;
    shape[2] = p3;
}

cPeak1D::cPeak1D(const cPeak1D& other) : cVqListItem(0), _TPeak1D(other)
{
    nextRecord = nullptr;
    peakOwner = this;
}

cPeak1D::cPeak1D(const cPeak1D& other, WorkingCopyTag) : cVqListItem(other), _TPeak1D(other)
{
    owner = nullptr;
    peakOwner = this;
}

cPeak1D* cPeak1D::workingCopy(const cPeak1D& source)
{
    return new (std::nothrow) cPeak1D(source, WorkingCopyTag{});
}

cPeak1D::~cPeak1D()
{
    // While still a line, so that its list can unlink the record.
    detach();
}

ResultCode cPeak1D::value(double x, double* re, double* im, uint32_t, double, double) const
{
    if (lineShape != 0)
        return RcUnknownLineshape;
    const double t = 2.0 * (x - position) / width;
    const double D = 1.0 + t * t;
    const double a = amplitude / D;
    const double b = amplitude * t / D;
    const double c = std::cos(phase), s = std::sin(phase);
    if (re)
        *re = a * c + b * s;
    if (im)
        *im = b * c - a * s;
    return RcOk;
}

ResultCode cPeak1D::area(double* out, uint32_t, double, double) const
{
    if (lineShape != 0)
        return RcUnknownLineshape;
    if (out)
        *out = amplitude * M_PI * width * 0.5;
    return RcOk;
}

ResultCode cPeak1D::updateExtent(double threshold)
{
    extentStart = 1;
    extentEnd = -1;
    if (lineShape != 0)
        return RcUnknownLineshape;
    int32_t end = 1000000000;
    const double A = std::fabs(amplitude);
    if (threshold > 0 && A > threshold) {
        const double q = A / threshold;
        const double h = width * 0.5 * std::sqrt(q * q + 1);
        if (h < 1e9)
            end = int32_t(std::floor(h + 0.5));
    }
    extentEnd = end;
    extentStart = -end;
    return RcOk;
}

void cPeak1D::pointRange(int32_t n, int32_t* first, int32_t* last) const
{
    const double f = std::floor(position + extentStart - 0.5);
    const double l = std::floor(position + extentEnd + 0.5);
    int32_t a = n, b = 0;
    if (!std::isnan(f) && !std::isnan(l) && !(f > n) && !(l < 0)) {
        a = f < 0 ? 0 : int32_t(f);
        b = l > double(n) - 1 ? n - 1 : int32_t(l);
    }
    if (first)
        *first = a;
    if (last)
        *last = b;
}

namespace {

inline void put(double& slot, double v, int32_t mode)
{
    if (mode > 0)
        slot += v;
    else if (mode < 0)
        slot -= v;
    else
        slot = v;
}

}  // namespace

ResultCode cPeak1D::render(uint32_t imagOffset, double* array, int32_t first, int32_t last, int32_t mode,
                           uint32_t lineMode, double q, uint32_t, double, double)
{
    if (!array)
        return RcMissingBuffer;
    const bool stick = lineMode == LineStick || (lineMode != LineAsIs && q <= 0);
    if (stick) {
        double s = 0.0;
        // Another line shape has no area: its stick carries nothing.
        if (area(&s) != RcOk)
            s = 0.0;
        const double vr = s * std::cos(phase), vi = s * std::sin(phase);
        if (mode == 0)
            for (int32_t i = first; i <= last; ++i) {
                array[i] = 0.0;
                if (imagOffset)
                    array[i + imagOffset] = 0.0;
            }
        // Only a stick inside the given range is written.
        const double kd = std::floor(position + 0.5);
        if (!(kd >= first && kd <= last))
            return RcOk;
        const int32_t k = int32_t(kd);
        put(array[k], vr, mode);
        if (imagOffset)
            put(array[k + imagOffset], vi, mode);
        return RcOk;
    }

    const double savedWidth = width, savedAmplitude = amplitude;
    if (lineMode == LineFixedWidth) {
        width = q;
        amplitude = savedAmplitude * savedWidth / q;
    } else if (lineMode == LineScaledWidth) {
        width = savedWidth * q;
        amplitude = savedAmplitude / q;
    }
    ResultCode r = RcOk;
    // A line without width has no shape to draw.
    if (width > 0) {
        for (int32_t i = first; i <= last; ++i) {
            double re = 0, im = 0;
            r = value(i, &re, &im);
            if (r)
                break;
            put(array[i], re, mode);
            if (imagOffset)
                put(array[i + imagOffset], im, mode);
        }
    }
    width = savedWidth;
    amplitude = savedAmplitude;
    return r;
}

ResultCode cPeak1D::renderFid(uint32_t n, double* array, int32_t mode, uint32_t, double, double) const
{
    if (lineShape != 0)
        return RcUnknownLineshape;
    if (!array || n == 0)
        return RcOk;
    const double I0 = M_PI * width * amplitude / 180.0;
    const double omega = 2.0 * M_PI * (double(n / 2) - position) / n;
    const double decay = std::exp(-M_PI * width / n);
    put(array[0], I0 / 2 * std::cos(phase), mode);
    put(array[n], I0 / 2 * std::sin(phase), mode);
    double amp = I0, ph = phase;
    for (uint32_t k = 1; k < n; ++k) {
        amp *= decay;
        ph += omega;
        put(array[k], amp * std::cos(ph), mode);
        put(array[n + k], amp * std::sin(ph), mode);
    }
    return RcOk;
}

// ---- cPeak1DList ----------------------------------------------------------

cPeak1DList::cPeak1DList(double factor, double noise)
{
    peakCount = 0;
    extentThreshold = std::fabs(factor * noise);
    firstRecord = nullptr;
    listOwner = this;
}

cPeak1DList::~cPeak1DList()
{
    // While the list is whole, so that leaving peaks unlink their records.
    clear(1);
}

void cPeak1DList::linkRecord(cPeak1D* peak)
{
    auto* before = dynamic_cast<cPeak1D*>(peak->previous);
    auto* after = dynamic_cast<cPeak1D*>(peak->next);
    if (before)
        before->nextRecord = peak->record();
    else
        firstRecord = peak->record();
    peak->nextRecord = after ? after->record() : nullptr;
}

uint32_t cPeak1DList::insertPeakBefore(cPeak1D* peak, cPeak1D* anchor)
{
    if (!peak)
        return 0;
    const uint32_t r = insertBefore(peak, anchor, AnchorIsMember);
    if (r == 0) {
        linkRecord(peak);
        peak->updateExtent(extentThreshold);
    }
    peakCount = cVqList::count;
    return r;
}

uint32_t cPeak1DList::appendPeak(cPeak1D* peak)
{
    if (!peak)
        return 0;
    const uint32_t r = append(peak);
    linkRecord(peak);
    peak->updateExtent(extentThreshold);
    peakCount = cVqList::count;
    return r;
}

void cPeak1DList::itemLeaving(cVqListItem* item)
{
    // Keep the record chain free of the leaving peak.
    auto* peak = dynamic_cast<cPeak1D*>(item);
    if (!peak)
        return;
    auto* before = dynamic_cast<cPeak1D*>(item->previous);
    auto* after = dynamic_cast<cPeak1D*>(item->next);
    _TPeak1D* nextRec = after ? after->record() : nullptr;
    if (before)
        before->nextRecord = nextRec;
    else
        firstRecord = nextRec;
    peak->nextRecord = nullptr;
    peakCount = cVqList::count - 1;
}

}  // namespace yarbex
