#include "tksmatcher.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

#include "tkschem.h"
#include "tkscollection.h"
#include "tksfragments.h"
#include "tksimage.h"
#include "tksmolecule.h"
#include "tksobserved.h"

namespace tindrel {

namespace {

const char kMatcherMagic[4] = {'T', 'K', 'M', 'M'};
const uint32_t kMatcherVersion = 1;

enum Slot { MSPositive = 0, MSMSPositive = 1, MSNegative = 2, MSMSNegative = 3 };

// The mass chromatogram peaks of an ion that are scored, highest first.
constexpr size_t kPeaksPerIon = 5;
// A compound elutes over several scans: an apex needs signal in the scans
// on both sides (when the function has that many), so a noise peak that
// happens to fall within the tolerance in one scan is no match.
constexpr size_t kMinScansForPeakShape = 3;
constexpr int kMaxChargeState = 100;
constexpr int kMaxCap = 1000;
// MS/MS: a precursor within this (Da) of the ion belongs to it (an
// isolation window), peaks below this share of the base peak are noise,
// and peaks within this (Da) below the precursor are the precursor itself.
constexpr double kIsolationHalfWidth = 0.5;
constexpr double kFragmentNoise = 0.01;
constexpr double kPrecursorMargin = 0.5;

double windowAt(double mz, double tolerance, bool inDa)
{
    return inDa ? tolerance : tolerance * 1e-6 * mz;
}

// One function's spectra, read once per match.
struct FunctionData {
    const TKSMSCollection* collection = nullptr;
    std::vector<PeakList> peaks;
    std::vector<double> times;
    std::vector<double> precursors;

    void load(const TKSMSCollection* c)
    {
        collection = c;
        if (!c)
            return;
        // The count is the reader's claim: the spectra are read in order
        // up to the first that cannot be read, and the lists grow with them.
        const int n = c->getCount();
        TKSChromatogram tic;
        c->getTICChromatogram(tic);
        TKSMassSpectrum s;
        for (int i = 0; i < n && c->getSpectrum(i, s); ++i) {
            peaks.emplace_back();
            peaks.back().fromSpectrum(s);
            precursors.push_back(s.getPrecursorMZ());
            times.push_back(i < tic.getCount() ? tic.getRTValues()[static_cast<size_t>(i)]
                                               : (s.getTimeRanges().empty() ? 0 : s.getTimeRanges().front().start));
        }
    }
    bool present() const { return collection != nullptr && !peaks.empty(); }
};

// A molecule as the matcher uses it: its counts per element (labelled
// atoms apart, as a fixed mass), its charge and its fragments.
struct MoleculeData {
    bool readable = false;
    std::wstring error;
    TKSMolecule molecule;
    Counts counts;
    double labelMass = 0;
    int charge = 0;
    bool fragmentsMade = false;
    std::vector<double> fragments;
};

struct Ion {
    int molecule = 0;
    int side = 0;  // 0 positive, 1 negative
    std::wstring description;
    Counts counts;
    double labelMass = 0;
    int charge = 0;
    double mz = 0;
    TKSChromatogram mic;
};

struct Candidate {
    int ion = 0;
    TKSChromatogramPeak peak;
    double similarity = 0;
    double purity = 0;
    double fragmentScore = -1;
    double score = 0;
    double monoIntensity = 0;
    int msms = -1;
    std::vector<std::pair<double, double>> fragments;  // predicted m/z, observed intensity
};

std::wstring chargeSuffix(int charge)
{
    const int z = std::abs(charge);
    return (z > 1 ? std::to_wstring(z) : std::wstring()) + (charge > 0 ? L"+" : L"-");
}

// "[M+H]+", "[2M+Na]+", "[M+2H]2+", "[M-H]-", "[M+Na-H2O]+": the extra
// protons of a higher charge state joined to a proton adduct or loss.
std::wstring describeIon(int multiplicity, const std::wstring& adduct, const std::wstring& loss, int extraProtons,
                         int charge)
{
    auto formulaPart = [](std::wstring text) {
        while (!text.empty() && (text.back() == L'+' || text.back() == L'-' || text.back() == L' '))
            text.pop_back();
        while (!text.empty() && text.front() == L' ')
            text.erase(0, 1);
        return text;
    };
    // The number of protons a text such as "H" or "2H" stands for, 0 otherwise.
    auto protons = [](const std::wstring& text) {
        size_t digits = 0;
        while (digits < text.size() && text[digits] >= L'0' && text[digits] <= L'9')
            ++digits;
        if (text.substr(digits) != L"H" || digits > 3)
            return 0;
        return digits == 0 ? 1 : std::stoi(text.substr(0, digits));
    };
    auto term = [](wchar_t sign, int count, const std::wstring& what) {
        return std::wstring(1, sign) + (count > 1 ? std::to_wstring(count) : std::wstring()) + what;
    };
    std::wstring d = L"[" + (multiplicity > 1 ? std::to_wstring(multiplicity) : std::wstring()) + L"M";
    const std::wstring a = formulaPart(adduct), l = formulaPart(loss);
    if (extraProtons > 0 && protons(a) > 0)
        d += term(L'+', protons(a) + extraProtons, L"H");
    else if (!a.empty())
        d += L"+" + a;
    if (extraProtons > 0 && protons(a) == 0)
        d += term(L'+', extraProtons, L"H");
    if (extraProtons < 0 && protons(l) > 0)
        d += term(L'-', protons(l) - extraProtons, L"H");
    else if (!l.empty())
        d += L"-" + l;
    if (extraProtons < 0 && protons(l) == 0)
        d += term(L'-', -extraProtons, L"H");
    return d + L"]" + chargeSuffix(charge);
}

// An ion's adduct, loss and net charge; false when it cannot
// be used for the polarity.
bool readSpec(const TKSMoleculeMatcher2::CIonSpec& spec, const ElementData& table, bool positive, IonText& adduct,
              IonText& loss, int& charge)
{
    if (!parseIonText(spec.adduct, table, adduct) || !parseIonText(spec.loss, table, loss))
        return false;
    charge = adduct.charge - loss.charge;
    return positive ? charge > 0 : charge < 0;
}

}  // namespace

// One run of matchMolecules.
class MatchRun {
public:
    MatchRun(const TKSMoleculeMatcher2& settings, const ElementData& table) : m_settings(settings), m_table(table)
    {
        for (int k = 0; k < 4; ++k)
            m_functions[k].load(settings.m_collections[k]);
        const int h = table.indexOf(L"H");
        if (h >= 0) {
            m_proton.assign(table.elements.size(), 0);
            m_proton[static_cast<size_t>(h)] = 1;
        }
    }

