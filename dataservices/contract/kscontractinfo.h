// What the type library says beyond the C++ declarations: help strings of
// the interfaces, their members and the enum members, interface flags, the
// coclasses with their interfaces and registration, and the library's
// identity. Read by whoever registers the library or describes a member
// (help strings), and by the contract's own tests.
#pragma once

#include "kscontract.h"

#include <vector>

namespace ks::contract {

struct TypeLibInfo {
    const wchar_t* name;
    GUID libid;
    WORD majorVersion;
    WORD minorVersion;
    LCID lcid;
    const wchar_t* helpString;
};
const TypeLibInfo& typeLib();
// The outside spectrum-object library the contract imports.
const TypeLibInfo& importedSpectrumLibrary();

enum InterfaceFlags : DWORD {
    kDual = 0x1,           // dual interface (vtable and IDispatch)
    kDispatchOnly = 0x2,   // dispatch interface: members reached only through Invoke
    kNonExtensible = 0x4,  // may not be extended through IDispatch at run time
    kImported = 0x8,       // declared by the outside spectrum-object library
    kDeclaredOnly = 0x10,  // kept in the library; nothing implements it
};

struct MemberInfo {
    const wchar_t* name;
    DISPID id;
    ks::DispKind kind;
    const wchar_t* help;
};

struct InterfaceInfo {
    const wchar_t* name;
    IID iid;
    const IID* base;  // null: derives from IDispatch
    const wchar_t* help;
    DWORD flags;
    const ks::DispTable* table;       // null for the event interface
    std::vector<MemberInfo> members;  // own members in function-table order
};

// Every interface of the library and of the imported spectrum library.
const std::vector<InterfaceInfo>& interfaces();
const InterfaceInfo* findInterface(REFIID iid);
const InterfaceInfo* findInterface(const wchar_t* name);
// Help string of a member (searching base interfaces too); null when the
// interface has no such member.
const wchar_t* memberHelp(REFIID iid, DISPID id, ks::DispKind kind);

struct CoclassInfo {
    const wchar_t* name;
    CLSID clsid;
    const wchar_t* help;              // "<name> Class"
    std::vector<IID> interfaces;      // first = default
    const IID* defaultSource;         // null: no event source
    bool creatable;
    bool aggregatable;
    bool registered;                  // does any deliverable register it
    const wchar_t* progId;            // null: none
    const wchar_t* versionIndependentProgId;
};
const std::vector<CoclassInfo>& coclasses();
const CoclassInfo* findCoclass(REFCLSID clsid);

struct EnumMemberInfo {
    const wchar_t* name;
    LONG value;
    const wchar_t* help;  // null: none
};
struct EnumInfo {
    const wchar_t* name;
    const GUID* uuid;  // the alias identifier, null when none
    std::vector<EnumMemberInfo> members;
};
const std::vector<EnumInfo>& enums();
const EnumInfo* findEnum(const wchar_t* name);

}  // namespace ks::contract
