#include "squadconv/squadrontext.h"

#include "common/textio.h"
#include "recordtext/testing/convertertest.h"
#include "samplegen/samples.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

namespace {

using namespace kvl;
using namespace kvl::squadconv;
using namespace kvl::recordtext;

AnnotationSet sideFiles()
{
    std::string names = "x\r\nx\r\n";
    for (int i = 0; i < 30; ++i)
        names += "Plane " + std::to_string(i) + "\r\n";
    AnnotationSet set;
    set.commentsLoaded = parseCommentFile("Section  1\r\n[2]\r\n    1Drop tank.\r\n    3Bomb.\r\n", set);
    set.planeNamesLoaded = parsePlaneNames(names, set);
    return set;
}

std::string join(const std::vector<std::string>& all)
{
    std::string text;
    for (const auto& line : all)
        text += line + "\r\n";
    return text;
}

SquadronFile parse(const std::string& text, std::string* messages = nullptr, bool* ended = nullptr)
{
    std::ostringstream out;
    RecordTextInput in(text, squadronProgramTable(), out);
    SquadronFile file;
    parseSquadronText(in, file);
    if (messages)
        *messages = out.str();
    if (ended)
        *ended = in.ended();
    return file;
}

SquadronFile randomSquadrons(std::size_t count, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(count * kSquadronRecordSize);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random());
    SquadronFile file;
    readSquadronImage(bytes, file);
    return file;
}

SquadronFile sample()
{
    SquadronFile file;
    readSquadronImage(samples::sampleSquadronFile(0), file);
    return file;
}

TEST(SquadronText, LayoutOfOneSquadron)
{
    const auto all = test::textLines(squadronText(sample(), sideFiles()));
    ASSERT_EQ(all.size(), 3u + 12 * 124);
    EXPECT_EQ(all[0], "KORVAL - SQUADRON FILE (TEXT VERSION)");
    EXPECT_EQ(all[1], "NUMBER OF SQUADRONS: 12");
    EXPECT_EQ(all[2], "");
    // Squadron #2 (index 1) starts at line 3 + 124.
    const std::size_t s = 3 + 124;
    EXPECT_EQ(all[s], "SQUADRON #2");
    EXPECT_EQ(all[s + 1], "==================");
    EXPECT_EQ(all[s + 2], "  Commencement Year:      1944");
    EXPECT_EQ(all[s + 6], "  Aircraft Type:          2          ; Plane 2");
    EXPECT_EQ(all[s + 12], "  #. Squadrons in Group:  2");
    EXPECT_EQ(all[s + 26], "  Num. Aircraft Changes:  1");
    EXPECT_EQ(all[s + 27], "  AIRFIELD MOVE #1");
    EXPECT_EQ(all[s + 28], "    Possibility:          50");
    EXPECT_EQ(all[s + 29], "    In Phase #:           1");
    EXPECT_EQ(all[s + 30], "    Airfield Code:        211");
    EXPECT_EQ(all[s + 43], "  AIRCRAFT UPGRADE #1");
    EXPECT_EQ(all[s + 46], "    New Aircraft:         3          ; Plane 3");
    EXPECT_EQ(all[s + 58], "    New Aircraft:         255        ; NONE");
    EXPECT_EQ(all[s + 59], "Special Mission #0:       1");
    EXPECT_EQ(all[s + 90], "Special Mission #31:      255");
    EXPECT_EQ(all[s + 91], "  WEAPON AVAILABILITY #1");
    EXPECT_EQ(all[s + 92], "    Weapon Type:          2");
    EXPECT_EQ(all[s + 96], "    Weapon Type:          3          ; Bomb");
    EXPECT_EQ(all[s + 119], "  WEAPON AVAILABILITY #8");
    EXPECT_EQ(all[s + 120], "    Weapon Type:          255");
    EXPECT_EQ(all[s + 122], "    Number Available:     0");
    EXPECT_EQ(all[s + 123], "");
    EXPECT_EQ(all.back(), "");

    const auto bare = test::textLines(squadronText(sample(), AnnotationSet {}));
    EXPECT_EQ(bare[s + 6], "  Aircraft Type:          2");
    EXPECT_EQ(bare.size(), all.size());
}

TEST(SquadronText, NoSquadronsGiveTitleCountAndEmptyLine)
{
    EXPECT_EQ(squadronText(SquadronFile {}, sideFiles()),
        "KORVAL - SQUADRON FILE (TEXT VERSION)\r\nNUMBER OF SQUADRONS: 0\r\n\r\n");
    bool ended = true;
    EXPECT_TRUE(parse("KORVAL - SQUADRON FILE (TEXT VERSION)\r\nNUMBER OF SQUADRONS: 0\r\n\r\n", nullptr, &ended)
                    .squadrons.empty());
    EXPECT_FALSE(ended);
}

