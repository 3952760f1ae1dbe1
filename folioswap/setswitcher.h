// The campaign set switcher without its window: the folder tree, the state of
// the switcher and what each click does to the files and to that state.
//
// The program folder holds one folder "CAM<name>" per campaign set, a
// Workfiles folder (LastCampaign.txt, the picture "<name>.jpg", the comment
// "xxx<name>.txt" and the restore list "res<name>.txt" of each set), the
// game's own files in QEXRestoreFiles and the read-me texts in ReadMe. The
// game folder is the program folder's parent.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/changenotifier.h"
#include "common/result.h"
#include "common/windowhost.h"
#include "folioswap/setinstall.h"
#include "folioswap/settree.h"
#include "folioswap/switchplan.h"

namespace kvl::folioswap {

/// The title of every message box.
inline constexpr const char* kTitle = "Borvex";

/// The objectName of every message box, by which scripts find it.
inline constexpr const char* kMessageName = "Borvex_message";

/// The first line of the first box of a fatal report, and where reports go.
inline constexpr const char* kReportIntro = "Problem with program, Report the following message to:";
inline constexpr const char* kReportContact
    = "the folioswap maintainers, on the issue tracker of the KORVAL modding tools. "
      "Please say what you clicked and which campaign was selected.";

/// Error numbers of the problems that are not an operating-system error
/// (those keep the system's own number).
inline constexpr int kErrBadPicture = 1001;
inline constexpr int kErrUnsafeRestoreName = 1002;
inline constexpr int kErrDamagedLastCampaign = 1003;

/// What the switcher asks of its window beyond message boxes.
class SwitcherHost : public kvl::WindowHost {
public:
    /// The busy (hourglass) cursor on or off.
    virtual void setBusy(bool busy) = 0;
    /// Shows a picture file's bytes in the picture box; false when they are
    /// not a picture the window can decode.
    virtual bool showPicture(const std::vector<std::uint8_t>& bytes) = 0;
    virtual void clearPicture() = 0;
    /// Ends the program once the current event is over.
    virtual void quit() = 0;
    /// Shows what Add Set would make (describeNewSet) and lets the user change
    /// the set's name; the name confirmed, or nothing when cancelled.
    virtual std::optional<std::string> confirmNewSet(const NewSetProposal& proposal) = 0;
};

/// What Add Set asks the user to choose.
enum class SetSourceKind { Archive, Folder };

/// The file dialog's filter for set archives.
inline constexpr const char* kArchiveFilter
    = "Campaign set archives (*.zip *.7z *.rar *.tar *.tgz *.tar.gz *.tar.bz2 *.tar.xz);;All files (*)";

/// What one operation would do for the chosen set: its plan, or why it is
/// not possible now.
struct OperationPreview {
    Operation operation = Operation::Load;
    std::string refusal;
    Journal plan;
};

/// The preview and the check as the comment box shows them.
std::string describePreview(
    const std::string& set, const std::vector<OperationPreview>& preview, const SwitchFolders& folders);
std::string describeCheck(const std::string& set, const std::vector<GameFileCheck>& checks);

/// The switcher's state and its reactions to the window's events. Every
/// problem that stops an event is reported through the host as two message
/// boxes and ends the program; after that, or after Exit, every event is
/// ignored. Each event ends with a change notification (see changes()); a
/// success message comes after one, over the finished state.
class SetSwitcher {
public:
    explicit SetSwitcher(SwitcherHost& host) : m_host(host) { }

