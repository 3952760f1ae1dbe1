// fltpatch: the flight-model file editor. Its command line is described in
// fltpatchoptions.h.
//
// Without FILE the file dialog opens at start, in the current folder.
// --quit-after-load closes the window as soon as the file is shown (for
// timing and scripts): status 0 when a file was loaded, 1 when none was.
// --export-csv and --import-csv run without a window (no display needed):
// status 0 on success, 1 when refused, 2 on a usage error. --diff, also
// without a window: 0 the same values, 1 they differ, 2 a usage error or a
// file that cannot be loaded.
#include "fltpatch/fltcommandline.h"
#include "fltpatch/fltpatchoptions.h"
#include "fltpatch/fltpatchwindow.h"

#include "common/qt/profilefolder.h"
#include "common/qt/qtwindowhost.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <filesystem>
#include <iostream>
#include <memory>
#include <string_view>
#include <vector>

namespace {

// The modes without a window start no GUI, so they run where there is no display.
bool wantsWindow(int argc, char** argv)
{
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    return !kvl::cli::leavesMode(kvl::fltpatch::kCommandLine, kvl::fltpatch::kWindowMode, arguments);
}

} // namespace

int main(int argc, char** argv)
{
    const bool window = wantsWindow(argc, argv);
    std::unique_ptr<QCoreApplication> app = window ? std::make_unique<QApplication>(argc, argv)
                                                   : std::make_unique<QCoreApplication>(argc, argv);
    kvl::qt::Profile::ofSuite(QStringLiteral("fltpatch")).nameApplication();

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Edits the values of a flight-model file (.flt) in place.\n\n"
                       "Examples:\n"
                       "  fltpatch                                  the file dialog opens at start\n"
                       "  fltpatch Kestrel.flt                      loads Kestrel.flt straight away\n"
                       "  fltpatch --export-csv Kestrel.flt > k.csv  the 328 values as CSV, no window\n"
                       "  fltpatch --import-csv k.csv Kestrel.flt    writes the values of k.csv, no window\n"
                       "  fltpatch --diff Kestrel.flt Harrow.flt     the values that differ, no window"));
    kvl::qt::addOptions(parser, kvl::fltpatch::kCommandLine);
    const QString quitAfterLoad = QStringLiteral("quit-after-load");
    const QString exportCsv = QStringLiteral("export-csv");
    const QString importCsv = QStringLiteral("import-csv");
    const QString diff = QStringLiteral("diff");
    const QString json = QStringLiteral("json");
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
