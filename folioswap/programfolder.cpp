#include "folioswap/programfolder.h"
#include "common/platform.h"

#include "common/textdecode.h"
#include "common/workfolder.h"
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
    kvl::WorkFolderRule rule;
    rule.accepts = isProgramFolder;
    rule.dialogCaption = "Choose the Borvex folder (the one holding Workfiles and the CAM set folders)";
    rule.dialogName = kFolderDialogName;
    rule.messageTitle = kTitle;
    rule.messageName = kMessageName;
    rule.refusal = [](const fs::path& chosen) {
        return kvl::decodeText("\"" + kvl::platform::utf8FromPath(chosen)
            + "\" is not the Borvex folder: it holds no Workfiles folder.\r\n"
            + "Choose the folder that holds Workfiles, ReadMe, QEXRestoreFiles and the CAM set folders; "
            + "the game folder is its parent.");
    };
    return kvl::findWorkFolder(host, current, remembered, rule);
}

} // namespace kvl::folioswap
