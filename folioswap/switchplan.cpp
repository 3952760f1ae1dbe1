// Planning Load, Unload and Restore as journals, and checking the game
// folder against the loaded set.
#include "folioswap/switchplan.h"

#include "common/fileimage.h"
#include "folioswap/settree.h"

#include <algorithm>
#include <cerrno>
#include <set>

#include "common/platform.h"

namespace fs = std::filesystem;

namespace kvl::folioswap {

namespace {

kvl::Error fileError(int number, const fs::path& path)
{
    return { kvl::platform::errorText(number) + ": " + kvl::platform::utf8FromPath(path), number };
}

std::string hex16(std::uint64_t value)
{
    std::string state = formatState({ true, 0, value });
    return state.substr(state.find(':') + 1);
}

/// Where a copy of `before` (the bytes of game file `target`) lives, or
/// where the step must make one. `extra` is checked first (the set's own
/// file, for Unload).
kvl::Result<void> planKeep(const SwitchFolders& folders, JournalStep& step, const std::string& extra)
{
    step.keep.clear();
    step.makeKeep = false;
    if (!step.before.exists || step.before == step.after)
        return {};
    const std::string safety = folders.safetyFolder() + "/" + step.target;
    const std::string older = folders.safetyFolder() + "/" + kOlderFolderName + "/" + hex16(step.before.hash) + "-"
        + step.target;
    fs::path qexFile = kvl::findFileNoCase(folders.main / kvl::platform::pathFromUtf8(folders.qex), step.target);
    std::string qex = folders.qex + "/" + kvl::platform::utf8FromPath(qexFile.filename());
    std::vector<std::string> candidates;
    if (!extra.empty())
        candidates.push_back(extra);
    candidates.insert(candidates.end(), { qex, safety, older });
    bool safetyTaken = false;
    for (const auto& candidate : candidates) {
        fs::path path = inFolder(folders.main, candidate);
        std::error_code ec;
        auto size = fs::file_size(path, ec);
        if (ec) {
            safetyTaken = safetyTaken || (candidate == safety && fs::exists(fs::symlink_status(path, ec)));
            continue;
        }
        if (candidate == safety)
            safetyTaken = true;
        if (size != step.before.size)
            continue;
        auto state = fileState(path);
        if (state && *state == step.before) {
            step.keep = candidate;
            return {};
        }
    }
    step.keep = safetyTaken ? older : safety;
    step.makeKeep = true;
    return {};
}

/// The game file a set file or restore name lands on: the existing file of
/// that name in any letter case, or the name as given.
kvl::Result<std::string> gameTarget(const SwitchFolders& folders, const std::string& name)
{
    fs::path target = kvl::findFileNoCase(folders.game, name);
    std::error_code ec;
    if (fs::is_directory(target, ec))
        return fileError(EISDIR, target);
    return kvl::platform::utf8FromPath(target.filename());
}

// Later steps on the same game file replace earlier ones: the file ends as
// the last of them leaves it, as copying one after the other would.
void dropEarlierSameTarget(std::vector<JournalStep>& steps)
{
    std::set<std::string> seen;
    std::vector<JournalStep> kept;
    for (auto it = steps.rbegin(); it != steps.rend(); ++it) {
        if (seen.insert(it->target).second)
            kept.push_back(std::move(*it));
    }
    steps.assign(std::make_move_iterator(kept.rbegin()), std::make_move_iterator(kept.rend()));
}

kvl::Result<void> addCopy(const SwitchFolders& folders, Journal& journal, const std::string& source,
    const std::string& name, const std::string& keepExtra)
{
    auto target = gameTarget(folders, name);
    if (!target)
        return target.error();
    JournalStep step;
    step.kind = StepKind::Copy;
    step.target = *target;
    step.source = source;
    auto after = fileState(inFolder(folders.main, source));
    if (!after)
        return after.error();
    if (!after->exists)
        return fileError(ENOENT, inFolder(folders.main, source));
    step.after = *after;
    auto before = fileState(folders.game / kvl::platform::pathFromUtf8(step.target));
    if (!before)
        return before.error();
    step.before = *before;
    if (auto keep = planKeep(folders, step, keepExtra); !keep)
        return keep.error();
    journal.steps.push_back(std::move(step));
    return {};
}

} // namespace

fs::path inFolder(const fs::path& folder, const std::string& relative)
{
    return folder / kvl::platform::pathFromUtf8(relative);
}

kvl::Result<FileState> fileState(const fs::path& path)
{
    auto file = kvl::platform::File::openForReading(path);
    if (!file) {
        if (file.error().code == ENOENT)
            return FileState::absent();
        return fileError(file.error().code, path);
    }
    thread_local std::vector<std::uint8_t> buffer(1 << 20);
    ContentHash hash;
    std::uint64_t size = 0;
    while (true) {
        auto got = file->read(buffer);
        if (!got)
            return fileError(got.error().code, path);
        if (*got == 0)
            break;
        hash.add(std::span(buffer.data(), *got));
        size += static_cast<std::uint64_t>(*got);
    }
    return FileState { true, size, hash.finish() };
}

kvl::Result<Journal> planLoad(const SwitchFolders& folders, const std::string& set,
    const std::vector<std::string>& files, const std::string& lastBefore)
{
    Journal journal { Operation::Load, set, lastBefore, set, {} };
    for (const auto& file : files) {
        if (auto added = addCopy(folders, journal, "CAM" + set + "/" + file, file, {}); !added)
            return added.error();
    }
    dropEarlierSameTarget(journal.steps);
    return journal;
}

kvl::Result<Journal> planUnload(const SwitchFolders& folders, const std::string& set,
    const std::vector<std::string>& files, const std::string& lastBefore)
{
    Journal journal { Operation::Unload, set, lastBefore, std::string(kNoCampaign), {} };
    for (const auto& file : files) {
        auto target = gameTarget(folders, file);
        if (!target)
            return target.error();
        JournalStep step;
        step.kind = StepKind::Delete;
        step.target = *target;
        auto before = fileState(folders.game / kvl::platform::pathFromUtf8(step.target));
        if (!before)
            return before.error();
        if (!before->exists)
            return fileError(ENOENT, folders.game / kvl::platform::pathFromUtf8(step.target));
        step.before = *before;
        if (auto keep = planKeep(folders, step, "CAM" + set + "/" + file); !keep)
            return keep.error();
        journal.steps.push_back(std::move(step));
    }
    dropEarlierSameTarget(journal.steps);
    return journal;
}

kvl::Result<Journal> planRestore(const SwitchFolders& folders, const std::string& set,
    const std::vector<RestoreCopy>& listed, const std::string& lastName)
{
    Journal journal { Operation::Restore, set, lastName, lastName, {} };
    for (const auto& copy : listed) {
        if (auto added = addCopy(folders, journal, folders.qex + "/" + copy.saved, copy.name, {}); !added)
            return added.error();
    }
    dropEarlierSameTarget(journal.steps);

    // Then the safety copies of files the list does not name, where the game
    // file is missing or holds other bytes.
    fs::path safety = inFolder(folders.main, folders.safetyFolder());
    std::vector<std::string> copies;
    std::error_code ec;
    for (fs::directory_iterator it(safety, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = kvl::platform::utf8FromPath(it->path().filename());
        std::error_code typeEc;
        if (name.empty() || name.front() == '.' || !it->is_regular_file(typeEc))
            continue;
        copies.push_back(std::move(name));
    }
    std::sort(copies.begin(), copies.end());
    for (const auto& name : copies) {
        auto target = gameTarget(folders, name);
        if (!target)
            return target.error();
        bool named = std::any_of(journal.steps.begin(), journal.steps.end(),
            [&](const JournalStep& step) { return kvl::equalsNoCase(step.target, *target); });
        if (named)
            continue;
        auto source = fileState(safety / kvl::platform::pathFromUtf8(name));
        auto current = fileState(folders.game / *target);
        if (!source)
            return source.error();
        if (!current)
            return current.error();
        if (*source == *current)
            continue;
        if (auto added = addCopy(folders, journal, folders.safetyFolder() + "/" + name, name, {}); !added)
            return added.error();
    }
    return journal;
}

RestoreCounts countRestore(const SwitchFolders& folders, const Journal& journal)
{
    RestoreCounts counts;
    const std::string safety = folders.safetyFolder() + "/";
    for (const auto& step : journal.steps) {
        if (step.source.rfind(safety, 0) == 0)
            ++counts.safetyCopies;
        else
            ++counts.listed;
    }
    return counts;
}

kvl::Result<std::vector<GameFileCheck>> checkGameFolder(
    const SwitchFolders& folders, const std::string& set, const std::vector<std::string>& files)
{
    std::vector<GameFileCheck> checks;
    for (const auto& file : files) {
        GameFileCheck check { file, GameFileState::Missing };
        fs::path target = kvl::findFileNoCase(folders.game, file);
        auto current = fileState(target);
        if (!current)
            return current.error();
        if (current->exists) {
            auto setVersion = fileState(inFolder(folders.main, "CAM" + set + "/" + file));
            if (!setVersion)
                return setVersion.error();
            JournalStep probe;
            probe.target = kvl::platform::utf8FromPath(target.filename());
            probe.before = *current;
            probe.after = *setVersion;
            if (*current == *setVersion) {
                check.state = GameFileState::SetVersion;
            } else if (auto keep = planKeep(folders, probe, {}); keep && !probe.makeKeep) {
                check.state = GameFileState::Original;
            } else {
                check.state = GameFileState::ChangedSinceLoad;
            }
        }
        checks.push_back(std::move(check));
    }
    return checks;
}

} // namespace kvl::folioswap
