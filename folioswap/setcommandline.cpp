// folioswap without a window: --list and --add-set.
#include "folioswap/setcommandline.h"

#include "common/fileimage.h"
#include "common/platform.h"
#include "folioswap/setcatalog.h"
#include "folioswap/setinstall.h"
#include "folioswap/settree.h"

#include <algorithm>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace kvl::folioswap {

namespace {

std::string asText(const std::vector<std::uint8_t>& bytes)
{
    return { reinterpret_cast<const char*>(bytes.data()), bytes.size() };
}

// Console text has plain line feeds.
std::string withLineFeeds(std::string text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            out += text[i];
    return out;
}

// The loaded set's name, or why LastCampaign.txt cannot tell it.
kvl::Result<std::string> loadedSetOf(const SwitchFolders& folders)
{
    auto image = kvl::readFileImage(folders.lastCampaign);
    if (!image)
        return image.error();
    auto name = parseLastCampaign(asText(*image));
    if (!name)
        return kvl::Error { "The last line does not hold a quoted campaign name: "
                + kvl::platform::utf8FromPath(folders.lastCampaign),
            EINVAL };
    return *name;
}

bool isFile(const fs::path& path)
{
    std::error_code ec;
    return fs::is_regular_file(fs::symlink_status(path, ec));
}

bool journalLeft(const SwitchFolders& folders)
{
    std::error_code ec;
    return fs::exists(fs::symlink_status(folders.journal(), ec));
}

constexpr const char* kCutShort = "an operation was cut short; start folioswap in its window to finish it or roll it "
                                  "back first";

} // namespace

int listCommand(const fs::path& main, std::ostream& out, std::ostream& err)
{
    const SwitchFolders folders = foldersOf(main);
    auto names = listSetNames(main);
    if (!names) {
        err << "folioswap: " << names.error().message << "\n";
        return 1;
    }
    auto loaded = loadedSetOf(folders);
    if (!loaded) {
        err << "folioswap: " << loaded.error().message << "\n";
        return 1;
    }
    if (journalLeft(folders))
        err << "folioswap: note: " << kCutShort << "\n";
    const fs::path qex = inFolder(main, folders.qex);
    for (const auto& name : *names) {
        const bool isLoaded = name == *loaded;
        out << name << (isLoaded ? "\tloaded" : "") << "\n";
        auto files = setFolderFiles(main, name);
        if (!files)
            continue; // a plain file named CAM...: a set with no files
        std::set<std::string> listed;
        if (auto list = kvl::readFileImage(kvl::findFileNoCase(main, folders.workfiles + "/res" + name + ".txt")))
            for (const auto& entry : parseRestoreList(asText(*list)))
                listed.insert(lowerAscii(entry.name));
        for (const auto& file : *files) {
            const bool replaces = listed.count(lowerAscii(file)) || isFile(kvl::findFileNoCase(qex, file))
                || (!isLoaded && isFile(kvl::findFileNoCase(folders.game, file)));
            const std::int64_t size = kvl::fileSize(
                main / kvl::platform::pathFromUtf8("CAM" + name) / kvl::platform::pathFromUtf8(file));
            out << "\t" << file << "\t" << std::max<std::int64_t>(size, 0) << "\t" << (replaces ? "replaces" : "adds")
                << "\n";
        }
    }
    out.flush();
    return 0;
}

int addSetCommand(const fs::path& main, const fs::path& source, const std::optional<std::string>& name, bool dryRun,
    std::ostream& out, std::ostream& err)
{
    const SwitchFolders folders = foldersOf(main);
    if (journalLeft(folders)) {
        err << "folioswap: " << kCutShort << "\n";
        return 1;
    }
    auto names = listSetNames(main);
    auto loaded = names ? loadedSetOf(folders) : kvl::Result<std::string>(names.error());
    if (!loaded) {
        err << "folioswap: " << loaded.error().message << "\n";
        return 1;
    }
    auto prepared = prepareNewSet(
        folders, openSetSource(source), nameFromSourcePath(source), *names, *loaded, freeSpace(main));
    if (!prepared) {
        err << "folioswap: " << withLineFeeds(prepared.error().message) << "\n";
        return 1;
    }
    const std::string chosen = name.value_or(prepared->proposal.suggestedName);
    if (auto problem = setNameProblem(chosen, *names)) {
        err << "folioswap: the set cannot be called \"" << chosen << "\": " << *problem
            << (name ? "" : " Give it another name with --name.") << "\n";
        return 1;
    }
    out << withLineFeeds(describeNewSet(prepared->proposal, chosen));
    if (dryRun) {
        out << "Nothing was written (--dry-run).\n";
        out.flush();
        return 0;
    }
    if (auto installed = installNewSet(folders, *prepared, chosen); !installed) {
        out.flush();
        err << "folioswap: the set was not added; nothing of it was kept: " << installed.error().message << "\n";
        return 1;
    }
    out << "Added the campaign \"" << chosen << "\" (" << fileCount(prepared->proposal.files.size()) << ").\n";
    out.flush();
    return 0;
}

} // namespace kvl::folioswap
