// Value keys: registry keys that carry the limits and the default of one
// setting (a validation record). The record lives in a settings subkey
// named by m_strName below the value key, one registry value per member.
// The library stores and loads the limits; checking an entry against them
// is the caller's business.
#pragma once

#include "fregkey.h"

struct PELLUMOR_API IntValidation {
    IntValidation();
    IntValidation(const IntValidation& other) = default;
    IntValidation& operator=(const IntValidation& other);

    int nMinimum;    // "Minimum"
    int nMaximum;    // "Maximum"
    int nDefault;    // "Default"
    int nMaxLength;  // "Max Length"
    int nInterval;   // "Interval"
};

struct PELLUMOR_API DoubleValidation {
    DoubleValidation();
    DoubleValidation(const DoubleValidation& other) = default;
    DoubleValidation& operator=(const DoubleValidation& other);

    double dMinimum;  // "Minimum"
    double dMaximum;  // "Maximum"
    double dDefault;  // "Default"
    int nMaxLength;   // "Max Length"
    int nPrecision;   // "Precision"
};

struct IntRange {
    int nLow = 0;
    int nHigh = 0;
};

struct DoubleRange {
    double dLow = 0.0;
    double dHigh = 0.0;
};

// The ranges are stored as "Array Size" (their count) and "Ranges" (low
// and high bound of each range in order, as text).
struct PELLUMOR_API IntRangeValidation {
    IntRangeValidation();
    ~IntRangeValidation();
    IntRangeValidation& operator=(const IntRangeValidation& other);

    int nMin;                  // "Min"
    int nMax;                  // "Max"
    CArray<IntRange> Ranges;   // "Array Size", "Ranges"
    int nMaxLength;            // "MaxLength"
    int nInterval;             // "Interval"
    int nMaxPairs;             // "MaxPairs"
    int nPairsOK;              // "Pairs OK"
};

struct PELLUMOR_API DoubleRangeValidation {
    DoubleRangeValidation();
    ~DoubleRangeValidation();
    DoubleRangeValidation& operator=(const DoubleRangeValidation& other);

    double dMin;                  // "Min"
    double dMax;                  // "Max"
    CArray<DoubleRange> Ranges;   // "Array Size", "Ranges"
    int nMaxLength;               // "MaxLength"
    int nPrecision;               // "Precision"
    int nMaxPairs;                // "MaxPairs"
    int nPairsOK;                 // "Pairs OK"
};

// Same members, initial values and storage as DoubleRangeValidation.
struct PELLUMOR_API SB2_DoubleRangeValidation {
    SB2_DoubleRangeValidation();
    ~SB2_DoubleRangeValidation();
    SB2_DoubleRangeValidation& operator=(const SB2_DoubleRangeValidation& other);

    double dMin;
    double dMax;
    CArray<DoubleRange> Ranges;
    int nMaxLength;
    int nPrecision;
    int nMaxPairs;
    int nPairsOK;
};

struct PELLUMOR_API StringValidation {
    StringValidation();
    StringValidation(const StringValidation& other);
    ~StringValidation();
    StringValidation& operator=(const StringValidation& other);

    int nMaxLength;      // "Max Length", stored as text
    CString strDefault;  // "Default"
};

// Not stored: CListValKey keeps its list in memory only.
struct PELLUMOR_API ListValidation {
    ListValidation();
    ~ListValidation();
    ListValidation& operator=(const ListValidation& other);

    CStringArray List;
    int nMaxLength;
    CString strDefault;
};

// Each value key: the five-argument constructor initialises the key from
// the parent and loads the record (its result is not reported); Init sets
// the name, initialises the key and answers Load's result. Load and Save
// open the value key for reading and writing and create the settings key
// when it is missing. With the auto-save flag the destructor saves.

class PELLUMOR_API CIntValKey : public CFRegKey {
public:
    explicit CIntValKey(int bAutoSave = 0);
    CIntValKey(const CFRegKey& parent, const wchar_t* lpszSubKey, const wchar_t* lpszName, int bCreate,
               int bAutoSave);
    CIntValKey(const CIntValKey& other);
    ~CIntValKey() override;
    CIntValKey& operator=(const CIntValKey& other);

