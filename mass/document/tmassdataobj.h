// The data objects of a mass item: a chromatogram or a mass spectrum copied
// from the core library, with its peak list, an identifier (the key of the
// plot that shows it) and a subtype saying how it was obtained.
//
// IMassPlotData is what plots, tables and commands see; TMassDataObj holds
// the common part; TChromatogramDataObj (kind 0) and TMassSpecDataObj
// (kind 1) own their core-library value. Objects are deleted through the
// virtual destructor.
//
// Stream form (block stream, big-endian):
//   common part: an empty header block, then a main block of 24 bytes:
//                id (QUuid), kind, subtype (qint32);
//   own part:    an empty block, then the data block: a payload block with
//                the core-library value's serialised bytes (empty when it
//                cannot be serialised), then for a chromatogram from m/z
//                and to m/z (doubles), for a spectrum the centroid and
//                centroided-here flags (1 byte each) and the peak width
//                (double); then the peak list (qint32 count, records).
// A reader skips the header block, ignores the main block's length and the
// kind (fixed by the class), stops at a data block of length 0 (the object
// stays empty) and hands the payload bytes with their size to the core
// library's deserialize (an image it refuses leaves the value empty).
// Bytes that run out or lengths and counts beyond the data leave the
// stream failed and the object as a freshly made empty one.
#pragma once

#include "tdatastream.h"
#include "tmspeak.h"
#include "tindrel.h"

#include <QString>
#include <QUuid>
#include <QVector>

#include <cstdint>

// A read-only view of a data array: value k is at data[k * step]. Valid
// while the data object lives and its core-library value is unchanged.
struct TValueArray {
    const double* data = nullptr;
    int32_t step = -1;
    int32_t count = 0;
    uint8_t descending = 0;

    double at(int k) const { return data[static_cast<ptrdiff_t>(k) * step]; }
    bool isEmpty() const { return count <= 0 || !data; }
};

// A range of plot values.
struct TDataRange {
    double from = 0;
    double to = 0;
};

class IMassPlotData {
public:
    // Axis 0 the x values, axis 1 the intensities, any other the empty view.
    virtual TValueArray values(int axis) const = 0;
    // The range a plot shows of the data on an axis (0 x, 1 intensity).
    virtual TDataRange fullRange(int axis) const = 0;
    virtual bool getSpectrumPeaks(QVector<TMSPeak>& peaks) const = 0;
    virtual bool getChromatogramPeaks(QVector<TMSChromPeak>& peaks) const = 0;
    virtual double getMaximumPeakIntensity() const = 0;
    virtual ~IMassPlotData() = default;
    virtual QString description() const = 0;
    virtual int getInjectionIndex() const = 0;
    virtual int getFunctionIndex() const = 0;
    virtual int getTraceIndex() const = 0;
    virtual double getMinimumX() const = 0;
    virtual double getMaximumX() const = 0;
    virtual double getMinimumY() const = 0;
    virtual double getMaximumY() const = 0;
    virtual TValueArray getXValues() const = 0;
    virtual TValueArray getYValues() const = 0;
    virtual void write(TDataStream& s) const = 0;
    virtual void read(TDataStream& s) = 0;
};

class TMassDataObj : public IMassPlotData {
public:
    enum Kind { Chromatogram = 0, MassSpectrum = 1 };

    TValueArray values(int axis) const override;
    TDataRange fullRange(int axis) const override;
    bool getSpectrumPeaks(QVector<TMSPeak>& peaks) const override;
    bool getChromatogramPeaks(QVector<TMSChromPeak>& peaks) const override;
    int getFunctionIndex() const override { return -1; }
    int getTraceIndex() const override { return -1; }
    void write(TDataStream& s) const override;
    void read(TDataStream& s) override;

    const QUuid& id() const { return m_id; }
    void setId(const QUuid& id) { m_id = id; }
    int kind() const { return m_kind; }
    int subtype() const { return m_subtype; }
    void setSubtype(int subtype) { m_subtype = subtype; }

    // (maximum Y - minimum Y) of this object over that of `other`; 1.0 when
    // the other is flat (or the ratio is not finite).
    double intensityRangeRatio(const TMassDataObj& other) const;

    // The kind (qint32), then the object.
    static void writeToStream(TDataStream& s, const TMassDataObj& object);
    // Reads a kind and makes that object, which reads itself: new, the
    // caller's. Null for an unknown kind (nothing more is read) and for
    // an object whose bytes are damaged (the stream is then failed).
    static TMassDataObj* createFromStream(TDataStream& s);

protected:
    TMassDataObj(Kind kind, const QUuid& id, int subtype) : m_id(id), m_kind(kind), m_subtype(subtype) {}
    TMassDataObj(const TMassDataObj&) = default;
    TMassDataObj& operator=(const TMassDataObj&) = default;

    static TValueArray view(const std::vector<double>& values);
    // Reads the own part's opening (the empty block and the data block's
    // length) and the payload: false when the data block is empty or the
    // stream failed.
    static bool readDataBlock(TDataStream& s, std::vector<unsigned char>& payload);
    template <class V>
    static void writeDataBlockStart(TDataStream& s, const V& value);

