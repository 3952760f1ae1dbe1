// The OpenGL view: draws the document's model with the fixed-function
// pipeline - red node points, white polygon outlines, blue marker points on
// black - from the camera the View list picks.
#pragma once

#include "modelview/viewplan.h"
#include "modelview/vkmmodel.h"

#include <QOpenGLWidget>
#include <QPointer>
#include <QSurfaceFormat>

namespace kvl::modelview {

class ModelDocument;
class ViewOptionsPanel;

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
    void drawPerspective(const VkmModel& model);
    void drawOverview(const VkmModel& model, ViewMode mode);
    void drawNodes(const VkmModel& model);
    void drawElements(const VkmModel& model);
    void drawSizeText(const ModelSummary& summary);

    const ModelDocument* m_doc;
    QPointer<const ViewOptionsPanel> m_options;
    PointSizeRange m_pointSizes;
    bool m_glReady = false;
    int m_width = 1; // last accepted resize, device pixels
    int m_height = 1;
};

} // namespace kvl::modelview
