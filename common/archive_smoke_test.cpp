// The archive library as the suite links it: Debian's on Linux, the static
// build of scripts/windows-libarchive.sh on Windows (run under Wine).
// Archives written in memory with the library's own writer, in each
// compression the zip and 7z readers meet, are read back whole: the same
// names (UTF-8, not only ASCII) and the same bytes. A damaged archive is
// refused with a reason.
#include "common/textdecode.h"

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace kvl {
namespace {

// Names pass through libarchive as wide strings (archive_entry_pathname_w,
// archive_entry_copy_pathname_w), converted from and to UTF-8 without a
// locale. Its UTF-8 and narrow names go through the C runtime's locale: on
// Windows that is a code page, which gives no name, or question marks, for a
// character outside it (and its zip writer then dereferences a null name);
// its wide names are faithful there. On POSIX systems libarchive makes its
// wide names through the locale too, which must then be a UTF-8 one, as the
// window programs have (Qt switches a C locale to C.UTF-8); these tests take
// it. Windows' C runtime has no such locale and needs none.
class Utf8Names : public ::testing::Environment {
public:
    void SetUp() override { std::setlocale(LC_CTYPE, "C.UTF-8"); }
};
const ::testing::Environment* const utf8Names = ::testing::AddGlobalTestEnvironment(new Utf8Names);

struct Entry {
    std::string name; // UTF-8
    std::string bytes;
    bool operator==(const Entry&) const = default;
};

// Plain text, an empty file, a large file that compresses well (enough for
// several blocks of every method) and one that does not, in a sub-folder and
// under a name outside ASCII.
std::vector<Entry> sampleEntries()
{
    std::string lines;
    for (int i = 0; lines.size() < 300000; ++i)
        lines += "Pilot " + std::to_string(i) + " flies sortie " + std::to_string(i * 7 % 113) + "\r\n";
    std::string noise(65536, '\0');
    std::uint32_t x = 2463534242u;
    for (char& c : noise) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x & 0xFF);
    }
    return {
        { "CAMP0001.DAT", "Campaign one\r\nWin Parameter: 50\r\n" },
        { "empty.txt", "" },
        { "MISSIONS/LOG.TXT", lines },
        { "MISSIONS/noise.bin", noise },
        { "Staffel \xC3\x84gir \xE2\x80\x93 Herbst.txt", "\xC3\xA4\xC3\xB6\xC3\xBC" },
        { "\xE6\x97\xA5\xE6\x9C\xAC/\xE8\xA1\xA8.txt", "not in any Western code page" },
    };
}

using ArchivePtr = std::unique_ptr<archive, int (*)(archive*)>;

// The archive FORMAT ("zip" or "7zip") with writer OPTIONS, in memory.
std::string writeArchive(const char* format, const char* options, const std::vector<Entry>& entries)
{
    ArchivePtr writer(archive_write_new(), archive_write_free);
    EXPECT_EQ(archive_write_set_format_by_name(writer.get(), format), ARCHIVE_OK);
    EXPECT_EQ(archive_write_set_options(writer.get(), options), ARCHIVE_OK) << archive_error_string(writer.get());
    // Names stored in UTF-8 and flagged so, not in the locale's character set.
    if (std::string(format) == "zip") {
        EXPECT_EQ(archive_write_set_option(writer.get(), "zip", "hdrcharset", "UTF-8"), ARCHIVE_OK);
    }
    std::size_t room = 1 << 16;
    for (const Entry& e : entries)
        room += e.bytes.size() + e.bytes.size() / 8 + 1024;
    std::string out(room, '\0');
    std::size_t used = 0;
    EXPECT_EQ(archive_write_open_memory(writer.get(), out.data(), out.size(), &used), ARCHIVE_OK);
    for (const Entry& e : entries) {
        std::unique_ptr<archive_entry, void (*)(archive_entry*)> entry(archive_entry_new(), archive_entry_free);
        archive_entry_copy_pathname_w(entry.get(), wideFromUtf8(e.name).c_str());
        archive_entry_set_filetype(entry.get(), AE_IFREG);
        archive_entry_set_perm(entry.get(), 0644);
        archive_entry_set_size(entry.get(), static_cast<la_int64_t>(e.bytes.size()));
        EXPECT_EQ(archive_write_header(writer.get(), entry.get()), ARCHIVE_OK) << archive_error_string(writer.get());
        EXPECT_EQ(
            archive_write_data(writer.get(), e.bytes.data(), e.bytes.size()), static_cast<la_ssize_t>(e.bytes.size()));
    }
    EXPECT_EQ(archive_write_close(writer.get()), ARCHIVE_OK) << archive_error_string(writer.get());
    out.resize(used);
    return out;
}

