// campconv's command line: options, exit statuses, output files and verify,
// against the bytes the dialogue writes.
#include "campconv/campaignconverter.h"
#include "recordtext/roundtrip.h"
#include "recordtext/testing/convertertest.h"

#include "common/fileimage.h"
#include "common/textio.h"
#include "samplegen/samples.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

namespace {

using namespace kvl;
using namespace kvl::campconv;
using namespace kvl::recordtext;
namespace fs = std::filesystem;

class CampconvCommandLine : public test::ConverterDialogue<CampaignConverter> {
protected:
    CampconvCommandLine() : ConverterDialogue(campaignProgramTable())
    {
        EXPECT_TRUE(samples::writeCampaignSamples(folder.path()));
    }
    test::CommandLineRun cli(const std::vector<std::string>& args, const std::string& input = {})
    {
        return test::runCommandLine<CampaignConverter>(campaignProgramTable(), args, folder.path(), input);
    }
    std::string at(const std::string& name) { return (folder / name).string(); }
    std::string lastLine(const std::string& text)
    {
        const auto lines = test::textLines(text);
        return lines.empty() ? std::string() : lines.back();
    }
    std::vector<std::string> entries()
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder.path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(CampconvCommandLine, HelpNamesEveryOptionAndVersionNamesTheProgram)
{
    const auto help = cli({ "--help" });
    EXPECT_EQ(help.status, 0);
    for (const char* part : { "to-text", "to-binary", "verify", "-o, --out PATH", "-f, --force", "-n, --dry-run",
             "--notes DIR", "-h, --help", "--version", "Examples:", "campconv to-text CAMP0001.DAT" })
        EXPECT_NE(help.out.find(part), std::string::npos) << part;
    EXPECT_EQ(cli({ "to-text", "-h", "x" }).out, help.out);
    EXPECT_EQ(cli({ "--version" }).out, "campconv " KVL_VERSION "\n");
}

TEST_F(CampconvCommandLine, UsageErrorsExitWithTwoAndWriteNothing)
{
    const auto before = entries();
    const std::vector<std::vector<std::string>> rows = {
        {},
        { "frob", at("CAMP0001.DAT") },
        { "to-text" },
        { "--bogus", "to-text", at("CAMP0001.DAT") },
        { "to-text", "--out" },
        { "verify", "-o", folder.path().string(), at("CAMP0001.DAT") },
        { "to-text", "-o", at("one.txt"), at("CAMP0001.DAT"), at("CAMP0002.DAT") },
        { "to-binary", "-", "-" },
        { "--notes", at("nowhere"), "to-text", at("CAMP0001.DAT") },
    };
    for (const auto& args : rows) {
        const auto run = cli(args);
        EXPECT_EQ(run.status, 2) << testing::PrintToString(args);
        EXPECT_TRUE(run.out.empty());
        EXPECT_TRUE(run.err.starts_with("campconv: ")) << run.err;
        EXPECT_EQ(lastLine(run.err), "Try 'campconv --help' for more information.");
    }
    EXPECT_EQ(entries(), before);
}

TEST_F(CampconvCommandLine, ToTextAndToBinaryWriteTheDialoguesBytes)
{
    run("1\nCAMP0002.DAT\n");
    run("2\n");
    const auto run1 = cli({ "to-text", at("CAMP0002.DAT") });
    EXPECT_EQ(run1.status, 0);
    EXPECT_EQ(run1.err, at("CAMP0002.DAT") + " -> " + at("CAMP0002.TXT") + "\n1 succeeded, 0 failed\n");
    EXPECT_EQ(bytes("CAMP0002.TXT"), bytes("CAMPAIGN.TXT"));

    EXPECT_EQ(cli({ "to-binary", "-o", at("new.dat"), at("CAMP0002.TXT") }).status, 0);
    EXPECT_EQ(bytes("new.dat"), bytes("campaign.dat"));

    // Standard input and output: the same bytes through a pipe.
    const auto text = bytes("CAMPAIGN.TXT");
    const auto toStdout = cli({ "to-text", "-o", "-", at("CAMP0002.DAT") });
    EXPECT_EQ(toStdout.out, std::string(text.begin(), text.end()));
    const auto fromStdin = cli({ "to-binary", "-" }, toStdout.out);
    EXPECT_EQ(fromStdin.status, 0);
    const auto dat = bytes("campaign.dat");
    EXPECT_EQ(fromStdin.out, std::string(dat.begin(), dat.end()));

    // -o into a folder; --notes from elsewhere (here: none, so no comments).
    fs::create_directory(folder / "texts");
    fs::create_directory(folder / "nonotes");
    EXPECT_EQ(cli({ "--notes", at("nonotes"), "to-text", "-o", at("texts"), at("CAMP0002.DAT") }).status, 0);
    const CampaignFile file = readCampaignImage(bytes("CAMP0002.DAT")).value();
    const std::string plain = campaignText(file, AnnotationSet {});
    EXPECT_EQ(bytes("texts/CAMP0002.TXT"), std::vector<std::uint8_t>(plain.begin(), plain.end()));
}

TEST_F(CampconvCommandLine, ABatchDoesEveryGoodFileAndCountsTheBadOnes)
{
    writeFileImage(folder / "SHORT.DAT", std::span(samples::sampleCampaignFile(0).data(), 100));
    const auto run = cli({ "to-text", at("CAMP0001.DAT"), at("SHORT.DAT"), at("MISSING.DAT"), at("CAMP0002.DAT") });
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(
        run.err.find(at("SHORT.DAT") + ": Campaign file is too short (100 bytes, 3708 needed)!\n"), std::string::npos);
    EXPECT_NE(run.err.find("MISSING.DAT\": No such file or directory"), std::string::npos) << run.err;
    EXPECT_EQ(lastLine(run.err), "2 succeeded, 2 failed");
    EXPECT_TRUE(fs::exists(folder / "CAMP0001.TXT"));
    EXPECT_TRUE(fs::exists(folder / "CAMP0002.TXT"));
    EXPECT_FALSE(fs::exists(folder / "SHORT.TXT"));
}

TEST_F(CampconvCommandLine, AnExistingOutputIsReplacedOnlyWithForce)
{
    writeFileImage(folder / "CAMP0001.TXT", std::string_view("mine"));
    const auto refused = cli({ "to-text", at("CAMP0001.DAT") });
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find(at("CAMP0001.TXT") + " exists (use --force to replace it)"), std::string::npos);
    EXPECT_EQ(bytes("CAMP0001.TXT"), std::vector<std::uint8_t>({ 'm', 'i', 'n', 'e' }));

