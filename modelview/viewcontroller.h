// Everything the two views (OpenGL and software) share beyond the document:
// the camera, the panel's options, the selection, and what the mouse and
// keys do. It watches the view widget's events, so either view gets the same
// controls:
//   left drag            orbit about the model's centre
//   right/middle drag,
//   Shift + left drag    pan
//   wheel                zoom towards the cursor
//   arrows / Shift+arrows / + and -   orbit / pan / zoom from the keyboard
//   click                pick the node, marker or outline under the cursor
// The camera moves only the "Perspective" picture; the overviews stay fitted.
#pragma once

#include "modelview/camera.h"
#include "modelview/scene.h"

#include <QObject>
#include <QPoint>

#include <optional>

class QPainter;
class QWidget;

namespace kvl::modelview {

class ModelDocument;

class ViewController : public QObject {
    Q_OBJECT
public:
    ViewController(const ModelDocument* doc, QWidget* view);

    /// What to draw, as the options panel sends it; until the first options
    /// arrive the view is black.
    void setOptions(const ViewOptions& options);

    /// The mode to draw, or nothing before any options arrived.
    std::optional<ViewMode> mode() const;
    const Camera& camera() const { return m_camera; }
    const RenderOptions& renderOptions() const { return m_render; }
    /// Pixels kept free at the top of the "Size" picture for its figures.
    int topReserve() const;
    /// The matrices of the current mode for a viewport of device pixels.
    ViewMatrices matrices(int width, int height) const;
    /// The view's size in device pixels.
    QSize deviceSize() const;

    /// A new model (or none): designed camera, no selection.
    void modelChanged();
    /// "Reset View": back to the designed camera.
    void resetView();
    /// "Fit": frames the whole model, keeping the orientation.
    void fitView();
    void orbit(double yawDegrees, double pitchDegrees);
    void pan(double dx, double dy);
    void zoomAt(double factor, QPointF at);
    /// Picks at a widget position; the selection, or none.
    void pickAt(QPointF at);
    void clearSelection();
    const std::optional<Selection>& selection() const { return m_render.selection; }

    /// Writes the "Size" figures in the reserved room at the top.
    static void paintSizeText(QPainter& painter, const ModelSummary& summary);

signals:
    /// The picture needs repainting.
    void changed();
    /// The selection changed (or was cleared).
    void selectionChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool keyPressed(int key, Qt::KeyboardModifiers modifiers);

    const ModelDocument* m_doc;
    QWidget* m_view;
    std::optional<ViewOptions> m_options;
    Camera m_camera;
    RenderOptions m_render;
    QPointF m_pressAt;
    QPointF m_lastAt;
    Qt::MouseButton m_dragButton = Qt::NoButton;
    bool m_panning = false;
    bool m_dragged = false;
};

} // namespace kvl::modelview
