// fltpatch: the flight-model file editor.
//
//   fltpatch [--quit-after-load] [FILE.flt]
//
// Without FILE the file dialog opens at start, in the current folder.
// --quit-after-load closes the window as soon as the file is shown (for
// timing and scripts): status 0 when a file was loaded, 1 when none was.
#include "fltpatch/fltpatchwindow.h"

#include "common/qt/qtwindowhost.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <filesystem>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("fltpatch"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Edits the values of a flight-model file (.flt) in place.\n\n"
                                                    "Examples:\n"
                                                    "  fltpatch               the file dialog opens at start\n"
                                                    "  fltpatch Kestrel.flt   loads Kestrel.flt straight away"));
    parser.addPositionalArgument(QStringLiteral("FILE.flt"),
        QStringLiteral("The flight file to load; without it the file dialog opens."), QStringLiteral("[FILE.flt]"));
    const QCommandLineOption quitAfterLoad = kvl::qt::quitAfterLoadOption();
    parser.addOption(quitAfterLoad);
    if (const std::optional<int> status = kvl::qt::parseCommandLine(parser, QApplication::arguments()))
        return *status;
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return kvl::qt::usageError(QStringLiteral("one flight file at most, not %1").arg(files.size()));

    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::current_path(ec);
    kvl::fltpatch::FltPatchWindow window;
    window.show();
    window.startUp(folder, files.isEmpty() ? std::filesystem::path() : kvl::qt::toPath(files.constFirst()));
    if (parser.isSet(quitAfterLoad)) {
        // One turn of the event loop first, so the window is drawn.
        const int status = window.editor().loadedFile().empty() ? 1 : 0;
        QTimer::singleShot(0, &app, [status] { QCoreApplication::exit(status); });
    }
    return QApplication::exec();
}
