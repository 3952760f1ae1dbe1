// campconv's diff and merge, and how to-binary reports a text with a slipped
// line: in-process through the command line, and the program as a process.
#include "campconv/campaignconverter.h"
#include "recordtext/testing/convertertest.h"

#include "common/fileimage.h"
#include "common/textdecode.h"
#include "samplegen/samples.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

namespace {

using namespace kvl;
using namespace kvl::campconv;
using namespace kvl::recordtext;
namespace fs = std::filesystem;

class CampconvCompare : public test::ConverterDialogue<CampaignConverter> {
protected:
    CampconvCompare() : ConverterDialogue(campaignProgramTable())
    {
        EXPECT_TRUE(samples::writeCampaignSamples(folder.path()));
        file = readCampaignImage(bytes("CAMP0001.DAT")).value();
        text = campaignText(file, AnnotationSet {});
    }
    test::CommandLineRun cli(const std::vector<std::string>& args, const std::string& input = {})
    {
        return test::runCommandLine<CampaignConverter>(campaignProgramTable(), args, folder.path(), input);
    }
    std::string at(const std::string& name) { return (folder / name).string(); }
    std::string write(const std::string& name, const std::string& content)
    {
        EXPECT_TRUE(writeFileImage(folder / name, std::string_view(content)));
        return at(name);
    }
    std::string writeBinary(const std::string& name, const CampaignFile& f)
    {
        EXPECT_TRUE(writeFileImage(folder / name, campaignImage(f)));
        return at(name);
    }
    /// The text with line `number` (1-based) replaced by `lines` (none: removed).
    std::string edited(std::size_t number, const std::vector<std::string>& lines)
    {
        std::vector<std::string> all = test::textLines(text);
        all.erase(all.begin() + static_cast<std::ptrdiff_t>(number - 1));
        all.insert(all.begin() + static_cast<std::ptrdiff_t>(number - 1), lines.begin(), lines.end());
        std::string out;
        for (const std::string& line : all)
            out += line + "\r\n";
        return out;
    }
    std::string contents(const std::string& name)
    {
        const auto b = bytes(name);
        return std::string(b.begin(), b.end());
    }

