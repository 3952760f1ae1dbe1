// Tests of the platform layer and of the file operations over it, on every
// system: replacing by renaming, hard links, names outside ASCII, a
// read-only file, and a file another program holds open (Windows).
#include "common/fileimage.h"
#include "common/platform.h"
#include "common/testing/platformtesting.h"
#include "common/testing/testfolder.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace kvl {
namespace {

namespace fs = std::filesystem;

class Platform : public ::testing::Test {
protected:
    std::vector<std::uint8_t> bytesOf(const fs::path& path)
    {
        auto image = readFileImage(path);
        return image ? *image : std::vector<std::uint8_t> { 0xDE, 0xAD };
    }
    test::TempFolder m_folder;
    const fs::path& m_dir = m_folder.path();
    const std::vector<std::uint8_t> m_old { 'o', 'l', 'd' };
    const std::vector<std::uint8_t> m_new { 'n', 'e', 'w', '!' };
};

TEST_F(Platform, RenameReplacesAndFilesReadAndWriteWhole)
{
    ASSERT_TRUE(writeFileImage(m_dir / "a.dat", m_old));
    ASSERT_TRUE(writeFileImage(m_dir / "b.dat", m_new));
    ASSERT_TRUE(platform::renameReplacing(m_dir / "b.dat", m_dir / "a.dat"));
    EXPECT_EQ(bytesOf(m_dir / "a.dat"), m_new);
    EXPECT_FALSE(fs::exists(m_dir / "b.dat"));

    auto missing = platform::renameReplacing(m_dir / "none.dat", m_dir / "a.dat");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().code, ENOENT);
    EXPECT_NE(missing.error().message.find("a.dat"), std::string::npos);

    auto file = platform::File::create(m_dir / "c.dat");
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->writeAll(m_new));
    ASSERT_TRUE(file->flush());
    ASSERT_TRUE(file->close());
    {
        auto reader = platform::File::openForReading(m_dir / "c.dat");
        ASSERT_TRUE(reader);
        std::vector<std::uint8_t> buffer(16);
        auto got = reader->read(buffer);
        ASSERT_TRUE(got);
        EXPECT_EQ(*got, 4u);
    }
    EXPECT_EQ(platform::File::openForReading(m_dir).error().code, EISDIR);
    ASSERT_TRUE(platform::removeFile(m_dir / "c.dat"));
    EXPECT_EQ(platform::removeFile(m_dir / "c.dat").error().code, ENOENT);
}

// renameNew moves a file or a whole folder to a free name and never takes
// the place of what is there.
TEST_F(Platform, RenameNewMovesFilesAndFoldersButReplacesNothing)
{
    const fs::path folder = m_folder.path() / "staged";
    fs::create_directories(folder / "inner");
    ASSERT_TRUE(writeFileImage(folder / "inner" / "A.DAT", std::string_view("a")));
    ASSERT_TRUE(platform::renameNew(folder, m_folder.path() / "placed").ok());
    EXPECT_EQ(bytesOf(m_folder.path() / "placed" / "inner" / "A.DAT"), std::vector<std::uint8_t> { 'a' });
    EXPECT_FALSE(fs::exists(folder));

    ASSERT_TRUE(writeFileImage(m_folder.path() / "new.txt", std::string_view("new")));
    ASSERT_TRUE(writeFileImage(m_folder.path() / "old.txt", std::string_view("old")));
    auto refused = platform::renameNew(m_folder.path() / "new.txt", m_folder.path() / "old.txt");
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code, EEXIST);
    EXPECT_NE(refused.error().message.find("old.txt"), std::string::npos);
    EXPECT_EQ(bytesOf(m_folder.path() / "old.txt"), (std::vector<std::uint8_t> { 'o', 'l', 'd' }));
    fs::create_directories(m_folder.path() / "empty");
    EXPECT_FALSE(platform::renameNew(m_folder.path() / "placed", m_folder.path() / "empty").ok())
        << "not even over an empty folder";
    EXPECT_TRUE(fs::exists(m_folder.path() / "placed" / "inner" / "A.DAT"));
}

TEST_F(Platform, AHardLinkIsASecondNameOrTheCopyTakesOver)
{
    ASSERT_TRUE(writeFileImage(m_dir / "game.dat", m_old));
    if (platform::makeHardLink(m_dir / "game.dat", m_dir / "keep.dat")) {
        // Replacing the game file by renaming leaves the old bytes under the
        // second name: that is what the safety copies rely on.
        ASSERT_TRUE(replaceFile(m_dir / "game.dat", m_new));
        EXPECT_EQ(bytesOf(m_dir / "keep.dat"), m_old);
    }
    EXPECT_FALSE(platform::makeHardLink(m_dir / "none.dat", m_dir / "other.dat"));
    ASSERT_TRUE(platform::copyFileBytes(m_dir / "game.dat", m_dir / "copy.dat", m_dir / "copy.dat"));
    EXPECT_EQ(bytesOf(m_dir / "copy.dat"), bytesOf(m_dir / "game.dat"));
    bool sourceFailed = false;
    auto failed = platform::copyFileBytes(m_dir / "none.dat", m_dir / "x.dat", m_dir / "x.dat", &sourceFailed);
    EXPECT_FALSE(failed);
    EXPECT_TRUE(sourceFailed);
    EXPECT_FALSE(fs::exists(m_dir / "x.dat"));
}

