// What the shell's host-driven tests read back from the recording host's
// journal and undo stack (also the module test's, which links no plug-in
// code).
#pragma once

#include <QStringList>

#include <memory>

#include "recordinghost.h"

namespace shelltest {

// The history names of the commands done on the host since `from` (a
// count of done commands).
inline QStringList doneCommandNames(const lumatra::RecordingHost& host, int from)
{
    QStringList names;
    for (int i = from; i < host.doneCount(); ++i)
        names << QString::fromLatin1(host.commands().at(i)->name);
    return names;
}

// The journal lines of the host calls named (each "operation(").
inline QStringList journalLines(const lumatra::RecordingHost& host, const QStringList& operations)
{
    QStringList lines;
    for (const QString& line : host.journal())
        for (const QString& operation : operations)
            if (line.startsWith(operation + "(")) {
                lines << line;
                break;
            }
    return lines;
}

}  // namespace shelltest