    bool hasMS() const { return m_functions[MSPositive].present() || m_functions[MSNegative].present(); }

    std::vector<TKSMoleculeMatchResult2> run(const std::vector<std::wstring>& molfiles,
                                             const std::vector<std::wstring>& ids);

private:
    void readMolecule(const std::wstring& molfile, MoleculeData& m);
    void makeIons(int index, const MoleculeData& m);
    void addIon(int index, int side, const std::wstring& description, const Counts& counts, double labelMass,
                int charge);
    void scoreIon(int ionIndex, MoleculeData& m);
    bool scoreFragments(const Ion& ion, MoleculeData& m, Candidate& c);
    void fillSide(TKSMoleculeMatchResult2& r, const Candidate& c) const;
    TKSMoleculeMatchResult2 result(const std::wstring& id, const MoleculeData& m, const Candidate* primary,
                                   const Candidate* partner, bool matched) const;

    const FunctionData& msOf(int side) const { return m_functions[side == 0 ? MSPositive : MSNegative]; }
    const FunctionData& msmsOf(int side) const { return m_functions[side == 0 ? MSMSPositive : MSMSNegative]; }

    const TKSMoleculeMatcher2& m_settings;
    const ElementData& m_table;
    FunctionData m_functions[4];
    Counts m_proton;
    std::vector<Ion> m_ions;
    std::vector<Candidate> m_candidates;
};

void MatchRun::readMolecule(const std::wstring& molfile, MoleculeData& m)
{
    std::string bytes;
    bytes.reserve(molfile.size());
    for (wchar_t c : molfile)
        bytes += static_cast<char>(static_cast<uint32_t>(c) <= 0xFF ? static_cast<unsigned char>(c) : '?');
    TKSElementTable table = m_settings.m_table;
    if (!m.molecule.readMolfile(bytes, table)) {
        m.error = m.molecule.getError();
        return;
    }
    m.counts.assign(m_table.elements.size(), 0);
    const int h = m_table.indexOf(L"H");
    for (const TKSMolecule::Atom& a : m.molecule.getAtoms()) {
        const Element& e = m_table.elements[static_cast<size_t>(a.element)];
        if (a.massNumber != 0)
            m.labelMass += e.isotopes[static_cast<size_t>(e.isotopeOfMassNumber(a.massNumber))].mass;
        else
            ++m.counts[static_cast<size_t>(a.element)];
        if (h >= 0)
            m.counts[static_cast<size_t>(h)] += a.implicitHydrogens;
    }
    m.charge = m.molecule.getCharge();
    m.readable = true;
}

void MatchRun::addIon(int index, int side, const std::wstring& description, const Counts& counts, double labelMass,
                      int charge)
{
    Ion ion;
    ion.molecule = index;
    ion.side = side;
    ion.description = description;
    ion.counts = counts;
    ion.labelMass = labelMass;
    ion.charge = charge;
    ion.mz = (monoisotopicMass(counts, m_table) + labelMass - charge * kElectronMass) / std::abs(charge);
    m_ions.push_back(std::move(ion));
}

void MatchRun::makeIons(int index, const MoleculeData& m)
{
    for (int side = 0; side < 2; ++side) {
        if (!msOf(side).present())
            continue;
        const bool positive = side == 0;
        if (m.charge != 0) {
            // A charged molecule is its own ion.
            if ((m.charge > 0) == positive)
                addIon(index, side, L"[M]" + chargeSuffix(m.charge), m.counts, m.labelMass, m.charge);
            continue;
        }
        const int maxCharge = std::min(kMaxChargeState, positive ? m_settings.m_maxChargePositive
                                                                 : m_settings.m_maxChargeNegative);
        const auto& specs = positive ? m_settings.m_positive : m_settings.m_negative;
        for (int multiplicity = 1; multiplicity <= (m_settings.m_dimers ? 2 : 1); ++multiplicity) {
            for (const TKSMoleculeMatcher2::CIonSpec& spec : specs) {
                IonText adduct, loss;
                int specCharge = 0;
                if (!readSpec(spec, m_table, positive, adduct, loss, specCharge))
                    continue;
                for (int z = std::abs(specCharge); z <= maxCharge; ++z) {
                    const int extra = z - std::abs(specCharge);
                    if (extra > 0 && m_proton.empty())
                        break;
                    Counts counts;
                    if (!addCounts(counts, m.counts, multiplicity) || !addCounts(counts, adduct.counts, 1) ||
                        !addCounts(counts, loss.counts, -1) ||
                        (extra > 0 && !addCounts(counts, m_proton, positive ? extra : -extra)) || isEmpty(counts))
                        continue;
                    const int charge = positive ? z : -z;
                    addIon(index, side,
                           describeIon(multiplicity, spec.adduct, spec.loss, positive ? extra : -extra, charge),
                           counts, m.labelMass * multiplicity, charge);
                }
            }
        }
    }
}

bool MatchRun::scoreFragments(const Ion& ion, MoleculeData& m, Candidate& c)
{
    const FunctionData& msms = msmsOf(ion.side);
    if (!msms.present())
        return false;
    const double msWindow = windowAt(ion.mz, m_settings.m_msTolerance, m_settings.m_toleranceInDa);
    int best = -1;
    for (size_t i = 0; i < msms.times.size(); ++i) {
        const double t = msms.times[i];
        const double precursor = msms.precursors[i];
        if (t < c.peak.startRT || t > c.peak.endRT || msms.peaks[i].empty())
            continue;
        if (precursor > 0 && std::fabs(precursor - ion.mz) > std::max(kIsolationHalfWidth, msWindow))
            continue;
        if (best < 0 || std::fabs(t - c.peak.apexRT) < std::fabs(msms.times[static_cast<size_t>(best)] - c.peak.apexRT))
            best = static_cast<int>(i);
    }
    if (best < 0)
        return false;
    if (!m.fragmentsMade) {
        m.fragments = fragmentMasses(m.molecule, m_table);
        m.fragmentsMade = true;
    }
    const std::vector<double> ions = fragmentIons(m.fragments, ion.side == 0, m_table);
    const PeakList& peaks = msms.peaks[static_cast<size_t>(best)];
    const double precursor = msms.precursors[static_cast<size_t>(best)] > 0 ? msms.precursors[static_cast<size_t>(best)]
                                                                             : ion.mz;
    const double base = *std::max_element(peaks.intensity.begin(), peaks.intensity.end());
    double considered = 0, explained = 0;
    for (size_t k = 0; k < peaks.mz.size(); ++k) {
        const double mz = peaks.mz[k];
        if (peaks.intensity[k] < base * kFragmentNoise || mz > precursor - kPrecursorMargin)
            continue;
        considered += peaks.intensity[k];
        const double w = std::max(windowAt(mz, m_settings.m_msmsTolerance, m_settings.m_toleranceInDa), peaks.halfWidth);
        auto it = std::lower_bound(ions.begin(), ions.end(), mz - w);
        if (it != ions.end() && *it <= mz + w) {
            explained += peaks.intensity[k];
            c.fragments.emplace_back(*it, peaks.intensity[k]);
        }
    }
    c.msms = best;
    if (considered <= 0)
        return false;
    c.fragmentScore = explained / considered;
    return true;
}

void MatchRun::scoreIon(int ionIndex, MoleculeData& m)
{
    Ion& ion = m_ions[static_cast<size_t>(ionIndex)];
    const FunctionData& ms = msOf(ion.side);
    const double window = windowAt(ion.mz, m_settings.m_msTolerance, m_settings.m_toleranceInDa);
    std::vector<double> xic(ms.peaks.size(), 0);
    for (size_t i = 0; i < ms.peaks.size(); ++i)
        xic[i] = ms.peaks[i].sumWithin(ion.mz - window, ion.mz + window);
    ion.mic.setPoints(ms.times, xic);
    ion.mic.setSource(ms.collection->getInjectionIndex(), ms.collection->getFunctionIndex(), -1);

    TKSChromatogramPeakDetect detect;
    std::vector<TKSChromatogramPeak> peaks;
    if (detect.detect(ion.mic) > 0) {
        peaks = detect.getPeaks();
    } else {
        // Too few points or no noise to stand out of: the highest point
        // is the apex of a peak over the whole chromatogram.
        const auto top = std::max_element(xic.begin(), xic.end());
        if (top == xic.end() || *top <= 0)
            return;
        TKSChromatogramPeak p;
        p.scan = static_cast<int>(top - xic.begin());
        p.apexRT = ms.times[static_cast<size_t>(p.scan)];
        p.apexIntensity = p.height = *top;
        p.startRT = ms.times.front();
        p.endRT = ms.times.back();
        p.type = PeakTypeBB;
        peaks.push_back(p);
    }
    std::stable_sort(peaks.begin(), peaks.end(), [](const TKSChromatogramPeak& a, const TKSChromatogramPeak& b) {
        return a.apexIntensity > b.apexIntensity;
    });
    if (xic.size() >= kMinScansForPeakShape) {
        peaks.erase(std::remove_if(peaks.begin(), peaks.end(),
                                   [&xic](const TKSChromatogramPeak& p) {
                                       const size_t i = static_cast<size_t>(p.scan);
                                       return p.scan <= 0 || i + 1 >= xic.size() || !(xic[i - 1] > 0) ||
                                              !(xic[i + 1] > 0);
                                   }),
                    peaks.end());
    }
    if (peaks.size() > kPeaksPerIon)
        peaks.resize(kPeaksPerIon);

    std::vector<ClusterLine> cluster = nominalCluster(ion.counts, ion.charge, m_table);
    const double z = std::abs(ion.charge);
    for (ClusterLine& line : cluster) {
        line.mz += ion.labelMass / z;
        line.lo += ion.labelMass / z;
        line.hi += ion.labelMass / z;
    }
    if (cluster.empty())
        return;
    for (const TKSChromatogramPeak& p : peaks) {
        if (p.scan < 0 || static_cast<size_t>(p.scan) >= ms.peaks.size())
            continue;
        const PeakList& spectrum = ms.peaks[static_cast<size_t>(p.scan)];
        const double observe = std::max(window, spectrum.halfWidth);
        const int mono = spectrum.strongestWithin(ion.mz - observe, ion.mz + observe);
        if (mono < 0)
            continue;
        Candidate c;
        c.ion = ionIndex;
        c.peak = p;
        c.monoIntensity = spectrum.intensity[static_cast<size_t>(mono)];
        std::vector<double> observed;
        c.similarity = clusterFit(cluster, spectrum, observe, &observed);
        double matched = 0;
        for (double o : observed)
            matched += o;
        const double all = spectrum.sumWithin(cluster.front().lo - 0.5 / z, cluster.back().hi + 0.5 / z);
        c.purity = all > 0 ? std::min(1.0, matched / all) : 0;
        double sum = c.similarity + c.purity;
        int parts = 2;
        if (scoreFragments(ion, m, c)) {
            sum += c.fragmentScore;
            ++parts;
        }
        c.score = sum / parts;
        m_candidates.push_back(std::move(c));
    }
}

void MatchRun::fillSide(TKSMoleculeMatchResult2& r, const Candidate& c) const
{
    const Ion& ion = m_ions[static_cast<size_t>(c.ion)];
    TKSMoleculeMatchResult2::Side& side = r.m_sides[ion.side];
    const FunctionData& ms = msOf(ion.side);
    side.has[TKSMoleculeMatchResult2::kMS] = ms.collection->getSpectrum(c.peak.scan, side.spectra[TKSMoleculeMatchResult2::kMS]);
    TKSMassSpectrum& cluster = side.spectra[TKSMoleculeMatchResult2::kCluster];
    std::vector<double> mz, intensity;
    const double z = std::abs(ion.charge);
    for (const ClusterLine& line : nominalCluster(ion.counts, ion.charge, m_table)) {
        mz.push_back(line.mz + ion.labelMass / z);
        intensity.push_back(100 * line.share);
    }
    cluster.setPoints(mz, intensity);
    cluster.setCentroid(true);
    cluster.setMSOrder(1);
    cluster.setPolarity(ion.side == 0 ? 1 : 2);
    cluster.setSource(ms.collection->getInjectionIndex(), ms.collection->getFunctionIndex());
    side.has[TKSMoleculeMatchResult2::kCluster] = !mz.empty();
    if (c.msms >= 0) {
        const FunctionData& msms = msmsOf(ion.side);
        side.has[TKSMoleculeMatchResult2::kMSMS] =
            msms.collection->getSpectrum(c.msms, side.spectra[TKSMoleculeMatchResult2::kMSMS]);
        if (!c.fragments.empty()) {
            std::vector<std::pair<double, double>> f = c.fragments;
            std::sort(f.begin(), f.end());
            std::vector<double> fx, fy;
            for (const auto& p : f) {
                fx.push_back(p.first);
                fy.push_back(p.second);
            }
            TKSMassSpectrum& fragments = side.spectra[TKSMoleculeMatchResult2::kFragments];
            fragments.setPoints(fx, fy);
            fragments.setCentroid(true);
            fragments.setMSOrder(2);
            fragments.setPolarity(ion.side == 0 ? 1 : 2);
            fragments.setPrecursorMZ(ion.mz);
            fragments.setSource(msms.collection->getInjectionIndex(), msms.collection->getFunctionIndex());
            side.has[TKSMoleculeMatchResult2::kFragments] = true;
        }
    }
    side.mic = ion.mic;
    side.hasMIC = true;
}

TKSMoleculeMatchResult2 MatchRun::result(const std::wstring& id, const MoleculeData& m, const Candidate* primary,
                                         const Candidate* partner, bool matched) const
{
    TKSMoleculeMatchResult2 r;
    r.m_moleculeId = id;
    r.m_molfileError = m.error;
    r.m_matched = matched;
    if (primary) {
        const Ion& ion = m_ions[static_cast<size_t>(primary->ion)];
        r.m_score = primary->score;
        r.m_similarity = primary->similarity;
        r.m_purity = primary->purity;
        r.m_fragmentScore = primary->fragmentScore;
        r.m_peak = primary->peak;
        r.m_monoIntensity = primary->monoIntensity;
        r.m_ion = ion.description;
        r.m_ionMZ = ion.mz;
        fillSide(r, *primary);
    }
    if (partner)
        fillSide(r, *partner);
    return r;
}

std::vector<TKSMoleculeMatchResult2> MatchRun::run(const std::vector<std::wstring>& molfiles,
                                                   const std::vector<std::wstring>& ids)
{
    std::vector<MoleculeData> molecules(molfiles.size());
    for (size_t i = 0; i < molfiles.size(); ++i) {
        readMolecule(molfiles[i], molecules[i]);
        if (molecules[i].readable)
            makeIons(static_cast<int>(i), molecules[i]);
    }
    for (size_t k = 0; k < m_ions.size(); ++k)
        scoreIon(static_cast<int>(k), molecules[static_cast<size_t>(m_ions[k].molecule)]);

    // Best first; earlier molecules, positive ions and earlier ions first among equals.
    std::vector<size_t> order(m_candidates.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [this](size_t a, size_t b) { return m_candidates[a].score > m_candidates[b].score; });

    const int perMolecule = std::clamp(m_settings.m_perMolecule, 1, kMaxCap);
    const int perSpectrum = std::clamp(m_settings.m_perSpectrum, 1, kMaxCap);
    std::vector<std::vector<size_t>> accepted(molecules.size());
    std::map<std::pair<int, int>, int> perSpectrumCount;  // (side, scan)
    for (size_t k : order) {
        const Candidate& c = m_candidates[k];
        const Ion& ion = m_ions[static_cast<size_t>(c.ion)];
        if (!(c.score >= m_settings.m_threshold))
            break;
        std::vector<size_t>& mine = accepted[static_cast<size_t>(ion.molecule)];
        if (static_cast<int>(mine.size()) >= perMolecule)
            continue;
        // The same compound peak seen through another ion is not a new match.
        const bool samePeak = std::any_of(mine.begin(), mine.end(), [&](size_t j) {
            const Candidate& o = m_candidates[j];
            return m_ions[static_cast<size_t>(o.ion)].side == ion.side && c.peak.apexRT >= o.peak.startRT &&
                   c.peak.apexRT <= o.peak.endRT;
        });
        if (samePeak)
            continue;
        int& used = perSpectrumCount[{ion.side, c.peak.scan}];
        if (used >= perSpectrum)
            continue;
        ++used;
        mine.push_back(k);
    }

    std::vector<TKSMoleculeMatchResult2> results;
    for (size_t i = 0; i < molecules.size(); ++i) {
        if (accepted[i].empty()) {
            const Candidate* best = nullptr;
            for (size_t k : order)
                if (m_ions[static_cast<size_t>(m_candidates[k].ion)].molecule == static_cast<int>(i)) {
                    best = &m_candidates[k];
                    break;
                }
            results.push_back(result(ids[i], molecules[i], best, nullptr, false));
            continue;
        }
        for (size_t k : accepted[i]) {
            const Candidate& c = m_candidates[k];
            const int side = m_ions[static_cast<size_t>(c.ion)].side;
            // The best match of the other polarity within the same peak.
            const Candidate* partner = nullptr;
            for (size_t j : order) {
                const Candidate& o = m_candidates[j];
                const Ion& other = m_ions[static_cast<size_t>(o.ion)];
                if (other.molecule != static_cast<int>(i) || other.side == side || !(o.score >= m_settings.m_threshold))
                    continue;
                if ((o.peak.apexRT >= c.peak.startRT && o.peak.apexRT <= c.peak.endRT) ||
                    (c.peak.apexRT >= o.peak.startRT && c.peak.apexRT <= o.peak.endRT)) {
                    partner = &o;
                    break;
                }
            }
            results.push_back(result(ids[i], molecules[i], &c, partner, true));
        }
    }
    return results;
}

// --- serialisation of results ---------------------------------------------------------

struct ResultCodec {
    static void write(ImageWriter& w, const TKSMoleculeMatchResult2& r)
    {
        w.text(r.m_moleculeId);
        w.boolean(r.m_matched);
        w.f64(r.m_score);
        w.f64(r.m_similarity);
        w.f64(r.m_purity);
        w.f64(r.m_fragmentScore);
        const TKSChromatogramPeak& p = r.m_peak;
        for (double v : {p.startRT, p.startIntensity, p.apexRT, p.apexIntensity, p.endRT, p.endIntensity})
            w.f64(v);
        w.i32(p.scan);
        w.f64(p.height);
        w.f64(p.area);
        w.i32(p.type);
        w.f64(r.m_monoIntensity);
        w.text(r.m_ion);
        w.f64(r.m_ionMZ);
        w.text(r.m_molfileError);
        for (const TKSMoleculeMatchResult2::Side& side : r.m_sides) {
            for (int k = 0; k < TKSMoleculeMatchResult2::kSpectra; ++k) {
                w.boolean(side.has[k]);
                if (side.has[k])
                    writeNested(w, side.spectra[k]);
            }
            w.boolean(side.hasMIC);
            if (side.hasMIC)
                writeNested(w, side.mic);
        }
    }

