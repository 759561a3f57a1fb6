// The reader object: opening and closing a file, choosing the current
// controller, the mass tolerance and the re-mapping of a file still being
// acquired.
#include "ombrelobject.h"
#include "ombreloutputs.h"

using namespace rawengine;

namespace {

// The controller kinds SetCurrentController accepts, and its numbers.
constexpr LONG kLastKind = kOmbrelOtherDevice;
constexpr LONG kLastControllerNumber = 64;

}  // namespace

namespace ombrel {

HRESULT textArray(const std::vector<std::wstring>& texts, VARIANT* out, LONG* count)
{
    *count = 0;
    SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(texts.size()));
    if (!array)
        return kOmbrelEngineFailed;
    for (size_t i = 0; i < texts.size(); ++i) {
        BSTR text = SysAllocStringLen(texts[i].data(), static_cast<UINT>(texts[i].size()));
        const LONG index = static_cast<LONG>(i);
        const HRESULT hr = text ? SafeArrayPutElement(array, &index, text) : E_OUTOFMEMORY;
        SysFreeString(text);  // the array holds its own copy
        if (FAILED(hr)) {
            SafeArrayDestroy(array);
            return kOmbrelEngineFailed;
        }
    }
    out->vt = VT_ARRAY | VT_BSTR;
    out->parray = array;
    *count = static_cast<LONG>(texts.size());
    return kOmbrelDone;
}

}  // namespace ombrel

COmbrel::COmbrel() = default;

// The engine file goes with the object: a client that releases the reader
// without closing it does not leave the file loaded.
COmbrel::~COmbrel() = default;

HRESULT COmbrel::needFile() const { return m_file ? kOmbrelDone : kOmbrelNoFile; }

HRESULT COmbrel::needController() const
{
    if (!m_file)
        return kOmbrelNoFile;
    return m_current ? kOmbrelDone : kOmbrelNoController;
}

HRESULT COmbrel::needMS() const
{
    if (const HRESULT hr = needController())
        return hr;
    return m_ms ? kOmbrelDone : kOmbrelNotMS;
}

bool COmbrel::timeInRun(double rt) const
{
    const CRunHeader& h = m_current->GetRunHeader();
    return rt >= h.startTime - 0.00001 && rt <= h.endTime + 0.00001;
}

bool COmbrel::scanIn(const CVirtualData& c, LONG scan) { return scan >= c.FirstScan() && scan <= c.LastScan(); }

int COmbrel::filterPrecision() const
{
    if (!m_file || !m_current)
        return 2;
    return m_current->GetRunHeader().filterMassPrecision;
}

void COmbrel::clearController()
{
    m_current = nullptr;
    m_channel = nullptr;
    m_ms = nullptr;
}

HRESULT COmbrel::Open(BSTR szFileName)
{
    return ombrel::member([&]() -> HRESULT {
        Close();
        if (!szFileName || !*szFileName)
            return kOmbrelBadArgument;
        try {
            m_file = std::make_unique<CRawfile>(std::wstring(szFileName), 0);
        } catch (...) {
            m_file.reset();
            return kOmbrelEngineFailed;
        }
        if (m_file->IsError() || m_file->IsNewFile()) {
            if (Close() == kOmbrelEngineFailed)
                return kOmbrelEngineFailed;
            return kOmbrelNoFile;
        }
        return kOmbrelDone;
    });
}

HRESULT COmbrel::Close()
{
    return ombrel::member([&]() -> HRESULT {
        if (!m_file)
            return kOmbrelNoFile;
        clearController();
        // Whatever the engine's destructor does, the file is gone afterwards.
        std::unique_ptr<CRawfile> file = std::move(m_file);
        file.reset();
        return kOmbrelDone;
    });
}

HRESULT COmbrel::GetNumberOfControllers(LONG* pnNumControllers)
{
    return ombrel::member([&]() -> HRESULT {
        if (const HRESULT hr = needFile())
            return hr;
        if (!pnNumControllers)
            return kOmbrelBadArgument;
        *pnNumControllers = m_file->NumberOfVirtualControllers();
        return kOmbrelDone;
    });
}

