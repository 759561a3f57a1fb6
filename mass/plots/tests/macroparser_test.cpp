// The macro language: finding references, splitting arguments, formatting
// integers, reals, texts and file paths; bad and very long formats.
#include <gtest/gtest.h>

#include <QDir>

#include "macrotest.h"

using macrotest::ExpandCase;
using macrotest::FixedParser;

namespace {

void expectExpansions(const ExpandCase* begin, const ExpandCase* end)
{
    for (const ExpandCase* c = begin; c != end; ++c) {
        FixedParser parser;
        EXPECT_EQ(parser.expand(QString::fromUtf8(c->format)), QString::fromUtf8(c->expected))
            << c->name << ": " << c->format;
    }
}

template <size_t N>
void expectExpansions(const ExpandCase (&cases)[N])
{
    expectExpansions(cases, cases + N);
}

}  // namespace

TEST(MacroParser, Expansions)
{
    const ExpandCase cases[] = {
        {"integer in base 16", "{int,16}", "1a"},
        {"base that does not read", "{int,x}", "26"},
        {"no base", "{int}", "26"},
        {"base 2", "{int,2}", "11010"},
        {"base 36", "{int,36}", "q"},
        {"quoted base keeps its quotes", "{int,\"16\"}", "26"},
        {"real with precision and format", "{real,2,e}", "1.23e+02"},
        {"real with defaults", "{real}", "123.4"},
        {"real, fixed", "{real,3,f}", "123.400"},
        {"real, capital format", "{real,2,E}", "1.23E+02"},
        {"format of two characters means g", "{real,2,ef}", "1.2e+02"},
        {"precision that does not read", "{real,x,f}", "123.400000"},
        {"precision 0", "{real,0,f}", "123"},
        {"string, middle", "{str,10,m}", "ABC...MNOP"},
        {"string, left", "{str,10,l}", "...JKLMNOP"},
        {"string, right", "{str,10,r}", "ABCDEFG..."},
        {"string, no position", "{str,10}", "ABCDEFGHIJ"},
        {"string, maximum 0", "{str,0,m}", "ABCDEFGHIJKLMNOP"},
        {"string, capital positions", "{str,10,M}{str,10,L}{str,10,R}", "ABC...MNOP...JKLMNOPABCDEFG..."},
        {"string, unknown position", "{str,10,x}", "ABCDEFGHIJ"},
        {"string, position of two characters", "{str,10,mm}", "ABCDEFGHIJ"},
        {"string exactly the maximum", "{str,16,m}", "ABCDEFGHIJKLMNOP"},
        {"string, maximum 3", "{str,3,m} {str,3,l} {str,3,r} {str,3}", "... ... ... ABC"},
        {"string, maximum 4", "{str,4,m} {str,4,l} {str,4,r}", "...P ...P A..."},
        {"dollar signs", "$desc$", "Description"},
        {"mixed openers and closers", "{desc$ $desc}", "Description Description"},
        {"unknown names stay", "{nosuch} $nosuch,3,m$ {Desc}", "{nosuch} $nosuch,3,m$ {Desc}"},
        {"in plain text", "Run {int,16}: {str,10,m}!", "Run 1a: ABC...MNOP!"},
        {"no reference", "plain title", "plain title"},
        {"empty", "", ""},
    };
    expectExpansions(cases);
}

// Base 0 divided by zero and base 1 never ended; shortening below 3
// characters asked for a negative count around "..."; precisions were
// taken as given.
TEST(MacroParser, Mends)
{
    const ExpandCase cases[] = {
        {"base 0", "{int,0}", "26"},
        {"base 1", "{int,1}", "26"},
        {"base 37", "{int,37}", "26"},
        {"negative base", "{int,-16}", "26"},
        {"string, maximum 2", "{str,2,m} {str,2,l} {str,2,r}", "AB AB AB"},
        {"string, maximum 1", "{str,1,m} {str,1,l}", "A A"},
        {"negative precision", "{real,-3,f}", "123"},
    };
    expectExpansions(cases);

    FixedParser parser;
    const QString huge = parser.expand(QStringLiteral("{real,2000000000,f}"));
    EXPECT_EQ(huge.size(), 4 + TMacroParser::kMaxPrecision);
    EXPECT_TRUE(huge.startsWith(QLatin1String("123.40000000000000"))) << huge.toStdString();
    EXPECT_EQ(parser.expand(QStringLiteral("{real,2147483647,e}")).size(),
              parser.expand(QStringLiteral("{real,99,e}")).size());
}

