// planesedit: edits one aircraft record of planes.dat in the current folder.
// The command line is described in planeseditoptions.h.
// --slot N chooses aircraft N (0..29) at start; --quit-after-load ends the
// program once the window is shown with that aircraft (for timing runs).
// The CSV and apply modes run without a window: the export goes to standard
// output; an import, script or working copy is checked whole before the
// slot is written in place, and -n lists what would change instead.
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

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

using namespace kvl::planesedit;

// The modes without a window, in the order a usage error names them.
constexpr std::array<const char*, 4> kFileModes = { "export-csv", "import-csv", "apply-script", "apply-working-copy" };

// The file modes need no display, so they must not start the window system
// (nor must their usage errors).
bool wantsFileMode(int argc, char** argv)
{
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    return kvl::cli::leavesMode(kCommandLine, kWindowMode, arguments);
}

int refuse(const std::string& message)
{
    std::fprintf(stderr, "planesedit: %s\n", message.c_str());
    return 1;
}

// A whole file, or standard input for "-". A working copy or script
// (`valuesFile`) larger than any can be is refused unread, and standard input
// is read no further.
kvl::Result<std::vector<std::uint8_t>> readInput(const QString& name, bool valuesFile = false)
{
    if (name != QStringLiteral("-"))
        return valuesFile ? readValuesFileImage(kvl::qt::toPath(name)) : kvl::readFileImage(kvl::qt::toPath(name));
    const std::size_t limit = valuesFile ? kValuesFileMaxBytes : 0;
    std::vector<std::uint8_t> bytes;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, stdin)) {
        bytes.insert(bytes.end(), buffer, buffer + n);
        if (limit && bytes.size() > limit)
            return kvl::Error { "standard input holds more than " + std::to_string(limit)
                + " bytes, far more than a working copy or script (under 2 KB): it is neither" };
    }
    return bytes;
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
    const auto image = readInput(valuesName);
    if (!image)
        return refuse(image.error().message);
    const std::string_view text(reinterpret_cast<const char*>(image->data()), image->size());
    auto changed = importSlotCsv(planesFile, slot, text);
    if (!changed)
        return refuse(valuesName.toStdString() + ", " + changed.error().message + "; nothing was written");
    std::fprintf(stderr, "planesedit: slot %d of %s: %d byte(s) changed\n", slot,
        kvl::platform::utf8FromPath(planesFile).c_str(), *changed);
    return 0;
}

