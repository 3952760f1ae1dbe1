// The OpenGL view's drawing: the model in fixed-function OpenGL, frame by frame.
#include "modelview/modelcanvas.h"

#include "modelview/modeldocument.h"
#include "modelview/viewcontroller.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLPaintDevice>
#include <QPainter>
#include <QWidget>

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

// Every frame starts from black at the far plane. The stencil is cleared
// too although nothing draws with it: depth and stencil share one buffer,
// and a software implementation fills it in one sweep when both are cleared
// instead of keeping the stencil bits of every pixel.
void clearFrame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

} // namespace

PointSizeRange currentPointSizes()
{
    GLfloat range[2] = { 1.0f, 1.0f };
    GLfloat granularity = 0.0f;
    glGetFloatv(GL_POINT_SIZE_RANGE, range);
    glGetFloatv(GL_POINT_SIZE_GRANULARITY, &granularity);
    return { range[0], range[1], granularity };
}

ModelCanvas::ModelCanvas(const ModelDocument* doc, const ViewController* control, const QWidget* view)
    : QOpenGLWindow(QOpenGLWindow::NoPartialUpdate),
      m_doc(doc),
      m_control(control),
      m_view(view)
{
    // Input goes to the widgets under the canvas; it never takes the focus.
    setFlags(flags() | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus);
}

void ModelCanvas::initializeGL()
{
    applyState();
    emit initialized(currentPointSizes());
}

QImage ModelCanvas::renderPicture()
{
    if (!isValid())
        return {};
    makeCurrent();
    paintGL();
    return grabFramebuffer();
}

void ModelCanvas::applyState()
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

void ModelCanvas::resizeGL(int w, int h)
{
    if (w <= 0 || h <= 0 || m_view->window()->isMinimized())
        return;
    const qreal ratio = devicePixelRatio();
    m_width = qMax(1, qRound(w * ratio));
    m_height = qMax(1, qRound(h * ratio));
}

void ModelCanvas::paintGL()
{
    applyState();
    glViewport(0, 0, m_width, m_height);
    const VkmModel* model = m_doc ? m_doc->model() : nullptr;
    const std::optional<ViewMode> mode = m_control->mode();
    if (!model || !mode) {
        // Without a model the picture is black. Without the panel the frame
        // buffer would keep whatever it held, so it is cleared as well.
        clearFrame();
        return;
    }
    drawModel(*model, *mode);
}

void ModelCanvas::drawModel(const VkmModel& model, ViewMode mode)
{
    const ViewMatrices v = m_control->matrices(m_width, m_height);
    const RenderOptions& options = m_control->renderOptions();
    loadMatrices(v);

    clearFrame();
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

void ModelCanvas::drawNodes(const VkmModel& model)
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

void ModelCanvas::drawElements(const VkmModel& model)
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

void ModelCanvas::drawSelection(const VkmModel& model)
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

void ModelCanvas::drawSizeText(const ModelSummary& summary)
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
    // The painter draws into the bound frame buffer, in the view's font.
    QOpenGLPaintDevice device(size() * devicePixelRatio());
    device.setDevicePixelRatio(devicePixelRatio());
    QPainter painter(&device);
    painter.setFont(m_view->font());
    ViewController::paintSizeText(painter, summary);
}

} // namespace kvl::modelview
