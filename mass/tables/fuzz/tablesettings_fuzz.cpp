// The stored table settings as the application settings hold them. What
// reads must write a value that reads back into the same sets.
#include <QByteArray>
#include <QVector>

#include <cstdlib>

#include "ttablesettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
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
    return 0;
}
