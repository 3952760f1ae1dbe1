#include "common/csv.h"
#include "common/fieldtable.h"
#include "common/testing/bytetable.h"

#include <gtest/gtest.h>

namespace {

using kvl::test::ByteTable;

const kvl::CsvLayout kLayout { "field", { "field", "position", "type", "label", "value" } };

TEST(Csv, QuotesOnlyWhatNeedsIt)
{
    EXPECT_EQ(kvl::csvRecord({ "a", "b c", "x,y", "say \"hi\"", "two\nlines" }),
        "a,b c,\"x,y\",\"say \"\"hi\"\"\",\"two\nlines\"\r\n");
}

TEST(Csv, ParsesWhatItWritesAndNamesTheLineOfBadQuoting)
{
    auto rows = kvl::parseCsv("a,\"x,y\"\r\n\r\n\"two\nlines\",\"q\"\"\",\nlast");
    ASSERT_TRUE(rows.ok());
    ASSERT_EQ(rows->size(), 3u);
    EXPECT_EQ((*rows)[0].fields, (std::vector<std::string> { "a", "x,y" }));
    EXPECT_EQ((*rows)[1].line, 3u);
    EXPECT_EQ((*rows)[1].fields, (std::vector<std::string> { "two\nlines", "q\"", "" }));
    EXPECT_EQ((*rows)[2].line, 5u);

    EXPECT_EQ(kvl::parseCsv("a\nb\"c\n").error().message, "line 2: a quote inside an unquoted field");
    EXPECT_EQ(kvl::parseCsv("a\n\"open,\n\n").error().message, "line 2: a quoted field is not closed");
    EXPECT_EQ(kvl::parseCsv("\"a\"b\n").error().message, "line 1: text after the closing quote of a field");
}

TEST(FieldTable, ExportReadsBackToTheSameValues)
{
    ByteTable table({ 5, -7, 127 });
    const std::string csv = kvl::exportCsv(table, kLayout);
    EXPECT_EQ(csv.substr(0, csv.find("\r\n", csv.find("\r\n") + 2) + 2),
        "field,position,type,label,value\r\n10,4,i8,Speed,5\r\n");
    EXPECT_NE(csv.find("11,5,i8,\"Climb, rate \"\"max\"\"\",-7\r\n"), std::string::npos);
    auto imported = kvl::parseImportCsv(table, csv, kLayout);
    ASSERT_TRUE(imported.ok()) << imported.error().message;
    ASSERT_EQ(imported->size(), 3u);
    EXPECT_EQ((*imported)[1].index, 1u);
    EXPECT_EQ((*imported)[1].value, "-7");
    EXPECT_EQ((*imported)[2].line, 4u);
}

TEST(FieldTable, ImportTakesASubsetInAnyColumnOrder)
{
    ByteTable table({ 0, 0, 0 });
    auto imported = kvl::parseImportCsv(table, "value,label,field\n-3,whatever,12\n", kLayout);
    ASSERT_TRUE(imported.ok());
    ASSERT_EQ(imported->size(), 1u);
    EXPECT_EQ((*imported)[0].index, 2u);
}

TEST(FieldTable, ImportIsRefusedWholeWithTheLineAndReason)
{
    ByteTable table({ 0, 0, 0 });
    struct Case {
        const char* csv;
        const char* message;
    } cases[] = {
        { "field,value\n10,1\n99,2\n", "line 3: field 99 does not exist" },
        { "field,value\n10,1\n10,2\n", "line 3: field 10 is given twice" },
        { "field,value\n10,abc\n", "line 2: field 10: \"abc\" is not a number" },
        { "field,value\n11,300\n", "line 2: field 11: \"300\" does not fit an i8 (-128 to 127)" },
        { "field,value\nx,1\n", "line 2: \"x\" is not a field number" },
        { "field,value\n10\n", "line 2: the row has 1 columns, 2 needed" },
        { "field,label\n10,1\n", "line 1: the header row must name the columns \"field\" and \"value\"" },
        { "field,value\n10,\"1\n", "line 2: a quoted field is not closed" },
        { "", "the file is empty (a header row is needed)" },
    };
    for (const Case& c : cases) {
        auto imported = kvl::parseImportCsv(table, c.csv, kLayout);
        ASSERT_FALSE(imported.ok()) << c.csv;
        EXPECT_EQ(imported.error().message, c.message);
    }
}

TEST(FieldTable, CompareListsOnlyDifferingFields)
{
    auto diffs = kvl::compareFields(ByteTable({ 1, 2, 3 }), ByteTable({ 1, 9, 3 }));
    ASSERT_EQ(diffs.size(), 1u);
    EXPECT_EQ(diffs[0].index, 1u);
    EXPECT_EQ(diffs[0].mine, "2");
    EXPECT_EQ(diffs[0].theirs, "9");
}

} // namespace
