// The monkey's hands: the controls of the program's windows, random
// actions on them, and doing an action as the user would (the mouse and
// keys through the toolkit's test events, so event filters and shortcuts
// see what they see from a user).
#include "common/testing/monkeyactions.h"

#include "common/platform.h"
#include "common/qt/qtwindowhost.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QTextEdit>
#include <QTreeView>
#include <QUrl>
#include <QWheelEvent>

#include <algorithm>
#include <map>

namespace kvl::test::monkey {

namespace fs = std::filesystem;

namespace {

using Rng = std::mt19937_64;

// Draws are taken modulo the generator's 64-bit output, so a seed gives the
// same actions in every build and with every standard library.
std::size_t below(Rng& rng, std::size_t count)
{
    return count == 0 ? 0 : static_cast<std::size_t>(rng() % count);
}

std::string utf8(const QString& text)
{
    return text.toStdString();
}

// ---- controls ---------------------------------------------------------------------

struct Control {
    std::string id;
    QPointer<QWidget> widget;
    QPointer<QAction> action;
};

bool isTopLevelWindow(const QWidget* w)
{
    return w->isWindow() && w->isVisible() && !qobject_cast<const QMenu*>(w) && w->windowType() != Qt::ToolTip
        && w->windowType() != Qt::Popup;
}

std::vector<QWidget*> topLevels()
{
    std::vector<QWidget*> tops;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (isTopLevelWindow(w) && !w->objectName().isEmpty())
            tops.push_back(w);
    // The toolkit keeps its windows in a hash: ordered by name, the list is
    // the same in every run.
    std::stable_sort(tops.begin(), tops.end(), [](QWidget* a, QWidget* b) {
        return std::make_pair(a->objectName(), QString::fromLatin1(a->metaObject()->className()))
            < std::make_pair(b->objectName(), QString::fromLatin1(b->metaObject()->className()));
    });
    return tops;
}

bool usable(const QObject* o)
{
    const QString name = o->objectName();
    return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}

std::vector<Control> listControls()
{
    std::vector<Control> controls;
    std::map<std::string, int> seen;
    const auto add = [&](Control c, const QString& name) {
        const int n = seen[utf8(name)]++;
        c.id = utf8(name) + (n == 0 ? std::string() : "#" + std::to_string(n));
        controls.push_back(std::move(c));
    };
    for (QWidget* top : topLevels()) {
        std::vector<QWidget*> widgets { top };
        for (QWidget* w : top->findChildren<QWidget*>())
            widgets.push_back(w);
        for (QWidget* w : widgets) {
            if (!usable(w) || !w->isVisible() || !w->isEnabled() || qobject_cast<QMenu*>(w))
                continue;
            if (w != top && w->window() != top)
                continue; // a window of its own, listed as one
            add({ {}, w, nullptr }, w->objectName());
        }
        const QList<QAction*> own = top->actions();
        std::vector<QAction*> actions(own.begin(), own.end());
        for (QAction* a : top->findChildren<QAction*>())
            if (std::find(actions.begin(), actions.end(), a) == actions.end())
                actions.push_back(a);
        for (QAction* a : actions)
            if (usable(a) && a->isEnabled() && a->isVisible() && !a->associatedObjects().isEmpty())
                add({ {}, nullptr, a }, a->objectName());
    }
    return controls;
}

const Control* findControl(const std::vector<Control>& controls, const std::string& id)
{
    for (const Control& c : controls)
        if (c.id == id)
            return &c;
    return nullptr;
}

// ---- random actions --------------------------------------------------------------

const char* const kKeys[] = { "Return", "Enter", "Escape", "Tab", "Backtab", "Backspace", "Del", "Space", "Up", "Down",
    "Left", "Right", "PgUp", "PgDown", "Home", "End", "Ctrl+Z", "Ctrl+Y", "Ctrl+Shift+Z", "Ctrl+A", "Ctrl+C", "Ctrl+V",
    "Ctrl+X", "Ctrl+S", "Ctrl+O", "Ctrl+N", "F", "Shift+Up", "Shift+Down", "Shift+End", "Shift+PgDown", "Alt+F",
    "Alt+E", "F1", "F2", "A", "5", "=", "-", "Shift+=", "Ctrl+Home" };

const char* const kNumbers[] = { "0", "1", "-1", "7", "127", "128", "255", "256", "-129", "32767", "32768", "65535",
    "65536", "-32768", "-32769", "2147483647", "2147483648", "-2147483649", "4294967296", "1e38", "3.4e38", "3.5e38",
    "-3.4e39", "1e-45", "1E+07", "0.5", "2.5", "-0", "1,5", "1.", ".5", "  12  ", "0x10", "1e", "NaN", "-NaN", "Inf",
    "-Inf", "inf", "nan", "9999999999999999999999", "1999", "2026", "12.25" };

const char* const kWords[] = { "P-", "new", "Channel 1940", "..", ".", "con", "a/b", "C:\\x", "name?", "*",
    "CAMP0001.DAT", "planes.dat", "Kestrel.flt", "\"quoted\"", "FW190", "xxx" };

// Characters typed as junk: plain ones, what a file name must not hold,
// letters of other scripts, invisible ones and one beyond the 16-bit range.
const char* const kJunk[] = { "a", "Z", "0", "9", " ", ".", ",", "-", "+", "e", "/", "\\", ":", "*", "?", "\"", "<",
    ">", "|", "'", "%", "&", "\t", "\x01", "\x7f", "\xc3\xa9", "\xc3\x9f", "\xe2\x82\xac", "\xe6\x97\xa5", "\xce\xa9",
    "\xc2\xa0", "\xe2\x80\x8b", "\xef\xbb\xbf", "\xf0\x9f\x98\x80" };

std::string randomText(Rng& rng)
{
    switch (below(rng, 10)) {
    case 0:
    case 1:
    case 2:
    case 3:
        return kNumbers[below(rng, std::size(kNumbers))];
    case 4:
        return kWords[below(rng, std::size(kWords))];
    case 5:
        return {};
    case 6:
        return std::string(below(rng, 2) ? 300 : 40, below(rng, 2) ? '9' : 'x');
    default: {
        std::string text;
        for (std::size_t n = 1 + below(rng, 12); n > 0; --n)
            text += kJunk[below(rng, std::size(kJunk))];
        return text;
    }
    }
}

std::string randomKey(Rng& rng)
{
    return kKeys[below(rng, std::size(kKeys))];
}

std::string perMille(Rng& rng, int values)
{
    std::string text;
    for (int i = 0; i < values; ++i)
        text += (i ? "," : "") + std::to_string(below(rng, 1001));
    return text;
}

std::vector<int> visibleColumns(const QAbstractItemView* view)
{
    std::vector<int> columns;
    const QAbstractItemModel* model = view->model();
    const int count = model ? model->columnCount(view->rootIndex()) : 0;
    for (int c = 0; c < count; ++c) {
        if (const auto* table = qobject_cast<const QTableView*>(view); table && table->isColumnHidden(c))
            continue;
        if (const auto* tree = qobject_cast<const QTreeView*>(view); tree && tree->isColumnHidden(c))
            continue;
        columns.push_back(c);
    }
    return columns;
}

std::string randomCell(Rng& rng, const QAbstractItemView* view)
{
    const QAbstractItemModel* model = view->model();
    const int rows = model ? model->rowCount(view->rootIndex()) : 0;
    const std::vector<int> columns = visibleColumns(view);
    if (rows == 0 || columns.empty())
        return {};
    return std::to_string(below(rng, static_cast<std::size_t>(rows))) + ","
        + std::to_string(columns[below(rng, columns.size())]);
}

// The action for a control, by what kind of control it is.
Action actionOn(Rng& rng, const Control& control)
{
    Action a;
    a.target = control.id;
    if (control.action) {
        a.kind = "trigger";
        return a;
    }
    QWidget* w = control.widget;
    const std::size_t r = below(rng, 100);
    const auto keyOr = [&](const char* kind, std::string argument) {
        if (r < 20 && w->focusPolicy() != Qt::NoFocus) {
            a.kind = "key";
            a.argument = randomKey(rng);
        } else {
            a.kind = kind;
            a.argument = std::move(argument);
        }
    };
    if (qobject_cast<QAbstractButton*>(w)) {
        keyOr("click", {});
    } else if (auto* edit = qobject_cast<QLineEdit*>(w); edit && !edit->isReadOnly()) {
        if (r < 35) {
            a.kind = "key";
            a.argument = below(rng, 2) ? "Return" : randomKey(rng);
        } else {
            // Often the user ends what they type with Enter.
            a.kind = r < 70 ? "retype" : "type";
            a.argument = randomText(rng) + (below(rng, 5) < 2 ? "\n" : "");
        }
    } else if ((qobject_cast<QPlainTextEdit*>(w) && !static_cast<QPlainTextEdit*>(w)->isReadOnly())
        || (qobject_cast<QTextEdit*>(w) && !static_cast<QTextEdit*>(w)->isReadOnly())) {
        keyOr(r < 60 ? "type" : "retype", randomText(rng) + (below(rng, 3) ? "" : "\n" + randomText(rng)));
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        keyOr("combo", std::to_string(below(rng, static_cast<std::size_t>(std::max(combo->count(), 1)))));
    } else if (qobject_cast<QAbstractSpinBox*>(w)) {
        keyOr("retype", randomText(rng));
    } else if (auto* slider = qobject_cast<QAbstractSlider*>(w)) {
        keyOr("slide",
            std::to_string(slider->minimum()
                + static_cast<int>(below(rng, static_cast<std::size_t>(slider->maximum() - slider->minimum()) + 1))));
    } else if (auto* tabs = qobject_cast<QTabBar*>(w)) {
        keyOr("combo", std::to_string(below(rng, static_cast<std::size_t>(std::max(tabs->count(), 1)))));
    } else if (auto* view = qobject_cast<QAbstractItemView*>(w)) {
        const std::string cell = randomCell(rng, view);
        if (cell.empty() || r < 25) {
            a.kind = "key";
            a.argument = randomKey(rng);
        } else if (r < 80) {
            a.kind = "cell";
            static const char* const modifiers[] = { "", "", "", "", "", ",Shift", ",Ctrl" };
            a.argument = cell + modifiers[below(rng, std::size(modifiers))];
        } else if (r < 88) {
            a.kind = "dclick";
            a.argument = cell;
        } else {
            const std::string other = randomCell(rng, view);
            a.kind = "drag";
            a.argument = cell + "," + other;
        }
    } else if ((w->focusPolicy() != Qt::NoFocus && !qobject_cast<QLabel*>(w)) || w->isWindow()) {
        // A view of its own (the model view) or a window: the mouse and keys.
        if (r < 35) {
            a.kind = "key";
            a.argument = randomKey(rng);
        } else if (r < 60) {
            a.kind = "mouse";
            a.argument = perMille(rng, 2) + (below(rng, 4) ? "" : ",right");
        } else if (r < 85) {
            a.kind = "drag";
            static const char* const buttons[] = { "", "", ",right", ",middle", ",shift" };
            a.argument = perMille(rng, 4) + buttons[below(rng, std::size(buttons))];
        } else {
            a.kind = "wheel";
            a.argument = perMille(rng, 2) + "," + (below(rng, 2) ? "120" : "-120");
        }
    } else {
        // A label or frame: some of them act on a click.
        a.kind = "mouse";
        a.argument = perMille(rng, 2);
    }
    return a;
}

} // namespace

Action randomAction(Rng& rng, Subject& subject, const Session& session)
{
    const std::uint32_t answers = static_cast<std::uint32_t>(rng() >> 32);
    QWidget* window = subject.window();
    const bool running = window && window->isVisible();
    if (!running || static_cast<int>(below(rng, 1000)) < subject.restartsPerThousand())
        return { "restart", {}, answers, {} };
    const std::vector<Control> controls = listControls();
    const std::size_t r = below(rng, 200);
    if (r < 3) {
        // Closing a window with its title bar's button.
        std::vector<const Control*> windows;
        for (const Control& c : controls)
            if (c.widget && c.widget->isWindow())
                windows.push_back(&c);
        if (!windows.empty())
            return { "close", windows[below(rng, windows.size())]->id, answers, {} };
    } else if (r < 10) {
        // A file dropped on a window that takes drops.
        const std::vector<fs::path>& files = session.openable();
        for (const Control& c : controls)
            if (c.widget && c.widget->isWindow() && c.widget->acceptDrops() && !files.empty())
                return { "drop", c.id, answers, session.relative(files[below(rng, files.size())]) };
    }
    if (controls.empty())
        return { "restart", {}, answers, {} };
    // Controls that do something are chosen four times as often as labels
    // and frames, of which a form has many; a view of the program's own (a
    // model view) three times as often again, as it takes every drag.
    std::vector<std::size_t> weights;
    std::size_t total = 0;
    for (const Control& c : controls) {
        const QWidget* w = c.widget;
        const bool standard = c.action || qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w)
            || qobject_cast<const QAbstractItemView*>(w) || qobject_cast<const QComboBox*>(w)
            || qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QPlainTextEdit*>(w)
            || qobject_cast<const QAbstractSlider*>(w);
        const bool ownView = !standard && w && !w->isWindow() && w->focusPolicy() != Qt::NoFocus
            && !qobject_cast<const QLabel*>(w);
        total += ownView ? 12 : standard ? 4 : 1;
        weights.push_back(total);
    }
    const std::size_t at = below(rng, total);
    const std::size_t chosen = static_cast<std::size_t>(
        std::upper_bound(weights.begin(), weights.end(), at) - weights.begin());
    Action a = actionOn(rng, controls[chosen]);
    a.answers = answers;
    return a;
}

