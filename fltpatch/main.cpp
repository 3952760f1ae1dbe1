// fltpatch: the flight-model file editor.
//
//   fltpatch [FILE.flt] [--quit-when-loaded]
//
// Without FILE the file dialog opens at start, in the current folder. The
// second option closes the window as soon as the file is shown (for timing).
#include "fltpatch/fltwindow.h"

#include <QApplication>
#include <QDir>
#include <QStringList>
#include <QTimer>

#include <cstdio>
#include <filesystem>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("fltpatch"));

    QString file;
    bool quitWhenLoaded = false;
    const QStringList args = QApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--quit-when-loaded")) {
            quitWhenLoaded = true;
        } else if (args[i] == QLatin1String("--help") || args[i] == QLatin1String("-h")) {
            std::printf("usage: fltpatch [FILE.flt] [--quit-when-loaded]\n");
            return 0;
        } else if (file.isEmpty()) {
            file = args[i];
        }
    }

    fltpatch::FltWindow window;
    window.show();
    window.startUp(std::filesystem::path(QDir::currentPath().toStdString()), std::filesystem::path(file.toStdString()));
    if (quitWhenLoaded)
        QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