    QUuid m_id;
    int32_t m_kind;
    int32_t m_subtype;
};

class TChromatogramDataObj : public TMassDataObj {
public:
    TChromatogramDataObj();
    TChromatogramDataObj(const QUuid& id, const TKSChromatogram& chromatogram, int subtype);
    TChromatogramDataObj(const QUuid& id, const TKSChromatogram& chromatogram, double fromMZ, double toMZ,
                         int subtype);

    // The object as a chromatogram object when its kind is 0, else null;
    // also written to `out` when one is given.
    static TChromatogramDataObj* cast(IMassPlotData* object, TChromatogramDataObj** out = nullptr);
    static const TChromatogramDataObj* cast(const IMassPlotData* object);

    bool getChromatogramPeaks(QVector<TMSChromPeak>& peaks) const override;
    // The largest apex intensity of the peaks (0 without peaks).
    double getMaximumPeakIntensity() const override;
    QString description() const override;
    int getInjectionIndex() const override { return m_chromatogram.getInjectionIndex(); }
    int getFunctionIndex() const override { return m_chromatogram.getFunctionIndex(); }
    int getTraceIndex() const override { return m_chromatogram.getTraceIndex(); }
    double getMinimumX() const override { return m_chromatogram.getMinimumRT(); }
    double getMaximumX() const override { return m_chromatogram.getMaximumRT(); }
    // 0 for a one-point chromatogram whose intensity is positive.
    double getMinimumY() const override;
    double getMaximumY() const override { return m_chromatogram.getMaximumIntensity(); }
    TValueArray getXValues() const override { return view(m_chromatogram.getRTValues()); }
    TValueArray getYValues() const override { return view(m_chromatogram.getIntensities()); }
    void write(TDataStream& s) const override;
    void read(TDataStream& s) override;

    // Replaces the peak list by the core library's detected peaks.
    void detectPeaks();

    const TKSChromatogram& chromatogram() const { return m_chromatogram; }
    double fromMZ() const { return m_fromMZ; }
    double toMZ() const { return m_toMZ; }
    const QVector<TMSChromPeak>& peaks() const { return m_peaks; }
    QVector<TMSChromPeak>& peaks() { return m_peaks; }

private:
    TKSChromatogram m_chromatogram;
    double m_fromMZ = 0;
    double m_toMZ = 0;
    QVector<TMSChromPeak> m_peaks;
};

class TMassSpecDataObj : public TMassDataObj {
public:
    static constexpr double kDefaultPeakWidth = 0.05;

    TMassSpecDataObj();
    // The centroid flag comes from the spectrum.
    TMassSpecDataObj(const QUuid& id, const TKSMassSpectrum& spectrum, int subtype);

    // The object as a spectrum object when its kind is 1, else null; also
    // written to `out` when one is given.
    static TMassSpecDataObj* cast(IMassPlotData* object, TMassSpecDataObj** out = nullptr);
    static const TMassSpecDataObj* cast(const IMassPlotData* object);

    bool getSpectrumPeaks(QVector<TMSPeak>& peaks) const override;
    double getMaximumPeakIntensity() const override { return m_spectrum.getBasePeakIntensity(); }
    QString description() const override;
    int getInjectionIndex() const override { return m_spectrum.getInjectionIndex(); }
    int getFunctionIndex() const override { return m_spectrum.getFunctionIndex(); }
    double getMinimumX() const override { return m_spectrum.getMinimumMZ(); }
    double getMaximumX() const override { return m_spectrum.getMaximumMZ(); }
    // 0 for a centroided spectrum whose smallest intensity is positive.
    double getMinimumY() const override;
    double getMaximumY() const override { return m_spectrum.getMaximumIntensity(); }
    TValueArray getXValues() const override { return view(m_spectrum.getMZValues()); }
    TValueArray getYValues() const override { return view(m_spectrum.getIntensities()); }
    void write(TDataStream& s) const override;
    void read(TDataStream& s) override;

    // Centroids a profile spectrum once: a one-point spectrum counts as
    // centroided; otherwise the core library's automatic peak detection
    // replaces the spectrum and sets the peak width. A failed detection
    // changes nothing.
    void centroid();
    // Centroids when needed, then appends one peak per centroid point (the
    // list is not cleared). Nothing when the spectrum stays a profile.
    void buildPeaks();

    const TKSMassSpectrum& spectrum() const { return m_spectrum; }
    bool isCentroid() const { return m_centroid; }
    bool isCentroidedHere() const { return m_centroidedHere; }
    double peakWidth() const { return m_peakWidth; }
    const QVector<TMSPeak>& peaks() const { return m_peaks; }
    QVector<TMSPeak>& peaks() { return m_peaks; }

private:
    TKSMassSpectrum m_spectrum;
    bool m_centroid = false;
    bool m_centroidedHere = false;
    double m_peakWidth = kDefaultPeakWidth;
    QVector<TMSPeak> m_peaks;
};
