#include "common/textdecode.h"

#include <gtest/gtest.h>

namespace {

TEST(TextDecode, ValidUtf8IsKeptAsItIs)
{
    EXPECT_EQ(kvl::decodeText("Staffel \xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x9B\xA9"),
        "Staffel \xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x9B\xA9");
    EXPECT_EQ(kvl::decodeText(""), "");
}

TEST(TextDecode, AnythingElseIsReadAsLatin1)
{
    EXPECT_EQ(kvl::decodeText("J\xE4ger"), "J\xC3\xA4ger");
    EXPECT_EQ(kvl::decodeText("\xFF"), "\xC3\xBF");
}

TEST(TextDecode, MalformedUtf8IsRefused)
{
    EXPECT_FALSE(kvl::isValidUtf8("\xC3"));             // cut short
    EXPECT_FALSE(kvl::isValidUtf8("\xC0\xAF"));         // overlong '/'
    EXPECT_FALSE(kvl::isValidUtf8("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(kvl::isValidUtf8("\xF4\x90\x80\x80")); // above U+10FFFF
    EXPECT_FALSE(kvl::isValidUtf8("\x80"));             // lone continuation
    EXPECT_TRUE(kvl::isValidUtf8("\xF4\x8F\xBF\xBF"));  // U+10FFFF itself
}

// Wide text is UTF-16 on Windows and UTF-32 elsewhere: the same UTF-8 either
// way, characters beyond the first 65536 included.
TEST(WideText, RoundTripsThroughUtf8)
{
    const std::string utf8 = "J\xC3\xA4ger \xE2\x80\x93 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x9B\xA9 \xF4\x8F\xBF\xBF";
    const std::wstring wide = kvl::wideFromUtf8(utf8);
    EXPECT_EQ(wide.size(), sizeof(wchar_t) == 2 ? 16u : 14u);
    EXPECT_EQ(wide[1], wchar_t(0xE4));
    EXPECT_EQ(kvl::utf8FromWide(wide), utf8);
    EXPECT_EQ(kvl::utf8FromWide(L""), "");
    EXPECT_EQ(kvl::wideFromUtf8(""), L"");
}

TEST(WideText, WhatIsNoCharacterBecomesTheReplacementCharacter)
{
    const std::string replacement = "\xEF\xBF\xBD";
    EXPECT_EQ(kvl::utf8FromWide(std::wstring { wchar_t(0xD800), L'a' }), replacement + "a"); // lone high surrogate
    EXPECT_EQ(kvl::utf8FromWide(std::wstring { L'a', wchar_t(0xDC00) }), "a" + replacement); // lone low surrogate
    EXPECT_EQ(kvl::wideFromUtf8("a\xC3"), std::wstring(L"a\xFFFD"));                         // cut short
    EXPECT_EQ(kvl::wideFromUtf8("\xC0\xAFz"), std::wstring(L"\xFFFD\xFFFDz"));               // overlong, byte by byte
    EXPECT_EQ(kvl::wideFromUtf8("\xED\xA0\x80"), std::wstring(L"\xFFFD\xFFFD\xFFFD"));       // encoded surrogate
}

} // namespace
