// planesedit: edits one aircraft record of planes.dat in the current folder.
//   planesedit [--slot N] [--quit-after-load]
// --slot N chooses aircraft N (0..29) at start; --quit-after-load ends the
// program once the window is shown with that aircraft (for timing runs).
#include "planesedit/planeseditwindow.h"

#include "common/qt/qtwindowhost.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <filesystem>
#include <system_error>

int main(int argc, char** argv)
{
    using namespace kvl::planesedit;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("planesedit"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Edits one aircraft record of planes.dat in the current folder.\n\nExample: planesedit --slot 6"));
    parser.addOption(QCommandLineOption(
        QStringLiteral("slot"), QStringLiteral("Choose aircraft N (0..29) at start."), QStringLiteral("N")));
    const QCommandLineOption quitAfterLoad = kvl::qt::quitAfterLoadOption();
    parser.addOption(quitAfterLoad);
    if (const auto status = kvl::qt::parseCommandLine(parser, QApplication::arguments()))
        return *status;
    std::optional<int> status;
    const std::optional<int> slot = kvl::qt::intOption(parser, QStringLiteral("slot"), 0, kSlotCount - 1, status);
    if (status)
        return *status;

    std::error_code ec;
    auto folder = std::filesystem::current_path(ec);
    if (ec)
        folder = ".";
    PlanesEditWindow window(folder);
    window.resize(1560, 960);
    window.show();
    const bool loaded = !slot || window.chooseAircraft(*slot);
    if (parser.isSet(quitAfterLoad)) {
        QTimer::singleShot(0, &app, [loaded] {
            QApplication::processEvents();
            QApplication::exit(loaded ? 0 : 1);
        });
    }
    return QApplication::exec();
}
