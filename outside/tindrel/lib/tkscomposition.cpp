#include "tkscomposition.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>

#include "tkschem.h"
#include "tksimage.h"
#include "tksobserved.h"

namespace {

const char kCalculatorMagic[4] = {'T', 'K', 'E', 'C'};
const uint32_t kCalculatorVersion = 1;

// Bounds that end a search that would otherwise run for hours or fill the
// memory (compute then answers false).
constexpr long long kSearchBudget = 50000000;
constexpr size_t kMaxCandidates = 200000;
// Rounding slack of the mass comparisons (u).
constexpr double kMassSlack = 1e-9;

struct SearchElement {
    size_t index;
    double mass;
    int minimum;
    int maximum;
};

struct Candidate {
    tindrel::Counts neutral;
    tindrel::Counts ion;
    double mz;
};

// The bounded search: the elements heaviest first, each count looped
// within what the mass window still allows, the lightest solved directly
// from the mass that remains.
class Search {
public:
    Search(std::vector<SearchElement> elements, size_t tableSize, double low, double high)
        : m_elements(std::move(elements)), m_low(low), m_high(high), m_counts(tableSize, 0)
    {
        const size_t n = m_elements.size();
        m_restMin.assign(n + 1, 0);
        m_restMax.assign(n + 1, 0);
        for (size_t i = n; i-- > 0;) {
            m_restMin[i] = m_restMin[i + 1] + m_elements[i].minimum * m_elements[i].mass;
            m_restMax[i] = m_restMax[i + 1] + m_elements[i].maximum * m_elements[i].mass;
        }
    }

    // False when the search passed its bounds.
    template <class Visit>
    bool run(Visit&& visit)
    {
        return descend(0, 0.0, visit);
    }

private:
    template <class Visit>
    bool descend(size_t level, double mass, Visit& visit)
    {
        const SearchElement& e = m_elements[level];
        const double restMin = m_restMin[level + 1];
        const double restMax = m_restMax[level + 1];
        // Counts c with mass + c m + rest within [low, high] for some rest.
        const double lowC = (m_low - kMassSlack - mass - restMax) / e.mass;
        const double highC = (m_high + kMassSlack - mass - restMin) / e.mass;
        const int from = std::max(e.minimum, static_cast<int>(std::max(0.0, std::ceil(std::min(lowC, 2e9)))));
        const int to = std::min(e.maximum, static_cast<int>(std::max(-1.0, std::floor(std::min(highC, 2e9)))));
        const bool last = level + 1 == m_elements.size();
        for (int c = from; c <= to; ++c) {
            if (++m_visited > kSearchBudget)
                return false;
            m_counts[e.index] = c;
            const double m = mass + c * e.mass;
            if (last) {
                if (m >= m_low - kMassSlack && m <= m_high + kMassSlack && !visit(m_counts))
                    return false;
            } else if (!descend(level + 1, m, visit)) {
                return false;
            }
        }
        m_counts[e.index] = 0;
        return true;
    }

