// Helpers of the command tests: mass items over a generated run on the
// recording host's page (the item tests' fixture), a command that logs
// what runs, and plots set to known ranges.
#pragma once

#include <QFile>
#include <QStringList>

#include <string>

#include "itemtest.h"
#include "t1dmassplot.h"
#include "tbaseplot.h"
#include "tcommand.h"
#include "tplotaxis.h"

namespace cmdtest {

// A command that appends "<tag>.redo" / "<tag>.undo" to a shared log; with
// fail set its redo finds nothing to do.
class LogCommand : public TCommand {
public:
    LogCommand(QStringList& log, const QString& tag, bool fail = false, int* alive = nullptr)
        : TCommand("Log"), m_log(log), m_tag(tag), m_fail(fail), m_alive(alive)
    {
        if (m_alive)
            ++*m_alive;
    }
    ~LogCommand() override
    {
        if (m_alive)
            --*m_alive;
    }
    void doRedo() override
    {
        m_log << m_tag + ".redo";
        if (m_fail)
            flags |= NotApplied;
    }
    void doUndo() override { m_log << m_tag + ".undo"; }

private:
    QStringList& m_log;
    QString m_tag;
    bool m_fail;
    int* m_alive;
};

// The caffeine molfile of the core library's data.
inline std::wstring caffeineMolfile()
{
    QFile f(QStringLiteral(KS_SOURCE_DIR "/../../outside/tindrel/data/molfiles/caffeine.mol"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return QString::fromLatin1(f.readAll()).toStdWString();
}

struct Range {
    double from, to;
};
// Visible and full ranges of an axis.
inline Range visible(const TBasePlot* plot, int axis)
{
    return {plot->axis(axis).visibleFrom, plot->axis(axis).visibleTo};
}
inline Range full(const TBasePlot* plot, int axis)
{
    return {plot->axis(axis).fullFrom, plot->axis(axis).fullTo};
}
inline bool operator==(const Range& a, const Range& b)
{
    return a.from == b.from && a.to == b.to;
}
inline bool operator!=(const Range& a, const Range& b)
{
    return !(a == b);
}
inline std::ostream& operator<<(std::ostream& os, const Range& r)
{
    return os << r.from << ".." << r.to;
}

class CommandTest : public itemtest::ItemTest {
protected:
    // A mass item over the two-injection run: TIC (current) and spectrum.
    TCanvasMass* massItem()
    {
        TCanvasMass* item = import(writeCaseFile(("run" + std::to_string(++m_runs) + ".run").c_str(),
                                                 itemtest::kRunTwoInjections),
                                   itemtest::kRunProviderId);
        EXPECT_EQ(item->plotCount(), 2);
        return item;
    }
    // The current plot with full range 0 .. 1000 and visible 100 .. 200 on
    // axis 1, full and visible 0 .. 500 on axis 2, no cuts.
    static TBasePlot* setRanges(TCanvasMass* item)
    {
        TBasePlot* plot = item->currentPlot();
        plot->setFullRange(1, 0, 1000);
        plot->setFullRange(2, 0, 500);
        plot->restoreAllRanges(3);
        plot->fullZoomOut(3);
        plot->zoom(1, 100, 200);
        return plot;
    }
    int journalCount(const QString& line) const { return host.journal().count(line); }

private:
    int m_runs = 0;
};

}  // namespace cmdtest
