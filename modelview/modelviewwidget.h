// The model view: the OpenGL picture of the document's model (drawn by a
// ModelCanvas it holds), and the view used where OpenGL cannot be set up,
// which paints the software picture of the same matrices. Either view's
// mouse and keys are handled by its ViewController.
#pragma once

#include "modelview/scene.h"
#include "modelview/vkmmodel.h"

#include <QImage>
#include <QSurfaceFormat>
#include <QWidget>

#include <optional>

namespace kvl::modelview {

class ModelCanvas;
class ModelDocument;
class ViewController;

/// Before the QApplication exists: makes the view's format the default and
/// has the application create one context of that format at start-up, which
/// every view shares. openGlAvailable() then only looks at that context
/// instead of making a throw-away one (loading the driver twice over), and a
/// view knows its point sizes before it is first drawn.
void prepareOpenGl();

/// The smooth point size range and granularity of the OpenGL implementation
/// a view draws with, read from the context made after prepareOpenGl() (a
/// view's context shares with it, which only contexts of one implementation
/// can), or without it from a throw-away context of the view's format.
/// Nothing when no such context can be had or made current (see
/// openGlAvailable).
std::optional<PointSizeRange> openGlPointSizes();

/// True when an OpenGL context of the view's format can be had: the shared
/// context made after prepareOpenGl() is valid, or (without it) a context
/// can be created and made current on an offscreen surface. Where it cannot
/// (no OpenGL, or a platform such as "offscreen" that has none for windows)
/// the view's OpenGL window could not be drawn, so the window uses
/// SoftwareModelView instead.
bool openGlAvailable();

/// The point sizes the software picture uses: those of the software OpenGL
/// implementations (1 to 255 pixels in steps of 0.1), so its nodes look
/// as they do there.
PointSizeRange softwarePointSizes();

// objectName "CVKMStudioView"
class ModelView : public QWidget {
    Q_OBJECT
public:
    explicit ModelView(const ModelDocument* doc, QWidget* parent = nullptr);

    /// The format the view asks for: RGBA 8/8/8, no alpha, depth 32 (or the
    /// nearest the platform gives), stencil 8, double buffered, with the
    /// compatibility profile so the fixed-function calls are there.
    static QSurfaceFormat requestedFormat();

    /// What to draw, as the options panel sends it; black until then.
    void setOptions(const ViewOptions& options);
    ViewController* controller() const { return m_control; }
    /// The OpenGL window inside the view that draws the picture.
    ModelCanvas* canvas() const { return m_canvas; }

    /// True once the point sizes of the OpenGL implementation are known: at
    /// once when they could be read beforehand (see openGlPointSizes), else
    /// when the view's own context has been created.
    bool isGlReady() const { return m_glReady; }
    /// The implementation's smooth point size range and granularity.
    PointSizeRange pointSizes() const { return m_pointSizes; }

    /// The picture as the view draws it now, read back (device pixels); a
    /// null image until the view has been shown.
    QImage grabFramebuffer();

signals:
    /// The point sizes have become known (sent once, not at all when they
    /// were known when the view was made).
    void glReady();
    /// A frame has been drawn and shown.
    void frameSwapped();

private:
    void scheduleFrame();
    void contextCreated(const PointSizeRange& sizes);

    ViewController* m_control;
    ModelCanvas* m_canvas;
    PointSizeRange m_pointSizes;
    bool m_glReady = false;
};

/// The view without OpenGL: the software picture of the same camera,
/// options and selection.
class SoftwareModelView : public QWidget {
    Q_OBJECT
public:
    explicit SoftwareModelView(const ModelDocument* doc, QWidget* parent = nullptr);

    void setOptions(const ViewOptions& options);
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