    std::vector<SearchElement> m_elements;
    double m_low;
    double m_high;
    tindrel::Counts m_counts;
    std::vector<double> m_restMin;
    std::vector<double> m_restMax;
    long long m_visited = 0;
};

bool validConstraints(const TKSCompositionConstraints& c)
{
    const float dbeMin = c.getDBEMinimum(), dbeMax = c.getDBEMaximum();
    return !c.getElementConstraints().empty() && std::isfinite(c.getTolerance()) && c.getTolerance() >= 0 &&
           std::isfinite(dbeMin) && std::isfinite(dbeMax) && dbeMin <= dbeMax &&
           !std::isnan(c.getFitnessThreshold()) && c.getChargeState() >= -100 && c.getChargeState() <= 100;
}

bool electronsAdmitted(int mode, long long electrons)
{
    const bool even = electrons % 2 == 0;
    if (mode == TKSCompositionConstraints::EvenElectron)
        return even;
    if (mode == TKSCompositionConstraints::OddElectron)
        return !even;
    return true;
}

void writeConstraints(tindrel::ImageWriter& w, const TKSCompositionConstraints& c)
{
    w.u32(static_cast<uint32_t>(c.getElementConstraints().size()));
    for (const TKSElementConstraint& e : c.getElementConstraints()) {
        w.text(e.getSymbol());
        w.i32(e.getMinimumCount());
        w.i32(e.getMaximumCount());
    }
    w.f32(c.getDBEMinimum());
    w.f32(c.getDBEMaximum());
    w.boolean(c.getUseToleranceInDa());
    w.f64(c.getTolerance());
    w.i32(c.getElectronMode());
    w.i32(c.getChargeState());
    w.text(c.getAdduct());
    w.f32(c.getFitnessThreshold());
    w.i32(c.getMaximumResultCount());
}

bool readConstraints(tindrel::ImageReader& r, TKSCompositionConstraints& c)
{
    uint32_t n = 0;
    if (!r.count(n, 12))  // a symbol's count and two counts at least
        return false;
    std::vector<TKSElementConstraint> elements(n);
    for (TKSElementConstraint& e : elements) {
        std::wstring symbol;
        int32_t minimum = 0, maximum = 0;
        if (!r.text(symbol) || !r.i32(minimum) || !r.i32(maximum))
            return false;
        e = TKSElementConstraint(symbol, minimum, maximum);
    }
    float dbeMin = 0, dbeMax = 0, fitness = 0;
    bool inDa = false;
    double tolerance = 0;
    int32_t mode = 0, charge = 0, maximum = 0;
    std::wstring adduct;
    if (!r.f32(dbeMin) || !r.f32(dbeMax) || !r.boolean(inDa) || !r.f64(tolerance) || !r.i32(mode) || !r.i32(charge) ||
        !r.text(adduct) || !r.f32(fitness) || !r.i32(maximum))
        return false;
    c.setElementConstraints(elements);
    c.setDBEMinimum(dbeMin);
    c.setDBEMaximum(dbeMax);
    c.setUseToleranceInDa(inDa);
    c.setTolerance(tolerance);
    c.setElectronMode(mode);
    c.setChargeState(charge);
    c.setAdduct(adduct);
    c.setFitnessThreshold(fitness);
    c.setMaximumResultCount(maximum);
    return true;
}

}  // namespace

// --- constraints and results ---------------------------------------------------

TKSElementConstraint::TKSElementConstraint() : m_minimum(0), m_maximum(0) {}

TKSElementConstraint::TKSElementConstraint(const std::wstring& symbol, int minimum, int maximum)
    : m_symbol(symbol), m_minimum(minimum), m_maximum(maximum)
{
}

bool operator==(const TKSElementConstraint& a, const TKSElementConstraint& b)
{
    return a.getSymbol() == b.getSymbol() && a.getMinimumCount() == b.getMinimumCount() &&
           a.getMaximumCount() == b.getMaximumCount();
}

TKSCompositionConstraints::TKSCompositionConstraints()
    : m_elements{{L"C", 0, 100}, {L"H", 0, 200}, {L"N", 0, 10}, {L"O", 0, 10}, {L"S", 0, 5}},
      m_dbeMinimum(-0.5f),
      m_dbeMaximum(20.0f),
      m_adduct(L"H"),
      m_electronMode(AllElectrons),
      m_tolerance(5.0),
      m_toleranceInDa(false),
      m_charge(1),
      m_maximumResults(-1),
      m_fitnessThreshold(0.0f)
{
}

bool operator==(const TKSCompositionConstraints& a, const TKSCompositionConstraints& b)
{
    return a.getElementConstraints() == b.getElementConstraints() && a.getDBEMinimum() == b.getDBEMinimum() &&
           a.getDBEMaximum() == b.getDBEMaximum() && a.getAdduct() == b.getAdduct() &&
           a.getElectronMode() == b.getElectronMode() && a.getTolerance() == b.getTolerance() &&
           a.getUseToleranceInDa() == b.getUseToleranceInDa() && a.getChargeState() == b.getChargeState() &&
           a.getMaximumResultCount() == b.getMaximumResultCount() &&
           a.getFitnessThreshold() == b.getFitnessThreshold();
}

TKSCompositionResult::TKSCompositionResult() : m_mass(0), m_dbe(0), m_mDaError(0), m_ppmError(0), m_fitness(0) {}

