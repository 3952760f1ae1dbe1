// The safety layer under Load, Unload and Restore: each operation is first
// planned as a journal (every file it adds, replaces or deletes, with the
// state it expects and where a copy of the replaced bytes lives), the
// journal is written, the plan carried out, LastCampaign.txt written and the
// journal removed. A journal left by a cut-short operation is finished or
// rolled back at the next start, file by file, by comparing each game file
// with the states the journal recorded.
//
// No game file is deleted or replaced unless a copy of its bytes exists in
// the program folder: the set's own file, the file in QEXRestoreFiles, or a
// safety copy in Workfiles/SafetyCopies (named as the game file). A game file
// whose original already has a safety copy with other bytes gets one in
// Workfiles/SafetyCopies/Older, named by its hash and name.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/result.h"
#include "folioswap/journal.h"

namespace kvl::folioswap {

/// Error numbers of the safety layer (beside the system's own).
inline constexpr int kErrStoppedByHook = 1004;
inline constexpr int kErrKeepDiffers = 1005;

inline constexpr const char* kJournalName = "folioswap-journal.txt";
inline constexpr const char* kSafetyFolderName = "SafetyCopies";
inline constexpr const char* kOlderFolderName = "Older";
/// Copies are written under the target's name with this suffix and renamed
/// into place, so a game file is never seen half-written.
inline constexpr const char* kTempSuffix = ".folioswap-tmp";

/// Where an operation works: the program folder, the game folder, the
/// program's Workfiles and QEXRestoreFiles folders (relative to the program
/// folder, as spelt on disk) and LastCampaign.txt.
struct SwitchFolders {
    std::filesystem::path main;
    std::filesystem::path game;
    std::string workfiles = "Workfiles";
    std::string qex = "QEXRestoreFiles";
    std::filesystem::path lastCampaign;

    std::filesystem::path journal() const { return main / workfiles / kJournalName; }
    std::string safetyFolder() const { return workfiles + "/" + kSafetyFolderName; }
};

/// A file's state on disk: absent when there is no such entry. A folder or
/// an unreadable file is an error naming it.
kvl::Result<FileState> fileState(const std::filesystem::path& path);

/// Load: copy each of `files` from "CAM<set>" into the game folder.
kvl::Result<Journal> planLoad(const SwitchFolders& folders, const std::string& set,
    const std::vector<std::string>& files, const std::string& lastBefore);
/// Unload: delete each of `files` from the game folder; every one must be there.
kvl::Result<Journal> planUnload(const SwitchFolders& folders, const std::string& set,
    const std::vector<std::string>& files, const std::string& lastBefore);
/// One file of a restore list: its name in QEXRestoreFiles, as spelt there,
/// and the name the list gives it in the game folder.
struct RestoreCopy {
    std::string saved;
    std::string name;
};
/// Restore: copy each listed file back, then every safety copy whose game
/// file is missing or differs and that the list does not name.
kvl::Result<Journal> planRestore(const SwitchFolders& folders, const std::string& set,
    const std::vector<RestoreCopy>& listed, const std::string& lastName);

/// How many of a Restore's copies come from QEXRestoreFiles and how many
/// from safety copies.
struct RestoreCounts {
    int listed = 0;
    int safetyCopies = 0;
};
RestoreCounts countRestore(const SwitchFolders& folders, const Journal& journal);

/// Called before each file operation (journal write, safety copy, copy,
/// rename, delete, LastCampaign.txt, journal removal); returning false stops
/// the operation there, leaving everything as a crash at that point would.
using FileOpHook = std::function<bool()>;

/// Writes the journal and carries it out. On a failure the error is
/// returned with the folder as the failure left it; the journal stays.
/// A stop by the hook returns kErrStoppedByHook.
kvl::Result<void> carryOut(const SwitchFolders& folders, const Journal& journal, const FileOpHook& hook);

enum class Recovery { Finish, RollBack };

/// What a recovery found: game files that someone else changed since the
/// journal was written (left as they are), and failures. The journal is
/// removed only when there were no failures.
struct RecoveryReport {
    std::vector<std::string> changedByOthers;
    std::vector<kvl::Error> failures;
    bool clean() const { return failures.empty(); }
};
RecoveryReport recover(const SwitchFolders& folders, const Journal& journal, Recovery direction);

/// What the game folder holds of one of the loaded set's files.
enum class GameFileState { SetVersion, Original, ChangedSinceLoad, Missing };
struct GameFileCheck {
    std::string name;
    GameFileState state = GameFileState::Missing;
};
kvl::Result<std::vector<GameFileCheck>> checkGameFolder(
    const SwitchFolders& folders, const std::string& set, const std::vector<std::string>& files);

/// A path inside the program folder, "/" between folders.
std::filesystem::path inFolder(const std::filesystem::path& folder, const std::string& relative);

} // namespace kvl::folioswap
