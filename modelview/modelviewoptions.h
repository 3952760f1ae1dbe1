// modelview's command line, described once: its parser, --help, the manual
// page and the bash completion are all made from this table.
//   modelview [--quit-after-load] [MODEL]
//   modelview --export-png OUT.png [--size WxH] [--view VIEW] MODEL
#pragma once

#include "common/optiontable.h"

namespace kvl::modelview {

/// The modes, by their place in kModes.
enum : std::size_t { kWindowMode, kExportPngMode };

namespace options {

inline constexpr cli::ModeSet kExport = cli::modeBit(kExportPngMode);

inline constexpr cli::Option kOptions[] = {
    cli::quitAfterLoadOption(cli::modeBit(kWindowMode)),
    cli::option("export-png", "Write the picture of MODEL to OUT (a PNG file) and end, without a window.")
        .takes("OUT", cli::files("*.png"))
        .in(kExport),
    cli::option("size", "Size of the exported picture in pixels (default 256x256).")
        .takes("WxH", cli::words("256x256 512x512 1024x1024"))
        .in(kExport)
        .withDefault("256x256"),
    cli::option("view", "View of the exported picture: perspective (default), front, top or size.")
        .takes("VIEW", cli::words("perspective front top size"))
        .in(kExport)
        .withDefault("perspective"),
    cli::kQtHelpOption,
    cli::kQtHelpAllOption,
    cli::kQtVersionOption,
};

inline constexpr cli::Mode kModes[] = {
    cli::mode("", "[MODEL]", cli::files("*.vkm *.3db")),
    cli::mode("--export-png", "MODEL", cli::files("*.vkm *.3db")),
};

inline constexpr cli::Operand kOperands[] = {
    { "model", "[MODEL]", "The VKM or .3DB model file to open." },
};

} // namespace options

inline constexpr cli::ProgramOptions kCommandLine { "modelview", options::kOptions, options::kModes,
    options::kOperands };

} // namespace kvl::modelview
