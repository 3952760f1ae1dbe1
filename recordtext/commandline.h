// The command line of both record converters: to-text, to-binary and verify
// over any number of files, for scripts. Started without arguments the
// programs run their dialogue instead (recordtext/menu.h).
//
//   PROGRAM [OPTIONS] to-text FILE.DAT...    binary -> annotated NAME.TXT
//   PROGRAM [OPTIONS] to-binary FILE.TXT...  annotated text -> NAME.DAT
//   PROGRAM [OPTIONS] verify FILE.DAT...     binary -> text -> binary in memory
//
// Results go to files (or standard output with "-o -"), messages to the error
// stream; every file of a batch is tried, the last line counts successes and
// failures. Exit status 0: all done; 1: a file failed (or differs); 2: usage.
#pragma once

#include "recordtext/menu.h"
#include "recordtext/programtable.h"

#include <filesystem>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace kvl::recordtext {

/// Runs one command line (`arguments` without the program name) with
/// `converter`. "-" as a file reads `in`; results for standard output go to
/// `out`, every message to `err`. Side files are read from `--notes DIR`, or
/// else from `folder` (the current folder). Returns the exit status.
int runCommandLine(const ProgramTable& table, RecordConverter& converter, const std::vector<std::string>& arguments,
    std::istream& in, std::ostream& out, std::ostream& err, const std::filesystem::path& folder = ".");

/// The --help text.
std::string commandLineHelp(const ProgramTable& table);

} // namespace kvl::recordtext
