#include "kscomerror.h"

#include <cwchar>

namespace {
struct Name {
    HRESULT hr;
    const wchar_t* text;
};
const Name kNames[] = {
    {E_UNEXPECTED, L"E_UNEXPECTED"},       {E_NOTIMPL, L"E_NOTIMPL"},
    {E_NOINTERFACE, L"E_NOINTERFACE"},     {E_POINTER, L"E_POINTER"},
    {E_ABORT, L"E_ABORT"},                 {E_FAIL, L"E_FAIL"},
    {E_ACCESSDENIED, L"E_ACCESSDENIED"},   {E_OUTOFMEMORY, L"E_OUTOFMEMORY"},
    {E_INVALIDARG, L"E_INVALIDARG"},       {DISP_E_BADINDEX, L"DISP_E_BADINDEX"},
    {DISP_E_TYPEMISMATCH, L"DISP_E_TYPEMISMATCH"}, {DISP_E_MEMBERNOTFOUND, L"DISP_E_MEMBERNOTFOUND"},
    {CO_E_NOT_SUPPORTED, L"CO_E_NOT_SUPPORTED"}, {REGDB_E_CLASSNOTREG, L"REGDB_E_CLASSNOTREG"},
    {CLASS_E_NOAGGREGATION, L"CLASS_E_NOAGGREGATION"}, {CO_E_CLASSSTRING, L"CO_E_CLASSSTRING"},
    {STG_E_CANTSAVE, L"STG_E_CANTSAVE"},
};
}  // namespace

_com_error::_com_error(HRESULT hr, REFIID iid) noexcept : m_hr(hr), m_iid(iid) {}

_com_error::~_com_error() = default;

const wchar_t* _com_error::ErrorMessage() const
{
    if (m_message.empty()) {
        wchar_t buf[80];
        const wchar_t* name = nullptr;
        for (const Name& n : kNames)
            if (n.hr == m_hr)
                name = n.text;
        if (name)
            std::swprintf(buf, 80, L"%ls (0x%08X)", name, static_cast<unsigned>(m_hr));
        else
            std::swprintf(buf, 80, L"Unknown error 0x%08X", static_cast<unsigned>(m_hr));
        m_message = buf;
    }
    return m_message.c_str();
}

void _com_issue_error(HRESULT hr)
{
    throw _com_error(hr);
}

void _com_issue_errorex(HRESULT hr, IUnknown*, REFIID iid)
{
    throw _com_error(hr, iid);
}
