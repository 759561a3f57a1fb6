// The MassLynx reader over the seven reading classes of the MassLynx
// installation (outside/masslynx stands in for them): CMassLynxDataIO
// creates one object of each class when it is constructed, keeps them for
// every raw directory it opens, and turns their answers into function
// records, spectra and chromatograms. It parses none of the data files
// itself.
//
// A raw directory holds functions numbered from 1; the MS functions among
// them become records (in file order), the diode-array functions traces
// after the analog channels. "Function f" of this class counts the MS
// functions from 1; the classes are asked for the record's own function
// number, and so are data-source strings written and read: "Function: n"
// names the run's function n, whatever diode-array functions come before
// it.
//
// Every call of a class that fails (a failure code or a negative status)
// ends the operation with false, as does a class that could not be
// created. Nothing is reported beyond that.
#pragma once

#include <string>
#include <vector>

#include "chromatogram.h"
#include "kscomptr.h"
#include "masslynxclasses.h"
#include "massspectrum.h"

struct MassLynxFunctionRecord {
    LONG number = 0;      // the function's own number, from 1
    LONG scanCount = 0;
    double value = 0;     // kept from the class, not used
    LONG functionType = 0;
    LONG polarity = 1;    // 1 positive, 2 negative
    LONG msmsType = 0;
    std::wstring ionisation;
};

class CMassLynxDataIO {
public:
    CMassLynxDataIO();
    ~CMassLynxDataIO();
    CMassLynxDataIO(const CMassLynxDataIO&) = delete;
    CMassLynxDataIO& operator=(const CMassLynxDataIO&) = delete;

    // Whether all seven classes could be created.
    bool HasClasses() const;

    // Closes: path, open flag, counts, records and current function.
    void Reset();
    // Opens the raw directory at path, or at path with ".raw" appended
    // when only that is accepted; its functions, header, analog channels
    // and traces. The current function is 1.
    bool Open(const std::wstring& path);
    // Opens the path of a data-source string (ParseMassLynxDataSource) and
    // selects the MS function of the run's number it names.
    bool OpenDataSource(const std::wstring& dataSource);

    bool IsOpen() const { return m_bOpen; }
    // The raw directory as opened (".raw" appended where that opened).
    const std::wstring& GetPath() const { return m_strPath; }
    const std::wstring& GetHeader() const { return m_strHeader; }
    // The data-source string of the current function (its own number; 1
    // for a run without MS functions).
    const std::wstring& GetDataSource() const { return m_strDataSource; }
    LONG GetFunctionCount() const { return m_nFunctions; }
    LONG GetAnalogCount() const { return m_nAnalog; }
    LONG GetDiodeArrayCount() const { return m_nDiodeArray; }
    LONG GetTraceCount() const { return m_nTraces; }
    LONG GetCurrentFunction() const { return m_nCurrent; }
    const std::vector<MassLynxFunctionRecord>& Functions() const { return m_Records; }
    const std::vector<LONG>& DiodeArrayFunctions() const { return m_DiodeArray; }

    // Open, 1 <= f <= the number of MS functions, 1 <= s <= its scan count.
    bool IsValidFunctionScan(LONG f, LONG s) const;
    // f becomes the current function when the directory is open and holds
    // MS function f (it may have no scans); otherwise the directory is
    // closed (open flag cleared, path emptied, no current function).
    bool SelectFunction(LONG f);
    // SelectFunction of the MS function whose own number is `number` (as
    // data-source strings and the browser name it); a number that is no MS
    // function of the run closes the directory as SelectFunction does.
    bool SelectFunctionNumber(LONG number);

    // Of the current function; 0 when there is none.
    LONG GetFunctionType() const;
    LONG GetFunctionMSMSType() const;
    LONG GetScanCount() const;
    // 2 when the function's polarity is not positive, 1 when it is; 0
    // (unknown) when there is no current function.
    LONG GetFunctionPolarity() const;
    // The ionisation text and " (+)" or " (-)"; "" without a current
    // function.
    std::wstring GetFunctionName() const;

    // Scan `scan` (from 1) of the current function: its points from the
    // first rising mass on (FirstRisingPoint), centroid unless the class
    // calls it continuum, its retention time as both ends of the range,
    // the scan as first and last scan, the function's polarity.
    bool ReadSpectrum(LONG scan, CMassSpectrum& spectrum);
    // The named chromatogram of function number `function` (the class's
    // numbering); at least one point.
    bool ReadChromatogram(const std::wstring& name, LONG function, CChromatogram& chromatogram);
    // "TIC" of the current function.
    bool ReadTIC(CChromatogram& chromatogram);
    // Trace n (from 1): "An<n>" of the current function up to the analog
    // channel count, then the "TIC" of each diode-array function in order.
    bool ReadTrace(LONG n, CChromatogram& chromatogram);
    // Parses both texts, opens the path, selects the function of the
    // run's number the string names and reads the scan; on success
    // functionName is the function's name.
    bool ReadSpectrumFromDataSource(const std::wstring& dataSource, const std::wstring& scanText,
                                    CMassSpectrum& spectrum, std::wstring& functionName);

    // The retention time of the scan read last (minutes).
    float GetScanRetentionTime() const { return m_fScanTime; }

private:
    const MassLynxFunctionRecord* Current() const;
    bool Check(const std::wstring& path);
    bool ReadFunctions();
    // Two arrays of `count` values from a class, into doubles.
    static bool ReadArrays(HRESULT hr, LONG count, const VARIANT& x, const VARIANT& y, std::vector<double>& xs,
                           std::vector<double>& ys);

    ks::ComPtr<IMassLynxRawCheck> m_pRawCheck;
    ks::ComPtr<IMassLynxHeader> m_pHeader;
    ks::ComPtr<IMassLynxFunctionInfo> m_pFunctionInfo;
    ks::ComPtr<IMassLynxAnalog> m_pAnalog;
    ks::ComPtr<IMassLynxChromatogram> m_pChromatogram;
    ks::ComPtr<IMassLynxSpectrum> m_pSpectrum;
    ks::ComPtr<IMassLynxScanStats> m_pScanStats;

    std::wstring m_strPath;
    bool m_bOpen = false;
    std::wstring m_strHeader;
    std::wstring m_strDataSource;
    LONG m_nFunctions = 0;
    LONG m_nAnalog = 0;
    LONG m_nDiodeArray = 0;
    LONG m_nTraces = 0;
    LONG m_nCurrent = 0;
    std::vector<MassLynxFunctionRecord> m_Records;
    std::vector<LONG> m_DiodeArray;
    float m_fScanTime = 0;
};
