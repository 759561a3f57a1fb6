// CTavrionIO: one raw file of the Tavrion data system read through the
// raw-file reader of Ombrel2 (class Ombrel), which it creates by class
// identifier and drives only through IOmbrel. Nothing here parses the
// file: scans, filters, mass lists and chromatograms are the reader's.
//
// One reader object serves every file in turn: it is created when the
// CTavrionIO is constructed (or at a later Reset, when that failed), each
// open closes the previous file on it first, and it goes with the
// CTavrionIO. Without a registered Ombrel class nothing opens.
//
// Scan numbers count from 1 (1 to ScanCount()); channel traces from 1 (1
// to ChannelCount()). Every read answers false when nothing is open, for
// a scan or channel outside its range, and when the reader answers no
// data; arrays the reader hands out are read only as far as they reach.
// Mass-spectrometer reads make the mass spectrometer (controller type 0,
// number 1) current first; channel reads make their own controller
// current. No member throws except for a failed allocation.
#pragma once

#include <string>
#include <vector>

#include "chromatogram.h"
#include "kscomptr.h"
#include "massspectrum.h"
#include "ombrel.h"
#include "tavriondatasource.h"

// Chromatogram types of the mass spectrometer's traces.
inline constexpr LONG kTavrionChroTIC = 1;
inline constexpr LONG kTavrionChroBasePeak = 2;

class CTavrionIO {
public:
    // Creates the reader object (Reset).
    CTavrionIO();
    // Closes the file and releases the reader object.
    ~CTavrionIO();
    CTavrionIO(const CTavrionIO&) = delete;
    CTavrionIO& operator=(const CTavrionIO&) = delete;

    // Creates the reader object when there is none yet, then forgets the
    // open file's state (without closing it on the reader). Answers whether
    // a reader object exists.
    bool Reset();
    // The reader's Close, then Reset; the reader object stays.
    void Close();

    // Opens a raw file: at once true when it is the file already open
    // (same text); otherwise closes, opens path or, when path does not
    // exist, path with ".raw" appended, reads the scan count and finds the
    // channel traces of every other controller.
    bool Open(const std::wstring& path);
    // Opens the path of a data-source string (ParseTavrionDataSource).
    bool OpenDataSource(const std::wstring& dataSource);

    bool IsOpen() const { return m_bOpen; }
    // The path opened ("" when none) and its data-source string.
    const std::wstring& GetPath() const { return m_Path; }
    const std::wstring& GetDataSource() const { return m_DataSource; }
    // Scans of the mass spectrometer; 0 when none or nothing is open.
    LONG ScanCount() const { return m_nScans; }
    int ChannelCount() const { return static_cast<int>(m_Channels.size()); }
    // The name of channel trace n (1 to ChannelCount(), else "").
    std::wstring ChannelName(int n) const;
    // The reader object, or null when none could be created.
    IOmbrel* GetReader() const { return m_pReader.get(); }

    // The scan's filter text ("" outside 1 to ScanCount()), asked of the
    // reader once and kept.
    std::wstring GetScanFilter(LONG scan);
    // The scan at a retention time (minutes), 0 when none; the retention
    // time of a scan, -1 when none.
    LONG ScanFromTime(double time);
    double TimeFromScan(LONG scan);

    // One scan as a spectrum: its points, centroid flag, retention time at
    // both ends of its range, its number as first and last scan, and, when
    // its filter text parses, the filter's MS order, polarity, first
    // precursor and the text as title.
    bool ReadSpectrum(LONG scan, CMassSpectrum& spectrum);
    // The same for the scan after the given one (the number read is the
    // spectrum's scan number).
    bool ReadNextSpectrum(LONG scan, CMassSpectrum& spectrum);

    // A chromatogram of controller (type, number): chromatogram type 1 is
    // the total ion current and 2 the base peak of the mass spectrometer
    // (filter: the scans to take; the base peak within low to high when
    // both are above -1); for the other controllers the type is the
    // channel.
    bool ReadChromatogram(LONG controllerType, LONG controllerNumber, LONG chroType, const std::wstring& filter,
                          CChromatogram& chromatogram, double low, double high);
    // The same, unfiltered and over every mass, as an x/y container: times
    // as m/z values, a profile.
    bool ReadControllerTrace(LONG controllerType, LONG controllerNumber, LONG chroType, CMassSpectrum& spectrum);
    // Whether the mass spectrometer's chromatogram of that type has more
    // than one point.
    bool HasChromatogram(LONG chroType);
    bool ReadChannelTrace(int n, CMassSpectrum& spectrum);
    bool ReadChannelChromatogram(int n, CChromatogram& chromatogram);

    // False when the scan's filter text is empty or does not parse.
    bool IsZoomScan(LONG scan);
    bool IsFullScan(LONG scan);
    bool IsDependentScan(LONG scan);

private:
    // A channel trace: the controller's type and its number among the
    // controllers of that type (from 1), and the channel (0 to 3).
    struct Channel {
        LONG type;
        LONG number;
        LONG channel;
    };

    void MakeMSCurrent();
    void FindChannels();
    bool ReadMassList(LONG scan, bool next, CMassSpectrum& spectrum);
    void ApplyScanFilter(LONG scan, CMassSpectrum& spectrum);
    // The (time, intensity) pairs of a controller's chromatogram, handed to
    // write(count, pairs).
    template <class Write>
    bool ReadChroPairs(LONG controllerType, LONG controllerNumber, LONG chroType, const std::wstring& filter,
                       const std::wstring& ranges, Write write);

    ks::ComPtr<IOmbrel> m_pReader;
    bool m_bCreated = false;
    std::wstring m_Path;
    std::wstring m_DataSource;
    bool m_bOpen = false;
    LONG m_nScans = 0;
    std::vector<Channel> m_Channels;
    std::vector<std::wstring> m_ChannelNames;
    // Index scan - 1; grows as scans are asked for.
    std::vector<std::wstring> m_FilterCache;
};
