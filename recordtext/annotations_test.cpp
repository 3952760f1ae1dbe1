#include "common/testing/testfolder.h"
#include "recordtext/annotations.h"

#include "common/fileimage.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using namespace kvl;
using namespace kvl::recordtext;

ProgramTable campTable()
{
    ProgramTable t;
    t.commentFile = "CAMPAIGNDATA.TXT";
    t.categoryLimit = 11;
    t.planeNameCode = 11;
    return t;
}

ProgramTable squadTable()
{
    ProgramTable t;
    t.commentFile = "SQUADRONDATA.TXT";
    t.categoryLimit = 1;
    t.planeNameCode = 1;
    return t;
}

std::string planeNamesFile(int names = 30)
{
    std::string text = "header one\r\nheader two\r\n";
    for (int i = 0; i < names; ++i)
        text += "Plane " + std::to_string(i) + "\r\n";
    return text;
}

TEST(CommentFile, ReadsCategoriesEntriesAndTheirExactTexts)
{
    const std::string text = "Section  3 rest is ignored\n"
                             "[2] first\n"
                             "    0 Leading space kept. rest ignored\n"
                             "   -7Negative\n"
                             "x1]\n"
                             "65535No speech.\n"
                             "[0]\n"
                             "anything after the last block\n";
    AnnotationSet set;
    ASSERT_TRUE(parseCommentFile(text, set));
    ASSERT_EQ(set.categories.size(), 3u);
    ASSERT_EQ(set.categories[0].entries.size(), 2u);
    EXPECT_EQ(set.categories[0].entries[0].value, 0);
    EXPECT_EQ(set.categories[0].entries[0].text, " Leading space kept");
    EXPECT_EQ(set.categories[0].entries[1].value, -7);
    EXPECT_EQ(set.categories[0].entries[1].text, "Negative"); // no full stop: the rest of the line
    ASSERT_EQ(set.categories[1].entries.size(), 1u);
    EXPECT_EQ(set.categories[1].entries[0].value, 65535);
    EXPECT_TRUE(set.categories[2].entries.empty());
}

TEST(CommentFile, CountUsesExactlyCharactersEightToTen)
{
    AnnotationSet set;
    // "1234" starts at character 8: only "123" is read... and the file is short.
    EXPECT_FALSE(parseCommentFile("SXXXXXX1234\n", set));
    ASSERT_TRUE(parseCommentFile("SXXXXXX  1\n[0]\n", set));
    EXPECT_EQ(set.categories.size(), 1u);
    ASSERT_TRUE(parseCommentFile("S\n", set)); // no count at all: no categories
    EXPECT_TRUE(set.categories.empty());
}

TEST(CommentFile, OneEmptyLineIsPassedOverButNotTwo)
{
    AnnotationSet set;
    ASSERT_TRUE(parseCommentFile("Section  1\n\n[1]\n\n    5Five.\n", set));
    ASSERT_EQ(set.categories[0].entries.size(), 1u);
    EXPECT_EQ(set.categories[0].entries[0].value, 5);
    EXPECT_EQ(set.categories[0].entries[0].text, "Five");

    // Two empty lines: the second is the header, which promises no entries.
    ASSERT_TRUE(parseCommentFile("Section  2\n\n\n[1]\n    5Five.\n", set));
    ASSERT_EQ(set.categories.size(), 2u);
    EXPECT_TRUE(set.categories[0].entries.empty());
    EXPECT_EQ(set.categories[1].entries.size(), 1u);
}

TEST(CommentFile, MalformedFilesAreRefusedWithinTheirBuffers)
{
    AnnotationSet set;
    EXPECT_FALSE(parseCommentFile("", set));
    EXPECT_FALSE(parseCommentFile("sECTION  1\n[0]\n", set));            // not 'S'
    EXPECT_FALSE(parseCommentFile("Section  2\n[1]\n    1One.\n", set)); // second block missing
    EXPECT_FALSE(parseCommentFile("Section  1\n[999999999999]\n", set)); // entries missing
    EXPECT_TRUE(set.categories.empty());

    // Header without "]", entry without ".", texts longer than 63 characters,
    // lines longer than 99: all kept inside their limits.
    const std::string longText(200, 'x');
    ASSERT_TRUE(parseCommentFile("Section  1\n[2 no bracket\n    1" + longText + "\n    2" + longText + ".\n", set));
    ASSERT_EQ(set.categories[0].entries.size(), 2u);
    EXPECT_EQ(set.categories[0].entries[0].text, std::string(63, 'x'));
    EXPECT_EQ(set.categories[0].entries[1].text, std::string(63, 'x'));
}

TEST(PlaneNames, ThirtyNamesFromLineThreeCutTo63Characters)
{
    AnnotationSet set;
    std::string text = planeNamesFile();
    text.replace(text.find("Plane 4\r\n"), 7, std::string(80, 'n'));
    ASSERT_TRUE(parsePlaneNames(text + "extra line\n", set));
    EXPECT_EQ(set.planeNames[0].text, "Plane 0");
    EXPECT_EQ(set.planeNames[29].text, "Plane 29");
    EXPECT_EQ(set.planeNames[29].value, 29);
    EXPECT_EQ(set.planeNames[4].text, std::string(63, 'n'));
    EXPECT_FALSE(parsePlaneNames(planeNamesFile(29), set));
}

