// Dialogue transcripts of modelconv: success, open failure, bad files, the
// VKM limits, empty and over-long answers, and the files each run leaves.
#include "modelconv/converter.h"
#include "modelconv/testing/builder3db.h"
#include "modelconv/textdump.h"
#include "modelconv/vkm.h"

#include "common/fileimage.h"
#include "common/testing/testprocess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>

namespace kvl::modelconv {
namespace {

using namespace kvl::test;
namespace fs = std::filesystem;

const std::string Banner = std::string("3DB to VKM converter\n") + kCreditLine + "\n\n";
const std::string AskModel = "Enter 3DB file to convert: ";
const std::string AskVkm = "Enter VKM file to output (Enter for none): ";
const std::string AskText = "Enter TXT file to output (Enter for none): ";
const std::string CannotCreate = "WARNING: Cannot create VKM file!\n";

std::string summary(const std::string& texture, int inserts, int nodes, int elements)
{
    return "Loading...Done\n\n- 3DB INFORMATION -\nTexture      = " + texture
        + "\nNum Inserts  = " + std::to_string(inserts) + "\nNum Nodes    = " + std::to_string(nodes)
        + "\nNum Elements = " + std::to_string(elements) + "\n\n";
}

Builder3DB modelOfSize(int points, int elements)
{
    Builder3DB b;
    b.setTextureName("PLANE.BMP");
    b.addInsert(1, 2, 3, 4, 5, 6);
    for (int i = 0; i < points; ++i)
        b.addPoint(static_cast<float>(i), 0, 0, 0);
    for (int i = 0; i < elements; ++i) {
        Element3DBData e;
        e.records = { record3(0, 0, { 0, static_cast<std::uint8_t>(i), 1 }) };
        b.addElement(e);
    }
    return b;
}

class Converter : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("modelconv_converter_test_") + test->test_suite_name() + "_" + test->name();
        std::replace(name.begin(), name.end(), '/', '_'); // parameterised tests
        m_dir = fs::temp_directory_path() / name;
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    void put(const std::string& name, const std::vector<std::uint8_t>& bytes)
    {
        ASSERT_TRUE(writeFileImage(m_dir / name, bytes));
    }

    std::string run(const std::string& answers)
    {
        std::istringstream in(answers);
        std::ostringstream out;
        EXPECT_EQ(runModelConverter(in, out, m_dir), 0);
        return out.str();
    }

    std::set<std::string> files() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_dir))
            names.insert(entry.path().filename().string());
        return names;
    }

    std::vector<std::uint8_t> read(const std::string& name) const
    {
        std::vector<std::uint8_t> bytes;
        EXPECT_TRUE(readFileImage(m_dir / name, bytes)) << name;
        return bytes;
    }

    fs::path m_dir;
};

TEST_F(Converter, SuccessWritesBothFilesAndSaysSo)
{
    const Builder3DB b = modelOfSize(4, 2);
    put("PLANE.3DB", b.build());
    const std::string out = run("plane.3db\nPLANE.VKM\nPLANE.TXT\n");
    EXPECT_EQ(out,
        Banner + AskModel + summary("PLANE.BMP", 1, 4, 2) + AskVkm + AskText
            + "\nWriting VKM File...Done\n\nWriting TXT File...Done\n");
    auto model = decode3DB(b.build());
    ASSERT_TRUE(model);
    EXPECT_EQ(read("PLANE.VKM"), vkmBytes(convertToVKM(*model)));
    const std::string dump = formatTextDump(*model);
    EXPECT_EQ(read("PLANE.TXT"), std::vector<std::uint8_t>(dump.begin(), dump.end()));
}

TEST_F(Converter, OutputIntoAClosedPipeStillWritesTheFilesAndEndsWithZero)
{
    put("PLANE.3DB", modelOfSize(4, 2).build());
    EXPECT_EQ(test::runWithClosedOutput(KVL_MODELCONV_PROGRAM, m_dir, "PLANE.3DB\nPLANE.VKM\nPLANE.TXT\n"), 0);
    EXPECT_EQ(files(), (std::set<std::string> { "PLANE.3DB", "PLANE.TXT", "PLANE.VKM" }));
}

