// The documents made from the programs' option tables at build time: the
// SYNOPSIS, COMMANDS and OPTIONS of each manual page, set into the page's
// hand-written rest, and the bash completion of the whole suite.
#pragma once

#include "common/optiontable.h"
#include "common/result.h"

#include <span>
#include <string>
#include <string_view>

namespace kvl::docgen {

/// Text for a roff input line: backslashes and hyphens escaped, a leading
/// dot or quote guarded.
std::string roffText(std::string_view text);

/// One .SY ... .YS block per mode, then one per option that works alone.
std::string manSynopsis(const cli::ProgramOptions& table);
/// A .TP entry per command (modes with a command word).
std::string manCommands(const cli::ProgramOptions& table);
/// A .TP entry per operand, then per option, in the table's order.
std::string manOptions(const cli::ProgramOptions& table);

/// The page from its template: the lines "@SYNOPSIS@", "@COMMANDS@" and
/// "@OPTIONS@" are replaced by the sections' entries. A template without
/// "@SYNOPSIS@" or "@OPTIONS@", with "@COMMANDS@" for a program without
/// commands or without it for one with, or with another "@...@" line, is
/// refused with the reason.
Result<std::string> fillManPage(const cli::ProgramOptions& table, std::string_view pageTemplate);

/// The bash completion script for `programs`.
std::string completionScript(std::span<const cli::ProgramOptions* const> programs);

/// "*.flt *.3db" as an extended glob of the extensions in any letter case,
/// for _filedir: "@([fF][lL][tT]|3[dD][bB])".
std::string extensionGlob(std::string_view patterns);

} // namespace kvl::docgen
