// The text files of the set tree: LastCampaign.txt, restore lists, comments.
#include "folioswap/settree.h"

#include <gtest/gtest.h>

using namespace kvl::folioswap;

TEST(SetTree, LastCampaignRoundTripsNamesAndReadsEitherLineEnd)
{
    for (std::string name : { "xxx", "Malta Siege", " lead and trail ", "", "a\"quote" }) {
        std::string text = formatLastCampaign(name);
        EXPECT_EQ(text, "\"" + name + "\"\r\n");
        EXPECT_EQ(parseLastCampaign(text), name);
    }
    EXPECT_EQ(parseLastCampaign("\"North Africa\"\n"), "North Africa");
    EXPECT_EQ(parseLastCampaign("\"North Africa\""), "North Africa");
    // The last line counts, not the first.
    EXPECT_EQ(parseLastCampaign("\"old\"\r\n\"new\"\r\n"), "new");
    // First and last character are dropped whatever they are.
    EXPECT_EQ(parseLastCampaign("[abc]"), "abc");
}

TEST(SetTree, LastCampaignTooShortIsDamaged)
{
    EXPECT_FALSE(parseLastCampaign(""));
    EXPECT_FALSE(parseLastCampaign("\""));
    EXPECT_FALSE(parseLastCampaign("\"A\"\r\n\r\n")); // an empty last line
    EXPECT_EQ(parseLastCampaign("\"\""), "");
}

TEST(SetTree, CommentTextEndsEveryLineWithCrLf)
{
    EXPECT_EQ(commentText(""), "");
    EXPECT_EQ(commentText("one"), "one\r\n");
    EXPECT_EQ(commentText("one\ntwo\r\n\r\nfour"), "one\r\ntwo\r\n\r\nfour\r\n");
}

TEST(SetTree, RestoreListSkipsEmptyLinesAndKeepsOthersUnchanged)
{
    auto entries = parseRestoreList("CAMP0001.DAT\r\n\r\n  spaced name.dat \nlast");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "CAMP0001.DAT");
    EXPECT_EQ(entries[0].line, 1u);
    EXPECT_EQ(entries[1].name, "  spaced name.dat ");
    EXPECT_EQ(entries[1].line, 3u);
    EXPECT_EQ(entries[2].name, "last");
    EXPECT_EQ(entries[2].line, 4u);
    EXPECT_TRUE(parseRestoreList("\r\n\n").empty());
}

TEST(SetTree, RestoreNamesMustStayInTheirFolder)
{
    for (std::string_view good :
        std::initializer_list<std::string_view> { "CAMP0001.DAT", "Squadron.dat", "a..b", "...", " x " })
        EXPECT_TRUE(isSafeRestoreName(good)) << good;
    for (std::string_view bad : std::initializer_list<std::string_view> { "", ".", "..", "../x", "/etc/passwd",
             "sub/file", "sub\\file", "..\\x", "C:\\game\\x.dat", "C:x.dat", std::string_view("a\0b", 3) })
        EXPECT_FALSE(isSafeRestoreName(bad)) << bad;
}

TEST(SetTree, SetNamesComeFromUpperCaseCamPrefix)
{
    EXPECT_EQ(setNameFromEntry("CAM1"), "1");
    EXPECT_EQ(setNameFromEntry("CAMP.TXT"), "P.TXT");
    EXPECT_EQ(setNameFromEntry("CAMMalta Siege"), "Malta Siege");
    EXPECT_EQ(setNameFromEntry("CAM"), "");
    EXPECT_FALSE(setNameFromEntry("cam1"));
    EXPECT_FALSE(setNameFromEntry("Cam1"));
    EXPECT_FALSE(setNameFromEntry("CA"));
    EXPECT_FALSE(setNameFromEntry("Workfiles"));
    // Every listed name must survive LastCampaign.txt.
    EXPECT_FALSE(setNameFromEntry("CAMtwo\nlines"));
    for (std::string entry : { "CAMend\r", "CAM\"q\"", "CAM x " }) {
        auto name = setNameFromEntry(entry);
        ASSERT_TRUE(name) << entry;
        EXPECT_EQ(parseLastCampaign(formatLastCampaign(*name)), *name) << entry;
    }
}
