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

/// A converter program's whole main: without arguments the one-shot console
/// dialogue in the current folder, which always ends with status 0; with
/// arguments the command line for scripts, status 0, 1 or 2. A console whose
/// reader has gone (output piped into a program that ended) never cuts
/// either short: the output is lost, the conversion is still made.
int runConverterProgram(const ProgramTable& table, RecordConverter& converter, int argc, char** argv);

} // namespace kvl::recordtext
