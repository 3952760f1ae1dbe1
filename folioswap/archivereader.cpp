// Campaign set archives as set sources, through libarchive. The archive is
// read from the platform layer's File (or from memory) by callbacks, so that
// every file name the system holds can be opened the same way everywhere.
#include "folioswap/archivereader.h"

#include "common/platform.h"
#include "common/textdecode.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <system_error>

namespace kvl::folioswap {

namespace {

// Where libarchive's callbacks read an archive file from.
struct FileFeed {
    kvl::platform::File file;
    std::uint64_t size = 0;
    std::uint64_t position = 0;
    std::array<std::uint8_t, 64 * 1024> buffer {};
};

la_ssize_t readFeed(struct archive* archive, void* data, const void** block)
{
    auto* feed = static_cast<FileFeed*>(data);
    auto got = feed->file.read(feed->buffer);
    if (!got) {
        archive_set_error(archive, got.error().code, "%s", got.error().message.c_str());
        return -1;
    }
    feed->position += *got;
    *block = feed->buffer.data();
    return static_cast<la_ssize_t>(*got);
}

la_int64_t seekFeed(struct archive* archive, void* data, la_int64_t offset, int whence)
{
    auto* feed = static_cast<FileFeed*>(data);
    const auto base = static_cast<la_int64_t>(
        whence == SEEK_SET ? 0 : (whence == SEEK_CUR ? feed->position : feed->size));
    const la_int64_t target = base + offset;
    if (target < 0) {
        archive_set_error(archive, EINVAL, "seek before the start of the archive");
        return ARCHIVE_FATAL;
    }
    if (auto moved = feed->file.seek(static_cast<std::uint64_t>(target)); !moved) {
        archive_set_error(archive, moved.error().code, "%s", moved.error().message.c_str());
        return ARCHIVE_FATAL;
    }
    feed->position = static_cast<std::uint64_t>(target);
    return target;
}

la_int64_t skipFeed(struct archive* archive, void* data, la_int64_t request)
{
    auto* feed = static_cast<FileFeed*>(data);
    if (request <= 0)
        return 0;
    const std::uint64_t left = feed->size > feed->position ? feed->size - feed->position : 0;
    const auto step = static_cast<la_int64_t>(std::min<std::uint64_t>(left, static_cast<std::uint64_t>(request)));
    return seekFeed(archive, data, step, SEEK_CUR) < 0 ? ARCHIVE_FATAL : step;
}

// One open libarchive reader, freed however the reading ends.
class Reader {
public:
    Reader() : m_archive(archive_read_new())
    {
        // The formats sets come in, and the compressions of tar archives
        // that the library does itself (never through another program).
        archive_read_support_format_zip(m_archive);
        archive_read_support_format_7zip(m_archive);
        archive_read_support_format_rar(m_archive);
        archive_read_support_format_rar5(m_archive);
        archive_read_support_format_tar(m_archive);
        archive_read_support_filter_gzip(m_archive);
        archive_read_support_filter_bzip2(m_archive);
        archive_read_support_filter_xz(m_archive);
    }
    ~Reader() { archive_read_free(m_archive); }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    struct archive* get() const { return m_archive; }
    std::string reason() const
    {
        const char* text = archive_error_string(m_archive);
        return text ? text : "the archive library gave no reason";
    }

private:
    struct archive* m_archive;
};

std::string entryName(struct archive_entry* entry)
{
    if (const char* utf8 = archive_entry_pathname_utf8(entry))
        return utf8;
    // A name in a code page the library could not convert: its bytes, read
    // as UTF-8 when they are, else as Latin-1.
    const char* raw = archive_entry_pathname(entry);
    return raw ? kvl::decodeText(raw) : std::string();
}

EntryKind entryKind(struct archive_entry* entry)
{
    if (archive_entry_hardlink(entry) != nullptr)
        return EntryKind::HardLink;
    if (archive_entry_symlink(entry) != nullptr)
        return EntryKind::SymbolicLink;
    switch (archive_entry_filetype(entry)) {
    case AE_IFREG:
        return EntryKind::File;
    case AE_IFDIR:
        return EntryKind::Folder;
    case AE_IFLNK:
        return EntryKind::SymbolicLink;
    default:
        return EntryKind::Other;
    }
}

class ArchiveSource : public SetSource {
public:
    explicit ArchiveSource(std::filesystem::path path)
        : m_path(std::move(path)),
          m_name(kvl::platform::utf8FromPath(m_path))
    {
        std::error_code ec;
        const std::uintmax_t size = std::filesystem::file_size(m_path, ec);
        if (!ec)
            m_packedSize = size;
    }
    ArchiveSource(std::span<const std::uint8_t> bytes, std::string name)
        : m_memory(bytes),
          m_inMemory(true),
          m_name(std::move(name)),
          m_packedSize(bytes.size())
    {
    }

    std::string describe() const override { return m_name; }
    std::optional<std::uint64_t> packedSize() const override { return m_packedSize; }

