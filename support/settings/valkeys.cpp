// Validation records and the value keys that load and save them.
#include "valkeys.h"
#include "pellumor_p.h"

#include <cfloat>
#include <climits>
#include <string>

namespace {

constexpr DWORD kReadWrite = KEY_READ | KEY_WRITE;
// "Array Size" is trusted only this far: more ranges than this are never
// allocated, whatever the stored count says.
constexpr int kMaxRanges = 65536;

template <class Range>
void copyRanges(CArray<Range>& to, const CArray<Range>& from)
{
    to.SetSize(from.GetSize());
    for (INT_PTR i = 0; i < from.GetSize(); ++i)
        to[i] = from[i];
}

int rangeInt(const CString& text)
{
    return pellumor::parseInt(text, 10);
}

double rangeDouble(const CString& text)
{
    return pellumor::parseDouble(text);
}

void setRange(IntRange& r, const CString* low, const CString* high)
{
    if (low)
        r.nLow = rangeInt(*low);
    if (high)
        r.nHigh = rangeInt(*high);
}

void setRange(DoubleRange& r, const CString* low, const CString* high)
{
    if (low)
        r.dLow = rangeDouble(*low);
    if (high)
        r.dHigh = rangeDouble(*high);
}

void rangeTexts(const IntRange& r, CStringArray& out)
{
    out.Add(CString(pellumor::formatInt(r.nLow)));
    out.Add(CString(pellumor::formatInt(r.nHigh)));
}

void rangeTexts(const DoubleRange& r, CStringArray& out)
{
    out.Add(CString(pellumor::formatDouble(r.dLow)));
    out.Add(CString(pellumor::formatDouble(r.dHigh)));
}

constexpr bool isDouble(const IntRange*) { return false; }
constexpr bool isDouble(const DoubleRange*) { return true; }

// "Array Size" and "Ranges" into the array: it is resized to the stored
// count (kept elements stay, new ones are (0, 0)); string 2k and 2k + 1
// give element k. A negative count loads no ranges; strings beyond the
// count are ignored, a missing high bound leaves it as it was.
template <class Range>
void loadRanges(CFRegKey& settings, CArray<Range>& ranges)
{
    int count = 0;
    if (!settings.ReadInt(L"Array Size", &count))
        return;
    CStringArray texts;
    settings.ReadMultiStr(L"Ranges", texts);
    if (count < 0)
        count = 0;
    if (count > kMaxRanges)
        count = kMaxRanges;
    ranges.SetSize(count);
    for (INT_PTR k = 0; k < count && 2 * k < texts.GetSize(); ++k) {
        const CString* high = 2 * k + 1 < texts.GetSize() ? &texts[2 * k + 1] : nullptr;
        setRange(ranges[k], &texts[2 * k], high);
    }
    if (isDouble(static_cast<const Range*>(nullptr)))
        pellumor::RestoreUserLocale();
}

template <class Range>
void saveRanges(CFRegKey& settings, const CArray<Range>& ranges)
{
    if (ranges.GetSize() == 0)
        return;
    CStringArray texts;
    for (INT_PTR k = 0; k < ranges.GetSize(); ++k)
        rangeTexts(ranges[k], texts);
    if (isDouble(static_cast<const Range*>(nullptr)))
        pellumor::RestoreUserLocale();
    settings.WriteInt(L"Array Size", int(ranges.GetSize()));
    settings.WriteMultiStr(L"Ranges", texts);
}

template <class Record>
void loadDoubleRangeRecord(CFRegKey& s, Record& v)
{
    s.ReadDouble(L"Min", &v.dMin);
    s.ReadDouble(L"Max", &v.dMax);
    s.ReadInt(L"MaxLength", &v.nMaxLength);
    s.ReadInt(L"Precision", &v.nPrecision);
    s.ReadInt(L"MaxPairs", &v.nMaxPairs);
    s.ReadInt(L"Pairs OK", &v.nPairsOK);
    loadRanges(s, v.Ranges);
}

// False when one of the scalar writes failed; the ranges are then not
// written.
template <class Record>
bool saveDoubleRangeRecord(CFRegKey& s, const Record& v)
{
    bool ok = s.WriteDouble(L"Min", v.dMin);
    ok = s.WriteDouble(L"Max", v.dMax) && ok;
    ok = s.WriteInt(L"MaxLength", v.nMaxLength) && ok;
    ok = s.WriteInt(L"Precision", v.nPrecision) && ok;
    ok = s.WriteInt(L"MaxPairs", v.nMaxPairs) && ok;
    ok = s.WriteInt(L"Pairs OK", v.nPairsOK) && ok;
    if (ok)
        saveRanges(s, v.Ranges);
    return ok;
}

template <class Record>
void initDoubleRangeRecord(Record& v)
{
    v.dMin = -DBL_MAX;
    v.dMax = DBL_MAX;
    v.nMaxLength = 9;
    v.nPrecision = 2;
    v.nMaxPairs = 1;
    v.nPairsOK = 1;
}

template <class Record>
void assignDoubleRangeRecord(Record& to, const Record& from)
{
    to.dMin = from.dMin;
    to.dMax = from.dMax;
    copyRanges(to.Ranges, from.Ranges);
    to.nMaxLength = from.nMaxLength;
    to.nPrecision = from.nPrecision;
    to.nMaxPairs = from.nMaxPairs;
    to.nPairsOK = from.nPairsOK;
}

// Load of a double-range value key: the record from the subkey `name`.
template <class Record>
int loadDoubleRangeKey(CFRegKey& key, const CString& name, BOOL autoSave, Record& v)
{
    if (!key.Open(kReadWrite))
        return 0;
    {
        CFRegKey s(key, name, 1, autoSave);
        loadDoubleRangeRecord(s, v);
    }
    return key.Close();
}

// Save of a double-range value key: the record to the subkey `name`.
template <class Record>
int saveDoubleRangeKey(CFRegKey& key, const CString& name, BOOL autoSave, const Record& v)
{
    if (!key.IsValid() || !key.Open(kReadWrite))
        return 0;
    bool ok;
    {
        CFRegKey s(key, name, 1, autoSave);
        ok = saveDoubleRangeRecord(s, v);
    }
    const int closed = key.Close();
    return ok ? closed : 0;
}

}  // namespace

