// Carrying out a switch journal, and finishing or rolling back one that was
// cut short.
#include "folioswap/switchplan.h"

#include "common/fileimage.h"
#include "folioswap/settree.h"

#include "common/platform.h"

#include <cerrno>

namespace fs = std::filesystem;

namespace kvl::folioswap {

namespace {

kvl::Error fileError(int number, const fs::path& path)
{
    return { kvl::platform::errorText(number) + ": " + kvl::platform::utf8FromPath(path), number };
}

kvl::Error stopped()
{
    return { "stopped before the next file operation", kErrStoppedByHook };
}

fs::path tempFor(const fs::path& target)
{
    fs::path temp = target;
    temp += kTempSuffix;
    return temp;
}

// Copies the bytes the fastest way the system has. A failure (a full disk,
// a file size limit) removes the partial copy and names `reportAs`.
kvl::Result<void> copyBytes(const fs::path& from, const fs::path& to, const fs::path& reportAs)
{
    bool sourceFailed = false;
    auto copied = kvl::platform::copyFileBytes(from, to, reportAs, &sourceFailed);
    if (!copied)
        return fileError(copied.error().code, sourceFailed ? from : reportAs);
    return {};
}

/// Makes the step's safety copy: a second name for the game file's bytes
/// (a hard link, which costs no copying; the game file is then replaced by
/// renaming, so the safety copy keeps the old bytes) or, where links are not
/// possible, a copy. A safety copy already there must hold the same bytes.
kvl::Result<void> makeKeep(const SwitchFolders& folders, const JournalStep& step)
{
    fs::path keep = inFolder(folders.main, step.keep);
    auto existing = fileState(keep);
    if (!existing)
        return existing.error();
    if (existing->exists) {
        if (*existing == step.before)
            return {};
        return kvl::Error { "A different file is already in the place of the safety copy: "
                + kvl::platform::utf8FromPath(keep),
            kErrKeepDiffers };
    }
    std::error_code ec;
    fs::create_directories(keep.parent_path(), ec);
    if (ec)
        return fileError(ec.value(), keep.parent_path());
    fs::path game = folders.game / kvl::platform::pathFromUtf8(step.target);
    if (kvl::platform::makeHardLink(game, keep))
        return {};
    if (auto copied = copyBytes(game, tempFor(keep), keep); !copied)
        return copied;
    if (auto renamed = kvl::platform::renameReplacing(tempFor(keep), keep); !renamed)
        return fileError(renamed.error().code, keep);
    return {};
}

kvl::Result<void> copyInto(const fs::path& source, const fs::path& target, const FileOpHook& op)
{
    if (!op())
        return stopped();
    if (auto copied = copyBytes(source, tempFor(target), target); !copied)
        return copied;
    if (!op())
        return stopped();
    if (auto renamed = kvl::platform::renameReplacing(tempFor(target), target); !renamed) {
        std::error_code ec;
        fs::remove(tempFor(target), ec);
        return fileError(renamed.error().code, target);
    }
    return {};
}

kvl::Result<void> applyStep(const SwitchFolders& folders, const JournalStep& step, const FileOpHook& op)
{
    if (step.makeKeep) {
        if (!op())
            return stopped();
        if (auto kept = makeKeep(folders, step); !kept)
            return kept;
    }
    fs::path target = folders.game / kvl::platform::pathFromUtf8(step.target);
    if (step.kind == StepKind::Copy)
        return copyInto(inFolder(folders.main, step.source), target, op);
    if (!op())
        return stopped();
    if (auto removed = kvl::platform::removeFile(target); !removed)
        return fileError(removed.error().code, target);
    return {};
}

kvl::Result<void> writeLast(const SwitchFolders& folders, const std::string& name)
{
    const std::string text = formatLastCampaign(name);
    auto written = kvl::replaceFile(
        folders.lastCampaign, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    if (!written)
        return fileError(written.error().code != 0 ? written.error().code : EIO, folders.lastCampaign);
    return {};
}

void flushFolder(const fs::path& folder)
{
    kvl::platform::flushFolder(folder);
}

kvl::Result<void> removeJournal(const SwitchFolders& folders)
{
    if (auto removed = kvl::platform::removeFile(folders.journal()); !removed && removed.error().code != ENOENT)
        return fileError(removed.error().code, folders.journal());
    return {};
}

} // namespace

kvl::Result<void> carryOut(const SwitchFolders& folders, const Journal& journal, const FileOpHook& hook)
{
    FileOpHook op = [&hook] { return !hook || hook(); };
    if (!op())
        return stopped();
    const std::string text = formatJournal(journal);
    auto written = kvl::replaceFile(
        folders.journal(), std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    if (!written)
        return fileError(written.error().code != 0 ? written.error().code : EIO, folders.journal());
    flushFolder(folders.journal().parent_path());
    for (const auto& step : journal.steps) {
        if (auto applied = applyStep(folders, step, op); !applied)
            return applied;
    }
    if (!op())
        return stopped();
    if (auto last = writeLast(folders, journal.lastAfter); !last)
        return last;
    if (!op())
        return stopped();
    return removeJournal(folders);
}

RecoveryReport recover(const SwitchFolders& folders, const Journal& journal, Recovery direction)
{
    RecoveryReport report;
    FileOpHook always = [] { return true; };
    std::error_code ec;
    for (const auto& step : journal.steps)
        fs::remove(tempFor(folders.game / kvl::platform::pathFromUtf8(step.target)), ec);

    auto handle = [&](const JournalStep& step) {
        fs::path target = folders.game / kvl::platform::pathFromUtf8(step.target);
        auto current = fileState(target);
        if (!current) {
            report.failures.push_back(current.error());
            return;
        }
        const FileState done = step.kind == StepKind::Copy ? step.after : FileState::absent();
        const FileState& wanted = direction == Recovery::Finish ? done : step.before;
        const FileState& other = direction == Recovery::Finish ? step.before : done;
        if (*current == wanted)
            return;
        if (*current != other) {
            report.changedByOthers.push_back(step.target);
            return;
        }
        // The file is as the journal left it on the other side of this
        // step; the bytes to put there must be the ones recorded.
        kvl::Result<void> result;
        if (direction == Recovery::Finish) {
            if (step.kind == StepKind::Copy) {
                auto source = fileState(inFolder(folders.main, step.source));
                if (source && *source != step.after)
                    result = kvl::Error { "The file to copy has changed since the operation began: "
                            + kvl::platform::utf8FromPath(inFolder(folders.main, step.source)),
                        kErrKeepDiffers };
                else if (!source)
                    result = source.error();
            }
            if (result)
                result = applyStep(folders, step, always);
        } else if (!step.before.exists) {
            if (auto removed = kvl::platform::removeFile(target); !removed)
                result = fileError(removed.error().code, target);
        } else {
            auto kept = fileState(inFolder(folders.main, step.keep));
            if (step.keep.empty() || !kept || *kept != step.before)
                result = kvl::Error { "The copy of the original is missing or has changed: "
                        + kvl::platform::utf8FromPath(inFolder(folders.main, step.keep)),
                    kErrKeepDiffers };
            else
                result = copyInto(inFolder(folders.main, step.keep), target, always);
        }
        if (!result)
            report.failures.push_back(result.error());
    };
    if (direction == Recovery::Finish) {
        for (const auto& step : journal.steps)
            handle(step);
    } else {
        for (auto it = journal.steps.rbegin(); it != journal.steps.rend(); ++it)
            handle(*it);
    }
    if (!report.clean())
        return report;
    auto last = writeLast(folders, direction == Recovery::Finish ? journal.lastAfter : journal.lastBefore);
    if (!last) {
        report.failures.push_back(last.error());
        return report;
    }
    if (auto removed = removeJournal(folders); !removed)
        report.failures.push_back(removed.error());
    return report;
}

} // namespace kvl::folioswap
