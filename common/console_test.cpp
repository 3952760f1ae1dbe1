// Tests of the 12-character console answer rule.
#include "common/console.h"

#include <gtest/gtest.h>

#include <sstream>

namespace kvl {
namespace {

TEST(AnswerReader, TwelveCharactersFitExactly)
{
    std::istringstream in("CAMP0001.DAT\r\nnext\n");
    AnswerReader reader(in);
    EXPECT_EQ(reader.answer(), "CAMP0001.DAT");
    EXPECT_FALSE(reader.failed());
    EXPECT_EQ(reader.answer(), "next");
}

TEST(AnswerReader, ALongerLineIsCutAndEveryLaterAnswerIsEmpty)
{
    std::istringstream in("ABCDEFGHI.3DB\nout.vkm\nout.txt\n");
    AnswerReader reader(in);
    EXPECT_EQ(reader.answer(), "ABCDEFGHI.3D");
    EXPECT_TRUE(reader.failed());
    EXPECT_EQ(reader.answer(), "");
    EXPECT_EQ(reader.line(), "");
}

TEST(AnswerReader, EndOfInputAndEmptyLinesGiveEmptyAnswers)
{
    std::istringstream in("\n1");
    AnswerReader reader(in);
    EXPECT_EQ(reader.answer(), "");
    EXPECT_EQ(reader.line(), "1");
    EXPECT_EQ(reader.answer(), "");
    EXPECT_FALSE(reader.failed());
}

} // namespace
} // namespace kvl
