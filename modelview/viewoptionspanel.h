// The options panel: the View list that decides what the view draws, "Draw
// Nodes" (the red node points), "Draw Textures" (disabled: a VKM file names a
// texture but carries no image), "Show back faces" and the node size.
#pragma once

#include "modelview/dockbar.h"
#include "modelview/scene.h"

#include <QCheckBox>

class QComboBox;
class QDoubleSpinBox;
class QLabel;

namespace kvl::modelview {

class ViewOptionsPanel : public GripDockBar {
    Q_OBJECT
public:
    /// Control identifier of the panel itself.
    static constexpr int kPanelId = 128;

    explicit ViewOptionsPanel(QWidget* parent = nullptr);

    /// Index of the selected View list entry (0 = "Perspective").
    int selectedView() const;
    /// What the panel asks the views to draw now.
    ViewOptions options() const;

    QComboBox* viewList() const { return m_viewList; }
    QCheckBox* drawTextures() const { return m_drawTextures; }
    QCheckBox* drawNodes() const { return m_drawNodes; }
    QCheckBox* showBackFaces() const { return m_showBackFaces; }
    /// Node size in pixels; its lowest value, 0 ("Default"), is the size the
    /// OpenGL implementation's point sizes give.
    QDoubleSpinBox* nodeSize() const { return m_nodeSize; }

signals:
    void viewChanged(int index);
    /// Any of the panel's settings changed: what the views are to draw now.
    void optionsChanged(const kvl::modelview::ViewOptions& options);

private:
    void tellOptions() { emit optionsChanged(options()); }
    int nextControlId() { return m_nextId++; }

    QLabel* m_label = nullptr;
    QComboBox* m_viewList = nullptr;
    QCheckBox* m_drawTextures = nullptr;
    QCheckBox* m_drawNodes = nullptr;
    QCheckBox* m_showBackFaces = nullptr;
    QLabel* m_nodeSizeLabel = nullptr;
    QDoubleSpinBox* m_nodeSize = nullptr;
    int m_nextId = 200;
};

} // namespace kvl::modelview