    static bool read(ImageReader& r, TKSMoleculeMatchResult2& out)
    {
        TKSMoleculeMatchResult2 v;
        TKSChromatogramPeak& p = v.m_peak;
        int32_t scan = 0, type = 0;
        if (!r.text(v.m_moleculeId) || !r.boolean(v.m_matched) || !r.f64(v.m_score) || !r.f64(v.m_similarity) ||
            !r.f64(v.m_purity) || !r.f64(v.m_fragmentScore) || !r.f64(p.startRT) || !r.f64(p.startIntensity) ||
            !r.f64(p.apexRT) || !r.f64(p.apexIntensity) || !r.f64(p.endRT) || !r.f64(p.endIntensity) ||
            !r.i32(scan) || !r.f64(p.height) || !r.f64(p.area) || !r.i32(type) || !r.f64(v.m_monoIntensity) ||
            !r.text(v.m_ion) || !r.f64(v.m_ionMZ) || !r.text(v.m_molfileError))
            return false;
        if (type < PeakTypeUnknown || type > PeakTypeShoulder)
            return false;
        p.scan = scan;
        p.type = type;
        for (TKSMoleculeMatchResult2::Side& side : v.m_sides) {
            for (int k = 0; k < TKSMoleculeMatchResult2::kSpectra; ++k)
                if (!r.boolean(side.has[k]) || (side.has[k] && !readNested(r, side.spectra[k])))
                    return false;
            if (!r.boolean(side.hasMIC) || (side.hasMIC && !readNested(r, side.mic)))
                return false;
        }
        out = std::move(v);
        return true;
    }
};

}  // namespace tindrel

