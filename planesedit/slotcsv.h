// Export and import of one slot of a planes.dat file as CSV without a window:
// what "planesedit --export-csv" and "--import-csv" do.
#pragma once

#include "planesedit/recordtable.h"

#include "common/result.h"

#include <filesystem>
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

} // namespace kvl::planesedit
