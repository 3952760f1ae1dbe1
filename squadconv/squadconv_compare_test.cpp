// squadconv's diff and merge over files of different squadron counts, the
// merge rules themselves, and a slipped line in a squadron text.
#include "recordtext/recordcompare.h"
#include "recordtext/testing/convertertest.h"
#include "squadconv/squadronconverter.h"

#include "common/fileimage.h"
#include "samplegen/samples.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <sys/wait.h>

namespace {

using namespace kvl;
using namespace kvl::squadconv;
using namespace kvl::recordtext;
namespace fs = std::filesystem;

SquadronFile squadrons(std::size_t count)
{
    SquadronFile file;
    file.squadrons.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        file.squadrons[i].commencementYear = static_cast<std::uint16_t>(1940 + i);
        file.squadrons[i].homeBase = static_cast<std::uint16_t>(100 + i);
    }
    return file;
}

RecordImage image(const SquadronFile& file, std::size_t tail = 0)
{
    std::vector<std::uint8_t> bytes = squadronImage(file);
    bytes.resize(bytes.size() + tail, 0xAB);
    return recordImage(SquadronConverter {}, std::move(bytes));
}

MergeResult merge(
    const SquadronFile& base, const SquadronFile& mine, const SquadronFile& theirs, Prefer prefer = Prefer::Neither)
{
    return mergeImages(SquadronConverter {}, image(base), image(mine), image(theirs), prefer);
}

std::vector<std::string> names(const std::vector<ComparedItem>& items)
{
    std::vector<std::string> out;
    for (const ComparedItem& item : items)
        out.push_back(item.kind == ItemKind::Count ? "count" : item.kind == ItemKind::Tail ? "tail" : item.place.name);
    return out;
}

TEST(SquadronMerge, ASquadronAddedOnOneSideAndAFieldChangedOnTheOtherMeet)
{
    const SquadronFile base = squadrons(3);
    SquadronFile mine = squadrons(4);
    mine.squadrons[3].skillAtStart = 5;
    SquadronFile theirs = base;
    theirs.squadrons[1].weapons[7].numberAvailable = 40;

    const MergeResult merged = merge(base, mine, theirs);
    EXPECT_TRUE(merged.conflicts.empty());
    SquadronFile both = mine;
    both.squadrons[1].weapons[7].numberAvailable = 40;
    EXPECT_EQ(merged.bytes, squadronImage(both));
    EXPECT_EQ(merged.fromTheirs, 1u);
    // The merge is the same whichever side is called mine.
    EXPECT_EQ(merge(base, theirs, mine).bytes, merged.bytes);
}

TEST(SquadronMerge, ARemovedSquadronThatTheOtherSideChangedIsAConflict)
{
    const SquadronFile base = squadrons(3);
    const SquadronFile mine = squadrons(2); // the last squadron removed
    SquadronFile theirs = base;
    theirs.squadrons[2].moraleAtStart = 9;

    MergeResult merged = merge(base, mine, theirs);
    EXPECT_FALSE(merged.decided());
    ASSERT_EQ(names(merged.conflicts), std::vector<std::string> { "SQUADRON #3 / Morale at Start" });
    EXPECT_EQ(merged.conflicts[0].values, (std::vector<FieldValue> { 0, std::nullopt, 9 }));

    EXPECT_EQ(merge(base, mine, theirs, Prefer::Mine).bytes, squadronImage(mine));
    EXPECT_EQ(merge(base, mine, theirs, Prefer::Theirs).bytes, squadronImage(theirs));
    // Unchanged on the other side, the removal simply stands.
    EXPECT_EQ(merge(base, mine, base).bytes, squadronImage(mine));
}

TEST(SquadronMerge, CountsChangedTwoWaysConflictAndPreferTakesAWholeSide)
{
    const SquadronFile base = squadrons(3);
    const SquadronFile mine = squadrons(2);
    SquadronFile theirs = squadrons(5);
    theirs.squadrons[4].spriteNumber = 3;

    const MergeResult merged = merge(base, mine, theirs);
    ASSERT_FALSE(merged.conflicts.empty());
    EXPECT_EQ(merged.conflicts.front().kind, ItemKind::Count);
    EXPECT_EQ(merged.conflicts.front().values, (std::vector<FieldValue> { 3, 2, 5 }));
    EXPECT_EQ(merge(base, mine, theirs, Prefer::Mine).bytes, squadronImage(mine));
    EXPECT_EQ(merge(base, mine, theirs, Prefer::Theirs).bytes, squadronImage(theirs));
}