    CampaignFile file;
    std::string text;
};

// Lines 27 to 30 of the text are phase 1's Win Condition, Win Parameter, Loss
// Condition and Loss Parameter; 49 is the empty line closing the phase.
TEST_F(CampconvCompare, ASlippedLineIsReportedOnceAndTheRestIsReadInItsPlace)
{
    struct Case {
        const char* what;
        std::string text;
        std::string slip;
    };
    std::vector<std::string> missions = test::textLines(text);
    const auto first = std::find(missions.begin(), missions.end(), "MISSION #5");
    const std::size_t mission5 = static_cast<std::size_t>(first - missions.begin()) + 1;
    std::string noMission5 = text;
    const std::size_t from = noMission5.find("MISSION #5\r\n");
    noMission5.erase(from, noMission5.find("MISSION #6\r\n") - from);
    const std::vector<Case> cases = {
        { "misspelt", edited(29, { "  Xoss Condition:     3" }),
            "line 29: Expected Loss Condition.  Found Xoss Condition" },
        { "removed", edited(28, {}), "line 28: a line is missing before this one (Win Parameter expected)" },
        { "added", edited(28, { "  Note: keep", "  Win Parameter:      50" }),
            "line 28: extra line \"  Note: keep\" (Win Parameter expected)" },
        { "blanked", edited(28, { "" }), "line 28: Expected Win Parameter.  Found an empty line" },
        { "empty line removed", edited(49, {}), "line 49: a line is missing before this one (an empty line expected)" },
        { "record removed", noMission5,
            "line " + std::to_string(mission5)
                + ": 42 lines are missing before this one (MISSION #5 to Altitude expected)" },
    };
    for (const Case& c : cases) {
        const std::string name = write("EDITED.TXT", c.text);
        const auto run = cli({ "to-binary", name });
        EXPECT_EQ(run.status, 1) << c.what;
        EXPECT_EQ(run.err,
            name + ": " + c.slip + "\n" + name + ": not converted: the labels above do not match; nothing written\n"
                + "0 succeeded, 1 failed\n")
            << c.what;
        EXPECT_FALSE(fs::exists(folder / "EDITED.DAT"));
    }
}

TEST_F(CampconvCompare, PastTenSlipsTheRestAreCountedAndAShortTextStillSaysWhereItEnds)
{
    std::string many = text;
    for (const char* label : { "  Win Parameter:", "  US Oil:" })
        for (std::size_t at = many.find(label); at != std::string::npos; at = many.find(label, at + 1))
            many[at + 2] = 'Q';
    auto run = cli({ "to-binary", write("MANY.TXT", many) });
    EXPECT_EQ(run.status, 1);
    const auto lines = test::textLines(run.err);
    ASSERT_EQ(lines.size(), 13u) << run.err;
    EXPECT_EQ(lines[10], at("MANY.TXT") + ": 40 more slips not shown");

    // A line removed, then the text cut short in phase 2.
    const std::string removed = edited(28, {});
    const std::string cut = removed.substr(0, removed.find("PHASE #2"));
    run = cli({ "to-binary", write("CUT.TXT", cut) });
    EXPECT_EQ(run.err,
        at("CUT.TXT") + ": line 28: a line is missing before this one (Win Parameter expected)\n" + at("CUT.TXT")
            + ": Unexpected end of " + at("CUT.TXT")
            + " after line 48 (Win Condition expected)\n0 succeeded, 1 failed\n");
}

TEST_F(CampconvCompare, TheDialogueStillReadsEveryFieldFromTheNextLine)
{
    // The dialogue reports each label as the parser meets it: one removed
    // line puts every later field one line off.
    write("CAMPAIGN.TXT", edited(28, {}));
    const std::string out = run("2\n");
    std::size_t reported = 0;
    for (std::size_t at = out.find("Expected "); at != std::string::npos; at = out.find("Expected ", at + 1))
        ++reported;
    EXPECT_GT(reported, 700u);
    EXPECT_NE(out.find("Expected Win Parameter.  Found Loss Condition\n"), std::string::npos);
}

TEST_F(CampconvCompare, DiffListsEveryChangedFieldOfBinariesAndTextsAlike)
{
    EXPECT_EQ(cli({ "diff", at("CAMP0001.DAT"), write("SAME.TXT", text) }).status, 0);
    CampaignFile changed = file;
    const auto target = static_cast<std::uint8_t>(file.phases[2].targetType[1] + 1);
    changed.phases[2].targetType[1] = target;
    changed.planeTypes[0].planeCount = -12;
    const std::string dat = writeBinary("CHANGED.DAT", changed);
    const std::string txt = write("CHANGED.TXT", campaignText(changed, AnnotationSet {}));
    const std::string listing = "2. CAMPAIGN PHASES / PHASE #3 / Target Type [2 of 8]: "
        + std::to_string(file.phases[2].targetType[1]) + " -> " + std::to_string(target)
        + "\n3. CAMPAIGN PLANE TYPES / PLANE TYPE #1 / Plane Count: " + std::to_string(file.planeTypes[0].planeCount)
        + " -> -12\n";
    for (const std::string& other : { dat, txt }) {
        const auto run = cli({ "diff", at("CAMP0001.DAT"), other });
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, listing);
        EXPECT_TRUE(run.err.empty());
    }
    const auto json = cli({ "diff", "--json", dat, "-" }, text);
    EXPECT_EQ(json.status, 1);
    EXPECT_EQ(json.out.substr(0, json.out.find(",{")),
        "{\"a\":" + jsonString(dat)
            + ",\"b\":\"standard input\",\"differences\":[{\"kind\":\"field\",\"name\":\"2. "
              "CAMPAIGN PHASES / PHASE #3 / Target Type [2 of 8]\",\"section\":\"2. CAMPAIGN "
              "PHASES\",\"record\":\"PHASE "
              "#3\",\"label\":\"Target Type [2 of 8]\",\"offset\":117,\"a\":"
            + std::to_string(target) + ",\"b\":" + std::to_string(file.phases[2].targetType[1]) + "}");

    // Bytes past the campaign are no field, but they differ.
    auto longer = bytes("CAMP0001.DAT");
    longer.resize(3720, 1);
    writeFileImage(folder / "LONGER.DAT", longer);
    EXPECT_EQ(cli({ "diff", at("LONGER.DAT"), at("CAMP0001.DAT") }).out, "bytes after the records: 12 bytes -> none\n");
}

TEST_F(CampconvCompare, DiffRefusesWhatItCannotRead)
{
    const auto bad = cli({ "diff", at("CAMP0001.DAT"), write("BAD.TXT", edited(28, {})) });
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err,
        at("BAD.TXT") + ": line 28: a line is missing before this one (Win Parameter expected)\n" + at("BAD.TXT")
            + ": not compared: the labels above do not match\n");
    EXPECT_TRUE(bad.out.empty());
    writeFileImage(folder / "SHORT.DAT", std::span(bytes("CAMP0001.DAT").data(), 100));
    EXPECT_EQ(cli({ "diff", at("SHORT.DAT"), at("CAMP0001.DAT") }).err,
        at("SHORT.DAT") + ": Campaign file is too short (100 bytes, 3708 needed)!\n");

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>> {
             { "diff", at("CAMP0001.DAT") },
             { "diff", "-o", at("x"), at("CAMP0001.DAT"), at("CAMP0002.DAT") },
             { "diff", "--prefer", "mine", at("CAMP0001.DAT"), at("CAMP0002.DAT") },
             { "to-text", "--json", at("CAMP0001.DAT") },
             { "merge", at("CAMP0001.DAT"), at("CAMP0001.DAT"), at("CAMP0002.DAT") },
             { "merge", "-o", at("M.DAT"), "--prefer", "both", at("CAMP0001.DAT"), at("CAMP0001.DAT"),
                 at("CAMP0002.DAT") },
             { "merge", "-o", folder.path().string(), at("CAMP0001.DAT"), at("CAMP0001.DAT"), at("CAMP0002.DAT") },
         }) {
        const auto run = cli(args);
        EXPECT_EQ(run.status, 2) << testing::PrintToString(args);
        EXPECT_TRUE(run.err.starts_with("campconv: ")) << run.err;
    }
}

