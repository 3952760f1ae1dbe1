// What sets a program folder holds and which files each has, read straight
// from the folder tree: for the switcher, Add Set and the command line.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "common/result.h"
#include "folioswap/switchplan.h"

namespace kvl::folioswap {

/// The names of the sets in `main` (every entry whose name starts with
/// "CAM"), sorted ignoring case. The error names the folder.
kvl::Result<std::vector<std::string>> listSetNames(const std::filesystem::path& main);

/// The plain files of set `name`'s folder, sorted; sub-folders and hidden
/// (dot) files are not part of the set. ENOENT or ENOTDIR when the set has
/// no folder.
kvl::Result<std::vector<std::string>> setFolderFiles(const std::filesystem::path& main, const std::string& name);

/// Where the switcher works when `main` is its program folder: the game
/// folder is its parent; Workfiles and QEXRestoreFiles as spelt on disk.
SwitchFolders foldersOf(const std::filesystem::path& main);

/// Orders names ignoring ASCII case (then by their bytes).
bool lessNoCase(const std::string& a, const std::string& b);

} // namespace kvl::folioswap