    int Init(const CFRegKey& parent, const wchar_t* lpszSubKey, const wchar_t* lpszName, int bCreate);
    int Load();
    int Save() override;

    IntValidation m_Validation;
    CString m_strName;
};

class PELLUMOR_API CDoubleValKey : public CFRegKey {
public:
    explicit CDoubleValKey(int bAutoSave = 0);
    CDoubleValKey(const CFRegKey& parent, const wchar_t* lpszSubKey, const wchar_t* lpszName, int bCreate,
                  int bAutoSave);
    CDoubleValKey(const CDoubleValKey& other);
    ~CDoubleValKey() override;
    CDoubleValKey& operator=(const CDoubleValKey& other);

    int Init(const CFRegKey& parent, const wchar_t* lpszSubKey, const wchar_t* lpszName, int bCreate);
    int Load();
    int Save() override;

    DoubleValidation m_Validation;
    CString m_strName;
};

class PELLUMOR_API CIntRangeValKey : public CFRegKey {
public:
    explicit CIntRangeValKey(int bAutoSave = 0);
    CIntRangeValKey(const CFRegKey& parent, const wchar_t* lpszSubKey, const wchar_t* lpszName, int bCreate,
                    int bAutoSave);
    ~CIntRangeValKey() override;
    CIntRangeValKey& operator=(const CIntRangeValKey& other);

    int Init(const CFRegKey& parent, const wchar_t* lpszSubKey, const wchar_t* lpszName, int bCreate);
    int Load();
    int Save() override;

    IntRangeValidation m_Validation;
    CString m_strName;
};

class PELLUMOR_API CDoubleRangeValKey : public CFRegKey {
public:
    explicit CDoubleRangeValKey(int bAutoSave = 0);
    CDoubleRangeValKey(const CFRegKey& parent, const wchar_t* lpszSubKey, const wchar_t* lpszName, int bCreate,
                       int bAutoSave);
    ~CDoubleRangeValKey() override;
    CDoubleRangeValKey& operator=(const CDoubleRangeValKey& other);

    int Init(const CFRegKey& parent, const wchar_t* lpszSubKey, const wchar_t* lpszName, int bCreate);
    int Load();
    int Save() override;

    DoubleRangeValidation m_Validation;
    CString m_strName;
};

class PELLUMOR_API SB2_DoubleRangeValKey : public CFRegKey {
public:
    explicit SB2_DoubleRangeValKey(int bAutoSave = 0);
    SB2_DoubleRangeValKey(const CFRegKey& parent, const wchar_t* lpszSubKey, const wchar_t* lpszName, int bCreate,
                          int bAutoSave);
    ~SB2_DoubleRangeValKey() override;
    SB2_DoubleRangeValKey& operator=(const SB2_DoubleRangeValKey& other);

    int Init(const CFRegKey& parent, const wchar_t* lpszSubKey, const wchar_t* lpszName, int bCreate);
    int Load();
    int Save() override;

    SB2_DoubleRangeValidation m_Validation;
    CString m_strName;
};

class PELLUMOR_API CStringValKey : public CFRegKey {
public:
    explicit CStringValKey(int bAutoSave = 0);
    CStringValKey(const CFRegKey& parent, const wchar_t* lpszSubKey, const wchar_t* lpszName, int bCreate,
                  int bAutoSave);
    CStringValKey(const CStringValKey& other);
    ~CStringValKey() override;
    CStringValKey& operator=(const CStringValKey& other);

    int Init(const CFRegKey& parent, const wchar_t* lpszSubKey, const wchar_t* lpszName, int bCreate);
    int Load();
    int Save() override;

    StringValidation m_Validation;
    CString m_strName;
};

// Writes nothing: Load and Save only check that the value key can be
// opened for reading and writing.
class PELLUMOR_API CListValKey : public CFRegKey {
public:
    explicit CListValKey(int bAutoSave = 0);
    CListValKey(const CFRegKey& parent, const wchar_t* lpszSubKey, const wchar_t* lpszName, int bCreate,
                int bAutoSave);
    ~CListValKey() override;
    CListValKey& operator=(const CListValKey& other);

    int Init(const CFRegKey& parent, const wchar_t* lpszSubKey, const wchar_t* lpszName, int bCreate);
    int Load();
    int Save() override;

    ListValidation m_Validation;
    CString m_strName;
};