// Every entry of a zip or 7z archive held in memory; false with the
// library's reason when it is refused.
bool readArchive(const std::string& bytes, std::vector<Entry>& entries, std::string& error)
{
    ArchivePtr reader(archive_read_new(), archive_read_free);
    archive_read_support_format_zip(reader.get());
    archive_read_support_format_7zip(reader.get());
    entries.clear();
    auto fail = [&] {
        const char* why = archive_error_string(reader.get());
        error = why ? why : "no reason given";
        return false;
    };
    if (archive_read_open_memory(reader.get(), bytes.data(), bytes.size()) != ARCHIVE_OK)
        return fail();
    archive_entry* header = nullptr;
    int status;
    while ((status = archive_read_next_header(reader.get(), &header)) == ARCHIVE_OK) {
        const wchar_t* name = archive_entry_pathname_w(header);
        Entry e { name ? utf8FromWide(name) : "", {} };
        char block[8192];
        la_ssize_t got;
        while ((got = archive_read_data(reader.get(), block, sizeof block)) > 0)
            e.bytes.append(block, static_cast<std::size_t>(got));
        if (got < 0)
            return fail();
        entries.push_back(std::move(e));
    }
    return status == ARCHIVE_EOF ? true : fail();
}

struct Method {
    const char* format;
    const char* options;
};

class ArchiveRoundTrip : public ::testing::TestWithParam<Method> { };

TEST_P(ArchiveRoundTrip, ReadsBackTheNamesAndBytesWritten)
{
    std::vector<Entry> written = sampleEntries();
    const std::string archive = writeArchive(GetParam().format, GetParam().options, written);
    std::vector<Entry> read;
    std::string error;
    ASSERT_TRUE(readArchive(archive, read, error)) << error;
    // A 7z archive lists files without contents last.
    auto byName = [](const Entry& a, const Entry& b) { return a.name < b.name; };
    std::sort(written.begin(), written.end(), byName);
    std::sort(read.begin(), read.end(), byName);
    ASSERT_EQ(read.size(), written.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(read[i].name, written[i].name);
        EXPECT_TRUE(read[i].bytes == written[i].bytes) << written[i].name << ": " << read[i].bytes.size() << " of "
                                                       << written[i].bytes.size() << " bytes, or other bytes";
    }
}

// Every method a zip or 7z writer commonly picks; each needs its decoder
// (zlib, liblzma, bzip2, or libarchive's own) in the library.
INSTANTIATE_TEST_SUITE_P(Methods, ArchiveRoundTrip,
    ::testing::Values(Method { "zip", "compression=store" }, Method { "zip", "compression=deflate" },
        Method { "7zip", "compression=copy" }, Method { "7zip", "compression=deflate" },
        Method { "7zip", "compression=bzip2" }, Method { "7zip", "compression=lzma1" },
        Method { "7zip", "compression=lzma2" }, Method { "7zip", "compression=ppmd" }),
    [](const ::testing::TestParamInfo<Method>& method) {
        return std::string(method.param.format) + "_" + (method.param.options + std::strlen("compression="));
    });

// A flipped byte inside the compressed data and a cut archive are refused
// with the library's reason, not read as shorter or other contents.
TEST(ArchiveDamage, CorruptOrCutArchivesAreRefusedWithAReason)
{
    const std::vector<Entry> written = sampleEntries();
    for (const char* format : { "zip", "7zip" }) {
        SCOPED_TRACE(format);
        const std::string archive = writeArchive(
            format, format == std::string("zip") ? "compression=deflate" : "compression=lzma2", written);
        std::vector<Entry> read;
        std::string error;

        std::string flipped = archive;
        flipped[flipped.size() / 3] = static_cast<char>(flipped[flipped.size() / 3] ^ 0x5A);
        EXPECT_FALSE(readArchive(flipped, read, error));
        EXPECT_FALSE(error.empty());

        error.clear();
        EXPECT_FALSE(readArchive(archive.substr(0, archive.size() / 2), read, error));
        EXPECT_FALSE(error.empty());
    }
}

} // namespace
} // namespace kvl