TEST_F(Converter, OpenFailureEndsTheDialogue)
{
    const std::string expected = Banner + AskModel + "Loading...Unable to open 3DB file!\n";
    EXPECT_EQ(run("MISSING.3DB\nA.VKM\nA.TXT\n"), expected);
    EXPECT_EQ(run(""), expected); // end of input: an empty name
    EXPECT_TRUE(files().empty());
}

TEST_F(Converter, BadFilesAreRefusedAfterLoadingAndWriteNothing)
{
    std::vector<std::uint8_t> good = modelOfSize(4, 2).build();
    put("SHORT.3DB", std::vector<std::uint8_t>(good.begin(), good.begin() + 40));
    put("CUT.3DB", std::vector<std::uint8_t>(good.begin(), good.end() - 50));
    std::vector<std::uint8_t> negative = good;
    negative[24] = 0xFF;
    negative[25] = 0xFF;
    negative[26] = 0xFF;
    negative[27] = 0xFF; // E = -1
    put("NEG.3DB", negative);
    for (const std::string name : { "SHORT.3DB", "CUT.3DB", "NEG.3DB" }) {
        const std::string out = run(name + "\nX.VKM\nX.TXT\n");
        const std::string head = Banner + AskModel + "Loading...Bad 3DB file: ";
        EXPECT_EQ(out.substr(0, head.size()), head) << out;
        EXPECT_EQ(out.find('\n', head.size()), out.size() - 1) << out; // one line, then the end
        EXPECT_EQ(out.substr(out.size() - 2), "!\n");
    }
    EXPECT_EQ(files(), (std::set<std::string> { "SHORT.3DB", "CUT.3DB", "NEG.3DB" }));
}

struct LimitCase {
    int elements, points;
    std::string warnings; // empty: the VKM prompt is shown
};

class ConverterLimits : public Converter, public ::testing::WithParamInterface<LimitCase> { };

TEST_P(ConverterLimits, WarningsAndPromptsFollowTheCounts)
{
    const LimitCase c = GetParam();
    put("M.3DB", modelOfSize(c.points, c.elements).build());
    const std::string out = run("M.3DB\nM.VKM\nM.TXT\n");
    const std::string head = Banner + AskModel + summary("PLANE.BMP", 1, c.points, c.elements);
    if (c.warnings.empty()) {
        EXPECT_EQ(out, head + AskVkm + AskText + "\nWriting VKM File...Done\n\nWriting TXT File...Done\n");
        EXPECT_EQ(files(), (std::set<std::string> { "M.3DB", "M.VKM", "M.TXT" }));
    } else {
        // Without the VKM prompt the second answer goes to the text prompt.
        EXPECT_EQ(out, head + c.warnings + AskText + "\nWriting TXT File...Done\n");
        EXPECT_EQ(files(), (std::set<std::string> { "M.3DB", "M.VKM" }));
    }
}

const std::string TooManyElements = "WARNING: This 3DB contains more than 255 elements!\n";
const std::string TooManyNodes = "WARNING: This 3DB contains more than 255 nodes!\n";

INSTANTIATE_TEST_SUITE_P(Counts, ConverterLimits,
    ::testing::Values(LimitCase { 255, 255, "" }, LimitCase { 0, 0, "" },
        LimitCase { 256, 10, TooManyElements + CannotCreate }, LimitCase { 10, 256, TooManyNodes + CannotCreate },
        LimitCase { 256, 256, TooManyElements + CannotCreate }, LimitCase { 300, 300, TooManyElements + CannotCreate },
        LimitCase { 300, 255, TooManyElements + CannotCreate }, LimitCase { 255, 300, TooManyNodes + CannotCreate },
        LimitCase { 255, 256, TooManyNodes + CannotCreate }, LimitCase { 256, 255, TooManyElements + CannotCreate },
        LimitCase { 256, 300, TooManyElements + CannotCreate },
        LimitCase { 300, 256, TooManyElements + CannotCreate }));