HRESULT COmbrel::GetControllerType(LONG nIndex, LONG* pnControllerType)
{
    return ombrel::member([&]() -> HRESULT {
        if (const HRESULT hr = needFile())
            return hr;
        if (!pnControllerType)
            return kOmbrelBadArgument;
        if (nIndex < 0 || nIndex >= m_file->NumberOfVirtualControllers())
            return kOmbrelBadArgument;
        *pnControllerType = m_file->VirtualControllerData(nIndex).kind;
        return kOmbrelDone;
    });
}

HRESULT COmbrel::SetCurrentController(LONG nControllerType, LONG nControllerNumber)
{
    return ombrel::member([&]() -> HRESULT {
        if (const HRESULT hr = needFile())
            return hr;
        if (nControllerType < kOmbrelMS || nControllerType > kLastKind || nControllerNumber < 1 ||
            nControllerNumber > kLastControllerNumber)
            return kOmbrelBadArgument;
        // An exception here leaves the fields as they were.
        CVirtualData* chosen = m_file->SetVirtualDataObject(nControllerType, nControllerNumber);
        if (!chosen) {
            clearController();
            return kOmbrelEngineFailed;
        }
        const int32_t kind = chosen->GetRunHeader().deviceKind;
        clearController();
        if (kind == kOmbrelMS) {
            m_ms = dynamic_cast<CVirtualMS*>(chosen);
        } else if (kind >= kOmbrelAnalog && kind <= kOmbrelUV) {
            m_channel = dynamic_cast<CVirtualUV*>(chosen);
        } else if (kind != kOmbrelOtherDevice) {
            return kOmbrelNoController;
        }
        // A view of the wrong class would be an engine fault: no view then.
        if ((kind == kOmbrelMS && !m_ms) || (kind >= kOmbrelAnalog && kind <= kOmbrelUV && !m_channel))
            return kOmbrelEngineFailed;
        m_current = chosen;
        return kOmbrelDone;
    });
}

HRESULT COmbrel::GetCurrentController(LONG* pnControllerType, LONG* pnControllerNumber)
{
    return ombrel::member([&]() -> HRESULT {
        if (const HRESULT hr = needController())
            return hr;
        if (!pnControllerType || !pnControllerNumber)
            return kOmbrelBadArgument;
        const CRunHeader& h = m_current->GetRunHeader();
        *pnControllerType = h.deviceKind;
        *pnControllerNumber = h.deviceNumber;
        return kOmbrelDone;
    });
}

HRESULT COmbrel::GetNumberOfControllersOfType(LONG nControllerType, LONG* pnNumControllersOfType)
{
    return ombrel::member([&]() -> HRESULT {
        if (const HRESULT hr = needFile())
            return hr;
        if (nControllerType < -1 || nControllerType > kLastKind || !pnNumControllersOfType)
            return kOmbrelBadArgument;
        *pnNumControllersOfType = m_file->NumberOfVirtualControllersOfType(nControllerType);
        return kOmbrelDone;
    });
}

HRESULT COmbrel::SetMassTolerance(LONG bUseUserDefined, double dMassTolerance, LONG nUnits)
{
    return ombrel::member([&]() -> HRESULT {
        m_userDefinedTolerance = bUseUserDefined;
        m_massTolerance = dMassTolerance;
        m_toleranceUnits = nUnits;
        return kOmbrelDone;
    });
}

HRESULT COmbrel::RefreshViewOfFile()
{
    return ombrel::member([&]() -> HRESULT {
        if (const HRESULT hr = needFile())
            return hr;
        if (!m_file->InAcquisition())
            return kOmbrelDone;
        if (m_current) {
            const CRunHeader& h = m_current->GetRunHeader();
            const LONG kind = h.deviceKind;
            const LONG number = h.deviceNumber;
            clearController();
            m_file->ReMapViewOfFile();
            SetCurrentController(kind, number);
        } else {
            m_file->ReMapViewOfFile();
        }
        // Both acquisition cases answer 2, as clients of the reader expect.
        return kOmbrelEngineFailed;
    });
}