TEST(SquadronText, RoundTripIsByteIdentical)
{
    for (std::size_t count : { 1, 12, 99 }) {
        const SquadronFile file = count == 12 ? sample() : randomSquadrons(count, static_cast<unsigned>(count));
        std::string messages;
        bool ended = true;
        EXPECT_EQ(squadronImage(parse(squadronText(file, sideFiles()), &messages, &ended)), squadronImage(file));
        EXPECT_EQ(messages, "");
        EXPECT_FALSE(ended);
    }
}

TEST(SquadronText, LinesLongerThanTheReaderLooksAtStillRoundTrip)
{
    // 63-character plane names and weapon comments give lines of up to 102
    // characters; the reader looks at 99 and must not take the rest as a line.
    std::string comments = "Section  1\r\n[256]\r\n";
    for (int v = 0; v < 256; ++v)
        comments += (v < 10 ? "    " : v < 100 ? "   " : "  ") + std::to_string(v) + std::string(63, 'w') + ".\r\n";
    std::string names = "x\r\nx\r\n";
    for (int i = 0; i < 30; ++i)
        names += std::string(63, 'p') + "\r\n";
    AnnotationSet notes;
    notes.commentsLoaded = parseCommentFile(comments, notes);
    notes.planeNamesLoaded = parsePlaneNames(names, notes);
    ASSERT_TRUE(notes.commentsLoaded && notes.planeNamesLoaded);

    const SquadronFile file = randomSquadrons(20, 5);
    const std::string text = squadronText(file, notes);
    std::size_t longLines = 0;
    for (const auto& line : test::textLines(text))
        longLines += line.size() > 99 ? 1 : 0;
    EXPECT_GT(longLines, 20u);
    std::string messages;
    bool ended = true;
    EXPECT_EQ(squadronImage(parse(text, &messages, &ended)), squadronImage(file));
    EXPECT_EQ(messages, "");
    EXPECT_FALSE(ended);
}

TEST(SquadronText, CountLineReadsTwoCharacters)
{
    const SquadronFile file = randomSquadrons(100, 7);
    const std::string text = squadronText(file, AnnotationSet {});
    ASSERT_EQ(test::textLines(text)[1], "NUMBER OF SQUADRONS: 100");
    const SquadronFile parsed = parse(text);
    ASSERT_EQ(parsed.squadrons.size(), 10u); // "10" of "100"
    const auto image = squadronImage(file);
    EXPECT_EQ(squadronImage(parsed), std::vector<std::uint8_t>(image.begin(), image.begin() + 1240));

    auto all = test::textLines(squadronText(sample(), sideFiles()));
    all[1] = "NUMBER OF SQUADRONS: 3";
    EXPECT_EQ(parse(join(all)).squadrons.size(), 3u);
}

TEST(SquadronText, CountPromisingMoreThanTheTextHoldsIsAnEarlyEnd)
{
    auto all = test::textLines(squadronText(sample(), sideFiles()));
    all[1] = "NUMBER OF SQUADRONS: 13";
    bool ended = false;
    parse(join(all), nullptr, &ended);
    EXPECT_TRUE(ended);
    parse("KORVAL - SQUADRON FILE (TEXT VERSION)\r\n", nullptr, &ended);
    EXPECT_TRUE(ended);
}

TEST(SquadronText, SpecialMissionLabelsAreNeverChecked)
{
    const SquadronFile file = sample();
    auto all = test::textLines(squadronText(file, sideFiles()));
    all[3 + 59] = "Whatever the user wrote: 9";
    all[3 + 60] = "  Special Mission #1:    200";
    std::string messages;
    const SquadronFile parsed = parse(join(all), &messages);
    EXPECT_EQ(messages, "");
    EXPECT_EQ(parsed.squadrons[0].specialMissions[0], 9);
    EXPECT_EQ(parsed.squadrons[0].specialMissions[1], 200);
}

TEST(SquadronText, MismatchesAreReportedAndTheFieldKeepsZero)
{
    auto all = test::textLines(squadronText(sample(), sideFiles()));
    all[3 + 28] = "    Xossibility:          50";
    std::string messages;
    const SquadronFile parsed = parse(join(all), &messages);
    EXPECT_EQ(messages, "Expected Possibility.  Found Xossibility\n");
    EXPECT_EQ(parsed.squadrons[0].airfieldMoves[0].possibility, 0);
}

} // namespace