TKSCompositionResult::TKSCompositionResult(const std::wstring& formula, double mass, double dbe, double mDaError,
                                           double ppmError, double fitness)
    : m_formula(formula), m_mass(mass), m_dbe(dbe), m_mDaError(mDaError), m_ppmError(ppmError), m_fitness(fitness)
{
}

// --- the calculator --------------------------------------------------------------

TKSCompositionCalculator::TKSCompositionCalculator() : m_mz(0) {}
TKSCompositionCalculator::~TKSCompositionCalculator() = default;

void TKSCompositionCalculator::setElementTable(const TKSElementTable* table)
{
    m_table = table ? *table : TKSElementTable();
}

bool TKSCompositionCalculator::compute(double mz)
{
    m_results.clear();
    m_mz = mz;
    const tindrel::ElementTablePtr table = m_table.data();
    const TKSCompositionConstraints& c = m_constraints;
    if (!table || !std::isfinite(mz) || mz <= 0 || !validConstraints(c))
        return false;

    // The elements, heaviest first.
    std::vector<SearchElement> elements;
    std::set<std::wstring> seen;
    for (const TKSElementConstraint& e : c.getElementConstraints()) {
        const int index = table->indexOf(e.getSymbol());
        if (index < 0 || !seen.insert(e.getSymbol()).second || e.getMinimumCount() < 0 ||
            e.getMinimumCount() > e.getMaximumCount() || e.getMaximumCount() > TKSFormula::kMaxFormulaCount)
            return false;
        elements.push_back(SearchElement{static_cast<size_t>(index),
                                         table->elements[static_cast<size_t>(index)].monoMass(), e.getMinimumCount(),
                                         e.getMaximumCount()});
    }
    std::stable_sort(elements.begin(), elements.end(),
                     [](const SearchElement& a, const SearchElement& b) { return a.mass > b.mass; });

    tindrel::IonText adduct;
    if (!tindrel::parseIonText(c.getAdduct(), *table, adduct))
        return false;
    const int z = c.getChargeState();
    const double window = c.getUseToleranceInDa() ? c.getTolerance() : c.getTolerance() * 1e-6 * mz;
    // The neutral mass the ion m/z stands for, and its window.
    const double adductMass = tindrel::monoisotopicMass(adduct.counts, *table);
    const double neutral = z == 0 ? mz : mz * std::abs(z) + z * tindrel::kElectronMass - z * adductMass;
    const double neutralWindow = window * std::max(1, std::abs(z));

    std::vector<Candidate> candidates;
    Search search(elements, table->elements.size(), neutral - neutralWindow, neutral + neutralWindow);
    const bool finished = search.run([&](const tindrel::Counts& counts) {
        const double dbe = tindrel::doubleBondEquivalent(counts, *table);
        if (dbe < c.getDBEMinimum() - kMassSlack || dbe > c.getDBEMaximum() + kMassSlack)
            return true;
        Candidate candidate;
        if (!tindrel::ionFormula(counts, adduct.counts, z, candidate.ion) || tindrel::isEmpty(candidate.ion))
            return true;
        if (!electronsAdmitted(c.getElectronMode(), tindrel::electronCount(candidate.ion, *table) - z))
            return true;
        candidate.mz = tindrel::ionMZ(candidate.ion, z, *table);
        if (std::fabs(candidate.mz - mz) > window + kMassSlack)
            return true;
        candidate.neutral = counts;
        candidates.push_back(std::move(candidate));
        return candidates.size() <= kMaxCandidates;
    });
    if (!finished)
        return false;

    tindrel::PeakList peaks;
    peaks.fromSpectrum(m_spectrum);
    const double observeWindow = std::max(window, peaks.halfWidth);
    struct Ranked {
        TKSCompositionResult result;
        double score;
    };
    std::vector<Ranked> ranked;
    ranked.reserve(candidates.size());
    // The mass error counts in units of half the tolerance, the unit a user
    // sets it in: a tolerance is about twice the error the instrument
    // makes.
    const double halfTolerance = c.getTolerance() / 2;
    for (const Candidate& candidate : candidates) {
        double fitness = 0;
        if (!peaks.empty())
            fitness = tindrel::isotopeRatioFit(tindrel::nominalCluster(candidate.ion, z, *table, 0), peaks,
                                               observeWindow);
        if (fitness < static_cast<double>(c.getFitnessThreshold()))
            continue;
        TKSCompositionResult result(tindrel::hillText(candidate.neutral, *table), candidate.mz,
                                    tindrel::doubleBondEquivalent(candidate.neutral, *table),
                                    (mz - candidate.mz) * 1000, (mz - candidate.mz) / candidate.mz * 1e6, fitness);
        const double error = c.getUseToleranceInDa() ? std::fabs(mz - candidate.mz) : result.getAbsoluteError();
        const double massTerm = halfTolerance > 0 ? (error / halfTolerance) * (error / halfTolerance) : 0;
        // -2 ln(fitness) is the ratios' chi-square: the score is the
        // chi-square of the m/z and the isotope ratios together (infinite
        // without a spectrum or an observed M+0, and the mass error decides).
        const double score = fitness > 0 ? -2 * std::log(fitness) + massTerm : HUGE_VAL;
        ranked.push_back(Ranked{std::move(result), score});
    }
    std::sort(ranked.begin(), ranked.end(), [](const Ranked& a, const Ranked& b) {
        if (a.score != b.score)
            return a.score < b.score;
        if (a.result.getAbsoluteError() != b.result.getAbsoluteError())
            return a.result.getAbsoluteError() < b.result.getAbsoluteError();
        return a.result.getFormula() < b.result.getFormula();
    });
    std::vector<TKSCompositionResult> results;
    results.reserve(ranked.size());
    for (Ranked& r : ranked)
        results.push_back(std::move(r.result));
    const int limit = c.getMaximumResultCount();
    if (limit >= 0 && results.size() > static_cast<size_t>(limit))
        results.resize(static_cast<size_t>(limit));
    m_results = std::move(results);
    return true;
}

