#include "campconv/campaigntext.h"

#include "common/textio.h"
#include "recordtext/testing/convertertest.h"
#include "samplegen/samples.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

namespace {

using namespace kvl;
using namespace kvl::campconv;
using namespace kvl::recordtext;

/// Comments for every category the campaign text uses, and plane names.
AnnotationSet sideFiles()
{
    std::string comments = "Section 10\r\n";
    for (int c = 0; c < 10; ++c) {
        comments += "[3]\r\n";
        comments += "    0C" + std::to_string(c) + " zero.\r\n";
        comments += "    3C" + std::to_string(c) + " three.\r\n";
        comments += "65535C" + std::to_string(c) + " top.\r\n";
    }
    std::string names = "x\r\nx\r\n";
    for (int i = 0; i < 30; ++i)
        names += "Plane " + std::to_string(i) + "\r\n";
    AnnotationSet set;
    set.commentsLoaded = parseCommentFile(comments, set);
    set.planeNamesLoaded = parsePlaneNames(names, set);
    return set;
}

std::size_t find(const std::vector<std::string>& all, const std::string& line, std::size_t from = 0)
{
    for (std::size_t i = from; i < all.size(); ++i)
        if (all[i] == line)
            return i;
    return std::string::npos;
}

CampaignFile parse(const std::string& text, std::string* messages = nullptr, bool* ended = nullptr)
{
    std::ostringstream out;
    RecordTextInput in(text, campaignProgramTable(), out);
    CampaignFile file;
    parseCampaignText(in, file);
    if (messages)
        *messages = out.str();
    if (ended)
        *ended = in.ended();
    return file;
}

CampaignFile sample(int variant)
{
    CampaignFile file;
    file = readCampaignImage(samples::sampleCampaignFile(variant)).value();
    return file;
}

/// Random bytes, with the 32-bit fields kept to numbers of at most five
/// characters (longer ones cannot pass through the text).
CampaignFile randomCampaign(unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(kCampaignFileSize);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random());
    CampaignFile file;
    file = readCampaignImage(bytes).value();
    auto small = [&](std::int32_t& v) { v = static_cast<std::int32_t>(random() % 109999) - 9999; };
    small(file.setup.briefingLanguage);
    small(file.setup.attackingSide);
    for (auto& t : file.planeTypes) {
        small(t.planeCount);
        small(t.production);
        small(t.startPoints);
    }
    small(file.german.nationality);
    small(file.allied.nationality);
    return file;
}

