// folioswap: copies one campaign set at a time from this program's folder
// into the game folder, its parent. Started with its folder as the current
// directory it works there; started anywhere else (a desktop entry starts it
// in the home folder) it uses the folder chosen last time, or asks for one
// with a folder dialog and remembers the choice.
// The command line is described in folioswapoptions.h.
//
// --quit-after-load ends the program once the start-up listing is shown:
// status 0, or 1 when start-up ended in a problem report. --list and
// --add-set run without a window (no display needed) in the program folder
// (the current one, else the one chosen last time): status 0, 1 when
// refused or failed, 2 on a usage error.
#include "folioswap/folioswapoptions.h"
#include "folioswap/folioswapwindow.h"

#include "common/platform.h"
#include "common/qt/profilefolder.h"
#include "common/qt/qtwindowhost.h"
#include "folioswap/programfolder.h"
#include "folioswap/setcommandline.h"

#include <QApplication>
#include <QCommandLineParser>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

// The modes without a window start no GUI, so they run where there is no display.
bool wantsWindow(int argc, char** argv)
{
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    return !kvl::cli::leavesMode(kvl::folioswap::kCommandLine, kvl::folioswap::kWindowMode, arguments);
}

// The program folder of a mode without a window: the current folder, else
// the one chosen last time; never a dialog.
std::optional<std::filesystem::path> scriptFolder(
    const std::filesystem::path& here, const std::filesystem::path& remembered)
{
    if (kvl::folioswap::isProgramFolder(here))
        return here;
    if (!remembered.empty() && kvl::folioswap::isProgramFolder(remembered))
        return remembered;
    std::cerr << "folioswap: " << kvl::platform::utf8FromPath(here)
              << " is not the Borvex folder (it holds no Workfiles folder) and none was chosen before; run it there\n";
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv)
{
    const bool withWindow = wantsWindow(argc, argv);
    std::unique_ptr<QCoreApplication> app = withWindow ? std::make_unique<QApplication>(argc, argv)
                                                       : std::make_unique<QCoreApplication>(argc, argv);
    const kvl::qt::Profile profile = kvl::qt::Profile::ofSuite(QStringLiteral("folioswap"));
    profile.nameApplication();

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Switches sets of campaign files in and out of the game folder.\n"
                       "Start it with its own folder (the one holding the CAM<name> set folders,\n"
                       "Workfiles, ReadMe and QEXRestoreFiles) as the current directory; the game\n"
                       "folder is that folder's parent. Started anywhere else (as from the\n"
                       "desktop menu), it uses the folder chosen last time or asks for it.\n\n"
                       "Examples:\n"
                       "  cd \"KORVAL/Borvex\" && folioswap           the window\n"
                       "  folioswap --list                            the sets, one a line, and their files\n"
                       "  folioswap --add-set Malta.zip --dry-run     what the archive would become\n"
                       "  folioswap --add-set Malta.zip --name Malta  adds it as the set \"Malta\""));
    kvl::qt::addOptions(parser, kvl::folioswap::kCommandLine);
    const QString quitAfterLoad = QStringLiteral("quit-after-load");
    const QString list = QStringLiteral("list");
    const QString addSet = QStringLiteral("add-set");
    const QString name = QStringLiteral("name");
    const QString dryRun = QStringLiteral("dry-run");
    if (auto status = kvl::qt::parseCommandLine(parser, QCoreApplication::arguments()))
        return *status;
    if (!parser.positionalArguments().isEmpty())
        return kvl::qt::usageError(
            QStringLiteral("takes no file names, only options: '%1'").arg(parser.positionalArguments().constFirst()));
    if ((parser.isSet(name) || parser.isSet(dryRun)) && !parser.isSet(addSet))
        return kvl::qt::usageError(QStringLiteral("--%1 goes with --add-set only")
                                       .arg(parser.isSet(name) ? QStringLiteral("name") : QStringLiteral("dry-run")));
    if (parser.isSet(addSet) && parser.isSet(list))
        return kvl::qt::usageError(QStringLiteral("--add-set and --list cannot be given together"));
    if (!withWindow && parser.isSet(quitAfterLoad))
        return kvl::qt::usageError(QStringLiteral("--quit-after-load needs the window, not --%1")
                                       .arg(parser.isSet(list) ? QStringLiteral("list") : QStringLiteral("add-set")));

    std::error_code ec;
    const std::filesystem::path here = std::filesystem::current_path(ec);
    const QString key = QStringLiteral("SwitcherFolder");
    if (!withWindow) {
        kvl::platform::binaryStandardOutput();
        const std::optional<std::filesystem::path> main = scriptFolder(here, profile.folder(key));
        if (!main)
            return 1;
        if (parser.isSet(list))
            return kvl::folioswap::listCommand(*main, std::cout, std::cerr);
        std::optional<std::string> setName;
        if (parser.isSet(name))
            setName = parser.value(name).toStdString();
        return kvl::folioswap::addSetCommand(
            *main, kvl::qt::toPath(parser.value(addSet)), setName, parser.isSet(dryRun), std::cout, std::cerr);
    }

    kvl::folioswap::FolioSwapWindow window;
    kvl::qt::DialogHost dialogs(&window);
    const std::optional<std::filesystem::path> folder = profile.workFolder(key, here,
        [&](const std::filesystem::path& kept) { return kvl::folioswap::findProgramFolder(dialogs, here, kept); });
    if (!folder)
        return 0; // the folder dialog was cancelled
    if (!window.start(*folder))
        return 1;
    window.setWindowTitle(kvl::qt::titleNamingFolder(window.windowTitle(), *folder, here));
    window.show();
    window.centreOnScreen();
    if (parser.isSet(quitAfterLoad)) {
        QCoreApplication::processEvents();
        return 0;
    }
    return QCoreApplication::exec();
}
