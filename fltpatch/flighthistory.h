// The editor's undo history. Every write into a flight file (an Enter, a
// paste, a copy from a compared file, an import, a revert) is one step that
// keeps the file's bytes before and after it, so that undo and redo can put
// either back - but only while the file still holds, at the step's fields,
// exactly what the step left there: a change made by another program since
// is never overwritten.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "common/result.h"

namespace kvl::fltpatch {

using Bytes = std::vector<std::uint8_t>;

struct WriteStep {
    /// What the step did, as a noun phrase for menus and messages
    /// ("write to field 161", "paste into fields 1 to 5").
    std::string what;
    /// The fields the step wrote, ascending.
    std::vector<int> fields;
    /// The file's first kFileSize bytes just before and just after the step;
    /// only the bytes of `fields` count.
    Bytes before;
    Bytes after;
};

/// The file's first kFileSize bytes as they are now. The error is a reason
/// that follows "Cannot ...: " ("cannot open \"x\": No such file or
/// directory", "\"x\" is now 600 bytes long, shorter than a flight file").
Result<Bytes> readFields(const std::filesystem::path& path);

/// `base` with the bytes of `fields` taken from `source`.
Bytes withFields(Bytes base, const Bytes& source, const std::vector<int>& fields);

/// The first of `fields` whose bytes differ between `a` and `b`; 0 when none does.
int firstDifferentField(const Bytes& a, const Bytes& b, const std::vector<int>& fields);

/// The fields (ascending) whose bytes differ between two images.
std::vector<int> differentFields(const Bytes& a, const Bytes& b);

/// Writes the bytes of `image` from the first to the last of `fields` into
/// the file in place, in one write. The error is a reason, as for readFields.
Result<void> writeFields(const std::filesystem::path& path, const Bytes& image, const std::vector<int>& fields);

} // namespace kvl::fltpatch
