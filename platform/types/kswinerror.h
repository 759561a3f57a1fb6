// System error codes (the 32-bit numbers the registry and file calls
// return), with the platform's values so that stored or logged numbers
// keep their meaning.
#pragma once

#include "kstypes.h"

constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_INVALID_FUNCTION = 1;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_PATH_NOT_FOUND = 3;
constexpr LONG ERROR_TOO_MANY_OPEN_FILES = 4;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr LONG ERROR_BAD_FORMAT = 11;
constexpr LONG ERROR_INVALID_DATA = 13;
constexpr LONG ERROR_OUTOFMEMORY = 14;
constexpr LONG ERROR_NO_MORE_FILES = 18;
constexpr LONG ERROR_WRITE_FAULT = 29;
constexpr LONG ERROR_READ_FAULT = 30;
constexpr LONG ERROR_SHARING_VIOLATION = 32;
constexpr LONG ERROR_LOCK_VIOLATION = 33;
constexpr LONG ERROR_HANDLE_EOF = 38;
constexpr LONG ERROR_NOT_SUPPORTED = 50;
constexpr LONG ERROR_FILE_EXISTS = 80;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_BROKEN_PIPE = 109;
constexpr LONG ERROR_INSUFFICIENT_BUFFER = 122;
constexpr LONG ERROR_INVALID_NAME = 123;
constexpr LONG ERROR_MOD_NOT_FOUND = 126;
constexpr LONG ERROR_PROC_NOT_FOUND = 127;
constexpr LONG ERROR_DIR_NOT_EMPTY = 145;
constexpr LONG ERROR_BAD_PATHNAME = 161;
constexpr LONG ERROR_ALREADY_EXISTS = 183;
constexpr LONG ERROR_FILENAME_EXCED_RANGE = 206;
constexpr LONG ERROR_MORE_DATA = 234;
constexpr LONG ERROR_NO_MORE_ITEMS = 259;
constexpr LONG ERROR_CANCELLED = 1223;
constexpr LONG ERROR_BADDB = 1009;
constexpr LONG ERROR_BADKEY = 1010;
constexpr LONG ERROR_CANTOPEN = 1011;
constexpr LONG ERROR_CANTREAD = 1012;
constexpr LONG ERROR_CANTWRITE = 1013;
constexpr LONG ERROR_REGISTRY_RECOVERED = 1014;
constexpr LONG ERROR_REGISTRY_CORRUPT = 1015;
constexpr LONG ERROR_REGISTRY_IO_FAILED = 1016;
constexpr LONG ERROR_KEY_DELETED = 1018;
constexpr LONG ERROR_KEY_HAS_CHILDREN = 1020;
constexpr LONG ERROR_CHILD_MUST_BE_VOLATILE = 1021;
constexpr LONG ERROR_DLL_INIT_FAILED = 1114;
constexpr LONG ERROR_INVALID_DLL = 1154;
constexpr LONG ERROR_BAD_EXE_FORMAT = 193;

// ---------------------------------------------------------------------------
// Result codes (HRESULT). Bit 31 is the failure bit; the numbers are the
// platform's, since callers compare and logs store them.

constexpr HRESULT ksMakeHresult(uint32_t value) { return static_cast<HRESULT>(value); }

#define SUCCEEDED(hr) (static_cast<HRESULT>(hr) >= 0)
#define FAILED(hr) (static_cast<HRESULT>(hr) < 0)
#define HRESULT_CODE(hr) (static_cast<HRESULT>(hr) & 0xFFFF)
#define HRESULT_FACILITY(hr) ((static_cast<HRESULT>(hr) >> 16) & 0x1FFF)

constexpr int FACILITY_NULL = 0;
constexpr int FACILITY_DISPATCH = 2;
constexpr int FACILITY_STORAGE = 3;
constexpr int FACILITY_ITF = 4;
constexpr int FACILITY_WIN32 = 7;
constexpr int FACILITY_CONTROL = 10;

constexpr HRESULT MAKE_HRESULT(uint32_t severity, uint32_t facility, uint32_t code)
{
    return static_cast<HRESULT>((severity << 31) | (facility << 16) | code);
}

// A system error code as a result: 0 stays 0 (success), a value that is
// already a result passes unchanged, anything else becomes 0x8007xxxx.
constexpr HRESULT HRESULT_FROM_WIN32(LONG error)
{
    return error <= 0 ? static_cast<HRESULT>(error)
                      : static_cast<HRESULT>((static_cast<uint32_t>(error) & 0xFFFFu) | 0x80070000u);
}

