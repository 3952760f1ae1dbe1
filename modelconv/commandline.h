// The modelconv command line: converts a batch of .3DB models into VKM files
// and/or text dumps, or prints their summaries, without asking anything.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kvl::modelconv {

/// The text of --help.
std::string commandLineHelp();

/// Runs the command line. `arguments` are those after the program name; there
/// is at least one (without arguments the program runs the dialogue).
/// Summaries (--info, --json), help and version go to `out`; what was written,
/// what failed and why, and the closing "N succeeded, M failed" line go to
/// `err`. Returns kvl::cli::kExitOk when every model was done, kExitFailed
/// when any model or output failed (the others are still done), kExitUsage
/// for a usage error (nothing is read or written then).
int runCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

} // namespace kvl::modelconv
