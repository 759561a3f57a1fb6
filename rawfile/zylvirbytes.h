// The byte arrays through which late-bound callers hand the writers their
// records and buffers: a one-dimensional SAFEARRAY of VT_UI1 (or VT_I1),
// by value or by reference. VT_EMPTY and VT_NULL stand for a null pointer
// (the member then answers E_POINTER where it needs one); anything else is
// E_INVALIDARG.
#pragma once

#include "ksoleauto.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace zylvir {

// A byte array argument, its data accessed for the life of the object.
class ByteArg {
public:
    explicit ByteArg(const VARIANT& v)
    {
        const VARTYPE type = v.vt & ~VT_BYREF;
        if (type == VT_EMPTY || type == VT_NULL)
            return;
        if (type != (VT_ARRAY | VT_UI1) && type != (VT_ARRAY | VT_I1)) {
            m_status = E_INVALIDARG;
            return;
        }
        SAFEARRAY* array = (v.vt & VT_BYREF) ? (v.pparray ? *v.pparray : nullptr) : v.parray;
        if (!array)
            return;
        void* data = nullptr;
        if (SafeArrayGetDim(array) != 1 || SafeArrayGetElemsize(array) != 1 ||
            FAILED(SafeArrayAccessData(array, &data))) {
            m_status = E_INVALIDARG;
            return;
        }
        m_array = array;
        m_data = static_cast<const uint8_t*>(data);
        m_size = array->rgsabound[0].cElements;
    }
    ~ByteArg()
    {
        if (m_array)
            SafeArrayUnaccessData(m_array);
    }
    ByteArg(const ByteArg&) = delete;
    ByteArg& operator=(const ByteArg&) = delete;

    HRESULT status() const { return m_status; }
    const uint8_t* data() const { return m_data; }
    size_t size() const { return m_size; }

    // A record of exactly its size: E_POINTER for none, E_INVALIDARG for
    // another size or something that is no byte array.
    template <class Record>
    HRESULT record(Record& out) const
    {
        if (FAILED(m_status))
            return m_status;
        if (!m_data)
            return E_POINTER;
        if (m_size != sizeof(Record))
            return E_INVALIDARG;
        std::memcpy(&out, m_data, sizeof(Record));
        return S_OK;
    }

private:
    HRESULT m_status = S_OK;
    SAFEARRAY* m_array = nullptr;
    const uint8_t* m_data = nullptr;
    size_t m_size = 0;
};

}  // namespace zylvir
