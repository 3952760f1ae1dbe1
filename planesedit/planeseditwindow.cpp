// The editor window: its layout, refresh and the Qt side of its host.
#include "planesedit/planeseditwindow.h"

#include "planesedit/widgethelpers.h"

#include "common/qt/qtwindowhost.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace kvl::planesedit {

namespace {

QPushButton* commandButton(const QString& caption, const QString& objectName)
{
    auto* button = new QPushButton(caption);
    button->setObjectName(objectName);
    return button;
}

} // namespace

PlanesEditWindow::PlanesEditWindow(const std::filesystem::path& folder, kvl::WindowHost* host, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Pelmora")); // the form's name
    setWindowTitle(QStringLiteral("planesedit - planes.dat"));
    m_editor = std::make_unique<AircraftEditor>(folder, host ? *host : static_cast<kvl::WindowHost&>(*this));
    m_router = new ActionRouter(
        *m_editor, [this] { refresh(); }, this);
    ActionRouter& router = *m_router;

    m_grid.emplace(router);
    m_flags.emplace(router);
    m_numbers.emplace(router);

    auto* save = commandButton(QStringLiteral("Save planes.dat"), QStringLiteral("Command3"));
    connect(save, &QPushButton::clicked, this, [&router] { router.run([](AircraftEditor& e) { e.savePlanes(); }); });
    auto* damage = commandButton(
        QStringLiteral("Move to the top of the damage byte section"), QStringLiteral("Command1"));
    connect(damage, &QPushButton::clicked, this,
        [&router] { router.run([](AircraftEditor& e) { e.fieldClicked(ClickField::DamageButton); }); });
    auto* script = commandButton(QStringLiteral("Save Script"), QStringLiteral("Command2"));
    connect(
        script, &QPushButton::clicked, this, [&router] { router.run([](AircraftEditor& e) { e.openScriptMaker(); }); });
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(save);
    buttons->addWidget(damage);
    buttons->addWidget(script);
    buttons->addStretch(1);
    m_guns.emplace(router, buttons);
    m_scriptMaker.emplace(router);

    m_aircraft = slotList(QStringLiteral("List1"));
    m_aircraft->setAccessibleName(QStringLiteral("Aircraft"));
    connect(m_aircraft, &QListWidget::currentRowChanged, this, [&router](int row) {
        if (row >= 0)
            router.run([row](AircraftEditor& e) { e.chooseAircraft(row); });
    });
    auto* listColumn = new QVBoxLayout;
    listColumn->addWidget(captionFor(QStringLiteral("Aircraft"), m_aircraft));
    listColumn->addWidget(m_aircraft, 1);

    // Grid at the top left with the working-copy label to its left; flags and
    // numbers along the top right; aircraft list, gun groups, buttons and the
    // script maker below them.
    auto* lower = new QHBoxLayout;
    lower->addLayout(listColumn);
    lower->addWidget(m_guns->widget(), 1);
    lower->addWidget(m_scriptMaker->widget(), 1);
    auto* right = new QVBoxLayout;
    right->addWidget(m_flags->widget());
    right->addWidget(m_numbers->widget());
    right->addLayout(lower, 1);
    auto* labelColumn = new QVBoxLayout;
    labelColumn->addWidget(m_grid->workingCopyLabel());
    labelColumn->addStretch(1);
    auto* top = new QHBoxLayout(this);
    top->addLayout(labelColumn);
    top->addLayout(m_grid->gridColumn());
    top->addLayout(right, 1);
    refresh();
}

PlanesEditWindow::~PlanesEditWindow() = default;

bool PlanesEditWindow::chooseAircraft(int slot)
{
    const bool loaded = m_editor->chooseAircraft(slot);
    refresh();
    return loaded;
}

void PlanesEditWindow::refresh()
{
    m_router->setRefreshing(true);
    const AircraftEditor& editor = *m_editor;
    m_grid->show(editor);
    {
        // A failed load leaves the list on the aircraft shown so far.
        QSignalBlocker block(m_aircraft);
        if (m_aircraft->currentRow() != editor.slot())
            m_aircraft->setCurrentRow(editor.slot());
    }
    m_flags->show(editor);
    m_numbers->show(editor);
    m_guns->show(editor);
    m_scriptMaker->show(editor);
    for (const ViewRequest& request : m_editor->takeViewRequests())
        m_grid->carryOut(request);
    m_router->setRefreshing(false);
}

void PlanesEditWindow::closeEvent(QCloseEvent* event)
{
    m_editor->close(); // the prompt never cancels the closing
    event->accept();
}

kvl::MessageAnswer PlanesEditWindow::showMessage(const kvl::Message& message, kvl::MessageButtons buttons)
{
    return kvl::qt::showMessageBox(this, message, buttons);
}

std::filesystem::path PlanesEditWindow::chooseFile(const kvl::FileDialogRequest& request)
{
    return kvl::qt::runFileDialog(this, request);
}

} // namespace kvl::planesedit
