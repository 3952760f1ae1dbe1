// Export and import of one slot of a planes.dat file as CSV, and working
// copies and scripts applied to one, without a window: what "planesedit
// --export-csv", "--import-csv", "--apply-script" and "--apply-working-copy" do.
#pragma once

#include "planesedit/recordtable.h"
#include "planesedit/valuesfile.h"

#include "common/result.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kvl::planesedit {

/// Reads slot `slot` of `planesFile`. The error names the file and says
/// whether it is missing, unreadable or too short for the slot.
kvl::Result<AircraftRecord> readSlot(const std::filesystem::path& planesFile, int slot);

/// Slot `slot` of `planesFile` as CSV (row,position,label,value; CR LF).
kvl::Result<std::string> exportSlotCsv(const std::filesystem::path& planesFile, int slot);

/// Checks `csv` whole against slot `slot` of `planesFile` (every row known,
/// every value a number from 0 to 255, the quoting sound), then writes the
/// slot's 168 bytes back in place; nothing else in the file changes. On a
/// refusal nothing is written and the error names the CSV line. Returns the
/// number of bytes whose value changed.
kvl::Result<int> importSlotCsv(const std::filesystem::path& planesFile, int slot, std::string_view csv);

/// The slot the command line puts `file`'s values into: `slotOption` (--slot)
/// when given, else a script's destination. Refused, naming the file and the
/// destination line, for a script without one; a working copy needs --slot.
kvl::Result<int> commandLineSlot(const ValuesFile& file, std::optional<int> slotOption, std::string_view fileName);

/// Puts the values of a working copy or script (checked whole when it was
/// read) into slot `slot` of `planesFile`, in place: the slot's other bytes
/// and the rest of the file stay as they are. Writes nothing with `dryRun` or
/// when no value changes. Returns the values that change, row by row.
kvl::Result<std::vector<kvl::FieldDifference>> applyValuesToSlot(
    const std::filesystem::path& planesFile, int slot, const ValuesFile& file, bool dryRun);

} // namespace kvl::planesedit
