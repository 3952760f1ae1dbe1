#include "common/qt/profilefolder.h"

#include "common/platform.h"

#include <QByteArray>
#include <QDir>
#include <QSettings>

namespace kvl::qt {

std::filesystem::path rememberedFolder(const QString& organisation, const QString& application, const QString& key)
{
    const QSettings settings(organisation, application);
    return kvl::platform::pathFromUtf8(settings.value(key).toByteArray().toStdString());
}

void rememberFolder(
    const QString& organisation, const QString& application, const QString& key, const std::filesystem::path& folder)
{
    QSettings settings(organisation, application);
    // The file system's own bytes on POSIX systems, not text: a folder named
    // in a single-byte code page must come back as the same folder.
    settings.setValue(key, QByteArray::fromStdString(kvl::platform::utf8FromPath(folder)));
}

LastFolder profileLastFolder(const QString& organisation, const QString& application)
{
    const QString key = QString::fromLatin1(kLastFolderKey);
    return LastFolder(rememberedFolder(organisation, application, key),
        [organisation, application, key](
            const std::filesystem::path& folder) { rememberFolder(organisation, application, key, folder); });
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
