// Set sources: a folder read as one, the choice between folder and archive,
// and one entry read into memory.
#include "folioswap/setsource.h"

#include "common/platform.h"
#include "folioswap/archivereader.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <system_error>

namespace fs = std::filesystem;

namespace kvl::folioswap {

namespace {

EntryKind kindOf(fs::file_type type)
{
    switch (type) {
    case fs::file_type::regular:
        return EntryKind::File;
    case fs::file_type::directory:
        return EntryKind::Folder;
    case fs::file_type::symlink:
        return EntryKind::SymbolicLink;
    default:
        return EntryKind::Other;
    }
}

// A path inside the folder as UTF-8 with "/" between its parts.
std::string relativeName(const fs::path& relative)
{
    std::string name;
    for (const auto& part : relative) {
        if (!name.empty())
            name += '/';
        name += kvl::platform::utf8FromPath(part);
    }
    return name;
}

class FolderSource : public SetSource {
public:
    explicit FolderSource(fs::path folder) : m_folder(std::move(folder)) { }

    std::string describe() const override { return kvl::platform::utf8FromPath(m_folder); }
    std::optional<std::uint64_t> packedSize() const override { return std::nullopt; }

    // Links are listed as links, never followed: a link inside the folder
    // could lead anywhere on the disk.
    kvl::Result<Listing> list(const ListLimits& limits) override
    {
        Listing listing;
        std::error_code ec;
        if (!fs::is_directory(m_folder, ec))
            return kvl::platform::fileError("cannot read the folder", m_folder, ENOTDIR);
        fs::recursive_directory_iterator it(m_folder, fs::directory_options::none, ec);
        std::uint64_t claimed = 0;
        for (fs::recursive_directory_iterator end; !ec && it != end; it.increment(ec)) {
            const fs::file_status status = it->symlink_status(ec);
            if (ec)
                break;
            SourceEntry entry { relativeName(it->path().lexically_relative(m_folder)), kindOf(status.type()),
                std::nullopt };
            if (entry.kind == EntryKind::File) {
                const std::uintmax_t size = it->file_size(ec);
                if (ec)
                    break;
                entry.size = size;
                claimed += size;
            }
            listing.entries.push_back(std::move(entry));
            if (listing.entries.size() > limits.entries || claimed > limits.claimedBytes) {
                listing.cut = true;
                break;
            }
        }
        if (ec)
            return kvl::platform::fileError("cannot read the folder", m_folder, ec.value());
        std::sort(listing.entries.begin(), listing.entries.end(),
            [](const SourceEntry& a, const SourceEntry& b) { return a.name < b.name; });
        m_listed = listing.entries;
        m_listedWhole = !listing.cut;
        return listing;
    }

    kvl::Result<void> read(EntrySink& sink) override
    {
        if (!m_listedWhole)
            return kvl::Error { "The folder " + describe() + " was not listed whole before it was read", EINVAL };
        std::array<std::uint8_t, 64 * 1024> buffer {};
        for (std::size_t index = 0; index < m_listed.size(); ++index) {
            if (m_listed[index].kind != EntryKind::File)
                continue;
            auto wanted = sink.begin(index);
            if (!wanted)
                return wanted.error();
            if (!*wanted)
                continue;
            const fs::path path = m_folder / kvl::platform::pathFromUtf8(m_listed[index].name);
            // What was a plain file when listed must still be one, not a link
            // put in its place since.
            std::error_code ec;
            if (fs::symlink_status(path, ec).type() != fs::file_type::regular)
                return kvl::Error { "The folder " + describe()
                        + " changed while it was being read: " + m_listed[index].name + " is no longer a plain file",
                    EAGAIN };
            auto file = kvl::platform::File::openForReading(path);
            if (!file)
                return kvl::platform::fileError("cannot open", path, file.error().code);
            while (true) {
                auto got = file->read(buffer);
                if (!got)
                    return kvl::platform::fileError("cannot read", path, got.error().code);
                if (*got == 0)
                    break;
                if (auto written = sink.write({ buffer.data(), *got }); !written)
                    return written;
            }
            if (auto ended = sink.end(); !ended)
                return ended;
        }
        return {};
    }

private:
    fs::path m_folder;
    std::vector<SourceEntry> m_listed;
    bool m_listedWhole = false;
};

// Collects one entry's bytes, up to a limit.
class OneEntry : public EntrySink {
public:
    OneEntry(std::size_t index, std::uint64_t limit, std::string name)
        : m_index(index),
          m_limit(limit),
          m_name(std::move(name))
    {
    }
    kvl::Result<bool> begin(std::size_t index) override { return index == m_index; }
    kvl::Result<void> write(std::span<const std::uint8_t> bytes) override
    {
        if (bytes.size() > m_limit - m_bytes.size())
            return kvl::Error { m_name + " holds more than " + std::to_string(m_limit) + " bytes", EFBIG };
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
        return {};
    }
    kvl::Result<void> end() override { return {}; }
    std::vector<std::uint8_t> take() { return std::move(m_bytes); }

private:
    std::size_t m_index;
    std::uint64_t m_limit;
    std::string m_name;
    std::vector<std::uint8_t> m_bytes;
};

} // namespace

std::unique_ptr<SetSource> openFolderSource(const fs::path& folder)
{
    return std::make_unique<FolderSource>(folder);
}

std::unique_ptr<SetSource> openSetSource(const fs::path& path)
{
    std::error_code ec;
    if (fs::is_directory(path, ec))
        return openFolderSource(path);
    return openArchiveFile(path);
}

kvl::Result<std::vector<std::uint8_t>> readEntry(SetSource& source, std::size_t index, std::uint64_t limit)
{
    OneEntry sink(index, limit, source.describe() + ": entry " + std::to_string(index));
    if (auto done = source.read(sink); !done)
        return done.error();
    return sink.take();
}

} // namespace kvl::folioswap
