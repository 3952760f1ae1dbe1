// Whole-file images, in-place writes and case-insensitive file look-up.
//
// The game's files come from a desktop whose file system ignores letter case,
// so a name typed or stored as "CAMP0001.DAT" may be "camp0001.dat" on disk.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "common/result.h"

namespace kvl {

/// Reads the whole file. Refuses folders, pipes and devices; the error names
/// the file and gives the system's reason ("cannot open "x": No such file or
/// directory"), with errno as its code where the system gave one.
Result<std::vector<std::uint8_t>> readFileImage(const std::filesystem::path& path);

/// Reads the whole file into `out`. On failure `out` is left empty, false is
/// returned and `error` (when given) says why in one short sentence.
bool readFileImage(const std::filesystem::path& path, std::vector<std::uint8_t>& out, std::string* error = nullptr);

/// Creates or replaces the file with exactly `bytes`. False when it cannot be
/// created or written completely.
bool writeFileImage(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);
bool writeFileImage(const std::filesystem::path& path, std::string_view text);

/// Writes to a temporary file beside `path`, flushes it to disk, then renames
/// it over `path`, so a reader sees either the old or the new content, never a
/// part. On failure the temporary file is removed, `path` is left as it was,
/// and the error names the file and gives the system's reason.
Result<void> replaceFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

/// The first half of replaceFile for many files at once: writes `bytes` to a
/// new temporary file beside `path` and returns its name. Not yet flushed.
Result<std::filesystem::path> writeTemporaryBeside(
    const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

/// Flushes the files to disk, with one sync of each file system they lie on
/// where the system offers that, else one by one.
Result<void> flushFilesToDisk(std::span<const std::filesystem::path> files);

/// replaceFile, reporting only whether it worked.
bool writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);
bool writeFileAtomically(const std::filesystem::path& path, std::string_view text);

/// Overwrites bytes [offset, offset + bytes.size()) of an existing file in
/// place. Refuses (writing nothing) when the file does not exist or the range
/// does not lie inside it, so the file is never grown or truncated.
bool writeInPlace(const std::filesystem::path& path, std::uint64_t offset, std::span<const std::uint8_t> bytes,
    std::string* error = nullptr);

/// The size of a regular file, or -1 when it is not one.
std::int64_t fileSize(const std::filesystem::path& path);

/// The file `name` in `folder`: the name as given when it exists, otherwise
/// the one entry of the folder whose name equals it ignoring ASCII case
/// (the first in sorted order when several do), otherwise `folder / name`
/// unchanged so that the caller's open fails as it would have.
/// A `name` with a folder part is resolved component by component.
std::filesystem::path findFileNoCase(const std::filesystem::path& folder, const std::string& name);

/// ASCII case-insensitive equality.
bool equalsNoCase(std::string_view a, std::string_view b);

} // namespace kvl
