#include "modelview/viewoptionspanel.h"

#include "modelview/modeldocument.h"
#include "modelview/viewplan.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>

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

    m_drawTextures = new PlainCheckBox(QStringLiteral("Draw Textures"), panel);
    m_drawTextures->setObjectName(QStringLiteral("DrawTextures"));
    m_drawTextures->setProperty("controlId", nextControlId());
    m_drawTextures->setChecked(false);
    m_drawTextures->setAccessibleName(m_drawTextures->text());
    // The positions are the panel's; a check box is widened when its caption
    // needs more room in the font at hand, and its neighbour moves along.
    place(m_drawTextures, 4, 30, qMax(105, 4 + m_drawTextures->sizeHint().width()), 50);

    m_drawNodes = new PlainCheckBox(QStringLiteral("Draw Nodes"), panel);
    m_drawNodes->setObjectName(QStringLiteral("DrawNodes"));
    m_drawNodes->setProperty("controlId", nextControlId());
    m_drawNodes->setChecked(true);
    m_drawNodes->setAccessibleName(m_drawNodes->text());
    const int nodesLeft = qMax(110, m_drawTextures->geometry().right() + 6);
    place(m_drawNodes, nodesLeft, 30, qMax(nodesLeft + 80, nodesLeft + m_drawNodes->sizeHint().width()), 50);

    for (QWidget* w : { static_cast<QWidget*>(m_label), static_cast<QWidget*>(m_viewList),
             static_cast<QWidget*>(m_drawTextures), static_cast<QWidget*>(m_drawNodes) })
        w->setFont(font);

    panel->setMinimumSize(qMax(190, m_drawNodes->geometry().right() + 4), 56);
    setWidget(panel);
    connect(m_viewList, &QComboBox::currentIndexChanged, this, &ViewOptionsPanel::viewChanged);
}

int ViewOptionsPanel::selectedView() const
{
    return m_viewList->currentIndex();
}

} // namespace kvl::modelview