namespace {

// ---- doing an action ------------------------------------------------------------

std::vector<std::string> splitArgument(const std::string& text)
{
    std::vector<std::string> parts;
    std::size_t from = 0;
    while (true) {
        const std::size_t comma = text.find(',', from);
        parts.push_back(text.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
        if (comma == std::string::npos)
            return parts;
        from = comma + 1;
    }
}

std::optional<int> number(const std::string& text)
{
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

QPoint pointIn(const QWidget* w, int x, int y)
{
    return { std::clamp(w->width() * x / 1000, 0, std::max(w->width() - 1, 0)),
        std::clamp(w->height() * y / 1000, 0, std::max(w->height() - 1, 0)) };
}

Qt::MouseButton buttonNamed(const std::string& name)
{
    return name == "right" ? Qt::RightButton : name == "middle" ? Qt::MiddleButton : Qt::LeftButton;
}

// The user brings the window to the front and clicks into the control before typing.
void focusOn(QWidget* w)
{
    QWidget* window = w->window();
    if (QApplication::activeWindow() != window) {
        window->raise();
        QApplication::setActiveWindow(window);
    }
    w->setFocus(Qt::MouseFocusReason);
}

void typeText(QWidget* w, const std::string& text)
{
    const QString typed = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    for (const char32_t c : typed.toUcs4()) {
        QPointer<QWidget> alive(w);
        if (!alive)
            return;
        const QString one = QString::fromUcs4(&c, 1);
        Qt::Key key = Qt::Key_unknown;
        if (c == '\n')
            key = Qt::Key_Return;
        else if (c == '\t')
            key = Qt::Key_Tab;
        else if (c >= 'a' && c <= 'z')
            key = static_cast<Qt::Key>(Qt::Key_A + static_cast<int>(c - 'a'));
        else if (c >= 0x20 && c < 0x7F)
            key = static_cast<Qt::Key>(QChar(c).toUpper().unicode());
        QTest::sendKeyEvent(QTest::Click, w, key, one, Qt::NoModifier);
    }
}

bool pressKey(QWidget* w, const std::string& name)
{
    const QKeySequence sequence = QKeySequence::fromString(QString::fromStdString(name), QKeySequence::PortableText);
    if (sequence.isEmpty())
        return false;
    const QKeyCombination combination = sequence[0];
    focusOn(w);
    QTest::keyClick(w, combination.key(), combination.keyboardModifiers());
    return true;
}

bool itemAction(QAbstractItemView* view, const std::string& kind, const std::vector<std::string>& parts)
{
    const auto indexAt = [&](std::size_t at) {
        const auto row = at + 1 < parts.size() ? number(parts[at]) : std::nullopt;
        const auto column = at + 1 < parts.size() ? number(parts[at + 1]) : std::nullopt;
        if (!row || !column || !view->model())
            return QModelIndex();
        return view->model()->index(*row, *column, view->rootIndex());
    };
    const QModelIndex from = indexAt(0);
    if (!from.isValid())
        return false;
    const auto pointOf = [view](const QModelIndex& index) {
        view->scrollTo(index);
        const QRect rect = view->visualRect(index);
        return rect.isEmpty() ? std::optional<QPoint>() : std::optional<QPoint>(rect.center());
    };
    QWidget* port = view->viewport();
    if (kind == "drag") {
        const QModelIndex to = indexAt(2);
        const auto a = pointOf(from);
        if (!to.isValid() || !a)
            return false;
        QTest::mousePress(port, Qt::LeftButton, {}, *a);
        const auto b = pointOf(to);
        QTest::mouseMove(port, b.value_or(*a));
        QTest::mouseRelease(port, Qt::LeftButton, {}, b.value_or(*a));
        return true;
    }
    const auto at = pointOf(from);
    if (!at)
        return false;
    if (kind == "dclick") {
        QTest::mouseDClick(port, Qt::LeftButton, {}, *at);
        return true;
    }
    const std::string modifier = parts.size() > 2 ? parts[2] : std::string();
    const Qt::KeyboardModifiers modifiers = modifier == "Shift" ? Qt::ShiftModifier
        : modifier == "Ctrl"                                    ? Qt::ControlModifier
                                                                : Qt::NoModifier;
    QTest::mouseClick(port, Qt::LeftButton, modifiers, *at);
    return true;
}

bool mouseAction(QWidget* w, const std::string& kind, const std::vector<std::string>& parts)
{
    std::vector<int> values;
    std::string extra;
    for (const std::string& p : parts) {
        if (const auto v = number(p))
            values.push_back(std::min(*v, 1000));
        else
            extra = p;
    }
    if (kind == "wheel") {
        if (values.size() < 2)
            return false;
        const int delta = parts.size() > 2 && parts[2] == "-120" ? -120 : 120;
        const QPoint at = pointIn(w, values[0], values[1]);
        QWheelEvent wheel(QPointF(at), QPointF(w->mapToGlobal(at)), QPoint(), QPoint(0, delta), Qt::NoButton,
            Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &wheel);
        return true;
    }
    if (kind == "mouse") {
        if (values.size() < 2)
            return false;
        QTest::mouseClick(w, buttonNamed(extra), {}, pointIn(w, values[0], values[1]));
        return true;
    }
    if (values.size() < 4)
        return false;
    const Qt::MouseButton button = extra == "shift" ? Qt::LeftButton : buttonNamed(extra);
    const Qt::KeyboardModifiers modifiers = extra == "shift" ? Qt::ShiftModifier : Qt::NoModifier;
    const QPoint a = pointIn(w, values[0], values[1]), b = pointIn(w, values[2], values[3]);
    QPointer<QWidget> alive(w);
    QTest::mousePress(w, button, modifiers, a);
    for (int step = 1; step <= 4 && alive; ++step)
        QTest::mouseMove(w, a + (b - a) * step / 4);
    if (alive)
        QTest::mouseRelease(w, button, modifiers, b);
    return true;
}

bool dropFile(QWidget* window, const fs::path& file)
{
    QMimeData mime;
    mime.setUrls({ QUrl::fromLocalFile(kvl::qt::toQString(file)) });
    const QPoint at = window->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &enter);
    if (!enter.isAccepted())
        return true;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &drop);
    return true;
}

} // namespace

