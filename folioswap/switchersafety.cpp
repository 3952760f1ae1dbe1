// The switcher's safety layer: running an operation through its journal,
// finishing or rolling back one that was cut short, the preview and the
// game folder check.
#include "common/platform.h"
#include "folioswap/setswitcher.h"

#include "common/fileimage.h"

#include <system_error>

namespace fs = std::filesystem;

namespace kvl::folioswap {

namespace {

std::string_view buttonCaption(Operation operation)
{
    switch (operation) {
    case Operation::Load:
        return "Load Selected Campaign";
    case Operation::Unload:
        return "Unload Selected Campaign";
    case Operation::Restore:
        return "Restore QEX Files";
    }
    return "";
}

std::string describeStep(const JournalStep& step, const SwitchFolders& folders)
{
    std::string line = "  ";
    if (step.kind == StepKind::Delete)
        line += "delete " + step.target;
    else if (!step.before.exists)
        line += "add " + step.target;
    else
        line += "replace " + step.target;
    if (step.kind == StepKind::Copy && step.source.rfind(folders.safetyFolder() + "/", 0) == 0)
        line += " from its safety copy";
    if (step.before.exists && step.keep.empty())
        line += " with the same bytes";
    else if (step.makeKeep)
        line += " (a safety copy of the original will be made: " + step.keep + ")";
    else if (!step.keep.empty())
        line += " (a copy is kept: " + step.keep + ")";
    return line + "\r\n";
}

std::string describeChanged(const std::vector<std::string>& names)
{
    std::string text;
    if (names.empty())
        return text;
    text += "\r\n\r\nThese game files were changed by someone else since the operation began and were left as "
            "they are:";
    for (const auto& name : names)
        text += "\r\n" + name;
    return text;
}

} // namespace

std::string describePreview(
    const std::string& set, const std::vector<OperationPreview>& preview, const SwitchFolders& folders)
{
    std::string text = "Preview for \"" + set + "\" (nothing has been changed):\r\n";
    for (const auto& entry : preview) {
        text += "\r\n" + std::string(buttonCaption(entry.operation)) + ":\r\n";
        if (!entry.refusal.empty()) {
            text += "  not possible now: " + entry.refusal + "\r\n";
            continue;
        }
        if (entry.plan.steps.empty())
            text += "  nothing to copy or delete\r\n";
        for (const auto& step : entry.plan.steps)
            text += describeStep(step, folders);
    }
    return text;
}

std::string describeCheck(const std::string& set, const std::vector<GameFileCheck>& checks)
{
    std::string text = "Game folder check for \"" + set + "\":\r\n";
    for (const auto& check : checks) {
        text += "  " + check.name + ": ";
        switch (check.state) {
        case GameFileState::SetVersion:
            text += "the set's version";
            break;
        case GameFileState::Original:
            text += "the game's original";
            break;
        case GameFileState::ChangedSinceLoad:
            text += "changed since load";
            break;
        case GameFileState::Missing:
            text += "missing";
            break;
        }
        text += "\r\n";
    }
    return text;
}

// Carries out the plan. On a failure whatever was changed is put back (the
// journal says what) before the fatal report; a stop by the test hook leaves
// everything as a crash would.
bool SetSwitcher::runOperation(const Journal& journal)
{
    auto done = carryOut(m_folders, journal, m_hook);
    if (done)
        return true;
    if (done.error().code == kErrStoppedByHook) {
        setBusy(false);
        m_ended = true;
        m_host.quit();
        return false;
    }
    kvl::Error error = done.error();
    std::error_code ec;
    if (fs::exists(m_folders.journal(), ec)) {
        RecoveryReport undo = recover(m_folders, journal, Recovery::RollBack);
        if (undo.clean())
            error.message += "\r\nThe game folder was put back as it was before."
                + describeChanged(undo.changedByOthers);
        else
            error.message += "\r\nThe game folder could not be put back as it was (" + undo.failures.front().message
                + "); the next start offers to finish or roll back the operation.";
    }
    reportFatalError(error);
    return false;
}

// A journal left in Workfiles is an operation that was cut short: the user
// chooses to finish it or roll it back, before anything else happens.
kvl::Result<void> SetSwitcher::recoverUnfinished()
{
    const fs::path path = m_folders.journal();
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(path, ec)))
        return {};
    auto image = kvl::readFileImage(path);
    if (!image)
        return kvl::Error { image.error().message, image.error().code ? image.error().code : EIO };
    auto journal = parseJournal(std::string_view(reinterpret_cast<const char*>(image->data()), image->size()));
    if (!journal) {
        fs::path aside = path;
        aside += ".damaged";
        fs::rename(path, aside, ec);
        if (ec)
            return kvl::Error { ec.message() + ": " + kvl::platform::utf8FromPath(path), ec.value() };
        tell("The record of an operation that was cut short is damaged and was set aside as "
            + kvl::platform::utf8FromPath(aside) + ".\r\nUse \"Check Game Folder\" to see what the game folder holds.");
        return {};
    }
    const std::string what = std::string(operationName(journal->operation)) + " of \"" + journal->setName + "\"";
    const kvl::MessageAnswer answer = m_host.showMessage(
        { kvl::MessageIcon::Question, kTitle,
            "The " + what
                + " was cut short.\r\n\r\n"
                  "Yes: finish it (the game folder ends as after it).\r\n"
                  "No: roll it back (the game folder ends as before it).",
            kMessageName },
        kvl::MessageButtons::YesNo);
    const bool finish = answer == kvl::MessageAnswer::Yes;
    RecoveryReport report = recover(m_folders, *journal, finish ? Recovery::Finish : Recovery::RollBack);
    if (!report.clean())
        return report.failures.front();
    tell("The " + what + (finish ? " was finished." : " was rolled back.") + describeChanged(report.changedByOthers));
    return {};
}

