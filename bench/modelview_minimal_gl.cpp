// The yardstick for modelview's start-up: a bare main window holding one
// OpenGL widget that clears to black, ending at its first painted frame.
#include <QApplication>
#include <QMainWindow>
#include <QOpenGLFunctions>
#include <QOpenGLWidget>
#include <QScreen>
#include <QTimer>

namespace {

class ClearWidget : public QOpenGLWidget, protected QOpenGLFunctions {
protected:
    void initializeGL() override { initializeOpenGLFunctions(); }
    void paintGL() override
    {
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
    }
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    auto* view = new ClearWidget;
    window.setCentralWidget(view);
    QObject::connect(
        view, &QOpenGLWidget::frameSwapped, &app, [] { QTimer::singleShot(0, qApp, &QCoreApplication::quit); });
    QTimer::singleShot(20000, &app, [] { QCoreApplication::exit(2); });
    // Filled to the screen the same way as modelview, with or without a
    // window manager to maximise it.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        window.setGeometry(screen->availableGeometry());
    window.showMaximized();
    return app.exec();
}
