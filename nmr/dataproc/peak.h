// The Lorentzian line model and the intrusive lists that hold lines.
#pragma once

#include "resultcode.h"

#include <cstdint>

namespace yarbex {

class cVqList;

// Base of everything a cVqList holds. Both chains of a list always hold
// the same items in the same order.
class cVqListItem {
public:
    // Bit 31: the list does not own the item (clearing detaches it).
    enum : uint32_t { NotOwned = 0x80000000u, SplitMark = 0x1u };

    explicit cVqListItem(uint32_t flags = 0) : itemFlags(flags) {}
    virtual ~cVqListItem();

    // Leaves the list, if any; always clears the links. Returns 0.
    uint32_t detach();

    cVqList* owner = nullptr;
    cVqListItem* next = nullptr;
    cVqListItem* previous = nullptr;
    cVqListItem* next2 = nullptr;
    cVqListItem* previous2 = nullptr;
    int32_t sequence = -1;
    uint32_t itemFlags = 0;

protected:
    cVqListItem(const cVqListItem&) = default;
    cVqListItem& operator=(const cVqListItem&) = default;
};

class cVqList {
public:
    cVqList() = default;
    virtual ~cVqList();
    cVqList(const cVqList&) = delete;
    cVqList& operator=(const cVqList&) = delete;

    uint32_t append(cVqListItem* item);
    enum : uint32_t { AnchorIsMember = 0x40000000u };
    uint32_t insertBefore(cVqListItem* item, cVqListItem* anchor, uint32_t options);
    cVqListItem* contains(const cVqListItem* item) const;
    uint32_t clear(uint32_t resetCounters);

    uint32_t count = 0;
    cVqListItem* first = nullptr;
    cVqListItem* last = nullptr;
    cVqListItem* first2 = nullptr;
    cVqListItem* last2 = nullptr;
    uint32_t sequenceCounter = 0;
    uint32_t removalCounter = 0;
    uint32_t flag = 1;

protected:
    friend class cVqListItem;
    // Told before an item leaves, while it is still linked.
    virtual void itemLeaving(cVqListItem* /*item*/) {}
};

class cPeak1D;
class cPeak1DList;

// The line record that code outside the classes walks.
struct _TPeak1D {
    uint32_t kind;
    uint32_t flags;
    double position;
    double width;
    double amplitude;
    double phase;
    uint32_t lineShape;
    double shape[3];
    int32_t extentStart;
    int32_t extentEnd;
    _TPeak1D* nextRecord;
    cPeak1D* peakOwner;
    double fitLow;
    double fitHigh;
};

// The list's summary record.
struct TPeak1DList {
    uint32_t peakCount;
    double extentThreshold;
    _TPeak1D* firstRecord;
    cPeak1DList* listOwner;
};

enum LineMode : uint32_t { LineAsIs = 0, LineStick = 1, LineFixedWidth = 2, LineScaledWidth = 3 };

class cPeak1D : public cVqListItem, public _TPeak1D {
public:
    cPeak1D();
    cPeak1D(uint32_t flags, double position, double width, double amplitude, double phase, uint32_t shapeCode,
            double p1, double p2, double p3);
    // Copies the line, not the list membership.
    cPeak1D(const cPeak1D& other);
    ~cPeak1D() override;
    cPeak1D& operator=(const cPeak1D&) = delete;

    // A copy that takes every field (links and item flags too) with its
    // owner cleared, so that destroying it leaves the list untouched.
    static cPeak1D* workingCopy(const cPeak1D& source);

    ResultCode value(double x, double* re, double* im, uint32_t = 0, double = 0.0, double = 0.0) const;
    ResultCode area(double* area, uint32_t = 0, double = 0.0, double = 0.0) const;
    ResultCode updateExtent(double threshold);
    void pointRange(int32_t n, int32_t* first, int32_t* last) const;
    ResultCode render(uint32_t imagOffset, double* array, int32_t first, int32_t last, int32_t mode,
                      uint32_t lineMode, double lineParameter, uint32_t = 0, double = 0.0, double = 0.0);
    ResultCode renderFid(uint32_t n, double* array, int32_t mode, uint32_t = 0, double = 0.0, double = 0.0) const;

    // pointRange over n points, then render.
    ResultCode renderRange(uint32_t n, double* array, int32_t* first, int32_t* last, int32_t mode,
                           uint32_t lineMode, double lineParameter, uint32_t = 0, double = 0.0, double = 0.0);

    // Line fitting against a residual of n split complex points.
    ResultCode refine(int32_t n, double* residual, double sigma, uint32_t fitPhase, uint32_t trySplit);
    // Splits a high line whose residual shows a strong central dip or bump
    // (n: points of the residual).
    ResultCode split(int32_t n, const double* residual, double sigma);
    double residualCost(int32_t start, uint32_t count, double* scratch, const double* target) const;
    void fitAmplitude(int32_t start, uint32_t count, double* scratch, const double* target, double sigma);
    void fitWidth(int32_t start, uint32_t count, double* scratch, const double* target);
    void fitPosition(int32_t start, uint32_t count, double* scratch, const double* target);
    void fitPhase(int32_t start, uint32_t count, double* scratch, const double* target);

    cPeak1D* nextPeak() const;
    cPeak1D* previousPeak() const;
    cPeak1DList* list() const;

    _TPeak1D* record() { return this; }
    static cPeak1D* fromRecord(_TPeak1D* r) { return r ? r->peakOwner : nullptr; }

private:
    struct WorkingCopyTag {};
    cPeak1D(const cPeak1D& other, WorkingCopyTag);
    void initRecord();
};

class cPeak1DList : public cVqList, public TPeak1DList {
public:
    cPeak1DList(double factor, double noise);
    ~cPeak1DList() override;

    uint32_t insertPeakBefore(cPeak1D* peak, cPeak1D* anchor);
    // Appends and links the record chain.
    uint32_t appendPeak(cPeak1D* peak);

    // Lines for the candidates of detection flags over a smoothed spectrum.
    ResultCode addDetectedPeaks(int32_t n, const uint32_t* flags, const double* smoothed, double w, double sigma);
    // model = sum of all lines; residual = data - model when both given.
    ResultCode synthesise(uint32_t n, double* model, const double* data, double* residual);
    ResultCode setFitRanges(uint32_t n);
    ResultCode renderWithLineMode(uint32_t n, double* array, uint32_t lineMode, double q);
    ResultCode refineAll(int32_t n, double* residual, double sigma, uint32_t fitPhase, uint32_t trySplit);

    cPeak1D* firstPeak() const;

    TPeak1DList* record() { return this; }
    static cPeak1DList* fromRecord(TPeak1DList* r) { return r ? r->listOwner : nullptr; }

protected:
    void itemLeaving(cVqListItem* item) override;

private:
    void linkRecord(cPeak1D* peak);
};

}  // namespace yarbex
