// modelview: shows a VKM model file in a 3D window.
//   modelview [--quit-after-load] [MODEL]
// --quit-after-load ends the program once MODEL is loaded (status 0) or has
// been refused (status 1), for scripts and timing runs; without MODEL, once
// the window is shown. Its messages then go to standard error instead of
// message boxes, so nothing waits for a click.
#include "common/qt/qtwindowhost.h"
#include "modelview/modelviewwidget.h"
#include "modelview/modelviewwindow.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

namespace {

// The host of an unattended run: messages are printed, dialogs are cancelled.
class ConsoleHost : public kvl::WindowHost {
public:
    kvl::MessageAnswer showMessage(const kvl::Message& message, kvl::MessageButtons) override
    {
        std::fprintf(stderr, "modelview: %s %s\n", message.title.c_str(), message.text.c_str());
        return kvl::MessageAnswer::Cancel;
    }
    std::filesystem::path chooseFile(const kvl::FileDialogRequest&) override { return {}; }
};

} // namespace

int main(int argc, char* argv[])
{
    QSurfaceFormat::setDefaultFormat(kvl::modelview::ModelView::requestedFormat());
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("modelview"));
    QApplication::setOrganizationName(QStringLiteral("VKM! Studio"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Shows a VKM model file in a 3D window.\n\n"
                                                    "Examples:\n"
                                                    "  modelview FIGHTER.VKM\n"
                                                    "  modelview --quit-after-load FIGHTER.VKM && echo valid"));
    parser.addPositionalArgument(
        QStringLiteral("model"), QStringLiteral("The VKM model file to open."), QStringLiteral("[MODEL]"));
    const QCommandLineOption quitAfterLoad = kvl::qt::quitAfterLoadOption();
    parser.addOption(quitAfterLoad);
    if (const std::optional<int> status = kvl::qt::parseCommandLine(parser, QApplication::arguments()))
        return *status;
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return kvl::qt::usageError(QStringLiteral("one model file at most, not %1").arg(files.size()));
    const QString file = files.value(0);

    const bool unattended = parser.isSet(quitAfterLoad);
    ConsoleHost console;
    kvl::modelview::ModelViewWindow window(unattended ? &console : nullptr);
    if (unattended) {
        if (file.isEmpty())
            QTimer::singleShot(0, &app, [] { QCoreApplication::exit(0); });
        else
            QObject::connect(
                &window, &kvl::modelview::ModelViewWindow::documentLoaded, &app,
                [](bool ok) { QCoreApplication::exit(ok ? 0 : 1); }, Qt::QueuedConnection);
    }
    window.start(file);
    return QApplication::exec();
}
