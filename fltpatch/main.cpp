// fltpatch: the flight-model file editor.
//
//   fltpatch [--quit-after-load] [FILE.flt]
//   fltpatch --export-csv FILE.flt
//   fltpatch --import-csv VALUES.csv FILE.flt
//   fltpatch --diff A.flt B.flt [--json]
//
// Without FILE the file dialog opens at start, in the current folder.
// --quit-after-load closes the window as soon as the file is shown (for
// timing and scripts): status 0 when a file was loaded, 1 when none was.
// --export-csv and --import-csv run without a window (no display needed):
// status 0 on success, 1 when refused, 2 on a usage error. --diff, also
// without a window: 0 the same values, 1 they differ, 2 a usage error or a
// file that cannot be loaded.
#include "fltpatch/fltcommandline.h"
#include "fltpatch/fltpatchwindow.h"

#include "common/qt/qtwindowhost.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>

namespace {

// The modes without a window start no GUI, so they run where there is no display.
bool wantsWindow(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            break;
        for (const char* option : { "--export-csv", "--import-csv", "--diff", "--json" })
            if (std::strncmp(argv[i], option, std::strlen(option)) == 0)
                return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const bool window = wantsWindow(argc, argv);
    std::unique_ptr<QCoreApplication> app = window ? std::make_unique<QApplication>(argc, argv)
                                                   : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("fltpatch"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Edits the values of a flight-model file (.flt) in place.\n\n"
                       "Examples:\n"
                       "  fltpatch                                  the file dialog opens at start\n"
                       "  fltpatch Kestrel.flt                      loads Kestrel.flt straight away\n"
                       "  fltpatch --export-csv Kestrel.flt > k.csv  the 328 values as CSV, no window\n"
                       "  fltpatch --import-csv k.csv Kestrel.flt    writes the values of k.csv, no window\n"
                       "  fltpatch --diff Kestrel.flt Harrow.flt     the values that differ, no window"));
    parser.addPositionalArgument(QStringLiteral("FILE.flt"),
        QStringLiteral("The flight file to load; without it the file dialog opens."), QStringLiteral("[FILE.flt]"));
    const QCommandLineOption quitAfterLoad = kvl::qt::quitAfterLoadOption();
    parser.addOption(quitAfterLoad);
    const QCommandLineOption exportCsv(QStringLiteral("export-csv"),
        QStringLiteral("Print the values of FILE.flt as CSV (field,position,type,label,value) on standard output; "
                       "labels come from FDataDet.txt in the current folder."));
    const QCommandLineOption importCsv(QStringLiteral("import-csv"),
        QStringLiteral("Write the values of VALUES.csv (columns field and value, any subset of the fields) into "
                       "FILE.flt. The whole file is checked first: a bad row is reported and nothing is written."),
        QStringLiteral("VALUES.csv"));
    const QCommandLineOption diff(QStringLiteral("diff"),
        QStringLiteral("List every value of A.flt that differs from FILE.flt (the second file), one a line: field "
                       "number, type, label, both values; no window. Exit status 0 when none differs, 1 when any "
                       "does."),
        QStringLiteral("A.flt"));
    const QCommandLineOption json(
        QStringLiteral("json"), QStringLiteral("With --diff: the differences as one JSON document."));
    parser.addOption(exportCsv);
    parser.addOption(importCsv);
    parser.addOption(diff);
    parser.addOption(json);
    if (const std::optional<int> status = kvl::qt::parseCommandLine(parser, QCoreApplication::arguments()))
        return *status;
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return kvl::qt::usageError(QStringLiteral("one flight file at most, not %1").arg(files.size()));

    if (parser.isSet(json) && !parser.isSet(diff))
        return kvl::qt::usageError(QStringLiteral("--json goes with --diff only"));
    if (parser.isSet(diff)) {
        if (parser.isSet(exportCsv) || parser.isSet(importCsv) || parser.isSet(quitAfterLoad))
            return kvl::qt::usageError(QStringLiteral("--diff cannot be given with another mode"));
        if (files.isEmpty())
            return kvl::qt::usageError(QStringLiteral("--diff needs two flight files (--diff A.flt B.flt)"));
        std::error_code ec;
        return kvl::fltpatch::diffCommand(std::filesystem::current_path(ec), kvl::qt::toPath(parser.value(diff)),
            kvl::qt::toPath(files.constFirst()), parser.isSet(json), std::cout, std::cerr);
    }
    if (parser.isSet(exportCsv) || parser.isSet(importCsv)) {
        if (parser.isSet(exportCsv) && parser.isSet(importCsv))
            return kvl::qt::usageError(QStringLiteral("--export-csv and --import-csv cannot be given together"));
        if (parser.isSet(quitAfterLoad))
            return kvl::qt::usageError(
                QStringLiteral("--quit-after-load needs the window, not --%1")
                    .arg(parser.isSet(exportCsv) ? QStringLiteral("export-csv") : QStringLiteral("import-csv")));
        if (files.isEmpty())
            return kvl::qt::usageError(
                QStringLiteral("--%1 needs a flight file")
                    .arg(parser.isSet(exportCsv) ? QStringLiteral("export-csv") : QStringLiteral("import-csv")));
        const std::filesystem::path file = kvl::qt::toPath(files.constFirst());
        if (parser.isSet(exportCsv)) {
            std::error_code ec;
            return kvl::fltpatch::exportCsvCommand(std::filesystem::current_path(ec), file, std::cout, std::cerr);
        }
        return kvl::fltpatch::importCsvCommand(kvl::qt::toPath(parser.value(importCsv)), file, std::cout, std::cerr);
    }

    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::current_path(ec);
    kvl::fltpatch::FltPatchWindow mainWindow;
    mainWindow.show();
    mainWindow.startUp(folder, files.isEmpty() ? std::filesystem::path() : kvl::qt::toPath(files.constFirst()));
    if (parser.isSet(quitAfterLoad)) {
        // One turn of the event loop first, so the window is drawn.
        const int status = mainWindow.editor().loadedFile().empty() ? 1 : 0;
        QTimer::singleShot(0, app.get(), [status] { QCoreApplication::exit(status); });
    }
    return QCoreApplication::exec();
}
