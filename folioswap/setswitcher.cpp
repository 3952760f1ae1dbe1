// The campaign set switcher without its window.
#include "folioswap/setswitcher.h"

#include "common/fileimage.h"
#include "common/platform.h"
#include "common/textdecode.h"
#include "folioswap/setcatalog.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <span>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace kvl::folioswap {

namespace {

// A report names the system's reason and the file: "No such file or
// directory: /game/Borvex/Workfiles/LastCampaign.txt", with errno as its code.
kvl::Error systemError(int number, const fs::path& path)
{
    return { kvl::platform::errorText(number) + ": " + kvl::platform::utf8FromPath(path), number };
}

/// The whole file, or the system's reason why it cannot be read.
kvl::Result<std::vector<std::uint8_t>> readWhole(const fs::path& path)
{
    auto image = kvl::readFileImage(path);
    if (!image) {
        const int code = image.error().code;
        return systemError(code != 0 ? code : EIO, path);
    }
    return image;
}

std::string_view asText(const std::vector<std::uint8_t>& bytes)
{
    return { reinterpret_cast<const char*>(bytes.data()), bytes.size() };
}

} // namespace

void SetSwitcher::setBusy(bool busy)
{
    if (busy != m_busy) {
        m_busy = busy;
        m_host.setBusy(busy);
    }
}

fs::path SetSwitcher::inMain(const std::string& relative) const
{
    return kvl::findFileNoCase(m_mainPath, relative);
}

void SetSwitcher::tell(const std::string& text)
{
    m_host.showMessage({ kvl::MessageIcon::None, kTitle, text, kMessageName });
}

// The report of an operation that has finished: the window shows the new
// state first, so that it is what the user sees behind the box.
void SetSwitcher::tellDone(const std::string& text)
{
    m_changes.notify();
    tell(text);
}

// Two boxes, then the end: the first says where to report, the second gives
// the error's number and description. Paths in the description may hold
// bytes of a single-byte code page; the boxes show them as text.
void SetSwitcher::reportFatalError(const kvl::Error& error)
{
    setBusy(false);
    m_host.showMessage(
        { kvl::MessageIcon::Warning, kTitle, std::string(kReportIntro) + "\r\n" + kReportContact, kMessageName });
    m_host.showMessage({ kvl::MessageIcon::Information, kTitle,
        kvl::decodeText("Error " + std::to_string(error.code) + ":\r\n" + error.message), kMessageName });
    m_ended = true;
    m_host.quit();
}

// Start-up: list the sets, read which one is loaded and show it.
void SetSwitcher::start(const fs::path& mainPath)
{
    const kvl::ChangeNotifier::Operation scope(m_changes);
    if (m_ended)
        return;
    m_mainPath = mainPath;
    m_folders = foldersOf(m_mainPath);
    m_lastCampaignPath = m_folders.lastCampaign;
    m_gameFolder = m_folders.game;

    kvl::Result<void> done = recoverUnfinished();
    if (done)
        done = listSets();
    if (done)
        done = readLastCampaign();
    // The loaded set is the one the buttons act on until another is chosen.
    if (done && isSetLoaded() && std::find(m_setNames.begin(), m_setNames.end(), m_loadedSet) != m_setNames.end())
        m_selected = m_loadedSet;
    if (done && isSetLoaded())
        done = showSet(m_loadedSet);
    if (!done)
        reportFatalError(done.error());
}

kvl::Result<void> SetSwitcher::listSets()
{
    auto names = listSetNames(m_mainPath);
    if (!names)
        return names.error();
    m_setNames = std::move(*names);
    return {};
}

kvl::Result<void> SetSwitcher::readLastCampaign()
{
    auto image = readWhole(m_lastCampaignPath);
    if (!image)
        return image.error();
    auto name = parseLastCampaign(asText(*image));
    if (!name)
        return kvl::Error { "The last line does not hold a quoted campaign name: "
                + kvl::platform::utf8FromPath(m_lastCampaignPath),
            kErrDamagedLastCampaign };
    if (*name == kNoCampaign)
        m_shownText.clear();
    m_loadedSet = *name;
    return {};
}

kvl::Result<void> SetSwitcher::showSet(const std::string& name)
{
    auto shown = showSetPicture(name);
    if (!shown)
        return shown;
    return showText("Workfiles/xxx" + name + ".txt");
}

kvl::Result<void> SetSwitcher::showSetPicture(const std::string& name)
{
    fs::path path = inMain("Workfiles/" + name + ".jpg");
    auto image = readWhole(path);
    if (!image)
        return image.error();
    // An empty picture file is a set without a picture (Add Set makes one
    // when the archive brings none): the box shows that there is none.
    if (image->empty()) {
        m_host.clearPicture();
        return {};
    }
    if (!m_host.showPicture(*image))
        return kvl::Error { "Invalid picture: " + kvl::platform::utf8FromPath(path), kErrBadPicture };
    return {};
}

kvl::Result<void> SetSwitcher::showText(const std::string& relative)
{
    auto image = readWhole(inMain(relative));
    if (!image)
        return image.error();
    m_shownText = commentText(asText(*image));
    return {};
}

void SetSwitcher::chooseSet(std::size_t index)
{
    const kvl::ChangeNotifier::Operation scope(m_changes);
    if (m_ended || index >= m_setNames.size())
        return;
    m_selected = m_setNames[index];
    if (auto shown = showSet(*m_selected); !shown)
        reportFatalError(shown.error());
}

kvl::Result<std::vector<std::string>> SetSwitcher::setFiles(const std::string& name) const
{
    return setFolderFiles(m_mainPath, name);
}

