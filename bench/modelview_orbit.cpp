// Frame time while orbiting: the OpenGL view at 1280 x 1024 showing the
// largest model the VKM limits allow (255 points, 255 elements of 20
// vertices), turned a little before every frame, as a left drag does.
// Prints the median and 90th percentile of the time between finished frames,
// and the same for the software picture (the view without OpenGL).
// Run under Xvfb with Mesa's software renderer: bench/modelview_orbit.sh.
#include "modelview/modelcanvas.h"
#include "modelview/modeldocument.h"
#include "modelview/modelviewwidget.h"
#include "modelview/softpicture.h"
#include "modelview/testing/vkmbuilder.h"
#include "modelview/viewcontroller.h"
#include "modelview/viewoptionspanel.h"

#include "common/fileimage.h"
#include "common/testing/fakewindowhost.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace kvl::modelview;

namespace {

std::vector<std::uint8_t> largestModel()
{
    kvl::test::VkmBuilder b;
    // Points on a sphere of radius 120 (inside the designed camera's view).
    for (int i = 0; i < 255; ++i) {
        const double t = std::acos(1 - 2 * (i + 0.5) / 255), p = i * 2.399963;
        b.point(int(120 * std::sin(t) * std::cos(p)), int(120 * std::cos(t)), int(120 * std::sin(t) * std::sin(p)));
    }
    for (int e = 0; e < 255; ++e) {
        std::vector<std::uint8_t> idx;
        for (int k = 0; k < 20; ++k)
            idx.push_back(std::uint8_t((e * 7 + k * 13) % 255));
        b.element(kvl::test::VkmBuilder::polygon(idx));
    }
    return b.build();
}

void report(const char* what, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    std::printf("%s: %zu frames, median %.2f ms, 90th percentile %.2f ms\n", what, ms.size(), ms[ms.size() / 2],
        ms[ms.size() * 9 / 10]);
}

} // namespace

int main(int argc, char* argv[])
{
    prepareOpenGl();
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("largest.vkm"));
    if (!kvl::writeFileImage(path.toStdString(), largestModel()))
        return 1;
    kvl::test::FakeWindowHost<> host;
    ModelDocument doc(host);
    ViewOptionsPanel options;
    ModelView view(&doc);
    view.setOptions(options.options());
    view.resize(1280, 1024);
    view.show();

    constexpr int kFrames = 300;
    std::vector<double> times;
    QElapsedTimer clock;
    bool loaded = false;
    QObject::connect(&view, &ModelView::frameSwapped, &app, [&] {
        if (!loaded) {
            if (!doc.open(path.toStdString(), view.pointSizes()))
                QCoreApplication::exit(1);
            view.controller()->modelChanged();
            loaded = true;
            clock.start();
            return;
        }
        times.push_back(double(clock.nsecsElapsed()) / 1e6);
        clock.restart();
        if (int(times.size()) == kFrames) {
            QCoreApplication::quit();
            return;
        }
        view.controller()->orbit(1.5, 0.5); // repaints
    });
    QTimer::singleShot(120000, &app, [] { QCoreApplication::exit(2); });
    if (app.exec() != 0)
        return 1;
    // The frames must have been of the full size.
    const QSize drawn = view.canvas()->size() * view.canvas()->devicePixelRatio();
    if (drawn != QSize(1280, 1024)) {
        std::fprintf(stderr, "the view drew %dx%d pixels, not 1280x1024\n", drawn.width(), drawn.height());
        return 1;
    }
    times.erase(times.begin(), times.begin() + 10); // warm-up
    report("OpenGL view, orbiting, 1280x1024", times);

    // The software picture of the same frames.
    Camera camera;
    camera.setExtent(summarize(*doc.model()));
    std::vector<double> soft;
    for (int i = 0; i < 100; ++i) {
        camera.orbit(1.5, 0.5);
        clock.restart();
        const Picture p = renderPicture(doc.model(), ViewMode::Perspective, camera, {}, 1280, 1024);
        soft.push_back(double(clock.nsecsElapsed()) / 1e6);
        if (p.pixels.empty())
            return 1;
    }
    report("software picture, orbiting, 1280x1024", soft);
    return 0;
}