// --- TKSMoleculeMatchResult2 -------------------------------------------------------------

TKSMoleculeMatchResult2::TKSMoleculeMatchResult2()
    : m_matched(false), m_score(0), m_similarity(0), m_purity(0), m_fragmentScore(-1), m_monoIntensity(0), m_ionMZ(0)
{
}

bool TKSMoleculeMatchResult2::take(int side, int which, TKSMassSpectrum& spectrum) const
{
    const Side& s = m_sides[side];
    if (!s.has[which]) {
        spectrum.clearPoints();
        return false;
    }
    spectrum = s.spectra[which];
    return true;
}

bool TKSMoleculeMatchResult2::takeMIC(int side, TKSChromatogram& chromatogram) const
{
    if (!m_sides[side].hasMIC) {
        chromatogram.clearPoints();
        return false;
    }
    chromatogram = m_sides[side].mic;
    return true;
}

// --- TKSMoleculeMatcher2 ----------------------------------------------------------------

TKSMoleculeMatcher2::TKSMoleculeMatcher2()
    : m_positive{CIonSpec(L"H+", L"")},
      m_negative{CIonSpec(L"", L"H+")},
      m_dimers(false),
      m_maxChargePositive(1),
      m_maxChargeNegative(1),
      m_perMolecule(1),
      m_perSpectrum(1),
      m_msTolerance(5.0),
      m_msmsTolerance(10.0),
      m_toleranceInDa(false),
      m_threshold(0.5),
      m_collections{nullptr, nullptr, nullptr, nullptr}
{
}

