// The campaign set switcher without its window.
#include "folioswap/foliocore.h"

#include "common/fileimage.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace fs = std::filesystem;

namespace folio {

namespace {

FolioError systemError(int number, const fs::path& path)
{
    return { number, std::string(std::strerror(number)) + ": " + path.string() };
}

FolioError systemError(const std::error_code& ec, const fs::path& path)
{
    return { ec.value(), ec.message() + ": " + path.string() };
}

/// Reads a whole file, keeping the system's error number when it cannot.
bool readWhole(const fs::path& path, std::string& out, FolioError& error)
{
    out.clear();
    std::error_code ec;
    auto status = fs::status(path, ec);
    if (ec || !fs::exists(status)) {
        error = systemError(ENOENT, path);
        return false;
    }
    if (fs::is_directory(status)) {
        error = systemError(EISDIR, path);
        return false;
    }
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = systemError(errno ? errno : EIO, path);
        return false;
    }
    char buffer[8192];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        out.append(buffer, got);
    bool failed = std::ferror(file) != 0;
    int number = errno ? errno : EIO;
    std::fclose(file);
    if (failed) {
        error = systemError(number, path);
        return false;
    }
    return true;
}

bool lessNoCase(const std::string& a, const std::string& b)
{
    auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; };
    bool less = std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
        [&](char x, char y) { return lower(static_cast<unsigned char>(x)) < lower(static_cast<unsigned char>(y)); });
    bool greater = std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(),
        [&](char x, char y) { return lower(static_cast<unsigned char>(x)) < lower(static_cast<unsigned char>(y)); });
    return less || (!greater && a < b);
}

} // namespace

void FolioCore::setBusy(bool busy)
{
    if (busy != m_busy) {
        m_busy = busy;
        m_host.setBusy(busy);
    }
}

fs::path FolioCore::inMain(const std::string& relative) const
{
    return kvl::findFileNoCase(m_mainPath, relative);
}

void FolioCore::reportFatalError(const FolioError& error)
{
    setBusy(false);
    m_host.messageBox(FolioHost::Icon::Exclamation, std::string(kReportIntro) + "\r\n" + kReportContact);
    m_host.messageBox(
        FolioHost::Icon::Information, "Error " + std::to_string(error.number) + ":\r\n" + error.description);
    m_ended = true;
    m_host.quit();
}

// Start-up: list the sets, read which one is loaded and show it.
void FolioCore::formLoad(const fs::path& mainPath)
{
    if (m_ended)
        return;
    m_mainPath = mainPath;
    m_lastCampaignPath = inMain("Workfiles/LastCampaign.txt");
    fs::path parent = m_mainPath.has_filename() ? m_mainPath.parent_path() : m_mainPath.parent_path().parent_path();
    m_kvlFolderPath = parent.empty() ? m_mainPath : parent;

    FolioError error;
    if (!listAvailable(error) || !readLastCampaign(error)) {
        reportFatalError(error);
        return;
    }
    if (m_currLastCampName == kNoCampaign) {
        m_currentText.clear();
        m_currentEnabled = true;
        return;
    }
    m_currentText = m_currLastCampName;
    m_currentEnabled = true;
    if (!showSetPicture(m_currLastCampName, error)
        || !readIntoComments("Workfiles/xxx" + m_currLastCampName + ".txt", error))
        reportFatalError(error);
}

// Every entry of the program folder, folder or file, whose name starts with
// "CAM" is a set. Sorted ignoring case, as the game's own desktop lists them.
bool FolioCore::listAvailable(FolioError& error)
{
    m_available.clear();
    std::error_code ec;
    fs::directory_iterator it(m_mainPath, ec);
    if (ec) {
        error = systemError(ec, m_mainPath);
        return false;
    }
    for (fs::directory_iterator end; it != end; it.increment(ec)) {
        if (auto name = setNameFromEntry(it->path().filename().string()))
            m_available.push_back(std::move(*name));
    }
    if (ec) {
        error = systemError(ec, m_mainPath);
        return false;
    }
    std::sort(m_available.begin(), m_available.end(), lessNoCase);
    return true;
}

