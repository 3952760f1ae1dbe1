#include "recordtext/labelledline.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using namespace kvl;
using namespace kvl::recordtext;

ProgramTable campTable()
{
    ProgramTable t;
    t.categoryLimit = 11;
    t.planeNameCode = 11;
    return t;
}

ProgramTable squadTable()
{
    ProgramTable t;
    t.categoryLimit = 1;
    t.planeNameCode = 1;
    t.fourSpaceIndent = true;
    t.anyLabel = "...";
    return t;
}

/// Comments: category 0 has an entry "Comment" for every value used below;
/// plane names "Plane n".
AnnotationSet notes()
{
    AnnotationSet set;
    set.categories.resize(1);
    for (std::int32_t v : { -5, 3, 7, 42, 255, 999, 1000, 65535, 99999, 123456 })
        set.categories[0].entries.push_back({ v, "Comment" });
    for (int i = 0; i < kPlaneNameCount; ++i)
        set.planeNames[static_cast<std::size_t>(i)] = { i, "Plane " + std::to_string(i) };
    set.commentsLoaded = set.planeNamesLoaded = true;
    return set;
}

std::string line(std::size_t width, std::string_view label, std::int32_t value, int code,
    const AnnotationSet& set = notes(), const ProgramTable& table = campTable())
{
    CrlfText text;
    LabelledOutput out { text, set, table, width };
    writeLabelledLine(out, label, value, code);
    return text.str();
}

TEST(WriteLabelledLine, PadsLabelToWidthAndCommentToOneColumn)
{
    EXPECT_EQ(line(22, "  Loss Condition:", 3, 0), "  Loss Condition:     3          ; Comment\r\n");
    EXPECT_EQ(line(22, "  Loss Condition:", -5, 0), "  Loss Condition:     -5          ; Comment\r\n");
    EXPECT_EQ(line(22, "  Loss Condition:", 42, 0), "  Loss Condition:     42         ; Comment\r\n");
    EXPECT_EQ(line(22, "  Loss Condition:", 999, 0), "  Loss Condition:     999        ; Comment\r\n");
    EXPECT_EQ(line(22, "  Loss Condition:", 1000, 0), "  Loss Condition:     1000       ; Comment\r\n");
    EXPECT_EQ(line(22, "  Loss Condition:", 99999, 0), "  Loss Condition:     99999      ; Comment\r\n");
    // Six digits: one space less again.
    EXPECT_EQ(line(22, "  Loss Condition:", 123456, 0), "  Loss Condition:     123456     ; Comment\r\n");
    EXPECT_EQ(commentPad(2147483647), 1u);
}

TEST(WriteLabelledLine, LabelOfWidthOrLongerIsFollowedByTheValue)
{
    EXPECT_EQ(line(15, "  Start Points:", 12500, -1), "  Start Points:12500\r\n");
    EXPECT_EQ(line(10, "  Start Points:", -3, -1), "  Start Points:-3\r\n");
    EXPECT_EQ(line(22, "  Loss Condition:", 4, 0), "  Loss Condition:     4\r\n"); // no entry: no column
}

TEST(WriteLabelledLine, PlaneNamesAndTheHighValueCode)
{
    EXPECT_EQ(line(15, "  Slot Number:", 255, 11), "  Slot Number: 255        ; NONE\r\n");
    EXPECT_EQ(line(15, "  Slot Number:", 7, 11), "  Slot Number: 7          ; Plane 7\r\n");
    EXPECT_EQ(line(15, "  Slot Number:", 30, 11), "  Slot Number: 30\r\n");

    AnnotationSet set = notes();
    set.categories.resize(7);
    set.categories[6].entries = { { 12, "Twelve" }, { 65535, "No speech" } };
    EXPECT_EQ(line(30, "  Special Speech 1:", 12, 6, set), "  Special Speech 1:           12\r\n");
    EXPECT_EQ(
        line(30, "  Special Speech 1:", 65535, 6, set), "  Special Speech 1:           65535      ; No speech\r\n");
    // squadconv: plane-name code 1, and code 6 never yields a comment.
    EXPECT_EQ(
        line(26, "    New Aircraft:", 255, 1, set, squadTable()), "    New Aircraft:         255        ; NONE\r\n");
    EXPECT_EQ(line(26, "  X:", 65535, 6, set, squadTable()), "  X:                      65535\r\n");
}

struct Reader {
    explicit Reader(std::string text, ProgramTable t = campTable())
        : table(t),
          source(std::move(text)),
          in(source, table, messages)
    {
    }
    ProgramTable table;
    std::string source;
    std::ostringstream messages;
    RecordTextInput in;
};

TEST(ReadLabelledValue, SkipsEmptyLinesAndNumberedHeadings)
{
    Reader r("\r\n\r\n1. CAMPAIGN SETUP\r\n=================\r\nCommencement Year:     1943\r\n"
             "\r\nPHASE #1\r\n  Win Condition:      17          ; Comment\r\n");
    std::uint16_t year = 0;
    readLabelledValue(r.in, "Commencement Year", year);
    EXPECT_EQ(year, 1943);
    r.in.skipLines(2); // the empty line and the record title
    std::uint8_t win = 0;
    readLabelledValue(r.in, "Win Condition", win);
    EXPECT_EQ(win, 17);
    EXPECT_EQ(r.messages.str(), "");
    EXPECT_FALSE(r.in.ended());
}