TKSMoleculeMatcher2::~TKSMoleculeMatcher2() = default;

bool TKSMoleculeMatcher2::setAdducts(const std::vector<CIonSpec>& positive, const std::vector<CIonSpec>& negative)
{
    m_positive = positive;
    m_negative = negative;
    bool usable = true;
    const tindrel::ElementTablePtr table = m_table.data();
    if (!table)
        return true;
    tindrel::IonText adduct, loss;
    int charge = 0;
    for (const CIonSpec& s : positive)
        usable = tindrel::readSpec(s, *table, true, adduct, loss, charge) && usable;
    for (const CIonSpec& s : negative)
        usable = tindrel::readSpec(s, *table, false, adduct, loss, charge) && usable;
    return usable;
}

void TKSMoleculeMatcher2::getAdducts(std::vector<CIonSpec>& positive, std::vector<CIonSpec>& negative) const
{
    positive = m_positive;
    negative = m_negative;
}

void TKSMoleculeMatcher2::setMaximumChargeStates(int positive, int negative)
{
    m_maxChargePositive = positive;
    m_maxChargeNegative = negative;
}

void TKSMoleculeMatcher2::getMaximumChargeStates(int& positive, int& negative) const
{
    positive = m_maxChargePositive;
    negative = m_maxChargeNegative;
}

