// Fuzz target: wide text to and from UTF-8 (names the archive library hands
// out). Any bytes read as UTF-8 give wide text that comes back as valid
// UTF-8, the same bytes when they were valid UTF-8; the same bytes read as
// wchar_t units (UTF-16 on Windows, UTF-32 elsewhere) give valid UTF-8 that
// goes back to the same units when every unit was part of a character.
#include "common/textdecode.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string back = kvl::utf8FromWide(kvl::wideFromUtf8(bytes));
    if (!kvl::isValidUtf8(back) || (kvl::isValidUtf8(bytes) && back != bytes))
        std::abort();

    std::wstring units(size / sizeof(wchar_t), L'\0');
    std::memcpy(units.data(), data, units.size() * sizeof(wchar_t));
    const std::string utf8 = kvl::utf8FromWide(units);
    if (!kvl::isValidUtf8(utf8))
        std::abort();
    // U+FFFD in the text stands for what was no character, or is one itself.
    if (utf8.find("\xEF\xBF\xBD") == std::string::npos && kvl::wideFromUtf8(utf8) != units)
        std::abort();
    return 0;
}
