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

} // namespace
