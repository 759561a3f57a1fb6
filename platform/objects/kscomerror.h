// _com_error: the exception that carries a failing result out of wrapper
// code (with the interface that failed, when known). It is defined in the
// runtime so that components and programs catch the same type.
#pragma once

#include "ksguid.h"

#include <string>

class KS_PLATFORM_API _com_error {
public:
    explicit _com_error(HRESULT hr, REFIID iid = IID_NULL) noexcept;
    _com_error(const _com_error&) = default;
    _com_error& operator=(const _com_error&) = default;
    virtual ~_com_error();

    HRESULT Error() const noexcept { return m_hr; }
    // The interface whose call failed (IID_NULL when not given).
    const IID& InterfaceId() const noexcept { return m_iid; }
    // A short text naming the result, e.g. "E_POINTER (0x80004003)", or
    // "Unknown error 0x8XXXXXXX".
    const wchar_t* ErrorMessage() const;

private:
    HRESULT m_hr;
    IID m_iid;
    mutable std::wstring m_message;
};

struct IUnknown;
// Throws _com_error(hr).
[[noreturn]] KS_PLATFORM_API void _com_issue_error(HRESULT hr);
// Throws _com_error(hr) naming the interface that failed.
[[noreturn]] KS_PLATFORM_API void _com_issue_errorex(HRESULT hr, IUnknown* p, REFIID iid);