bool perform(const Action& a, Subject& subject, Session& session)
{
    if (a.kind == "restart") {
        subject.stop();
        subject.start(session);
        return true;
    }
    const std::vector<Control> controls = listControls();
    const Control* control = findControl(controls, a.target);
    if (!control)
        return false;
    if (control->action) {
        if (a.kind != "trigger" || !control->action->isEnabled())
            return false;
        control->action->trigger();
        return true;
    }
    QWidget* w = control->widget;
    if (!w)
        return false;
    const std::vector<std::string> parts = splitArgument(a.argument);
    if (a.kind == "click") {
        if (!qobject_cast<QAbstractButton*>(w))
            return false;
        QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
    } else if (a.kind == "key") {
        return pressKey(w, a.argument);
    } else if (a.kind == "type" || a.kind == "retype") {
        focusOn(w);
        if (a.kind == "retype")
            QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
        typeText(w, a.argument);
    } else if (a.kind == "combo") {
        const auto index = number(a.argument);
        if (!index)
            return false;
        if (auto* combo = qobject_cast<QComboBox*>(w); combo && *index < combo->count()) {
            combo->setCurrentIndex(*index);
            emit combo->activated(*index);
        } else if (auto* tabs = qobject_cast<QTabBar*>(w); tabs && *index < tabs->count()) {
            tabs->setCurrentIndex(*index);
        } else {
            return false;
        }
    } else if (a.kind == "slide") {
        auto* slider = qobject_cast<QAbstractSlider*>(w);
        bool ok = false;
        const int value = QString::fromStdString(a.argument).toInt(&ok);
        if (!slider || !ok)
            return false;
        slider->setValue(value);
    } else if ((a.kind == "cell" || a.kind == "dclick" || a.kind == "drag") && qobject_cast<QAbstractItemView*>(w)) {
        return itemAction(static_cast<QAbstractItemView*>(w), a.kind, parts);
    } else if (a.kind == "mouse" || a.kind == "drag" || a.kind == "wheel") {
        return mouseAction(w, a.kind, parts);
    } else if (a.kind == "close") {
        if (!w->isWindow())
            return false;
        w->close();
    } else if (a.kind == "drop") {
        if (!w->isWindow() || a.argument.empty())
            return false;
        return dropFile(w, session.folders().root / kvl::platform::pathFromUtf8(a.argument));
    } else {
        return false;
    }
    return true;
}

} // namespace kvl::test::monkey