bool FolioCore::readLastCampaign(FolioError& error)
{
    std::string text;
    if (!readWhole(m_lastCampaignPath, text, error))
        return false;
    auto name = parseLastCampaign(text);
    if (!name) {
        error = { kErrDamagedLastCampaign,
            "The last line does not hold a quoted campaign name: " + m_lastCampaignPath.string() };
        return false;
    }
    if (*name != kNoCampaign) {
        m_currentText = *name;
        m_currentEnabled = true;
    } else {
        m_comments.clear();
        m_commentsEnabled = true;
    }
    m_currLastCampName = *name;
    return true;
}

// Written to a temporary file and renamed over the old one, so that a crash
// never leaves a half-written file that the next start could not read.
bool FolioCore::writeLastCampaign(FolioError& error)
{
    const std::string name = m_selected.value_or(std::string());
    if (!kvl::writeFileAtomically(m_lastCampaignPath, formatLastCampaign(name))) {
        error = systemError(errno ? errno : EIO, m_lastCampaignPath);
        return false;
    }
    if (name == kNoCampaign)
        m_currentText.clear();
    else
        m_currentText = name;
    m_currentEnabled = true;
    m_currLastCampName = name;
    return true;
}

bool FolioCore::showSetPicture(const std::string& name, FolioError& error)
{
    fs::path path = inMain("Workfiles/" + name + ".jpg");
    std::string bytes;
    if (!readWhole(path, bytes, error))
        return false;
    if (!m_host.showPicture(std::vector<std::uint8_t>(bytes.begin(), bytes.end()))) {
        error = { kErrBadPicture, "Invalid picture: " + path.string() };
        return false;
    }
    return true;
}

bool FolioCore::readIntoComments(const std::string& relative, FolioError& error)
{
    std::string text;
    if (!readWhole(inMain(relative), text, error))
        return false;
    m_comments = commentText(text);
    m_commentsEnabled = true;
    return true;
}

void FolioCore::clickEntry(std::size_t index)
{
    if (m_ended || index >= m_available.size())
        return;
    m_selected = m_available[index];
    FolioError error;
    if (!showSetPicture(*m_selected, error) || !readIntoComments("Workfiles/xxx" + *m_selected + ".txt", error))
        reportFatalError(error);
}

// The plain files of a set's folder, sorted; sub-folders and hidden (dot)
// files are not part of the set.
bool FolioCore::setFiles(const std::string& name, std::vector<std::string>& files, FolioError& error)
{
    files.clear();
    fs::path folder = m_mainPath / ("CAM" + name);
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        error = systemError(fs::exists(folder, ec) ? ENOTDIR : ENOENT, folder);
        return false;
    }
    fs::directory_iterator it(folder, ec);
    for (fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
        std::string file = it->path().filename().string();
        std::error_code typeEc;
        if (file.empty() || file.front() == '.' || !it->is_regular_file(typeEc))
            continue;
        files.push_back(std::move(file));
    }
    if (ec) {
        error = systemError(ec, folder);
        return false;
    }
    std::sort(files.begin(), files.end());
    return true;
}

// Copies over the game's file of that name in whatever letter case it has.
bool FolioCore::copyIntoGame(const fs::path& source, const std::string& name, FolioError& error)
{
    fs::path target = kvl::findFileNoCase(m_kvlFolderPath, name);
    std::error_code ec;
    if (fs::is_directory(target, ec)) {
        error = systemError(EISDIR, target);
        return false;
    }
    fs::copy_file(source, target, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        error = systemError(ec, target);
        return false;
    }
    return true;
}

void FolioCore::loadSelected()
{
    if (m_ended)
        return;
    // Right after an unload the selection is the "no set" name; loading it
    // would copy nothing yet report success, so it counts as no selection.
    if (!m_selected || *m_selected == kNoCampaign) {
        m_host.messageBox(FolioHost::Icon::None, "You must select a campaign before loading");
        return;
    }
    if (*m_selected != m_currLastCampName && m_currLastCampName != kNoCampaign) {
        m_host.messageBox(FolioHost::Icon::None, "You must unload your current campaign before loading another");
        return;
    }
    setBusy(true);
    FolioError error;
    std::vector<std::string> files;
    if (!setFiles(*m_selected, files, error)) {
        reportFatalError(error);
        return;
    }
    fs::path folder = m_mainPath / ("CAM" + *m_selected);
    for (const auto& file : files) {
        if (!copyIntoGame(folder / file, file, error)) {
            reportFatalError(error);
            return;
        }
    }
    m_currLastCampName = *m_selected;
    if (!writeLastCampaign(error)) {
        reportFatalError(error);
        return;
    }
    setBusy(false);
    m_host.messageBox(FolioHost::Icon::None, "Campaign Loaded");
}

