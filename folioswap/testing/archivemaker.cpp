// Tests and the seed corpus only: set archives made with the archive
// library's writer, and zips crafted byte by byte.
#include "folioswap/testing/archivemaker.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <array>

namespace kvl::test {

namespace {

la_ssize_t append(struct archive*, void* data, const void* bytes, size_t size)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(data);
    const auto* begin = static_cast<const std::uint8_t*>(bytes);
    out->insert(out->end(), begin, begin + size);
    return static_cast<la_ssize_t>(size);
}

std::uint32_t crc32(const std::string& data)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : data) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void put16(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

std::vector<std::uint8_t> cut(std::vector<std::uint8_t> bytes, std::size_t keep)
{
    bytes.resize(std::min(keep, bytes.size()));
    return bytes;
}

} // namespace

std::vector<std::uint8_t> makeArchive(ArchiveFormat format, const std::vector<MadeEntry>& entries)
{
    std::vector<std::uint8_t> out;
    struct archive* writer = archive_write_new();
    switch (format) {
    case ArchiveFormat::Zip:
        archive_write_set_format_zip(writer);
        break;
    case ArchiveFormat::SevenZip:
        archive_write_set_format_7zip(writer);
        break;
    case ArchiveFormat::Tar:
    case ArchiveFormat::TarGz:
    case ArchiveFormat::TarXz:
        archive_write_set_format_pax_restricted(writer);
        break;
    }
    if (format == ArchiveFormat::TarGz)
        archive_write_add_filter_gzip(writer);
    if (format == ArchiveFormat::TarXz)
        archive_write_add_filter_xz(writer);
    archive_write_set_bytes_in_last_block(writer, 1);
    archive_write_open(writer, &out, nullptr, append, nullptr);
    for (const auto& made : entries) {
        struct archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, made.name.c_str());
        archive_entry_set_mtime(entry, 946684800, 0);
        switch (made.kind) {
        case MadeKind::File:
            archive_entry_set_filetype(entry, AE_IFREG);
            archive_entry_set_perm(entry, 0644);
            archive_entry_set_size(entry, static_cast<la_int64_t>(made.data.size() + made.zeros));
            break;
        case MadeKind::Folder:
            archive_entry_set_filetype(entry, AE_IFDIR);
            archive_entry_set_perm(entry, 0755);
            break;
        case MadeKind::SymbolicLink:
            archive_entry_set_filetype(entry, AE_IFLNK);
            archive_entry_set_perm(entry, 0777);
            archive_entry_set_symlink(entry, made.data.c_str());
            break;
        case MadeKind::HardLink:
            archive_entry_set_filetype(entry, AE_IFREG);
            archive_entry_set_perm(entry, 0644);
            archive_entry_set_hardlink(entry, made.data.c_str());
            break;
        }
        archive_write_header(writer, entry);
        if (made.kind == MadeKind::File) {
            archive_write_data(writer, made.data.data(), made.data.size());
            static const std::array<char, 1 << 16> zeros {};
            for (std::uint64_t left = made.zeros; left > 0;) {
                const std::size_t step = static_cast<std::size_t>(std::min<std::uint64_t>(left, zeros.size()));
                archive_write_data(writer, zeros.data(), step);
                left -= step;
            }
        }
        archive_entry_free(entry);
    }
    archive_write_close(writer);
    archive_write_free(writer);
    return out;
}

// Local headers with the data, the central directory, its end record; all
// sizes as claimed, versions and times fixed.
std::vector<std::uint8_t> craftZip(const std::vector<CraftedZipEntry>& entries)
{
    std::vector<std::uint8_t> out;
    std::vector<std::uint32_t> offsets;
    const auto claimed = [](const CraftedZipEntry& e) {
        return static_cast<std::uint32_t>(e.claimedSize == UINT64_MAX ? e.data.size() : e.claimedSize);
    };
    for (const auto& entry : entries) {
        offsets.push_back(static_cast<std::uint32_t>(out.size()));
        put32(out, 0x04034b50);
        put16(out, 20);
        put16(out, 0);
        put16(out, 0); // stored
        put16(out, 0);
        put16(out, 0x21);
        put32(out, crc32(entry.data));
        put32(out, static_cast<std::uint32_t>(entry.data.size()));
        put32(out, claimed(entry));
        put16(out, static_cast<std::uint32_t>(entry.name.size()));
        put16(out, 0);
        out.insert(out.end(), entry.name.begin(), entry.name.end());
        out.insert(out.end(), entry.data.begin(), entry.data.end());
    }
    const auto directory = static_cast<std::uint32_t>(out.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& entry = entries[i];
        put32(out, 0x02014b50);
        put16(out, (3u << 8) | 20u); // made on Unix: the mode is in the external attributes
        put16(out, 20);
        put16(out, 0);
        put16(out, 0);
        put16(out, 0);
        put16(out, 0x21);
        put32(out, crc32(entry.data));
        put32(out, static_cast<std::uint32_t>(entry.data.size()));
        put32(out, claimed(entry));
        put16(out, static_cast<std::uint32_t>(entry.name.size()));
        put16(out, 0);
        put16(out, 0);
        put16(out, 0);
        put16(out, 0);
        put32(out, entry.unixMode << 16);
        put32(out, offsets[i]);
        out.insert(out.end(), entry.name.begin(), entry.name.end());
    }
    const auto directorySize = static_cast<std::uint32_t>(out.size()) - directory;
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<std::uint32_t>(entries.size()));
    put16(out, static_cast<std::uint32_t>(entries.size()));
    put32(out, directorySize);
    put32(out, directory);
    put16(out, 0);
    return out;
}