TEST(MacroParser, BadFormats)
{
    const ExpandCase cases[] = {
        {"not closed", "{str,10,m", "{str,10,m"},
        {"not opened", "str,10,m}", "str,10,m}"},
        {"nested: the inner one expands", "{str,{int}}", "{str,26}"},
        {"double braces", "{{int}}", "{26}"},
        {"empty name", "{} {,3} $$", "{} {,3} $$"},
        {"opener alone", "{", "{"},
        {"quote left open", "{str,\"abc} {int,16}", "{str,\"abc} 1a"},
        {"blank in the name", "{in t}", "{in t}"},
        {"blank before a comma", "{int ,16}", "{int ,16}"},
        {"blanks around an argument", "{int,  16  }", "1a"},
        {"negative maximum", "{str,-5,m}", "ABCDEFGHIJKLMNOP"},
        {"largest maximum", "{str,2147483647,m}", "ABCDEFGHIJKLMNOP"},
        {"numbers beyond 32 bits", "{str,99999999999,m} {int,99999999999}", "ABCDEFGHIJKLMNOP 26"},
        {"decimal where an integer is read", "{real,2.5,f}", "123.400000"},
        {"colon before a bare word reads as empty", "{int,:16}", "26"},
        {"closing brace without a name", "}{int}{", "}26{"},
        {"adjacent references", "{int}{int,16}$int$", "261a26"},
    };
    expectExpansions(cases);
}

TEST(MacroParser, Arguments)
{
    const ExpandCase cases[] = {
        {"none", "{rec}", "0:"},
        {"one empty", "{rec,}", "1:"},
        {"blanks are not kept", "{rec,a, b ,c}", "3:a|b|c"},
        {"quoted, with its quotes", "{rec,\"c d\"}", "1:\"c d\""},
        {"comma inside quotes", "{rec,\"x, y\",z}", "2:\"x, y\"|z"},
        {"empty quotes", "{rec,\"\"}", "1:\"\""},
        {"colon before quotes", "{rec,:\"q\",::\"r\"}", "2::\"q\"|::\"r\""},
        {"colon before a bare word: an empty argument", "{rec,:x,y}", "2:|y"},
        {"empty ones", "{rec,,,}", "3:||"},
        {"hyphens and dots", "{rec,-1.5,a-b}", "2:-1.5|a-b"},
    };
    expectExpansions(cases);
    EXPECT_EQ(TMacroParser::referenceArguments(QStringLiteral("{file,32,m}")),
              QStringList({QStringLiteral("32"), QStringLiteral("m")}));
}

// Equal references expand once; every occurrence takes the value.
TEST(MacroParser, RepeatedReference)
{
    FixedParser parser;
    EXPECT_EQ(parser.expand(QStringLiteral("{str,5,r}-{str,5,r}-{str,5,r} {str,5,l}")), "AB...-AB...-AB... ...OP");
    EXPECT_EQ(parser.calls, 2);
}

// References are replaced where they stand, in one pass: a value holding
// reference text is not expanded again, and a reference quoted in another
// one's argument is that argument (the old replacement of every
// occurrence in the growing result did both, and took time of the square
// of the length).
TEST(MacroParser, OnePass)
{
    const ExpandCase cases[] = {
        {"value holding a reference", "{echo} {str}", "{str} ABCDEFGHIJKLMNOP"},
        {"reference inside a quoted argument", "{str,3,r} {rec,\"{str,3,r}\"}", "... 1:\"{str,3,r}\""},
    };
    expectExpansions(cases);
}