void SetSwitcher::previewSelected()
{
    const kvl::ChangeNotifier::Operation scope(m_changes);
    if (m_ended)
        return;
    if (!m_selected || *m_selected == kNoCampaign) {
        tell("You must select a campaign to preview");
        return;
    }
    const std::string name = *m_selected;
    m_preview.clear();
    auto add = [&](Operation operation, std::optional<std::string> refusal, auto plan) {
        OperationPreview entry { operation, refusal.value_or(std::string()), {} };
        if (!refusal) {
            auto planned = (this->*plan)(name);
            if (planned)
                entry.plan = std::move(*planned);
            else
                entry.refusal = planned.error().message;
        }
        m_preview.push_back(std::move(entry));
    };
    add(Operation::Load, loadRefusal(), &SetSwitcher::planLoadOf);
    add(Operation::Unload, unloadRefusal(), &SetSwitcher::planUnloadOf);
    add(Operation::Restore, restoreRefusal(), &SetSwitcher::planRestoreOf);
    m_shownText = describePreview(name, m_preview, m_folders);
}

void SetSwitcher::checkGameFolder()
{
    const kvl::ChangeNotifier::Operation scope(m_changes);
    if (m_ended)
        return;
    m_check.clear();
    if (!isSetLoaded()) {
        m_shownText = "No campaign is loaded: there is nothing to check.\r\n";
        return;
    }
    auto files = setFiles(m_loadedSet);
    if (!files) {
        m_shownText = "The game folder could not be checked: " + files.error().message + "\r\n";
        return;
    }
    auto checks = folioswap::checkGameFolder(m_folders, m_loadedSet, *files);
    if (!checks) {
        m_shownText = "The game folder could not be checked: " + checks.error().message + "\r\n";
        return;
    }
    m_check = std::move(*checks);
    m_shownText = describeCheck(m_loadedSet, m_check);
}

} // namespace kvl::folioswap
