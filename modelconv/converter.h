// The modelconv console dialogue: asks for a .3DB file, loads it, prints a
// summary, and writes on request a VKM model file and a text dump.
#pragma once

#include <filesystem>
#include <istream>
#include <ostream>

namespace kvl::modelconv {

/// The line printed under the banner.
inline constexpr const char* kCreditLine = "Part of the KORVAL modding tools - converts game models for the VKM viewer";

/// Runs the whole dialogue: answers are read from `in` (one line per prompt,
/// 12-character names), everything is printed to `out` (flushed as it goes).
/// File names are taken relative to `folder`; the .3DB file is looked up
/// there ignoring letter case. Returns the exit status, which is always 0.
int runModelConverter(std::istream& in, std::ostream& out, const std::filesystem::path& folder);

} // namespace kvl::modelconv