void TKSMoleculeMatcher2::setMZTolerance(double ms, double msms, bool inDa)
{
    m_msTolerance = ms;
    m_msmsTolerance = msms;
    m_toleranceInDa = inDa;
}

void TKSMoleculeMatcher2::getMZTolerance(double& ms, double& msms, bool& inDa) const
{
    ms = m_msTolerance;
    msms = m_msmsTolerance;
    inDa = m_toleranceInDa;
}

void TKSMoleculeMatcher2::setElementTable(const TKSElementTable* table)
{
    m_table = table ? *table : TKSElementTable();
}

void TKSMoleculeMatcher2::setSpectra(const TKSMSCollection* msPositive, const TKSMSCollection* msmsPositive,
                                     const TKSMSCollection* msNegative, const TKSMSCollection* msmsNegative)
{
    m_collections[0] = msPositive;
    m_collections[1] = msmsPositive;
    m_collections[2] = msNegative;
    m_collections[3] = msmsNegative;
}

bool TKSMoleculeMatcher2::matchMolecules(const std::vector<std::wstring>& molfiles,
                                         const std::vector<std::wstring>& moleculeIds)
{
    struct Forget {
        const TKSMSCollection** collections;
        ~Forget() { std::fill(collections, collections + 4, nullptr); }
    } forget{m_collections};
    const tindrel::ElementTablePtr table = m_table.data();
    const bool tolerances = std::isfinite(m_msTolerance) && m_msTolerance >= 0 && std::isfinite(m_msmsTolerance) &&
                            m_msmsTolerance >= 0 && !std::isnan(m_threshold);
    if (!table || molfiles.empty() || molfiles.size() != moleculeIds.size() || !tolerances)
        return false;
    tindrel::MatchRun run(*this, *table);
    if (!run.hasMS())
        return false;
    m_results = run.run(molfiles, moleculeIds);
    return true;
}

