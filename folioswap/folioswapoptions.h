// folioswap's command line, described once: its parser, --help, the manual
// page and the bash completion are all made from this table.
//   folioswap [--quit-after-load]
#pragma once

#include "common/optiontable.h"

namespace kvl::folioswap {

/// The modes, by their place in kModes.
enum : std::size_t { kWindowMode };

namespace options {

inline constexpr cli::Option kOptions[] = {
    cli::quitAfterLoadOption(cli::modeBit(kWindowMode)),
    cli::kQtHelpOption,
    cli::kQtHelpAllOption,
    cli::kQtVersionOption,
};

inline constexpr cli::Mode kModes[] = {
    cli::mode(""),
};

} // namespace options

inline constexpr cli::ProgramOptions kCommandLine { "folioswap", options::kOptions, options::kModes, {} };

} // namespace kvl::folioswap
