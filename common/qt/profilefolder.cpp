#include "common/qt/profilefolder.h"

#include "common/platform.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QSettings>

namespace kvl::qt {

Profile Profile::ofSuite(const QString& application)
{
    return { QString::fromLatin1(kSuiteOrganisation), application };
}

void Profile::nameApplication() const
{
    QCoreApplication::setOrganizationName(organisation);
    QCoreApplication::setApplicationName(application);
}

std::filesystem::path Profile::folder(const QString& key) const
{
    const QSettings settings(organisation, application);
    return kvl::platform::pathFromUtf8(settings.value(key).toByteArray().toStdString());
}

void Profile::keepFolder(const QString& key, const std::filesystem::path& folder) const
{
    QSettings settings(organisation, application);
    // The file system's own bytes on POSIX systems, not text: a folder named
    // in a single-byte code page must come back as the same folder.
    settings.setValue(key, QByteArray::fromStdString(kvl::platform::utf8FromPath(folder)));
}

LastFolder Profile::lastFolder() const
{
    const QString key = QString::fromLatin1(kLastFolderKey);
    return LastFolder(
        folder(key), [profile = *this, key](const std::filesystem::path& chosen) { profile.keepFolder(key, chosen); });
}

std::optional<std::filesystem::path> Profile::workFolder(const QString& key, const std::filesystem::path& here,
    const std::function<std::optional<std::filesystem::path>(const std::filesystem::path& kept)>& find) const
{
    const std::filesystem::path kept = folder(key);
    std::optional<std::filesystem::path> found = find(kept);
    if (!found || *found == here)
        return found;
    if (*found != kept)
        keepFolder(key, *found);
    std::error_code ec;
    std::filesystem::current_path(*found, ec);
    return found;
}

QString titleNamingFolder(
    const QString& title, const std::filesystem::path& folder, const std::filesystem::path& startedIn)
{
    std::error_code ec;
    if (folder == startedIn || std::filesystem::equivalent(folder, startedIn, ec))
        return title;
    const QString shown = QString::fromStdString(platform::utf8FromPath(folder.lexically_normal()));
    return title + QStringLiteral(" - ") + QDir::toNativeSeparators(shown);
}

} // namespace kvl::qt
