// Structured storage interfaces: IStream (with ISequentialStream),
// IStorage and IEnumSTATSTG, as the raw-file reader (instrument methods in
// sub-storages, "Text" streams) and the storage opening of data servers
// use them, and one implementation held in memory.
//
// ks::createMemoryStorage makes an empty read-write root storage. Its
// elements (sub-storages and streams) live as long as any handle reaches
// them; every handle of one element shares its bytes, so what one stream
// handle writes the others read. Names are compared without regard to case
// (case kept as created), at most 31 characters, none of \ / : !
// (STG_E_INVALIDNAME). Elements list in the order they were created.
//
// Results: STG_E_FILENOTFOUND for a name that is not there (also a stream
// asked for as a storage and the reverse), STG_E_FILEALREADYEXISTS when
// creating over an element without STGM_CREATE, STG_E_ACCESSDENIED for a
// write through a handle opened STGM_READ (and for opening a child for
// writing below such a handle), STG_E_REVERTED for a handle whose element
// was destroyed, STG_E_INVALIDFUNCTION for a seek before the start or an
// unknown origin, STG_E_INVALIDPOINTER for a null output, STG_E_MEDIUMFULL
// for a stream beyond 1 GiB. Sharing modes are accepted and not enforced
// (one process, no locks); Commit and Revert answer S_OK (direct mode);
// LockRegion and UnlockRegion answer STG_E_INVALIDFUNCTION.
#pragma once

#include "ksdate.h"
#include "ksunknown.h"

using SNB = OLECHAR**;

union LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
};
union ULARGE_INTEGER {
    struct {
        DWORD LowPart;
        DWORD HighPart;
    } u;
    ULONGLONG QuadPart;
};

// Access modes (STGM)
constexpr DWORD STGM_READ = 0x00000000;
constexpr DWORD STGM_WRITE = 0x00000001;
constexpr DWORD STGM_READWRITE = 0x00000002;
constexpr DWORD STGM_SHARE_DENY_NONE = 0x00000040;
constexpr DWORD STGM_SHARE_DENY_READ = 0x00000030;
constexpr DWORD STGM_SHARE_DENY_WRITE = 0x00000020;
constexpr DWORD STGM_SHARE_EXCLUSIVE = 0x00000010;
constexpr DWORD STGM_DIRECT = 0x00000000;
constexpr DWORD STGM_TRANSACTED = 0x00010000;
constexpr DWORD STGM_CREATE = 0x00001000;
constexpr DWORD STGM_FAILIFTHERE = 0x00000000;
constexpr DWORD STGM_DELETEONRELEASE = 0x04000000;

enum STGTY : DWORD { STGTY_STORAGE = 1, STGTY_STREAM = 2, STGTY_LOCKBYTES = 3, STGTY_PROPERTY = 4 };
enum STREAM_SEEK : DWORD { STREAM_SEEK_SET = 0, STREAM_SEEK_CUR = 1, STREAM_SEEK_END = 2 };
enum STATFLAG : DWORD { STATFLAG_DEFAULT = 0, STATFLAG_NONAME = 1 };
enum STGC : DWORD { STGC_DEFAULT = 0, STGC_OVERWRITE = 1, STGC_ONLYIFCURRENT = 2 };
enum STGMOVE : DWORD { STGMOVE_MOVE = 0, STGMOVE_COPY = 1 };

struct STATSTG {
    LPOLESTR pwcsName;  // allocated with malloc for the caller (STATFLAG_DEFAULT), who frees it
    DWORD type;         // STGTY
    ULARGE_INTEGER cbSize;
    FILETIME mtime;
    FILETIME ctime;
    FILETIME atime;
    DWORD grfMode;
    DWORD grfLocksSupported;
    CLSID clsid;
    DWORD grfStateBits;
    DWORD reserved;
};

struct ISequentialStream : public IUnknown {
    virtual HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) = 0;
    virtual HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) = 0;

protected:
    ~ISequentialStream() = default;
};

