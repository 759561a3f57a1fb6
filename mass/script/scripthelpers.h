// What every script object of the plug-in shares: the error thrower and
// its message table, the warning printer, the font reader, the bulk
// property assignment from a script object and the callee's class name.
//
// Scripts are user input: slots check their arguments and end with
// throwScriptError, whose value they return at once, so the script sees an
// exception with the table text (and " ( detail )") and the engine goes on.
#pragma once

#include <QScriptValue>
#include <QString>

class QFont;
class QObject;
class QScriptContext;
class QScriptEngine;

// The error codes of the message table.
enum TScriptError {
    ScriptUnknownError = 0,
    ScriptArgumentCount = 1,
    ScriptIncorrectArguments = 2,
    ScriptUnknownParameter = 3,
    ScriptInvalidValue = 4,
    ScriptInvalidObject = 5,
    ScriptFatalError = 6,
    ScriptMemoryError = 7,
};

// The table text of a code; "Unknown Error" for any code not in the table.
QString scriptErrorText(int code);

// Throws the table text (with " ( detail )" when the detail is not empty)
// in the context and answers what throwError answered; without a context
// it throws nothing and answers an invalid value.
QScriptValue throwScriptError(QScriptContext* context, int code, const QString& detail = QString());

// Calls the script's global "print" function, when there is one, with
// "Warning: " and the table text, a blank and the detail. Answers undefined
// (an invalid value without an engine); never throws.
QScriptValue printScriptWarning(QScriptEngine* engine, int code, const QString& detail);

// Changes the font from the properties "family" (string), "size" (number,
// point size), "bold", "italic" and "underline" (booleans) of a script
// object; a property that is missing or of another type changes nothing.
void fontFromScriptObject(const QScriptValue& value, QFont& font);

// Sets every readable and writable property of the target (but
// "objectName") that the source object has, through the target's own
// setters with the engine's conversion. False, and nothing done, when the
// source is no object or the target or the engine is null.
bool assignScriptProperties(const QScriptValue& source, QObject* target, QScriptEngine* engine);

// The position a script number names in a list of count entries, or -1
// when it lies outside (NaN too). Compared as a number, so that a huge
// index never wraps into the list as its 32-bit value would; a fraction
// is cut toward 0 like the engine's integer conversion.
int scriptIndex(const QScriptValue& number, int count);

// A child object of a script object wrapped for the script (Qt ownership:
// the engine never deletes it) that keeps the script object it was read
// from, its owner's, alive: the child lives as long as its parent, and a
// script that keeps only the child must not lose it to the collector.
QScriptValue wrapChildObject(QScriptEngine* engine, QObject* child, const QScriptValue& holder);

// The "typename" of the called function, as text.
QString scriptCalleeTypeName(QScriptContext* context);