// --apply-script and --apply-working-copy: the file is checked whole, then
// its values go into the slot in place; -n lists the changes on standard
// output and writes nothing.
int runApplyMode(ValuesFileKind kind, const QString& name, std::optional<int> slotOption,
    const std::filesystem::path& planesFile, bool dryRun)
{
    const std::string shownName = name == QStringLiteral("-") ? std::string("standard input") : name.toStdString();
    const auto text = readInput(name, true);
    if (!text)
        return refuse(text.error().message + "; nothing was written");
    const auto file = readValuesFile(kind, kvl::ByteView(*text), shownName);
    if (!file)
        return refuse(file.error().message + "; nothing was written");
    if (kind == ValuesFileKind::Script)
        std::fprintf(stderr, "planesedit: %s: script \"%s\", destination slot %s\n", shownName.c_str(),
            file->name.c_str(), file->destination ? std::to_string(*file->destination).c_str() : "none");
    const auto slot = commandLineSlot(*file, slotOption, shownName);
    if (!slot)
        return refuse(slot.error().message + "; nothing was written");
    const auto changes = applyValuesToSlot(planesFile, *slot, *file, dryRun);
    if (!changes)
        return refuse(changes.error().message + "; nothing was written");
    const std::string where = "slot " + std::to_string(*slot) + " (" + kSlotNames[static_cast<std::size_t>(*slot)]
        + ") of " + kvl::platform::utf8FromPath(planesFile);
    if (dryRun) {
        std::string listing;
        for (const kvl::FieldDifference& change : *changes)
            listing += changeLine(change) + "\n";
        std::fwrite(listing.data(), 1, listing.size(), stdout);
        if (std::fflush(stdout) != 0)
            return refuse("standard output could not be written");
        std::fprintf(stderr, "planesedit: %s: %zu byte(s) would change; nothing was written (dry run)\n", where.c_str(),
            changes->size());
    } else {
        std::fprintf(stderr, "planesedit: %s: %zu byte(s) changed\n", where.c_str(), changes->size());
    }
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
    const bool fileMode = wantsFileMode(argc, argv);
    std::unique_ptr<QCoreApplication> app;
    if (fileMode)
        app = std::make_unique<QCoreApplication>(argc, argv);
    else
        app = std::make_unique<QApplication>(argc, argv);
    const kvl::qt::Profile profile = kvl::qt::Profile::ofSuite(QStringLiteral("planesedit"));
    profile.nameApplication();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Edits one aircraft record of planes.dat in the current folder.\n\n"
                                                    "Examples:\n"
                                                    "  planesedit --slot 6\n"
                                                    "  planesedit --export-csv --slot 6 > p51d.csv\n"
                                                    "  planesedit --import-csv p51d.csv --slot 6 planes.dat\n"
                                                    "  planesedit --apply-script P-/He-111.oaw -n\n"
                                                    "  planesedit --apply-working-copy \" 5.oaw\" --slot 5"));
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
    if (fileMode) {
        QStringList modes;
        for (const char* mode : kFileModes)
            if (parser.isSet(QString::fromLatin1(mode)))
                modes << QStringLiteral("--") + QString::fromLatin1(mode);
        if (modes.size() > 1)
            return kvl::qt::usageError(
                modes[0] + QStringLiteral(" and ") + modes[1] + QStringLiteral(" cannot be given together"));
        const bool dryRun = parser.isSet(QStringLiteral("dry-run"));
        const bool applyScript = parser.isSet(QStringLiteral("apply-script"));
        const bool applyWorkingCopy = parser.isSet(QStringLiteral("apply-working-copy"));
        if (dryRun && !applyScript && !applyWorkingCopy)
            return kvl::qt::usageError(QStringLiteral("--dry-run goes with --apply-script or --apply-working-copy"));
        if (!slot && !applyScript)
            return kvl::qt::usageError(applyWorkingCopy
                    ? QStringLiteral("--apply-working-copy needs --slot N")
                    : QStringLiteral("--export-csv and --import-csv need --slot N"));
        if (files.size() > 1)
            return kvl::qt::usageError(QStringLiteral("only one PLANES.DAT may be named"));
        const auto planesFile = files.isEmpty() ? kvl::findFileNoCase(folder, kPlanesFile) : kvl::qt::toPath(files[0]);
        if (applyScript || applyWorkingCopy) {
            const ValuesFileKind kind = applyScript ? ValuesFileKind::Script : ValuesFileKind::WorkingCopy;
            return runApplyMode(kind,
                parser.value(applyScript ? QStringLiteral("apply-script") : QStringLiteral("apply-working-copy")), slot,
                planesFile, dryRun);
        }
        return runCsvMode(parser, *slot, planesFile);
    }
    if (!files.isEmpty())
        return kvl::qt::usageError(
            QStringLiteral("PLANES.DAT is named only with --export-csv, --import-csv, --apply-script or "
                           "--apply-working-copy; the window edits planes.dat in the current folder"));

    // Started from a desktop entry the current folder is the home folder:
    // work in the game folder chosen last time, or ask for one.
    kvl::qt::DialogHost dialogs;
    const std::filesystem::path startedIn = folder;
    const std::optional<std::filesystem::path> gameFolder = profile.workFolder(
        QStringLiteral("GameFolder"), folder, [&](const std::filesystem::path& kept) {
            return kvl::findWorkFolder(dialogs, folder, kept, gameFolderRule());
        });
    if (!gameFolder)
        return 0; // the folder dialog was cancelled
    folder = *gameFolder;

    readFramePictureWithoutPlugins();
    PlanesEditWindow window(folder);
    window.setWindowTitle(kvl::qt::titleNamingFolder(window.windowTitle(), folder, startedIn));
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