TEST(CampaignText, LayoutOfSectionsAndRecords)
{
    const auto all = test::textLines(campaignText(sample(0), sideFiles()));
    // 2 + setup 18 + 3 + phases 2+25*24 + 2 + types 2+30*9 + 2 + forces 24 + 3 + 24 + 3
    // + events 2+32*8 + 2 + missions 2+32*42 + 2 + V-1 6
    EXPECT_EQ(all.size(), 2u + 18 + 3 + 602 + 2 + 272 + 2 + 24 + 3 + 24 + 3 + 258 + 2 + 1346 + 2 + 6);
    EXPECT_EQ(all[0], "KORVAL - CAMPAIGN FILE (TEXT VERSION)");
    EXPECT_EQ(all[1], "");
    EXPECT_EQ(all[2], "1. CAMPAIGN SETUP");
    EXPECT_EQ(all[3], "=================");
    EXPECT_EQ(all[4], "Commencement Year:     1943");
    EXPECT_EQ(all[7], "Briefing Language:     0          ; C0 zero");
    EXPECT_EQ(all[19], "Number of Plane Types: 10");
    EXPECT_EQ(all[23], "2. CAMPAIGN PHASES");
    EXPECT_EQ(all[25], "PHASE #1");
    EXPECT_EQ(all[26], "  Win Condition:      1");
    EXPECT_EQ(all[28], "  Loss Condition:     3          ; C1 three");
    EXPECT_EQ(all[30], "  US Aircraft:        5");
    EXPECT_EQ(all[39], "  British Production: 1350");
    EXPECT_EQ(all[40], "  Target Type:        0          ; C2 zero");
    EXPECT_EQ(all[47], "  Target Type:        255");
    EXPECT_EQ(all[48], "");
    EXPECT_EQ(all[49], "PHASE #2");

    const std::size_t types = find(all, "3. CAMPAIGN PLANE TYPES");
    ASSERT_EQ(types, 25u + 600 + 2);
    EXPECT_EQ(all[types - 3], "");
    EXPECT_EQ(all[types + 2], "PLANE TYPE #1");
    EXPECT_EQ(all[types + 3], "  Slot Number: 0          ; Plane 0");
    EXPECT_EQ(all[types + 6], "  Replacement: 1          ; Plane 1");
    EXPECT_EQ(all[types + 9], "  Start Points:12500");
    EXPECT_EQ(all[types + 3 + 9 * 3 + 3], "  Replacement: 255        ; NONE");

    const std::size_t german = find(all, "4. GERMAN FORCES");
    EXPECT_EQ(all[german + 1], "================");
    EXPECT_EQ(all[german + 2], "Nationality:            1");
    EXPECT_EQ(all[german + 5], "Crew Quality:           2");
    EXPECT_EQ(all[german + 23], "Submarine Factories:    " + std::to_string(4 + (30 + 7) % 9));
    EXPECT_EQ(all[german + 27], "5. ALLIED FORCES");
    EXPECT_EQ(all[german + 29], "Nationality:            0          ; C0 zero");

    const std::size_t events = find(all, "6. SPECIAL EVENTS");
    EXPECT_EQ(all[events + 2], "EVENT #1");
    EXPECT_EQ(all[events + 3], "  Event Type:         3          ; C3 three");
    EXPECT_EQ(all[events + 7], "  Parameter 1:        0          ; Plane 0");  // Event Type 3
    EXPECT_EQ(all[events + 15], "  Parameter 1:        5          ; Plane 5"); // Event Type 18
    EXPECT_EQ(all[events + 23], "  Parameter 1:        302");                  // Event Type 4

    const std::size_t missions = find(all, "7. SPECIAL MISSIONS");
    EXPECT_EQ(all[missions + 2], "MISSION #1");
    EXPECT_EQ(all[missions + 3], "  Mission Trigger:            1");
    EXPECT_EQ(all[missions + 3 + 17], "  Weather:                    0          ; C9 zero");
    EXPECT_EQ(all[missions + 3 + 18], "  Special Speech 1:           40");
    EXPECT_EQ(all[missions + 3 + 23], "  Special Speech 6:           65535      ; C6 top");
    EXPECT_EQ(all[missions + 3 + 39], "  Altitude:                   6000");

    EXPECT_EQ(all[all.size() - 6], "8. V-1 MISSIONS");
    EXPECT_EQ(all[all.size() - 5], "===============");
    EXPECT_EQ(all[all.size() - 4], "V-1 Site Attack Speech:              120");
    EXPECT_EQ(all.back(), "V-1 Ground Control Related Speech:   122");
}

TEST(CampaignText, EveryLineEndsWithCrLfAndNoTrailingSpace)
{
    const std::string text = campaignText(sample(1), sideFiles());
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(text.find("\n\r\n\r\n\r\n\r\n"), std::string::npos); // never four empty lines in a row
    for (const auto& line : test::textLines(text)) {
        EXPECT_EQ(line.find('\r'), std::string::npos);
        if (!line.empty()) {
            EXPECT_NE(line.back(), ' ') << line;
        }
    }
}

TEST(CampaignText, WithoutSideFilesThereAreNoCommentColumns)
{
    const std::string text = campaignText(sample(0), AnnotationSet {});
    EXPECT_EQ(text.find(';'), std::string::npos);
    EXPECT_EQ(test::textLines(text).size(), test::textLines(campaignText(sample(0), sideFiles())).size());
    std::string messages;
    EXPECT_EQ(campaignImage(parse(text, &messages)), samples::sampleCampaignFile(0));
    EXPECT_EQ(messages, "");
}

TEST(CampaignText, RoundTripIsByteIdentical)
{
    for (int variant = 0; variant < 3; ++variant) {
        const CampaignFile file = sample(variant);
        bool ended = true;
        std::string messages;
        EXPECT_EQ(campaignImage(parse(campaignText(file, sideFiles()), &messages, &ended)), campaignImage(file));
        EXPECT_FALSE(ended);
        EXPECT_EQ(messages, "");
    }
    for (unsigned seed = 1; seed <= 5; ++seed) {
        const CampaignFile file = randomCampaign(seed);
        EXPECT_EQ(campaignImage(parse(campaignText(file, sideFiles()))), campaignImage(file)) << seed;
    }
}

