// The reference for planesedit's timings and memory: the least a Qt 6 program
// can do to show a 169 x 5 text grid, in a window of planesedit's own size
// (1560 x 960), so that both pay for the same drawing surface.
// With --quit it ends once the grid has been drawn for the first time, as
// planesedit --quit-after-load ends once its window is on the screen.
#include <QApplication>
#include <QTableWidget>
#include <QTimer>

namespace {

class QuitAfterFirstPaint : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            QTimer::singleShot(0, qApp, &QApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_done = false;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTableWidget table(169, 5);
    for (int r = 0; r < 169; ++r)
        for (int c = 0; c < 5; ++c)
            table.setItem(r, c, new QTableWidgetItem(QString::number(r * 5 + c)));
    table.resize(1560, 960);
    QuitAfterFirstPaint quitter;
    if (QApplication::arguments().contains(QStringLiteral("--quit")))
        table.viewport()->installEventFilter(&quitter);
    table.show();
    return QApplication::exec();
}
