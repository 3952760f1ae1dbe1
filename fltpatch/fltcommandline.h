// fltpatch without a window: --export-csv, --import-csv and --diff. They run the same
// editor as the window, with a host that prints its messages on standard
// error and never opens a dialog.
#pragma once

#include <filesystem>
#include <ostream>

namespace kvl::fltpatch {

/// `fltpatch --export-csv FILE.flt`: the file's values as CSV on `out`, with
/// the descriptions of FDataDet.txt in `folder` as labels (empty without
/// it). Returns the exit status: 0, or 1 when the file cannot be loaded.
int exportCsvCommand(
    const std::filesystem::path& folder, const std::filesystem::path& file, std::ostream& out, std::ostream& err);

/// `fltpatch --import-csv VALUES.csv FILE.flt`: writes the values of the CSV
/// file into the flight file, all or nothing. Returns 0 when they were
/// written (or were there already), 1 when the import was refused (a bad
/// row, reported with its line number) or a file cannot be read or written.
int importCsvCommand(
    const std::filesystem::path& csv, const std::filesystem::path& file, std::ostream& out, std::ostream& err);

/// `fltpatch --diff A.flt B.flt`: every field whose value (as the editor
/// shows it) differs, one a line on `out` - "field 12, float, <label>: 1.5 ->
/// 2", the label from FDataDet.txt in `folder` (left out without one) - or,
/// with `json`, one JSON document. Returns 0 when the 328 values are the
/// same, 1 when any differs, 2 when a file cannot be loaded (said on `err`).
int diffCommand(const std::filesystem::path& folder, const std::filesystem::path& a, const std::filesystem::path& b,
    bool json, std::ostream& out, std::ostream& err);

} // namespace kvl::fltpatch
