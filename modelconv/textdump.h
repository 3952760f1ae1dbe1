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

/// Creates or truncates the named file and writes the dump. Reports nothing:
/// a file that cannot be created simply receives nothing.
void writeTextDump(const Model3DB& model, const std::filesystem::path& file);

} // namespace kvl::modelconv
