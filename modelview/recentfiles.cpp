#include "modelview/recentfiles.h"

#include "modelview/modeldocument.h"

#include <QFileInfo>
#include <QSettings>

namespace kvl::modelview {

namespace {

const QString kSection = QStringLiteral("Recent File List");

QString canonical(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() ? info.absoluteFilePath() : path;
}

} // namespace

qt::Profile modelviewProfile()
{
    return { QString::fromLatin1(kAppTitle), QStringLiteral("modelview") };
}

void RecentFileList::load()
{
    m_files.clear();
    const qt::Profile profile = modelviewProfile();
    QSettings settings(profile.organisation, profile.application);
    settings.beginGroup(kSection);
    for (int i = 1; i <= kSize; ++i) {
        const QString file = settings.value(QStringLiteral("File%1").arg(i)).toString();
        if (!file.isEmpty() && !m_files.contains(file))
            m_files.append(file);
    }
}

void RecentFileList::save() const
{
    const qt::Profile profile = modelviewProfile();
    QSettings settings(profile.organisation, profile.application);
    settings.beginGroup(kSection);
    for (int i = 1; i <= kSize; ++i) {
        const QString key = QStringLiteral("File%1").arg(i);
        if (i <= m_files.size())
            settings.setValue(key, m_files.at(i - 1));
        else
            settings.remove(key);
    }
}

void RecentFileList::add(const QString& path)
{
    const QString full = canonical(path);
    m_files.removeAll(full);
    m_files.prepend(full);
    while (m_files.size() > kSize)
        m_files.removeLast();
}

void RecentFileList::remove(const QString& path)
{
    // `path` may be one of our own entries; keep copies before erasing.
    const QString given = path;
    const QString full = canonical(given);
    m_files.removeAll(full);
    m_files.removeAll(given);
}

} // namespace kvl::modelview
