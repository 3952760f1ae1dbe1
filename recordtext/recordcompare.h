// Comparing and merging record files field by field.
//
// Both work on binary images (a text is parsed into its records and written
// as the binary first), walking every field the converter's field list
// places in them. A file that holds any number of records in a row (the
// squadron file) may hold more or fewer than another: its record count is
// compared too, and a field of a record a file does not have has no value
// there. Bytes after the last whole record belong to no field; they are
// compared and merged as one block, "the bytes after the records".
//
// The merge is three-way: a field changed on one side (against the base)
// takes that side's value, one changed alike on both takes it, one changed
// differently on the two sides is a conflict, which a preferred side may
// decide. A record one side removed while the other changed it is a conflict
// on the changed fields.
#pragma once

#include "recordtext/fieldwalkers.h"
#include "recordtext/menu.h"
#include "recordtext/programtable.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kvl::recordtext {

/// A field's value in one file; nothing when the file does not hold the
/// field's record.
using FieldValue = std::optional<std::int64_t>;

/// A binary record file as the compare sees it.
struct RecordImage {
    std::vector<std::uint8_t> bytes;
    std::size_t recordsEnd = 0; // where the fields end; the bytes after are the tail
    std::span<const std::uint8_t> tail() const { return std::span(bytes).subspan(recordsEnd); }
};

RecordImage recordImage(const RecordConverter& converter, std::vector<std::uint8_t> bytes);

/// Every field of records that end at `end` at most, in file order.
std::vector<FieldPlace> fieldPlaces(const RecordConverter& converter, std::size_t end);

/// The value at `place` in `image` (little-endian; 32-bit fields signed).
FieldValue fieldValue(const FieldPlace& place, const RecordImage& image);

/// What differs at one place.
enum class ItemKind {
    Field, // a field; values are the field's
    Count, // the number of records (the squadron count); values are counts
    Tail,  // the bytes after the records; values are their lengths
};

struct ComparedItem {
    ItemKind kind = ItemKind::Field;
    FieldPlace place;               // the field; for the tail its offset in the first file
    std::vector<FieldValue> values; // one per file, in the order the files were given
};

/// Every place where `a` and `b` differ, in file order: the record count
/// first, the bytes after the records last.
std::vector<ComparedItem> diffImages(const RecordConverter& converter, const RecordImage& a, const RecordImage& b);

/// Which side a conflict goes to.
enum class Prefer { Neither, Mine, Theirs };

struct MergeResult {
    std::vector<std::uint8_t> bytes;     // the merged binary file (complete only when decided())
    std::vector<ComparedItem> conflicts; // values: base, mine, theirs
    std::size_t fromMine = 0;            // fields changed on one side only
    std::size_t fromTheirs = 0;
    std::size_t alike = 0; // fields changed alike on both sides
    Prefer prefer = Prefer::Neither;
    bool decided() const { return conflicts.empty() || prefer != Prefer::Neither; }
};

MergeResult mergeImages(const RecordConverter& converter, const RecordImage& base, const RecordImage& mine,
    const RecordImage& theirs, Prefer prefer);

} // namespace kvl::recordtext