// --- validation records ---

IntValidation::IntValidation() : nMinimum(INT_MIN), nMaximum(INT_MAX), nDefault(0), nMaxLength(11), nInterval(1) {}

IntValidation& IntValidation::operator=(const IntValidation& other)
{
    nMinimum = other.nMinimum;
    nMaximum = other.nMaximum;
    nDefault = other.nDefault;
    nMaxLength = other.nMaxLength;
    nInterval = other.nInterval;
    return *this;
}

DoubleValidation::DoubleValidation()
    : dMinimum(-DBL_MAX), dMaximum(DBL_MAX), dDefault(0.0), nMaxLength(9), nPrecision(2)
{
}

DoubleValidation& DoubleValidation::operator=(const DoubleValidation& other)
{
    dMinimum = other.dMinimum;
    dMaximum = other.dMaximum;
    dDefault = other.dDefault;
    nMaxLength = other.nMaxLength;
    nPrecision = other.nPrecision;
    return *this;
}

IntRangeValidation::IntRangeValidation()
    : nMin(INT_MIN), nMax(INT_MAX), nMaxLength(11), nInterval(1), nMaxPairs(1), nPairsOK(1)
{
}

IntRangeValidation::~IntRangeValidation() = default;

IntRangeValidation& IntRangeValidation::operator=(const IntRangeValidation& other)
{
    nMin = other.nMin;
    nMax = other.nMax;
    copyRanges(Ranges, other.Ranges);
    nMaxLength = other.nMaxLength;
    nInterval = other.nInterval;
    nMaxPairs = other.nMaxPairs;
    nPairsOK = other.nPairsOK;
    return *this;
}

DoubleRangeValidation::DoubleRangeValidation()
{
    initDoubleRangeRecord(*this);
}

DoubleRangeValidation::~DoubleRangeValidation() = default;

DoubleRangeValidation& DoubleRangeValidation::operator=(const DoubleRangeValidation& other)
{
    assignDoubleRangeRecord(*this, other);
    return *this;
}

SB2_DoubleRangeValidation::SB2_DoubleRangeValidation()
{
    initDoubleRangeRecord(*this);
}

SB2_DoubleRangeValidation::~SB2_DoubleRangeValidation() = default;

SB2_DoubleRangeValidation& SB2_DoubleRangeValidation::operator=(const SB2_DoubleRangeValidation& other)
{
    assignDoubleRangeRecord(*this, other);
    return *this;
}

StringValidation::StringValidation() : nMaxLength(50) {}

