// planesedit's command line, described once: its parser, --help, the manual
// page and the bash completion are all made from this table.
//   planesedit [--slot N] [--quit-after-load]
//   planesedit --export-csv --slot N [PLANES.DAT]
//   planesedit --import-csv VALUES.csv --slot N [PLANES.DAT]
//   planesedit --apply-script FILE.oaw [--slot N] [-n] [PLANES.DAT]
//   planesedit --apply-working-copy FILE.oaw --slot N [-n] [PLANES.DAT]
#pragma once

#include "common/optiontable.h"

namespace kvl::planesedit {

/// The modes, by their place in kModes.
enum : std::size_t { kWindowMode, kExportCsvMode, kImportCsvMode, kApplyScriptMode, kApplyWorkingCopyMode };

namespace options {

inline constexpr cli::ModeSet kWindow = cli::modeBit(kWindowMode);
inline constexpr cli::ModeSet kCsv = cli::modeBit(kExportCsvMode) | cli::modeBit(kImportCsvMode);
inline constexpr cli::ModeSet kApply = cli::modeBit(kApplyScriptMode) | cli::modeBit(kApplyWorkingCopyMode);

inline constexpr cli::Option kOptions[] = {
    cli::option("slot", "Choose aircraft N (0..29) at start.")
        .takes("N", cli::range(0, 29))
        .in(kWindow | kCsv | kApply)
        .requiredIn(kCsv | cli::modeBit(kApplyWorkingCopyMode)),
    cli::option(
        "export-csv", "Write the slot's 168 bytes as CSV (row,position,label,value) to standard output; no window.")
        .in(cli::modeBit(kExportCsvMode)),
    cli::option("import-csv",
        "Write the values of VALUES.csv (columns row and value; any subset of rows; - for standard input) into the "
        "slot, checked whole first; no window.")
        .takes("VALUES.csv", cli::files("*.csv"))
        .in(cli::modeBit(kImportCsvMode)),
    cli::option("apply-script",
        "Write the values of an aircraft script (bytes 2..168) into its destination slot, or into --slot N; checked "
        "whole first; - for standard input; no window.")
        .takes("FILE.oaw", cli::files("*.oaw"))
        .in(cli::modeBit(kApplyScriptMode)),
    cli::option("apply-working-copy",
        "Write the values of a working copy (bytes 1..168) into slot --slot N; checked whole first; - for standard "
        "input; no window.")
        .takes("FILE.oaw", cli::files("*.oaw"))
        .in(cli::modeBit(kApplyWorkingCopyMode)),
    cli::option('n', "dry-run",
        "With --apply-script or --apply-working-copy: list the values that would change (row, label, old -> new) and "
        "write nothing.")
        .in(kApply),
    cli::quitAfterLoadOption(kWindow),
    cli::kQtHelpOption,
    cli::kQtHelpAllOption,
    cli::kQtVersionOption,
};

inline constexpr cli::Mode kModes[] = {
    cli::mode(""),
    cli::mode("--export-csv", "[PLANES.DAT]", cli::files("*.dat")),
    cli::mode("--import-csv", "[PLANES.DAT]", cli::files("*.dat")),
    cli::mode("--apply-script", "[PLANES.DAT]", cli::files("*.dat")),
    cli::mode("--apply-working-copy", "[PLANES.DAT]", cli::files("*.dat")),
};

inline constexpr cli::Operand kOperands[] = {
    { "PLANES.DAT", "[PLANES.DAT]",
        "The file for --export-csv, --import-csv, --apply-script and --apply-working-copy (default: planes.dat in the "
        "current folder)." },
};

} // namespace options

inline constexpr cli::ProgramOptions kCommandLine { "planesedit", options::kOptions, options::kModes,
    options::kOperands };

} // namespace kvl::planesedit
