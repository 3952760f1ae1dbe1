#include "common/qt/profilefolder.h"

#include <QByteArray>
#include <QSettings>

#include <type_traits>

namespace kvl::qt {

std::filesystem::path rememberedFolder(const QString& organisation, const QString& application, const QString& key)
{
    const QSettings settings(organisation, application);
    // On Windows the name is text (UTF-16), so it is kept as text.
    if constexpr (std::is_same_v<std::filesystem::path::value_type, wchar_t>)
        return std::filesystem::path(settings.value(key).toString().toStdWString());
    else
        return std::filesystem::path(settings.value(key).toByteArray().toStdString());
}

void rememberFolder(
    const QString& organisation, const QString& application, const QString& key, const std::filesystem::path& folder)
{
    QSettings settings(organisation, application);
    // The file system's own bytes, not text: a folder named in a
    // single-byte code page must come back as the same folder.
    if constexpr (std::is_same_v<std::filesystem::path::value_type, wchar_t>)
        settings.setValue(key, QString::fromStdWString(folder.wstring()));
    else
        settings.setValue(key, QByteArray::fromStdString(folder.string()));
}

LastFolder profileLastFolder(const QString& organisation, const QString& application)
{
    const QString key = QString::fromLatin1(kLastFolderKey);
    return LastFolder(rememberedFolder(organisation, application, key),
        [organisation, application, key](
            const std::filesystem::path& folder) { rememberFolder(organisation, application, key, folder); });
}

} // namespace kvl::qt
