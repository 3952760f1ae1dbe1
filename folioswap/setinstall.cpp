// Adding a set from an archive or folder, and removing one.
#include "folioswap/setinstall.h"

#include "common/fileimage.h"
#include "common/platform.h"
#include "common/textio.h"
#include "folioswap/setcatalog.h"
#include "folioswap/settree.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <map>
#include <system_error>

namespace fs = std::filesystem;

namespace kvl::folioswap {

namespace {

const kvl::Error kStopped { "stopped by the test hook", kErrStoppedByHook };

bool isFile(const fs::path& path)
{
    std::error_code ec;
    return fs::is_regular_file(fs::symlink_status(path, ec));
}

bool isThere(const fs::path& path)
{
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

kvl::Error folderError(const char* what, const fs::path& path, const std::error_code& ec)
{
    return kvl::platform::fileError(what, path, ec.value());
}

// The folder the read-mes live in, as spelt on disk.
std::string readMeFolder(const SwitchFolders& folders)
{
    return kvl::platform::utf8FromPath(kvl::findFileNoCase(folders.main, "ReadMe").filename());
}

// The comment, picture, restore list and read-me of a set, relative to the
// program folder.
std::vector<std::string> sideFiles(const SwitchFolders& folders, const std::string& name)
{
    return { folders.workfiles + "/xxx" + name + ".txt", folders.workfiles + "/" + name + ".jpg",
        folders.workfiles + "/res" + name + ".txt", readMeFolder(folders) + "/" + name + "ReadMe.txt" };
}

// A free folder Workfiles/Removed/<name>-<date>, with "-2", "-3", ... when
// that one is taken.
kvl::Result<fs::path> makeRemovedFolder(const SwitchFolders& folders, const std::string& name, const std::string& date)
{
    const fs::path base = inFolder(folders.main, folders.workfiles + "/" + kRemovedFolderName);
    std::error_code ec;
    fs::create_directories(base, ec);
    if (ec)
        return folderError("cannot create", base, ec);
    for (int n = 1; n < 1000; ++n) {
        const std::string leaf = name + "-" + date + (n > 1 ? "-" + std::to_string(n) : "");
        const fs::path folder = base / kvl::platform::pathFromUtf8(leaf);
        if (fs::create_directory(folder, ec))
            return folder;
        if (ec)
            return folderError("cannot create", folder, ec);
    }
    return kvl::platform::fileError("cannot create", base / kvl::platform::pathFromUtf8(name + "-" + date), EEXIST);
}

// Moves what exists of `relatives` (inside the program folder) into `aside`,
// keeping their places.
kvl::Result<void> moveInto(const SwitchFolders& folders, const std::vector<std::string>& relatives,
    const fs::path& aside, const FileOpHook& hook)
{
    for (const auto& relative : relatives) {
        const fs::path from = kvl::findFileNoCase(folders.main, relative);
        if (!isThere(from))
            continue;
        const fs::path to = aside / kvl::platform::pathFromUtf8(relative);
        std::error_code ec;
        fs::create_directories(to.parent_path(), ec);
        if (ec)
            return folderError("cannot create", to.parent_path(), ec);
        if (hook && !hook())
            return kStopped;
        if (auto moved = kvl::platform::renameNew(from, to); !moved)
            return moved;
        kvl::platform::flushFolder(from.parent_path());
    }
    kvl::platform::flushFolder(aside);
    return {};
}

// Counts the bytes that really come: an entry may not bring more or fewer
// than its header said, and all of them together no more than the limit.
class ClaimCounter {
public:
    ClaimCounter(std::string source, std::uint64_t limit) : m_source(std::move(source)), m_limit(limit) { }

    void start(const std::string& entry, std::optional<std::uint64_t> claimed)
    {
        m_entry = entry;
        m_claimed = claimed;
        m_count = 0;
    }
    kvl::Result<void> add(std::size_t bytes)
    {
        m_count += bytes;
        m_total += bytes;
        if (m_claimed && m_count > *m_claimed)
            return refused("brings more bytes than its header claims (" + std::to_string(*m_claimed) + ")");
        if (m_total > m_limit)
            return refused("takes the unpacked set past " + std::to_string(m_limit) + " bytes");
        return {};
    }
    kvl::Result<void> finish() const
    {
        if (m_claimed && m_count != *m_claimed)
            return refused("brings fewer bytes than its header claims (" + std::to_string(*m_claimed) + ")");
        return {};
    }

private:
    kvl::Error refused(const std::string& why) const
    {
        return { "The archive or folder " + m_source + " was refused: \"" + m_entry + "\" " + why + ".",
            kErrRefusedSource };
    }

    std::string m_source;
    std::uint64_t m_limit;
    std::string m_entry;
    std::optional<std::uint64_t> m_claimed;
    std::uint64_t m_count = 0;
    std::uint64_t m_total = 0;
};

// Reads every part the plan keeps through the library (its checksums
// included) and counts it, writing nothing: a damaged archive is refused
// before the user is asked.
class VerifySink : public EntrySink {
public:
    VerifySink(const SetSource& source, const SetPlan& plan)
        : m_counter(source.describe(), byteLimit(source.packedSize())),
          m_plan(plan)
    {
    }
    kvl::Result<bool> begin(std::size_t index) override
    {
        for (const auto& part : m_plan.parts)
            if (part.index == index && part.role != PartRole::LeftOut) {
                m_counter.start(part.entry, part.size);
                return true;
            }
        return false;
    }
    kvl::Result<void> write(std::span<const std::uint8_t> bytes) override { return m_counter.add(bytes.size()); }
    kvl::Result<void> end() override { return m_counter.finish(); }

private:
    ClaimCounter m_counter;
    const SetPlan& m_plan;
};

// Receives the entries the plan keeps into the staging folder, counted as
// they come.
class StagingSink : public EntrySink {
public:
    struct Target {
        fs::path path;
        std::optional<std::uint64_t> size;
        std::string entry;
    };

    StagingSink(std::string source, std::uint64_t limit) : m_counter(std::move(source), limit) { }

    void add(std::size_t index, Target target) { m_targets.emplace(index, std::move(target)); }
    const std::vector<fs::path>& written() const { return m_written; }
    // Closes the entry being written, if any, so that the staging folder can
    // be removed: Windows removes no file that is still open.
    void abandon() { (void)m_file.close(); }

    kvl::Result<bool> begin(std::size_t index) override
    {
        auto found = m_targets.find(index);
        if (found == m_targets.end())
            return false;
        m_current = &found->second;
        m_counter.start(m_current->entry, m_current->size);
        auto file = kvl::platform::File::create(m_current->path);
        if (!file)
            return kvl::platform::fileError("cannot create", m_current->path, file.error().code);
        m_file = std::move(*file);
        m_written.push_back(m_current->path);
        return true;
    }

    kvl::Result<void> write(std::span<const std::uint8_t> bytes) override
    {
        if (auto counted = m_counter.add(bytes.size()); !counted)
            return counted;
        if (auto put = m_file.writeAll(bytes); !put)
            return kvl::platform::fileError("cannot write", m_current->path, put.error().code);
        return {};
    }

    kvl::Result<void> end() override
    {
        if (auto counted = m_counter.finish(); !counted)
            return counted;
        if (auto closed = m_file.close(); !closed)
            return kvl::platform::fileError("cannot write", m_current->path, closed.error().code);
        return {};
    }

private:
    ClaimCounter m_counter;
    std::map<std::size_t, Target> m_targets;
    const Target* m_current = nullptr;
    kvl::platform::File m_file;
    std::vector<fs::path> m_written;
};

std::string sizeText(std::optional<std::uint64_t> size)
{
    return size ? std::to_string(*size) + " bytes" : "size not given";
}

} // namespace

std::uint64_t freeSpace(const fs::path& folder)
{
    std::error_code ec;
    const fs::space_info info = fs::space(folder, ec);
    return ec ? 0 : info.available;
}

std::string nameFromSourcePath(const fs::path& path)
{
    std::string name = kvl::platform::utf8FromPath(
        path.has_filename() ? path.filename() : path.parent_path().filename());
    std::error_code ec;
    if (!fs::is_directory(path, ec)) {
        for (const char* extension : { ".tar.gz", ".tar.bz2", ".tar.xz", ".tgz", ".zip", ".7z", ".rar", ".tar" }) {
            const std::string tail = extension;
            if (name.size() > tail.size() && lowerAscii(name.substr(name.size() - tail.size())) == tail) {
                name.resize(name.size() - tail.size());
                break;
            }
        }
    }
    return tidySetName(name);
}

kvl::Result<PreparedSet> prepareNewSet(const SwitchFolders& folders, std::unique_ptr<SetSource> source,
    const std::string& fallbackName, const std::vector<std::string>& setNames, const std::string& loadedSet,
    std::uint64_t freeBytes)
{
    auto listing = source->list(listLimits(source->packedSize()));
    if (!listing)
        return listing.error();
    auto plan = checkSetSource(*listing, source->packedSize(), source->describe(), fallbackName);
    if (!plan)
        return plan.error();
    VerifySink verify(*source, *plan);
    if (auto read = source->read(verify); !read)
        return read.error();

    NewSetProposal proposal;
    proposal.source = source->describe();
    proposal.takenNames = setNames;
    proposal.suggestedName = plan->suggestedName;
    // A suggestion that is taken gets a number, so that Enter adds the set.
    for (int n = 2; setNameProblem(proposal.suggestedName, setNames) && n < 100; ++n)
        proposal.suggestedName = plan->suggestedName + " (" + std::to_string(n) + ")";

    std::vector<std::string> loadedFiles;
    if (loadedSet != kNoCampaign)
        if (auto files = setFolderFiles(folders.main, loadedSet))
            loadedFiles = std::move(*files);
    const fs::path qex = inFolder(folders.main, folders.qex);
    const fs::path safety = inFolder(folders.main, folders.safetyFolder());
    proposal.bytes = plan->claimedBytes;
    for (const auto& part : plan->parts) {
        switch (part.role) {
        case PartRole::Comment:
            proposal.comment = part.entry;
            continue;
        case PartRole::Picture:
            proposal.picture = part.entry;
            continue;
        case PartRole::ReadMe:
            proposal.readMe = part.entry;
            continue;
        case PartRole::LeftOut:
            proposal.leftOut.emplace_back(part.entry, part.whyLeftOut);
            continue;
        case PartRole::SetFile:
            break;
        }
        NewSetFile file { part.name, part.size, {} };
        const fs::path gameFile = kvl::findFileNoCase(folders.game, part.name);
        if (isFile(gameFile)) {
            file.replaces = kvl::platform::utf8FromPath(gameFile.filename());
            // The restore list can only name what QEXRestoreFiles holds: the
            // game's own file is copied there when it is missing. While the
            // loaded set has put its own file there, only a safety copy of
            // the game's file will do.
            const bool loadedHasIt = std::any_of(loadedFiles.begin(), loadedFiles.end(),
                [&](const std::string& f) { return kvl::equalsNoCase(f, part.name); });
            const fs::path original = loadedHasIt ? kvl::findFileNoCase(safety, part.name) : gameFile;
            if (isFile(kvl::findFileNoCase(qex, part.name))) {
                proposal.restoreList.push_back(file.replaces);
            } else if (isFile(original)) {
                const std::int64_t size = kvl::fileSize(original);
                proposal.keep.push_back({ file.replaces, original, size > 0 ? std::uint64_t(size) : 0 });
                proposal.bytes += proposal.keep.back().size;
                proposal.restoreList.push_back(file.replaces);
            } else {
                proposal.notListed.push_back(file.replaces + ": the game folder holds the loaded campaign's "
                    + "file and no copy of the game's own is kept");
            }
        }
        proposal.files.push_back(std::move(file));
    }
    if (auto full = spaceRefusal(proposal.bytes, freeBytes))
        return kvl::Error { *full, ENOSPC };
    return PreparedSet { std::move(source), std::move(*plan), std::move(proposal) };
}

std::string fileCount(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " file" : " files");
}

std::string describeNewSet(const NewSetProposal& proposal, const std::string& name)
{
    kvl::CrlfText text;
    text.line("New campaign \"" + name + "\" from " + proposal.source + " (nothing has been written yet):");
    text.line("");
    std::uint64_t total = 0;
    for (const auto& file : proposal.files)
        total += file.size.value_or(0);
    text.line(
        "Files of CAM" + name + " (" + fileCount(proposal.files.size()) + ", " + std::to_string(total) + " bytes):");
    for (const auto& file : proposal.files)
        text.line("  " + file.name + " (" + sizeText(file.size) + "): "
            + (file.replaces.empty() ? "adds a file to the game folder" : "replaces the game's " + file.replaces));
    const auto part = [&](const char* what, const std::string& entry, const std::string& target, const char* none) {
        text.line(std::string(what) + ": " + (entry.empty() ? std::string(none) : entry) + " -> " + target);
    };
    part("Comment", proposal.comment, "Workfiles/xxx" + name + ".txt", "none in the source, an empty one");
    part("Picture", proposal.picture, "Workfiles/" + name + ".jpg", "none in the source, an empty one (no picture)");
    part("Read-me", proposal.readMe, "ReadMe/" + name + "ReadMe.txt", "none in the source, an empty one");
    std::string list;
    for (const auto& file : proposal.restoreList)
        list += (list.empty() ? "" : ", ") + file;
    text.line("Restore list Workfiles/res" + name + ".txt: " + (list.empty() ? std::string("empty") : list));
    for (const auto& kept : proposal.keep)
        text.line("  the game's " + kept.name + " is copied into QEXRestoreFiles first");
    for (const auto& why : proposal.notListed)
        text.line("  not in the list: " + why);
    for (const auto& [entry, why] : proposal.leftOut)
        text.line("Left out: " + entry + " (" + why + ")");
    return text.take();
}

kvl::Result<void> installNewSet(
    const SwitchFolders& folders, PreparedSet& prepared, const std::string& name, const FileOpHook& hook)
{
    const fs::path staging = inFolder(folders.main, folders.workfiles + "/" + kStagingFolderName);
    const std::string setFolder = "CAM" + name;
    std::error_code ec;
    // A staging folder left by a cut is nobody's set.
    if (auto cleared = kvl::platform::removeTree(staging); !cleared)
        return cleared;
    fs::create_directories(staging / kvl::platform::pathFromUtf8(setFolder), ec);
    if (ec)
        return folderError("cannot create", staging, ec);
    std::vector<fs::path> placed;
    const auto fail = [&](kvl::Error error) -> kvl::Result<void> {
        if (error.code == kErrStoppedByHook)
            return error; // as a crash would leave it
        for (const auto& path : placed)
            (void)kvl::platform::removeFile(path);
        (void)kvl::platform::removeTree(staging);
        return error;
    };

    // Staged name -> where it goes, relative to the program folder.
    const std::vector<std::string> sides = sideFiles(folders, name);
    const std::vector<std::string> stagedSides { "xxx" + name + ".txt", name + ".jpg", "res" + name + ".txt",
        name + "ReadMe.txt" };
    StagingSink sink(prepared.source->describe(), byteLimit(prepared.source->packedSize()));
    for (const auto& part : prepared.plan.parts) {
        fs::path target;
        if (part.role == PartRole::SetFile)
            target = staging / kvl::platform::pathFromUtf8(setFolder) / kvl::platform::pathFromUtf8(part.name);
        else if (part.role == PartRole::Comment)
            target = staging / kvl::platform::pathFromUtf8(stagedSides[0]);
        else if (part.role == PartRole::Picture)
            target = staging / kvl::platform::pathFromUtf8(stagedSides[1]);
        else if (part.role == PartRole::ReadMe)
            target = staging / kvl::platform::pathFromUtf8(stagedSides[3]);
        else
            continue;
        sink.add(part.index, { target, part.size, part.entry });
    }
    if (hook && !hook())
        return kStopped;
    if (auto read = prepared.source->read(sink); !read) {
        sink.abandon();
        return fail(read.error());
    }

    // What the source lacks is written empty, so that choosing the set shows
    // no comment and no picture instead of reporting a missing file.
    kvl::CrlfText list;
    for (const auto& file : prepared.proposal.restoreList)
        list.line(file);
    std::vector<fs::path> staged = sink.written();
    for (std::size_t i = 0; i < stagedSides.size(); ++i) {
        const fs::path path = staging / kvl::platform::pathFromUtf8(stagedSides[i]);
        if (i != 2 && isThere(path))
            continue;
        const std::string bytes = i == 2 ? list.take() : std::string();
        if (!kvl::writeFileImage(path, std::string_view(bytes)))
            return fail(kvl::platform::fileError("cannot write", path, EIO));
        staged.push_back(path);
    }
    const fs::path stagedQex = staging / "QEX";
    fs::create_directories(stagedQex, ec);
    for (const auto& kept : prepared.proposal.keep) {
        const fs::path to = stagedQex / kvl::platform::pathFromUtf8(kept.name);
        if (auto copied = kvl::platform::copyFileBytes(kept.from, to, to); !copied)
            return fail(copied.error());
        staged.push_back(to);
    }
    if (auto flushed = kvl::platform::flushFiles(staged); !flushed)
        return fail(flushed.error());

    // Leftovers of an earlier set of this name are kept, out of the way.
    if (std::any_of(
            sides.begin(), sides.end(), [&](const std::string& r) { return isThere(inFolder(folders.main, r)); })) {
        auto aside = makeRemovedFolder(folders, name, today());
        if (!aside)
            return fail(aside.error());
        if (auto moved = moveInto(folders, sides, *aside, hook); !moved)
            return fail(moved.error());
    }
    for (std::size_t i = 0; i < sides.size(); ++i) {
        const fs::path to = inFolder(folders.main, sides[i]);
        fs::create_directories(to.parent_path(), ec);
        if (hook && !hook())
            return kStopped;
        if (auto moved = kvl::platform::renameNew(staging / kvl::platform::pathFromUtf8(stagedSides[i]), to); !moved)
            return fail(moved.error());
        placed.push_back(to);
    }
    const fs::path qex = inFolder(folders.main, folders.qex);
    fs::create_directories(qex, ec);
    for (const auto& kept : prepared.proposal.keep) {
        if (hook && !hook())
            return kStopped;
        const fs::path to = qex / kvl::platform::pathFromUtf8(kept.name);
        auto moved = kvl::platform::renameNew(stagedQex / kvl::platform::pathFromUtf8(kept.name), to);
        if (moved)
            placed.push_back(to);
        else if (moved.error().code != EEXIST) // someone put the game's file there meanwhile: it stays
            return fail(moved.error());
    }
    kvl::platform::flushFolder(inFolder(folders.main, folders.workfiles));
    kvl::platform::flushFolder(inFolder(folders.main, readMeFolder(folders)));
    kvl::platform::flushFolder(qex);

    // The set itself, in one step.
    if (hook && !hook())
        return kStopped;
    if (auto moved = kvl::platform::renameNew(
            staging / kvl::platform::pathFromUtf8(setFolder), folders.main / kvl::platform::pathFromUtf8(setFolder));
        !moved)
        return fail(moved.error());
    kvl::platform::flushFolder(folders.main);
    (void)kvl::platform::removeTree(staging); // only emptied folders are left in it
    return {};
}

kvl::Result<fs::path> removeSet(
    const SwitchFolders& folders, const std::string& name, const std::string& date, const FileOpHook& hook)
{
    const fs::path setFolder = folders.main / kvl::platform::pathFromUtf8("CAM" + name);
    if (!isThere(setFolder))
        return kvl::platform::fileError("cannot remove", setFolder, ENOENT);
    auto aside = makeRemovedFolder(folders, name, date);
    if (!aside)
        return aside.error();
    // The set's folder first: from then on there is no set, only leftovers.
    std::vector<std::string> parts { "CAM" + name };
    for (auto& side : sideFiles(folders, name))
        parts.push_back(std::move(side));
    if (auto moved = moveInto(folders, parts, *aside, hook); !moved)
        return moved.error();
    return *aside;
}

std::string today()
{
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    char text[16] = "0000-00-00";
    if (local)
        std::strftime(text, sizeof text, "%Y-%m-%d", local);
    return text;
}

} // namespace kvl::folioswap
