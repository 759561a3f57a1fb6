// The shared helpers: the message table and thrower, the warning printer,
// the font reader and the bulk property assignment.
#include "scripttest.h"

#include <QFont>

#include "scripthelpers.h"

using namespace scripttest;

namespace {

// A native function that throws what its arguments name.
QScriptValue throwing(QScriptContext* context, QScriptEngine*)
{
    const QString detail = context->argumentCount() > 1 ? context->argument(1).toString() : QString();
    return throwScriptError(context, context->argument(0).toInt32(), detail);
}

QScriptValue warning(QScriptContext* context, QScriptEngine* engine)
{
    return printScriptWarning(engine, context->argument(0).toInt32(), context->argument(1).toString());
}


}  // namespace

using Helpers = ScriptTest;

TEST_F(Helpers, MessageTable)
{
    engine->globalObject().setProperty("fail", engine->newFunction(throwing));
    struct Case {
        const char* call;
        const char* message;
    };
    const Case cases[] = {
        {"fail(0)", "Unknown Error"},
        {"fail(1)", "Number of arguments is incorrect."},
        {"fail(2)", "Incorrect Arguments"},
        {"fail(3)", "Unknown Parameter"},
        {"fail(4)", "Invalid Parameter Value"},
        {"fail(4, '')", "Invalid Parameter Value"},
        {"fail(4, 'The plot index is out of range')", "Invalid Parameter Value ( The plot index is out of range )"},
        {"fail(5)", "Invalid Object"},
        {"fail(6, 'Invalid chromatogram')", "Fatal Error ( Invalid chromatogram )"},
        {"fail(7)", "Memory Allocation Error"},
        {"fail(8)", "Unknown Error"},
        {"fail(-1, 'x')", "Unknown Error ( x )"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(error(c.call), c.message) << c.call;
    // The script can catch it and goes on.
    EXPECT_EQ(run("var m; try { fail(2); } catch (e) { m = e.message; } m + '!'").toString(),
              "Incorrect Arguments!");
    EXPECT_FALSE(throwScriptError(nullptr, 1, "x").isValid());
}

TEST_F(Helpers, WarningsThroughPrint)
{
    engine->globalObject().setProperty("warn", engine->newFunction(warning));
    run("var printed = []; print = function () { printed.push(arguments.length + ':' + "
        "Array.prototype.join.call(arguments, '|')); }");
    EXPECT_TRUE(run("warn(3, 'colour')").isUndefined());
    EXPECT_EQ(run("printed.join(';')").toString(), "2:Warning: |Unknown Parameter colour");

    // Without a global print function: nothing printed, undefined answered.
    run("delete print; printed = []");
    EXPECT_TRUE(run("warn(3, 'colour')").isUndefined());
    run("print = 5");
    EXPECT_TRUE(run("warn(3, 'colour')").isUndefined());
    EXPECT_EQ(run("printed.length").toInt32(), 0);
    EXPECT_FALSE(printScriptWarning(nullptr, 3, "x").isValid());
}

TEST_F(Helpers, FontsAndPropertyAssignmentAsOneTable)
{
    QFont base("Sans");
    base.setPointSize(12);
    base.setWeight(QFont::Normal);
    struct FontCase {
        const char* source;
        QString family;
        int size;
        int weight;
        bool italic;
        bool underline;
    };
    const FontCase fonts[] = {
        {"({family: 'Serif'})", "Serif", 12, QFont::Normal, false, false},
        {"({size: 20})", "Sans", 20, QFont::Normal, false, false},
        {"({size: 20.7})", "Sans", 20, QFont::Normal, false, false},
        {"({size: '20'})", "Sans", 12, QFont::Normal, false, false},
        {"({bold: true})", "Sans", 12, QFont::Bold, false, false},
        {"({bold: 1})", "Sans", 12, QFont::Normal, false, false},
        {"({italic: true, underline: true})", "Sans", 12, QFont::Normal, true, true},
        {"({italic: 'yes', underline: 0, family: 3})", "Sans", 12, QFont::Normal, false, false},
        {"Object.create({family: 'Mono', bold: true})", "Mono", 12, QFont::Bold, false, false},
        {"'Serif'", "Sans", 12, QFont::Normal, false, false},
        {"undefined", "Sans", 12, QFont::Normal, false, false},
        {"null", "Sans", 12, QFont::Normal, false, false},
    };
    for (const FontCase& c : fonts) {
        QFont font = base;
        fontFromScriptObject(run(c.source), font);
        EXPECT_EQ(font.family(), c.family) << c.source;
        EXPECT_EQ(font.pointSize(), c.size) << c.source;
        EXPECT_EQ(font.weight(), c.weight) << c.source;
        EXPECT_EQ(font.italic(), c.italic) << c.source;
        EXPECT_EQ(font.underline(), c.underline) << c.source;
    }
    QFont bold = base;
    bold.setWeight(QFont::Bold);
    fontFromScriptObject(run("({bold: false})"), bold);
    EXPECT_EQ(bold.weight(), QFont::Normal);

    struct AssignCase {
        const char* source;
        bool answer;
        int number;
        const char* text;
        bool flag;
        const char* objectName;
    };
    const AssignCase assigns[] = {
        {"({number: 5, text: 'a', flag: true})", true, 5, "a", true, "target"},
        {"({objectName: 'other', number: 3})", true, 3, "t", false, "target"},
        {"({fixed: 3, unknown: 4})", true, 1, "t", false, "target"},
        {"Object.create({number: 9})", true, 9, "t", false, "target"},
        {"({text: 12})", true, 1, "12", false, "target"},
        {"({})", true, 1, "t", false, "target"},
        {"5", false, 1, "t", false, "target"},
        {"'number'", false, 1, "t", false, "target"},
        {"undefined", false, 1, "t", false, "target"},
        {"null", false, 1, "t", false, "target"},
    };
    for (const AssignCase& c : assigns) {
        AssignTarget target;
        target.setObjectName("target");
        target.writes = 0;
        EXPECT_EQ(assignScriptProperties(run(c.source), &target, engine.get()), c.answer) << c.source;
        EXPECT_EQ(target.number(), c.number) << c.source;
        EXPECT_EQ(target.text(), c.text) << c.source;
        EXPECT_EQ(target.flag(), c.flag) << c.source;
        EXPECT_EQ(target.objectName(), c.objectName) << c.source;
        EXPECT_EQ(target.fixed(), 7) << c.source;
    }
    AssignTarget target;
    EXPECT_FALSE(assignScriptProperties(QScriptValue(), &target, engine.get()));
    EXPECT_FALSE(assignScriptProperties(run("({number: 5})"), nullptr, engine.get()));
    EXPECT_FALSE(assignScriptProperties(run("({number: 5})"), &target, nullptr));
    EXPECT_EQ(target.writes, 0);
    // Wrong types go through the engine's conversion, never a crash.
    EXPECT_TRUE(assignScriptProperties(run("({number: {a: 1}, text: [1, 2], flag: 'x'})"), &target, engine.get()));
}

TEST_F(Helpers, CalleeTypeName)
{
    QScriptValue f = engine->newFunction([](QScriptContext* context, QScriptEngine*) {
        return QScriptValue(scriptCalleeTypeName(context));
    });
    engine->globalObject().setProperty("f", f);
    EXPECT_EQ(run("f()").toString(), "");
    f.setProperty("typename", "MassItem");
    EXPECT_EQ(run("f()").toString(), "MassItem");
    EXPECT_EQ(scriptCalleeTypeName(nullptr), "");
}

