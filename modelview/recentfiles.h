// The recent-file list: up to four full paths, newest first, kept in the
// profile under "VKM! Studio" in the section "Recent File List" (File1..File4).
#pragma once

#include "common/qt/profilefolder.h"

#include <QString>
#include <QStringList>

namespace kvl::modelview {

/// modelview's profile: "VKM! Studio", its own since before the suite's, so
/// that its recent files and options stay where they were.
qt::Profile modelviewProfile();

class RecentFileList {
public:
    static constexpr int kSize = 4;

    /// Reads the list from the profile.
    void load();
    /// Writes the list to the profile.
    void save() const;

    /// Puts `path` first; an equal entry further down is removed, the oldest
    /// falls off beyond four.
    void add(const QString& path);
    void remove(const QString& path);
    const QStringList& files() const { return m_files; }

private:
    QStringList m_files;
};

} // namespace kvl::modelview