// --- serialisation ---------------------------------------------------------------

std::vector<unsigned char> TKSMoleculeMatcher2::image() const
{
    tindrel::ImageWriter w;
    for (const std::vector<CIonSpec>* list : {&m_positive, &m_negative}) {
        w.u32(static_cast<uint32_t>(list->size()));
        for (const CIonSpec& s : *list) {
            w.text(s.adduct);
            w.text(s.loss);
        }
    }
    w.boolean(m_dimers);
    w.i32(m_maxChargePositive);
    w.i32(m_maxChargeNegative);
    w.i32(m_perMolecule);
    w.i32(m_perSpectrum);
    w.f64(m_msTolerance);
    w.f64(m_msmsTolerance);
    w.boolean(m_toleranceInDa);
    w.f64(m_threshold);
    w.u32(static_cast<uint32_t>(m_results.size()));
    for (const TKSMoleculeMatchResult2& r : m_results)
        tindrel::ResultCodec::write(w, r);
    return w.image(tindrel::kMatcherMagic, tindrel::kMatcherVersion);
}

size_t TKSMoleculeMatcher2::getSerializedSize() const
{
    return image().size();
}

bool TKSMoleculeMatcher2::serialize(unsigned char* buffer, size_t size) const
{
    return tindrel::copyImage(image(), buffer, size);
}

