#include "modelview/modelviewwidget.h"

#include "modelview/modeldocument.h"
#include "modelview/softpicture.h"
#include "modelview/viewcontroller.h"
#include "modelview/viewoptionspanel.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QPainter>

#include <GL/gl.h>

namespace kvl::modelview {

namespace {

// A stored point (y, z, x) is drawn at OpenGL (x, y, z).
void vertexAt(const VkmModel& model, int index)
{
    const VkmPoint p = model.point(index);
    glVertex3f(float(p.x), float(p.y), float(p.z));
}

void loadMatrices(const ViewMatrices& v)
{
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixd(v.projection.m.data());
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixd(v.modelView.m.data());
}

} // namespace

void prepareOpenGl()
{
    QSurfaceFormat::setDefaultFormat(ModelView::requestedFormat());
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

bool openGlAvailable()
{
    // These platforms draw windows into plain memory: even where they can
    // make a context (the offscreen one can, given an X display), they cannot
    // compose a QOpenGLWidget into a window.
    const QString platform = QGuiApplication::platformName();
    for (const char* raster : { "offscreen", "minimal", "linuxfb", "vnc" })
        if (platform == QLatin1String(raster))
            return false;
    // QGuiApplication made this context (of the default format) when it
    // started; the view's context is created sharing it, so if it could be
    // made the view's can too, and the driver is already loaded.
    if (const QOpenGLContext* shared = QOpenGLContext::globalShareContext())
        return shared->isValid();
    QOpenGLContext context;
    context.setFormat(ModelView::requestedFormat());
    if (!context.create())
        return false;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface))
        return false;
    context.doneCurrent();
    return true;
}

PointSizeRange softwarePointSizes()
{
    return { 1.0f, 255.0f, 0.1f };
}

ModelView::ModelView(const ModelDocument* doc, QWidget* parent)
    : QOpenGLWidget(parent),
      m_doc(doc),
      m_control(new ViewController(doc, this))
{
    setObjectName(QStringLiteral("CVKMStudioView"));
    setAccessibleName(QStringLiteral("Model view"));
    setFormat(requestedFormat());
    connect(m_control, &ViewController::changed, this, qOverload<>(&QWidget::update));
}

ModelView::~ModelView()
{
    // Release the context's hold on this widget before it goes.
    makeCurrent();
    doneCurrent();
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

void ModelView::setOptions(const ViewOptionsPanel* options)
{
    m_control->setOptions(options);
}

void ModelView::initializeGL()
{
    applyState();
    GLfloat range[2] = { 1.0f, 1.0f };
    GLfloat granularity = 0.0f;
    glGetFloatv(GL_POINT_SIZE_RANGE, range);
    glGetFloatv(GL_POINT_SIZE_GRANULARITY, &granularity);
    m_pointSizes.minimum = range[0];
    m_pointSizes.maximum = range[1];
    m_pointSizes.granularity = granularity;
    if (!m_glReady) {
        m_glReady = true;
        emit glReady();
    }
}

void ModelView::applyState()
{
    // Painting text with QPainter may leave a shader program and other state
    // behind, so the fixed-function state is set again before every frame.
    if (QOpenGLContext* ctx = QOpenGLContext::currentContext())
        ctx->functions()->glUseProgram(0);
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glDisable(GL_BLEND);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_STENCIL_TEST);
}

void ModelView::resizeGL(int w, int h)
{
    if (w <= 0 || h <= 0 || (window() && window()->isMinimized()))
        return;
    const qreal ratio = devicePixelRatioF();
    m_width = qMax(1, qRound(w * ratio));
    m_height = qMax(1, qRound(h * ratio));
}

void ModelView::paintGL()
{
    applyState();
    glViewport(0, 0, m_width, m_height);
    const VkmModel* model = m_doc ? m_doc->model() : nullptr;
    const std::optional<ViewMode> mode = m_control->mode();
    if (!model || !mode) {
        // Without a model the picture is black. Without the panel the frame
        // buffer would keep whatever it held, so it is cleared as well.
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        return;
    }
    drawModel(*model, *mode);
}

