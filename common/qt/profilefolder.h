// What a window program remembers between runs, kept in its QSettings
// profile (on Linux ~/.config/ORGANISATION/APPLICATION.conf): the folders its
// file dialogs last used and the folder it works in.
#pragma once

#include <QString>
#include <filesystem>
#include <functional>
#include <optional>

#include "common/lastfolder.h"

namespace kvl::qt {

/// The organisation under which the tool suite keeps its programs' profiles
/// (modelview keeps its own older one).
inline constexpr const char* kSuiteOrganisation = "KORVAL tools";

/// The key of the last folder a program's file dialogs used.
inline constexpr const char* kLastFolderKey = "LastFolder";

/// One program's profile: the organisation and application names its
/// settings are kept under.
struct Profile {
    QString organisation;
    QString application;

    /// The profile of a program of the suite.
    static Profile ofSuite(const QString& application);

    /// Names the running program after the profile (QCoreApplication's
    /// organisation and application names), so that every setting it keeps
    /// lands there. Call it once the application object exists.
    void nameApplication() const;

    /// The folder kept under `key` (as the file system's bytes); empty when
    /// none is.
    std::filesystem::path folder(const QString& key) const;
    /// Keeps `folder` under `key`.
    void keepFolder(const QString& key, const std::filesystem::path& folder) const;

    /// A LastFolder read from the profile under kLastFolderKey and written
    /// back there each time it changes.
    LastFolder lastFolder() const;

    /// The folder a program started in `here` works in. `find` is given the
    /// folder kept under `key` (empty when none is) and returns the folder to
    /// work in: `here`, the kept one or one the user chose; nothing when the
    /// user cancelled. A folder other than `here` is kept under `key` and made
    /// the current folder, so that the program works there as if started there.
    std::optional<std::filesystem::path> workFolder(const QString& key, const std::filesystem::path& here,
        const std::function<std::optional<std::filesystem::path>(const std::filesystem::path& kept)>& find) const;
};

/// A window's title for work in `folder` when the program was started in
/// `startedIn`: the title itself when they are the same folder, else the
/// title followed by " - " and the folder (with the system's separators), so
/// that a user never edits another folder's files without seeing which.
QString titleNamingFolder(
    const QString& title, const std::filesystem::path& folder, const std::filesystem::path& startedIn);

} // namespace kvl::qt