TEST(MacroParser, FilePaths)
{
    const ExpandCase cases[] = {
        {"whole path", "{path}", "/data/runs/sample.run"},
        {"file name", "{path,0}", "sample.run"},
        {"two sections", "{path,1}", "runs/sample.run"},
        {"three sections", "{path,2}", "data/runs/sample.run"},
        {"every section", "{path,3}", "/data/runs/sample.run"},
        {"more than there are", "{path,2147483647}", "/data/runs/sample.run"},
        {"negative", "{path,-1}", "/data/runs/sample.run"},
        {"not a number", "{path,x}", "/data/runs/sample.run"},
        {"then shortened", "{path,0,6,r}", "sam..."},
        {"sections, then shortened", "{path,1,8,l}", "...e.run"},
        {"whole path shortened", "{path,x,7,m}", "/d...un"},
        {"relative path, file name", "{relpath,0}", "sample.run"},
    };
    expectExpansions(cases);
    FixedParser parser;
    EXPECT_EQ(parser.expand(QStringLiteral("{relpath}")), QDir::currentPath() + QStringLiteral("/sample.run"));
}

TEST(MacroParser, ParameterLists)
{
    const TMacroParameterList integer = TMacroParser::integerParameters();
    const TMacroParameterList real = TMacroParser::realParameters();
    const TMacroParameterList string = TMacroParser::stringParameters();
    ASSERT_EQ(integer.size(), 1);
    ASSERT_EQ(real.size(), 2);
    ASSERT_EQ(string.size(), 2);
    EXPECT_EQ(integer[0], TMacroParameter("Base", "The integral number base"));
    EXPECT_EQ(real[0], TMacroParameter("Precision", "The decimal precision"));
    EXPECT_EQ(real[1], TMacroParameter("Format", "The real number format (avail formats: 'f','e','g')"));
    EXPECT_EQ(string[0], TMacroParameter("Max Length", "The maximun number of characters"));
    EXPECT_EQ(string[1],
              TMacroParameter("Position", "The '...' position ('n': none, 'l': left, 'r': right, 'm': middle"));
}

// Formats of a megabyte, good and bad: each expands in one pass (the
// test's short timeout catches time of the square of the length).
TEST(MacroParser, LongFormats)
{
    const int kSize = 1 << 20;
    auto repeated = [&](const char* piece) {
        QString text;
        text.reserve(kSize + 64);
        const QString p = QString::fromUtf8(piece);
        while (text.size() < kSize)
            text += p;
        return text;
    };
    {
        FixedParser parser;
        const QString text = repeated("{str,10,m} {int,16} {nosuch,1} ");
        const QString result = parser.expand(text);
        EXPECT_EQ(result, QString(text).replace("{str,10,m}", "ABC...MNOP").replace("{int,16}", "1a"));
        EXPECT_EQ(parser.calls, 2);
    }
    // Shapes that open a reference and never close it, or close it late.
    const char* const unchanged[] = {
        "{str,10,m",  "{a, , , , ,",  "{a,\"",      "{a,\"x\" ,", "{{{{", "$$$$",
        "{a,::\"x\",", "{aaaaaaaaaa", "{a{a,{a,\"", "$a,a,a,a,\"", "{a,  ,   ,",
    };
    for (const char* piece : unchanged) {
        FixedParser parser;
        const QString text = repeated(piece);
        EXPECT_EQ(parser.expand(text), text) << piece;
        EXPECT_EQ(parser.calls, 0) << piece;
    }
    FixedParser parser;
    QString distinct;
    for (int i = 0; distinct.size() < kSize / 4; ++i)
        distinct += QStringLiteral("{str,%1,r}").arg(i % 40);
    const QString result = parser.expand(distinct);
    // Maximum 0 leaves the text, 1 and 2 cut it, 3 is "...".
    EXPECT_TRUE(result.startsWith(QLatin1String("ABCDEFGHIJKLMNOPAAB...A...AB...")))
        << result.left(40).toStdString();
    EXPECT_EQ(parser.calls, 40);
}
