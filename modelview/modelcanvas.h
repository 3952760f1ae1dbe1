// The OpenGL window the model view shows its picture in: draws the
// document's model with the fixed-function pipeline - red node points, white
// polygon outlines, blue marker points on black - with the matrices of the
// shared camera (see ViewController).
//
// It is a window of its own, embedded in ModelView, rather than a widget
// rendering into a texture: a texture-rendering widget makes Qt compose the
// whole top-level window from textures on every frame, which under a
// software OpenGL implementation costs more than drawing the model. Drawn
// straight into its own window, a frame is one clear, the model and a swap.
// The window takes no input: clicks, keys, the wheel and drops reach the
// widgets beneath it as they would without it.
#pragma once

#include "modelview/viewplan.h"
#include "modelview/vkmmodel.h"

#include <QOpenGLWindow>

class QWidget;

namespace kvl::modelview {

class ModelDocument;
class ViewController;

class ModelCanvas : public QOpenGLWindow {
    Q_OBJECT
public:
    /// Draws `doc` as `control` says; `view` is the widget the canvas fills
    /// (its font writes the "Size" figures, its window's state is watched).
    ModelCanvas(const ModelDocument* doc, const ViewController* control, const QWidget* view);

    /// Draws the current picture into the back buffer and reads it back
    /// (device pixels), without showing it. A null image until the canvas
    /// has been shown and has its context.
    QImage renderPicture();

    /// Takes a new size of the drawing (logical pixels). Sizes of zero, and
    /// any size while the window is minimised, are ignored: the picture keeps
    /// its projection instead of collapsing.
    void resizeGL(int w, int h) override;

signals:
    /// The context exists; `sizes` are its smooth point size range and
    /// granularity (sent whenever a context is set up).
    void initialized(const PointSizeRange& sizes);

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    void applyState();
    void drawModel(const VkmModel& model, ViewMode mode);
    void drawNodes(const VkmModel& model);
    void drawElements(const VkmModel& model);
    void drawSelection(const VkmModel& model);
    void drawSizeText(const ModelSummary& summary);

    const ModelDocument* m_doc;
    const ViewController* m_control;
    const QWidget* m_view;
    int m_width = 1; // last accepted resize, device pixels
    int m_height = 1;
};

/// The smooth point size range and granularity of the current context.
PointSizeRange currentPointSizes();

} // namespace kvl::modelview
