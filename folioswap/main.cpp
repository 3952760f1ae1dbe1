// folioswap: copies one campaign set at a time from this program's folder
// into the game folder, its parent. Started with its folder as the current
// directory it works there; started anywhere else (a desktop entry starts it
// in the home folder) it uses the folder chosen last time, or asks for one
// with a folder dialog and remembers the choice.
// The command line is described in folioswapoptions.h.
//
// --quit-after-load ends the program once the start-up listing is shown:
// status 0, or 1 when start-up ended in a problem report.
#include "folioswap/folioswapoptions.h"
#include "folioswap/folioswapwindow.h"

#include "common/qt/profilefolder.h"
#include "common/qt/qtwindowhost.h"
#include "folioswap/programfolder.h"

#include <QApplication>
#include <QCommandLineParser>
#include <filesystem>
#include <optional>
#include <system_error>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("folioswap"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Switches sets of campaign files in and out of the game folder.\n"
                       "Start it with its own folder (the one holding the CAM<name> set folders,\n"
                       "Workfiles, ReadMe and QEXRestoreFiles) as the current directory; the game\n"
                       "folder is that folder's parent. Started anywhere else (as from the\n"
                       "desktop menu), it uses the folder chosen last time or asks for it.\n\n"
                       "Example:\n  cd \"KORVAL/Borvex\" && folioswap"));
    kvl::qt::addOptions(parser, kvl::folioswap::kCommandLine);
    if (auto status = kvl::qt::parseCommandLine(parser, QApplication::arguments()))
        return *status;
    if (!parser.positionalArguments().isEmpty())
        return kvl::qt::usageError(
            QStringLiteral("takes no file names, only options: '%1'").arg(parser.positionalArguments().constFirst()));

    kvl::folioswap::FolioSwapWindow window;
    std::error_code ec;
    const std::filesystem::path here = std::filesystem::current_path(ec);
    const QString organisation = QString::fromLatin1(kvl::qt::kSuiteOrganisation);
    const QString key = QStringLiteral("SwitcherFolder");
    const std::filesystem::path remembered = kvl::qt::rememberedFolder(organisation, QStringLiteral("folioswap"), key);
    kvl::qt::DialogHost dialogs(&window);
    const std::optional<std::filesystem::path> folder = kvl::folioswap::findProgramFolder(dialogs, here, remembered);
    if (!folder)
        return 0; // the folder dialog was cancelled
    if (*folder != here) {
        if (*folder != remembered)
            kvl::qt::rememberFolder(organisation, QStringLiteral("folioswap"), key, *folder);
        // Work there as if started there.
        std::filesystem::current_path(*folder, ec);
    }
    if (!window.start(*folder))
        return 1;
    window.show();
    window.centreOnScreen();
    if (parser.isSet(QStringLiteral("quit-after-load"))) {
        QApplication::processEvents();
        return 0;
    }
    return QApplication::exec();
}
