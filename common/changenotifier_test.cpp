// The one way a core tells its window to redraw: once per outermost
// operation, never while a box of that operation is open.
#include "common/changenotifier.h"

#include "common/testing/fakewindowhost.h"

#include <gtest/gtest.h>

namespace {

// A core in miniature: two steps, a box between them, and a nested operation.
class Counter {
public:
    explicit Counter(kvl::WindowHost& host) : m_host(host) { }
    kvl::ChangeNotifier& changes() { return m_changes; }
    int value() const { return m_value; }

    void twoSteps()
    {
        kvl::ChangeNotifier::Operation operation(m_changes);
        ++m_value;
        m_host.showMessage({ kvl::MessageIcon::None, "Counter", "half-way" });
        ++m_value;
    }
    void stepsTwice()
    {
        kvl::ChangeNotifier::Operation operation(m_changes);
        twoSteps();
        twoSteps();
    }
    void doneThenTold()
    {
        kvl::ChangeNotifier::Operation operation(m_changes);
        m_value += 2;
        m_changes.notify();
        m_host.showMessage({ kvl::MessageIcon::None, "Counter", "done" });
    }

private:
    kvl::WindowHost& m_host;
    kvl::ChangeNotifier m_changes;
    int m_value = 0;
};

} // namespace

TEST(ChangeNotifier, ListenerRunsOnceWhenTheOutermostOperationEnds)
{
    kvl::test::FakeWindowHost<> host;
    Counter counter(host);
    std::vector<int> seen;
    counter.changes().connect([&] { seen.push_back(counter.value()); });
    counter.twoSteps();
    EXPECT_EQ(seen, (std::vector<int> { 2 }));
    counter.stepsTwice();
    EXPECT_EQ(seen, (std::vector<int> { 2, 6 }));
    EXPECT_EQ(counter.changes().notifications(), 2);
    EXPECT_FALSE(counter.changes().operationUnderWay());
}

TEST(ChangeNotifier, NoListenerRunsWhileABoxIsOpen)
{
    kvl::test::FakeWindowHost<> host;
    Counter counter(host);
    int runs = 0;
    counter.changes().connect([&] { ++runs; });
    std::vector<int> runsAtBox;
    host.whileShown = [&](const kvl::Message&) {
        EXPECT_TRUE(counter.changes().operationUnderWay());
        runsAtBox.push_back(runs);
    };
    counter.stepsTwice();
    EXPECT_EQ(runsAtBox, (std::vector<int> { 0, 0 }));
    EXPECT_EQ(runs, 1);
}

TEST(ChangeNotifier, ACompleteStateCanShowBehindTheLastBox)
{
    kvl::test::FakeWindowHost<> host;
    Counter counter(host);
    std::vector<int> seen;
    counter.changes().connect([&] { seen.push_back(counter.value()); });
    std::vector<int> seenAtBox;
    host.whileShown = [&](const kvl::Message&) { seenAtBox = seen; };
    counter.doneThenTold();
    EXPECT_EQ(seenAtBox, (std::vector<int> { 2 }));
    EXPECT_EQ(seen, (std::vector<int> { 2, 2 }));
}

TEST(ChangeNotifier, AListenerCallingBackIntoTheCoreDoesNotRunItselfAgain)
{
    kvl::test::FakeWindowHost<> host;
    Counter counter(host);
    int runs = 0;
    counter.changes().connect([&] {
        ++runs;
        if (runs < 5)
            counter.twoSteps();
    });
    counter.twoSteps();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(counter.value(), 4);
}
