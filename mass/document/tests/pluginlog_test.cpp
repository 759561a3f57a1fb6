// The plug-in log: line format with and without location, threshold,
// categories, flushing, and the process-wide object the plug-in keeps.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QRegularExpression>

#include "tpluginlog.h"

namespace {

// The line without its tag, time and line end, or "" when the prefix is
// not "TAG yyyy-MM-ddTHH:mm:ss ".
QString afterTime(const QString& line, const QString& tag)
{
    static const QRegularExpression prefix(QStringLiteral("^([A-Z]{2}) \\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d (.*)\\n$"));
    const auto m = prefix.match(line);
    if (!m.hasMatch() || m.captured(1) != tag)
        return QStringLiteral("<no match: ") + line + '>';
    return m.captured(2);
}

}  // namespace

TEST(PluginLog, LinesWithAndWithoutLocation)
{
    struct Case {
        int level;
        const char* tag;
        int category;
        const char* message;
        const char* file;
        const char* function;
        int line;
        const char* rest;
    };
    const QList<Case> cases = {
        {1, "WW", 1, "open failed", "reader", nullptr, 42, "[Mass] >> open failed @{reader:42}"},
        {-1, "MM", 0, "plain", nullptr, nullptr, -1, "[Host] >> plain "},
        {0, "EE", 1, "all", "a.cpp", "load", 7, "[Mass] >> all @{a.cpp:load:7}"},
        {2, "II", 1, "function only", nullptr, "run", -1, "[Mass] >> function only @{run}"},
        {3, "DD", 1, "line 0", nullptr, nullptr, 0, "[Mass] >> line 0 @{0}"},
        // A category outside the list counts as the first.
        {2, "II", 7, "far", nullptr, nullptr, -1, "[Host] >> far "},
        {2, "II", -3, "below", nullptr, nullptr, -1, "[Host] >> below "},
        // Levels outside the table take the tag of the nearest level.
        {-5, "MM", 1, "low", nullptr, nullptr, -1, "[Mass] >> low "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        QString text;
        TPluginLog log(&text);
        log.setThreshold(10);
        EXPECT_EQ(log.category(QStringLiteral("Host")), 0);
        EXPECT_EQ(log.category(QStringLiteral("Mass")), 1);
        log.write(c.category, c.level, QString::fromLatin1(c.message), QString::fromLatin1(c.file),
                  QString::fromLatin1(c.function), c.line);
        EXPECT_EQ(afterTime(text, QString::fromLatin1(c.tag)), QString::fromLatin1(c.rest));
    }
}

TEST(PluginLog, ThresholdCategoriesAndFlushing)
{
    QString text;
    TPluginLog log(&text);
    log.setThreshold(0);
    log.write(0, 0, QStringLiteral("error at the threshold"));
    EXPECT_TRUE(text.isEmpty());
    log.write(0, -1, QStringLiteral("message"));
    EXPECT_EQ(afterTime(text, QStringLiteral("MM")), QStringLiteral("[] >> message ")) << "no category at all";

    EXPECT_EQ(log.category(QStringLiteral("A")), 0);
    EXPECT_EQ(log.category(QStringLiteral("B")), 1);
    EXPECT_EQ(log.category(QStringLiteral("A")), 0);
    EXPECT_EQ(log.categories(), QStringList({"A", "B"}));

    QBuffer device;
    device.open(QIODevice::WriteOnly);
    TPluginLog buffered(&device);
    buffered.setFlushEachLine(false);
    buffered.write(0, -1, QStringLiteral("held"));
    EXPECT_TRUE(device.data().isEmpty());
    buffered.setFlushEachLine(true);
    buffered.write(0, -1, QStringLiteral("both"));
    EXPECT_EQ(device.data().count('\n'), 2);
}

TEST(PluginLog, ProcessKeepsTheFirstLogObject)
{
    // Nothing else in this program gives a log object.
    ASSERT_EQ(TPluginLog::instance(), nullptr);
    EXPECT_EQ(TPluginLog::registerCategory(QStringLiteral("Mass")), 0) << "no object: the last index, 0 at first";
    TPluginLog::log(0, QStringLiteral("nowhere"));

    static QString firstText, secondText;
    static TPluginLog first(&firstText), second(&secondText);
    first.category(QStringLiteral("Host"));
    EXPECT_EQ(TPluginLog::setInstance(&first), &first);
    EXPECT_EQ(TPluginLog::setInstance(&second), &first) << "a second object changes nothing";
    EXPECT_EQ(TPluginLog::instance(), &first);

    const int mass = TPluginLog::registerCategory(QStringLiteral("Mass"));
    EXPECT_EQ(mass, 1);
    EXPECT_EQ(TPluginLog::registerCategory(QStringLiteral("Mass")), 1);
    EXPECT_EQ(TPluginLog::registerCategory(QStringLiteral("Other")), 2);
    TPluginLog::log(mass, QStringLiteral("Mass 1.0 id:{x} has been registered"));
    EXPECT_EQ(afterTime(firstText, QStringLiteral("MM")),
              QStringLiteral("[Mass] >> Mass 1.0 id:{x} has been registered "));
    EXPECT_TRUE(secondText.isEmpty());
}
