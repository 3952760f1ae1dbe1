// Renders models through the real view under the X server and reads the
// frame back.
#include "modelview/modelcanvas.h"
#include "modelview/modeldocument.h"
#include "modelview/modelexport.h"
#include "modelview/modelviewwidget.h"
#include "modelview/softpicture.h"
#include "modelview/testing/samplefighter.h"
#include "modelview/testing/vkmbuilder.h"
#include "modelview/viewcontroller.h"
#include "modelview/viewoptionspanel.h"

#include "common/fileimage.h"
#include "common/testing/fakewindowhost.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace kvl::modelview;
using kvl::test::VkmBuilder;

namespace {

// Pixel counts and centre of mass of the pixels a predicate picks.
struct Blob {
    int count = 0;
    double x = 0;
    double y = 0;
};

template <typename Pred>
Blob find(const QImage& image, Pred pred, QRect within = {})
{
    if (within.isNull())
        within = image.rect();
    Blob b;
    for (int y = within.top(); y <= within.bottom(); ++y)
        for (int x = within.left(); x <= within.right(); ++x)
            if (pred(image.pixelColor(x, y))) {
                ++b.count;
                b.x += x;
                b.y += y;
            }
    if (b.count) {
        b.x /= b.count;
        b.y /= b.count;
    }
    return b;
}

bool isRed(const QColor& c)
{
    return c.red() > 80 && c.green() < 40 && c.blue() < 40;
}
bool isBlue(const QColor& c)
{
    return c.blue() > 80 && c.red() < 40 && c.green() < 40;
}
bool isWhite(const QColor& c)
{
    return c.red() > 150 && c.green() > 150 && c.blue() > 150;
}
bool isYellow(const QColor& c)
{
    return c.red() > 150 && c.green() > 150 && c.blue() < 60;
}
bool isLit(const QColor& c)
{
    return c.red() || c.green() || c.blue();
}

// The share of lit pixels of `a` that have a pixel of the same colour within
// one pixel in `b`.
double matchedShare(const QImage& a, const QImage& b)
{
    int lit = 0, matched = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb c = a.pixel(x, y) & 0xffffff;
            if (!c)
                continue;
            ++lit;
            bool found = false;
            for (int dy = -1; dy <= 1 && !found; ++dy)
                for (int dx = -1; dx <= 1 && !found; ++dx) {
                    const QPoint q(x + dx, y + dy);
                    found = b.rect().contains(q) && (b.pixel(q) & 0xffffff) == c;
                }
            matched += found;
        }
    return lit ? double(matched) / lit : 1.0;
}

} // namespace

class ViewTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    kvl::test::FakeWindowHost<> host;
    ModelDocument doc { host };
    ViewOptionsPanel* options = nullptr;
    ModelView* view = nullptr;
    int fileNo = 0;

    void open(const VkmBuilder& b)
    {
        const QString path = dir.filePath(QStringLiteral("m%1.vkm").arg(++fileNo));
        QVERIFY(kvl::writeFileImage(path.toStdString(), b.build()));
        QVERIFY(doc.open(path.toStdString(), view->pointSizes()).ok());
    }
    QImage frame() { return view->grabFramebuffer(); }
    void select(int entry) { options->viewList()->setCurrentIndex(entry); }

