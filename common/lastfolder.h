// The folder a program's file dialogs last used. Modders keep their files in
// several folders (the game's, a mod's, a backup's); a dialog that opens
// where the previous one was left saves walking back there every time.
// Kept between runs by the window program (its QSettings profile); this part
// holds no Qt so that the rule runs in tests with a FakeWindowHost.
#pragma once

#include <filesystem>
#include <functional>

#include "common/windowhost.h"

namespace kvl {

class LastFolder {
public:
    /// Called with the new folder each time it changes, to keep it.
    using Keep = std::function<void(const std::filesystem::path&)>;

    /// No folder remembered: dialogs start where their request says.
    LastFolder() = default;
    /// `remembered` as kept by an earlier run (empty when none).
    LastFolder(std::filesystem::path remembered, Keep keep);

    /// The request moved into the remembered folder when that still is a
    /// folder; a save dialog keeps its suggested file name. Unchanged when
    /// nothing is remembered or the folder is gone.
    FileDialogRequest place(FileDialogRequest request) const;
    /// Runs `request`, placed, through `host` and remembers the folder of the
    /// answer (the folder itself for a folder dialog); a cancelled dialog
    /// changes nothing. Returns the answer.
    std::filesystem::path choose(WindowHost& host, const FileDialogRequest& request);

    const std::filesystem::path& folder() const { return m_folder; }

private:
    std::filesystem::path m_folder;
    Keep m_keep;
};

} // namespace kvl
