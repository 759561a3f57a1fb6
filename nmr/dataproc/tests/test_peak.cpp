// The Lorentzian line model and the lists that hold lines.
#include "peak.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace yarbex;

TEST(Peak, ValueAndArea)
{
    cPeak1D p(0, 10.0, 2.0, 8.0, 0.0, 0, 0, 0, 0);
    double re = 0, im = 0;
    for (double x : {9.0, 11.0}) {
        ASSERT_EQ(p.value(x, &re, &im), 0u);
        EXPECT_DOUBLE_EQ(re, 4.0);
    }
    ASSERT_EQ(p.value(10.0, &re, &im), 0u);
    EXPECT_DOUBLE_EQ(re, 8.0);
    EXPECT_DOUBLE_EQ(im, 0.0);
    double a = 0;
    ASSERT_EQ(p.area(&a), 0u);
    EXPECT_DOUBLE_EQ(a, M_PI * 8.0);

    // Phase pi/2: the real part is the dispersion, the imaginary part -a.
    cPeak1D q(0, 10.0, 2.0, 8.0, M_PI / 2, 0, 0, 0, 0);
    ASSERT_EQ(q.value(11.0, &re, &im), 0u);
    EXPECT_NEAR(re, 4.0, 1e-14);   // b = A t / D with t = 1
    EXPECT_NEAR(im, -4.0, 1e-14);  // -a
}

TEST(Peak, DefaultsAndCopies)
{
    cPeak1D p;
    EXPECT_EQ(p.width, 1.0);
    EXPECT_EQ(p.extentStart, 1);
    EXPECT_EQ(p.extentEnd, -1);
    EXPECT_EQ(p.peakOwner, &p);
    EXPECT_EQ(p.sequence, -1);
    EXPECT_EQ(cPeak1D::fromRecord(p.record()), &p);

    cPeak1DList list(1, 1);
    cPeak1D* a = new cPeak1D(0x10000, 5, 2, 3, 0.5, 0, 1, 2, 3);
    cPeak1D* b = new cPeak1D;
    list.appendPeak(a);
    list.appendPeak(b);
    a->itemFlags = cVqListItem::SplitMark;
    cPeak1D copy(*a);
    EXPECT_EQ(copy.position, 5);
    EXPECT_EQ(copy.flags, 0x10000u);
    EXPECT_EQ(copy.shape[2], 3);
    EXPECT_EQ(copy.nextRecord, nullptr);
    EXPECT_EQ(copy.peakOwner, &copy);
    EXPECT_EQ(copy.owner, nullptr);
    EXPECT_EQ(copy.itemFlags, 0u);

    cPeak1D* work = cPeak1D::workingCopy(*a);
    ASSERT_NE(work, nullptr);
    EXPECT_EQ(work->itemFlags, cVqListItem::SplitMark);
    EXPECT_EQ(work->next, b);
    EXPECT_EQ(work->owner, nullptr);
    delete work;  // leaves the list untouched
    EXPECT_EQ(list.cVqList::count, 2u);
    EXPECT_EQ(list.first, a);
    EXPECT_EQ(a->next, b);
    EXPECT_EQ(list.firstRecord, a->record());
    EXPECT_EQ(a->nextRecord, b->record());
}

TEST(Peak, OtherLineShapesAreRefused)
{
    cPeak1D p(0, 10, 2, 8, 0, 3, 0, 0, 0);
    double re = 7, a = 7;
    EXPECT_EQ(p.value(10, &re, nullptr), 24u);
    EXPECT_EQ(re, 7);
    EXPECT_EQ(p.area(&a), 24u);
    EXPECT_EQ(a, 7);
    p.extentStart = -5;
    EXPECT_EQ(p.updateExtent(1), 24u);
    EXPECT_EQ(p.extentStart, 1);
    EXPECT_EQ(p.extentEnd, -1);
    std::vector<double> arr(20, 0.0);
    EXPECT_EQ(p.render(0, arr.data(), 5, 15, 0, 0, 0), 24u);
    EXPECT_EQ(p.renderFid(8, arr.data(), 0), 24u);
}

