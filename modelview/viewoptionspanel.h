// The options panel: the View list that decides what the view draws, and two
// check boxes that only show a mark (clicking them changes nothing).
#pragma once

#include "modelview/dockbar.h"

#include <QCheckBox>

class QComboBox;
class QLabel;

namespace kvl::modelview {

/// A check box whose mark a click does not change.
class PlainCheckBox : public QCheckBox {
    Q_OBJECT
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override { }
};

class ViewOptionsPanel : public GripDockBar {
    Q_OBJECT
public:
    /// Control identifier of the panel itself.
    static constexpr int kPanelId = 128;

    explicit ViewOptionsPanel(QWidget* parent = nullptr);

    /// Index of the selected View list entry (0 = "Perspective").
    int selectedView() const;

    QComboBox* viewList() const { return m_viewList; }
    QCheckBox* drawTextures() const { return m_drawTextures; }
    QCheckBox* drawNodes() const { return m_drawNodes; }

signals:
    void viewChanged(int index);

private:
    int nextControlId() { return m_nextId++; }

    QLabel* m_label = nullptr;
    QComboBox* m_viewList = nullptr;
    PlainCheckBox* m_drawTextures = nullptr;
    PlainCheckBox* m_drawNodes = nullptr;
    int m_nextId = 200;
};

} // namespace kvl::modelview
