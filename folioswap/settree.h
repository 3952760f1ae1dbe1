// The small text files of the campaign set tree: LastCampaign.txt, the restore
// lists, the comment and read-me texts, and the rule that picks set folders.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvl::folioswap {

/// The set name that stands for "no set loaded", in memory and on disk.
inline constexpr std::string_view kNoCampaign = "xxx";

/// LastCampaign.txt for `name`: one line, the name in double quotes, CR LF.
std::string formatLastCampaign(std::string_view name);

/// The name held by a LastCampaign.txt text: its last line without its first
/// and last character (the quotes). Lines end at LF or CR LF. Empty when the
/// text has no line or its last line is too short to hold two quotes.
std::optional<std::string> parseLastCampaign(std::string_view text);

/// A text file as the comment box shows it: every line followed by CR LF.
std::string commentText(std::string_view fileText);

/// One file name of a restore list and the 1-based line it stands on.
struct RestoreEntry {
    std::size_t line = 0;
    std::string name;
};

/// The file names of a restore list: every line that is not empty, unchanged.
std::vector<RestoreEntry> parseRestoreList(std::string_view text);

/// Whether a restore-list name names a file directly inside its folder: not
/// empty, not "." or "..", without a path separator of either desktop, a
/// drive colon or a NUL. Anything else could reach outside the game folder or
/// the folder of saved game files.
bool isSafeRestoreName(std::string_view name);

/// The set name of a program-folder entry: the rest of its name after a
/// leading "CAM" (upper case only), or nothing when it does not start so or
/// holds a line feed (it could not be remembered in LastCampaign.txt).
std::optional<std::string> setNameFromEntry(std::string_view entry);

} // namespace kvl::folioswap
