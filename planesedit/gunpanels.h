// The gun group panels: the buttons 1..6 choose one of the record's six gun
// groups, and three panels (position, type, sound) show and edit its fields.
// Every edit changes the bytes of the group; all but the type field count as
// edits for the unsaved mark.
#pragma once

#include "planesedit/editsession.h"

#include <optional>
#include <string>

namespace kvl::planesedit {

/// The sound code that goes with a gun type value (2, 4, 12, 24 -> 0..3);
/// -1 for "None" or any other value.
int soundForGunType(int type);

/// The fields the user types into, and the type button chosen.
struct GunPanelState {
    int group = 0;          // 1..6; 0 = no group shown (the panels are hidden)
    std::string number;     // number of guns
    std::string type;       // the type field: the gun's damage value
    std::string ammunition; // ammunition count
    int typeButton = -1;    // 0, 2, 4, 12 or 24; -1 = none
};

class GunPanels {
public:
    explicit GunPanels(EditSession& session) : m_session(session) { }

    const GunPanelState& state() const { return m_state; }
    bool shown() const { return m_state.group != 0; }
    /// The grid row of the shown group's first byte (0 when none is shown).
    int firstRow() const { return shown() ? gunGroupRow(m_state.group) : 0; }

    /// Hides the panels; no group stays chosen (at every load).
    void hide() { m_state = GunPanelState(); }
    /// Shows group 1..6 of the loaded aircraft and scrolls the grid to it.
    /// Filling the panels is not an edit. Ignored before a load.
    void show(int group);
    /// Fills the fields of the group shown again from the record (after undo,
    /// redo or values copied in); not an edit, and the grid stays where it is.
    void refill();

    // The field rules, for the group shown; ignored while none is.
    void numberChanged(const std::string& text);
    void numberEnter();
    void positionChosen(int code); // 0..13
    void ammunitionChanged(const std::string& text);
    void ammunitionEnter();
    void smokeClicked(bool checked);
    void soundChosen(int code); // 0..3
    /// Typing in the type field writes the value without setting the mark;
    /// a value that has a button acts as choosing that button.
    void typeChanged(const std::string& text);
    void typeEnter();
    /// A type button (0, 2, 4, 12, 24): writes the value and, except for
    /// "None", chooses the sound that goes with it.
    void typeChosen(int value);

    // The buttons selected by what the group's bytes hold: -1 or nullopt when
    // the byte holds a code that has no button (or no group is shown).
    int position() const;
    int sound() const;
    std::optional<bool> smoke() const;

private:
    void write(int offset, const std::string& text);

    EditSession& m_session;
    GunPanelState m_state;
};

} // namespace kvl::planesedit
