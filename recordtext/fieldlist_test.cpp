#include "recordtext/fieldlist.h"
#include "recordtext/fieldwalkers.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using namespace kvl;
using namespace kvl::recordtext;

// A made-up file of two sections: a route (plain fields, a numbered array, a
// group under a title, an unchecked line at the margin) and two legs as
// records, each closed by a blank line.
struct Leg {
    std::uint8_t from = 0;
    std::uint16_t to = 0;
};

struct Route {
    std::uint16_t year = 0;
    std::int32_t cost = 0;
    std::array<std::uint8_t, 2> stops {};
    std::array<Leg, 1> detour {};
    std::uint8_t mark = 0;
};

struct Book {
    Route route;
    std::array<Leg, 2> legs {};
};

constexpr std::size_t kBookSize = 18;

/// The cost gets a comment only in routes of 1944 and later.
constexpr int costCode(const Route& r)
{
    return r.year >= 1944 ? 0 : kNoComment;
}

constexpr auto kLeg = std::tuple(field(&Leg::from, "From", 0), field(&Leg::to, "To"));
constexpr auto kRoute = std::tuple(field(&Route::year, "Year"), field(&Route::cost, "Cost", &costCode),
    field(&Route::stops, Label("Stop ", 1)), records(&Route::detour, Label("DETOUR #", 1), kLeg),
    field(&Route::mark, Label("Mark #", 0), kNoComment, kAtMargin | kAnyLabel));
constexpr auto kBook = std::tuple(section({ "1. ROUTE", 8, 2, 0 }, block(&Book::route, kRoute)),
    section({ "2. LEGS", 8, 0, 3 }, records(&Book::legs, Label("LEG #", 1), kLeg, 1)));

ProgramTable table(std::string_view anyLabel = "...")
{
    ProgramTable t;
    t.categoryLimit = 1;
    t.planeNameCode = 5;
    t.anyLabel = anyLabel;
    return t;
}

AnnotationSet notes()
{
    AnnotationSet set;
    set.categories.resize(1);
    set.categories[0].entries = { { 3, "three" }, { -20, "refund" } };
    set.commentsLoaded = true;
    return set;
}

Book sampleBook()
{
    Book b;
    b.route = { 1944, -20, { 1, 2 }, { Leg { 3, 400 } }, 9 };
    b.legs = { Leg { 5, 600 }, Leg { 3, 7 } };
    return b;
}

const std::string kSampleText = "1. ROUTE\r\n"
                                "========\r\n"
                                "Year:   1944\r\n"
                                "Cost:   -20          ; refund\r\n"
                                "Stop 1: 1\r\n"
                                "Stop 2: 2\r\n"
                                "DETOUR #1\r\n"
                                "  From: 3          ; three\r\n"
                                "  To:   400\r\n"
                                "Mark #0:9\r\n"
                                "\r\n"
                                "\r\n"
                                "2. LEGS\r\n"
                                "=======\r\n"
                                "LEG #1\r\n"
                                "  From: 5\r\n"
                                "  To:   600\r\n"
                                "\r\n"
                                "LEG #2\r\n"
                                "  From: 3          ; three\r\n"
                                "  To:   7\r\n"
                                "\r\n";

std::string write(const Book& book)
{
    CrlfText text;
    const AnnotationSet set = notes();
    const ProgramTable t = table();
    LabelledOutput out { text, set, t, 0 };
    TextWriter writer(out);
    walk(writer, book, kBook);
    return text.take();
}

/// Parses `text` over `book`; returns the mismatch messages.
std::string parse(std::string_view text, Book& book, bool* ended = nullptr, const ProgramTable& t = table())
{
    std::ostringstream messages;
    RecordTextInput in(text, t, messages);
    TextParser parser(in);
    walk(parser, book, kBook);
    if (ended)
        *ended = in.ended();
    return messages.str();
}

bool sameBook(const Book& a, const Book& b)
{
    ByteWriter x, y;
    BinaryWriter wx { x }, wy { y };
    walk(wx, a, kBook);
    walk(wy, b, kBook);
    return x.data() == y.data();
}

