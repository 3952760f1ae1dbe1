// The diff and merge commands of both record converters.
//
//   PROGRAM diff [--json] A B
//   PROGRAM merge [--json] [--prefer mine|theirs] [--force] [--dry-run] [--notes DIR] BASE MINE THEIRS -o OUT
//
// Each file may be the binary file or its text, in any mix: an input is read
// as text when it begins with the text's title line ("KORVAL"), or holds no
// zero byte at all; otherwise as the binary file. A text is read as the
// to-binary command reads it, and one that does not read is reported the
// same way.
#pragma once

#include "recordtext/menu.h"
#include "recordtext/programtable.h"
#include "recordtext/recordcompare.h"

#include "common/cli.h"

#include <filesystem>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace kvl::recordtext {

/// True when `bytes` are to be read as a text rather than as a binary file.
bool looksLikeText(std::span<const std::uint8_t> bytes);

/// What a diff or merge command line asked for.
struct CompareRequest {
    std::vector<std::string> files; // A B, or BASE MINE THEIRS; "-" is standard input
    bool json = false;
    Prefer prefer = Prefer::Neither;
    std::string out; // merge: the output file, "-" for standard output
    cli::OutputPolicy policy;
    std::filesystem::path notesFolder; // side files for a text output
};

/// `diff A B`: every differing field on `out`, one a line ("NAME: 1 -> 2"),
/// or a JSON document with --json. Returns 0 when the files hold the same
/// fields, 1 when they differ, 2 when a file cannot be read (the reason on `err`).
int runDiff(const ProgramTable& table, RecordConverter& converter, const CompareRequest& request, std::istream& in,
    std::ostream& out, std::ostream& err);

/// `merge BASE MINE THEIRS -o OUT`: the three-way merge written to OUT,
/// whole or not at all. Conflicts are listed on `out` (on `err` when the
/// merged file itself goes to standard output); unless --prefer decides
/// them nothing is written. The output is text when OUT ends in .TXT, binary
/// when it ends in .DAT (any letter case), otherwise of MINE's kind. A
/// result with the fields of one of the inputs of that kind is written as
/// that input's very bytes. Returns 0 when written, 1 when not (a
/// conflict, a file that cannot be read or written).
int runMerge(const ProgramTable& table, RecordConverter& converter, const CompareRequest& request, std::istream& in,
    std::ostream& out, std::ostream& err);

} // namespace kvl::recordtext
