// The editor window: a thin layer over PelmoraCore. Each widget signal is
// forwarded to one core method, then `refresh()` shows the core's state.
// Widgets carry the form's control names as object names; members of a
// control array are named with the index after an underscore ("Check1_4").
#pragma once

#include "planesedit/pelmoracore.h"

#include <QWidget>

#include <array>
#include <memory>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QTreeView;
class QVBoxLayout;
class QFileSystemModel;

namespace planesedit {

/// Message boxes with QMessageBox.
class MessageBoxPrompts : public EditorPrompts {
public:
    explicit MessageBoxPrompts(QWidget* parent) : m_parent(parent) { }
    bool askSaveChanges() override;
    void showError(const std::string& title, const std::string& text) override;
    bool confirm(const std::string& title, const std::string& text) override;

private:
    QWidget* m_parent;
};

class Pelmora : public QWidget {
    Q_OBJECT
public:
    /// `prompts` (optional) replaces the message boxes, for tests.
    explicit Pelmora(const std::filesystem::path& folder, EditorPrompts* prompts = nullptr, QWidget* parent = nullptr);
    ~Pelmora() override;

    PelmoraCore& core() { return *m_core; }
    /// Shows the core's state in the widgets.
    void refresh();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildUi();
    QWidget* buildFlags();
    QWidget* buildNumbers();
    QWidget* buildGunPanels();
    QWidget* buildScriptMaker();
    void after(); // refresh after a user action
    void refreshGrid();

    std::unique_ptr<MessageBoxPrompts> m_ownPrompts;
    std::unique_ptr<PelmoraCore> m_core;
    unsigned m_shownGridRevision = ~0u;
    unsigned m_shownScroll = 0;
    bool m_refreshing = false;
    unsigned m_editorOpenings = 0;

    QLabel* m_label7 = nullptr;
    QTableWidget* m_grid = nullptr;
    QLineEdit* m_byteEditor = nullptr;
    QListWidget* m_list1 = nullptr;
    std::array<QGroupBox*, 4> m_flagFrames {};
    std::array<std::array<QCheckBox*, 8>, 4> m_flagBoxes {};
    QLineEdit* m_year = nullptr;
    QLabel* m_yearCaption = nullptr;
    QLineEdit* m_crew = nullptr;
    std::array<QLineEdit*, kNumberFields> m_numbers {};
    std::array<QLabel*, kNumberFields> m_units {};
    QLineEdit* m_code = nullptr;

    QGroupBox* m_frame1 = nullptr;
    QVBoxLayout* m_buttons = nullptr;
    QLineEdit* m_gunCount = nullptr;
    std::array<QRadioButton*, kGunGroups> m_groupButtons {};
    QButtonGroup* m_groupGroup = nullptr;
    QGroupBox* m_fgg = nullptr;
    QGroupBox* m_fgc = nullptr;
    QGroupBox* m_fgs = nullptr;
    QLineEdit* m_gunNumber = nullptr;
    std::array<QRadioButton*, 14> m_positions {};
    QButtonGroup* m_positionGroup = nullptr;
    QLabel* m_positionLabel = nullptr;
    QLineEdit* m_ammo = nullptr;
    QLabel* m_ammoCaption = nullptr;
    QCheckBox* m_smoke = nullptr;
    QLineEdit* m_gunType = nullptr;
    std::array<QRadioButton*, 5> m_types {};
    QButtonGroup* m_typeGroup = nullptr;
    std::array<QRadioButton*, 4> m_sounds {};
    QButtonGroup* m_soundGroup = nullptr;
    QLabel* m_soundLabel = nullptr;

    QGroupBox* m_frame3 = nullptr;
    QListWidget* m_list2 = nullptr;
    QLabel* m_label14 = nullptr;
    QLineEdit* m_scriptName = nullptr;
    QLineEdit* m_pnamesName = nullptr;
    QPlainTextEdit* m_description = nullptr;
    QLineEdit* m_scriptFolder = nullptr;
    QTreeView* m_dir1 = nullptr;
    QFileSystemModel* m_dirModel = nullptr;
};

} // namespace planesedit
