// campconv's command line, described once: its parser, the command and
// option lists of --help, the manual page and the bash completion are all
// made from this table (the rows both converters share are in
// recordtext/converteroptions.h).
#pragma once

#include "recordtext/converteroptions.h"

namespace kvl::campconv {

namespace options {

inline constexpr auto kOptions = recordtext::converterOptions(
    "read the side files CAMPAIGNDATA.TXT and PNAMES.TXT from DIR\n(default: the current folder, names in any "
    "letter case)");
inline constexpr auto kModes = recordtext::converterModes(
    "write each binary file as annotated text, named after it with .TXT\n(the same bytes the dialogue writes as "
    "CAMPAIGN.TXT)");

} // namespace options

inline constexpr cli::ProgramOptions kCommandLine { "campconv", options::kOptions, options::kModes, {} };

} // namespace kvl::campconv