TEST_F(CampconvCompare, MergeTakesEachSidesChangesAndListsConflicts)
{
    CampaignFile mine = file;
    mine.setup.commencementYear = 1944;
    mine.events[3].chance = 77;
    CampaignFile theirs = file;
    theirs.missions[31].altitude = 12000;
    theirs.events[3].chance = 77;
    const std::string base = at("CAMP0001.DAT");
    const std::string mineText = write("MINE.TXT", campaignText(mine, AnnotationSet {}));
    const std::string theirsDat = writeBinary("THEIRS.DAT", theirs);

    auto run = cli({ "merge", base, mineText, theirsDat, "-o", at("OUT.DAT") });
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(run.err, at("OUT.DAT") + ": 1 field from mine, 1 from theirs, 1 changed alike\n");
    CampaignFile both = mine;
    both.missions[31].altitude = 12000;
    EXPECT_EQ(bytes("OUT.DAT"), campaignImage(both));

    // The same field changed two ways: listed, and nothing is written.
    theirs.setup.commencementYear = 1945;
    writeBinary("THEIRS.DAT", theirs);
    run = cli({ "merge", base, mineText, theirsDat, "-o", at("NEW.DAT") });
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "conflict: 1. CAMPAIGN SETUP / Commencement Year: base 1943, mine 1944, theirs 1945\n");
    EXPECT_EQ(
        run.err, at("NEW.DAT") + ": 1 conflict; nothing written (--prefer mine or --prefer theirs decides them)\n");
    EXPECT_FALSE(fs::exists(folder / "NEW.DAT"));

    // --prefer decides; OUT named .TXT is the text of the result.
    fs::create_directory(folder / "nonotes");
    run = cli(
        { "merge", "--prefer", "theirs", "--notes", at("nonotes"), base, mineText, theirsDat, "-o", at("NEW.TXT") });
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(
        run.out, "conflict: 1. CAMPAIGN SETUP / Commencement Year: base 1943, mine 1944, theirs 1945 (took theirs)\n");
    both.setup.commencementYear = 1945;
    EXPECT_EQ(contents("NEW.TXT"), campaignText(both, AnnotationSet {}));

    // An existing OUT is replaced only with --force.
    run = cli({ "merge", "--prefer", "mine", base, mineText, theirsDat, "-o", at("NEW.TXT") });
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(at("NEW.TXT") + " exists (use --force to replace it)"), std::string::npos);
}

TEST_F(CampconvCompare, MergingOneFileWithItselfGivesItsBytesBack)
{
    // A text with comments and a hand-made spacing, in any mix with its binary.
    std::string mine = text;
    mine.replace(mine.find("Commencement Year:     "), 23, "Commencement Year: ");
    const std::string mineText = write("MINE.TXT", mine);
    const std::string base = at("CAMP0001.DAT");
    auto run = cli({ "merge", base, mineText, base, "-o", "-" });
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, mine);
    EXPECT_EQ(run.err, "standard output: 0 fields from mine, 0 from theirs, 0 changed alike\n");
    run = cli({ "merge", mineText, mineText, base, "-o", at("SAME.DAT") });
    EXPECT_EQ(bytes("SAME.DAT"), bytes("CAMP0001.DAT"));
    // merge(B, B, X) is X.
    run = cli({ "merge", base, base, at("CAMP0002.DAT"), "-o", at("X.DAT") });
    EXPECT_EQ(bytes("X.DAT"), bytes("CAMP0002.DAT"));
    run = cli({ "-n", "merge", base, base, at("CAMP0002.DAT"), "-o", at("Y.DAT") });
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.err.starts_with(at("Y.DAT") + " (dry run: would write 3708 bytes): ")) << run.err;
    EXPECT_FALSE(fs::exists(folder / "Y.DAT"));
}

TEST_F(CampconvCompare, TheProgramRunsDiffAndMergeAsProcesses)
{
    const std::string program = KVL_CAMPCONV_PROGRAM;
    auto status = [](const std::string& command) {
        const int raw = std::system((command + " >/dev/null 2>&1").c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    };
    const std::string one = at("CAMP0001.DAT");
    const std::string two = at("CAMP0002.DAT");
    EXPECT_EQ(status(program + " diff " + one + " " + one), 0);
    EXPECT_EQ(status(program + " diff --json " + one + " " + two), 1);
    EXPECT_EQ(status(program + " diff " + one), 2);
    EXPECT_EQ(status(program + " merge " + one + " " + one + " " + two + " -o " + at("P.DAT")), 0);
    EXPECT_EQ(bytes("P.DAT"), bytes("CAMP0002.DAT"));
    EXPECT_EQ(status(program + " merge " + one + " " + one + " " + two), 2);
}

} // namespace
