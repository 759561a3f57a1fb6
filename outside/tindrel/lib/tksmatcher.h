// Molecule matching (TKSMoleculeMatcher2, TKSMoleculeMatchResult2): which
// of a list of molecules (V2000 molfiles) elute in a run, where, and how
// well their isotope clusters and fragments fit.
//
// Settings (the defaults in brackets): ion specifications per polarity, a
// CIonSpec of an adduct and a loss, both ion texts ("H+", "Na+", "NH4+",
// "H2O", "2H+"; [positive "H+" with no loss; negative no adduct, loss
// "H+"]); dimers [off]; the largest charge state per polarity [1, 1]; the
// largest number of matches reported per molecule and per spectrum [1, 1];
// the m/z tolerances of MS and MS/MS spectra [5, 10] in Da or ppm of the
// m/z [ppm]; the score threshold [0.5]. Setters store what they are given;
// matchMolecules reads the values as the README says (caps below 1 count
// as 1, charges above 100 as 100).
//
// setSpectra takes the collections of the MS and MS/MS functions of each
// polarity (any may be null): positive MS, positive MS/MS, negative MS,
// negative MS/MS. The slot gives the polarity: a caller places a function
// of unknown polarity in the positive slots. matchMolecules reads the
// collections it was given and forgets them when it returns, whatever it
// answers: it keeps no pointer to them afterwards.
//
// matchMolecules(molfiles, ids) answers false, the results as they were,
// when the lists differ in length or are empty, without an element table,
// without an MS collection of either polarity, or for tolerances that are
// negative or not numbers or a score threshold that is not a number. Else
// it replaces the results and answers true: per molecule, in the order
// given, its matches by score (highest first), or one unmatched result
// (also for a molfile that does not read).
//
// Each result carries what the plug-in shows for it: per polarity the MS
// spectrum at the apex, the ion's isotope cluster (relative to 100 at its
// highest line), the MS/MS spectrum nearest the apex and the fragments
// found in it, and the ion's mass chromatogram. Everything is a copy.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tindrelglobal.h"
#include "tkselements.h"
#include "tkspeakdetect.h"
#include "tksvalues.h"

class TKSMSCollection;

namespace tindrel {
class MatchRun;
struct ResultCodec;
}  // namespace tindrel

class TINDREL_EXPORT TKSMoleculeMatchResult2 {
public:
    TKSMoleculeMatchResult2();

    const std::wstring& getMoleculeId() const { return m_moleculeId; }
    bool getIsMatched() const { return m_matched; }
    // 0 to 1: the mean of the similarity, the purity and (where an MS/MS
    // spectrum was there to score) the fragment score.
    double getMatchScore() const { return m_score; }
    double getSimilarityScore() const { return m_similarity; }
    double getPurityScore() const { return m_purity; }
    // -1 when no MS/MS spectrum was scored.
    double getFragmentScore() const { return m_fragmentScore; }
    // The mass chromatogram peak matched: apex retention time, scan (the
    // spectrum index), span, height and area.
    const TKSChromatogramPeak& getChromatogramPeak() const { return m_peak; }
    // The intensity of the monoisotopic peak observed at the apex.
    double GetMSMonoMassIntensity() const { return m_monoIntensity; }
    // The ion matched ("[M+H]+") and its m/z; empty and 0 when none.
    const std::wstring& getIonDescription() const { return m_ion; }
    double getIonMZ() const { return m_ionMZ; }
    // Why the molecule could not be read; empty when it was.
    const std::wstring& getMolfileError() const { return m_molfileError; }