TEST(Peak, ExtentAndPointRange)
{
    struct Case {
        double position, width, amplitude, threshold;
        int32_t extent;
        int32_t n, first, last;
    } cases[] = {
        {50, 2, 10, 0, 1000000000, 100, 0, 99},    // no threshold: everything
        {50, 2, 10, 10, 1000000000, 100, 0, 99},   // not above the threshold
        {50, 2, -10, 20, 1000000000, 100, 0, 99},
        // h = 2 * 0.5 * sqrt(100 + 1) = 10.05 -> 10
        {50, 2, 10, 1, 10, 100, 39, 60},
        {50.4, 2, -10, 1, 10, 100, 39, 60},
        {95, 2, 10, 1, 10, 100, 84, 99},
        {3, 2, 10, 1, 10, 100, 0, 13},
        {-20, 2, 10, 1, 10, 100, 100, 0},  // wholly left: empty
        {120, 2, 10, 1, 10, 100, 100, 0},  // wholly right: empty
    };
    for (const Case& c : cases) {
        cPeak1D p(0, c.position, c.width, c.amplitude, 0, 0, 0, 0, 0);
        ASSERT_EQ(p.updateExtent(c.threshold), 0u);
        EXPECT_EQ(p.extentEnd, c.extent) << c.position;
        EXPECT_EQ(p.extentStart, -c.extent) << c.position;
        int32_t first = -1, last = -1;
        p.pointRange(c.n, &first, &last);
        EXPECT_EQ(first, c.first) << c.position;
        EXPECT_EQ(last, c.last) << c.position;
    }
    // A fresh line has an empty extent.
    cPeak1D fresh(0, 10, 2, 1, 0, 0, 0, 0, 0);
    int32_t first = 0, last = 0;
    fresh.pointRange(100, &first, &last);
    EXPECT_GT(first, last);
    cPeak1D nan(0, std::nan(""), 2, 1, 0, 0, 0, 0, 0);
    nan.pointRange(100, &first, &last);
    EXPECT_EQ(first, 100);
    EXPECT_EQ(last, 0);
}

TEST(Peak, RenderModes)
{
    cPeak1D p(0, 10, 2, 4, 0, 0, 0, 0, 0);
    const uint32_t n = 20;
    // Line rendering assigns only the range, adds, subtracts.
    std::vector<double> z(2 * n, 9.0);
    ASSERT_EQ(p.render(n, z.data(), 8, 12, 0, LineAsIs, 0), 0u);
    EXPECT_EQ(z[7], 9.0);
    EXPECT_EQ(z[13], 9.0);
    EXPECT_DOUBLE_EQ(z[10], 4.0);
    EXPECT_DOUBLE_EQ(z[9], 2.0);
    EXPECT_DOUBLE_EQ(z[n + 11], 2.0);  // dispersion b = A t / D
    ASSERT_EQ(p.render(n, z.data(), 8, 12, 1, LineAsIs, 0), 0u);
    EXPECT_DOUBLE_EQ(z[10], 8.0);
    ASSERT_EQ(p.render(n, z.data(), 8, 12, -1, LineAsIs, 0), 0u);
    EXPECT_DOUBLE_EQ(z[10], 4.0);

    // Line modes 2 with q = width and 3 with q = 1 equal mode 0.
    std::vector<double> a(2 * n, 0.0), b(2 * n, 0.0), c(2 * n, 0.0);
    p.render(n, a.data(), 0, n - 1, 0, LineAsIs, 0);
    p.render(n, b.data(), 0, n - 1, 0, LineFixedWidth, 2.0);
    p.render(n, c.data(), 0, n - 1, 0, LineScaledWidth, 1.0);
    for (uint32_t i = 0; i < 2 * n; ++i) {
        EXPECT_DOUBLE_EQ(a[i], b[i]) << i;
        EXPECT_DOUBLE_EQ(a[i], c[i]) << i;
    }
    // Mode 2 keeps the area: width 4 halves the height.
    p.render(n, b.data(), 0, n - 1, 0, LineFixedWidth, 4.0);
    EXPECT_DOUBLE_EQ(b[10], 2.0);
    EXPECT_EQ(p.width, 2.0);
    EXPECT_EQ(p.amplitude, 4.0);

    // Stick, assigning: the range is cleared, then the stick set.
    std::vector<double> s(2 * n, 9.0);
    cPeak1D ph(0, 10.4, 2, 4, M_PI / 2, 0, 0, 0, 0);
    ASSERT_EQ(ph.render(n, s.data(), 5, 15, 0, LineStick, 0), 0u);
    EXPECT_EQ(s[4], 9.0);
    EXPECT_EQ(s[5], 0.0);
    EXPECT_NEAR(s[10], 0.0, 1e-12);              // area cos(pi/2)
    EXPECT_DOUBLE_EQ(s[n + 10], 4 * M_PI);       // area sin(pi/2)
    EXPECT_EQ(s[n + 15], 0.0);
    EXPECT_EQ(s[n + 16], 9.0);
    // q <= 0 with a line mode other than 0 also draws a stick.
    std::vector<double> t(n, 0.0);
    ASSERT_EQ(p.render(0, t.data(), 0, n - 1, 1, LineFixedWidth, 0.0), 0u);
    EXPECT_DOUBLE_EQ(t[10], 4 * M_PI);
    // Without an imaginary part the stick keeps its real value.
    std::vector<double> u(n, 5.0);
    ASSERT_EQ(p.render(0, u.data(), 8, 12, 0, LineStick, 0), 0u);
    EXPECT_DOUBLE_EQ(u[10], 4 * M_PI);
    EXPECT_EQ(u[8], 0.0);
}

