// Finding the folder a window program works in.
#include "common/workfolder.h"

#include <system_error>

namespace kvl {

namespace fs = std::filesystem;

std::optional<fs::path> findWorkFolder(
    WindowHost& host, const fs::path& current, const fs::path& remembered, const WorkFolderRule& rule)
{
    if (!current.empty() && rule.accepts(current))
        return current;
    if (!remembered.empty() && rule.accepts(remembered))
        return remembered;

    FileDialogRequest request;
    request.kind = FileDialogKind::Folder;
    request.caption = rule.dialogCaption;
    request.objectName = rule.dialogName;
    std::error_code ec;
    // A remembered folder that lost what made it one is still the best
    // place to start looking.
    request.start = !remembered.empty() && fs::is_directory(remembered, ec) ? remembered : current;
    for (;;) {
        fs::path chosen = host.chooseFile(request);
        if (chosen.empty())
            return std::nullopt;
        if (rule.accepts(chosen))
            return chosen;
        host.showMessage({ MessageIcon::Warning, rule.messageTitle, rule.refusal(chosen), rule.messageName });
        request.start = chosen;
    }
}

} // namespace kvl
