// The smallest window comparable to the flight editor: a 329-row, 5-column
// table filled with text, shown, then closed on the first turn of the event
// loop. bench/fltpatch_startup.sh times it against `fltpatch --quit-after-load`.
#include <QApplication>
#include <QTableWidget>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTableWidget table(329, 5);
    for (int row = 0; row < 329; ++row)
        for (int column = 0; column < 5; ++column)
            table.setItem(row, column, new QTableWidgetItem(QString::number(row * 5 + column)));
    table.resize(1000, 720);
    table.show();
    QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
