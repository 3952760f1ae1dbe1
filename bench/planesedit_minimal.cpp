// The reference for planesedit's timings: the least a Qt 6 program can do to
// show a 169 x 5 text grid. With --quit it ends as soon as the window is shown.
#include <QApplication>
#include <QTableWidget>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTableWidget table(169, 5);
    for (int r = 0; r < 169; ++r)
        for (int c = 0; c < 5; ++c)
            table.setItem(r, c, new QTableWidgetItem(QString::number(r * 5 + c)));
    table.resize(400, 800);
    table.show();
    if (QApplication::arguments().contains(QStringLiteral("--quit")))
        QTimer::singleShot(0, &app, [] {
            QApplication::processEvents();
            QApplication::quit();
        });
    return QApplication::exec();
}