public:
    // Before the application exists, as the program does.
    static void initMain() { prepareOpenGl(); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        options = new ViewOptionsPanel;
        view = new ModelView(&doc);
        // As the window wires them: the panel sends what to draw.
        view->setOptions(options->options());
        connect(options, &ViewOptionsPanel::optionsChanged, view, &ModelView::setOptions);
        view->resize(400, 400);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view));
        QTRY_VERIFY(view->isGlReady());
        const PointSizeRange sizes = view->pointSizes();
        qInfo("point sizes: minimum %g, maximum %g, granularity %g", sizes.minimum, sizes.maximum, sizes.granularity);
    }
    void cleanupTestCase()
    {
        delete view;
        delete options;
    }
    void init()
    {
        select(0);
        doc.newDocument();
    }

    void emptyDocumentIsBlack()
    {
        QCOMPARE(find(frame(), isLit).count, 0);
        // Also after New following a model.
        VkmBuilder b;
        b.point(0, 0, 0);
        open(b);
        QVERIFY(find(frame(), isRed).count > 0);
        doc.newDocument();
        QCOMPARE(find(frame(), isLit).count, 0);
    }

    void pointIsDrawnAtXYFromStoredYZX()
    {
        VkmBuilder b;
        b.point(0, 10, 0); // stored (y, z, x) = (10, 0, 0)
        open(b);
        const QImage img = frame();
        const Blob red = find(img, isRed);
        QVERIFY(red.count > 0);
        // 10 units at 300 with a 45 degree field of view: 10 / (300 tan 22.5)
        // of the half height, about 16 pixels above the centre of 400.
        const double centre = img.height() / 2.0;
        QVERIFY2(std::abs(red.x - centre) < 2, qPrintable(QString::number(red.x)));
        QVERIFY2(std::abs((centre - red.y) - 16.1) < 2.5, qPrintable(QString::number(red.y)));
    }

    void clockwisePolygonIsDrawnCounterClockwiseIsCulled()
    {
        // Seen from the eye: bottom-left, top, bottom-right is clockwise.
        VkmBuilder cw;
        cw.point(-50, -50, 0);
        cw.point(0, 50, 0);
        cw.point(50, -50, 0);
        cw.element(VkmBuilder::polygon({ 0, 1, 2 }));
        open(cw);
        const int drawn = find(frame(), isWhite).count;
        QVERIFY2(drawn > 100, qPrintable(QString::number(drawn)));

        VkmBuilder ccw = cw;
        ccw.elements.clear();
        ccw.element(VkmBuilder::polygon({ 0, 2, 1 }));
        open(ccw);
        const QImage img = frame();
        QCOMPARE(find(img, isWhite).count, 0);
        QVERIFY(find(img, isRed).count > 0); // the nodes are still there
    }

    void markerIsLargerThanANode()
    {
        VkmBuilder b;
        b.point(-60, 0, 0);
        b.point(60, 0, 0);
        b.element(VkmBuilder::marker(1));
        open(b);
        const QImage img = frame();
        const Blob node = find(img, isRed);
        const Blob marker = find(img, isBlue);
        QVERIFY(node.count > 0);
        QVERIFY2(marker.count > node.count,
            qPrintable(QStringLiteral("node %1 marker %2").arg(node.count).arg(marker.count)));
        QVERIFY(node.x < img.width() / 2.0 && marker.x > img.width() / 2.0);
    }

    void frontViewFitsModelsTooLargeForThePerspective()
    {
        VkmBuilder b;
        b.point(-3000, 0, 0);
        b.point(3000, 0, 0);
        b.point(0, 1000, 0);
        b.element(VkmBuilder::polygon({ 0, 2, 1 })); // counter-clockwise stored
        open(b);
        QCOMPARE(find(frame(), isRed).count, 0); // all outside the fixed camera

        select(1);
        const QImage img = frame();
        const Blob red = find(img, isRed);
        QVERIFY(red.count > 0);
        QVERIFY(find(img, isRed, QRect(0, 0, 60, img.height())).count > 0);
        QVERIFY(find(img, isRed, QRect(img.width() - 60, 0, 60, img.height())).count > 0);
        // Nothing is culled in the overviews.
        QVERIFY(find(img, isWhite).count > 100);
    }

    void topViewLooksDownWithFarSideUp()
    {
        VkmBuilder b;
        b.point(0, 0, -100); // far from the eye
        b.point(50, 0, 100); // near
        b.element(VkmBuilder::marker(0));
        open(b);

        select(1); // Front: both on the centre line
        QImage img = frame();
        Blob red = find(img, isRed);
        Blob blue = find(img, isBlue);
        QVERIFY(blue.count > 0 && red.count > 0);
        QVERIFY(std::abs(blue.y - img.height() / 2.0) < 3);
        QVERIFY(std::abs(red.y - img.height() / 2.0) < 3);

        select(3); // Top: the far point is above the centre
        img = frame();
        red = find(img, isRed);
        blue = find(img, isBlue);
        QVERIFY(red.count > 0 && blue.count > 0);
        QVERIFY2(blue.y < img.height() / 2.0 - 50, qPrintable(QString::number(blue.y)));
        QVERIFY2(red.y > img.height() / 2.0 + 50, qPrintable(QString::number(red.y)));
        QVERIFY(blue.x < red.x);
    }

    void sizeViewDrawsTheBoundingBoxAndFigures()
    {
        VkmBuilder b;
        b.point(-40, -20, 0);
        b.point(40, 20, 0);
        b.element(VkmBuilder::polygon({ 0, 1, 0 }));
        b.element(VkmBuilder::marker(1));
        open(b);
        const QImage perspective = frame();
        select(2);
        const QImage img = frame();
        QVERIFY(find(img, isRed).count > 0);
        const int yellow = find(img, isYellow).count;
        QVERIFY2(yellow > 200, qPrintable(QString::number(yellow)));
        // The figures are written in the top-left corner.
        QVERIFY(find(img, isYellow, QRect(0, 0, 120, 30)).count > 10);
        // The text painter leaves nothing behind in the fixed-function state.
        select(0);
        QCOMPARE(frame(), perspective);
    }

    void emptySizesLeaveTheProjectionAndTheBoxesWork()
    {
        VkmBuilder b;
        b.point(0, 10, 0);
        b.point(80, -40, 0);
        b.element(VkmBuilder::marker(1));
        open(b);
        const QImage before = frame();
        // Sizes the window system may report on the way (minimising, a
        // collapsed splitter): ignored.
        view->canvas()->resizeGL(400, 0);
        view->canvas()->resizeGL(0, 300);
        QCOMPARE(frame(), before);

        // "Draw Textures" has nothing to draw; "Draw Nodes" hides the nodes
        // and nothing else, and brings back the designed picture.
        QTest::mouseClick(options->drawTextures(), Qt::LeftButton);
        QCOMPARE(frame(), before);
        options->drawNodes()->setChecked(false);
        QImage hidden = frame();
        QCOMPARE(find(hidden, isRed).count, 0);
        QVERIFY(find(hidden, isBlue).count > 0);
        options->drawNodes()->setChecked(true);
        QCOMPARE(frame(), before);
        // A larger node size makes the nodes larger.
        const int designed = find(before, isRed).count;
        options->nodeSize()->setValue(8.0);
        QVERIFY(find(frame(), isRed).count > designed * 4);
        options->nodeSize()->setValue(0.0);
        QCOMPARE(frame(), before);

        // A real change of size does move the picture.
        view->canvas()->resizeGL(800, 400);
        QVERIFY(frame() != before);
        view->canvas()->resizeGL(400, 400);
        QCOMPARE(frame(), before);
    }

    void backFacesAreShownWhenAsked()
    {
        VkmBuilder b;
        b.point(-50, -50, 0);
        b.point(0, 50, 0);
        b.point(50, -50, 0);
        b.element(VkmBuilder::polygon({ 0, 2, 1 })); // counter-clockwise: culled
        open(b);
        QCOMPARE(find(frame(), isWhite).count, 0);
        options->showBackFaces()->setChecked(true);
        QVERIFY(find(frame(), isWhite).count > 100);
        options->showBackFaces()->setChecked(false);
        QCOMPARE(find(frame(), isWhite).count, 0);
    }

    // The software picture (export, and the view without OpenGL) against
    // the OpenGL frame: the designed camera, a turned one, and a selection.
    void softwarePictureMatchesTheOpenGlFrame()
    {
        const QString path = dir.filePath(QStringLiteral("fighter.vkm"));
        QVERIFY(kvl::writeFileImage(path.toStdString(), kvl::test::sampleFighter()));
        QVERIFY(doc.open(path.toStdString(), view->pointSizes()).ok());
        ViewController* control = view->controller();
        control->modelChanged();
        auto compare = [&](const char* what) {
            const QImage gl = frame().convertToFormat(QImage::Format_RGB32);
            const Picture soft = renderPicture(doc.model(), ViewMode::Perspective, control->camera(),
                control->renderOptions(), gl.width(), gl.height());
            const QImage sw(reinterpret_cast<const uchar*>(soft.pixels.data()), soft.width, soft.height, soft.width * 4,
                QImage::Format_RGB32);
            const double glInSoft = matchedShare(gl, sw), softInGl = matchedShare(sw, gl);
            QVERIFY2(glInSoft > 0.95 && softInGl > 0.95,
                qPrintable(QStringLiteral("%1: %2 %3").arg(what).arg(glInSoft).arg(softInGl)));
        };
        compare("designed");
        // The export writes the same picture at the same size.
        const QImage exported = modelPicture(doc, ViewMode::Perspective, view->size());
        QVERIFY(matchedShare(frame().convertToFormat(QImage::Format_RGB32), exported) > 0.95);
        control->orbit(35, 20);
        control->zoomAt(1.6, QPointF(180, 220));
        compare("turned");
        control->pickAt(QPointF(200, 200));
        control->fitView();
        compare("fitted");
        control->modelChanged();
    }

    // What the screen shows is what the view draws: each frame reaches the
    // screen whole, the "Size" figures (written last) included.
    void theScreenShowsTheDrawnFrame()
    {
        const QString path = dir.filePath(QStringLiteral("shown.vkm"));
        QVERIFY(kvl::writeFileImage(path.toStdString(), kvl::test::sampleFighter()));
        QVERIFY(doc.open(path.toStdString(), view->pointSizes()).ok());
        view->controller()->modelChanged();
        auto shown = [this] {
            const QPoint at = view->mapToGlobal(QPoint(0, 0));
            return QGuiApplication::primaryScreen()
                ->grabWindow(0, at.x(), at.y(), view->width(), view->height())
                .toImage()
                .convertToFormat(QImage::Format_RGB32);
        };
        for (int entry : { 0, 2 }) {
            QSignalSpy swapped(view, &ModelView::frameSwapped);
            select(entry);
            view->controller()->resetView();
            QVERIFY(swapped.wait(5000));
            // frame() draws the picture again off the screen and reads it back.
            const QImage drawn = frame().convertToFormat(QImage::Format_RGB32);
            QVERIFY(find(drawn, isRed).count > 0);
            // The X server shows a swapped frame a moment after the swap
            // returns; once there, it is the frame drawn, whole.
            QTRY_VERIFY_WITH_TIMEOUT(shown() == drawn, 5000);
            // Reading a picture back leaves the screen alone.
            (void)frame();
            QVERIFY(shown() == drawn);
        }
    }

    void changingTheViewRepaints()
    {
        QSignalSpy swapped(view, &ModelView::frameSwapped);
        select(2);
        QVERIFY(swapped.wait(2000));
    }
};

QTEST_MAIN(ViewTest)
#include "modelviewwidget_test.moc"
