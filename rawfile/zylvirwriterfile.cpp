#include "zylvirwriterfile.h"

#include <new>

namespace zylvir {

WriterFile::~WriterFile()
{
    if (m_writer)
        close();
}

HRESULT WriterFile::create(const wchar_t* name, const MakeWriter& make) noexcept
{
    close();
    if (!name)
        return E_POINTER;
    if (!*name)
        return E_INVALIDARG;
    try {
        auto file = std::make_unique<WorkingFile>(name);
        auto writer = make(file->enginePath());
        m_name = name;
        m_file = std::move(file);
        m_writer = std::move(writer);
        return S_OK;
    } catch (const std::bad_alloc&) {
        close();
        return m_notAllocated;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT WriterFile::close() noexcept
{
    if (!m_writer)
        return m_noWriter;
    bool written = false;
    try {
        m_writer->Finish();
        written = !m_writer->IsError();
    } catch (...) {
        return E_FAIL;
    }
    m_writer.reset();
    const bool moved = written && m_file->commit();
    m_file.reset();  // discards a working file that was not moved
    m_name.clear();
    return moved ? S_OK : E_FAIL;
}

HRESULT WriterFile::getFileName(BSTR* out) const noexcept
{
    if (!m_writer)
        return m_noWriter;
    if (!out)
        return E_POINTER;
    if (*out)
        return E_INVALIDARG;
    *out = SysAllocStringLen(m_name.data(), UINT(m_name.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT WriterFile::isError(LONG* out) const noexcept
{
    return answer(out, [this] { return LONG(m_writer->IsError() ? 1 : 0); });
}

HRESULT WriterFile::errorCode(LONG* out) const noexcept
{
    return answer(out, [this] { return LONG(m_writer->GetErrorCode()); });
}

HRESULT WriterFile::isValid(LONG* out) const noexcept
{
    if (!out)
        return E_POINTER;
    *out = m_writer ? 1 : 0;
    return S_OK;
}

}  // namespace zylvir
