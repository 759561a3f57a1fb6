// The stored table settings as the application settings hold them. What
// reads must write a value that reads back into the same sets, and every
// column read formats a cell as the result tables do (decimals within the
// Setup dialog's range, whatever was stored).
#include <QByteArray>
#include <QGuiApplication>
#include <QVector>

#include <cstdlib>

#include <QTableWidgetItem>

#include "ttablesettings.h"
#include "ttablewidget.h"

// The application lives until the process ends (it is never deleted), and
// with it the platform plug-in's screen and fontconfig's font cache.
extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions()
{
    return "leak:libqoffscreen.so\nleak:libfontconfig.so\n";
}

namespace {

// Fonts need a GUI application, as in the plug-in: without one the
// default font is not one the font reader takes back.
QGuiApplication* application()
{
    static int argc = 1;
    static char name[] = "mass_tablesettings_fuzz";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }();
    return app;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    application();
    const QByteArray value(reinterpret_cast<const char*>(data), static_cast<int>(size));
    QVector<TTableSettings> sets;
    readTableSettings(value, sets);
    const QByteArray again = writeTableSettings(sets);
    QVector<TTableSettings> back;
    if (!readTableSettings(again, back) || back.size() != sets.size())
        std::abort();
    for (int i = 0; i < sets.size(); ++i) {
        if (back.at(i).columns.size() != sets.at(i).columns.size() ||
            back.at(i).columnNames() != sets.at(i).columnNames())
            std::abort();
    }
    if (writeTableSettings(back) != again)
        std::abort();
    for (const TTableSettings& set : sets)
        for (const TTableColumn& c : set.columns) {
            QTableWidgetItem cell;
            TTableWidgetItem::setNumber(&cell, -1234.5678, c.decimals);
            // "-1234." and at most 8 decimals.
            if (cell.text().size() > 6 + kMaxTableDecimals)
                std::abort();
        }
    return 0;
}
