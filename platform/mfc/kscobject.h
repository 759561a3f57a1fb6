// CObject and its run-time class information, the root of the MFC-like
// helper classes (lists, date, window stand-in) and of the classes that
// components derive from them.
#pragma once

#include <cstddef>

struct CRuntimeClass;

class CObject {
public:
    virtual const CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() = default;

    // True when this object's class is the given class or derives from it.
    bool IsKindOf(const CRuntimeClass* pClass) const;

    static const CRuntimeClass classCObject;
    static const CRuntimeClass* _GetBaseClass();

protected:
    CObject() = default;

private:
    // Objects are not copied implicitly; a class that needs copies says how.
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
};

// Class information: the name, the object size and the base class.
struct CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    const CRuntimeClass* (*m_pfnGetBaseClass)();

    // True when this class is pBaseClass or derives from it.
    bool IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

// In the class body: the class information and its accessor.
#define DECLARE_DYNAMIC(class_name)                          \
public:                                                      \
    static const CRuntimeClass class##class_name;            \
    static const CRuntimeClass* _GetBaseClass();             \
    const CRuntimeClass* GetRuntimeClass() const override;

// In one source file of the class.
#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                                  \
    const CRuntimeClass* class_name::_GetBaseClass() { return RUNTIME_CLASS(base_class_name); } \
    const CRuntimeClass class_name::class##class_name = {                               \
        #class_name, static_cast<int>(sizeof(class_name)), &class_name::_GetBaseClass}; \
    const CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }
