// A class of an outside component's stand-in, served from a fuzz target's
// own process, so the reader under test creates it without a registry or
// a loaded module. Header only: the targets that use it link the platform.
#pragma once

#include <cstdlib>

#include "ksclassfactory.h"
#include "ksclasstable.h"
#include "kscomptr.h"

namespace ks::fuzz {

// Registered for the object's lifetime and revoked after, so the class
// table lets its factory go. A registration that fails ends the process:
// the target would fuzz nothing.
class ServedClass {
public:
    ServedClass(REFCLSID clsid, Module::Creator create)
    {
        ClassFactory* factory = nullptr;
        if (FAILED(createObject(&factory, create)))
            std::abort();
        ComPtr<IClassFactory> held(factory);
        if (FAILED(ksRegisterClassObject(clsid, held.get(), &m_cookie)))
            std::abort();
    }
    ~ServedClass() { ksRevokeClassObject(m_cookie); }
    ServedClass(const ServedClass&) = delete;
    ServedClass& operator=(const ServedClass&) = delete;

private:
    DWORD m_cookie = 0;
};

}  // namespace ks::fuzz