void ModelView::drawModel(const VkmModel& model, ViewMode mode)
{
    const ViewMatrices v = m_control->matrices(m_width, m_height);
    const RenderOptions& options = m_control->renderOptions();
    loadMatrices(v);

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (options.drawNodes)
        drawNodes(model);

    // Polygons are outlines. The perspective picture culls back faces
    // (clockwise once the vertex order is reversed) unless asked not to; the
    // overviews show every outline.
    glColor3f(1.0f, 1.0f, 1.0f);
    if (v.perspective && !options.showBackFaces)
        glEnable(GL_CULL_FACE);
    else
        glDisable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, model.textureName());
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_TEXTURE_2D);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    drawElements(model);
    glDisable(GL_CULL_FACE);

    const ModelSummary summary = mode == ViewMode::Size ? summarize(model) : ModelSummary {};
    if (mode == ViewMode::Size && summary.hasExtent) {
        glDisable(GL_TEXTURE_2D);
        glColor3f(1.0f, 1.0f, 0.0f);
        const auto& lo = summary.minimum;
        const auto& hi = summary.maximum;
        const float z = hi[2];
        glBegin(GL_LINE_LOOP);
        glVertex3f(lo[0], lo[1], z);
        glVertex3f(hi[0], lo[1], z);
        glVertex3f(hi[0], hi[1], z);
        glVertex3f(lo[0], hi[1], z);
        glEnd();
    }
    if (options.selection)
        drawSelection(model);
    glFlush();
    if (mode == ViewMode::Size)
        drawSizeText(summary);
}

void ModelView::drawNodes(const VkmModel& model)
{
    glEnable(GL_POINT_SMOOTH);
    glDisable(GL_TEXTURE_2D);
    glPointSize(nodeSize(m_control->renderOptions(), model.pointSizes()));
    glColor3f(1.0f, 0.0f, 0.0f);
    glBegin(GL_POINTS);
    for (int i = 0; i < model.pointCount(); ++i)
        vertexAt(model, i);
    glEnd();
}

void ModelView::drawElements(const VkmModel& model)
{
    glInitNames();
    glPushName(0);
    const auto& elements = model.elements();
    for (std::size_t j = 0; j < elements.size(); ++j) {
        const DecodedElement& e = elements[j];
        glLoadName(GLuint(j));
        if (isPolygonType(e.type)) {
            // The file stores outlines the other way round; issuing the
            // vertices last to first makes clockwise-stored faces front faces.
            glBegin(GL_POLYGON);
            for (int k = e.count - 1; k >= 0; --k) {
                glTexCoord2f(e.s[k] / 255.0f, (255 - e.t[k]) / 255.0f);
                vertexAt(model, e.indices[k]);
            }
            glEnd();
        } else if (e.type == kTypeMarker) {
            glEnable(GL_POINT_SMOOTH);
            glDisable(GL_TEXTURE_2D);
            glPointSize(markerSize(model.pointSizes()));
            glColor3f(0.0f, 0.0f, 1.0f);
            glBegin(GL_POINTS);
            vertexAt(model, e.indices[0]);
            glEnd();
            glColor3f(1.0f, 1.0f, 1.0f);
            glDisable(GL_POINT_SMOOTH);
            glEnable(GL_TEXTURE_2D);
        }
    }
    glPopName();
}

void ModelView::drawSelection(const VkmModel& model)
{
    // Over everything, hidden or not, in the highlight colour.
    const Selection s = *m_control->renderOptions().selection;
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_TEXTURE_2D);
    glColor3f(0.0f, 1.0f, 1.0f);
    glEnable(GL_POINT_SMOOTH);
    if (s.kind == Selection::Kind::Node && s.index < model.pointCount()) {
        glPointSize(nodeSize(m_control->renderOptions(), model.pointSizes()) + 4);
        glBegin(GL_POINTS);
        vertexAt(model, s.index);
        glEnd();
    } else if (s.kind == Selection::Kind::Element && std::size_t(s.index) < model.elements().size()) {
        const DecodedElement& e = model.elements()[std::size_t(s.index)];
        if (isPolygonType(e.type)) {
            glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
            glBegin(GL_POLYGON);
            for (int k = e.count - 1; k >= 0; --k)
                vertexAt(model, e.indices[k]);
            glEnd();
        } else if (e.type == kTypeMarker) {
            glPointSize(markerSize(model.pointSizes()) + 4);
            glBegin(GL_POINTS);
            vertexAt(model, e.indices[0]);
            glEnd();
        }
    }
    glEnable(GL_DEPTH_TEST);
}

void ModelView::drawSizeText(const ModelSummary& summary)
{
    // Hand QPainter the default fixed-function state it expects: filled
    // polygons, no depth test, no culling, no smoothing.
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_POINT_SMOOTH);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    QPainter painter(this);
    ViewController::paintSizeText(painter, summary);
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

void SoftwareModelView::setOptions(const ViewOptionsPanel* options)
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
