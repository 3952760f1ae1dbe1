// The least a Qt program does to write a PNG picture: a QGuiApplication on
// the offscreen platform, a black 256 x 256 image, saved. The yardstick for
// modelview --export-png (bench/modelview_export.sh).
#include <QGuiApplication>
#include <QImage>

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QImage image(256, 256, QImage::Format_RGB32);
    image.fill(Qt::black);
    return image.save(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("minimal.png"), "PNG") ? 0 : 1;
}