TEST(ReadLabelledValue, ComparesOnlyTheFirstCharacterOfTheLabel)
{
    Reader r("Commencement Month:    6\n  Win Parameter:  9\n Win Condition: 4\n");
    std::uint16_t year = 1;
    readLabelledValue(r.in, "Commencement Year", year);
    EXPECT_EQ(year, 6);
    std::uint8_t loss = 1, win = 1;
    readLabelledValue(r.in, "Loss Condition", loss);
    EXPECT_EQ(loss, 1);
    // One space of indentation: the found label starts with the space.
    readLabelledValue(r.in, "Win Condition", win);
    EXPECT_EQ(win, 1);
    EXPECT_EQ(r.messages.str(),
        "Expected Loss Condition.  Found Win Parameter\n"
        "Expected Win Condition.  Found  Win Condition\n");
}

TEST(ReadLabelledValue, SquadronIndentationAndTheAnyLabel)
{
    Reader r("    Possibility:          80\nSpecial Mission #0:       3\n  Garbage here: 4\nno colon\n", squadTable());
    std::uint8_t possibility = 0, a = 0, b = 0, c = 9;
    readLabelledValue(r.in, "Possibility", possibility);
    readLabelledValue(r.in, "...", a);
    readLabelledValue(r.in, "...", b);
    readLabelledValue(r.in, "...", c);
    EXPECT_EQ(possibility, 80);
    EXPECT_EQ(a, 3);
    EXPECT_EQ(b, 4);
    EXPECT_EQ(c, 9);
    // A line without a colon is no field line, whatever is expected.
    EXPECT_EQ(r.messages.str(), "Expected ....  Found no colon\n");

    // campconv knows no four-space indentation and no "...".
    Reader camp("    Possibility: 80\nSpecial Mission #0: 3\n");
    readLabelledValue(camp.in, "Possibility", possibility);
    readLabelledValue(camp.in, "...", a);
    EXPECT_EQ(
        camp.messages.str(), "Expected Possibility.  Found   Possibility\nExpected ....  Found Special Mission #0\n");
}

TEST(ReadLabelledValue, FiveCharactersAndTheLowBitsOfNarrowFields)
{
    Reader r("A:300\nA:-1\nA:-1\nA:123456\nA:-12345\nA:  +77x\nA:abc\nA:70000\n");
    std::uint8_t u8 = 0;
    std::uint16_t u16 = 0;
    std::int32_t i32 = 0;
    readLabelledValue(r.in, "A", u8);
    EXPECT_EQ(u8, 44);
    readLabelledValue(r.in, "A", u8);
    EXPECT_EQ(u8, 255);
    readLabelledValue(r.in, "A", u16);
    EXPECT_EQ(u16, 65535);
    readLabelledValue(r.in, "A", i32);
    EXPECT_EQ(i32, 12345);
    readLabelledValue(r.in, "A", i32);
    EXPECT_EQ(i32, -1234);
    readLabelledValue(r.in, "A", i32);
    EXPECT_EQ(i32, 77);
    readLabelledValue(r.in, "A", i32);
    EXPECT_EQ(i32, 0);
    readLabelledValue(r.in, "A", u16);
    EXPECT_EQ(u16, 70000 & 0xFFFF);
}

TEST(ReadLabelledValue, StopsAtTheEndOfTheText)
{
    Reader r("A: 5\n\n\n\n");
    std::uint8_t a = 0, b = 7;
    readLabelledValue(r.in, "A", a);
    EXPECT_EQ(a, 5);
    EXPECT_FALSE(r.in.ended());
    readLabelledValue(r.in, "B", b);
    EXPECT_TRUE(r.in.ended());
    EXPECT_EQ(r.in.endLine(), 4u);
    EXPECT_EQ(r.in.endExpected(), "B");
    EXPECT_EQ(b, 7);

    // A heading at the very end, and reads after the end, change nothing.
    Reader h("A: 5\n2. HEADING\n");
    readLabelledValue(h.in, "A", a);
    readLabelledValue(h.in, "A", a);
    EXPECT_TRUE(h.in.ended());
    readLabelledValue(h.in, "A", a);
    EXPECT_EQ(a, 5);
    EXPECT_EQ(h.messages.str(), "");
}

TEST(ReadLabelledValue, LooksAtNoMoreThan99Characters)
{
    // The colon sits beyond the 99th character: the line has none.
    Reader r(std::string(100, 'A') + ": 5\n" + "A" + std::string(90, ' ') + ":   12345\n");
    std::int32_t a = -1;
    readLabelledValue(r.in, "A", a);
    EXPECT_EQ(a, -1);
    readLabelledValue(r.in, "A", a);
    EXPECT_EQ(a, 1234); // only "1234" of the value lies within the 99 characters
    EXPECT_EQ(r.messages.str(), "Expected A.  Found " + std::string(99, 'A') + "\n");
}

} // namespace