// General
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT NOERROR = 0;
constexpr HRESULT E_UNEXPECTED = ksMakeHresult(0x8000FFFFu);
constexpr HRESULT E_NOTIMPL = ksMakeHresult(0x80004001u);
constexpr HRESULT E_NOINTERFACE = ksMakeHresult(0x80004002u);
constexpr HRESULT E_POINTER = ksMakeHresult(0x80004003u);
constexpr HRESULT E_ABORT = ksMakeHresult(0x80004004u);
constexpr HRESULT E_FAIL = ksMakeHresult(0x80004005u);
constexpr HRESULT E_ACCESSDENIED = ksMakeHresult(0x80070005u);
constexpr HRESULT E_HANDLE = ksMakeHresult(0x80070006u);
constexpr HRESULT E_OUTOFMEMORY = ksMakeHresult(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = ksMakeHresult(0x80070057u);

// Dispatch (late binding, VARIANT and SAFEARRAY services)
constexpr HRESULT DISP_E_UNKNOWNINTERFACE = ksMakeHresult(0x80020001u);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = ksMakeHresult(0x80020003u);
constexpr HRESULT DISP_E_PARAMNOTFOUND = ksMakeHresult(0x80020004u);
constexpr HRESULT DISP_E_TYPEMISMATCH = ksMakeHresult(0x80020005u);
constexpr HRESULT DISP_E_UNKNOWNNAME = ksMakeHresult(0x80020006u);
constexpr HRESULT DISP_E_NONAMEDARGS = ksMakeHresult(0x80020007u);
constexpr HRESULT DISP_E_BADVARTYPE = ksMakeHresult(0x80020008u);
constexpr HRESULT DISP_E_EXCEPTION = ksMakeHresult(0x80020009u);
constexpr HRESULT DISP_E_OVERFLOW = ksMakeHresult(0x8002000Au);
constexpr HRESULT DISP_E_BADINDEX = ksMakeHresult(0x8002000Bu);
constexpr HRESULT DISP_E_UNKNOWNLCID = ksMakeHresult(0x8002000Cu);
constexpr HRESULT DISP_E_ARRAYISLOCKED = ksMakeHresult(0x8002000Du);
constexpr HRESULT DISP_E_BADPARAMCOUNT = ksMakeHresult(0x8002000Eu);
constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = ksMakeHresult(0x8002000Fu);
constexpr HRESULT DISP_E_BADCALLEE = ksMakeHresult(0x80020010u);
constexpr HRESULT DISP_E_NOTACOLLECTION = ksMakeHresult(0x80020011u);
constexpr HRESULT DISP_E_DIVBYZERO = ksMakeHresult(0x80020012u);
constexpr HRESULT TYPE_E_ELEMENTNOTFOUND = ksMakeHresult(0x8002802Bu);
constexpr HRESULT TYPE_E_LIBNOTREGISTERED = ksMakeHresult(0x8002801Du);
constexpr HRESULT TYPE_E_CANTLOADLIBRARY = ksMakeHresult(0x80029C4Au);

// Activation and registration
constexpr HRESULT CO_E_NOT_SUPPORTED = ksMakeHresult(0x80004021u);
constexpr HRESULT CLASS_E_NOAGGREGATION = ksMakeHresult(0x80040110u);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = ksMakeHresult(0x80040111u);
constexpr HRESULT REGDB_E_READREGDB = ksMakeHresult(0x80040150u);
constexpr HRESULT REGDB_E_WRITEREGDB = ksMakeHresult(0x80040151u);
constexpr HRESULT REGDB_E_KEYMISSING = ksMakeHresult(0x80040152u);
constexpr HRESULT REGDB_E_INVALIDVALUE = ksMakeHresult(0x80040153u);
constexpr HRESULT REGDB_E_CLASSNOTREG = ksMakeHresult(0x80040154u);
constexpr HRESULT REGDB_E_IIDNOTREG = ksMakeHresult(0x80040155u);
constexpr HRESULT SELFREG_E_TYPELIB = ksMakeHresult(0x80040200u);
constexpr HRESULT SELFREG_E_CLASS = ksMakeHresult(0x80040201u);
constexpr HRESULT CO_E_NOTINITIALIZED = ksMakeHresult(0x800401F0u);
constexpr HRESULT CO_E_CLASSSTRING = ksMakeHresult(0x800401F3u);
constexpr HRESULT CO_E_IIDSTRING = ksMakeHresult(0x800401F4u);
constexpr HRESULT CO_E_APPNOTFOUND = ksMakeHresult(0x800401F5u);
constexpr HRESULT CO_E_DLLNOTFOUND = ksMakeHresult(0x800401F8u);
constexpr HRESULT CO_E_ERRORINDLL = ksMakeHresult(0x800401F9u);

// Connection points (same facility range as the self-registration codes)
constexpr HRESULT CONNECT_E_NOCONNECTION = ksMakeHresult(0x80040200u);
constexpr HRESULT CONNECT_E_ADVISELIMIT = ksMakeHresult(0x80040201u);
constexpr HRESULT CONNECT_E_CANNOTCONNECT = ksMakeHresult(0x80040202u);
constexpr HRESULT CONNECT_E_OVERRIDDEN = ksMakeHresult(0x80040203u);

// Structured storage
constexpr HRESULT STG_E_INVALIDFUNCTION = ksMakeHresult(0x80030001u);
constexpr HRESULT STG_E_FILENOTFOUND = ksMakeHresult(0x80030002u);
constexpr HRESULT STG_E_PATHNOTFOUND = ksMakeHresult(0x80030003u);
constexpr HRESULT STG_E_TOOMANYOPENFILES = ksMakeHresult(0x80030004u);
constexpr HRESULT STG_E_ACCESSDENIED = ksMakeHresult(0x80030005u);
constexpr HRESULT STG_E_INVALIDHANDLE = ksMakeHresult(0x80030006u);
constexpr HRESULT STG_E_INSUFFICIENTMEMORY = ksMakeHresult(0x80030008u);
constexpr HRESULT STG_E_INVALIDPOINTER = ksMakeHresult(0x80030009u);
constexpr HRESULT STG_E_NOMOREFILES = ksMakeHresult(0x80030012u);
constexpr HRESULT STG_E_SEEKERROR = ksMakeHresult(0x80030019u);
constexpr HRESULT STG_E_WRITEFAULT = ksMakeHresult(0x8003001Du);
constexpr HRESULT STG_E_READFAULT = ksMakeHresult(0x8003001Eu);
constexpr HRESULT STG_E_SHAREVIOLATION = ksMakeHresult(0x80030020u);
constexpr HRESULT STG_E_LOCKVIOLATION = ksMakeHresult(0x80030021u);
constexpr HRESULT STG_E_FILEALREADYEXISTS = ksMakeHresult(0x80030050u);
constexpr HRESULT STG_E_INVALIDPARAMETER = ksMakeHresult(0x80030057u);
constexpr HRESULT STG_E_MEDIUMFULL = ksMakeHresult(0x80030070u);
constexpr HRESULT STG_E_INVALIDHEADER = ksMakeHresult(0x800300FBu);
constexpr HRESULT STG_E_INVALIDNAME = ksMakeHresult(0x800300FCu);
constexpr HRESULT STG_E_UNKNOWN = ksMakeHresult(0x800300FDu);
constexpr HRESULT STG_E_UNIMPLEMENTEDFUNCTION = ksMakeHresult(0x800300FEu);
constexpr HRESULT STG_E_INVALIDFLAG = ksMakeHresult(0x800300FFu);
constexpr HRESULT STG_E_REVERTED = ksMakeHresult(0x80030102u);
constexpr HRESULT STG_E_CANTSAVE = ksMakeHresult(0x80030103u);
constexpr HRESULT STG_E_OLDFORMAT = ksMakeHresult(0x80030104u);

// Raw-file library: the control runtime's "out of memory" that the label
// and noise readers return when their arrays cannot be made.
constexpr HRESULT CTL_E_OUTOFMEMORY = ksMakeHresult(0x800A0007u);

// Raw-file library: codes of the virtual MS and UV raw-file writers.
constexpr HRESULT KSRAW_E_MS_NOWRITER = ksMakeHresult(0x8000210Bu);        // no file created yet
constexpr HRESULT KSRAW_E_MS_WRITERALLOC = ksMakeHresult(0x8000210Cu);     // engine writer not allocated
constexpr HRESULT KSRAW_E_UV_NOWRITER = ksMakeHresult(0x8000210Du);        // no file created yet
constexpr HRESULT KSRAW_E_UV_WRITERALLOC = ksMakeHresult(0x8000210Eu);     // engine writer not allocated
constexpr HRESULT KSRAW_E_NOTRAILERHEADER = ksMakeHresult(0x8000210Fu);    // no trailer header under construction
constexpr HRESULT KSRAW_E_NOSTATUSLOGHEADER = ksMakeHresult(0x80002110u);  // no status-log header under construction
constexpr HRESULT KSRAW_E_NOTUNEHEADER = ksMakeHresult(0x80002111u);       // no tune-data header under construction
constexpr HRESULT KSRAW_E_NOSCANEVENTS = ksMakeHresult(0x80002112u);       // no method scan events under construction