StringValidation::StringValidation(const StringValidation& other)
    : nMaxLength(other.nMaxLength), strDefault(other.strDefault)
{
}

StringValidation::~StringValidation() = default;

StringValidation& StringValidation::operator=(const StringValidation& other)
{
    nMaxLength = other.nMaxLength;
    strDefault = other.strDefault;
    return *this;
}

ListValidation::ListValidation() : nMaxLength(50) {}

ListValidation::~ListValidation() = default;

ListValidation& ListValidation::operator=(const ListValidation& other)
{
    List.Copy(other.List);
    nMaxLength = other.nMaxLength;
    strDefault = other.strDefault;
    return *this;
}

// --- value keys ---

// Construction, destruction, assignment and Init are the same for every
// value key.
#define PELLUMOR_VALKEY_COMMON(Class)                                                                             \
    Class::Class(int bAutoSave) : CFRegKey(bAutoSave) {}                                                          \
    Class::Class(const CFRegKey& parent, const wchar_t* lpszSubKey, const wchar_t* lpszName, int bCreate,       \
                 int bAutoSave)                                                                                   \
        : CFRegKey(parent, lpszSubKey, bCreate, bAutoSave), m_strName(lpszName)                                   \
    {                                                                                                             \
        Load();                                                                                                   \
    }                                                                                                             \
    Class::~Class()                                                                                               \
    {                                                                                                             \
        if (m_bAutoSave)                                                                                          \
            Save();                                                                                               \
    }                                                                                                             \
    Class& Class::operator=(const Class& other)                                                                   \
    {                                                                                                             \
        if (&other != this) {                                                                                     \
            CFRegKey::operator=(other);                                                                           \
            m_Validation = other.m_Validation;                                                                    \
            m_strName = other.m_strName;                                                                          \
        }                                                                                                         \
        return *this;                                                                                             \
    }                                                                                                             \
    int Class::Init(const CFRegKey& parent, const wchar_t* lpszSubKey, const wchar_t* lpszName, int bCreate)      \
    {                                                                                                             \
        m_strName = lpszName;                                                                                     \
        if (!CFRegKey::Init(parent, lpszSubKey, bCreate))                                                         \
            return 0;                                                                                             \
        return Load();                                                                                            \
    }

PELLUMOR_VALKEY_COMMON(CIntValKey)
PELLUMOR_VALKEY_COMMON(CDoubleValKey)
PELLUMOR_VALKEY_COMMON(CIntRangeValKey)
PELLUMOR_VALKEY_COMMON(CDoubleRangeValKey)
PELLUMOR_VALKEY_COMMON(SB2_DoubleRangeValKey)
PELLUMOR_VALKEY_COMMON(CStringValKey)
PELLUMOR_VALKEY_COMMON(CListValKey)

#undef PELLUMOR_VALKEY_COMMON

CIntValKey::CIntValKey(const CIntValKey& other)
    : CFRegKey(other), m_Validation(other.m_Validation), m_strName(other.m_strName)
{
}

CDoubleValKey::CDoubleValKey(const CDoubleValKey& other)
    : CFRegKey(other), m_Validation(other.m_Validation), m_strName(other.m_strName)
{
}

CStringValKey::CStringValKey(const CStringValKey& other)
    : CFRegKey(other), m_Validation(other.m_Validation), m_strName(other.m_strName)
{
}

int CIntValKey::Load()
{
    if (!Open(kReadWrite))
        return 0;
    {
        CFRegKey s(*this, m_strName, 1, m_bAutoSave);
        s.ReadInt(L"Minimum", &m_Validation.nMinimum);
        s.ReadInt(L"Maximum", &m_Validation.nMaximum);
        s.ReadInt(L"Default", &m_Validation.nDefault);
        s.ReadInt(L"Max Length", &m_Validation.nMaxLength);
        s.ReadInt(L"Interval", &m_Validation.nInterval);
    }
    return Close();
}

int CIntValKey::Save()
{
    if (!IsValid() || !Open(kReadWrite))
        return 0;
    {
        CFRegKey s(*this, m_strName, 1, m_bAutoSave);
        s.WriteInt(L"Minimum", m_Validation.nMinimum);
        s.WriteInt(L"Maximum", m_Validation.nMaximum);
        s.WriteInt(L"Default", m_Validation.nDefault);
        s.WriteInt(L"Max Length", m_Validation.nMaxLength);
        s.WriteInt(L"Interval", m_Validation.nInterval);
    }
    return Close();
}

