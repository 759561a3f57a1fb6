// lumatra: the desktop host stand-in. Loads the mass plug-in (and the NMR
// library when present), runs the steps the command line asks for, in a
// fixed order (open, import, molecule, script, save, dump-state,
// screenshot), then shows the window, or ends with --quit.
//
// Exit status: 0, 1 when a step failed (each failure written to standard
// error with the file and the reason; the other steps still run), 2 for a
// bad command line.
#include "batchguard.h"
#include "document.h"
#include "hostwindow.h"

#include "ksdialogrunner.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>

#include <cstdio>
#include <memory>

namespace {

const char kUsage[] =
    "usage: lumatra [--plugin PATH] [--open DOCUMENT] [--import FILE]... [--molecule MOLFILE]...\n"
    "               [--script FILE]... [--save DOCUMENT] [--dump-state FILE] [--screenshot PNG] [--quit]\n";

struct Options {
    QString plugin;
    QString open;
    QStringList imports;
    QStringList molecules;
    QStringList scripts;
    QString save;
    QString dumpState;
    QString screenshot;
    bool quit = false;
};

// False with the reason for an unknown option or a missing value.
bool parseOptions(const QStringList& args, Options& o, QString& error)
{
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--quit")) {
            o.quit = true;
            continue;
        }
        static const QStringList withValue = {"--plugin", "--open", "--import", "--molecule", "--script",
                                              "--save", "--dump-state", "--screenshot"};
        if (!withValue.contains(a)) {
            error = QStringLiteral("unknown option %1").arg(a);
            return false;
        }
        if (i + 1 >= args.size() || args.at(i + 1).isEmpty() || args.at(i + 1).startsWith(QLatin1String("--"))) {
            error = QStringLiteral("%1 needs a value").arg(a);
            return false;
        }
        const QString v = args.at(++i);
        if (a == QLatin1String("--plugin"))
            o.plugin = v;
        else if (a == QLatin1String("--open"))
            o.open = v;
        else if (a == QLatin1String("--import"))
            o.imports << v;
        else if (a == QLatin1String("--molecule"))
            o.molecules << v;
        else if (a == QLatin1String("--script"))
            o.scripts << v;
        else if (a == QLatin1String("--save"))
            o.save = v;
        else if (a == QLatin1String("--dump-state"))
            o.dumpState = v;
        else
            o.screenshot = v;
    }
    return true;
}

void report(const QString& file, const QString& reason)
{
    std::fprintf(stderr, "lumatra: %s: %s\n", file.toLocal8Bit().constData(), reason.toLocal8Bit().constData());
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication::setOrganizationName(QStringLiteral("Kestrom"));
    QApplication::setApplicationName(QStringLiteral("Lumatra"));
    // Read before QApplication takes its own options out (it would take
    // --plugin as a generic plug-in of its own).
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);

    Options options;
    QString error;
    if (!parseOptions(arguments, options, error)) {
        std::fprintf(stderr, "lumatra: %s\n%s", error.toLocal8Bit().constData(), kUsage);
        return 2;
    }

    // A batch run never waits for a person: modal Qt dialogs and boxes are
    // closed as cancelled and reported; questions through the platform's
    // dialog service are cancelled by a runner without answers.
    std::unique_ptr<lumatra::BatchGuard> guard;
    ks::dialogs::ScriptedDialogRunner noAnswers;
    std::unique_ptr<ks::dialogs::ScopedDialogRunner> scopedRunner;
    if (options.quit) {
        guard = std::make_unique<lumatra::BatchGuard>();
        scopedRunner = std::make_unique<ks::dialogs::ScopedDialogRunner>(noAnswers);
    }

    bool failed = false;
    auto step = [&failed](bool ok, const QString& file, const QString& reason) {
        if (!ok) {
            report(file, reason);
            failed = true;
        }
    };

    int status = 0;
    {
        lumatra::LumatraWindow window;
        window.show();
        const QString libDir = QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/../lib")).absolutePath();
        const QString plugin = options.plugin.isEmpty() ? libDir + QStringLiteral("/Ionvale.so") : options.plugin;
        step(window.loadPlugin(plugin, error), plugin, error);
        window.loadNmrLibrary(libDir + QStringLiteral("/libYarbex.so"));

        if (!options.open.isEmpty())
            step(window.openDocument(options.open, error), options.open, error);
        for (const QString& f : options.imports)
            step(window.importFile(f, error), f, error);
        for (const QString& f : options.molecules)
            step(window.addMolecule(f, error), f, error);
        for (const QString& f : options.scripts)
            step(window.runScript(f, error), f, error);
        if (!options.save.isEmpty())
            step(window.saveDocument(options.save, error), options.save, QStringLiteral("not saved: ") + error);
        if (!options.dumpState.isEmpty()) {
            const QByteArray json = QJsonDocument(window.stateDump()).toJson(QJsonDocument::Indented);
            QString why;
            step(lumatra::writeFileAtomically(options.dumpState, json, why), options.dumpState,
                 QStringLiteral("state not written: ") + why);
        }
        if (!options.screenshot.isEmpty())
            step(window.saveScreenshot(options.screenshot, error), options.screenshot,
                 QStringLiteral("screenshot not written: ") + error);

        if (!options.quit)
            status = app.exec();
    }
    return failed ? 1 : status;
}
