// The campaign set switcher without its window.
#include "folioswap/setswitcher.h"

#include "common/fileimage.h"
#include "common/platform.h"
#include "common/textdecode.h"

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

kvl::Error systemError(const std::error_code& ec, const fs::path& path)
{
    return { ec.message() + ": " + kvl::platform::utf8FromPath(path), ec.value() };
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

bool lessNoCase(const std::string& a, const std::string& b)
{
    auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; };
    auto before = [&](char x, char y) {
        return lower(static_cast<unsigned char>(x)) < lower(static_cast<unsigned char>(y));
    };
    bool less = std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), before);
    bool greater = std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), before);
    return less || (!greater && a < b);
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
    m_lastCampaignPath = inMain("Workfiles/LastCampaign.txt");
    fs::path parent = m_mainPath.has_filename() ? m_mainPath.parent_path() : m_mainPath.parent_path().parent_path();
    m_gameFolder = parent.empty() ? m_mainPath : parent;
    m_folders.main = m_mainPath;
    m_folders.game = m_gameFolder;
    m_folders.workfiles = kvl::platform::utf8FromPath(inMain("Workfiles").filename());
    m_folders.qex = kvl::platform::utf8FromPath(inMain("QEXRestoreFiles").filename());
    m_folders.lastCampaign = m_lastCampaignPath;

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

// Every entry of the program folder, folder or file, whose name starts with
// "CAM" is a set. Sorted ignoring case, as the game's own desktop lists them.
kvl::Result<void> SetSwitcher::listSets()
{
    m_setNames.clear();
    std::error_code ec;
    fs::directory_iterator it(m_mainPath, ec);
    if (ec)
        return systemError(ec, m_mainPath);
    for (fs::directory_iterator end; it != end; it.increment(ec)) {
        if (auto name = setNameFromEntry(kvl::platform::utf8FromPath(it->path().filename())))
            m_setNames.push_back(std::move(*name));
    }
    if (ec)
        return systemError(ec, m_mainPath);
    std::sort(m_setNames.begin(), m_setNames.end(), lessNoCase);
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

// The plain files of a set's folder, sorted; sub-folders and hidden (dot)
// files are not part of the set.
kvl::Result<std::vector<std::string>> SetSwitcher::setFiles(const std::string& name) const
{
    fs::path folder = m_mainPath / kvl::platform::pathFromUtf8("CAM" + name);
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        return systemError(fs::exists(folder, ec) ? ENOTDIR : ENOENT, folder);
    std::vector<std::string> files;
    fs::directory_iterator it(folder, ec);
    for (fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
        std::string file = kvl::platform::utf8FromPath(it->path().filename());
        std::error_code typeEc;
        if (file.empty() || file.front() == '.' || !it->is_regular_file(typeEc))
            continue;
        files.push_back(std::move(file));
    }
    if (ec)
        return systemError(ec, folder);
    std::sort(files.begin(), files.end());
    return files;
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
