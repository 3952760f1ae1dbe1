// planesedit: edits one aircraft record of planes.dat in the current folder.
//   planesedit [--slot N] [--quit-after-load]
// --slot N chooses aircraft N (0..29) at start; --quit-after-load ends the
// program once the window is shown with that aircraft (for timing runs).
#include "planesedit/pelmora.h"

#include <QApplication>
#include <QTimer>

#include <filesystem>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("planesedit"));
    int slot = -1;
    bool quitAfterLoad = false;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--slot") && i + 1 < args.size()) {
            bool ok = false;
            const int s = args[++i].toInt(&ok);
            if (ok)
                slot = s;
        } else if (args[i] == QLatin1String("--quit-after-load")) {
            quitAfterLoad = true;
        }
    }
    std::error_code ec;
    auto folder = std::filesystem::current_path(ec);
    if (ec)
        folder = ".";
    planesedit::Pelmora form(folder);
    form.resize(1560, 960);
    form.show();
    if (slot >= 0 && slot < planesedit::kSlotCount) {
        form.core().chooseAircraft(slot);
        form.refresh();
    }
    if (quitAfterLoad) {
        QTimer::singleShot(0, &app, [&] {
            QApplication::processEvents();
            QApplication::quit();
        });
    }
    return QApplication::exec();
}