TEST(FieldListBinary, ReadsAndWritesLittleEndianInListOrder)
{
    const std::vector<std::uint8_t> image = { 0x98, 0x07, 0xEC, 0xFF, 0xFF, 0xFF, 1, 2, 3, 0x90, 0x01, 9, 5, 0x58, 0x02,
        3, 7, 0 };
    ASSERT_EQ(image.size(), kBookSize);
    Book book;
    ByteCursor cursor { ByteView(image) };
    BinaryReader reader { cursor };
    walk(reader, book, kBook);
    EXPECT_TRUE(cursor.ok());
    EXPECT_EQ(cursor.offset(), kBookSize);
    EXPECT_TRUE(sameBook(book, sampleBook()));

    ByteWriter out;
    BinaryWriter writer { out };
    walk(writer, book, kBook);
    EXPECT_EQ(out.data(), image);
}

TEST(FieldListBinary, ShortImageIsNoticedByTheCursor)
{
    const std::vector<std::uint8_t> image(kBookSize - 1, 0x11);
    Book book;
    ByteCursor cursor { ByteView(image) };
    BinaryReader reader { cursor };
    walk(reader, book, kBook);
    EXPECT_FALSE(cursor.ok());
}

TEST(FieldListText, WritesSectionsTitlesIndentationAndComments)
{
    EXPECT_EQ(write(sampleBook()), kSampleText);
    // Before 1944 the cost has no comment column: its code comes from the year.
    Book early = sampleBook();
    early.route.year = 1943;
    EXPECT_NE(write(early).find("Cost:   -20\r\n"), std::string::npos);
}

TEST(FieldListText, ParsesWhatItWroteBack)
{
    Book book;
    bool ended = true;
    EXPECT_EQ(parse(write(sampleBook()), book, &ended), "");
    EXPECT_FALSE(ended);
    EXPECT_TRUE(sameBook(book, sampleBook()));
}

TEST(FieldListText, WrongLabelIsReportedAndLeavesTheField)
{
    std::string text = kSampleText;
    text.replace(text.find("Cost:"), 5, "Kost:");
    text.replace(text.find("Mark #0:"), 8, "Whatever:");
    Book book;
    book.route.cost = 77;
    EXPECT_EQ(parse(text, book), "Expected Cost.  Found Kost\n");
    EXPECT_EQ(book.route.cost, 77);
    // The unchecked line took its value whatever its label; the rest still parsed.
    EXPECT_EQ(book.route.mark, 9);
    EXPECT_EQ(book.legs[1].to, 7);

    // Without the program's "any label" the margin line is checked as well.
    Book checked;
    EXPECT_EQ(
        parse(text, checked, nullptr, table("")), "Expected Cost.  Found Kost\nExpected Mark #0.  Found Whatever\n");
}

TEST(FieldListText, TextEndingEarlyStopsAndLeavesTheRest)
{
    const std::string text = kSampleText.substr(0, kSampleText.find("LEG #2"));
    Book book;
    book.legs[1].from = 42;
    std::ostringstream messages;
    const ProgramTable t = table();
    RecordTextInput in(text, t, messages);
    TextParser parser(in);
    walk(parser, book, kBook);
    EXPECT_TRUE(in.ended());
    EXPECT_EQ(in.endExpected(), "From");
    EXPECT_EQ(messages.str(), "");
    EXPECT_EQ(book.legs[0].to, 600);
    EXPECT_EQ(book.legs[1].from, 42);
}

TEST(FieldListText, OutOfRangeValuesKeepTheLowBits)
{
    std::string text = kSampleText;
    text.replace(text.find("1944"), 4, "70000");
    text.replace(text.find("From: 3"), 7, "From: 300");
    text.replace(text.find("From: 5"), 7, "From: -1");
    text.replace(text.find("-20"), 3, "123456");
    Book book;
    EXPECT_EQ(parse(text, book), "");
    EXPECT_EQ(book.route.year, 70000 & 0xFFFF);
    EXPECT_EQ(book.route.detour[0].from, 300 & 0xFF);
    EXPECT_EQ(book.legs[0].from, 255);
    EXPECT_EQ(book.route.cost, 12345); // five characters at most
}

} // namespace
