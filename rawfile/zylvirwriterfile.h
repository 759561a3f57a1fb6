// What the MS and UV writers share: the engine writer of the open file,
// its working file, and the members that only create, finish and describe
// the file (Create, Close, GetFileName, IsError, ErrorCode, IsValid). Each
// writer class gives its own "no writer" and "not allocated" codes.
//
// Create closes an open file first (its result ignored); a null name is
// E_POINTER, an empty one E_INVALIDARG; an engine exception E_FAIL; a
// failed allocation closes and answers the writer's allocation code. A
// file the engine cannot create still gives S_OK: the writer's error
// state (IsError, ErrorCode) says so and every write answers E_FAIL.
//
// Close finishes the engine's file and moves it to its name. An engine
// exception answers E_FAIL and keeps everything as it was, so a later
// Close (or the release) tries again; a file the engine could not write
// (its error state), or one that cannot be moved to its name, answers
// E_FAIL and is dropped: nothing unfinished ever lies under the name.
#pragma once

#include "zylvirbytes.h"
#include "zylvirfile.h"

#include "ksoleauto.h"
#include "rawwriter.h"

#include <functional>
#include <memory>
#include <string>

namespace zylvir {

// Runs a member's body: an exception of the engine, or any other, is
// E_FAIL; the object is left as the body left it.
template <class F>
HRESULT guarded(F&& body) noexcept
{
    try {
        return body();
    } catch (...) {
        return E_FAIL;
    }
}

class WriterFile {
public:
    using MakeWriter = std::function<std::unique_ptr<rawengine::CVirtualWriter>(const std::wstring& path)>;

    WriterFile(HRESULT noWriter, HRESULT notAllocated) : m_noWriter(noWriter), m_notAllocated(notAllocated) {}
    ~WriterFile();
    WriterFile(const WriterFile&) = delete;
    WriterFile& operator=(const WriterFile&) = delete;

    HRESULT create(const wchar_t* name, const MakeWriter& make) noexcept;
    HRESULT close() noexcept;
    HRESULT getFileName(BSTR* out) const noexcept;
    HRESULT isError(LONG* out) const noexcept;
    HRESULT errorCode(LONG* out) const noexcept;
    HRESULT isValid(LONG* out) const noexcept;

    bool open() const { return m_writer != nullptr; }
    // A late-bound buffer member: the file first (the "no writer" code),
    // then the byte array, then what `write` checks of its bytes.
    template <class Write>
    HRESULT withBytes(const VARIANT& data, Write&& write) const
    {
        if (!m_writer)
            return m_noWriter;
        const ByteArg bytes(data);
        if (FAILED(bytes.status()))
            return bytes.status();
        return write(bytes.data(), bytes.size());
    }
    HRESULT noWriter() const { return m_noWriter; }
    rawengine::CVirtualWriter& writer() const { return *m_writer; }

private:
    // A value of the open writer: no writer, a null output, or the engine
    // throwing answer before it is written.
    template <class F>
    HRESULT answer(LONG* out, F&& value) const noexcept
    {
        if (!m_writer)
            return m_noWriter;
        if (!out)
            return E_POINTER;
        return guarded([&] {
            *out = value();
            return S_OK;
        });
    }

    const HRESULT m_noWriter;
    const HRESULT m_notAllocated;
    std::unique_ptr<WorkingFile> m_file;
    std::unique_ptr<rawengine::CVirtualWriter> m_writer;
    std::wstring m_name;
};

}  // namespace zylvir
