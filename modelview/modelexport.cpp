#include "modelview/modelexport.h"

#include "modelview/softpicture.h"
#include "modelview/viewcontroller.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QSaveFile>

#include <cctype>

namespace kvl::modelview {

QImage modelPicture(const ModelDocument& doc, ViewMode mode, QSize size)
{
    const VkmModel* model = doc.model();
    int reserve = 0;
    std::vector<std::string> lines;
    if (model && mode == ViewMode::Size) {
        lines = sizeReport(summarize(*model));
        reserve = 6 + int(lines.size()) * QFontMetrics(QGuiApplication::font()).height() + 6;
    }
    Camera camera;
    if (model)
        camera.setExtent(summarize(*model));
    const Picture p = renderPicture(model, mode, camera, RenderOptions {}, size.width(), size.height(), reserve);
    QImage image = QImage(
        reinterpret_cast<const uchar*>(p.pixels.data()), p.width, p.height, p.width * 4, QImage::Format_RGB32)
                       .copy();
    if (!lines.empty()) {
        QPainter painter(&image);
        painter.setFont(QGuiApplication::font());
        ViewController::paintSizeText(painter, summarize(*model));
    }
    return image;
}

std::optional<ViewMode> viewModeFromName(const std::string& name)
{
    std::string lower;
    for (char c : name)
        lower += char(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "perspective")
        return ViewMode::Perspective;
    if (lower == "front")
        return ViewMode::Front;
    if (lower == "size")
        return ViewMode::Size;
    if (lower == "top")
        return ViewMode::Top;
    return std::nullopt;
}

std::optional<QSize> sizeFromText(const std::string& text)
{
    const QString t = QString::fromStdString(text);
    const QStringList parts = t.split(QLatin1Char('x'), Qt::KeepEmptyParts, Qt::CaseInsensitive);
    if (parts.size() != 2)
        return std::nullopt;
    bool okW = false, okH = false;
    const int w = parts[0].toInt(&okW), h = parts[1].toInt(&okH);
    if (!okW || !okH || w < 1 || h < 1 || w > 8192 || h > 8192)
        return std::nullopt;
    return QSize(w, h);
}

Result<void> writePicture(const QImage& picture, const std::string& path)
{
    // Whole or nothing: a failed write leaves no half-written file.
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly))
        return Error { "cannot write " + path + ": " + file.errorString().toStdString(), 0 };
    if (!picture.save(&file, "PNG") || !file.commit())
        return Error { "cannot write " + path + ": " + file.errorString().toStdString(), 0 };
    return {};
}

} // namespace kvl::modelview