std::optional<std::string> SetSwitcher::loadRefusal() const
{
    // Right after an unload the selection is the "no set" name; loading it
    // would copy nothing yet report success, so it counts as no selection.
    if (!m_selected || *m_selected == kNoCampaign)
        return "You must select a campaign before loading";
    if (*m_selected != m_loadedSet && isSetLoaded())
        return "You must unload your current campaign before loading another";
    return std::nullopt;
}

std::optional<std::string> SetSwitcher::unloadRefusal() const
{
    if (!m_selected || *m_selected == kNoCampaign)
        return "You must select a campaign before unloading";
    if (*m_selected != m_loadedSet)
        return "You cannot unload a campaign that is not loaded";
    return std::nullopt;
}

std::optional<std::string> SetSwitcher::restoreRefusal() const
{
    if (isSetLoaded())
        return "You cannot restore QEX files with a campaign loaded";
    if (!m_selected || *m_selected == kNoCampaign)
        return "You must select a campaign from which to restore";
    return std::nullopt;
}

kvl::Result<Journal> SetSwitcher::planLoadOf(const std::string& name) const
{
    auto files = setFiles(name);
    if (!files)
        return files.error();
    return planLoad(m_folders, name, *files, m_loadedSet);
}

kvl::Result<Journal> SetSwitcher::planUnloadOf(const std::string& name) const
{
    auto files = setFiles(name);
    if (!files)
        return files.error();
    return planUnload(m_folders, name, *files, m_loadedSet);
}

// The whole list is checked before anything is copied: every name must stay
// inside its folder and every saved file must be there.
kvl::Result<Journal> SetSwitcher::planRestoreOf(const std::string& name) const
{
    fs::path listPath = inMain("Workfiles/res" + name + ".txt");
    auto list = readWhole(listPath);
    if (!list)
        return list.error();
    fs::path saved = inMain("QEXRestoreFiles");
    std::vector<RestoreCopy> copies;
    for (const auto& entry : parseRestoreList(asText(*list))) {
        if (!isSafeRestoreName(entry.name))
            return kvl::Error { "Line " + std::to_string(entry.line) + " of " + kvl::platform::utf8FromPath(listPath)
                    + " is not a plain file name: \"" + entry.name + "\"",
                kErrUnsafeRestoreName };
        fs::path source = kvl::findFileNoCase(saved, entry.name);
        std::error_code ec;
        if (!fs::is_regular_file(source, ec))
            return systemError(fs::exists(source, ec) ? EISDIR : ENOENT, source);
        copies.push_back({ kvl::platform::utf8FromPath(source.filename()), entry.name });
    }
    return planRestore(m_folders, name, copies, m_loadedSet);
}

void SetSwitcher::loadSelected()
{
    const kvl::ChangeNotifier::Operation scope(m_changes);
    if (m_ended)
        return;
    if (auto refusal = loadRefusal()) {
        tell(*refusal);
        return;
    }
    setBusy(true);
    auto plan = planLoadOf(*m_selected);
    if (!plan) {
        reportFatalError(plan.error());
        return;
    }
    if (!runOperation(*plan))
        return;
    m_loadedSet = plan->lastAfter;
    setBusy(false);
    tellDone("Campaign Loaded");
}

void SetSwitcher::unloadSelected()
{
    const kvl::ChangeNotifier::Operation scope(m_changes);
    if (m_ended)
        return;
    if (auto refusal = unloadRefusal()) {
        tell(*refusal);
        return;
    }
    setBusy(true);
    auto plan = planUnloadOf(*m_selected);
    if (!plan) {
        reportFatalError(plan.error());
        return;
    }
    if (!runOperation(*plan))
        return;
    m_host.clearPicture();
    m_shownText.clear();
    m_selected = std::string(kNoCampaign);
    m_loadedSet = plan->lastAfter;
    setBusy(false);
    tellDone("Campaign Unloaded");
}

void SetSwitcher::restoreQexFiles()
{
    const kvl::ChangeNotifier::Operation scope(m_changes);
    if (m_ended)
        return;
    if (auto refusal = restoreRefusal()) {
        tell(*refusal);
        return;
    }
    setBusy(true);
    auto plan = planRestoreOf(*m_selected);
    if (!plan) {
        reportFatalError(plan.error());
        return;
    }
    if (!runOperation(*plan))
        return;
    setBusy(false);
    RestoreCounts counts = countRestore(m_folders, *plan);
    tellDone("QEX Restored\r\nRestored from QEXRestoreFiles: " + std::to_string(counts.listed)
        + "\r\nRestored from safety copies: " + std::to_string(counts.safetyCopies));
}

void SetSwitcher::viewReadMe(const std::string& relative, ReselectWarning warning)
{
    const kvl::ChangeNotifier::Operation scope(m_changes);
    if (m_ended)
        return;
    if (warning == ReselectWarning::Yes)
        tell("You will have to re-select a campaign after reading");
    m_shownText.clear();
    if (auto shown = showText(relative); !shown)
        reportFatalError(shown.error());
}

void SetSwitcher::viewSetReadMe()
{
    viewReadMe("ReadMe/" + m_selected.value_or(std::string()) + "ReadMe.txt", ReselectWarning::No);
}

void SetSwitcher::viewProgramReadMe()
{
    viewReadMe("ReadMe/BorvexReadMe.txt", ReselectWarning::Yes);
}

void SetSwitcher::viewUsageNotes()
{
    viewReadMe("ReadMe/NotesonCampaigns.txt", ReselectWarning::Yes);
}

void SetSwitcher::exitProgram()
{
    const kvl::ChangeNotifier::Operation scope(m_changes);
    if (m_ended)
        return;
    m_ended = true;
    m_host.quit();
}

} // namespace kvl::folioswap
