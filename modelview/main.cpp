// modelview: shows a VKM or .3DB model file in a 3D window. The command line
// is described in modelviewoptions.h.
// --quit-after-load ends the program once MODEL is loaded (status 0) or has
// been refused (status 1), for scripts and timing runs; without MODEL, once
// the window is shown. Its messages then go to standard error instead of
// message boxes, so nothing waits for a click.
// --export-png writes the picture of MODEL and ends (status 0, or 1 when the
// model or the picture fails) without a window; it needs no display.
// The command line is checked before any window system is touched, so
// --help, --version and usage errors need no display either.
#include "common/qt/qtwindowhost.h"
#include "modelview/modelexport.h"
#include "modelview/modelviewoptions.h"
#include "modelview/modelviewwidget.h"
#include "modelview/modelviewwindow.h"
#include "modelview/recentfiles.h"

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

struct Options {
    QString quitAfterLoad = QStringLiteral("quit-after-load");
    QString exportPng = QStringLiteral("export-png");
    QString size = QStringLiteral("size");
    QString view = QStringLiteral("view");

    void addTo(QCommandLineParser& parser) const
    {
        parser.setApplicationDescription(
            QStringLiteral("Shows a VKM or .3DB model file in a 3D window.\n\n"
                           "Examples:\n"
                           "  modelview FIGHTER.VKM\n"
                           "  modelview FIGHTER.3DB\n"
                           "  modelview --quit-after-load FIGHTER.VKM && echo valid\n"
                           "  modelview --export-png fighter.png --size 512x512 FIGHTER.3DB"));
        kvl::qt::addOptions(parser, kvl::modelview::kCommandLine);
    }
};

// Checks what the parser holds beyond Qt's own rules. The exit status when
// the program should end (0 for --help/--version, 2 for a usage error).
std::optional<int> check(QCommandLineParser& parser, const Options& o, const QStringList& args)
{
    o.addTo(parser);
    if (const std::optional<int> status = kvl::qt::parseCommandLine(parser, args))
        return status;
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return kvl::qt::usageError(QStringLiteral("one model file at most, not %1").arg(files.size()));
    const bool exporting = parser.isSet(o.exportPng);
    if (exporting && files.isEmpty())
        return kvl::qt::usageError(QStringLiteral("--export-png needs a MODEL to draw"));
    if (exporting && parser.isSet(o.quitAfterLoad))
        return kvl::qt::usageError(QStringLiteral("--export-png and --quit-after-load do not go together"));
    if (!exporting && (parser.isSet(o.size) || parser.isSet(o.view)))
        return kvl::qt::usageError(QStringLiteral("--size and --view go with --export-png"));
    if (!kvl::modelview::sizeFromText(parser.value(o.size).toStdString()))
        return kvl::qt::usageError(
            QStringLiteral("--size takes WxH, each from 1 to 8192, not '%1'").arg(parser.value(o.size)));
    if (!kvl::modelview::viewModeFromName(parser.value(o.view).toStdString()))
        return kvl::qt::usageError(
            QStringLiteral("--view takes perspective, front, top or size, not '%1'").arg(parser.value(o.view)));
    return std::nullopt;
}

int exportPicture(const QCommandLineParser& parser, const Options& o)
{
    using namespace kvl::modelview;
    ConsoleHost console;
    ModelDocument doc(console);
    const QString file = parser.positionalArguments().value(0);
    if (!doc.open(kvl::qt::toPath(file), softwarePointSizes()))
        return 1;
    const QImage picture = modelPicture(
        doc, *viewModeFromName(parser.value(o.view).toStdString()), *sizeFromText(parser.value(o.size).toStdString()));
    if (const kvl::Result<void> written = writePicture(picture, parser.value(o.exportPng).toStdString()); !written) {
        std::fprintf(stderr, "modelview: %s\n", written.error().message.c_str());
        return 1;
    }
    return 0;
}

void nameApplication()
{
    kvl::modelview::modelviewProfile().nameApplication();
}

} // namespace

int main(int argc, char* argv[])
{
    const Options options;
    bool exporting = false;
    {
        // Checked first under an application object that needs no window
        // system: help, version and usage errors end here without a display.
        QCoreApplication core(argc, argv);
        nameApplication();
        QCommandLineParser parser;
        if (const std::optional<int> status = check(parser, options, QCoreApplication::arguments()))
            return *status;
        exporting = parser.isSet(options.exportPng);
    }
    if (exporting) {
        {
            // The picture is drawn in memory; the text of the "Size" figures
            // needs fonts, which the offscreen platform gives without a display.
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            QGuiApplication app(argc, argv);
            nameApplication();
            QCommandLineParser parser;
            if (const std::optional<int> status = check(parser, options, QGuiApplication::arguments()))
                return *status;
            return exportPicture(parser, options);
        }
    }

    kvl::modelview::prepareOpenGl();
    QApplication app(argc, argv);
    nameApplication();
    QCommandLineParser parser;
    if (const std::optional<int> status = check(parser, options, QApplication::arguments()))
        return *status;
    const QString file = parser.positionalArguments().value(0);

    const bool unattended = parser.isSet(options.quitAfterLoad);
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