// --- serialisation ------------------------------------------------------------------

std::vector<unsigned char> TKSCompositionCalculator::image() const
{
    tindrel::ImageWriter w;
    writeConstraints(w, m_constraints);
    tindrel::writeNested(w, m_spectrum);
    w.f64(m_mz);
    w.u32(static_cast<uint32_t>(m_results.size()));
    for (const TKSCompositionResult& r : m_results) {
        w.text(r.getFormula());
        w.f64(r.getCalculatedMass());
        w.f64(r.getDoubleBondEquivalent());
        w.f64(r.getmDaError());
        w.f64(r.getppmError());
        w.f64(r.getFitness());
    }
    return w.image(kCalculatorMagic, kCalculatorVersion);
}

size_t TKSCompositionCalculator::getSerializedSize() const
{
    return image().size();
}

bool TKSCompositionCalculator::serialize(unsigned char* buffer, size_t size) const
{
    return tindrel::copyImage(image(), buffer, size);
}

bool TKSCompositionCalculator::deserialize(const unsigned char* data, size_t size)
{
    uint32_t version = 0;
    const unsigned char* payload = nullptr;
    size_t payloadSize = 0;
    if (!tindrel::openImage(data, size, kCalculatorMagic, kCalculatorVersion, version, payload, payloadSize))
        return false;
    tindrel::ImageReader r(payload, payloadSize);
    TKSCompositionConstraints constraints;
    TKSMassSpectrum spectrum;
    double mz = 0;
    uint32_t n = 0;
    if (!readConstraints(r, constraints) || !tindrel::readNested(r, spectrum) || !r.f64(mz) || !r.count(n, 4 + 5 * 8))
        return false;
    std::vector<TKSCompositionResult> results;
    results.reserve(n);
    for (uint32_t i = 0; i < n; ++i) {
        std::wstring formula;
        double mass = 0, dbe = 0, mDa = 0, ppm = 0, fitness = 0;
        if (!r.text(formula) || !r.f64(mass) || !r.f64(dbe) || !r.f64(mDa) || !r.f64(ppm) || !r.f64(fitness))
            return false;
        results.emplace_back(formula, mass, dbe, mDa, ppm, fitness);
    }
    if (!r.atEnd())
        return false;
    m_constraints = constraints;
    m_spectrum = std::move(spectrum);
    m_mz = mz;
    m_results = std::move(results);
    return true;
}
