#include "modelview/dockbar.h"

#include <QMainWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QSettings>
#include <QStyleOption>
#include <qdrawutil.h>

namespace kvl::modelview {

namespace {

// The gripper title of GripDockBar. Mouse presses outside the close button
// are left to the dock widget, which drags the bar or (double click) floats it.
class Gripper : public QWidget {
public:
    explicit Gripper(QDockWidget* bar) : QWidget(bar), m_bar(bar)
    {
        setObjectName(QStringLiteral("gripper"));
        setAccessibleName(bar->windowTitle());
        setToolTip(QStringLiteral("Drag to move, double-click to float or dock"));
        setMouseTracking(true);
        setAttribute(Qt::WA_Hover);
        connect(bar, &QDockWidget::topLevelChanged, this, [this] { updateGeometry(); });
    }

    QSize sizeHint() const override
    {
        // A floating bar shows its text in the gripper, so it grows to fit.
        const int depth = m_bar->isFloating() ? qMax(GripDockBar::kGripperDepth, fontMetrics().height() + 2)
                                              : GripDockBar::kGripperDepth;
        return { GripDockBar::kGripperDepth * 2, depth };
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

    QRect closeRect() const
    {
        const int b = GripDockBar::kCloseButton;
        return { width() - b - 2, (height() - b) / 2, b, b };
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QPalette& pal = palette();
        const QRect close = closeRect();
        int textRight = 2;
        if (m_bar->isFloating()) {
            p.setPen(pal.color(QPalette::WindowText));
            const QRect textRect(4, 0, close.left() - 8, height());
            p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, m_bar->windowTitle());
            textRight = 4 + fontMetrics().horizontalAdvance(m_bar->windowTitle()) + 4;
        }
        // Two raised lines, 3 pixels apart, across the rest of the gripper.
        const int left = textRight;
        const int right = close.left() - 4;
        const int mid = height() / 2 - 2;
        if (right > left) {
            for (int line = 0; line < 2; ++line) {
                const int y = mid + line * 3;
                p.setPen(pal.color(QPalette::Light));
                p.drawLine(left, y, right, y);
                p.setPen(pal.color(QPalette::Dark));
                p.drawLine(left, y + 1, right, y + 1);
            }
        }
        // The close button: raised while the mouse is over it, sunken while pressed.
        const bool over = close.contains(mapFromGlobal(QCursor::pos()));
        if (m_pressed && over)
            qDrawShadeRect(&p, close, pal, true, 1);
        else if (over)
            qDrawShadeRect(&p, close, pal, false, 1);
        p.setPen(QPen(pal.color(QPalette::WindowText), 1.2));
        const QRect x = close.adjusted(3, 3, -3, -3).translated(m_pressed && over ? 1 : 0, m_pressed && over ? 1 : 0);
        p.drawLine(x.topLeft(), x.bottomRight());
        p.drawLine(x.topRight(), x.bottomLeft());
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && closeRect().contains(event->position().toPoint())) {
            m_pressed = true;
            update();
            return;
        }
        event->ignore();
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        update();
        if (!m_pressed)
            event->ignore();
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (!m_pressed) {
            event->ignore();
            return;
        }
        m_pressed = false;
        update();
        if (event->button() == Qt::LeftButton && closeRect().contains(event->position().toPoint()))
            m_bar->hide();
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        if (closeRect().contains(event->position().toPoint()))
            return;
        event->ignore();
    }
    void leaveEvent(QEvent*) override { update(); }

private:
    QDockWidget* m_bar;
    bool m_pressed = false;
};

} // namespace

DockBar::DockBar(const QString& title, int controlId, QWidget* parent) : QDockWidget(title, parent)
{
    setProperty("controlId", controlId);
    setAllowedAreas(Qt::AllDockWidgetAreas);
    // A change of docking state is finished only after these signals, so the
    // size is applied from the event loop.
    auto changed = [this] {
        setMinimumSize(minimumFor(state()));
        QMetaObject::invokeMethod(this, &DockBar::applyStateSize, Qt::QueuedConnection);
    };
    connect(this, &QDockWidget::topLevelChanged, this, changed);
    connect(this, &QDockWidget::dockLocationChanged, this, changed);
    setMinimumSize(minimumFor(State::Vertical));
}

