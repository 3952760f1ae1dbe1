#include "modelview/viewoptionspanel.h"

#include "common/qt/accessibletext.h"
#include "modelview/modeldocument.h"
#include "modelview/viewplan.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>

#include <algorithm>

namespace kvl::modelview {

namespace {

// Places a control by its left, top, right and bottom in panel coordinates.
void place(QWidget* w, int left, int top, int right, int bottom)
{
    w->setGeometry(left, top, right - left, bottom - top);
}

} // namespace

ViewOptionsPanel::ViewOptionsPanel(QWidget* parent) : GripDockBar(QString::fromLatin1(kAppTitle), kPanelId, parent)
{
    setObjectName(QStringLiteral("CViewOptionsBar"));
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);

    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("ViewOptionsPanel"));

    const QFont font = QApplication::font();

    m_label = new QLabel(QStringLiteral("View:"), panel);
    m_label->setObjectName(QStringLiteral("ViewLabel"));
    place(m_label, 5, 7, 45, 19 + 4);

    // The dropped-down list reaches to 96; the closed box is one line high.
    m_viewList = new QComboBox(panel);
    m_viewList->setObjectName(QStringLiteral("ViewList"));
    m_viewList->setEditable(false);
    m_viewList->setProperty("controlId", nextControlId());
    for (const char* entry : kViewEntries)
        m_viewList->addItem(QString::fromLatin1(entry));
    m_viewList->setMaxVisibleItems(4);
    m_viewList->setCurrentIndex(0);
    place(m_viewList, 45, 4, 180, 4 + qMax(22, m_viewList->sizeHint().height()));
    m_label->setBuddy(m_viewList);
    m_viewList->setAccessibleName(QStringLiteral("View:"));

    m_drawTextures = new QCheckBox(QStringLiteral("Draw Textures"), panel);
    m_drawTextures->setObjectName(QStringLiteral("DrawTextures"));
    m_drawTextures->setProperty("controlId", nextControlId());
    m_drawTextures->setChecked(false);
    m_drawTextures->setEnabled(false);
    m_drawTextures->setToolTip(QStringLiteral("VKM files carry no texture image: the file names its texture, "
                                              "but the picture is not in it."));
    m_drawTextures->setAccessibleName(m_drawTextures->text());
    // The positions are the panel's; a check box is widened when its caption
    // needs more room in the font at hand, and its neighbour moves along.
    place(m_drawTextures, 4, 30, qMax(105, 4 + m_drawTextures->sizeHint().width()), 50);

    m_drawNodes = new QCheckBox(QStringLiteral("Draw Nodes"), panel);
    m_drawNodes->setObjectName(QStringLiteral("DrawNodes"));
    m_drawNodes->setProperty("controlId", nextControlId());
    m_drawNodes->setChecked(true);
    m_drawNodes->setAccessibleName(m_drawNodes->text());
    const int nodesLeft = qMax(110, m_drawTextures->geometry().right() + 6);
    place(m_drawNodes, nodesLeft, 30, qMax(nodesLeft + 80, nodesLeft + m_drawNodes->sizeHint().width()), 50);

    // Below the designed controls: the game culls back faces, and so does
    // the picture unless asked; the node size starts at the designed size.
    m_showBackFaces = new QCheckBox(QStringLiteral("Show back faces"), panel);
    m_showBackFaces->setObjectName(QStringLiteral("ShowBackFaces"));
    m_showBackFaces->setChecked(false);
    m_showBackFaces->setAccessibleName(m_showBackFaces->text());
    place(m_showBackFaces, 4, 54, qMax(190, 4 + m_showBackFaces->sizeHint().width()), 74);

    m_nodeSizeLabel = new QLabel(QStringLiteral("Node size:"), panel);
    m_nodeSizeLabel->setObjectName(QStringLiteral("NodeSizeLabel"));
    const int labelRight = qMax(75, 5 + m_nodeSizeLabel->sizeHint().width() + 4);
    place(m_nodeSizeLabel, 5, 82, labelRight, 98);
    m_nodeSize = new QDoubleSpinBox(panel);
    m_nodeSize->setObjectName(QStringLiteral("NodeSize"));
    m_nodeSize->setRange(0.0, 20.0);
    m_nodeSize->setSingleStep(0.5);
    m_nodeSize->setDecimals(1);
    m_nodeSize->setSpecialValueText(QStringLiteral("Default"));
    m_nodeSize->setSuffix(QStringLiteral(" px"));
    m_nodeSize->setValue(0.0);
    m_nodeSize->setAccessibleName(QStringLiteral("Node size"));
    m_nodeSize->setToolTip(QStringLiteral("Size of the node points in pixels; Default is the designed size"));
    m_nodeSizeLabel->setBuddy(m_nodeSize);
    place(m_nodeSize, labelRight, 78, labelRight + qMax(90, m_nodeSize->sizeHint().width()),
        78 + qMax(22, m_nodeSize->sizeHint().height()));

    for (QWidget* w :
        { static_cast<QWidget*>(m_label), static_cast<QWidget*>(m_viewList), static_cast<QWidget*>(m_drawTextures),
            static_cast<QWidget*>(m_drawNodes), static_cast<QWidget*>(m_showBackFaces),
            static_cast<QWidget*>(m_nodeSizeLabel), static_cast<QWidget*>(m_nodeSize) })
        w->setFont(font);

    panel->setMinimumSize(std::max({ 190, m_drawNodes->geometry().right() + 4, m_nodeSize->geometry().right() + 4 }),
        m_nodeSize->geometry().bottom() + 6);
    setWidget(panel);
    connect(m_viewList, &QComboBox::currentIndexChanged, this, &ViewOptionsPanel::viewChanged);
    connect(m_viewList, &QComboBox::currentIndexChanged, this, &ViewOptionsPanel::tellOptions);
    connect(m_drawNodes, &QCheckBox::toggled, this, &ViewOptionsPanel::tellOptions);
    connect(m_showBackFaces, &QCheckBox::toggled, this, &ViewOptionsPanel::tellOptions);
    connect(m_nodeSize, &QDoubleSpinBox::valueChanged, this, &ViewOptionsPanel::tellOptions);
    // The box is named "Node size"; what it shows ("Default", "2.5 px")
    // is its description, kept with the value.
    qt::describeAs(m_nodeSize, m_nodeSize->text());
    connect(
        m_nodeSize, &QDoubleSpinBox::valueChanged, this, [this] { qt::describeAs(m_nodeSize, m_nodeSize->text()); });
}

int ViewOptionsPanel::selectedView() const
{
    return m_viewList->currentIndex();
}

ViewOptions ViewOptionsPanel::options() const
{
    ViewOptions options;
    options.mode = viewModeFromIndex(selectedView()).value_or(ViewMode::Perspective);
    options.drawNodes = m_drawNodes->isChecked();
    options.showBackFaces = m_showBackFaces->isChecked();
    options.nodeSize = float(m_nodeSize->value());
    return options;
}

} // namespace kvl::modelview