int CDoubleValKey::Load()
{
    if (!Open(kReadWrite))
        return 0;
    {
        CFRegKey s(*this, m_strName, 1, m_bAutoSave);
        s.ReadDouble(L"Minimum", &m_Validation.dMinimum);
        s.ReadDouble(L"Maximum", &m_Validation.dMaximum);
        s.ReadDouble(L"Default", &m_Validation.dDefault);
        s.ReadInt(L"Max Length", &m_Validation.nMaxLength);
        s.ReadInt(L"Precision", &m_Validation.nPrecision);
    }
    return Close();
}

int CDoubleValKey::Save()
{
    if (!IsValid() || !Open(kReadWrite))
        return 0;
    {
        CFRegKey s(*this, m_strName, 1, m_bAutoSave);
        s.WriteDouble(L"Minimum", m_Validation.dMinimum);
        s.WriteDouble(L"Maximum", m_Validation.dMaximum);
        s.WriteDouble(L"Default", m_Validation.dDefault);
        s.WriteInt(L"Max Length", m_Validation.nMaxLength);
        s.WriteInt(L"Precision", m_Validation.nPrecision);
    }
    return Close();
}

int CIntRangeValKey::Load()
{
    if (!Open(kReadWrite))
        return 0;
    {
        CFRegKey s(*this, m_strName, 1, m_bAutoSave);
        s.ReadInt(L"Min", &m_Validation.nMin);
        s.ReadInt(L"Max", &m_Validation.nMax);
        s.ReadInt(L"MaxLength", &m_Validation.nMaxLength);
        s.ReadInt(L"Interval", &m_Validation.nInterval);
        s.ReadInt(L"MaxPairs", &m_Validation.nMaxPairs);
        s.ReadInt(L"Pairs OK", &m_Validation.nPairsOK);
        loadRanges(s, m_Validation.Ranges);
    }
    return Close();
}

int CIntRangeValKey::Save()
{
    if (!IsValid() || !Open(kReadWrite))
        return 0;
    bool ok;
    {
        CFRegKey s(*this, m_strName, 1, m_bAutoSave);
        ok = s.WriteInt(L"Min", m_Validation.nMin);
        ok = s.WriteInt(L"Max", m_Validation.nMax) && ok;
        ok = s.WriteInt(L"MaxLength", m_Validation.nMaxLength) && ok;
        ok = s.WriteInt(L"Interval", m_Validation.nInterval) && ok;
        ok = s.WriteInt(L"MaxPairs", m_Validation.nMaxPairs) && ok;
        ok = s.WriteInt(L"Pairs OK", m_Validation.nPairsOK) && ok;
        if (ok)
            saveRanges(s, m_Validation.Ranges);
    }
    const int closed = Close();
    return ok ? closed : 0;
}

int CDoubleRangeValKey::Load()
{
    return loadDoubleRangeKey(*this, m_strName, m_bAutoSave, m_Validation);
}

int CDoubleRangeValKey::Save()
{
    return saveDoubleRangeKey(*this, m_strName, m_bAutoSave, m_Validation);
}

int SB2_DoubleRangeValKey::Load()
{
    return loadDoubleRangeKey(*this, m_strName, m_bAutoSave, m_Validation);
}

int SB2_DoubleRangeValKey::Save()
{
    return saveDoubleRangeKey(*this, m_strName, m_bAutoSave, m_Validation);
}

int CStringValKey::Load()
{
    if (!Open(kReadWrite))
        return 0;
    {
        CFRegKey s(*this, m_strName, 1, m_bAutoSave);
        s.ReadStr(L"Default", m_Validation.strDefault);
        // Read into an empty text: a missing value loads as 0.
        CString maxLength;
        s.ReadStr(L"Max Length", maxLength);
        m_Validation.nMaxLength = pellumor::parseInt(maxLength, 10);
    }
    return Close();
}

int CStringValKey::Save()
{
    if (!IsValid() || !Open(kReadWrite))
        return 0;
    {
        CFRegKey s(*this, m_strName, 1, m_bAutoSave);
        s.WriteStr(L"Default", m_Validation.strDefault);
        s.WriteStr(L"Max Length", pellumor::formatInt(m_Validation.nMaxLength).c_str());
    }
    return Close();
}

int CListValKey::Load()
{
    if (!Open(kReadWrite))
        return 0;
    return Close();
}

int CListValKey::Save()
{
    if (!IsValid() || !Open(kReadWrite))
        return 0;
    return Close();
}
