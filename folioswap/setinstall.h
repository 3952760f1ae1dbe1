// Adding a set from an archive or folder, and removing one.
//
// Add: the source is listed and checked whole (setcheck.h) and read once
// without writing (a damaged archive is refused here), then a proposal
// says what the new set would hold, which game files it would replace and
// what its restore list would name. Only when the user has confirmed it (and
// perhaps renamed the set) is anything written: the set's files, comment,
// picture, read-me, restore list and the copies of game files that
// QEXRestoreFiles lacks are unpacked into Workfiles/AddSet.folioswap-tmp
// (same file system), counted as they come, flushed, and renamed into place,
// the set's folder last: until that rename there is no set, after it the
// whole set.
//
// Remove: the set's folder, then its comment, picture, restore list and
// read-me are moved into Workfiles/Removed/<name>-<date>/, where they keep
// their places (CAM<name>/, Workfiles/, ReadMe/). Nothing is deleted.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/result.h"
#include "folioswap/setcheck.h"
#include "folioswap/setsource.h"
#include "folioswap/switchplan.h"

namespace kvl::folioswap {

inline constexpr const char* kStagingFolderName = "AddSet.folioswap-tmp";
inline constexpr const char* kRemovedFolderName = "Removed";

/// One file of a new set and the game file it would replace (as spelt in
/// the game folder; empty when it adds a file).
struct NewSetFile {
    std::string name;
    std::optional<std::uint64_t> size;
    std::string replaces;
};

/// A game file that QEXRestoreFiles lacks and that is copied there, so that
/// the new set's restore list can bring it back.
struct KeptOriginal {
    std::string name;
    std::filesystem::path from;
    std::uint64_t size = 0;
};

/// What adding the set would do; nothing of it is written yet.
struct NewSetProposal {
    std::string source;
    std::string suggestedName;
    std::vector<std::string> takenNames;
    std::vector<NewSetFile> files;
    std::string comment, picture, readMe;                     // entries of the source; empty: none
    std::vector<std::pair<std::string, std::string>> leftOut; // entry, why
    std::vector<std::string> restoreList;
    std::vector<KeptOriginal> keep;
    std::vector<std::string> notListed; // replaced game files the list cannot name, with why
    std::uint64_t bytes = 0;            // what the headers claim, copies included
};

/// A checked source with its plan and proposal, ready to install.
struct PreparedSet {
    std::unique_ptr<SetSource> source;
    SetPlan plan;
    NewSetProposal proposal;
};

/// The free space of the disk holding `folder`; 0 when it cannot be told.
std::uint64_t freeSpace(const std::filesystem::path& folder);

/// Lists and checks `source`, reads every part it keeps once through the
/// archive library (its checksums, the real sizes against the claims),
/// writing nothing, then proposes the set: which files replace
/// game files, and what the restore list names (a game file whose original
/// neither QEXRestoreFiles nor a safety copy holds, while the loaded set has
/// put its own file there, cannot be listed). `setNames` are the existing
/// sets, `loadedSet` the loaded one. A refusal (kErrRefusedSource) says why.
kvl::Result<PreparedSet> prepareNewSet(const SwitchFolders& folders, std::unique_ptr<SetSource> source,
    const std::string& fallbackName, const std::vector<std::string>& setNames, const std::string& loadedSet,
    std::uint64_t freeBytes);

/// The name a source's path suggests when nothing inside it does: its file
/// name without the archive extensions.
std::string nameFromSourcePath(const std::filesystem::path& path);

/// "1 file", "2 files".
std::string fileCount(std::size_t count);

/// The proposal as a text (CR LF), for the confirmation and the command line.
std::string describeNewSet(const NewSetProposal& proposal, const std::string& name);

/// Installs the prepared set as `name` (which must pass setNameProblem).
/// Leftovers of an earlier set of that name without its folder (a comment,
/// picture, restore list or read-me) are moved aside first as by a removal.
/// On a failure nothing of the new set stays and the error says why; the
/// hook (tests) stops it as a crash would.
kvl::Result<void> installNewSet(
    const SwitchFolders& folders, PreparedSet& prepared, const std::string& name, const FileOpHook& hook = {});

/// Moves set `name` (not the loaded one: the caller checks) into
/// Workfiles/Removed/<name>-<date>[-N]; returns that folder.
kvl::Result<std::filesystem::path> removeSet(
    const SwitchFolders& folders, const std::string& name, const std::string& date, const FileOpHook& hook = {});

/// Today's local date as YYYY-MM-DD.
std::string today();

} // namespace kvl::folioswap
