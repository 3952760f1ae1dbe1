// Which program folder the switcher starts in. From a terminal the user
// starts it inside its folder, and the current directory is the answer. From
// a desktop entry the current directory is the home folder, which is no
// switcher folder: then the folder chosen last time is used, and if there is
// none (or it is no longer one) the user is asked with a folder dialog.
#pragma once

#include <filesystem>
#include <optional>

#include "common/windowhost.h"

namespace kvl::folioswap {

/// The objectName of the folder dialog.
inline constexpr const char* kFolderDialogName = "FolderDialog";

/// Whether `folder` is a switcher's program folder: it holds a folder named
/// exactly "Workfiles". A folder that holds one but lacks LastCampaign.txt is
/// still one; start-up reports what is missing there, as it always has.
bool isProgramFolder(const std::filesystem::path& folder);

/// The program folder to start in: `current` when it is one, else
/// `remembered` when it still is one, else the folder the user picks in a
/// folder dialog; a pick that is not one is explained and the dialog comes
/// again. Nothing when the dialog was cancelled.
std::optional<std::filesystem::path> findProgramFolder(
    kvl::WindowHost& host, const std::filesystem::path& current, const std::filesystem::path& remembered);

} // namespace kvl::folioswap
