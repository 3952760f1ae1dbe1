// The pieces the editor window is built from, one per panel: the byte grid
// with its byte editor, the flag groups, the number panel, the gun group
// chooser and panels, and the script maker. Each builds its widgets, forwards
// their signals to the editor through the ActionRouter, and shows the
// editor's state in them when the window refreshes.
//
// Widgets carry the form's control names as object names; members of a
// control array carry their index after an underscore ("Check1_4").
#pragma once

#include "planesedit/aircrafteditor.h"

#include <QFont>
#include <QHash>
#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <utility>

class QButtonGroup;
class QCheckBox;
class QFileSystemModel;
class QGroupBox;
class QLabel;
class QLayout;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QRadioButton;
class QTableView;
class QTreeView;
class QWidget;

namespace kvl::planesedit {

/// Passes each user action on to the editor, leaving out the signals the
/// window's own filling raises; also the one place where clicks on fields
/// become scroll shortcuts. The window shows the result when the editor's
/// change notifier says so.
class ActionRouter : public QObject {
public:
    ActionRouter(AircraftEditor& editor, QObject* parent);

    AircraftEditor& editor() { return m_editor; }
    /// True while the window fills its widgets; signals raised by that filling are not user actions.
    bool refreshing() const { return m_refreshing; }
    void setRefreshing(bool on) { m_refreshing = on; }

    /// Runs `action` on the editor. Ignored while refreshing.
    void run(const std::function<void(AircraftEditor&)>& action);
    /// The two rules of a typed field: `changed` on every edit of its text,
    /// `entered` on Enter (which writes the field's text again).
    void connectField(QLineEdit* edit, std::function<void(AircraftEditor&, const std::string&)> changed,
        std::function<void(AircraftEditor&)> entered);
    /// A mouse press on `widget` runs the scroll shortcut of `field`.
    void scrollOnClick(QWidget* widget, ClickField field, int index = 0);
    /// Undo and redo keys pressed in `edit` undo the record's edits rather
    /// than the field's own text, so one history covers every panel.
    void leaveUndoKeysToTheWindow(QLineEdit* edit);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AircraftEditor& m_editor;
    bool m_refreshing = false;
    QHash<QObject*, std::pair<ClickField, int>> m_shortcuts;
    QHash<QObject*, bool> m_undoKeyFields;
};

class RecordGridModel;

/// The byte grid (G1), the working-copy name beside it (Label7) and the byte
/// editor below it (Text4). The grid holds no cells of its own: its model
/// draws every cell from the record as the last refresh left it.
class GridPanel {
public:
    explicit GridPanel(ActionRouter& router);
    QLabel* workingCopyLabel() const { return m_workingCopy; }
    /// The grid with the byte editor's place below it.
    QLayout* gridColumn() const { return m_column; }
    void show(const AircraftEditor& editor);
    void carryOut(const ViewRequest& request);

private:
    QLabel* m_workingCopy = nullptr;
    QTableView* m_grid = nullptr;
    RecordGridModel* m_model = nullptr;
    QLineEdit* m_byteEditor = nullptr;
    QLayout* m_column = nullptr;
    unsigned m_shownRevision = ~0u;
};

/// The four flag groups (F1..F4); the fourth also holds Year and Crew.
class FlagPanel {
public:
    explicit FlagPanel(ActionRouter& router);
    QWidget* widget() const { return m_widget; }
    void show(const AircraftEditor& editor);

private:
    QWidget* m_widget = nullptr;
    std::array<QGroupBox*, kFlagGroups> m_frames {};
    std::array<std::array<QCheckBox*, 8>, kFlagGroups> m_boxes {};
    QLineEdit* m_year = nullptr;
    QLineEdit* m_crew = nullptr;
};

/// The fifteen numbers with their unit readings, and the code.
class NumberPanel {
public:
    explicit NumberPanel(ActionRouter& router);
    QWidget* widget() const { return m_widget; }
    void show(const AircraftEditor& editor);

private:
    QWidget* m_widget = nullptr;
    std::array<QLineEdit*, kNumberFields> m_numbers {};
    std::array<QLabel*, kNumberFields> m_readings {};
    QLineEdit* m_code = nullptr;
};

/// The "Gun Group" chooser (Frame1, with the three command buttons below it)
/// and the gun position, type and sound panels (FGG, FGC, FGS).
class GunGroupPanel {
public:
    GunGroupPanel(ActionRouter& router, QLayout* buttons);
    QWidget* widget() const { return m_widget; }
    void show(const AircraftEditor& editor);

private:
    QLayout* buildChooser(ActionRouter& router, QLayout* buttons);
    QGroupBox* buildPositionPanel(ActionRouter& router);
    QGroupBox* buildTypePanel(ActionRouter& router);
    QGroupBox* buildSoundPanel(ActionRouter& router);

    QWidget* m_widget = nullptr;
    QGroupBox* m_chooser = nullptr;
    QLineEdit* m_gunCount = nullptr;
    QButtonGroup* m_groups = nullptr;
    QGroupBox* m_positionPanel = nullptr;
    QLineEdit* m_number = nullptr;
    QButtonGroup* m_positions = nullptr;
    QLabel* m_positionCode = nullptr;
    QLineEdit* m_ammunition = nullptr;
    QLabel* m_ammunitionCaption = nullptr;
    QCheckBox* m_smoke = nullptr;
    QGroupBox* m_typePanel = nullptr;
    QLineEdit* m_type = nullptr;
    QButtonGroup* m_types = nullptr;
    QGroupBox* m_soundPanel = nullptr;
    QButtonGroup* m_sounds = nullptr;
    QLabel* m_soundCode = nullptr;
};

/// The script maker (Frame3).
class ScriptMakerPanel {
public:
    explicit ScriptMakerPanel(ActionRouter& router);
    QWidget* widget() const;
    void show(const AircraftEditor& editor);

private:
    QGroupBox* m_frame = nullptr;
    QListWidget* m_destinations = nullptr;
    QLabel* m_destination = nullptr;
    QLineEdit* m_scriptName = nullptr;
    QLineEdit* m_pnamesName = nullptr;
    QPlainTextEdit* m_description = nullptr;
    QLineEdit* m_folder = nullptr;
    void watchFolder();

    QTreeView* m_folderView = nullptr;
    QFileSystemModel* m_folderModel = nullptr;
    QString m_folderRoot;
};

} // namespace kvl::planesedit