DockBar::State DockBar::state() const
{
    if (isFloating())
        return State::Floating;
    if (auto* frame = qobject_cast<QMainWindow*>(parentWidget())) {
        const Qt::DockWidgetArea area = frame->dockWidgetArea(const_cast<DockBar*>(this));
        if (area == Qt::TopDockWidgetArea || area == Qt::BottomDockWidgetArea)
            return State::Horizontal;
    }
    return State::Vertical;
}

QSize DockBar::stateSize(State s) const
{
    switch (s) {
    case State::Horizontal:
        return m_horz;
    case State::Floating:
        return m_float;
    case State::Vertical:
        break;
    }
    return m_vert;
}

QSize DockBar::minimumFor(State s)
{
    return s == State::Floating ? QSize(37, 32) : QSize(33, 32);
}

QSize DockBar::sizeHint() const
{
    return stateSize(state());
}

QSize DockBar::minimumSizeHint() const
{
    return minimumFor(state());
}

void DockBar::applyStateSize()
{
    const State s = state();
    m_recorded = s;
    if (s == State::Floating) {
        resize(m_float.expandedTo(minimumSizeHint()));
        return;
    }
    if (auto* frame = qobject_cast<QMainWindow*>(parentWidget())) {
        if (s == State::Vertical)
            frame->resizeDocks({ this }, { m_vert.width() }, Qt::Horizontal);
        else
            frame->resizeDocks({ this }, { m_horz.height() }, Qt::Vertical);
    }
}

void DockBar::resizeEvent(QResizeEvent* event)
{
    QDockWidget::resizeEvent(event);
    // Sizes seen while the bar changes state belong to neither state.
    if (!isVisible() || state() != m_recorded)
        return;
    const QSize now = size().expandedTo(minimumFor(state()));
    switch (state()) {
    case State::Horizontal:
        m_horz = now;
        break;
    case State::Vertical:
        m_vert = now;
        break;
    case State::Floating:
        m_float = now;
        break;
    }
}

void DockBar::saveSizes(QSettings& settings, const QString& prefix) const
{
    settings.beginGroup(QStringLiteral("%1-Bar-%2").arg(prefix).arg(property("controlId").toInt()));
    settings.setValue(QStringLiteral("sizeHorzCX"), m_horz.width());
    settings.setValue(QStringLiteral("sizeHorzCY"), m_horz.height());
    settings.setValue(QStringLiteral("sizeVertCX"), m_vert.width());
    settings.setValue(QStringLiteral("sizeVertCY"), m_vert.height());
    settings.setValue(QStringLiteral("sizeFloatCX"), m_float.width());
    settings.setValue(QStringLiteral("sizeFloatCY"), m_float.height());
    settings.endGroup();
}

void DockBar::loadSizes(QSettings& settings, const QString& prefix)
{
    settings.beginGroup(QStringLiteral("%1-Bar-%2").arg(prefix).arg(property("controlId").toInt()));
    auto read = [&settings](const char* cx, const char* cy, QSize current, QSize minimum) {
        const int w = settings.value(QLatin1String(cx), current.width()).toInt();
        const int h = settings.value(QLatin1String(cy), current.height()).toInt();
        return QSize(w, h).expandedTo(minimum);
    };
    m_horz = read("sizeHorzCX", "sizeHorzCY", m_horz, minimumFor(State::Horizontal));
    m_vert = read("sizeVertCX", "sizeVertCY", m_vert, minimumFor(State::Vertical));
    m_float = read("sizeFloatCX", "sizeFloatCY", m_float, minimumFor(State::Floating));
    settings.endGroup();
    updateGeometry();
}

GripDockBar::GripDockBar(const QString& title, int controlId, QWidget* parent) : DockBar(title, controlId, parent)
{
    setTitleBarWidget(new Gripper(this));
}

} // namespace kvl::modelview