TEST(Comments, ColumnTextFollowsTheCodeRules)
{
    AnnotationSet set;
    ASSERT_TRUE(parseCommentFile("Section  7\n[2]\n    3Three.\n    3Second three.\n[0]\n[0]\n[0]\n[0]\n[0]\n"
                                 "[2]\n   12Twelve.\n65535No speech.\n",
        set));
    ASSERT_TRUE(parsePlaneNames(planeNamesFile(), set));
    set.commentsLoaded = set.planeNamesLoaded = true;
    const ProgramTable camp = campTable();

    EXPECT_EQ(commentFor(set, camp, 3, 0).value_or("-"), "Three"); // first entry in file order
    EXPECT_FALSE(commentFor(set, camp, 3, -1));
    EXPECT_FALSE(commentFor(set, camp, 4, 0));  // no entry for the value
    EXPECT_FALSE(commentFor(set, camp, 3, 9));  // category not defined by the file
    EXPECT_FALSE(commentFor(set, camp, 12, 6)); // code 6 below 65500
    EXPECT_EQ(commentFor(set, camp, 65535, 6).value_or("-"), "No speech");
    EXPECT_EQ(commentFor(set, camp, 255, 11).value_or("-"), "NONE");
    EXPECT_EQ(commentFor(set, camp, 29, 11).value_or("-"), "Plane 29");
    for (int value : { -1, 30, 254, 256, 65535 })
        EXPECT_FALSE(commentFor(set, camp, value, 11)) << value;

    const ProgramTable squad = squadTable();
    EXPECT_EQ(commentFor(set, squad, 7, 1).value_or("-"), "Plane 7");
    EXPECT_EQ(commentFor(set, squad, 3, 0).value_or("-"), "Three");
    EXPECT_FALSE(commentFor(set, squad, 65535, 6)); // 6 is not below squadconv's limit

    set.planeNamesLoaded = false;
    EXPECT_FALSE(commentFor(set, camp, 255, 11));
    set.commentsLoaded = false;
    EXPECT_FALSE(commentFor(set, camp, 3, 0));
}

class LoadAnnotations : public ::testing::Test {
protected:
    std::string load(const ProgramTable& table, AnnotationSet& set)
    {
        std::ostringstream out;
        set = loadAnnotations(table, folder.path(), out);
        return out.str();
    }
    test::TempFolder folder;
};

TEST_F(LoadAnnotations, NoCommentFileMeansNoPlaneNamesEither)
{
    writeFileImage(folder / "PNAMES.TXT", planeNamesFile());
    AnnotationSet set;
    EXPECT_EQ(load(campTable(), set), "Unable to open CAMPAIGNDATA.TXT!\nNo Comments will be included\n");
    EXPECT_FALSE(set.commentsLoaded);
    EXPECT_FALSE(set.planeNamesLoaded);
    EXPECT_EQ(load(squadTable(), set), "Unable to open SQUADRONDATA.TXT!\nNo Comments will be included\n");
}

TEST_F(LoadAnnotations, MalformedCommentFileIsReportedAsErrors)
{
    writeFileImage(folder / "CAMPAIGNDATA.TXT", std::string_view("Not a comment file\n"));
    writeFileImage(folder / "PNAMES.TXT", planeNamesFile());
    AnnotationSet set;
    EXPECT_EQ(load(campTable(), set), "Errors in CAMPAIGNDATA.TXT!\nNo Comments will be included\n");
    EXPECT_FALSE(set.commentsLoaded || set.planeNamesLoaded);
}

TEST_F(LoadAnnotations, MissingOrShortPlaneNamesKeepTheComments)
{
    writeFileImage(folder / "squadrondata.txt", std::string_view("Section  1\r\n[1]\r\n    1Drop tank.\r\n"));
    AnnotationSet set;
    EXPECT_EQ(load(squadTable(), set), "Unable to open PNAMES.TXT!\nNo Plane Names will be included\n");
    EXPECT_TRUE(set.commentsLoaded);
    EXPECT_FALSE(set.planeNamesLoaded);

    writeFileImage(folder / "Pnames.txt", planeNamesFile(12));
    EXPECT_EQ(load(squadTable(), set), "Errors in PNAMES.TXT!\nNo Plane Names will be included\n");
    EXPECT_FALSE(set.planeNamesLoaded);

    writeFileImage(folder / "Pnames.txt", planeNamesFile());
    EXPECT_EQ(load(squadTable(), set), ""); // both found whatever their letter case
    EXPECT_TRUE(set.commentsLoaded && set.planeNamesLoaded);
    EXPECT_EQ(set.categories[0].entries[0].text, "Drop tank");
}

} // namespace
