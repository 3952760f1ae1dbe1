// planesedit: edits one aircraft record of planes.dat in the current folder.
// The command line is described in planeseditoptions.h.
// --slot N chooses aircraft N (0..29) at start; --quit-after-load ends the
// program once the window is shown with that aircraft (for timing runs).
// The two CSV modes run without a window: the export goes to standard
// output, the import is checked whole before the slot is written in place.
#include "common/platform.h"
#include "common/qt/profilefolder.h"
#include "common/textdecode.h"
#include "common/workfolder.h"
#include "planesedit/planeseditoptions.h"
#include "planesedit/planeseditwindow.h"
#include "planesedit/slotcsv.h"

#include "common/fileimage.h"
#include "common/qt/qtwindowhost.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

using namespace kvl::planesedit;

// The CSV modes need no display, so they must not start the window system.
bool wantsCsvMode(int argc, char** argv)
{
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    return kvl::cli::leavesMode(kCommandLine, kWindowMode, arguments);
}

int refuse(const std::string& message)
{
    std::fprintf(stderr, "planesedit: %s\n", message.c_str());
    return 1;
}

int runCsvMode(const QCommandLineParser& parser, int slot, const std::filesystem::path& planesFile)
{
    if (parser.isSet(QStringLiteral("export-csv"))) {
        auto csv = exportSlotCsv(planesFile, slot);
        if (!csv)
            return refuse(csv.error().message);
        std::fwrite(csv->data(), 1, csv->size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : refuse("standard output could not be written");
    }
    const QString valuesName = parser.value(QStringLiteral("import-csv"));
    std::string text;
    if (valuesName == QStringLiteral("-")) {
        char buffer[4096];
        while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, stdin))
            text.append(buffer, n);
    } else {
        auto image = kvl::readFileImage(kvl::qt::toPath(valuesName));
        if (!image)
            return refuse(image.error().message);
        text.assign(image->begin(), image->end());
    }
    auto changed = importSlotCsv(planesFile, slot, text);
    if (!changed)
        return refuse(valuesName.toStdString() + ", " + changed.error().message + "; nothing was written");
    std::fprintf(stderr, "planesedit: slot %d of %s: %d byte(s) changed\n", slot,
        kvl::platform::utf8FromPath(planesFile).c_str(), *changed);
    return 0;
}

} // namespace

namespace {

// A game folder for the editor is one that holds planes.dat (in any case).
kvl::WorkFolderRule gameFolderRule()
{
    kvl::WorkFolderRule rule;
    rule.accepts = [](const std::filesystem::path& folder) {
        std::error_code ec;
        return std::filesystem::is_regular_file(kvl::findFileNoCase(folder, kvl::planesedit::kPlanesFile), ec);
    };
    rule.dialogCaption = "Choose the game folder (the one holding planes.dat)";
    rule.dialogName = "GameFolderDialog";
    rule.messageTitle = "planesedit";
    rule.refusal = [](const std::filesystem::path& chosen) {
        return kvl::decodeText(
            "\"" + kvl::platform::utf8FromPath(chosen) + "\" holds no planes.dat. Choose the game folder.");
    };
    return rule;
}

// The window's frames are group boxes. The default style draws a group box
// frame from one small PNG among Qt's own resources, and Qt's image reader,
// before it falls back on its built-in PNG reader, asks every image-format
// plugin whether it reads the file: a dozen plugins and their libraries are
// loaded, a third of the window's memory beyond a bare table's, for nothing.
// Read once here with the plugin folders out of sight, the picture waits in
// Qt's pixmap cache for the first paint; the folders are back at once, for
// whatever else needs a plugin later.
void readFramePictureWithoutPlugins()
{
    const QString frame = QStringLiteral(":/qt-project.org/styles/commonstyle/images/fusion_groupbox.png");
    if (!QFile::exists(frame))
        return;
    const QStringList folders = QCoreApplication::libraryPaths();
    QCoreApplication::setLibraryPaths({});
    const QPixmap picture(frame);
    QCoreApplication::setLibraryPaths(folders);
}

} // namespace

int main(int argc, char** argv)
{
    const bool csvMode = wantsCsvMode(argc, argv);
    std::unique_ptr<QCoreApplication> app;
    if (csvMode)
        app = std::make_unique<QCoreApplication>(argc, argv);
    else
        app = std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("planesedit"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Edits one aircraft record of planes.dat in the current folder.\n\n"
                                                    "Examples:\n"
                                                    "  planesedit --slot 6\n"
                                                    "  planesedit --export-csv --slot 6 > p51d.csv\n"
                                                    "  planesedit --import-csv p51d.csv --slot 6 planes.dat"));
    kvl::qt::addOptions(parser, kCommandLine);
    if (const auto status = kvl::qt::parseCommandLine(parser, QCoreApplication::arguments()))
        return *status;
    std::optional<int> status;
    const std::optional<int> slot = kvl::qt::intOption(parser, QStringLiteral("slot"), 0, kSlotCount - 1, status);
    if (status)
        return *status;

    std::error_code ec;
    auto folder = std::filesystem::current_path(ec);
    if (ec)
        folder = ".";
    const QStringList files = parser.positionalArguments();
    if (csvMode) {
        if (parser.isSet(QStringLiteral("export-csv")) && parser.isSet(QStringLiteral("import-csv")))
            return kvl::qt::usageError(QStringLiteral("--export-csv and --import-csv cannot be given together"));
        if (!slot)
            return kvl::qt::usageError(QStringLiteral("--export-csv and --import-csv need --slot N"));
        if (files.size() > 1)
            return kvl::qt::usageError(QStringLiteral("only one PLANES.DAT may be named"));
        const auto planesFile = files.isEmpty() ? kvl::findFileNoCase(folder, kPlanesFile) : kvl::qt::toPath(files[0]);
        return runCsvMode(parser, *slot, planesFile);
    }
    if (!files.isEmpty())
        return kvl::qt::usageError(
            QStringLiteral("PLANES.DAT is named only with --export-csv or --import-csv; the window edits planes.dat "
                           "in the current folder"));

    // Started from a desktop entry the current folder is the home folder:
    // work in the game folder chosen last time, or ask for one.
    kvl::qt::DialogHost dialogs;
    const QString organisation = QString::fromLatin1(kvl::qt::kSuiteOrganisation);
    const QString key = QStringLiteral("GameFolder");
    const std::filesystem::path remembered = kvl::qt::rememberedFolder(organisation, QStringLiteral("planesedit"), key);
    const std::optional<std::filesystem::path> gameFolder = kvl::findWorkFolder(
        dialogs, folder, remembered, gameFolderRule());
    if (!gameFolder)
        return 0; // the folder dialog was cancelled
    if (*gameFolder != folder) {
        if (*gameFolder != remembered)
            kvl::qt::rememberFolder(organisation, QStringLiteral("planesedit"), key, *gameFolder);
        std::filesystem::current_path(*gameFolder, ec);
        folder = *gameFolder;
    }

    readFramePictureWithoutPlugins();
    PlanesEditWindow window(folder);
    // The form's own size, made to fit the screen's free area; the window
    // scrolls what does not fit.
    QSize size(1560, 960);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() - QSize(16, 40));
    window.resize(size);
    window.show();
    const bool loaded = !slot || window.chooseAircraft(*slot);
    if (parser.isSet(QStringLiteral("quit-after-load"))) {
        QTimer::singleShot(0, app.get(), [loaded] {
            QApplication::processEvents();
            QApplication::exit(loaded ? 0 : 1);
        });
    }
    return QCoreApplication::exec();
}
