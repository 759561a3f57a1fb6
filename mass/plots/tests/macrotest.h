// Helpers of the title macro tests: a parser with one macro of each
// argument kind whose values are fixed, so the language's rules show
// without a dataset.
#pragma once

#include "tmacroparser.h"

#include <QStringList>

#include <ostream>

// Readable strings in failure messages.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace macrotest {

// int 26, real 123.4, str "ABCDEFGHIJKLMNOP", path "/data/runs/sample.run"
// and relpath "sample.run" (file paths), desc "Description"; echo answers
// the reference text "{str}"; rec answers its argument count and the
// arguments joined by "|" ("2:a|b").
class FixedParser : public TMacroParser {
public:
    FixedParser()
    {
        const TMacroParameterList string = stringParameters();
        m_list.insert(QStringLiteral("int"), {QStringLiteral("Integer"), QStringLiteral("26"), integerParameters()});
        m_list.insert(QStringLiteral("real"), {QStringLiteral("Real"), QStringLiteral("123.4"), realParameters()});
        m_list.insert(QStringLiteral("str"), {QStringLiteral("String"), QStringLiteral("A to P"), string});
        m_list.insert(QStringLiteral("path"), {QStringLiteral("Path"), QStringLiteral("absolute"), string});
        m_list.insert(QStringLiteral("relpath"), {QStringLiteral("Relative"), QStringLiteral("relative"), string});
        m_list.insert(QStringLiteral("desc"), {QStringLiteral("Description"), QStringLiteral("text"), string});
        m_list.insert(QStringLiteral("echo"), {QStringLiteral("Echo"), QStringLiteral("reference text"), {}});
        m_list.insert(QStringLiteral("rec"), {QStringLiteral("Recorder"), QStringLiteral("arguments"), {}});
    }

    const TMacroMap& macros() const override { return m_list; }

    QString expandMacro(const QString& name, const QStringList& arguments) override
    {
        ++calls;
        if (name == QLatin1String("int"))
            return formatInteger(arguments, 26);
        if (name == QLatin1String("real"))
            return formatReal(arguments, 123.4);
        if (name == QLatin1String("str"))
            return formatString(arguments, QStringLiteral("ABCDEFGHIJKLMNOP"));
        if (name == QLatin1String("path"))
            return formatFilePath(arguments, QStringLiteral("/data/runs/sample.run"));
        if (name == QLatin1String("relpath"))
            return formatFilePath(arguments, QStringLiteral("sample.run"));
        if (name == QLatin1String("desc"))
            return formatString(arguments, QStringLiteral("Description"));
        if (name == QLatin1String("echo"))
            return QStringLiteral("{str}");
        if (name == QLatin1String("rec"))
            return QString::number(arguments.size()) + QLatin1Char(':') + arguments.join(QLatin1Char('|'));
        return QStringLiteral("?");
    }

    int calls = 0;

private:
    TMacroMap m_list;
};

// A row of an expansion table.
struct ExpandCase {
    const char* name;
    const char* format;
    const char* expected;
};

}  // namespace macrotest
