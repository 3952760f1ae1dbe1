// What sets a program folder holds and which files each has.
#include "folioswap/setcatalog.h"

#include "common/fileimage.h"
#include "common/platform.h"
#include "folioswap/settree.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace fs = std::filesystem;

namespace kvl::folioswap {

namespace {

kvl::Error folderError(int number, const fs::path& path, const std::string& reason = {})
{
    return { (reason.empty() ? kvl::platform::errorText(number) : reason) + ": " + kvl::platform::utf8FromPath(path),
        number };
}

} // namespace

SwitchFolders foldersOf(const fs::path& main)
{
    SwitchFolders folders;
    folders.main = main;
    const fs::path parent = main.has_filename() ? main.parent_path() : main.parent_path().parent_path();
    folders.game = parent.empty() ? main : parent;
    folders.workfiles = kvl::platform::utf8FromPath(kvl::findFileNoCase(main, "Workfiles").filename());
    folders.qex = kvl::platform::utf8FromPath(kvl::findFileNoCase(main, "QEXRestoreFiles").filename());
    folders.lastCampaign = kvl::findFileNoCase(main, "Workfiles/LastCampaign.txt");
    return folders;
}

bool lessNoCase(const std::string& a, const std::string& b)
{
    auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; };
    auto before = [&](char x, char y) {
        return lower(static_cast<unsigned char>(x)) < lower(static_cast<unsigned char>(y));
    };
    bool less = std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), before);
    bool greater = std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), before);
    return less || (!greater && a < b);
}

// Every entry of the program folder, folder or file, whose name starts with
// "CAM" is a set. Sorted ignoring case, as the game's own desktop lists them.
kvl::Result<std::vector<std::string>> listSetNames(const fs::path& main)
{
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(main, ec);
    if (ec)
        return folderError(ec.value(), main, ec.message());
    for (fs::directory_iterator end; it != end; it.increment(ec)) {
        if (auto name = setNameFromEntry(kvl::platform::utf8FromPath(it->path().filename())))
            names.push_back(std::move(*name));
    }
    if (ec)
        return folderError(ec.value(), main, ec.message());
    std::sort(names.begin(), names.end(), lessNoCase);
    return names;
}

kvl::Result<std::vector<std::string>> setFolderFiles(const fs::path& main, const std::string& name)
{
    fs::path folder = main / kvl::platform::pathFromUtf8("CAM" + name);
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        return folderError(fs::exists(folder, ec) ? ENOTDIR : ENOENT, folder);
    std::vector<std::string> files;
    fs::directory_iterator it(folder, ec);
    for (fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
        std::string file = kvl::platform::utf8FromPath(it->path().filename());
        std::error_code typeEc;
        if (file.empty() || file.front() == '.' || !it->is_regular_file(typeEc))
            continue;
        files.push_back(std::move(file));
    }
    if (ec)
        return folderError(ec.value(), folder, ec.message());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace kvl::folioswap
