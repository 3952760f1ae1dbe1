// Carrying out a switch journal, and finishing or rolling back one that was
// cut short.
#include "folioswap/switchplan.h"

#include "common/fileimage.h"
#include "folioswap/settree.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace kvl::folioswap {

namespace {

kvl::Error fileError(int number, const fs::path& path)
{
    return { std::string(std::strerror(number)) + ": " + path.string(), number };
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

// Copies the bytes with the kernel's file-to-file copy where it can, plain
// reads and writes where it cannot. A failure (a full disk, a file size
// limit) removes the partial copy and names `reportAs`.
kvl::Result<void> copyBytes(const fs::path& from, const fs::path& to, const fs::path& reportAs)
{
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return fileError(errno, from);
    int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        int number = errno;
        ::close(in);
        return fileError(number, reportAs);
    }
    int failure = 0;
    bool plain = false;
    std::vector<char> buffer;
    while (failure == 0) {
        ssize_t done = 0;
        if (!plain) {
            done = ::copy_file_range(in, nullptr, out, nullptr, std::size_t(1) << 30, 0);
            if (done < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
                plain = true;
                continue;
            }
        } else {
            buffer.resize(1 << 20);
            done = ::read(in, buffer.data(), buffer.size());
            for (ssize_t at = 0; done > 0 && at < done;) {
                ssize_t put = ::write(out, buffer.data() + at, static_cast<std::size_t>(done - at));
                if (put < 0 && errno == EINTR)
                    continue;
                if (put < 0) {
                    done = -1;
                    break;
                }
                at += put;
            }
        }
        if (done < 0 && errno == EINTR)
            continue;
        if (done < 0)
            failure = errno ? errno : EIO;
        if (done == 0)
            break;
    }
    ::close(in);
    if (::close(out) != 0 && failure == 0)
        failure = errno;
    if (failure != 0) {
        ::unlink(to.c_str());
        return fileError(failure, reportAs);
    }
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
        return kvl::Error { "A different file is already in the place of the safety copy: " + keep.string(),
            kErrKeepDiffers };
    }
    std::error_code ec;
    fs::create_directories(keep.parent_path(), ec);
    if (ec)
        return fileError(ec.value(), keep.parent_path());
    fs::path game = folders.game / step.target;
    if (::link(game.c_str(), keep.c_str()) == 0)
        return {};
    if (auto copied = copyBytes(game, tempFor(keep), keep); !copied)
        return copied;
    fs::rename(tempFor(keep), keep, ec);
    if (ec)
        return fileError(ec.value(), keep);
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
    std::error_code ec;
    fs::rename(tempFor(target), target, ec);
    if (ec) {
        fs::remove(tempFor(target), ec);
        return fileError(ec.value(), target);
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
    fs::path target = folders.game / step.target;
    if (step.kind == StepKind::Copy)
        return copyInto(inFolder(folders.main, step.source), target, op);
    if (!op())
        return stopped();
    if (::unlink(target.c_str()) != 0)
        return fileError(errno, target);
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
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

kvl::Result<void> removeJournal(const SwitchFolders& folders)
{
    if (::unlink(folders.journal().c_str()) != 0 && errno != ENOENT)
        return fileError(errno, folders.journal());
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
        fs::remove(tempFor(folders.game / step.target), ec);

    auto handle = [&](const JournalStep& step) {
        fs::path target = folders.game / step.target;
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
                            + inFolder(folders.main, step.source).string(),
                        kErrKeepDiffers };
                else if (!source)
                    result = source.error();
            }
            if (result)
                result = applyStep(folders, step, always);
        } else if (!step.before.exists) {
            if (::unlink(target.c_str()) != 0)
                result = fileError(errno, target);
        } else {
            auto kept = fileState(inFolder(folders.main, step.keep));
            if (step.keep.empty() || !kept || *kept != step.before)
                result = kvl::Error { "The copy of the original is missing or has changed: "
                        + inFolder(folders.main, step.keep).string(),
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