std::vector<CraftedArchive> craftedArchives()
{
    const std::vector<MadeEntry> set { { "Kursk/", "", MadeKind::Folder }, { "Kursk/CAMP0001.DAT", "kursk campaign" },
        { "Kursk/SQ0141.DAT", "kursk squadron" }, { "Kursk/xxxKursk.txt", "Tanks and fighters\r\n" },
        { "Kursk/Kursk.jpg", "\xFF\xD8\xFF\xE0 picture" } };
    const std::vector<MadeEntry> flat { { "CAMP0002.DAT", "flat campaign" }, { "xxxFlat.txt", "Flat comment\r\n" } };
    const auto stored = [](std::string name) {
        return craftZip({ { "CAMP0001.DAT", "campaign" }, { std::move(name), "outside" } });
    };
    std::vector<std::uint8_t> sevenZip = makeArchive(ArchiveFormat::SevenZip, flat);
    std::vector<std::uint8_t> damaged = sevenZip;
    for (std::size_t i = 32; i < damaged.size() && i < 48; ++i)
        damaged[i] ^= 0x5A;
    const std::string text = "This is no archive, only a few words of text.";
    return {
        { "good.zip", makeArchive(ArchiveFormat::Zip, set), true, "" },
        { "good.7z", sevenZip, true, "" },
        { "good.tar.gz", makeArchive(ArchiveFormat::TarGz, set), true, "" },
        { "stored.zip", craftZip({ { "CAMP0001.DAT", "campaign" }, { "./SQ0141.DAT", "squadron" } }), true, "" },
        { "traversal.zip", stored("../x"), false, "leads out of the set's folder" },
        { "traversal-backslash.zip", stored("Kursk\\..\\..\\x"), false, "leads out of the set's folder" },
        { "absolute.zip", stored("/x"), false, "is an absolute path" },
        { "drive.zip", stored("C:\\x"), false, "names a drive" },
        { "device.zip", stored("CON.DAT"), false, "is a device name" },
        { "symlink.zip",
            craftZip({ { "CAMP0001.DAT", "campaign" }, { "SQ0141.DAT", "/etc/passwd", UINT64_MAX, 0120777 } }), false,
            "is a link" },
        { "symlink.tar",
            makeArchive(
                ArchiveFormat::Tar, { { "CAMP0001.DAT", "campaign" }, { "x", "/etc", MadeKind::SymbolicLink } }),
            false, "is a link" },
        { "hardlink.tar",
            makeArchive(
                ArchiveFormat::Tar, { { "CAMP0001.DAT", "campaign" }, { "x", "/etc/passwd", MadeKind::HardLink } }),
            false, "is a link" },
        { "case.zip", craftZip({ { "CAMP0001.DAT", "one" }, { "camp0001.dat", "two" } }), false,
            "has the same name as" },
        { "file-and-folder.zip", craftZip({ { "CAMP", "one" }, { "camp/SQ0141.DAT", "two" } }), false,
            "has the same name" },
        { "claims.zip", craftZip({ { "CAMP0001.DAT", "tiny", 3'000'000'000u } }), false, "times its own" },
        { "zeros.7z", makeArchive(ArchiveFormat::SevenZip, { { "CAMP0001.DAT", "", MadeKind::File, 8u << 20 } }), false,
            "times its own" },
        { "zeros.tar.xz", makeArchive(ArchiveFormat::TarXz, { { "CAMP0001.DAT", "", MadeKind::File, 8u << 20 } }),
            false, "times its own" },
        { "truncated.zip", cut(makeArchive(ArchiveFormat::Zip, set), 150), false, "damaged or not an archive" },
        { "damaged.7z", damaged, false, "damaged or not an archive" },
        { "text.txt", std::vector<std::uint8_t>(text.begin(), text.end()), false, "damaged or not an archive" },
        { "folders-only.zip", makeArchive(ArchiveFormat::Zip, { { "Kursk/", "", MadeKind::Folder } }), false,
            "holds no campaign files" },
    };
}

} // namespace kvl::test
