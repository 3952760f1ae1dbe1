#include "folioswap/programfolder.h"

#include "common/textdecode.h"
#include "folioswap/setswitcher.h"

#include <system_error>

namespace kvl::folioswap {

namespace fs = std::filesystem;

bool isProgramFolder(const fs::path& folder)
{
    std::error_code ec;
    return !folder.empty() && fs::is_directory(folder / "Workfiles", ec);
}

std::optional<fs::path> findProgramFolder(kvl::WindowHost& host, const fs::path& current, const fs::path& remembered)
{
    if (isProgramFolder(current))
        return current;
    if (isProgramFolder(remembered))
        return remembered;

    kvl::FileDialogRequest request;
    request.kind = kvl::FileDialogKind::Folder;
    request.caption = "Choose the Borvex folder (the one holding Workfiles and the CAM set folders)";
    request.objectName = kFolderDialogName;
    std::error_code ec;
    // A remembered folder that lost its Workfiles is still the best place
    // to start looking.
    request.start = !remembered.empty() && fs::is_directory(remembered, ec) ? remembered : current;
    for (;;) {
        fs::path chosen = host.chooseFile(request);
        if (chosen.empty())
            return std::nullopt;
        if (isProgramFolder(chosen))
            return chosen;
        host.showMessage({ kvl::MessageIcon::Warning, kTitle,
            kvl::decodeText("\"" + chosen.string() + "\" is not the Borvex folder: it holds no Workfiles folder.\r\n"
                + "Choose the folder that holds Workfiles, ReadMe, QEXRestoreFiles and the CAM set folders; "
                + "the game folder is its parent."),
            kMessageName });
        request.start = chosen;
    }
}

} // namespace kvl::folioswap
