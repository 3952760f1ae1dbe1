// The switcher's Add Set and Remove Set.
#include "common/platform.h"
#include "folioswap/setswitcher.h"

namespace fs = std::filesystem;

namespace kvl::folioswap {

void SetSwitcher::warn(const std::string& text)
{
    m_host.showMessage({ kvl::MessageIcon::Warning, kTitle, text, kMessageName });
}

// The test hook stopped the work as a crash would: the program ends at once.
bool SetSwitcher::stoppedByHook(const kvl::Error& error)
{
    if (error.code != kErrStoppedByHook)
        return false;
    setBusy(false);
    m_ended = true;
    m_host.quit();
    return true;
}

void SetSwitcher::addSet(SetSourceKind kind)
{
    const kvl::ChangeNotifier::Operation scope(m_changes);
    if (m_ended)
        return;
    kvl::FileDialogRequest request;
    if (kind == SetSourceKind::Archive) {
        request = { kvl::FileDialogKind::OpenFile, "Add a campaign set from an archive", m_gameFolder, kArchiveFilter,
            "AddSetArchiveDialog" };
    } else {
        request = { kvl::FileDialogKind::Folder, "Add a campaign set from a folder", m_gameFolder, "",
            "AddSetFolderDialog" };
    }
    const fs::path chosen = m_host.chooseFile(request);
    if (!chosen.empty())
        addSetFrom(chosen);
}

void SetSwitcher::addSetFrom(const fs::path& path)
{
    const kvl::ChangeNotifier::Operation scope(m_changes);
    if (m_ended)
        return;
    setBusy(true);
    auto prepared = prepareNewSet(
        m_folders, openSetSource(path), nameFromSourcePath(path), m_setNames, m_loadedSet, freeSpace(m_mainPath));
    setBusy(false);
    if (!prepared) {
        warn("The campaign set was not added; nothing was written.\r\n\r\n" + prepared.error().message);
        return;
    }
    const std::optional<std::string> name = m_host.confirmNewSet(prepared->proposal);
    if (!name)
        return;
    if (auto problem = setNameProblem(*name, m_setNames)) {
        warn("The campaign set was not added; nothing was written.\r\n\r\n" + *problem);
        return;
    }
    setBusy(true);
    auto installed = installNewSet(m_folders, *prepared, *name, m_hook);
    setBusy(false);
    if (!installed) {
        if (!stoppedByHook(installed.error()))
            warn("The campaign set was not added; nothing of it was kept.\r\n\r\n" + installed.error().message);
        return;
    }
    if (auto listed = listSets(); !listed) {
        reportFatalError(listed.error());
        return;
    }
    m_selected = *name;
    if (auto shown = showSet(*name); !shown) {
        reportFatalError(shown.error());
        return;
    }
    tellDone("Campaign Added\r\n\"" + *name + "\": " + fileCount(prepared->proposal.files.size())
        + ". Load it with \"Load Selected Campaign\".");
}

void SetSwitcher::removeSelected()
{
    const kvl::ChangeNotifier::Operation scope(m_changes);
    if (m_ended)
        return;
    if (!m_selected || *m_selected == kNoCampaign) {
        tell("You must select a campaign to remove");
        return;
    }
    const std::string name = *m_selected;
    if (name == m_loadedSet) {
        tell("You cannot remove the loaded campaign; unload it first");
        return;
    }
    const kvl::MessageAnswer answer = m_host.showMessage(
        { kvl::MessageIcon::Question, kTitle,
            "Remove the campaign \"" + name
                + "\"?\r\n\r\nIts folder, comment, picture, restore list and read-me are moved into "
                + m_folders.workfiles + "/" + kRemovedFolderName + "; nothing is deleted.",
            kMessageName, kvl::MessageAnswer::No },
        kvl::MessageButtons::YesNo);
    if (answer != kvl::MessageAnswer::Yes)
        return;
    auto aside = removeSet(m_folders, name, today(), m_hook);
    kvl::Result<void> listed = listSets();
    if (!aside) {
        if (!stoppedByHook(aside.error()))
            warn("The campaign \"" + name + "\" could not be removed.\r\n\r\n" + aside.error().message);
        return;
    }
    if (!listed) {
        reportFatalError(listed.error());
        return;
    }
    m_selected.reset();
    m_shownText.clear();
    m_host.clearPicture();
    tellDone("Campaign Removed\r\nIts files are in " + kvl::platform::utf8FromPath(*aside));
}

} // namespace kvl::folioswap
