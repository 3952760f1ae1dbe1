// fltpatch's command line, described once: its parser, --help, the manual
// page and the bash completion are all made from this table.
//   fltpatch [--quit-after-load] [FILE.flt]
//   fltpatch --export-csv FILE.flt
//   fltpatch --import-csv VALUES.csv FILE.flt
//   fltpatch --diff A.flt [--json] FILE.flt
#pragma once

#include "common/optiontable.h"

namespace kvl::fltpatch {

/// The modes, by their place in kModes.
enum : std::size_t { kWindowMode, kExportCsvMode, kImportCsvMode, kDiffMode };

namespace options {

inline constexpr cli::Option kOptions[] = {
    cli::quitAfterLoadOption(cli::modeBit(kWindowMode)),
    cli::option("export-csv",
        "Print the values of FILE.flt as CSV (field,position,type,label,value) on standard output; labels come from "
        "FDataDet.txt in the current folder.")
        .in(cli::modeBit(kExportCsvMode)),
    cli::option("import-csv",
        "Write the values of VALUES.csv (columns field and value, any subset of the fields) into FILE.flt. The whole "
        "file is checked first: a bad row is reported and nothing is written.")
        .takes("VALUES.csv", cli::files("*.csv"))
        .in(cli::modeBit(kImportCsvMode)),
    cli::option("diff",
        "List every value of A.flt that differs from FILE.flt (the second file), one a line: field number, type, "
        "label, both values; no window. Exit status 0 when none differs, 1 when any does.")
        .takes("A.flt", cli::files("*.flt"))
        .in(cli::modeBit(kDiffMode)),
    cli::option("json", "With --diff: the differences as one JSON document.").in(cli::modeBit(kDiffMode)),
    cli::kQtHelpOption,
    cli::kQtHelpAllOption,
    cli::kQtVersionOption,
};

inline constexpr cli::Mode kModes[] = {
    cli::mode("", "[FILE.flt]", cli::files("*.flt")),
    cli::mode("--export-csv", "FILE.flt", cli::files("*.flt")),
    cli::mode("--import-csv", "FILE.flt", cli::files("*.flt")),
    cli::mode("--diff", "FILE.flt", cli::files("*.flt")),
};

inline constexpr cli::Operand kOperands[] = {
    { "FILE.flt", "[FILE.flt]", "The flight file to load; without it the file dialog opens." },
};

} // namespace options

inline constexpr cli::ProgramOptions kCommandLine { "fltpatch", options::kOptions, options::kModes,
    options::kOperands };

} // namespace kvl::fltpatch
