// The gun group chooser and the gun position, type and sound panels of the
// editor window.
#include "planesedit/planeseditpanels.h"

#include "planesedit/widgethelpers.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kvl::planesedit {

GunGroupPanel::GunGroupPanel(ActionRouter& router, QLayout* buttons)
{
    m_widget = new QWidget;
    auto* h = new QHBoxLayout(m_widget);
    h->setContentsMargins(0, 0, 0, 0);
    h->addLayout(buildChooser(router, buttons));
    h->addWidget(buildPositionPanel(router), 0, Qt::AlignTop);
    auto* typeAndSound = new QVBoxLayout;
    typeAndSound->addWidget(buildTypePanel(router));
    typeAndSound->addWidget(buildSoundPanel(router));
    typeAndSound->addStretch(1);
    h->addLayout(typeAndSound);
    for (QWidget* w : { static_cast<QWidget*>(m_chooser), static_cast<QWidget*>(m_positionPanel),
             static_cast<QWidget*>(m_typePanel), static_cast<QWidget*>(m_soundPanel) })
        keepPlaceWhenHidden(w);
    setTitle(m_positionPanel, std::string());
}

QLayout* GunGroupPanel::buildChooser(ActionRouter& router, QLayout* buttons)
{
    // "Gun Group": the count of groups in use and the buttons 1..6; the
    // window's three command buttons share its column.
    m_chooser = new QGroupBox(QStringLiteral("Gun Group"));
    m_chooser->setObjectName(QStringLiteral("Frame1"));
    auto* chooser = new QVBoxLayout(m_chooser);
    m_gunCount = new QLineEdit;
    m_gunCount->setObjectName(QStringLiteral("Text6"));
    m_gunCount->setFixedWidth(50);
    router.scrollOnClick(m_gunCount, ClickField::GunCount);
    router.connectField(
        m_gunCount, [](AircraftEditor& e, const std::string& t) { e.gunCountChanged(t); },
        [](AircraftEditor& e) { e.gunCountEnter(); });
    auto* countRow = new QHBoxLayout;
    countRow->addWidget(captionFor(QStringLiteral("Gun groups"), m_gunCount));
    countRow->addWidget(m_gunCount);
    countRow->addStretch(1);
    chooser->addLayout(countRow);

    m_groups = new QButtonGroup(m_chooser);
    auto* groupRow = new QGridLayout;
    for (int g = 1; g <= kGunGroups; ++g) {
        auto* b = new QRadioButton(QString::number(g));
        b->setObjectName(QStringLiteral("Option4_%1").arg(g));
        b->setAccessibleName(QStringLiteral("Gun group %1").arg(g));
        m_groups->addButton(b, g);
        groupRow->addWidget(b, (g - 1) / 3, (g - 1) % 3);
        QObject::connect(b, &QRadioButton::clicked, &router,
            [&router, g] { router.run([g](AircraftEditor& e) { e.gunPanels().show(g); }); });
    }
    chooser->addLayout(groupRow);

    auto* column = new QVBoxLayout;
    column->addWidget(m_chooser);
    column->addLayout(buttons);
    column->addStretch(1);
    return column;
}

QGroupBox* GunGroupPanel::buildPositionPanel(ActionRouter& router)
{
    m_positionPanel = new QGroupBox;
    m_positionPanel->setObjectName(QStringLiteral("FGG"));
    auto* fgg = new QGridLayout(m_positionPanel);
    fgg->setVerticalSpacing(2);
    m_number = new QLineEdit;
    m_number->setObjectName(QStringLiteral("Text1"));
    m_number->setFixedWidth(50);
    fgg->addWidget(captionFor(QStringLiteral("Number"), m_number), 0, 0);
    fgg->addWidget(m_number, 0, 1);
    router.connectField(
        m_number, [](AircraftEditor& e, const std::string& t) { e.gunPanels().numberChanged(t); },
        [](AircraftEditor& e) { e.gunPanels().numberEnter(); });

    m_positionCode = new QLabel;
    m_positionCode->setObjectName(QStringLiteral("Label3"));
    m_positionCode->setAccessibleName(QStringLiteral("Position code"));
    fgg->addWidget(new QLabel(QStringLiteral("Position:")), 1, 0);
    fgg->addWidget(m_positionCode, 1, 1);
    m_positions = new QButtonGroup(m_positionPanel);
    for (int p = 0; p < static_cast<int>(kPositionLabels.size()); ++p) {
        auto* b = new QRadioButton(QString::fromLatin1(kPositionLabels[static_cast<std::size_t>(p)]));
        b->setObjectName(QStringLiteral("Option1_%1").arg(p));
        m_positions->addButton(b, p);
        fgg->addWidget(b, 2 + p % 7, p / 7);
        QObject::connect(b, &QRadioButton::clicked, &router,
            [&router, p] { router.run([p](AircraftEditor& e) { e.gunPanels().positionChosen(p); }); });
    }

    m_ammunition = new QLineEdit;
    m_ammunition->setObjectName(QStringLiteral("Text2"));
    m_ammunition->setFixedWidth(70);
    m_ammunitionCaption = captionFor(QStringLiteral("Ammo Count"), m_ammunition);
    fgg->addWidget(m_ammunitionCaption, 9, 0);
    fgg->addWidget(m_ammunition, 9, 1);
    router.connectField(
        m_ammunition, [](AircraftEditor& e, const std::string& t) { e.gunPanels().ammunitionChanged(t); },
        [](AircraftEditor& e) { e.gunPanels().ammunitionEnter(); });

    m_smoke = new QCheckBox(QStringLiteral("Smoke"));
    m_smoke->setObjectName(QStringLiteral("smoke"));
    fgg->addWidget(m_smoke, 10, 0, 1, 2);
    QObject::connect(m_smoke, &QCheckBox::clicked, &router,
        [&router](bool checked) { router.run([checked](AircraftEditor& e) { e.gunPanels().smokeClicked(checked); }); });
    return m_positionPanel;
}

