// What modelconv tells about a loaded model: the summary block of the
// dialogue, why a VKM file cannot be written, and the same as one JSON line
// for scripts.
#pragma once

#include "modelconv/model3db.h"

#include "common/textdecode.h" // jsonString

#include <optional>
#include <string>

namespace kvl::modelconv {

/// The line the dialogue prints after every refusal reason.
inline constexpr const char* kCannotCreateVkm = "Cannot create VKM file!";

/// The summary block: "- 3DB INFORMATION -", the texture name, the insert,
/// node and element counts, then an empty line.
std::string formatSummary(const Model3DB& model);

/// Why no VKM file may be written for the model, in the words of its
/// "WARNING:" line ("This 3DB contains more than 255 elements!"), or nothing
/// when one may. The element limit is named before the node limit, and both
/// before what vkmProblem finds.
std::optional<std::string> vkmRefusal(const Model3DB& model);

/// The warning lines the dialogue prints after the summary for a vkmRefusal
/// result: empty when a VKM file may be written, otherwise the reason and
/// "WARNING: Cannot create VKM file!", each on a line of its own.
std::string formatVkmWarnings(const std::optional<std::string>& refusal);

/// One JSON object on one line (no line end) for a loaded model:
/// {"file":..,"texture":..,"inserts":I,"nodes":P,"tvns":T,"elements":E,
///  "vkm":true|false,"vkmProblem":null|".."}.
std::string summaryJson(const std::string& file, const Model3DB& model);

/// One JSON object on one line for a file that could not be loaded:
/// {"file":..,"error":".."}.
std::string errorJson(const std::string& file, const std::string& error);

} // namespace kvl::modelconv
