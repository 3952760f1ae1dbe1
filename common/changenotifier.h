// How a window program's core tells its window that there is something new to
// show. The traffic goes one way: the window calls the core, the core calls
// its WindowHost for message boxes and file dialogs, and the window redraws
// itself from the core's state only when this notifier says so.
//
// The core owns one ChangeNotifier and opens an Operation at the top of each
// of its public operations (a click, a key, start-up). When the outermost
// Operation ends, the state is consistent again and the window's listener
// runs once. Inside an operation the core may call notify() at a point where
// its state is complete (say, before the box that reports the operation's
// success, so that the user sees the result behind it); it never does so
// half-way. A WindowHost call never runs the listener, so a window never
// reads its core while a box or dialog of that core is open.
#pragma once

#include <functional>
#include <utility>

namespace kvl {

class ChangeNotifier {
public:
    using Listener = std::function<void()>;

    ChangeNotifier() = default;
    ChangeNotifier(const ChangeNotifier&) = delete;
    ChangeNotifier& operator=(const ChangeNotifier&) = delete;

    /// The window's one listener (connected once, when the window is built);
    /// an empty one disconnects.
    void connect(Listener listener) { m_listener = std::move(listener); }

    /// The state is consistent: the listener runs now. A listener that calls
    /// back into the core (through a widget's signal, say) does not run
    /// itself again.
    void notify()
    {
        if (!m_listener || m_notifying)
            return;
        m_notifying = true;
        m_listener();
        m_notifying = false;
        ++m_notifications;
    }

    /// True while the core is inside one of its operations.
    bool operationUnderWay() const { return m_depth > 0; }
    /// True while the listener runs.
    bool notifying() const { return m_notifying; }
    /// How many times the listener has run, for tests.
    int notifications() const { return m_notifications; }

    /// One operation of the core: the listener runs when the outermost one
    /// ends, however it ends.
    class Operation {
    public:
        explicit Operation(ChangeNotifier& notifier) : m_notifier(notifier) { ++m_notifier.m_depth; }
        ~Operation()
        {
            if (--m_notifier.m_depth == 0)
                m_notifier.notify();
        }
        Operation(const Operation&) = delete;
        Operation& operator=(const Operation&) = delete;

    private:
        ChangeNotifier& m_notifier;
    };

private:
    Listener m_listener;
    int m_depth = 0;
    int m_notifications = 0;
    bool m_notifying = false;
};

} // namespace kvl
