// Folders a window program remembers across runs, kept in its QSettings
// profile (on Linux ~/.config/ORGANISATION/APPLICATION.conf).
#pragma once

#include <QString>
#include <filesystem>

#include "common/lastfolder.h"

namespace kvl::qt {

/// The organisation under which the tool suite keeps its programs' profiles
/// (modelview keeps its own older one).
inline constexpr const char* kSuiteOrganisation = "KORVAL tools";

/// The key of the last folder a program's file dialogs used.
inline constexpr const char* kLastFolderKey = "LastFolder";

/// The folder kept under `key` in the profile (as the file system's bytes);
/// empty when none is.
std::filesystem::path rememberedFolder(const QString& organisation, const QString& application, const QString& key);
/// Keeps `folder` under `key` in the profile.
void rememberFolder(
    const QString& organisation, const QString& application, const QString& key, const std::filesystem::path& folder);

/// A LastFolder read from the profile under kLastFolderKey and written back
/// there each time it changes.
LastFolder profileLastFolder(const QString& organisation, const QString& application);

/// A window's title for work in `folder` when the program was started in
/// `startedIn`: the title itself when they are the same folder, else the
/// title followed by " - " and the folder (with the system's separators), so
/// that a user never edits another folder's files without seeing which.
QString titleNamingFolder(
    const QString& title, const std::filesystem::path& folder, const std::filesystem::path& startedIn);

} // namespace kvl::qt
