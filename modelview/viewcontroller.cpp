#include "modelview/viewcontroller.h"

#include "modelview/modeldocument.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QWidget>

#include <cmath>

namespace kvl::modelview {

namespace {

constexpr double kDegreesPerPixel = 0.5;
constexpr double kKeyDegrees = 5.0;
constexpr double kKeyPixels = 20.0;
constexpr double kKeyZoom = 1.25;
constexpr double kWheelZoom = 1.15; // per notch
constexpr double kClickSlack = 3.0; // pixels a click may move and stay a click

} // namespace

ViewController::ViewController(const ModelDocument* doc, QWidget* view) : QObject(view), m_doc(doc), m_view(view)
{
    view->setFocusPolicy(Qt::StrongFocus);
    view->setMouseTracking(false);
    view->installEventFilter(this);
}

void ViewController::setOptions(const ViewOptions& options)
{
    m_options = options;
    m_render.drawNodes = options.drawNodes;
    m_render.showBackFaces = options.showBackFaces;
    m_render.nodeSize = options.nodeSize;
    emit changed();
}

std::optional<ViewMode> ViewController::mode() const
{
    return m_options ? std::optional<ViewMode>(m_options->mode) : std::nullopt;
}

QSize ViewController::deviceSize() const
{
    const qreal ratio = m_view->devicePixelRatioF();
    return { qMax(1, qRound(m_view->width() * ratio)), qMax(1, qRound(m_view->height() * ratio)) };
}

int ViewController::topReserve() const
{
    if (mode() != ViewMode::Size)
        return 0;
    const QFontMetrics metrics(m_view->font());
    const int lines = m_doc && m_doc->model() ? int(sizeReport(summarize(*m_doc->model())).size()) : 0;
    return qRound((6 + lines * metrics.height() + 6) * m_view->devicePixelRatioF());
}

ViewMatrices ViewController::matrices(int width, int height) const
{
    const VkmModel* model = m_doc ? m_doc->model() : nullptr;
    const ModelSummary summary = model ? summarize(*model) : ModelSummary {};
    return viewMatrices(mode().value_or(ViewMode::Perspective), m_camera, summary, width, height, topReserve());
}

void ViewController::modelChanged()
{
    const VkmModel* model = m_doc ? m_doc->model() : nullptr;
    m_camera.reset();
    m_camera.setExtent(model ? summarize(*model) : ModelSummary {});
    m_render.selection.reset();
    emit selectionChanged();
    emit changed();
}

void ViewController::resetView()
{
    m_camera.reset();
    emit changed();
}

void ViewController::fitView()
{
    const QSize size = deviceSize();
    m_camera.fit(size.width(), size.height());
    emit changed();
}

void ViewController::orbit(double yawDegrees, double pitchDegrees)
{
    if (mode() != ViewMode::Perspective)
        return;
    m_camera.orbit(yawDegrees, pitchDegrees);
    emit changed();
}

void ViewController::pan(double dx, double dy)
{
    if (mode() != ViewMode::Perspective)
        return;
    m_camera.pan(dx, dy, deviceSize().height());
    emit changed();
}

void ViewController::zoomAt(double factor, QPointF at)
{
    if (mode() != ViewMode::Perspective)
        return;
    const qreal ratio = m_view->devicePixelRatioF();
    const QSize size = deviceSize();
    m_camera.zoomAt(factor, at.x() * ratio, at.y() * ratio, size.width(), size.height());
    emit changed();
}

void ViewController::pickAt(QPointF at)
{
    const VkmModel* model = m_doc ? m_doc->model() : nullptr;
    if (!model || !mode())
        return;
    const qreal ratio = m_view->devicePixelRatioF();
    const QSize size = deviceSize();
    const std::optional<Selection> picked = pick(
        *model, matrices(size.width(), size.height()), m_render, at.x() * ratio, at.y() * ratio, 5 * ratio);
    if (picked == m_render.selection)
        return;
    m_render.selection = picked;
    emit selectionChanged();
    emit changed();
}

void ViewController::clearSelection()
{
    if (!m_render.selection)
        return;
    m_render.selection.reset();
    emit selectionChanged();
    emit changed();
}

bool ViewController::keyPressed(int key, Qt::KeyboardModifiers modifiers)
{
    const bool shift = modifiers & Qt::ShiftModifier;
    const QSize size = deviceSize();
    const QPointF centre(m_view->width() / 2.0, m_view->height() / 2.0);
    switch (key) {
    case Qt::Key_Left:
        shift ? pan(-kKeyPixels, 0) : orbit(-kKeyDegrees, 0);
        return true;
    case Qt::Key_Right:
        shift ? pan(kKeyPixels, 0) : orbit(kKeyDegrees, 0);
        return true;
    case Qt::Key_Up:
        shift ? pan(0, -kKeyPixels) : orbit(0, -kKeyDegrees);
        return true;
    case Qt::Key_Down:
        shift ? pan(0, kKeyPixels) : orbit(0, kKeyDegrees);
        return true;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoomAt(kKeyZoom, centre);
        return true;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        zoomAt(1 / kKeyZoom, centre);
        return true;
    default:
        break;
    }
    (void)size;
    return false;
}

bool ViewController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_view)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (m_dragButton != Qt::NoButton)
            return true;
        m_dragButton = e->button();
        m_panning = e->button() != Qt::LeftButton || (e->modifiers() & Qt::ShiftModifier);
        m_pressAt = m_lastAt = e->position();
        m_dragged = false;
        m_view->setFocus(Qt::MouseFocusReason);
        return true;
    }
    case QEvent::MouseMove: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (m_dragButton == Qt::NoButton)
            return false;
        const QPointF at = e->position();
        if (!m_dragged && QLineF(at, m_pressAt).length() < kClickSlack)
            return true;
        m_dragged = true;
        const QPointF d = at - m_lastAt;
        m_lastAt = at;
        const qreal ratio = m_view->devicePixelRatioF();
        if (m_panning)
            pan(d.x() * ratio, d.y() * ratio);
        else
            orbit(d.x() * kDegreesPerPixel, d.y() * kDegreesPerPixel);
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() != m_dragButton)
            return true;
        m_dragButton = Qt::NoButton;
        if (!m_dragged && e->button() == Qt::LeftButton)
            pickAt(e->position());
        return true;
    }
    case QEvent::Wheel: {
        auto* e = static_cast<QWheelEvent*>(event);
        const double notches = e->angleDelta().y() / 120.0;
        if (notches != 0)
            zoomAt(std::pow(kWheelZoom, notches), e->position());
        return true;
    }
    case QEvent::KeyPress: {
        auto* e = static_cast<QKeyEvent*>(event);
        return keyPressed(e->key(), e->modifiers());
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

void ViewController::paintSizeText(QPainter& painter, const ModelSummary& summary)
{
    painter.setPen(QColor(255, 255, 0));
    const QFontMetrics metrics(painter.font());
    int y = metrics.ascent() + 6;
    for (const std::string& line : sizeReport(summary)) {
        painter.drawText(8, y, QString::fromStdString(line));
        y += metrics.height();
    }
}

} // namespace kvl::modelview
