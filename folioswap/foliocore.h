// The campaign set switcher without its window: the folder tree, the state of
// the form and what each click does to the files and to that state.
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

#include "folioswap/foliofiles.h"

namespace folio {

/// The title of every message box.
inline constexpr const char* kTitle = "Borvex";

/// The first line of the first box of a fatal report, and where reports go.
inline constexpr const char* kReportIntro = "Problem with program, Report the following message to:";
inline constexpr const char* kReportContact
    = "the folioswap maintainers, on the issue tracker of the KORVAL modding tools. "
      "Please say what you clicked and which campaign was selected.";

/// Error numbers of the problems that are not an operating-system error
/// (those keep the system's own number).
enum FolioErrorNumber : int {
    kErrBadPicture = 1001,
    kErrUnsafeRestoreName = 1002,
    kErrDamagedLastCampaign = 1003,
};

/// A problem that ends the program: a number and a one-line description.
struct FolioError {
    int number = 0;
    std::string description;
};

/// What the core asks of its window.
class FolioHost {
public:
    enum class Icon { None, Exclamation, Information };

    virtual ~FolioHost() = default;
    /// A message box titled "Borvex" with an OK button; returns when it is closed.
    virtual void messageBox(Icon icon, const std::string& text) = 0;
    /// The busy (hourglass) cursor on or off.
    virtual void setBusy(bool busy) = 0;
    /// Shows a picture file's bytes in the picture box; false when they are
    /// not a picture the window can decode.
    virtual bool showPicture(const std::vector<std::uint8_t>& bytes) = 0;
    virtual void clearPicture() = 0;
    /// Ends the program once the current event is over.
    virtual void quit() = 0;
};

class FolioCore {
public:
    explicit FolioCore(FolioHost& host) : m_host(host) { }

    // Events of the form. After a fatal report or Exit every event is ignored.
    /// Start-up with `mainPath` as the program folder.
    void formLoad(const std::filesystem::path& mainPath);
    /// A click on entry `index` of the set list.
    void clickEntry(std::size_t index);
    void loadSelected();
    void unloadSelected();
    void restoreQexFiles();
    void viewCampaignReadMe();
    void viewBorvexReadMe();
    void viewUsageNotes();
    void exitProgram();

    // State the window shows.
    const std::vector<std::string>& available() const { return m_available; }
    const std::string& currentText() const { return m_currentText; }
    bool currentEnabled() const { return m_currentEnabled; }
    const std::string& comments() const { return m_comments; }
    bool commentsEnabled() const { return m_commentsEnabled; }
    const std::optional<std::string>& selectedCampaign() const { return m_selected; }
    const std::string& currLastCampName() const { return m_currLastCampName; }
    bool ended() const { return m_ended; }

    const std::filesystem::path& mainPath() const { return m_mainPath; }
    const std::filesystem::path& kvlFolderPath() const { return m_kvlFolderPath; }
    const std::filesystem::path& lastCampaignPath() const { return m_lastCampaignPath; }

private:
    bool listAvailable(FolioError& error);
    bool readLastCampaign(FolioError& error);
    bool writeLastCampaign(FolioError& error);
    bool showSetPicture(const std::string& name, FolioError& error);
    bool readIntoComments(const std::string& relative, FolioError& error);
    bool setFiles(const std::string& name, std::vector<std::string>& files, FolioError& error);
    bool copyIntoGame(const std::filesystem::path& source, const std::string& name, FolioError& error);
    void viewReadMe(const std::string& relative, bool warn);
    void reportFatalError(const FolioError& error);
    std::filesystem::path inMain(const std::string& relative) const;
    void setBusy(bool busy);

    FolioHost& m_host;
    std::filesystem::path m_mainPath;
    std::filesystem::path m_kvlFolderPath;
    std::filesystem::path m_lastCampaignPath;
    std::vector<std::string> m_available;
    std::optional<std::string> m_selected;
    std::string m_currLastCampName { kNoCampaign };
    std::string m_currentText;
    bool m_currentEnabled = false;
    std::string m_comments;
    bool m_commentsEnabled = false;
    bool m_ended = false;
    bool m_busy = false;
};

} // namespace folio
