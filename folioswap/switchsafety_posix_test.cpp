// The safety layer under failures only a POSIX system can stage: a file size
// limit reached mid-copy, and a process killed part-way through a load.
#include "folioswap/testing/safetytree.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace kvl::folioswap;
using namespace kvl::test;

namespace {

// A file size limit in a child process makes the copy of a large file fail
// part-way; the load is rolled back before the problem report.
TEST_F(SafetyTree, AFileSizeLimitMidCopyRollsTheLoadBack)
{
    put(main / "CAMChannel/BIG.DAT", std::string(1 << 20, 'b'));
    const Snapshot before = snapshot();
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {
            256 * 1024, 256 * 1024
        };
        ::setrlimit(RLIMIT_FSIZE, &limit);
        FakeHost host;
        SetSwitcher switcher(host);
        switcher.start(main);
        switcher.chooseSet(0);
        switcher.loadSelected();
        bool rolledBack = host.lastText().find("put back as it was before") != std::string::npos
            && host.lastText().find("BIG.DAT") != std::string::npos;
        ::_exit(switcher.ended() && rolledBack ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(snapshot(), before);
    EXPECT_FALSE(journalLeft());
}

// A child process loads a large set slowly and is killed part-way; the next
// start finishes or rolls back.
TEST_F(SafetyTree, AKilledLoadIsFinishedOrRolledBack)
{
    for (int i = 0; i < 120; ++i)
        put(main / "CAMChannel" / ("F" + std::to_string(i) + ".DAT"), std::string(64 * 1024, char('a' + i % 26)));
    for (bool finish : { true, false }) {
        const Snapshot before = snapshot();
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            FakeHost host;
            SetSwitcher switcher(host);
            switcher.start(main);
            switcher.chooseSet(0);
            switcher.setFileOpHook([] {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                return true;
            });
            switcher.loadSelected();
            ::_exit(0);
        }
        // Kill it once a few of the set's files are in the game folder.
        for (int wait = 0; wait < 5000 && !fs::exists(game / "F20.DAT"); ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the load ended before it could be killed";
        ASSERT_TRUE(journalLeft());

        SetSwitcher& next = startSwitcher({ finish ? kvl::MessageAnswer::Yes : kvl::MessageAnswer::No });
        EXPECT_FALSE(next.ended());
        EXPECT_FALSE(journalLeft());
        Snapshot now = snapshot();
        if (finish) {
            EXPECT_EQ(next.loadedSet(), "Channel");
            for (int i = 0; i < 120; ++i)
                EXPECT_EQ(now["F" + std::to_string(i) + ".DAT"], std::string(64 * 1024, char('a' + i % 26)));
            next.unloadSelected();
            select(next, "Channel");
            next.restoreQexFiles();
            now = snapshot();
        }
        // Unload deletes MAP.DAT, a file of the set, as designed.
        Snapshot expected = before;
        if (finish) {
            expected.erase("MAP.DAT");
            now.erase("MAP.DAT");
        }
        EXPECT_EQ(now, expected);
    }
}

} // namespace
