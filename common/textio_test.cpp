// Tests of CR LF output and CR-tolerant line input.
#include "common/textio.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace kvl {
namespace {

std::vector<std::string> linesOf(std::string_view text)
{
    LineReader reader(text);
    std::vector<std::string> lines;
    std::string line;
    while (reader.next(line))
        lines.push_back(line);
    return lines;
}

TEST(LineReader, ReadsCrLfAndLfAlike)
{
    using Lines = std::vector<std::string>;
    EXPECT_EQ(linesOf("a\r\nb\r\n"), (Lines { "a", "b" }));
    EXPECT_EQ(linesOf("a\nb\n"), (Lines { "a", "b" }));
    EXPECT_EQ(linesOf("a\nb"), (Lines { "a", "b" }));
    EXPECT_EQ(linesOf("a\r\n\r\nb"), (Lines { "a", "", "b" }));
    EXPECT_EQ(linesOf("a\rb\n"), (Lines { "a\rb" }));
    EXPECT_EQ(linesOf(""), Lines {});
    EXPECT_EQ(linesOf("\r\n"), (Lines { "" }));
}

TEST(LineReader, CountsLines)
{
    LineReader reader("x\ny\n");
    std::string line;
    reader.next(line);
    reader.next(line);
    EXPECT_EQ(reader.lineNumber(), 2u);
    EXPECT_TRUE(reader.atEnd());
    EXPECT_FALSE(reader.next(line));
}

TEST(CrlfText, EndsEveryLineWithCrLf)
{
    CrlfText text;
    text.line("one").put("two").put("!").endLine().put("[EOF]");
    EXPECT_EQ(text.str(), "one\r\ntwo!\r\n[EOF]");
}

TEST(GetLineNoCr, DropsOnlyTheFinalCr)
{
    std::istringstream in("a\r\nb\r\r\n");
    std::string line;
    ASSERT_TRUE(getLineNoCr(in, line));
    EXPECT_EQ(line, "a");
    ASSERT_TRUE(getLineNoCr(in, line));
    EXPECT_EQ(line, "b\r");
    EXPECT_FALSE(getLineNoCr(in, line));
}

} // namespace
} // namespace kvl
