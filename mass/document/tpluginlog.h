// TPluginLog: the host's log object, into which the plug-in writes its log
// lines. The host owns the object; the plug-in keeps the first one it is
// given for the whole process (setInstance), registers its category under
// its own name and writes one text line per message. Host and plug-in
// compile the same class, so the layout and the line format are shared:
//
//   TAG yyyy-MM-ddTHH:mm:ss [Category] >> message @{file:function:line}
//
// (local time; the location and the separators of its absent parts left
// out; a space always follows the message). Tags by level: -1 "MM"
// message, 0 "EE" error, 1 "WW" warning, 2 "II" information, 3 "DD"
// debug. A line is written only when its level is below the threshold.
//
// Used on the host's thread only; nothing is locked.
#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

class QIODevice;

class TPluginLog {
public:
    enum Level { Message = -1, Error = 0, Warning = 1, Information = 2, Debug = 3 };

    // Lines go to the device, or to the text.
    explicit TPluginLog(QIODevice* device);
    explicit TPluginLog(QString* text);
    TPluginLog(const TPluginLog&) = delete;
    TPluginLog& operator=(const TPluginLog&) = delete;

    int threshold() const { return m_threshold; }
    void setThreshold(int level) { m_threshold = level; }
    bool flushesEachLine() const { return m_flush; }
    void setFlushEachLine(bool yes) { m_flush = yes; }
    const QStringList& categories() const { return m_categories; }
    // The index of the category, appended when absent.
    int category(const QString& name);

    // One line: a category index outside the list counts as 0, a level
    // outside -1 .. 3 takes the tag of the nearest level. File and
    // function may be empty, the line -1: then they are left out.
    void write(int category, int level, const QString& message, const QString& file = QString(),
               const QString& function = QString(), int line = -1);

    // Process-wide: keeps the first log object given and answers the kept
    // one (null until one is given).
    static TPluginLog* setInstance(TPluginLog* log);
    static TPluginLog* instance();
    // The category's index in the kept log object (appended when absent),
    // remembered and answered; without a kept object the last index
    // answered (0 at first).
    static int registerCategory(const QString& name);
    // Writes the message at level -1 without location through the kept
    // object; nothing without one.
    static void log(int category, const QString& message);

private:
    QTextStream m_stream;
    int m_threshold = 4;
    QStringList m_categories;
    bool m_flush = true;
};
