#include "tmacroparser.h"

#include "massutils.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <QRegExp>

// QRegExp keeps the language's patterns exact: Qt 4 semantics, in which
// the "(:?" of the patterns is an optional colon, not a group that
// captures nothing.
namespace {

// A whole reference: opener, name (capture 1), arguments, closer.
const char kReferencePattern[] =
    R"re([\{$]([\w\-]+)(, *(:?(:?"[^"]*")|(:?[\w\-\.]*)) *)*[\}$])re";
// One argument inside a reference; capture 1 is the token as written.
const char kArgumentPattern[] = R"re(, *(:?(:?"([^"]*)")|([\w\-\.]*)) *)re";

QRegExp macroExpression(const char* pattern)
{
    return QRegExp(QLatin1String(pattern), Qt::CaseSensitive, QRegExp::RegExp);
}

TMacroParameter macroParameter(const char* name, const char* help)
{
    return {QCoreApplication::translate("TMacroParser", name), QCoreApplication::translate("TMacroParser", help)};
}

}  // namespace

TMacroParser::TMacroParser() = default;
TMacroParser::~TMacroParser() = default;

bool TMacroParser::firstInteger(const QStringList& arguments, int& value)
{
    if (arguments.isEmpty())
        return false;
    bool ok = false;
    const int read = arguments.first().toInt(&ok);
    if (ok)
        value = read;
    return ok;
}

char TMacroParser::secondCharacter(const QStringList& arguments, char fallback)
{
    if (arguments.size() > 1 && arguments.at(1).size() == 1)
        return arguments.at(1).at(0).toLatin1();
    return fallback;
}

int TMacroParser::boundedPrecision(int precision)
{
    return qBound(0, precision, kMaxPrecision);
}

QString TMacroParser::formatInteger(const QStringList& arguments, int value) const
{
    int base = 10;
    // Base 0 divides by zero and base 1 never ends in the number writer.
    if (!firstInteger(arguments, base) || base < 2 || base > 36)
        base = 10;
    return QString::number(value, base);
}

QString TMacroParser::formatReal(const QStringList& arguments, double value) const
{
    int precision = 6;
    if (firstInteger(arguments, precision))
        precision = boundedPrecision(precision);
    const char format = secondCharacter(arguments, 'g');
    return QString::number(value, format, precision);
}

QString TMacroParser::formatString(const QStringList& arguments, const QString& text) const
{
    int maximum = -1;
    if (!firstInteger(arguments, maximum) || maximum < 1)
        return text;
    int mode = 0;
    switch (secondCharacter(arguments, 'n')) {
    case 'l': case 'L': mode = 1; break;
    case 'r': case 'R': mode = 2; break;
    case 'm': case 'M': mode = 3; break;
    default: break;
    }
    return elideText(text, maximum, mode);
}

QString TMacroParser::formatFilePath(const QStringList& arguments, const QString& path) const
{
    QString result = QFileInfo(path).absoluteFilePath();
    int sections = -1;
    // n + 1 sections; n at least the number of separators keeps them all
    // (and n + 1 never overflows).
    if (firstInteger(arguments, sections) && sections >= 0 && sections < result.count(QLatin1Char('/')))
        result = result.section(QLatin1Char('/'), -(sections + 1));
    if (arguments.size() > 1)
        result = formatString(arguments.mid(1), result);
    return result;
}

QStringList TMacroParser::referenceArguments(const QString& reference)
{
    QRegExp argument = macroExpression(kArgumentPattern);
    QStringList arguments;
    int at = 0;
    // Every match starts with a comma, so each search moves on.
    while ((at = argument.indexIn(reference, at)) >= 0) {
        arguments << argument.cap(1);
        at += argument.matchedLength();
    }
    return arguments;
}

QString TMacroParser::expand(const QString& text)
{
    const TMacroMap& list = macros();
    QRegExp reference = macroExpression(kReferencePattern);
    QHash<QString, QString> values;  // reference text -> its expansion
    QString result;
    result.reserve(text.size());
    int copied = 0;
    int at = 0;
    // A reference is at least three characters long, so each search moves on.
    while ((at = reference.indexIn(text, at)) >= 0) {
        const int length = reference.matchedLength();
        const QString whole = text.mid(at, length);
        result += text.midRef(copied, at - copied);
        if (list.contains(reference.cap(1))) {
            auto value = values.constFind(whole);
            if (value == values.constEnd())
                value = values.insert(whole, expandMacro(reference.cap(1), referenceArguments(whole)));
            result += *value;
        } else {
            result += whole;
        }
        at += length;
        copied = at;
    }
    result += text.midRef(copied);
    return result;
}

TMacroParameterList TMacroParser::integerParameters()
{
    return {macroParameter(QT_TRANSLATE_NOOP("TMacroParser", "Base"),
                      QT_TRANSLATE_NOOP("TMacroParser", "The integral number base"))};
}

TMacroParameterList TMacroParser::realParameters()
{
    return {macroParameter(QT_TRANSLATE_NOOP("TMacroParser", "Precision"),
                      QT_TRANSLATE_NOOP("TMacroParser", "The decimal precision")),
            macroParameter(QT_TRANSLATE_NOOP("TMacroParser", "Format"),
                      QT_TRANSLATE_NOOP("TMacroParser", "The real number format (avail formats: 'f','e','g')"))};
}

TMacroParameterList TMacroParser::stringParameters()
{
    return {macroParameter(QT_TRANSLATE_NOOP("TMacroParser", "Max Length"),
                      QT_TRANSLATE_NOOP("TMacroParser", "The maximun number of characters")),
            macroParameter(QT_TRANSLATE_NOOP("TMacroParser", "Position"),
                      QT_TRANSLATE_NOOP("TMacroParser",
                                        "The '...' position ('n': none, 'l': left, 'r': right, 'm': middle"))};
}