QGroupBox* GunGroupPanel::buildTypePanel(ActionRouter& router)
{
    m_typePanel = new QGroupBox;
    m_typePanel->setObjectName(QStringLiteral("FGC"));
    m_typePanel->setAccessibleName(QStringLiteral("Gun type"));
    auto* fgc = new QVBoxLayout(m_typePanel);
    m_type = new QLineEdit;
    m_type->setObjectName(QStringLiteral("Gundamage"));
    m_type->setFixedWidth(60);
    auto* typeRow = new QHBoxLayout;
    typeRow->addWidget(captionFor(QStringLiteral("Type (damage)"), m_type));
    typeRow->addWidget(m_type);
    typeRow->addStretch(1);
    fgc->addLayout(typeRow);
    router.connectField(
        m_type, [](AircraftEditor& e, const std::string& t) { e.gunPanels().typeChanged(t); },
        [](AircraftEditor& e) { e.gunPanels().typeEnter(); });
    m_types = new QButtonGroup(m_typePanel);
    for (std::size_t k = 0; k < kTypeValues.size(); ++k) {
        const int t = kTypeValues[k];
        auto* b = new QRadioButton(QString::fromLatin1(kTypeLabels[k]));
        b->setObjectName(QStringLiteral("Option2_%1").arg(t));
        m_types->addButton(b, t);
        fgc->addWidget(b);
        QObject::connect(b, &QRadioButton::clicked, &router,
            [&router, t] { router.run([t](AircraftEditor& e) { e.gunPanels().typeChosen(t); }); });
    }
    fgc->addStretch(1);
    return m_typePanel;
}

QGroupBox* GunGroupPanel::buildSoundPanel(ActionRouter& router)
{
    m_soundPanel = new QGroupBox(QStringLiteral("Sound"));
    m_soundPanel->setObjectName(QStringLiteral("FGS"));
    auto* fgs = new QVBoxLayout(m_soundPanel);
    m_sounds = new QButtonGroup(m_soundPanel);
    for (int k = 0; k < static_cast<int>(kSoundLabels.size()); ++k) {
        auto* b = new QRadioButton(QString::fromLatin1(kSoundLabels[static_cast<std::size_t>(k)]));
        b->setObjectName(QStringLiteral("Option3_%1").arg(k));
        m_sounds->addButton(b, k);
        fgs->addWidget(b);
        QObject::connect(b, &QRadioButton::clicked, &router,
            [&router, k] { router.run([k](AircraftEditor& e) { e.gunPanels().soundChosen(k); }); });
    }
    m_soundCode = new QLabel;
    m_soundCode->setObjectName(QStringLiteral("Label5"));
    m_soundCode->setAccessibleName(QStringLiteral("Sound code"));
    auto* soundRow = new QHBoxLayout;
    soundRow->addWidget(new QLabel(QStringLiteral("Code:")));
    soundRow->addWidget(m_soundCode, 1);
    fgs->addLayout(soundRow);
    fgs->addStretch(1);
    return m_soundPanel;
}

void GunGroupPanel::show(const AircraftEditor& editor)
{
    const GunPanels& guns = editor.gunPanels();
    const GunPanelState& s = guns.state();
    m_chooser->setVisible(editor.loaded());
    setTextKeep(m_gunCount, editor.fields().gunCount);
    checkOnly(m_groups, guns.shown() ? s.group : -1);

    const bool shown = guns.shown();
    m_positionPanel->setVisible(shown);
    m_typePanel->setVisible(shown);
    m_soundPanel->setVisible(shown);
    m_ammunition->setVisible(shown);
    m_ammunitionCaption->setVisible(shown);
    if (!shown)
        return; // the hidden panels keep what they showed last
    const int b = guns.firstRow();
    setTitle(m_positionPanel, "Gungroup " + Str(s.group));
    setTextKeep(m_number, s.number);
    checkOnly(m_positions, guns.position());
    // The code labels show the bytes as they are, also codes without a button.
    setLabel(m_positionCode, editor.document().text(b + kGunPositionOffset));
    setTextKeep(m_type, s.type);
    checkOnly(m_types, s.typeButton);
    setTextKeep(m_ammunition, s.ammunition);
    checkOnly(m_sounds, guns.sound());
    setLabel(m_soundCode, editor.document().text(b + kGunSoundOffset));
    // A smoke byte other than 0 or 1 has no box state; the caption shows it
    // until the user clicks the box.
    const std::optional<bool> smoke = guns.smoke();
    m_smoke->setChecked(smoke.value_or(false));
    const QString caption = smoke
        ? QStringLiteral("Smoke")
        : QStringLiteral("Smoke (%1)").arg(fromUtf8(editor.document().text(b + kGunSmokeOffset)));
    if (m_smoke->text() != caption)
        m_smoke->setText(caption);
}

} // namespace kvl::planesedit
