// The typed field table: one record of a game file seen as numbered fields
// (number, position in the file, type, label, value as the editor shows it,
// and the check a new value must pass). Both record editors present their
// files through it, so comparing two records and exporting and importing
// values as CSV are written once, here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"

namespace kvl {

struct TypedField {
    /// The number a user knows the field by (1-based field or grid row).
    int number = 0;
    /// Where the field lies, as the editor shows it (fltpatch: the 1-based
    /// byte position; planesedit: the byte offset in the record).
    std::uint64_t position = 0;
    /// Short type name ("i16", "i32", "f32", "u8", ...).
    std::string type;
    std::string label;
};

class TypedFieldTable {
public:
    virtual ~TypedFieldTable() = default;
    virtual std::size_t fieldCount() const = 0;
    virtual TypedField field(std::size_t index) const = 0;
    /// The value exactly as the editor shows it; reading it back with
    /// checkValue and writing it gives the same bytes.
    virtual std::string valueText(std::size_t index) const = 0;
    /// Whether `text` parses and fits field `index`; the error's message is a
    /// phrase that follows the quoted value ("is not a number", "does not fit
    /// an i16 (-32768 to 32767)").
    virtual Result<void> checkValue(std::size_t index, std::string_view text) const = 0;
};

/// A field whose values differ between two tables of the same layout.
struct FieldDifference {
    std::size_t index = 0;
    std::string mine;
    std::string theirs;
};

/// The fields (of the first min(count) fields) whose shown values differ.
std::vector<FieldDifference> compareFields(const TypedFieldTable& mine, const TypedFieldTable& theirs);

/// The columns of an exported table, in order. Known column names:
/// "position", "type", "label", "value", and `numberColumn` ("field", "row").
struct CsvLayout {
    std::string numberColumn;
    std::vector<std::string> columns;
};

/// The whole table as CSV: a header row of the layout's columns, then one
/// row per field.
std::string exportCsv(const TypedFieldTable& table, const CsvLayout& layout);

/// One value to write, from a CSV row.
struct FieldAssignment {
    std::size_t index = 0;
    std::string value;
    std::size_t line = 0;
};

/// Reads values to import. The header row must name the number column and
/// "value" (other columns are ignored, in any order); a subset of fields may
/// be given. Checked whole: an unknown or repeated field, a missing value, a
/// value that does not parse or fit, or bad quoting fails the whole import
/// with the line number and the reason, so nothing is written.
Result<std::vector<FieldAssignment>> parseImportCsv(
    const TypedFieldTable& table, std::string_view csv, const CsvLayout& layout);

} // namespace kvl