TEST(SquadronMerge, BytesAfterTheLastRecordMergeAsOneBlock)
{
    const SquadronFile file = squadrons(2);
    const RecordImage plain = image(file);
    const RecordImage tailed = image(file, 10);
    const SquadronConverter converter;
    EXPECT_EQ(mergeImages(converter, plain, plain, tailed, Prefer::Neither).bytes, tailed.bytes);
    EXPECT_EQ(mergeImages(converter, tailed, plain, tailed, Prefer::Neither).bytes, plain.bytes);
    const RecordImage other = image(file, 3);
    const MergeResult clash = mergeImages(converter, plain, tailed, other, Prefer::Neither);
    ASSERT_EQ(clash.conflicts.size(), 1u);
    EXPECT_EQ(clash.conflicts[0].kind, ItemKind::Tail);
    EXPECT_EQ(clash.conflicts[0].values, (std::vector<FieldValue> { 0, 10, 3 }));
    EXPECT_EQ(names(diffImages(converter, tailed, other)), std::vector<std::string> { "tail" });
}

class SquadconvCompare : public test::ConverterDialogue<SquadronConverter> {
protected:
    SquadconvCompare() : ConverterDialogue(squadronProgramTable())
    {
        EXPECT_TRUE(samples::writeCampaignSamples(folder.path()));
    }
    test::CommandLineRun cli(const std::vector<std::string>& args)
    {
        return test::runCommandLine<SquadronConverter>(squadronProgramTable(), args, folder.path());
    }
    std::string at(const std::string& name) { return (folder / name).string(); }
    std::string writeFile(const std::string& name, const SquadronFile& file)
    {
        EXPECT_TRUE(writeFileImage(folder / name, squadronImage(file)));
        return at(name);
    }
};

TEST_F(SquadconvCompare, DiffNamesTheCountAndEverySquadronOnlyOneFileHas)
{
    SquadronFile one = squadrons(1);
    SquadronFile two = squadrons(2);
    two.squadrons[0].bombChance = 30;
    const auto run = cli({ "diff", writeFile("ONE.DAT", one), writeFile("TWO.DAT", two) });
    EXPECT_EQ(run.status, 1);
    const auto lines = test::textLines(run.out);
    ASSERT_GT(lines.size(), 3u);
    EXPECT_EQ(lines[0], "NUMBER OF SQUADRONS: 1 -> 2");
    EXPECT_EQ(lines[1], "SQUADRON #1 / Bomb Chance: 0 -> 30");
    EXPECT_EQ(lines[2], "SQUADRON #2 / Commencement Year: none -> 1941");
    EXPECT_EQ(lines.back(), "SQUADRON #2 / WEAPON AVAILABILITY #8 / Number Available: none -> 0");
    EXPECT_EQ(lines.size(), 2 + squadronFieldPlaces().size());
}

TEST_F(SquadconvCompare, MergeWritesTheTextOfASquadronFileAndRefusesASlippedText)
{
    run("1\nSQ0141.DAT\n");
    const auto text = bytes("Squadron.TXT");
    std::string slipped(text.begin(), text.end());
    slipped.erase(slipped.find("  Home Base:"), slipped.find("  Aircraft Type:") - slipped.find("  Home Base:"));
    writeFileImage(folder / "SLIPPED.TXT", std::string_view(slipped));
    auto run = cli({ "merge", at("SQ0141.DAT"), at("SLIPPED.TXT"), at("SQ0141.DAT"), "-o", at("OUT.TXT") });
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
        at("SLIPPED.TXT") + ": line 9: a line is missing before this one (Home Base expected)\n" + at("SLIPPED.TXT")
            + ": not merged: the labels above do not match\n" + at("OUT.TXT") + ": nothing written\n");

    SquadronFile theirs;
    readSquadronImage(ByteView(bytes("SQ0141.DAT")), theirs);
    theirs.squadrons[0].upgrades[1].newAircraft++;
    run = cli({ "merge", at("SQ0141.DAT"), at("Squadron.TXT"), writeFile("THEIRS.DAT", theirs), "-o", at("OUT.TXT") });
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.substr(run.err.rfind(at("OUT.TXT"))),
        at("OUT.TXT") + ": 0 fields from mine, 1 from theirs, 0 changed alike\n");
    const auto merged = bytes("OUT.TXT");
    EXPECT_EQ(std::string(merged.begin(), merged.end()),
        squadronText(theirs, loadAnnotations(squadronProgramTable(), folder.path(), std::cerr)));
}

TEST_F(SquadconvCompare, TheProgramRunsDiffAndMergeAsProcesses)
{
    const std::string program = KVL_SQUADCONV_PROGRAM;
    auto status = [](const std::string& command) {
        const int raw = std::system((command + " >/dev/null 2>&1").c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    };
    const std::string one = at("SQ0141.DAT");
    writeFileImage(folder / "SQ0241.DAT", samples::sampleSquadronFile(1));
    const std::string two = at("SQ0241.DAT");
    EXPECT_EQ(status(program + " diff " + one + " " + one), 0);
    EXPECT_EQ(status(program + " diff " + one + " " + two), 1);
    EXPECT_EQ(status(program + " merge --prefer nobody -o " + at("X.DAT") + " " + one + " " + one + " " + two), 2);
    EXPECT_EQ(status(program + " merge -o " + at("X.DAT") + " " + one + " " + one + " " + two), 0);
    EXPECT_EQ(bytes("X.DAT"), bytes("SQ0241.DAT"));
}

} // namespace
