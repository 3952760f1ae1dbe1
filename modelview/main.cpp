// modelview: shows a VKM model file in a 3D window.
#include "modelview/mainframe.h"
#include "modelview/vkmview.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QSurfaceFormat::setDefaultFormat(kvl::modelview::CVKMStudioView::requestedFormat());
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("modelview"));
    QApplication::setOrganizationName(QStringLiteral("VKM! Studio"));
    QStringList args = QApplication::arguments();
    args.removeFirst();
    auto frame = kvl::modelview::startModelview(args);
    return app.exec();
}
