#include "tpluginlog.h"

#include <QDateTime>

#include <algorithm>

namespace {

TPluginLog* g_log = nullptr;
int g_category = 0;

const char* const kLevelTags[] = {"MM", "EE", "WW", "II", "DD"};

}  // namespace

TPluginLog::TPluginLog(QIODevice* device) : m_stream(device) {}

TPluginLog::TPluginLog(QString* text) : m_stream(text) {}

int TPluginLog::category(const QString& name)
{
    int index = m_categories.indexOf(name);
    if (index < 0) {
        m_categories.append(name);
        index = m_categories.size() - 1;
    }
    return index;
}

void TPluginLog::write(int category, int level, const QString& message, const QString& file,
                       const QString& function, int line)
{
    if (category < 0 || category >= m_categories.size())
        category = 0;
    if (level >= m_threshold)
        return;
    QStringList parts;
    if (!file.isEmpty())
        parts << file;
    if (!function.isEmpty())
        parts << function;
    if (line >= 0)
        parts << QString::number(line);
    const QString location = parts.isEmpty() ? QString() : QStringLiteral("@{") + parts.join(':') + '}';
    // Without any category the name is empty rather than read past the list.
    const QString name = m_categories.isEmpty() ? QString() : m_categories.at(category);
    const char* tag = kLevelTags[std::clamp(level, -1, 3) + 1];
    m_stream << tag << ' ' << QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"))
             << " [" << name << "] >> " << message << ' ' << location << '\n';
    if (m_flush)
        m_stream.flush();
}

TPluginLog* TPluginLog::setInstance(TPluginLog* log)
{
    if (!g_log)
        g_log = log;
    return g_log;
}

TPluginLog* TPluginLog::instance()
{
    return g_log;
}

int TPluginLog::registerCategory(const QString& name)
{
    if (g_log)
        g_category = g_log->category(name);
    return g_category;
}

void TPluginLog::log(int category, const QString& message)
{
    if (g_log)
        g_log->write(category, Message, message);
}
