// modelview's own start-up (the same code as the program) with the model
// named on the command line, ending at the first frame painted with the
// model. With --write-sample FILE it only writes the sample fighter.
#include "modelview/modelviewwidget.h"
#include "modelview/modelviewwindow.h"
#include "modelview/testing/samplefighter.h"

#include "common/fileimage.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[])
{
    using namespace kvl::modelview;
    if (argc == 3 && std::string(argv[1]) == "--write-sample")
        return kvl::writeFileImage(argv[2], kvl::test::sampleFighter()) ? 0 : 1;

    prepareOpenGl();
    QApplication app(argc, argv);
    auto frame = startModelview(QApplication::arguments().value(1));
    QObject::connect(frame->view(), &ModelView::frameSwapped, &app, [&frame] {
        if (frame->document().model())
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    });
    // Never hang a timing run: give up after 20 s.
    QTimer::singleShot(20000, &app, [] { QCoreApplication::exit(2); });
    return app.exec();
}