bool TKSMoleculeMatcher2::deserialize(const unsigned char* data, size_t size)
{
    uint32_t version = 0;
    const unsigned char* payload = nullptr;
    size_t payloadSize = 0;
    if (!tindrel::openImage(data, size, tindrel::kMatcherMagic, tindrel::kMatcherVersion, version, payload,
                            payloadSize))
        return false;
    tindrel::ImageReader r(payload, payloadSize);
    std::vector<CIonSpec> lists[2];
    for (std::vector<CIonSpec>& list : lists) {
        uint32_t n = 0;
        if (!r.count(n, 8))
            return false;
        list.resize(n);
        for (CIonSpec& s : list)
            if (!r.text(s.adduct) || !r.text(s.loss))
                return false;
    }
    bool dimers = false, inDa = false;
    int32_t maxPositive = 0, maxNegative = 0, perMolecule = 0, perSpectrum = 0;
    double ms = 0, msms = 0, threshold = 0;
    uint32_t n = 0;
    if (!r.boolean(dimers) || !r.i32(maxPositive) || !r.i32(maxNegative) || !r.i32(perMolecule) ||
        !r.i32(perSpectrum) || !r.f64(ms) || !r.f64(msms) || !r.boolean(inDa) || !r.f64(threshold) ||
        !r.count(n, 4))
        return false;
    std::vector<TKSMoleculeMatchResult2> results;
    for (uint32_t i = 0; i < n; ++i) {
        TKSMoleculeMatchResult2 result;
        if (!tindrel::ResultCodec::read(r, result))
            return false;
        results.push_back(std::move(result));
    }
    if (!r.atEnd())
        return false;
    m_positive = std::move(lists[0]);
    m_negative = std::move(lists[1]);
    m_dimers = dimers;
    m_maxChargePositive = maxPositive;
    m_maxChargeNegative = maxNegative;
    m_perMolecule = perMolecule;
    m_perSpectrum = perSpectrum;
    m_msTolerance = ms;
    m_msmsTolerance = msms;
    m_toleranceInDa = inDa;
    m_threshold = threshold;
    m_results = std::move(results);
    return true;
}
