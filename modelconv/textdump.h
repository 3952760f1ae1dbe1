// The commented text dump of a .3DB model: every section in file order, one
// line per record keyed by a letter and a record number, CR LF line ends, and
// "[EOF]" with no line end at the very end. Nothing reads it back.
#pragma once

#include "modelconv/model3db.h"

#include <filesystem>
#include <string>

namespace kvl::model {

/// The whole dump as text.
std::string formatTextDump(const Model3DB& model);

/// Creates or truncates the named file and writes the dump. Reports nothing:
/// a file that cannot be created simply receives nothing.
void writeTextDump(const Model3DB& model, const std::filesystem::path& file);

/// Field formats of the dump, appended to `out`.
namespace dumpfmt {
/// Sign, one digit, point, 6 decimals, 'e', exponent sign and at least three
/// exponent digits: +1.500000e+001. Infinities and NaNs are written as
/// +inf, -inf, +nan, -nan right-aligned in the 14 characters a number takes.
void appendFloat(std::string& out, float value);
/// Decimal right-aligned in `width` characters (wider when it must be);
/// `plus` writes the sign of non-negative numbers too.
void appendInt(std::string& out, long long value, int width, bool plus = false);
/// The record number: at least three digits, zero-padded.
void appendKey(std::string& out, std::size_t number);
/// One record by the dump's record rule (nothing for an empty element).
void appendRecord(std::string& out, const Record3DB& record);
} // namespace dumpfmt

} // namespace kvl::model
