// A library that needs a symbol nothing provides: it cannot be loaded.
extern "C" int ksActivationSymbolNobodyDefines();

extern "C" int ksActivationUnresolved()
{
    return ksActivationSymbolNobodyDefines();
}