    // False, the output emptied, where the result has none.
    bool getMSPosSpectrum(TKSMassSpectrum& spectrum) const { return take(0, kMS, spectrum); }
    bool getMSMSPosSpectrum(TKSMassSpectrum& spectrum) const { return take(0, kMSMS, spectrum); }
    bool getMSNegSpectrum(TKSMassSpectrum& spectrum) const { return take(1, kMS, spectrum); }
    bool getMSMSNegSpectrum(TKSMassSpectrum& spectrum) const { return take(1, kMSMS, spectrum); }
    bool getIsoClusterPosSpectrum(TKSMassSpectrum& spectrum) const { return take(0, kCluster, spectrum); }
    bool getIsoClusterNegSpectrum(TKSMassSpectrum& spectrum) const { return take(1, kCluster, spectrum); }
    bool getFragmentPosSpectrum(TKSMassSpectrum& spectrum) const { return take(0, kFragments, spectrum); }
    bool getFragmentNegSpectrum(TKSMassSpectrum& spectrum) const { return take(1, kFragments, spectrum); }
    bool getMICPosChromatogram(TKSChromatogram& chromatogram) const { return takeMIC(0, chromatogram); }
    bool getMICNegChromatogram(TKSChromatogram& chromatogram) const { return takeMIC(1, chromatogram); }

private:
    friend class tindrel::MatchRun;
    friend struct tindrel::ResultCodec;
    enum { kMS = 0, kCluster = 1, kMSMS = 2, kFragments = 3, kSpectra = 4 };
    struct Side {
        bool has[kSpectra] = {false, false, false, false};
        TKSMassSpectrum spectra[kSpectra];
        bool hasMIC = false;
        TKSChromatogram mic;
    };
    bool take(int side, int which, TKSMassSpectrum& spectrum) const;
    bool takeMIC(int side, TKSChromatogram& chromatogram) const;

    std::wstring m_moleculeId;
    bool m_matched;
    double m_score;
    double m_similarity;
    double m_purity;
    double m_fragmentScore;
    TKSChromatogramPeak m_peak;
    double m_monoIntensity;
    std::wstring m_ion;
    double m_ionMZ;
    std::wstring m_molfileError;
    Side m_sides[2];
};

class TINDREL_EXPORT TKSMoleculeMatcher2 {
public:
    struct CIonSpec {
        CIonSpec() = default;
        CIonSpec(const std::wstring& adductText, const std::wstring& lossText) : adduct(adductText), loss(lossText) {}
        std::wstring adduct;
        std::wstring loss;
    };

    TKSMoleculeMatcher2();
    ~TKSMoleculeMatcher2();

    // Stores both lists as given; false when an entry cannot be used (a
    // text the element table cannot spell, when one is set, or an entry
    // whose charge is 0 or of the other polarity): matching passes such
    // entries by.
    bool setAdducts(const std::vector<CIonSpec>& positive, const std::vector<CIonSpec>& negative);
    void getAdducts(std::vector<CIonSpec>& positive, std::vector<CIonSpec>& negative) const;
    void setEnableDimers(bool enable) { m_dimers = enable; }
    bool getEnableDimers() const { return m_dimers; }
    void setMaximumChargeStates(int positive, int negative);
    void getMaximumChargeStates(int& positive, int& negative) const;
    void setMaximumMatchesPerMolecule(int count) { m_perMolecule = count; }
    int getMaximumMatchesPerMolecule() const { return m_perMolecule; }
    void setMaximumMatchesPerSpectrum(int count) { m_perSpectrum = count; }
    int getMaximumMatchesPerSpectrum() const { return m_perSpectrum; }
    void setMZTolerance(double ms, double msms, bool inDa);
    void getMZTolerance(double& ms, double& msms, bool& inDa) const;
    void setScoreThreshold(double threshold) { m_threshold = threshold; }
    double getScoreThreshold() const { return m_threshold; }

    // Keeps a copy of the table's data (null: none).
    void setElementTable(const TKSElementTable* table);
    void setSpectra(const TKSMSCollection* msPositive, const TKSMSCollection* msmsPositive,
                    const TKSMSCollection* msNegative, const TKSMSCollection* msmsNegative);
    bool matchMolecules(const std::vector<std::wstring>& molfiles, const std::vector<std::wstring>& moleculeIds);
    const std::vector<TKSMoleculeMatchResult2>& getResults() const { return m_results; }

    // The settings and the results (not the element table or the
    // collections), as a byte image of the library's frame (magic "TKMM");
    // deserialize refuses anything but an intact image and then keeps its
    // state.
    size_t getSerializedSize() const;
    bool serialize(unsigned char* buffer, size_t size) const;
    bool deserialize(const unsigned char* data, size_t size);

private:
    friend class tindrel::MatchRun;
    std::vector<unsigned char> image() const;

    std::vector<CIonSpec> m_positive;
    std::vector<CIonSpec> m_negative;
    bool m_dimers;
    int m_maxChargePositive;
    int m_maxChargeNegative;
    int m_perMolecule;
    int m_perSpectrum;
    double m_msTolerance;
    double m_msmsTolerance;
    bool m_toleranceInDa;
    double m_threshold;
    TKSElementTable m_table;
    const TKSMSCollection* m_collections[4];
    std::vector<TKSMoleculeMatchResult2> m_results;
};
