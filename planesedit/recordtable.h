// One aircraft slot of planes.dat as a typed field table: 168 rows, one per
// byte of the edited part of the record, each with its 1-based file position
// (as the grid's first column shows it), the field it belongs to and its
// value as the grid's value column holds it. Compare, CSV export and CSV
// import of a slot all go through this table.
//
// CSV columns: row,position,label,value. An import names rows by number and
// may give any subset of them; a value must be a number from 0 to 255 (a
// fraction rounds as "Save planes.dat" rounds it).
#pragma once

#include "planesedit/recorddocument.h"

#include "common/fieldtable.h"

#include <array>
#include <string>
#include <vector>

namespace kvl::planesedit {

class RecordTable : public kvl::TypedFieldTable {
public:
    /// The bytes of `rec` as read from the file.
    static RecordTable fromRecord(const AircraftRecord& rec);
    /// The record as the editor holds it, saved or not (slot 0 before a load).
    static RecordTable fromDocument(const RecordDocument& document);

    int slot() const { return m_slot; }

    std::size_t fieldCount() const override { return kRecordBytes; }
    kvl::TypedField field(std::size_t index) const override;
    std::string valueText(std::size_t index) const override;
    kvl::Result<void> checkValue(std::size_t index, std::string_view text) const override;

private:
    int m_slot = 0;
    std::array<std::string, kRecordBytes> m_values;
};

/// The CSV columns of a slot: row,position,label,value.
const kvl::CsvLayout& recordCsvLayout();

/// Why `text` cannot be stored in a byte cell ("is not a number", "does not
/// fit a u8 (0 to 255)"), or success when it can (as parseByteCell reads it).
kvl::Result<void> checkByteText(std::string_view text);

/// The label a row goes by in compare and CSV: its field's name, with the
/// byte within the field where the field has more than one ("Year, byte 2").
std::string rowLabel(int row);

/// `values` (168 bytes) with the import's assignments applied. The
/// assignments must have passed RecordTable::checkValue.
std::array<std::uint8_t, kRecordBytes> applyAssignments(
    std::array<std::uint8_t, kRecordBytes> values, const std::vector<kvl::FieldAssignment>& assignments);

} // namespace kvl::planesedit