TEST(CampaignText, LinesLongerThanTheReaderLooksAtStillRoundTrip)
{
    // Comments and plane names of the longest kept length (63 characters)
    // make the program's own lines longer than the 99 characters the reader
    // looks at; the rest of such a line must not be read as a line of its own.
    const std::string longText(63, 'c');
    std::string comments = "Section 10\r\n";
    for (int c = 0; c < 10; ++c) {
        comments += "[256]\r\n";
        for (int v = 0; v < 255; ++v)
            comments += (v < 10 ? "    " : v < 100 ? "   " : "  ") + std::to_string(v) + longText + ".\r\n";
        comments += "65535" + longText + ".\r\n";
    }
    std::string names = "x\r\nx\r\n";
    for (int i = 0; i < 30; ++i)
        names += std::string(70, 'p') + "\r\n";
    AnnotationSet notes;
    notes.commentsLoaded = parseCommentFile(comments, notes);
    notes.planeNamesLoaded = parsePlaneNames(names, notes);
    ASSERT_TRUE(notes.commentsLoaded && notes.planeNamesLoaded);

    for (unsigned seed = 11; seed <= 13; ++seed) {
        const CampaignFile file = randomCampaign(seed);
        const std::string text = campaignText(file, notes);
        std::size_t longLines = 0;
        for (const auto& line : test::textLines(text))
            longLines += line.size() > 99 ? 1 : 0;
        EXPECT_GT(longLines, 50u);
        std::string messages;
        bool ended = true;
        EXPECT_EQ(campaignImage(parse(text, &messages, &ended)), campaignImage(file)) << seed;
        EXPECT_EQ(messages, "");
        EXPECT_FALSE(ended);
    }
}

TEST(CampaignText, OneEditedValueChangesExactlyOneField)
{
    const CampaignFile file = sample(0);
    auto all = test::textLines(campaignText(file, sideFiles()));
    const std::size_t phase3 = find(all, "PHASE #3");
    ASSERT_EQ(all[phase3 + 8], "  US Oil:             " + std::to_string(file.phases[2].usTargets[3]));
    all[phase3 + 8] = "  US Oil:             4321";
    std::string text;
    for (const auto& line : all)
        text += line + "\r\n";

    const auto before = campaignImage(file);
    const auto after = campaignImage(parse(text));
    const std::size_t usOil = 28 + 2 * 32 + 10;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (i == usOil || i == usOil + 1)
            continue;
        EXPECT_EQ(before[i], after[i]) << "byte " << i;
    }
    EXPECT_EQ(after[usOil] | after[usOil + 1] << 8, 4321);
}

TEST(CampaignText, DeletedLineMisalignsTheRestOfTheSection)
{
    const CampaignFile file = sample(0);
    auto all = test::textLines(campaignText(file, sideFiles()));
    const std::size_t phase2 = find(all, "PHASE #2");
    ASSERT_EQ(all[phase2 - 1], "");
    all.erase(all.begin() + static_cast<std::ptrdiff_t>(phase2 - 1));
    std::string text;
    for (const auto& line : all)
        text += line + "\r\n";

    std::string messages;
    bool ended = false;
    const CampaignFile parsed = parse(text, &messages, &ended);
    EXPECT_EQ(parsed.phases[0].britishProduction, file.phases[0].britishProduction);
    // The title and the Win Condition line were skipped: Win Condition takes
    // the Win Parameter (same first letter), Win Parameter meets Loss Condition.
    EXPECT_EQ(parsed.phases[1].winCondition, file.phases[1].winParameter);
    EXPECT_EQ(parsed.phases[1].winParameter, 0);
    EXPECT_EQ(messages.substr(0, messages.find('\n') + 1), "Expected Win Parameter.  Found Loss Condition\n");
}

TEST(CampaignText, TextThatEndsEarlyIsNoticed)
{
    const std::string text = campaignText(sample(0), sideFiles());
    for (std::size_t cut : { std::size_t(0), std::size_t(100), text.size() / 2, text.size() - 50 }) {
        bool ended = false;
        parse(text.substr(0, cut), nullptr, &ended);
        EXPECT_TRUE(ended) << cut;
    }
    bool ended = true;
    parse(text.substr(0, text.size() - 2), nullptr, &ended); // the last line end is optional
    EXPECT_FALSE(ended);
}

TEST(CampaignText, ParsesLfTextsAndUnpaddedValues)
{
    std::string text = campaignText(sample(2), AnnotationSet {});
    std::string lf;
    for (char c : text)
        if (c != '\r')
            lf += c;
    EXPECT_EQ(campaignImage(parse(lf)), samples::sampleCampaignFile(2));
}

} // namespace