    /// Start-up with `mainPath` as the program folder: first finishes or
    /// rolls back an operation that was cut short (asking which), then lists
    /// the sets, reads which one is loaded, chooses it in the list and shows
    /// its picture and comment.
    void start(const std::filesystem::path& mainPath);
    /// The user chose entry `index` of the set list: shows that set.
    void chooseSet(std::size_t index);
    void loadSelected();
    void unloadSelected();
    void restoreQexFiles();
    /// Shows what Load, Unload and Restore would do for the chosen set,
    /// changing nothing.
    void previewSelected();
    /// Shows, for each file of the loaded set, what the game folder holds.
    void checkGameFolder();
    void viewSetReadMe();
    void viewProgramReadMe();
    void viewUsageNotes();
    void exitProgram();
    /// Asks for an archive or a folder and adds a set from it (addSetFrom).
    void addSet(SetSourceKind kind);
    /// Checks the archive or folder whole, shows what the new set would be
    /// and, once the user confirms, installs it and chooses it. A refused
    /// source or a failed install is told in a box; nothing of it is kept.
    void addSetFrom(const std::filesystem::path& source);
    /// After a question, moves the chosen set (not the loaded one) into
    /// Workfiles/Removed/<name>-<date>.
    void removeSelected();

    /// Tells the window when to show the switcher's state again.
    kvl::ChangeNotifier& changes() { return m_changes; }

    /// The set names in the order the list shows them.
    const std::vector<std::string>& setNames() const { return m_setNames; }
    /// The set chosen in the list: none until the first choice, kNoCampaign
    /// right after an unload.
    const std::optional<std::string>& selectedSet() const { return m_selected; }
    /// The loaded set's name, kNoCampaign when none is.
    const std::string& loadedSet() const { return m_loadedSet; }
    bool isSetLoaded() const { return m_loadedSet != kNoCampaign; }
    /// The comment or read-me text on show, every line ending in CR LF, its
    /// bytes as the file holds them.
    const std::string& shownText() const { return m_shownText; }
    bool ended() const { return m_ended; }
    /// The last preview and check, as shown.
    const std::vector<OperationPreview>& preview() const { return m_preview; }
    const std::vector<GameFileCheck>& gameFolderCheck() const { return m_check; }

    /// Tests only: called before each file operation of Load, Unload and
    /// Restore; returning false stops the operation there as a crash would
    /// (nothing is rolled back, the program ends without a message).
    void setFileOpHook(FileOpHook hook) { m_hook = std::move(hook); }
    const std::filesystem::path& mainPath() const { return m_mainPath; }
    const std::filesystem::path& gameFolder() const { return m_gameFolder; }
    const std::filesystem::path& lastCampaignPath() const { return m_lastCampaignPath; }

private:
    kvl::Result<void> listSets();
    kvl::Result<void> readLastCampaign();
    kvl::Result<void> recoverUnfinished();
    std::optional<std::string> loadRefusal() const;
    std::optional<std::string> unloadRefusal() const;
    std::optional<std::string> restoreRefusal() const;
    kvl::Result<Journal> planLoadOf(const std::string& name) const;
    kvl::Result<Journal> planUnloadOf(const std::string& name) const;
    kvl::Result<Journal> planRestoreOf(const std::string& name) const;
    bool runOperation(const Journal& journal);
    kvl::Result<void> showSet(const std::string& name);
    kvl::Result<void> showSetPicture(const std::string& name);
    kvl::Result<void> showText(const std::string& relative);
    kvl::Result<std::vector<std::string>> setFiles(const std::string& name) const;
    enum class ReselectWarning { No, Yes };
    void viewReadMe(const std::string& relative, ReselectWarning warning);
    void tell(const std::string& text);
    void warn(const std::string& text);
    bool stoppedByHook(const kvl::Error& error);
    void tellDone(const std::string& text);
    void reportFatalError(const kvl::Error& error);
    std::filesystem::path inMain(const std::string& relative) const;
    void setBusy(bool busy);

    SwitcherHost& m_host;
    kvl::ChangeNotifier m_changes;
    std::filesystem::path m_mainPath;
    std::filesystem::path m_gameFolder;
    std::filesystem::path m_lastCampaignPath;
    SwitchFolders m_folders;
    FileOpHook m_hook;
    std::vector<OperationPreview> m_preview;
    std::vector<GameFileCheck> m_check;
    std::vector<std::string> m_setNames;
    std::optional<std::string> m_selected;
    std::string m_loadedSet { kNoCampaign };
    std::string m_shownText;
    bool m_ended = false;
    bool m_busy = false;
};

} // namespace kvl::folioswap