struct IStream : public ISequentialStream {
    virtual HRESULT Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition) = 0;
    virtual HRESULT SetSize(ULARGE_INTEGER libNewSize) = 0;
    virtual HRESULT CopyTo(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead, ULARGE_INTEGER* pcbWritten) = 0;
    virtual HRESULT Commit(DWORD grfCommitFlags) = 0;
    virtual HRESULT Revert() = 0;
    virtual HRESULT LockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) = 0;
    virtual HRESULT UnlockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) = 0;
    virtual HRESULT Stat(STATSTG* pstatstg, DWORD grfStatFlag) = 0;
    virtual HRESULT Clone(IStream** ppstm) = 0;

protected:
    ~IStream() = default;
};

struct IEnumSTATSTG : public IUnknown {
    virtual HRESULT Next(ULONG celt, STATSTG* rgelt, ULONG* pceltFetched) = 0;
    virtual HRESULT Skip(ULONG celt) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumSTATSTG** ppenum) = 0;

protected:
    ~IEnumSTATSTG() = default;
};

struct IStorage : public IUnknown {
    virtual HRESULT CreateStream(const OLECHAR* pwcsName, DWORD grfMode, DWORD reserved1, DWORD reserved2,
                                 IStream** ppstm) = 0;
    virtual HRESULT OpenStream(const OLECHAR* pwcsName, void* reserved1, DWORD grfMode, DWORD reserved2,
                               IStream** ppstm) = 0;
    virtual HRESULT CreateStorage(const OLECHAR* pwcsName, DWORD grfMode, DWORD reserved1, DWORD reserved2,
                                  IStorage** ppstg) = 0;
    virtual HRESULT OpenStorage(const OLECHAR* pwcsName, IStorage* pstgPriority, DWORD grfMode, SNB snbExclude,
                                DWORD reserved, IStorage** ppstg) = 0;
    virtual HRESULT CopyTo(DWORD ciidExclude, const IID* rgiidExclude, SNB snbExclude, IStorage* pstgDest) = 0;
    virtual HRESULT MoveElementTo(const OLECHAR* pwcsName, IStorage* pstgDest, const OLECHAR* pwcsNewName,
                                  DWORD grfFlags) = 0;
    virtual HRESULT Commit(DWORD grfCommitFlags) = 0;
    virtual HRESULT Revert() = 0;
    virtual HRESULT EnumElements(DWORD reserved1, void* reserved2, DWORD reserved3, IEnumSTATSTG** ppenum) = 0;
    virtual HRESULT DestroyElement(const OLECHAR* pwcsName) = 0;
    virtual HRESULT RenameElement(const OLECHAR* pwcsOldName, const OLECHAR* pwcsNewName) = 0;
    virtual HRESULT SetElementTimes(const OLECHAR* pwcsName, const FILETIME* pctime, const FILETIME* patime,
                                    const FILETIME* pmtime) = 0;
    virtual HRESULT SetClass(REFCLSID clsid) = 0;
    virtual HRESULT SetStateBits(DWORD grfStateBits, DWORD grfMask) = 0;
    virtual HRESULT Stat(STATSTG* pstatstg, DWORD grfStatFlag) = 0;

protected:
    ~IStorage() = default;
};

KS_DECLARE_INTERFACE(ISequentialStream, IUnknown, "0C733A30-2A1C-11CE-ADE5-00AA0044773D")
KS_DECLARE_INTERFACE(IStream, ISequentialStream, "0000000C-0000-0000-C000-000000000046")
KS_DECLARE_INTERFACE(IEnumSTATSTG, IUnknown, "0000000D-0000-0000-C000-000000000046")
KS_DECLARE_INTERFACE(IStorage, IUnknown, "0000000B-0000-0000-C000-000000000046")

inline constexpr IID IID_ISequentialStream = KS_IID(ISequentialStream);
inline constexpr IID IID_IStream = KS_IID(IStream);
inline constexpr IID IID_IEnumSTATSTG = KS_IID(IEnumSTATSTG);
inline constexpr IID IID_IStorage = KS_IID(IStorage);

namespace ks {

// A new, empty, read-write storage held in memory (see above). E_POINTER
// for a null output, E_OUTOFMEMORY when it cannot be made.
HRESULT createMemoryStorage(IStorage** ppstg);

}  // namespace ks