TEST_F(Platform, NamesOutsideAsciiAreFoundReadAndReplaced)
{
    const std::string name = "Me\xC3\x9F"
                             "erschmitt \xC3\x89t\xC3\xA9 \xD0\x98\xD0\xBB.dat"; // UTF-8
    const fs::path path = m_dir / platform::pathFromUtf8(name);
    ASSERT_TRUE(writeFileImage(path, m_old));
    EXPECT_EQ(platform::utf8FromPath(path.filename()), name);
    EXPECT_EQ(bytesOf(path), m_old);
    ASSERT_TRUE(replaceFile(path, m_new));
    EXPECT_EQ(bytesOf(path), m_new);
    EXPECT_TRUE(writeInPlace(path, 1, std::vector<std::uint8_t> { 'E' }));
    EXPECT_EQ(findFileNoCase(m_dir, platform::utf8FromPath(path.filename())), path);
    // ASCII letters in any case still find it.
    std::string upper = name;
    upper[0] = 'm';
    EXPECT_EQ(findFileNoCase(m_dir, upper).filename(), path.filename());
}

TEST_F(Platform, AReadOnlyFileIsRefusedNamedAndLeftAsItWas)
{
    const fs::path path = m_dir / "planes.dat";
    ASSERT_TRUE(writeFileImage(path, m_old));
    fs::permissions(
        path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write, fs::perm_options::remove);
    // Root on POSIX systems, and Wine run by root, write read-only files all
    // the same.
    if (test::permissionsAreIgnored() || platform::File::openForUpdate(path))
        GTEST_SKIP() << "permissions do not bind this user";
    std::string error;
    EXPECT_FALSE(writeInPlace(path, 0, std::vector<std::uint8_t> { 'X' }, &error));
    EXPECT_NE(error.find("planes.dat"), std::string::npos) << error;
    EXPECT_EQ(bytesOf(path), m_old);
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(Platform, AFileHeldOpenByAnotherProgramIsNamedAndLeftWhole)
{
    const fs::path path = m_dir / "CAMP0001.DAT";
    ASSERT_TRUE(writeFileImage(path, m_old));
    test::ExclusiveHold hold(path);
    if (!hold.held())
        GTEST_SKIP() << "this system has no exclusive opens";
    std::string error;
    EXPECT_FALSE(writeInPlace(path, 0, std::vector<std::uint8_t> { 'X' }, &error));
    EXPECT_NE(error.find("CAMP0001.DAT"), std::string::npos) << error;
    EXPECT_NE(error.find("in use by another program"), std::string::npos) << error;
    auto replaced = replaceFile(path, m_new);
    ASSERT_FALSE(replaced);
    EXPECT_EQ(replaced.error().code, platform::kInUse);
    EXPECT_NE(replaced.error().message.find("CAMP0001.DAT"), std::string::npos);
    EXPECT_EQ(fs::directory_iterator(m_dir)->path(), path) << "no temporary file is left";
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1);
}

// Removing a tree returns, also while a file in it is held open: on Windows
// that file stays listed until it is closed, and the folder is reported.
TEST_F(Platform, ATreeIsRemovedWholeOrTheRemovalSaysWhatStayed)
{
    const fs::path tree = m_dir / "Stage";
    ASSERT_TRUE(fs::create_directories(tree / "CAMChannel" / "Deeper"));
    ASSERT_TRUE(writeFileImage(tree / "CAMChannel" / "CAMP0001.DAT", m_old));
    ASSERT_TRUE(writeFileImage(tree / "xxxChannel.txt", m_new));
    auto open = platform::File::openForUpdate(tree / "CAMChannel" / "CAMP0001.DAT");
    ASSERT_TRUE(open);
    auto removed = platform::removeTree(tree);
#ifdef _WIN32
    ASSERT_FALSE(removed);
    EXPECT_NE(removed.error().message.find("CAMChannel"), std::string::npos) << removed.error().message;
#else
    EXPECT_TRUE(removed) << removed.error().message;
#endif
    ASSERT_TRUE(open->close());
    EXPECT_TRUE(platform::removeTree(tree));
    EXPECT_FALSE(fs::exists(tree));
    EXPECT_TRUE(platform::removeTree(tree)) << "nothing to remove is no failure";
    EXPECT_TRUE(fs::exists(m_dir));
}

} // namespace
} // namespace kvl