    kvl::Result<Listing> list(const ListLimits& limits) override
    {
        Reader reader;
        FileFeed feed;
        if (auto opened = open(reader, feed); !opened)
            return opened.error();
        Listing listing;
        std::uint64_t claimed = 0;
        struct archive_entry* entry = nullptr;
        while (true) {
            const int status = archive_read_next_header(reader.get(), &entry);
            if (status == ARCHIVE_EOF)
                break;
            if (status < ARCHIVE_WARN)
                return damaged(reader);
            SourceEntry listed { entryName(entry), entryKind(entry), std::nullopt };
            if (archive_entry_size_is_set(entry) && archive_entry_size(entry) >= 0)
                listed.size = static_cast<std::uint64_t>(archive_entry_size(entry));
            if (archive_entry_is_encrypted(entry))
                return kvl::Error { "The archive " + m_name + " cannot be read: \"" + listed.name
                        + "\" is encrypted (a set archive needs no password)",
                    EINVAL };
            claimed += listed.size.value_or(0);
            listing.entries.push_back(std::move(listed));
            // Stop before the library would unpack this entry to reach the next.
            if (listing.entries.size() > limits.entries || claimed > limits.claimedBytes) {
                listing.cut = true;
                break;
            }
        }
        m_listed.clear();
        for (const auto& listed : listing.entries)
            m_listed.push_back(listed.name);
        m_listedWhole = !listing.cut;
        return listing;
    }

    kvl::Result<void> read(EntrySink& sink) override
    {
        if (!m_listedWhole)
            return kvl::Error { "The archive " + m_name + " was not listed whole before it was read", EINVAL };
        Reader reader;
        FileFeed feed;
        if (auto opened = open(reader, feed); !opened)
            return opened.error();
        struct archive_entry* entry = nullptr;
        for (std::size_t index = 0;; ++index) {
            const int status = archive_read_next_header(reader.get(), &entry);
            if (status == ARCHIVE_EOF)
                return index == m_listed.size() ? kvl::Result<void>() : changed();
            if (status < ARCHIVE_WARN)
                return damaged(reader);
            if (index >= m_listed.size() || entryName(entry) != m_listed[index])
                return changed();
            if (entryKind(entry) != EntryKind::File)
                continue;
            auto wanted = sink.begin(index);
            if (!wanted)
                return wanted.error();
            if (!*wanted)
                continue; // the next header skips it
            const void* block = nullptr;
            std::size_t size = 0;
            la_int64_t offset = 0;
            int got = ARCHIVE_OK;
            while ((got = archive_read_data_block(reader.get(), &block, &size, &offset)) == ARCHIVE_OK) {
                auto written = sink.write({ static_cast<const std::uint8_t*>(block), size });
                if (!written)
                    return written;
            }
            if (got != ARCHIVE_EOF)
                return damaged(reader);
            if (auto ended = sink.end(); !ended)
                return ended;
        }
    }

private:
    kvl::Result<void> open(Reader& reader, FileFeed& feed)
    {
        int status = ARCHIVE_FATAL;
        if (m_inMemory) {
            status = archive_read_open_memory(reader.get(), m_memory.data(), m_memory.size());
        } else {
            auto file = kvl::platform::File::openForReading(m_path);
            if (!file)
                return kvl::platform::fileError("cannot open", m_path, file.error().code);
            auto size = file->size();
            if (!size)
                return kvl::platform::fileError("cannot read", m_path, size.error().code);
            feed.file = std::move(*file);
            feed.size = *size;
            m_packedSize = *size;
            archive_read_set_read_callback(reader.get(), readFeed);
            archive_read_set_seek_callback(reader.get(), seekFeed);
            archive_read_set_skip_callback(reader.get(), skipFeed);
            archive_read_set_callback_data(reader.get(), &feed);
            status = archive_read_open1(reader.get());
        }
        if (status != ARCHIVE_OK)
            return damaged(reader);
        return {};
    }

    kvl::Error damaged(const Reader& reader) const
    {
        const int number = archive_errno(reader.get());
        return { "The archive " + m_name + " is damaged or not an archive: " + reader.reason(),
            number > 0 ? number : EINVAL };
    }

    kvl::Error changed() const { return { "The archive " + m_name + " changed while it was being read", EAGAIN }; }

    std::filesystem::path m_path;
    std::span<const std::uint8_t> m_memory;
    bool m_inMemory = false;
    std::string m_name;
    std::optional<std::uint64_t> m_packedSize;
    std::vector<std::string> m_listed;
    bool m_listedWhole = false;
};

} // namespace

std::unique_ptr<SetSource> openArchiveFile(const std::filesystem::path& path)
{
    return std::make_unique<ArchiveSource>(path);
}

std::unique_ptr<SetSource> openArchiveMemory(std::span<const std::uint8_t> bytes, std::string name)
{
    return std::make_unique<ArchiveSource>(bytes, std::move(name));
}

} // namespace kvl::folioswap
