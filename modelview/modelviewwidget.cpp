// The model view widgets, and what they need to know of OpenGL before they draw.
#include "modelview/modelviewwidget.h"

#include "modelview/modelcanvas.h"
#include "modelview/modeldocument.h"
#include "modelview/softpicture.h"
#include "modelview/viewcontroller.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QPainter>
#include <QVBoxLayout>

#include <memory>

namespace kvl::modelview {

void prepareOpenGl()
{
    QSurfaceFormat::setDefaultFormat(ModelView::requestedFormat());
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

std::optional<PointSizeRange> openGlPointSizes()
{
    QOpenGLContext* context = QOpenGLContext::globalShareContext();
    std::unique_ptr<QOpenGLContext> own;
    if (!context) {
        own = std::make_unique<QOpenGLContext>();
        own->setFormat(ModelView::requestedFormat());
        if (!own->create())
            return std::nullopt;
        context = own.get();
    }
    if (!context->isValid())
        return std::nullopt;
    QOffscreenSurface surface;
    surface.setFormat(context->format());
    surface.create();
    if (!surface.isValid() || !context->makeCurrent(&surface))
        return std::nullopt;
    const PointSizeRange sizes = currentPointSizes();
    context->doneCurrent();
    return sizes;
}

bool openGlAvailable()
{
    // These platforms draw windows into plain memory: even where they can
    // make a context (the offscreen one can, given an X display), they cannot
    // show an OpenGL window.
    const QString platform = QGuiApplication::platformName();
    for (const char* raster : { "offscreen", "minimal", "linuxfb", "vnc" })
        if (platform == QLatin1String(raster))
            return false;
    // QGuiApplication made this context (of the default format) when it
    // started; the view's context is created sharing it, so if it could be
    // made the view's can too, and the driver is already loaded.
    if (const QOpenGLContext* shared = QOpenGLContext::globalShareContext())
        return shared->isValid();
    return openGlPointSizes().has_value();
}

PointSizeRange softwarePointSizes()
{
    return { 1.0f, 255.0f, 0.1f };
}

ModelView::ModelView(const ModelDocument* doc, QWidget* parent)
    : QWidget(parent),
      m_control(new ViewController(doc, this)),
      m_canvas(new ModelCanvas(doc, m_control, this))
{
    setObjectName(QStringLiteral("CVKMStudioView"));
    setAccessibleName(QStringLiteral("Model view"));
    // The canvas gets the buffers the view has always drawn into: a texture
    // widget's frame buffer object has 24 bits of depth with the 8 of stencil,
    // whatever depth was asked for. Asked for 32 bits with a stencil, which
    // Mesa does not offer on X11, a window loses double buffering instead:
    // each frame would be drawn on the screen as it goes.
    QSurfaceFormat format = requestedFormat();
    format.setDepthBufferSize(24);
    m_canvas->setFormat(format);
    // The canvas fills the view. It takes no input, so the mouse and keys
    // reach this widget (and its controller); drops go on to the main
    // window, as they do over any other part of it.
    QWidget* holder = QWidget::createWindowContainer(m_canvas, this);
    holder->setAcceptDrops(false);
    holder->setFocusPolicy(Qt::NoFocus);
    holder->setAccessibleName(QStringLiteral("Model picture"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(holder);

    // Known now, a file can be opened before the first frame, which then
    // already shows it.
    if (const std::optional<PointSizeRange> sizes = openGlPointSizes()) {
        m_pointSizes = *sizes;
        m_glReady = true;
    }
    connect(m_canvas, &ModelCanvas::initialized, this, &ModelView::contextCreated);
    connect(m_canvas, &QOpenGLWindow::frameSwapped, this, &ModelView::frameSwapped);
    connect(m_control, &ViewController::changed, this, &ModelView::scheduleFrame);
}

QSurfaceFormat ModelView::requestedFormat()
{
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    format.setAlphaBufferSize(0);
    format.setDepthBufferSize(32);
    format.setStencilBufferSize(8);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    return format;
}

void ModelView::setOptions(const ViewOptions& options)
{
    m_control->setOptions(options);
}

QImage ModelView::grabFramebuffer()
{
    return m_canvas->renderPicture();
}

void ModelView::scheduleFrame()
{
    // A window's update() waits for the platform's next update tick (5 ms
    // on X11) before it draws; a widget is drawn from the next turn of the
    // event loop. The canvas is drawn as a widget would be, or every frame of
    // a turn would wait that long. Further requests before it is drawn cost
    // nothing: the first one draws everything that changed.
    m_canvas->update();
    if (m_canvas->isExposed())
        QCoreApplication::postEvent(m_canvas, new QEvent(QEvent::UpdateRequest), Qt::LowEventPriority);
}

void ModelView::contextCreated(const PointSizeRange& sizes)
{
    m_pointSizes = sizes;
    if (!m_glReady) {
        m_glReady = true;
        emit glReady();
    }
}

SoftwareModelView::SoftwareModelView(const ModelDocument* doc, QWidget* parent)
    : QWidget(parent),
      m_doc(doc),
      m_control(new ViewController(doc, this))
{
    setObjectName(QStringLiteral("CVKMStudioView"));
    setAccessibleName(QStringLiteral("Model view"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(m_control, &ViewController::changed, this, qOverload<>(&QWidget::update));
}

void SoftwareModelView::setOptions(const ViewOptions& options)
{
    m_control->setOptions(options);
}

QImage SoftwareModelView::picture() const
{
    const QSize size = m_control->deviceSize();
    const VkmModel* model = m_doc ? m_doc->model() : nullptr;
    const std::optional<ViewMode> mode = m_control->mode();
    const Picture p = renderPicture(mode ? model : nullptr, mode.value_or(ViewMode::Perspective), m_control->camera(),
        m_control->renderOptions(), size.width(), size.height(), m_control->topReserve());
    QImage image(reinterpret_cast<const uchar*>(p.pixels.data()), p.width, p.height, p.width * 4, QImage::Format_RGB32);
    image = image.copy();
    if (model && mode == ViewMode::Size) {
        image.setDevicePixelRatio(devicePixelRatioF());
        QPainter painter(&image);
        painter.setFont(font());
        ViewController::paintSizeText(painter, summarize(*model));
    }
    image.setDevicePixelRatio(devicePixelRatioF());
    return image;
}

void SoftwareModelView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), picture());
}

} // namespace kvl::modelview
