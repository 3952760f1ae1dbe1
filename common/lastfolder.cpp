#include "common/lastfolder.h"

#include <system_error>
#include <utility>

namespace kvl {

namespace fs = std::filesystem;

LastFolder::LastFolder(fs::path remembered, Keep keep) : m_folder(std::move(remembered)), m_keep(std::move(keep)) { }

FileDialogRequest LastFolder::place(FileDialogRequest request) const
{
    std::error_code ec;
    if (m_folder.empty() || !fs::is_directory(m_folder, ec))
        return request;
    // A save dialog's start may name the file it suggests ("FIGHTER.csv");
    // that name stays, only its folder changes. Open and folder dialogs
    // start in the folder itself.
    const bool suggestsName = request.kind == FileDialogKind::SaveFile && request.start.has_filename()
        && !fs::is_directory(request.start, ec);
    request.start = suggestsName ? m_folder / request.start.filename() : m_folder;
    return request;
}

fs::path LastFolder::choose(WindowHost& host, const FileDialogRequest& request)
{
    fs::path chosen = host.chooseFile(place(request));
    if (chosen.empty())
        return chosen;
    fs::path folder = request.kind == FileDialogKind::Folder ? chosen : chosen.parent_path();
    std::error_code ec;
    fs::path absolute = fs::absolute(folder, ec);
    if (!ec)
        folder = absolute.lexically_normal();
    if (!folder.empty() && folder != m_folder) {
        m_folder = folder;
        if (m_keep)
            m_keep(m_folder);
    }
    return chosen;
}

} // namespace kvl
