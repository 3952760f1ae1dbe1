// modelconv's command line, described once: its parser, the option list of
// --help, the manual page and the bash completion are all made from this
// table.
//   modelconv                                   (the dialogue)
//   modelconv [--vkm] [--text] [--info] [--json] [-o DIR] [-f] [-n] MODEL.3DB...
#pragma once

#include "common/optiontable.h"

namespace kvl::modelconv {

/// The modes, by their place in kModes.
enum : std::size_t { kDialogueMode, kBatchMode };

namespace options {

inline constexpr cli::ModeSet kBatch = cli::modeBit(kBatchMode);

inline constexpr cli::Option kOptions[] = {
    cli::option("vkm", "write the VKM model file (the default when none of\n--vkm, --text, --info and --json is given)")
        .in(kBatch),
    cli::option("text", "write the text dump").in(kBatch),
    cli::option("info",
        "print each model's summary and, when no VKM file can be\nwritten for it, the reason, as the dialogue shows "
        "them")
        .in(kBatch),
    cli::option("json",
        "print the summary as JSON instead, one object per line:\nfile, texture, inserts, nodes, tvns, elements, "
        "vkm\n(true or false) and vkmProblem (null or the reason);\na model that cannot be read gives file and error")
        .in(kBatch),
    cli::option('o', "out", "write the outputs into DIR instead of beside each model")
        .takes("DIR", cli::folders())
        .in(kBatch),
    cli::option('f', "force", "replace output files that exist already").in(kBatch),
    cli::option('n', "dry-run", "say what would be written, and write nothing").in(kBatch),
    cli::option('h', "help", "show this help and end"),
    cli::option("version", "show the version and end"),
};

inline constexpr cli::Mode kModes[] = {
    cli::mode(""),
    cli::mode("", "MODEL.3DB...", cli::files("*.3db")),
};

} // namespace options

inline constexpr cli::ProgramOptions kCommandLine { "modelconv", options::kOptions, options::kModes, {} };

} // namespace kvl::modelconv
