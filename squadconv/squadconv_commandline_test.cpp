// squadconv's command line: the dialogue's bytes, and what verify says of
// squadron files the text form cannot carry whole.
#include "recordtext/testing/convertertest.h"
#include "squadconv/squadronconverter.h"

#include "common/fileimage.h"
#include "samplegen/samples.h"

#include <gtest/gtest.h>

namespace {

using namespace kvl;
using namespace kvl::squadconv;

class SquadconvCommandLine : public test::ConverterDialogue<SquadronConverter> {
protected:
    SquadconvCommandLine() : ConverterDialogue(squadronProgramTable())
    {
        EXPECT_TRUE(samples::writeCampaignSamples(folder.path()));
    }
    test::CommandLineRun cli(const std::vector<std::string>& args)
    {
        return test::runCommandLine<SquadronConverter>(squadronProgramTable(), args, folder.path());
    }
    std::string at(const std::string& name) { return (folder / name).string(); }
};

TEST_F(SquadconvCommandLine, ToTextAndToBinaryWriteTheDialoguesBytes)
{
    run("1\nSQ0141.DAT\n");
    run("2\n");
    EXPECT_EQ(cli({ "to-text", at("SQ0141.DAT") }).status, 0);
    EXPECT_EQ(bytes("SQ0141.TXT"), bytes("Squadron.TXT"));
    EXPECT_EQ(cli({ "to-binary", "-o", at("back.dat"), at("SQ0141.TXT") }).status, 0);
    EXPECT_EQ(bytes("back.dat"), bytes("Squadron.dat"));
    EXPECT_EQ(cli({ "--version" }).out, "squadconv " KVL_VERSION "\n");
}

TEST_F(SquadconvCommandLine, VerifyNamesWhatTheTextCannotCarry)
{
    const auto one = samples::sampleSquadronFile(0);
    std::vector<std::uint8_t> many;
    for (int i = 0; i < 100; ++i)
        many.insert(many.end(), one.begin(), one.begin() + kSquadronRecordSize);
    writeFileImage(folder / "MANY.DAT", many);
    auto partial = one;
    partial.resize(one.size() + 10, 1);
    writeFileImage(folder / "PART.DAT", partial);

    const auto run = cli({ "verify", at("SQ0141.DAT"), at("MANY.DAT"), at("PART.DAT") });
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out,
        at("SQ0141.DAT") + ": round trip identical\n" + at("MANY.DAT")
            + ": differs at offset 1240: the file has 12400 bytes, the round trip 1240; the count line of the text "
              "carries at most 99 squadrons (two digits), this file has 100\n"
            + at("PART.DAT") + ": differs at offset " + std::to_string(one.size()) + ": the file has "
            + std::to_string(partial.size()) + " bytes, the round trip " + std::to_string(one.size())
            + "; the last 10 bytes are not a whole 124-byte squadron record\n");
}

TEST(SquadronPlaces, NameTheSquadronAndItsRecord)
{
    const SquadronConverter converter;
    EXPECT_EQ(converter.fieldAt(124 + 30, 248)->name, "SQUADRON #2 / AIRFIELD MOVE #1 / Airfield Code");
    EXPECT_EQ(converter.fieldAt(124 + 30, 248)->offset, 124u + 30u);
    EXPECT_EQ(converter.fieldAt(65, 124)->name, "SQUADRON #1 / Special Mission #5");
    EXPECT_FALSE(converter.fieldAt(248, 250).has_value());
}

} // namespace