    EXPECT_EQ(cli({ "--force", "to-text", at("CAMP0001.DAT") }).status, 0);
    EXPECT_GT(bytes("CAMP0001.TXT").size(), 50000u);
    // to-binary of that text names CAMP0001.DAT, the original: refused too.
    EXPECT_EQ(cli({ "to-binary", at("CAMP0001.TXT") }).status, 1);
}

TEST_F(CampconvCommandLine, ADryRunSaysWhatItWouldWriteAndWritesNothing)
{
    const auto before = entries();
    const auto run = cli({ "-n", "to-text", at("CAMP0001.DAT"), at("CAMP0002.DAT") });
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(
        run.err.find(at("CAMP0001.DAT") + " -> " + at("CAMP0001.TXT") + " (dry run: would write "), std::string::npos);
    EXPECT_EQ(entries(), before);
    // It foresees the refusals of a real run.
    writeFileImage(folder / "CAMP0001.TXT", std::string_view("mine"));
    EXPECT_EQ(cli({ "--dry-run", "to-text", at("CAMP0001.DAT") }).status, 1);
    EXPECT_EQ(cli({ "--dry-run", "to-text", "-o", at("nowhere/X.TXT"), at("CAMP0001.DAT") }).status, 1);
}

TEST_F(CampconvCommandLine, AnOutputThatCannotBeWrittenLeavesNoFileBehind)
{
    fs::create_directory(folder / "CAMP0002.TXT"); // the target is a folder
    const auto before = entries();
    for (const std::vector<std::string>& args :
        { std::vector<std::string> { "-o", at("nowhere/X.TXT") }, { "-o", at("nowhere/") }, { "-o", "/proc/X.TXT" } }) {
        std::vector<std::string> all = args;
        all.insert(all.begin(), "to-text");
        all.push_back(at("CAMP0001.DAT"));
        const auto run = cli(all);
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_EQ(lastLine(run.err), "0 succeeded, 1 failed");
    }
    const auto run = cli({ "to-text", at("CAMP0002.DAT") });
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(" is a folder; nothing written"), std::string::npos);
    EXPECT_EQ(entries(), before);
    EXPECT_TRUE(fs::is_empty(folder / "CAMP0002.TXT"));
}

