// folioswap without a window, for scripts: --list and --add-set. They read
// and write the same folder tree as the window, and print their messages on
// standard error as "folioswap: ...".
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

namespace kvl::folioswap {

/// `folioswap --list`: one line per set, its name and, for the loaded one,
/// a tab and "loaded"; below it one line per file of the set: a tab, the
/// file's name, a tab, its size, a tab and "replaces" (the game has a file
/// of that name: the set's restore list or QEXRestoreFiles names it, or,
/// while the set is not loaded, the game folder holds it) or "adds".
/// Returns 0, or 1 when the folder tree cannot be read.
int listCommand(const std::filesystem::path& main, std::ostream& out, std::ostream& err);

/// `folioswap --add-set SOURCE [--name NAME] [--dry-run]`: checks the
/// archive or folder whole, prints what the new set holds and replaces, and
/// (without `dryRun`) installs it as `name` or the name the source suggests.
/// Returns 0, or 1 when the source or the name was refused or the set could
/// not be written (nothing of it is kept then).
int addSetCommand(const std::filesystem::path& main, const std::filesystem::path& source,
    const std::optional<std::string>& name, bool dryRun, std::ostream& out, std::ostream& err);

} // namespace kvl::folioswap