TEST_F(Converter, EmptyAnswersWriteNothing)
{
    put("M.3DB", modelOfSize(3, 3).build());
    EXPECT_EQ(run("M.3DB\n\n\n"), Banner + AskModel + summary("PLANE.BMP", 1, 3, 3) + AskVkm + AskText);
    EXPECT_EQ(run("M.3DB\n"), Banner + AskModel + summary("PLANE.BMP", 1, 3, 3) + AskVkm + AskText);
    EXPECT_EQ(files(), (std::set<std::string> { "M.3DB" }));
    // CR LF answers read like LF answers.
    EXPECT_EQ(run("M.3DB\r\n\r\nOUT.TXT\r\n"),
        Banner + AskModel + summary("PLANE.BMP", 1, 3, 3) + AskVkm + AskText + "\nWriting TXT File...Done\n");
    EXPECT_EQ(files(), (std::set<std::string> { "M.3DB", "OUT.TXT" }));
}

TEST_F(Converter, AThirteenCharacterAnswerIsCutAndLaterAnswersAreEmpty)
{
    put("ABCDEFGH.3DB", modelOfSize(3, 1).build());
    EXPECT_EQ(
        run("ABCDEFGH.3DBX\nOUT.VKM\nOUT.TXT\n"), Banner + AskModel + summary("PLANE.BMP", 1, 3, 1) + AskVkm + AskText);
    EXPECT_EQ(files(), (std::set<std::string> { "ABCDEFGH.3DB" }));
    // A 13-character output name is cut to 12 as well.
    EXPECT_EQ(run("ABCDEFGH.3DB\nABCDEFGH.VKMX\nOUT.TXT\n"),
        Banner + AskModel + summary("PLANE.BMP", 1, 3, 1) + AskVkm + AskText + "\nWriting VKM File...Done\n");
    EXPECT_EQ(files(), (std::set<std::string> { "ABCDEFGH.3DB", "ABCDEFGH.VKM" }));
}

TEST_F(Converter, ExistingOutputsAreReplacedWhateverTheirLetterCase)
{
    put("M.3DB", modelOfSize(3, 1).build());
    put("m.vkm", { 1, 2, 3 });
    put("Out.Txt", { 4, 5, 6 });
    run("M.3DB\nM.VKM\nOUT.TXT\n");
    EXPECT_EQ(files(), (std::set<std::string> { "M.3DB", "m.vkm", "Out.Txt" }));
    EXPECT_GT(read("m.vkm").size(), 3u);
    EXPECT_GT(read("Out.Txt").size(), 3u);
}

TEST_F(Converter, UnwritableOutputs)
{
    put("M.3DB", modelOfSize(3, 1).build());
    EXPECT_EQ(run("M.3DB\nnone/M.VKM\nnone/M.TXT\n"),
        Banner + AskModel + summary("PLANE.BMP", 1, 3, 1) + AskVkm + AskText
            + "\nWriting VKM File...FAILED!\n\nWriting TXT File...FAILED!\n");
    EXPECT_EQ(files(), (std::set<std::string> { "M.3DB" }));
}

TEST_F(Converter, ModelsAVkmFileCannotHoldGetAWarningAndKeepTheTextDump)
{
    Builder3DB b;
    b.setTextureName("T7");
    b.addPoint(0, 0, 0);
    Element3DBData e;
    e.records = { recordTextured(7, 0, 0, { { 0, 0, 0 } }) };
    b.addElement(e);
    put("T7.3DB", b.build());
    EXPECT_EQ(run("T7.3DB\nT7.TXT\n"),
        Banner + AskModel + summary("T7", 0, 1, 1) + "WARNING: Element 0 has a record of type 7 without prefix!\n"
            + CannotCreate + AskText + "\nWriting TXT File...Done\n");
    EXPECT_EQ(files(), (std::set<std::string> { "T7.3DB", "T7.TXT" }));
}

TEST_F(Converter, TextureNameStopsAtTheFirstZeroInTheSummary)
{
    Builder3DB b = modelOfSize(1, 0);
    std::fill(std::begin(b.textureName), std::end(b.textureName), std::uint8_t('X')); // all 14, no zero
    b.textureName[13] = 'Y';
    put("M.3DB", b.build());
    EXPECT_NE(run("M.3DB\n").find("Texture      = XXXXXXXXXXXXXY\n"), std::string::npos);
    b.textureName[2] = 0;
    put("M.3DB", b.build());
    EXPECT_NE(run("M.3DB\n").find("Texture      = XX\n"), std::string::npos);
}

} // namespace
} // namespace kvl::modelconv
