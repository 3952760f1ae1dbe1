// Campaign set archives (.zip, .7z, .rar and tar, plain or compressed with
// gzip, bzip2 or xz) as set sources. The one place that knows the archive
// library.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>

#include "folioswap/setsource.h"

namespace kvl::folioswap {

/// The archive file at `path`; it is opened again for each listing and
/// reading, through the platform layer.
std::unique_ptr<SetSource> openArchiveFile(const std::filesystem::path& path);

/// An archive held in memory (`bytes` must outlive the source), named as
/// `name` in messages.
std::unique_ptr<SetSource> openArchiveMemory(std::span<const std::uint8_t> bytes, std::string name);

} // namespace kvl::folioswap
