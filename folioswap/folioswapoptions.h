// folioswap's command line, described once: its parser, --help, the manual
// page and the bash completion are all made from this table.
//   folioswap [--quit-after-load]
//   folioswap --list
//   folioswap --add-set ARCHIVE|FOLDER [--name NAME] [--dry-run]
#pragma once

#include "common/optiontable.h"

namespace kvl::folioswap {

/// The modes, by their place in kModes.
enum : std::size_t { kWindowMode, kListMode, kAddSetMode };

namespace options {

inline constexpr cli::ModeSet kAddSet = cli::modeBit(kAddSetMode);

inline constexpr cli::Option kOptions[] = {
    cli::quitAfterLoadOption(cli::modeBit(kWindowMode)),
    cli::option("list",
        "Print the sets, one a line (a tab and \"loaded\" after the loaded one), each followed by its files: a tab, "
        "the name, a tab, the size, a tab and \"replaces\" or \"adds\"; no window.")
        .in(cli::modeBit(kListMode)),
    cli::option("add-set",
        "Add a set from an archive (.zip, .7z, .rar, tar) or a folder, checked whole first; prints what it holds and "
        "replaces; no window. Exit status 0, 1 when refused or failed.")
        .takes("ARCHIVE|FOLDER", cli::files("*.zip *.7z *.rar *.tar *.tgz *.gz *.bz2 *.xz"))
        .in(kAddSet),
    cli::option("name", "With --add-set: the new set's name (else the one the archive suggests).")
        .takes("NAME")
        .in(kAddSet),
    cli::option("dry-run", "With --add-set: check and print, write nothing.").in(kAddSet),
    cli::kQtHelpOption,
    cli::kQtHelpAllOption,
    cli::kQtVersionOption,
};

inline constexpr cli::Mode kModes[] = {
    cli::mode(""),
    cli::mode("--list"),
    cli::mode("--add-set"),
};

} // namespace options

inline constexpr cli::ProgramOptions kCommandLine { "folioswap", options::kOptions, options::kModes, {} };

} // namespace kvl::folioswap