TEST_F(CampconvCommandLine, ATextThatDoesNotParseIsReportedByLineAndNothingIsWritten)
{
    const CampaignFile file = readCampaignImage(bytes("CAMP0001.DAT")).value();
    std::string text = campaignText(file, AnnotationSet {});
    const std::size_t label = text.find("  Loss Condition:");
    text.replace(label, 6, "  Xoss");
    writeFileImage(folder / "EDITED.TXT", std::string_view(text));
    auto run = cli({ "to-binary", at("EDITED.TXT") });
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(at("EDITED.TXT") + ": line 29: Expected Loss Condition.  Found Xoss Condition\n"),
        std::string::npos)
        << run.err;
    EXPECT_FALSE(fs::exists(folder / "EDITED.DAT"));

    writeFileImage(folder / "CUT.TXT", std::string_view(text).substr(0, text.find("PHASE #3")));
    run = cli({ "to-binary", at("CUT.TXT") });
    EXPECT_NE(run.err.find(
                  at("CUT.TXT") + ": Unexpected end of " + at("CUT.TXT") + " after line 73 (Win Condition expected)"),
        std::string::npos)
        << run.err;
    EXPECT_FALSE(fs::exists(folder / "CUT.DAT"));
}

TEST_F(CampconvCommandLine, VerifyNamesTheFieldThatDoesNotSurviveTheText)
{
    auto run = cli({ "verify", at("CAMP0001.DAT"), at("CAMP0002.DAT") });
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(
        run.out, at("CAMP0001.DAT") + ": round trip identical\n" + at("CAMP0002.DAT") + ": round trip identical\n");

    // Plane type 1's Plane Count (offset 828 + 4) set to 123456: the text keeps "12345".
    auto crafted = bytes("CAMP0001.DAT");
    crafted[832] = 0x40;
    crafted[833] = 0xE2;
    crafted[834] = 0x01;
    crafted[835] = 0x00;
    writeFileImage(folder / "CRAFTED.DAT", crafted);
    auto longer = bytes("CAMP0001.DAT");
    longer.resize(3800, 7);
    writeFileImage(folder / "LONGER.DAT", longer);
    run = cli({ "verify", at("CRAFTED.DAT"), at("CAMP0001.DAT"), at("LONGER.DAT") });
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out,
        at("CRAFTED.DAT")
            + ": differs at offset 832 (3. CAMPAIGN PLANE TYPES / PLANE TYPE #1 / Plane Count): 123456 in the file, "
              "12345 after the round trip; the text keeps five characters of a value, so only -9999 to 99999 "
              "survive\n"
            + at("CAMP0001.DAT") + ": round trip identical\n" + at("LONGER.DAT")
            + ": differs at offset 3708: the file has 3800 bytes, the round trip 3708; the text carries the first "
              "3708 bytes of a campaign file only\n");
    EXPECT_EQ(lastLine(run.err), "1 succeeded, 2 failed");
}

TEST_F(CampconvCommandLine, TheProgramDispatchesOnArguments)
{
    const std::string program = KVL_CAMPCONV_PROGRAM;
    auto status = [](int raw) { return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1; };
    EXPECT_EQ(status(std::system((program + " --version >/dev/null").c_str())), 0);
    EXPECT_EQ(status(std::system((program + " frob 2>/dev/null").c_str())), 2);
    EXPECT_EQ(status(std::system((program + " verify " + at("CAMP0001.DAT") + " >/dev/null 2>&1").c_str())), 0);
}

// Random bytes in every field: 8- and 16-bit fields always survive; a 32-bit
// field survives exactly when its value lies in -9999..99999, and verify
// names the first one that does not.
TEST(CampaignRoundTrip, OnlyLongThirtyTwoBitValuesAreLost)
{
    const auto& places = campaignFieldPlaces();
    ASSERT_EQ(places.back().offset + places.back().size, kCampaignFileSize);
    std::mt19937 random(7);
    for (int trial = 0; trial < 60; ++trial) {
        auto image = test::randomImage(kCampaignFileSize, static_cast<unsigned>(trial));
        std::vector<const FieldPlace*> wide;
        for (const FieldPlace& p : places)
            if (p.size == 4)
                wide.push_back(&p);
        const FieldPlace* lost = trial % 3 == 0 ? nullptr : wide[random() % wide.size()];
        for (const FieldPlace* p : wide) {
            std::int32_t v = static_cast<std::int32_t>(random() % 109999) - 9999;
            if (p == lost)
                v = trial % 2 ? 100000 + static_cast<std::int32_t>(random() % 1000000) : -10000 - trial;
            for (std::size_t i = 0; i < 4; ++i)
                image[p->offset + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i));
        }
        CampaignConverter converter;
        const auto result = checkRoundTrip(converter, campaignProgramTable(), AnnotationSet {}, image).value();
        if (!lost) {
            EXPECT_FALSE(result.has_value()) << *result;
            continue;
        }
        ASSERT_TRUE(result.has_value());
        EXPECT_NE(result->find("(" + lost->name + ")"), std::string::npos) << *result;
    }
}

} // namespace
