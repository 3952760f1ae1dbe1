// The monkey engine itself, on a toy window with a planted fault: "Fire"
// after "Arm" writes a stray file, crashes or hangs. A run must find the
// fault, tell what it was, shrink the list to the two actions that matter,
// save it, and the saved list must fail the same way when replayed.
#include "common/testing/monkey.h"

#include "common/fileimage.h"
#include "common/platform.h"
#include "common/testing/testfolder.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

namespace {

using namespace kvl::test::monkey;
namespace fs = std::filesystem;

// KVL_MONKEY_TOY says which fault "Fire" has: write, crash, hang or none.
std::string fault()
{
    const char* value = std::getenv("KVL_MONKEY_TOY");
    return value ? value : "none";
}

class ToySubject : public Subject {
public:
    void start(Session& session) override
    {
        m_window = std::make_unique<QWidget>();
        m_window->setObjectName(QStringLiteral("Toy"));
        auto* layout = new QVBoxLayout(m_window.get());
        auto* arm = new QPushButton(QStringLiteral("Arm"));
        arm->setObjectName(QStringLiteral("Arm"));
        auto* fire = new QPushButton(QStringLiteral("Fire"));
        fire->setObjectName(QStringLiteral("Fire"));
        auto* field = new QLineEdit;
        field->setObjectName(QStringLiteral("Field"));
        for (QWidget* w : { static_cast<QWidget*>(arm), static_cast<QWidget*>(fire), static_cast<QWidget*>(field) })
            layout->addWidget(w);
        QObject::connect(arm, &QPushButton::clicked, m_window.get(), [this] { m_armed = true; });
        const fs::path stray = session.folders().game / "stray.txt";
        QObject::connect(fire, &QPushButton::clicked, m_window.get(), [this, stray] {
            if (!m_armed)
                return;
            const std::string what = fault();
            if (what == "write")
                kvl::writeFileImage(stray, std::string_view("stray"));
            else if (what == "crash")
                std::abort();
            else if (what == "hang")
                while (true)
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
        });
        m_window->show();
        if (!QTest::qWaitForWindowExposed(m_window.get(), 2000))
            std::fprintf(stderr, "monkey: the toy window was not shown in time\n");
    }
    void stop() override { m_window.reset(); }
    QWidget* window() const override { return m_window.get(); }
    void beforeAction(const Action&, const Session&) override { }
    std::string check(const Action&, const Session&, const std::vector<FileChange>& changes) override
    {
        return changes.empty() ? std::string() : "unasked change: " + describe(changes.front());
    }
    int restartsPerThousand() const override { return 0; }

private:
    std::unique_ptr<QWidget> m_window;
    bool m_armed = false;
};

Program toy()
{
    Program program;
    program.name = "toy";
    program.sample = KVL_SAMPLE_DIR;
    program.regressions = "/nonexistent";
    program.makeSubject = [] { return std::make_unique<ToySubject>(); };
    return program;
}

// monkeyMain with these arguments, its standard output in `output`.
int run(std::vector<std::string> arguments, std::string& output)
{
    arguments.insert(arguments.begin(), "monkey_selftest");
    std::vector<char*> argv;
    for (std::string& a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    testing::internal::CaptureStdout();
    const int status = monkeyMain(static_cast<int>(arguments.size()), argv.data(), toy());
    output = testing::internal::GetCapturedStdout();
    return status;
}

// The controls a list acts on (a button is pressed by a click or a key).
std::vector<std::string> targets(const std::vector<Action>& actions)
{
    std::vector<std::string> out;
    for (const Action& a : actions)
        out.push_back(a.target);
    return out;
}

// A fault found, shrunk to "Arm, Fire", saved, and failing again on replay.
void findAndShrink(const char* which, const char* kind)
{
    ::setenv("KVL_MONKEY_TOY", which, 1);
    kvl::test::TempFolder out;
    std::string output;
    EXPECT_EQ(run({ "--seed", "7", "--actions", "300", "--out", kvl::platform::utf8FromPath(out.path()) }, output), 1)
        << output;
    EXPECT_NE(output.find("toy: seed 7: " + std::string(kind)), std::string::npos) << output;
    EXPECT_NE(output.find(", 1 crashes"), std::string::npos) << output;
    const fs::path saved = out / "toy-monkey-7.txt";
    auto image = kvl::readFileImage(saved);
    ASSERT_TRUE(image.ok()) << output;
    auto list = parseActionList(std::string(image->begin(), image->end()));
    ASSERT_TRUE(list.ok());
    EXPECT_EQ(targets(*list), (std::vector<std::string> { "Arm", "Fire" })) << output;

    EXPECT_EQ(run({ "--replay", kvl::platform::utf8FromPath(saved) }, output), 1);
    EXPECT_NE(output.find("replayed 2 of 2 actions"), std::string::npos) << output;
    EXPECT_NE(output.find(kind), std::string::npos) << output;
}

TEST(MonkeyEngine, AFileNoActionAskedForIsFoundShrunkAndReplayed)
{
    findAndShrink("write", "broken invariant");
}

TEST(MonkeyEngine, ACrashIsFoundShrunkAndReplayed)
{
    findAndShrink("crash", "crash");
}

TEST(MonkeyEngine, AnActionThatDoesNotReturnIsAHang)
{
    ::setenv("KVL_MONKEY_TOY", "hang", 1);
    kvl::test::TempFolder folder;
    const fs::path list = folder / "hang.txt";
    ASSERT_TRUE(kvl::writeFileImage(list, std::string_view("click Arm @1\nclick Fire @2\nclick Arm @3\n")));
    std::string output;
    EXPECT_EQ(run({ "--replay", kvl::platform::utf8FromPath(list), "--hang", "1" }, output), 1);
    EXPECT_NE(output.find("replayed 2 of 3 actions"), std::string::npos) << output;
    EXPECT_NE(output.find("hang"), std::string::npos) << output;
}

TEST(MonkeyEngine, AProgramWithoutFaultsPasses)
{
    ::setenv("KVL_MONKEY_TOY", "none", 1);
    std::string output;
    EXPECT_EQ(run({ "--seed", "3", "--actions", "60" }, output), 0) << output;
    EXPECT_NE(output.find("toy: 60 actions, 0 crashes"), std::string::npos) << output;
}

} // namespace

int main(int argc, char** argv)
{
    // The runs of the toy are this program started again with --child.
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]) == "--child")
            return monkeyMain(argc, argv, toy());
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
