// The command line both record converters share, as rows of their option
// tables (campconv/campconvoptions.h, squadconv/squadconvoptions.h): the
// commands and their options. The two texts that name a program's own files
// come from the program.
//   PROGRAM                                       (the dialogue)
//   PROGRAM to-text [-o PATH] [-f] [-n] [--notes DIR] FILE.DAT...
//   PROGRAM to-binary [-o PATH] [-f] [-n] FILE.TXT...
//   PROGRAM verify [--notes DIR] FILE.DAT...
//   PROGRAM diff [--json] A B
//   PROGRAM merge -o PATH [-f] [-n] [--notes DIR] [--json] [--prefer mine|theirs] BASE MINE THEIRS
#pragma once

#include "common/optiontable.h"

#include <array>

namespace kvl::recordtext {

/// The modes, by their place in converterModes().
enum : std::size_t { kDialogueMode, kToTextMode, kToBinaryMode, kVerifyMode, kDiffMode, kMergeMode };

namespace options {

inline constexpr cli::ModeSet kWriting = cli::modeBit(kToTextMode) | cli::modeBit(kToBinaryMode)
    | cli::modeBit(kMergeMode);
inline constexpr cli::ModeSet kCompare = cli::modeBit(kDiffMode) | cli::modeBit(kMergeMode);

} // namespace options

/// The options; `notesHelp` says which side files --notes DIR reads.
constexpr std::array<cli::Option, 8> converterOptions(std::string_view notesHelp)
{
    using namespace options;
    return { {
        cli::option('o', "out",
            "write into folder PATH (an existing folder, or PATH ending in /);\nwith one input PATH may name the "
            "output "
            "file, and - writes the\nresult to standard output (merge: the merged file)")
            .takes("PATH", cli::files())
            .in(kWriting)
            .requiredIn(cli::modeBit(kMergeMode)),
        cli::option(
            'f', "force", "replace output files that exist (without it they are reported\nand left as they are)")
            .in(kWriting),
        cli::option('n', "dry-run", "say what would be written, write nothing").in(kWriting),
        cli::option("notes", notesHelp)
            .takes("DIR", cli::folders())
            .in(cli::modeBit(kToTextMode) | cli::modeBit(kVerifyMode) | cli::modeBit(kMergeMode)),
        cli::option("json", "diff and merge: the differences or conflicts as one JSON document").in(kCompare),
        cli::option("prefer", "merge: conflicts take this side's value, and the merge is written")
            .takes("mine|theirs", cli::words("mine theirs"))
            .in(cli::modeBit(kMergeMode)),
        cli::option('h', "help", "show this help and end"),
        cli::option("version", "show the version and end"),
    } };
}

/// The dialogue and the commands; `toTextHelp` names the text the dialogue
/// writes.
constexpr std::array<cli::Mode, 6> converterModes(std::string_view toTextHelp)
{
    const cli::ValueCompletion binaries = cli::files("*.dat");
    const cli::ValueCompletion either = cli::files("*.dat *.txt");
    return { {
        cli::mode(""),
        cli::command("to-text", "FILE.DAT...", binaries, toTextHelp),
        cli::command("to-binary", "FILE.TXT...", cli::files("*.txt"),
            "parse each annotated text and write the binary file, named after it\nwith .DAT; a text that does not "
            "parse "
            "is reported and nothing is written"),
        cli::command("verify", "FILE.DAT...", binaries,
            "convert each binary file to text and back in memory; print\n\"FILE: round trip identical\" or the first "
            "difference: its offset, the\nfield as the text names it, the value in the file and after the trip"),
        cli::command("diff", "A B", either,
            "list every field that differs between A and B (binary files or texts,\nin any mix), one a line: "
            "\"SECTION / RECORD / LABEL: A -> B\""),
        cli::command("merge", "BASE MINE THEIRS", either,
            "three-way merge by fields into OUT: a field changed on one side takes\nthat side's value; one changed "
            "differently on both is a conflict, and\nconflicts are listed and nothing is written unless --prefer "
            "decides;\nOUT is a text when it ends in .TXT, binary when in .DAT, else as MINE"),
    } };
}

} // namespace kvl::recordtext
