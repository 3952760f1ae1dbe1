// Where a new campaign set comes from: an archive or a folder, seen the same
// way. A source lists its entries (name, kind, size as its headers say) and
// then hands over the bytes of the entries asked for, in the listed order.
// Nothing a source says is trusted: the check (setcheck.h) looks at every
// entry before anything is written, and the installer counts the real bytes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/result.h"

namespace kvl::folioswap {

enum class EntryKind { File, Folder, SymbolicLink, HardLink, Other };

/// One entry as the source lists it. `name` is its path inside the source
/// as UTF-8, "/" or "\" between folders as the source wrote it; `size` is
/// what the header claims (none when it does not say).
struct SourceEntry {
    std::string name;
    EntryKind kind = EntryKind::File;
    std::optional<std::uint64_t> size;
};

/// How far a listing goes: it stops at the first entry past either limit
/// (an archive that claims more is refused anyway), so that a bomb is never
/// unpacked only to be listed.
struct ListLimits {
    std::size_t entries = 0;
    std::uint64_t claimedBytes = 0;
};

/// What a source lists: its entries, and whether it stopped at a limit.
struct Listing {
    std::vector<SourceEntry> entries;
    bool cut = false;
};

/// Receives the bytes of the file entries a source reads out.
class EntrySink {
public:
    virtual ~EntrySink() = default;
    /// File entry `index` of the listing begins; the answer says whether its
    /// bytes are wanted (when not, the source skips them).
    virtual kvl::Result<bool> begin(std::size_t index) = 0;
    /// The next bytes of the current entry.
    virtual kvl::Result<void> write(std::span<const std::uint8_t> bytes) = 0;
    /// The current entry is complete.
    virtual kvl::Result<void> end() = 0;
};

class SetSource {
public:
    virtual ~SetSource() = default;

    /// The source as messages name it (the archive's or folder's path).
    virtual std::string describe() const = 0;
    /// The source's own size in bytes (an archive's file size), or none for a
    /// folder; the check measures what the headers claim against it.
    virtual std::optional<std::uint64_t> packedSize() const = 0;
    /// The entries, in order, up to the limits. A damaged archive is an error
    /// with the reading library's reason.
    virtual kvl::Result<Listing> list(const ListLimits& limits) = 0;
    /// Offers every file entry to `sink`, in the listed order, and hands it
    /// the bytes of those it wants. Any error of the sink stops the reading
    /// and is returned; so is a source that no longer matches its listing.
    virtual kvl::Result<void> read(EntrySink& sink) = 0;
};

/// A folder's plain files and sub-folders, recursively. A link of any kind is
/// listed as one (never followed), so the check can refuse it.
std::unique_ptr<SetSource> openFolderSource(const std::filesystem::path& folder);

/// A folder as a folder source, anything else as an archive
/// (archivereader.h). Nothing is read yet.
std::unique_ptr<SetSource> openSetSource(const std::filesystem::path& path);

/// The bytes of one entry, at most `limit` of them (more is an error naming
/// the entry): for the small texts of a set that are read into memory.
kvl::Result<std::vector<std::uint8_t>> readEntry(SetSource& source, std::size_t index, std::uint64_t limit);

} // namespace kvl::folioswap
