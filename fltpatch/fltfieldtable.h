// A flight file's 328 values as a kvl::TypedFieldTable, so that the shared
// compare, CSV export and checked CSV import work on them. The table is a
// view: it holds no values of its own, only the editor's texts, and must not
// outlive them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/byteview.h"
#include "common/fieldtable.h"
#include "fltpatch/fltfields.h"

namespace kvl::fltpatch {

/// The CSV columns of an exported flight file: field number, position (in
/// bytes from 1, as the editor shows it), type ("short", "long", "float"),
/// description, and the value as the editor shows it.
const CsvLayout& flightCsvLayout();

class FlightFieldTable : public TypedFieldTable {
public:
    /// `values` and `descriptions` hold one text per field (entry n - 1 is
    /// field n); a shorter span leaves the missing texts empty.
    FlightFieldTable(std::span<const std::string> values, std::span<const std::string> descriptions);

    std::size_t fieldCount() const override { return kFieldCount; }
    TypedField field(std::size_t index) const override;
    std::string valueText(std::size_t index) const override;
    /// A value passes when it converts to the field's type as a typed value
    /// would ("is not a number", "does not fit: a short holds ...").
    Result<void> checkValue(std::size_t index, std::string_view text) const override;

private:
    std::span<const std::string> m_values;
    std::span<const std::string> m_descriptions;
};

/// The value texts of all 328 fields of a flight file image (entry n - 1 is
/// field n); fields the image does not reach are empty.
std::vector<std::string> valueTexts(ByteView image);

} // namespace kvl::fltpatch
