#include "common/cli.h"
#include "common/fileimage.h"
#include "common/testing/testfolder.h"
#include "common/textio.h"

#include <gtest/gtest.h>

namespace {

constexpr kvl::cli::Option kOptions[] = {
    kvl::cli::option('f', "force", "replace"),
    kvl::cli::option('n', "dry-run", "write nothing"),
    kvl::cli::option('o', "out", "where").takes("DIR"),
    kvl::cli::option("notes", "side files").takes("DIR"),
};

kvl::Result<kvl::cli::ParsedArguments> parse(std::vector<std::string> args)
{
    return kvl::cli::parseArguments(kOptions, args);
}

TEST(CommandLine, ShortLongJoinedAndSeparateFormsAllParse)
{
    auto a = parse({ "-fn", "a.dat", "--out=x", "-", "--notes", "n", "-oy", "--", "-weird.dat" });
    ASSERT_TRUE(a.ok()) << a.error().message;
    EXPECT_TRUE(a->has("force"));
    EXPECT_TRUE(a->has("dry-run"));
    EXPECT_EQ(a->value("out"), "y"); // the last one counts
    EXPECT_EQ(a->value("notes"), "n");
    EXPECT_EQ(a->positionals(), (std::vector<std::string> { "a.dat", "-", "-weird.dat" }));
    EXPECT_EQ(a->value("missing", "dflt"), "dflt");
}

TEST(CommandLine, UsageErrorsSayWhatIsWrong)
{
    EXPECT_EQ(parse({ "--frob" }).error().message, "unknown option '--frob'");
    EXPECT_EQ(parse({ "-x" }).error().message, "unknown option '-x'");
    EXPECT_EQ(parse({ "--out" }).error().message, "option '--out' needs a value (DIR)");
    EXPECT_EQ(parse({ "-o" }).error().message, "option '-o' needs a value (DIR)");
    EXPECT_EQ(parse({ "--force=yes" }).error().message, "option '--force' takes no value");
}

TEST(OutputFile, NeverReplacedWithoutForceAndNeverWrittenInADryRun)
{
    kvl::test::TempFolder dir;
    const auto file = dir / "OUT.TXT";
    ASSERT_TRUE(kvl::cli::writeOutput(file, std::string_view("one"), {}).ok());

    auto refused = kvl::cli::writeOutput(file, std::string_view("two"), {});
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().message, file.string() + " exists (use --force to replace it)");
    std::string text;
    ASSERT_TRUE(kvl::readTextFile(file, text));
    EXPECT_EQ(text, "one");

    auto dry = kvl::cli::writeOutput(dir / "NEW.TXT", std::string_view("x"), { false, true });
    ASSERT_TRUE(dry.ok());
    EXPECT_EQ(*dry, kvl::cli::WriteOutcome::WouldWrite);
    EXPECT_FALSE(std::filesystem::exists(dir / "NEW.TXT"));

    ASSERT_TRUE(kvl::cli::writeOutput(file, std::string_view("two"), { true, false }).ok());
    ASSERT_TRUE(kvl::readTextFile(file, text));
    EXPECT_EQ(text, "two");
}

TEST(OutputFile, AFailedWriteLeavesNoFileBehind)
{
    kvl::test::TempFolder dir;
    std::filesystem::create_directory(dir / "sub");
    auto onFolder = kvl::cli::writeOutput(dir / "sub", std::string_view("x"), { true, false });
    EXPECT_FALSE(onFolder.ok());
    auto missing = kvl::cli::writeOutput(dir / "nowhere" / "OUT.TXT", std::string_view("x"), {});
    ASSERT_FALSE(missing.ok());
    EXPECT_NE(missing.error().message.find("No such file or directory"), std::string::npos);
    std::size_t entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 1u); // only "sub"
}

} // namespace

namespace {

TEST(OutputBatch, NothingIsInPlaceBeforeCommitAndNoTemporaryIsLeft)
{
    kvl::test::TempFolder dir;
    const std::string_view one = "one", two = "two";
    {
        kvl::cli::OutputBatch batch({});
        ASSERT_TRUE(batch.stage(dir / "A.TXT", std::span(reinterpret_cast<const std::uint8_t*>(one.data()), 3)).ok());
        ASSERT_TRUE(batch.stage(dir / "B.TXT", std::span(reinterpret_cast<const std::uint8_t*>(two.data()), 3)).ok());
        EXPECT_FALSE(std::filesystem::exists(dir / "A.TXT"));
        EXPECT_TRUE(batch.commit().empty());
    }
    std::string text;
    ASSERT_TRUE(kvl::readTextFile(dir / "B.TXT", text));
    EXPECT_EQ(text, "two");
    {
        // A batch that ends without commit leaves nothing; an existing output is refused at once.
        kvl::cli::OutputBatch batch({});
        EXPECT_FALSE(batch.stage(dir / "A.TXT", std::span(reinterpret_cast<const std::uint8_t*>(two.data()), 3)).ok());
        ASSERT_TRUE(batch.stage(dir / "C.TXT", std::span(reinterpret_cast<const std::uint8_t*>(two.data()), 3)).ok());
    }
    std::size_t entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 2u); // A.TXT and B.TXT only
    ASSERT_TRUE(kvl::readTextFile(dir / "A.TXT", text));
    EXPECT_EQ(text, "one");
}

TEST(OutputBatch, ATargetThatBecameAFolderIsReportedAndLeftAlone)
{
    kvl::test::TempFolder dir;
    const std::string_view one = "one";
    kvl::cli::OutputBatch batch({});
    ASSERT_TRUE(batch.stage(dir / "A.TXT", std::span(reinterpret_cast<const std::uint8_t*>(one.data()), 3)).ok());
    std::filesystem::create_directory(dir / "A.TXT");
    std::filesystem::create_directory(dir / "A.TXT" / "inside");
    const auto failures = batch.commit();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].first, dir / "A.TXT");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "A.TXT" / "inside"));
    std::size_t entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 1u);
}

} // namespace
