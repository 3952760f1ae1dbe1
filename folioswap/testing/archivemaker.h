// Tests and the seed corpus only: set archives made here, good ones and
// crafted ones that every check must refuse (names that leave the folder,
// links, names that differ only in case, bombs, damaged bytes).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kvl::test {

enum class MadeKind { File, Folder, SymbolicLink, HardLink };

struct MadeEntry {
    std::string name;
    std::string data; // a file's bytes, or a link's target
    MadeKind kind = MadeKind::File;
    /// Zero bytes appended to the data (for bombs: they pack to almost nothing).
    std::uint64_t zeros = 0;
};

enum class ArchiveFormat { Zip, SevenZip, Tar, TarGz, TarXz };

/// An archive written by the archive library's writer.
std::vector<std::uint8_t> makeArchive(ArchiveFormat format, const std::vector<MadeEntry>& entries);

/// A .zip written byte by byte: every entry stored as it is, its headers
/// claiming `claimedSize` unpacked bytes when that is set, its name exactly
/// as given (any separator, drive or "..").
struct CraftedZipEntry {
    std::string name;
    std::string data;
    std::uint64_t claimedSize = UINT64_MAX; // UINT64_MAX: the data's size
    std::uint32_t unixMode = 0100644;       // 0120777 makes a symbolic link
};
std::vector<std::uint8_t> craftZip(const std::vector<CraftedZipEntry>& entries);

/// One archive of the corpus: its file name, bytes, and whether the check
/// accepts it (else `refusal` is part of the reason given).
struct CraftedArchive {
    std::string name;
    std::vector<std::uint8_t> bytes;
    bool accepted = false;
    std::string refusal;
};

/// Every archive of the seed corpus, good and crafted.
std::vector<CraftedArchive> craftedArchives();

} // namespace kvl::test