TEST(Peak, NothingOutsideTheArrayOrWithoutWidth)
{
    const uint32_t n = 10;
    std::vector<double> z(2 * n, 1.0);
    const std::vector<double> before = z;
    // A stick whose nearest point is outside the array (empty range).
    cPeak1D right(0, 30, 2, 4, 0, 0, 0, 0, 0);
    right.updateExtent(0.5);
    int32_t first, last;
    right.pointRange(n, &first, &last);
    EXPECT_EQ(right.render(n, z.data(), first, last, 1, LineStick, 0), 0u);
    cPeak1D left(0, -3, 2, 4, 0, 0, 0, 0, 0);
    EXPECT_EQ(left.render(n, z.data(), 0, 2, 1, LineStick, 0), 0u);
    EXPECT_EQ(z, before);
    // Lines without width draw nothing, even when assigning.
    for (double w : {0.0, -2.0}) {
        cPeak1D flat(0, 5, w, 4, 0, 0, 0, 0, 0);
        EXPECT_EQ(flat.render(n, z.data(), 0, n - 1, 0, LineAsIs, 0), 0u);
        EXPECT_EQ(z, before);
    }
    cPeak1D p(0, 5, 2, 4, 0, 0, 0, 0, 0);
    EXPECT_EQ(p.render(n, z.data(), 0, n - 1, 0, LineScaledWidth, -1.0), 0u);  // q <= 0: a stick
    EXPECT_DOUBLE_EQ(z[5], 4 * M_PI);
}

TEST(Peak, RenderFid)
{
    const uint32_t n = 8;
    cPeak1D p(0, 3.0, 2.0, 90.0, 0.3, 0, 0, 0, 0);
    std::vector<double> z(2 * n, 0.0);
    ASSERT_EQ(p.renderFid(n, z.data(), 0), 0u);
    const double I0 = M_PI * 2 * 90 / 180.0;
    const double omega = 2 * M_PI * (4 - 3.0) / n, r = std::exp(-M_PI * 2 / n);
    EXPECT_NEAR(z[0], I0 / 2 * std::cos(0.3), 1e-14);
    EXPECT_NEAR(z[n], I0 / 2 * std::sin(0.3), 1e-14);
    for (uint32_t k = 1; k < n; ++k) {
        EXPECT_NEAR(z[k], I0 * std::pow(r, k) * std::cos(0.3 + k * omega), 1e-13);
        EXPECT_NEAR(z[n + k], I0 * std::pow(r, k) * std::sin(0.3 + k * omega), 1e-13);
    }
    ASSERT_EQ(p.renderFid(n, z.data(), -1), 0u);
    for (double v : z)
        EXPECT_NEAR(v, 0.0, 1e-14);

    std::vector<double> one = {5.0, 5.0, 7.0};
    ASSERT_EQ(p.renderFid(1, one.data(), 0), 0u);
    EXPECT_NEAR(one[0], I0 / 2 * std::cos(0.3), 1e-14);
    EXPECT_NEAR(one[1], I0 / 2 * std::sin(0.3), 1e-14);
    EXPECT_EQ(one[2], 7.0);
}

namespace {

struct Item : cVqListItem {
    explicit Item(uint32_t f = 0, int* deaths = nullptr) : cVqListItem(f), deaths(deaths) {}
    ~Item() override
    {
        if (deaths)
            ++*deaths;
    }
    int* deaths;
};

std::vector<cVqListItem*> forward(const cVqList& l)
{
    std::vector<cVqListItem*> v;
    for (cVqListItem* i = l.first; i; i = i->next)
        v.push_back(i);
    return v;
}

std::vector<cVqListItem*> backward2(const cVqList& l)
{
    std::vector<cVqListItem*> v;
    for (cVqListItem* i = l.last2; i; i = i->previous2)
        v.insert(v.begin(), i);
    return v;
}

}  // namespace

