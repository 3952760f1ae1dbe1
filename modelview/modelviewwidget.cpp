#include "modelview/modelviewwidget.h"

#include "modelview/modeldocument.h"
#include "modelview/viewoptionspanel.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QPainter>

#include <GL/gl.h>
#include <GL/glu.h>

namespace kvl::modelview {

namespace {

// Near plane as the single-precision value the camera has always used.
constexpr float kNear = 0.01f;
constexpr double kFar = 1000.0;
constexpr double kFieldOfView = 45.0;
constexpr float kEyeDistance = 300.0f;

// A stored point (y, z, x) is drawn at OpenGL (x, y, z).
void vertexAt(const VkmModel& model, int index)
{
    const VkmPoint p = model.point(index);
    glVertex3f(float(p.x), float(p.y), float(p.z));
}

} // namespace

ModelView::ModelView(const ModelDocument* doc, QWidget* parent) : QOpenGLWidget(parent), m_doc(doc)
{
    setObjectName(QStringLiteral("CVKMStudioView"));
    setAccessibleName(QStringLiteral("Model view"));
    setFormat(requestedFormat());
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
    if (m_options)
        disconnect(m_options, nullptr, this, nullptr);
    m_options = options;
    if (options)
        connect(options, &ViewOptionsPanel::viewChanged, this, qOverload<>(&QWidget::update));
    update();
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
    const std::optional<ViewMode> mode = m_options ? viewModeFromIndex(m_options->selectedView()) : std::nullopt;
    if (!model || !mode) {
        // Without a model the picture is black. Without the panel the frame
        // buffer would keep whatever it held, so it is cleared as well.
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        return;
    }
    if (*mode == ViewMode::Perspective)
        drawPerspective(*model);
    else
        drawOverview(*model, *mode);
    glFlush();
}

void ModelView::drawPerspective(const VkmModel& model)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(kFieldOfView, double(m_width) / double(m_height), kNear, kFar);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -kEyeDistance);

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawNodes(model);

    // Polygons are outlines; back faces (clockwise once the vertex order is
    // reversed) are culled.
    glColor3f(1.0f, 1.0f, 1.0f);
    glEnable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, model.textureName());
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_TEXTURE_2D);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    drawElements(model);
    glDisable(GL_CULL_FACE);
}

void ModelView::drawOverview(const VkmModel& model, ViewMode mode)
{
    const ModelSummary summary = summarize(model);
    const OrthoCamera cam = fitOrtho(summary, mode, m_width, m_height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(cam.left, cam.right, cam.bottom, cam.top, cam.zNear, cam.zFar);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (cam.lookDown)
        glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    glTranslatef(-cam.centre[0], -cam.centre[1], -cam.centre[2]);

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawNodes(model);
    // Overviews show every outline, front or back.
    glColor3f(1.0f, 1.0f, 1.0f);
    glDisable(GL_CULL_FACE);
    glDisable(GL_TEXTURE_2D);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    drawElements(model);

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
    glFlush();
    if (mode == ViewMode::Size)
        drawSizeText(summary);
}

void ModelView::drawNodes(const VkmModel& model)
{
    const PointSizeRange& sizes = model.pointSizes();
    glEnable(GL_POINT_SMOOTH);
    glDisable(GL_TEXTURE_2D);
    glPointSize(sizes.granularity * 5.0f + sizes.minimum);
    glColor3f(1.0f, 0.0f, 0.0f);
    glBegin(GL_POINTS);
    for (int i = 0; i < model.pointCount(); ++i)
        vertexAt(model, i);
    glEnd();
}

void ModelView::drawElements(const VkmModel& model)
{
    const PointSizeRange& sizes = model.pointSizes();
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
            glPointSize(sizes.granularity * 20.0f + sizes.minimum);
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
    painter.setPen(QColor(255, 255, 0));
    const QFontMetrics metrics(painter.font());
    int y = metrics.ascent() + 6;
    for (const std::string& line : sizeReport(summary)) {
        painter.drawText(8, y, QString::fromStdString(line));
        y += metrics.height();
    }
}

} // namespace kvl::modelview