void FolioCore::unloadSelected()
{
    if (m_ended)
        return;
    if (!m_selected || *m_selected == kNoCampaign) {
        m_host.messageBox(FolioHost::Icon::None, "You must select a campaign before unloading");
        return;
    }
    if (*m_selected != m_currLastCampName) {
        m_host.messageBox(FolioHost::Icon::None, "You cannot unload a campaign that is not loaded");
        return;
    }
    setBusy(true);
    FolioError error;
    std::vector<std::string> files;
    if (!setFiles(*m_selected, files, error)) {
        reportFatalError(error);
        return;
    }
    for (const auto& file : files) {
        fs::path target = kvl::findFileNoCase(m_kvlFolderPath, file);
        std::error_code ec;
        auto status = fs::symlink_status(target, ec);
        // Every file of the set must be there to be deleted; one that is
        // already gone ends the run like any other failed delete.
        if (!fs::exists(status)) {
            reportFatalError(systemError(ENOENT, target));
            return;
        }
        if (fs::is_directory(status)) {
            reportFatalError(systemError(EISDIR, target));
            return;
        }
        fs::remove(target, ec);
        if (ec) {
            reportFatalError(systemError(ec, target));
            return;
        }
    }
    m_host.clearPicture();
    m_comments.clear();
    m_commentsEnabled = true;
    m_selected = std::string(kNoCampaign);
    if (!writeLastCampaign(error)) {
        reportFatalError(error);
        return;
    }
    setBusy(false);
    m_host.messageBox(FolioHost::Icon::None, "Campaign Unloaded");
}

void FolioCore::restoreQexFiles()
{
    if (m_ended)
        return;
    if (m_currLastCampName != kNoCampaign) {
        m_host.messageBox(FolioHost::Icon::None, "You cannot restore QEX files with a campaign loaded");
        return;
    }
    if (!m_selected || *m_selected == kNoCampaign) {
        m_host.messageBox(FolioHost::Icon::None, "You must select a campaign from which to restore");
        return;
    }
    setBusy(true);
    FolioError error;
    fs::path listPath = inMain("Workfiles/res" + *m_selected + ".txt");
    std::string text;
    if (!readWhole(listPath, text, error)) {
        reportFatalError(error);
        return;
    }
    // The whole list is checked before anything is copied: every name must
    // stay inside its folder and every saved file must be there.
    fs::path saved = inMain("QEXRestoreFiles");
    std::vector<RestoreEntry> entries = parseRestoreList(text);
    std::vector<fs::path> sources;
    for (const auto& entry : entries) {
        if (!isSafeRestoreName(entry.name)) {
            reportFatalError({ kErrUnsafeRestoreName,
                "Line " + std::to_string(entry.line) + " of " + listPath.string() + " is not a plain file name: \""
                    + entry.name + "\"" });
            return;
        }
        fs::path source = kvl::findFileNoCase(saved, entry.name);
        std::error_code ec;
        if (!fs::is_regular_file(source, ec)) {
            reportFatalError(systemError(fs::exists(source, ec) ? EISDIR : ENOENT, source));
            return;
        }
        sources.push_back(std::move(source));
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!copyIntoGame(sources[i], entries[i].name, error)) {
            reportFatalError(error);
            return;
        }
    }
    setBusy(false);
    m_host.messageBox(FolioHost::Icon::None, "QEX Restored");
}

void FolioCore::viewReadMe(const std::string& relative, bool warn)
{
    if (m_ended)
        return;
    if (warn)
        m_host.messageBox(FolioHost::Icon::None, "You will have to re-select a campaign after reading");
    m_comments.clear();
    m_commentsEnabled = true;
    FolioError error;
    if (!readIntoComments(relative, error))
        reportFatalError(error);
}

void FolioCore::viewCampaignReadMe()
{
    viewReadMe("ReadMe/" + m_selected.value_or(std::string()) + "ReadMe.txt", false);
}

void FolioCore::viewBorvexReadMe()
{
    viewReadMe("ReadMe/BorvexReadMe.txt", true);
}

void FolioCore::viewUsageNotes()
{
    viewReadMe("ReadMe/NotesonCampaigns.txt", true);
}

void FolioCore::exitProgram()
{
    if (m_ended)
        return;
    m_ended = true;
    m_host.quit();
}

} // namespace folio
