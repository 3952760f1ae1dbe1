// The script maker panel of the editor window.
#include "planesedit/planeseditpanels.h"

#include "planesedit/widgethelpers.h"

#include <QDir>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeView>
#include <QVBoxLayout>

namespace kvl::planesedit {

ScriptMakerPanel::ScriptMakerPanel(ActionRouter& router)
{
    m_frame = new QGroupBox(QStringLiteral("Script Maker"));
    m_frame->setObjectName(QStringLiteral("Frame3"));
    keepPlaceWhenHidden(m_frame);
    auto* g = new QGridLayout(m_frame);
    g->setVerticalSpacing(3);

    m_destinations = slotList(QStringLiteral("List2"));
    QObject::connect(m_destinations, &QListWidget::itemSelectionChanged, &router, [list = m_destinations, &router] {
        if (const int row = chosenRow(list); row >= 0)
            router.run([row](AircraftEditor& e) { e.scriptMaker().chooseDestination(row); });
    });
    m_destination = new QLabel;
    m_destination->setObjectName(QStringLiteral("Label14"));
    m_destination->setAccessibleName(QStringLiteral("Slot:"));
    auto* slotRow = new QHBoxLayout;
    slotRow->setSpacing(8);
    slotRow->addWidget(new QLabel(QStringLiteral("Slot:")));
    slotRow->addWidget(m_destination, 1);
    auto* left = new QVBoxLayout;
    left->addWidget(captionFor(QStringLiteral("Destination Slot"), m_destinations));
    left->addWidget(m_destinations, 1);
    left->addLayout(slotRow);
    g->addLayout(left, 0, 0, 8, 1);

    m_scriptName = new QLineEdit;
    m_scriptName->setObjectName(QStringLiteral("Text9"));
    m_pnamesName = new QLineEdit;
    m_pnamesName->setObjectName(QStringLiteral("Text11"));
    m_description = new QPlainTextEdit;
    m_description->setObjectName(QStringLiteral("Text10"));
    m_description->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_description->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_description->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_folder = new QLineEdit;
    m_folder->setObjectName(QStringLiteral("Text12"));
    g->addWidget(captionFor(QStringLiteral("Script Name"), m_scriptName), 0, 1);
    g->addWidget(m_scriptName, 0, 2);
    g->addWidget(captionFor(QStringLiteral("Pnames string name:"), m_pnamesName), 1, 1);
    g->addWidget(m_pnamesName, 1, 2);
    g->addWidget(captionFor(QStringLiteral("Description"), m_description), 2, 1, 1, 2);
    g->addWidget(m_description, 3, 1, 1, 2);
    g->addWidget(captionFor(QStringLiteral("Save in folder:"), m_folder), 4, 1);
    g->addWidget(m_folder, 4, 2);
    // These texts only wait for "Save the script"; nothing else shows them.
    ScriptMaker& maker = router.editor().scriptMaker();
    QObject::connect(m_scriptName, &QLineEdit::textEdited, &router,
        [&maker](const QString& t) { maker.setScriptName(t.toStdString()); });
    QObject::connect(m_pnamesName, &QLineEdit::textEdited, &router,
        [&maker](const QString& t) { maker.setPnamesName(t.toStdString()); });
    QObject::connect(
        m_folder, &QLineEdit::textEdited, &router, [&maker](const QString& t) { maker.setFolder(t.toStdString()); });
    QObject::connect(m_description, &QPlainTextEdit::textChanged, &router, [this, &router, &maker] {
        if (!router.refreshing())
            maker.setDescription(m_description->toPlainText().toStdString());
    });

    // The folder view shows the working folder's folders; it only informs.
    // Its model is made when the panel is first shown (see show()).
    m_folderRoot = kvl::qt::toQString(router.editor().folder());
    m_folderView = new QTreeView;
    m_folderView->setObjectName(QStringLiteral("Dir1"));
    m_folderView->setAccessibleName(QStringLiteral("Folders"));
    m_folderView->setHeaderHidden(true);
    m_folderView->setFixedHeight(90);
    g->addWidget(m_folderView, 5, 1, 1, 2);

    auto* save = new QPushButton(QStringLiteral("Save the script"));
    save->setObjectName(QStringLiteral("Command4"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("Command5"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    g->addLayout(buttons, 6, 1, 1, 2);
    QObject::connect(save, &QPushButton::clicked, &router,
        [&router] { router.run([](AircraftEditor& e) { e.scriptMaker().save(); }); });
    QObject::connect(cancel, &QPushButton::clicked, &router,
        [&router] { router.run([](AircraftEditor& e) { e.scriptMaker().cancel(); }); });
    m_frame->setMinimumWidth(360);
}

void ScriptMakerPanel::watchFolder()
{
    // A file-system model reads its folder on a thread of its own and starts
    // watching it, a large share of the window's start-up; the panel stays
    // hidden until a script is begun, so that waits until then.
    m_folderModel = new QFileSystemModel(m_frame);
    m_folderModel->setFilter(QDir::Dirs | QDir::NoDotAndDotDot);
    m_folderModel->setRootPath(m_folderRoot);
    m_folderView->setModel(m_folderModel);
    m_folderView->setRootIndex(m_folderModel->index(m_folderRoot));
    for (int c = 1; c < m_folderModel->columnCount(); ++c)
        m_folderView->hideColumn(c);
}

QWidget* ScriptMakerPanel::widget() const
{
    return m_frame;
}

void ScriptMakerPanel::show(const AircraftEditor& editor)
{
    const ScriptMaker& maker = editor.scriptMaker();
    const ScriptMakerState& s = maker.state();
    if (s.visible && !m_folderModel)
        watchFolder();
    m_frame->setVisible(s.visible);
    {
        QSignalBlocker block(m_destinations);
        if (m_destinations->currentRow() != s.destination)
            m_destinations->setCurrentRow(s.destination);
    }
    setLabel(m_destination, maker.destinationLine());
    setTextKeep(m_scriptName, s.scriptName);
    setTextKeep(m_pnamesName, s.pnamesName);
    setTextKeep(m_folder, s.folder);
    if (m_description->toPlainText() != fromUtf8(s.description))
        m_description->setPlainText(fromUtf8(s.description));
}

} // namespace kvl::planesedit