TEST(VqList, ChainsAndCounters)
{
    cVqList a, b;
    Item* x = new Item;
    Item* y = new Item;
    Item* z = new Item;
    EXPECT_EQ(a.flag, 1u);
    a.append(x);
    EXPECT_EQ(a.flag, 1u);
    a.append(y);
    EXPECT_EQ(a.flag, 0u);
    a.insertBefore(z, x, 0);
    EXPECT_EQ(forward(a), (std::vector<cVqListItem*>{z, x, y}));
    EXPECT_EQ(backward2(a), forward(a));
    EXPECT_EQ(a.count, 3u);
    EXPECT_EQ(a.sequenceCounter, 3u);
    EXPECT_EQ(z->sequence, 3);
    EXPECT_EQ(a.contains(y), y);

    // Appending an item of another list moves it.
    b.append(x);
    EXPECT_EQ(a.count, 2u);
    EXPECT_EQ(a.removalCounter, 1u);
    EXPECT_EQ(forward(a), (std::vector<cVqListItem*>{z, y}));
    EXPECT_EQ(backward2(a), forward(a));
    EXPECT_EQ(x->owner, &b);
    EXPECT_EQ(x->sequence, 1);
    EXPECT_EQ(a.contains(x), nullptr);

    // An anchor that is not a member appends.
    Item* w = new Item;
    a.insertBefore(w, x, 0);
    EXPECT_EQ(forward(a), (std::vector<cVqListItem*>{z, y, w}));
    // Detaching the first and the last keeps both chains joined.
    z->detach();
    w->detach();
    EXPECT_EQ(forward(a), (std::vector<cVqListItem*>{y}));
    EXPECT_EQ(a.first2, y);
    EXPECT_EQ(a.last2, y);
    EXPECT_EQ(z->sequence, -1);
    delete z;
    delete w;
}

TEST(VqList, ClearDeletesOwnedDetachesOthersLeavesForeign)
{
    int deaths = 0;
    Item keep(cVqListItem::NotOwned);
    cVqList list, other;
    list.append(new Item(0, &deaths));
    list.append(&keep);
    list.append(new Item(0, &deaths));
    EXPECT_EQ(list.clear(1), 0u);
    EXPECT_EQ(deaths, 2);
    EXPECT_EQ(keep.owner, nullptr);
    EXPECT_EQ(list.count, 0u);
    EXPECT_EQ(list.sequenceCounter, 0u);
    EXPECT_EQ(list.removalCounter, 0u);
    EXPECT_EQ(list.first, nullptr);

    // A foreign item linked into this list's chain is reported and left.
    Item foreign;
    other.append(&foreign);
    Item* mine = new Item(0, &deaths);
    list.append(mine);
    list.last2 = &foreign;  // what a corrupted chain would look like
    foreign.previous2 = mine;
    EXPECT_EQ(list.clear(0), 1u);
    EXPECT_EQ(foreign.owner, &other);
    EXPECT_EQ(deaths, 3);
    foreign.previous2 = nullptr;
    list.first = list.last = list.first2 = list.last2 = nullptr;
    list.count = 0;
}

TEST(PeakList, RecordChainFollowsInsertionsAndRemovals)
{
    cPeak1DList list(3.0, -2.0);
    EXPECT_EQ(list.extentThreshold, 6.0);
    EXPECT_EQ(cPeak1DList::fromRecord(list.record()), &list);
    cPeak1D* a = new cPeak1D(0, 10, 2, 60, 0, 0, 0, 0, 0);
    cPeak1D* b = new cPeak1D(0, 20, 2, 60, 0, 0, 0, 0, 0);
    cPeak1D* c = new cPeak1D(0, 30, 2, 60, 0, 0, 0, 0, 0);
    list.appendPeak(a);
    EXPECT_EQ(list.firstRecord, a->record());
    EXPECT_EQ(list.peakCount, 1u);
    EXPECT_EQ(a->extentEnd, 10);  // 2 * 0.5 * sqrt(100 + 1)
    list.appendPeak(c);
    list.insertPeakBefore(b, c);
    auto records = [&] {
        std::vector<_TPeak1D*> v;
        for (_TPeak1D* r = list.firstRecord; r; r = r->nextRecord)
            v.push_back(r);
        return v;
    };
    EXPECT_EQ(records(), (std::vector<_TPeak1D*>{a, b, c}));
    EXPECT_EQ(list.peakCount, 3u);
    cPeak1D* d = new cPeak1D(0, 5, 2, 60, 0, 0, 0, 0, 0);
    list.insertPeakBefore(d, a);
    EXPECT_EQ(records(), (std::vector<_TPeak1D*>{d, a, b, c}));
    EXPECT_EQ(list.peakCount, 4u);

    // Removing peaks keeps the chain free of them.
    delete b;
    EXPECT_EQ(records(), (std::vector<_TPeak1D*>{d, a, c}));
    delete d;
    EXPECT_EQ(records(), (std::vector<_TPeak1D*>{a, c}));
    EXPECT_EQ(list.peakCount, 2u);
    list.clear(1);
    EXPECT_EQ(list.firstRecord, nullptr);
    EXPECT_EQ(list.peakCount, 0u);
}
