// The remembered folders survive in the profile from one run to the next.
#include "common/qt/profilefolder.h"
#include "common/testing/fakewindowhost.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class ProfileFolderTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_profile.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_profile.path());
    }

    void aChosenFolderIsThereInTheNextRun()
    {
        const kvl::qt::Profile profile = kvl::qt::Profile::ofSuite(QStringLiteral("lasttest"));
        QCOMPARE(profile.lastFolder().folder(), std::filesystem::path());
        QTemporaryDir mods;
        // A folder name in a single-byte code page is kept byte for byte.
        const std::filesystem::path folder = std::filesystem::path(mods.path().toStdString()) / "Mod\xE9";
        std::filesystem::create_directory(folder);
        {
            kvl::LastFolder last = profile.lastFolder();
            kvl::test::FakeWindowHost<> host;
            host.chosenFiles = { folder / "P51.flt" };
            last.choose(host, {});
        }
        QCOMPARE(profile.lastFolder().folder(), folder);
        QCOMPARE(profile.folder(kvl::qt::kLastFolderKey), folder);
        QVERIFY(kvl::qt::Profile::ofSuite(QStringLiteral("other")).folder(kvl::qt::kLastFolderKey).empty());
        const kvl::qt::Profile elsewhere { QStringLiteral("VKM! Studio"), QStringLiteral("lasttest") };
        QVERIFY(elsewhere.folder(kvl::qt::kLastFolderKey).empty());
    }

    // The folder a program works in: kept when it is not the one started in,
    // made current, and offered to the next run.
    void theWorkFolderIsKeptAndMadeCurrent()
    {
        const kvl::qt::Profile profile = kvl::qt::Profile::ofSuite(QStringLiteral("worktest"));
        const QString key = QStringLiteral("GameFolder");
        QTemporaryDir here;
        QTemporaryDir game;
        const std::filesystem::path start(here.path().toStdString());
        const std::filesystem::path chosen(game.path().toStdString());
        const std::filesystem::path before = std::filesystem::current_path();
        std::vector<std::filesystem::path> offered;
        const auto choose = [&](std::optional<std::filesystem::path> answer) {
            return [&offered, answer](const std::filesystem::path& kept) {
                offered.push_back(kept);
                return answer;
            };
        };

        QCOMPARE(profile.workFolder(key, start, choose(std::nullopt)), std::optional<std::filesystem::path>());
        QVERIFY(profile.folder(key).empty());
        QCOMPARE(profile.workFolder(key, start, choose(start)), std::optional(start));
        QVERIFY2(profile.folder(key).empty(), "the folder started in is not kept");
        QCOMPARE(std::filesystem::current_path(), before);

        QCOMPARE(profile.workFolder(key, start, choose(chosen)), std::optional(chosen));
        QCOMPARE(profile.folder(key), chosen);
        QVERIFY(std::filesystem::equivalent(std::filesystem::current_path(), chosen));
        std::filesystem::current_path(before);
        QCOMPARE(offered, (std::vector<std::filesystem::path> { {}, {}, {} }));
        profile.workFolder(key, start, choose(chosen));
        QCOMPARE(offered.back(), chosen);
        std::filesystem::current_path(before);
    }

    void theTitleNamesTheFolderOnlyWhenItIsNotTheOneStartedIn()
    {
        QTemporaryDir here;
        QTemporaryDir elsewhere;
        const std::filesystem::path start(here.path().toStdString());
        const std::filesystem::path other(elsewhere.path().toStdString());
        const QString title = QStringLiteral("planesedit - planes.dat");
        QCOMPARE(kvl::qt::titleNamingFolder(title, start, start), title);
        // The same folder by another spelling is still the folder started in.
        QCOMPARE(kvl::qt::titleNamingFolder(title, start / ".", start), title);
        QCOMPARE(kvl::qt::titleNamingFolder(title, other, start),
            title + QStringLiteral(" - ") + QDir::toNativeSeparators(elsewhere.path()));
    }

private:
    QTemporaryDir m_profile;
};

QTEST_GUILESS_MAIN(ProfileFolderTest)
#include "profilefolder_test.moc"
