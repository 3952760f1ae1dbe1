// The folder a window program works in. Started from a terminal, the user is
// inside it and the current folder is the answer. Started from a desktop
// entry, the current folder is the home folder, which is not one: then the
// folder chosen last time is used, and if there is none (or it no longer is
// one) the user is asked with a folder dialog.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "common/windowhost.h"

namespace kvl {

struct WorkFolderRule {
    /// Whether a folder is one the program can work in.
    std::function<bool(const std::filesystem::path&)> accepts;
    /// The folder dialog's caption and objectName.
    std::string dialogCaption;
    std::string dialogName;
    /// The warning shown for a pick that is not such a folder: its title,
    /// objectName and text (given the pick).
    std::string messageTitle;
    std::string messageName;
    std::function<std::string(const std::filesystem::path&)> refusal;
};

/// `current` when the rule accepts it, else `remembered` when it still is
/// accepted, else the folder the user picks in a folder dialog (starting in
/// `remembered` when it still exists, else in `current`); a pick the rule
/// refuses is explained and the dialog comes again. Nothing when the dialog
/// was cancelled.
std::optional<std::filesystem::path> findWorkFolder(WindowHost& host, const std::filesystem::path& current,
    const std::filesystem::path& remembered, const WorkFolderRule& rule);

} // namespace kvl
