// The check of a new set's source before anything is written: every entry's
// name must stay inside the set's folder and be a name the game's desktop can
// hold, no two names may differ only in letter case, no entry may be a link,
// and what the headers claim must stay within sane limits. A source that
// passes becomes a plan: which entry is a set file, the comment, the picture
// or the read-me, and which are left out (and why).
//
// What a set archive holds: the set's files at its top (or inside one top
// folder, which is taken away), and beside them, when it has them, the
// comment "xxx<name>.txt", a picture "<name>.jpg" and a read-me
// "<name>ReadMe.txt". Files in deeper folders and hidden files are not part
// of the set, as in a set's own folder.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"
#include "folioswap/setsource.h"

namespace kvl::folioswap {

/// The error number of a set source that was refused.
inline constexpr int kErrRefusedSource = 1006;

/// At most this many bytes unpacked, entries in a source, and times an
/// archive's own size that its headers may claim.
inline constexpr std::uint64_t kMaxSetBytes = std::uint64_t(1) << 30;
inline constexpr std::size_t kMaxSetEntries = 10000;
inline constexpr std::uint64_t kMaxExpansion = 1000;
/// What must stay free on the disk besides the new files: this much, and a
/// tenth of what is written.
inline constexpr std::uint64_t kSpareBytes = std::uint64_t(64) << 20;

/// How far to list a source of that packed size (none for a folder).
ListLimits listLimits(std::optional<std::uint64_t> packedSize);

/// The most bytes a source of that packed size may unpack to; the installer
/// stops there whatever the headers said.
std::uint64_t byteLimit(std::optional<std::uint64_t> packedSize);

enum class PartRole { SetFile, Comment, Picture, ReadMe, LeftOut };

/// One file entry of the source and what becomes of it.
struct PlannedPart {
    std::size_t index = 0; // in the listing
    std::string entry;     // the entry's name in the source
    std::string name;      // its file name (the last part of its path)
    std::optional<std::uint64_t> size;
    PartRole role = PartRole::SetFile;
    std::string whyLeftOut;
};

struct SetPlan {
    std::vector<PlannedPart> parts;
    /// The name the source suggests: from the comment, the picture, the top
    /// folder (without a leading "CAM") or else `fallbackName`.
    std::string suggestedName;
    /// What the headers claim for the parts that are written.
    std::uint64_t claimedBytes = 0;
    const PlannedPart* part(PartRole role) const;
    std::size_t setFileCount() const;
};

/// Checks a listing. `fallbackName` names the set when nothing inside the
/// source does (an archive's file name without its extension). A refusal is
/// kErrRefusedSource with a message naming the source, the entry and why.
kvl::Result<SetPlan> checkSetSource(const Listing& listing, std::optional<std::uint64_t> packedSize,
    const std::string& sourceName, const std::string& fallbackName);

/// A refusal when `needed` bytes and the spare do not fit into `freeBytes`.
std::optional<std::string> spaceRefusal(std::uint64_t needed, std::uint64_t freeBytes);

/// Why `name` cannot name a new set, or nothing when it can: it must be a
/// plain file name on every desktop (no path separator, drive colon, control
/// character or reserved device name), not the "no set" name, at most 64
/// bytes, and no set of `taken` may have it in any letter case.
std::optional<std::string> setNameProblem(std::string_view name, const std::vector<std::string>& taken);

/// A name made acceptable: characters that may not stand in a file name
/// become "_", spaces and dots at the ends go, an empty result becomes "Set".
std::string tidySetName(std::string_view name);

/// ASCII lower case, for comparing names as the game's desktop does.
std::string lowerAscii(std::string_view text);

} // namespace kvl::folioswap
