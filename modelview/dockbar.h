// A docking bar that keeps one size per docking state (docked along a
// horizontal edge, along a vertical edge, floating), each with its minimum,
// and can save those sizes in the profile. GripDockBar adds a 12-pixel
// gripper with two raised lines and an 11 x 11 close button.
#pragma once

#include <QDockWidget>
#include <QSize>

class QSettings;

namespace kvl::modelview {

class DockBar : public QDockWidget {
    Q_OBJECT
public:
    /// Width of the sizing edge between the bar and the rest of the frame.
    static constexpr int kSizingEdge = 5;

    DockBar(const QString& title, int controlId, QWidget* parent = nullptr);

    enum class State { Horizontal, Vertical, Floating };
    /// The docking state the bar is in now.
    State state() const;
    QSize stateSize(State s) const;
    static QSize minimumFor(State s);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    /// Saves and loads the six sizes in the section "<prefix>-Bar-<id>";
    /// a loaded value below its minimum is raised to the minimum.
    void saveSizes(QSettings& settings, const QString& prefix) const;
    void loadSizes(QSettings& settings, const QString& prefix);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Gives the bar the size kept for the state it has just entered.
    void applyStateSize();

    State m_recorded = State::Vertical; // the state whose size resizes update
    QSize m_horz { 200, 200 };
    QSize m_vert { 200, 200 };
    QSize m_float { 200, 200 };
};

class GripDockBar : public DockBar {
    Q_OBJECT
public:
    static constexpr int kGripperDepth = 12;
    static constexpr int kCloseButton = 11;

    GripDockBar(const QString& title, int controlId, QWidget* parent = nullptr);
};

} // namespace kvl::modelview
