// The OpenGL view: draws the document's model with the fixed-function
// pipeline - red node points, white polygon outlines, blue marker points on
// black - with the matrices of the shared camera (see ViewController), and
// the view used where OpenGL cannot be set up, which paints the software
// picture of the same matrices.
#pragma once

#include "modelview/viewplan.h"
#include "modelview/vkmmodel.h"

#include <QOpenGLWidget>
#include <QPointer>
#include <QSurfaceFormat>

namespace kvl::modelview {

class ModelDocument;
class ViewController;
class ViewOptionsPanel;

/// Before the QApplication exists: makes the view's format the default and
/// has the application create one context of that format at start-up, which
/// every view shares. openGlAvailable() then only looks at that context
/// instead of making a throw-away one (loading the driver twice over).
void prepareOpenGl();

/// True when an OpenGL context of the view's format can be had: the shared
/// context made after prepareOpenGl() is valid, or (without it) a context
/// can be created and made current on an offscreen surface. Where it cannot
/// (no OpenGL, or a platform such as "offscreen" that has none) a
/// QOpenGLWidget would crash on its first flush, so the window uses
/// SoftwareModelView instead.
bool openGlAvailable();

/// The point sizes the software picture uses: those of the software OpenGL
/// implementations (1 to 255 pixels in steps of 0.1), so its nodes look
/// as they do there.
PointSizeRange softwarePointSizes();

class ModelView : public QOpenGLWidget {
    Q_OBJECT
public:
    explicit ModelView(const ModelDocument* doc, QWidget* parent = nullptr);
    ~ModelView() override;

    /// The format the view asks for: RGBA 8/8/8, no alpha, depth 32 (or the
    /// nearest the platform gives), stencil 8, double buffered, with the
    /// compatibility profile so the fixed-function calls are there.
    static QSurfaceFormat requestedFormat();

    /// The panel whose View list decides what is drawn; null draws nothing.
    void setOptions(const ViewOptionsPanel* options);
    ViewController* controller() const { return m_control; }

    /// True once the rendering context exists and the point sizes are known.
    bool isGlReady() const { return m_glReady; }
    /// The implementation's smooth point size range and granularity.
    PointSizeRange pointSizes() const { return m_pointSizes; }

signals:
    /// The rendering context has been created (sent once).
    void glReady();

protected:
    void initializeGL() override;
    void resizeGL(int w, int h) override;
    void paintGL() override;

private:
    void applyState();
    void drawModel(const VkmModel& model, ViewMode mode);
    void drawNodes(const VkmModel& model);
    void drawElements(const VkmModel& model);
    void drawSelection(const VkmModel& model);
    void drawSizeText(const ModelSummary& summary);

    const ModelDocument* m_doc;
    ViewController* m_control;
    PointSizeRange m_pointSizes;
    bool m_glReady = false;
    int m_width = 1; // last accepted resize, device pixels
    int m_height = 1;
};

/// The view without OpenGL: the software picture of the same camera,
/// options and selection.
class SoftwareModelView : public QWidget {
    Q_OBJECT
public:
    explicit SoftwareModelView(const ModelDocument* doc, QWidget* parent = nullptr);

    void setOptions(const ViewOptionsPanel* options);
    ViewController* controller() const { return m_control; }
    PointSizeRange pointSizes() const { return softwarePointSizes(); }
    /// The picture as it was last painted (device pixels).
    QImage picture() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const ModelDocument* m_doc;
    ViewController* m_control;
};

} // namespace kvl::modelview
