// The title macro language: a text such as "{file,32,m} {desc}" in which
// every macro reference is replaced by a value computed for a plot.
//
// A reference opens with "{" or "$", names a macro (word characters and
// hyphens) and takes arguments, each after a comma: a bare word of word
// characters, hyphens and dots, or a double-quoted string kept with its
// quotes (either may carry a leading colon); it closes with "}" or "$".
// TMacroParser finds the references (QRegExp, the language's own
// patterns), splits their arguments and formats numbers and texts; a
// concrete parser supplies the macro list and each macro's value.
//
// Expansion replaces each reference where it stands, in one pass over the
// text: a reference to a name the list does not hold stays as written,
// and a value is never searched for references again. Equal reference
// texts are expanded once. Time and memory follow the length of the text;
// no number read from it sizes an allocation (bases outside 2 to 36 mean
// 10, precisions are kept within 0 to kMaxPrecision).
//
// Parsers are short-lived, made on the stack for one expansion.
#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>

// One parameter of a macro: its name and one line of help.
using TMacroParameter = QPair<QString, QString>;
using TMacroParameterList = QList<TMacroParameter>;

struct TMacroInfo {
    QString title;  // a short display name
    QString help;   // one line of help
    TMacroParameterList parameters;
};

// Macro name -> description, in Qt's string order.
using TMacroMap = QMap<QString, TMacroInfo>;

class TMacroParser : public QObject {
    Q_OBJECT
public:
    // The largest precision a real number is written with; Qt pads a
    // larger one with zeros, to any size.
    static constexpr int kMaxPrecision = 99;

    TMacroParser();
    ~TMacroParser() override;

    virtual const TMacroMap& macros() const = 0;
    // The value of one macro of the list (the arguments as written).
    virtual QString expandMacro(const QString& name, const QStringList& arguments) = 0;

    // The value in the base of the first argument (2 to 36; 10 when it is
    // missing, does not read as a decimal integer or lies outside).
    virtual QString formatInteger(const QStringList& arguments, int value) const;
    // Precision: the first argument (6 when missing or unreadable), kept
    // within 0 to kMaxPrecision; format: the second argument when it is
    // one character, else 'g'.
    virtual QString formatReal(const QStringList& arguments, double value) const;
    // Maximum length m: the first argument (none when missing or
    // unreadable); position: the second argument when it is one character,
    // else 'n'. A text longer than m >= 1 characters is shortened: "l"
    // "..." and the last m - 3 characters, "r" the first m - 3 and "...",
    // "m" both ends around "...", any other position (or m below 3) the
    // first m characters.
    virtual QString formatString(const QStringList& arguments, const QString& text) const;
    // The absolute path; with a first argument n >= 0 its last n + 1
    // sections ("/"-separated, 0 the file name alone); further arguments
    // shorten the result as formatString does.
    virtual QString formatFilePath(const QStringList& arguments, const QString& path) const;

    // The text with every reference to a macro of the list replaced.
    QString expand(const QString& text);

    // The arguments of a reference text, in the order written.
    static QStringList referenceArguments(const QString& reference);

    // The parameter lists of the three argument kinds.
    static TMacroParameterList integerParameters();
    static TMacroParameterList realParameters();
    static TMacroParameterList stringParameters();

    // A precision read from a format kept within 0 to kMaxPrecision.
    static int boundedPrecision(int precision);

protected:
    // The first argument read as a decimal integer into `value` (left
    // alone when there is none or it does not read).
    static bool firstInteger(const QStringList& arguments, int& value);
    // The second argument when it is one character (Latin-1; 0 for
    // another), else `fallback`.
    static char secondCharacter(const QStringList& arguments, char fallback);
};
