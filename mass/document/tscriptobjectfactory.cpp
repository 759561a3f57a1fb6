#include "tscriptobjectfactory.h"

TScriptObjectFactory::~TScriptObjectFactory() = default;

void TScriptObjectFactory::registerObjects(const QString&, QScriptEngine*) {}

void TScriptObjectFactory::hostHook(quintptr) {}
