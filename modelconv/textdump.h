// The commented text dump of a .3DB model: every section in file order, one
// line per record keyed by a letter and a record number, CR LF line ends, and
// "[EOF]" with no line end at the very end. Nothing reads it back.
#pragma once

#include "modelconv/model3db.h"

#include <filesystem>
#include <string>

namespace kvl::modelconv {

/// The whole dump as text.
std::string formatTextDump(const Model3DB& model);

/// Writes the dump as the named file, whole or not at all (a temporary file
/// renamed over it); false when it cannot be written, the old file kept.
bool writeTextDump(const Model3DB& model, const std::filesystem::path& file);

} // namespace kvl::modelconv
