// Decoding of text files whose encoding nobody recorded: the game's own texts
// are Latin-1 (Windows-1252 in practice), modders' newer ones UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace kvl {

/// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates,
/// nothing above U+10FFFF).
bool isValidUtf8(std::string_view bytes);

/// Appends the UTF-8 bytes of one code point; one past U+10FFFF becomes
/// U+FFFD.
void appendUtf8(std::string& out, char32_t cp);

/// The text as UTF-8: `bytes` unchanged when they are valid UTF-8, otherwise
/// read as Latin-1, one character per byte.
std::string decodeText(std::string_view bytes);

/// Latin-1 bytes as UTF-8, one character per byte.
std::string latin1ToUtf8(std::string_view bytes);

/// Wide text (UTF-16 where wchar_t has 16 bits, as on Windows, UTF-32
/// elsewhere) as UTF-8, and UTF-8 as wide text, without a locale: libraries
/// that hand out names as wchar_t strings (the archive library) are read the
/// same on every system. An unpaired surrogate, a value above U+10FFFF or a
/// malformed byte sequence becomes U+FFFD.
std::string utf8FromWide(std::wstring_view text);
std::wstring wideFromUtf8(std::string_view text);

/// `text` as a JSON string, quotes included. Bytes that are not UTF-8 are
/// read as Latin-1; quotes, backslashes and control characters are escaped.
std::string jsonString(std::string_view text);

} // namespace kvl
