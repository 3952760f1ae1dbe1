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
        const QString app = QStringLiteral("lasttest");
        QCOMPARE(kvl::qt::profileLastFolder(kvl::qt::kSuiteOrganisation, app).folder(), std::filesystem::path());
        QTemporaryDir mods;
        // A folder name in a single-byte code page is kept byte for byte.
        const std::filesystem::path folder = std::filesystem::path(mods.path().toStdString()) / "Mod\xE9";
        std::filesystem::create_directory(folder);
        {
            kvl::LastFolder last = kvl::qt::profileLastFolder(kvl::qt::kSuiteOrganisation, app);
            kvl::test::FakeWindowHost<> host;
            host.chosenFiles = { folder / "P51.flt" };
            last.choose(host, {});
        }
        QCOMPARE(kvl::qt::profileLastFolder(kvl::qt::kSuiteOrganisation, app).folder(), folder);
        QCOMPARE(kvl::qt::rememberedFolder(kvl::qt::kSuiteOrganisation, app, kvl::qt::kLastFolderKey), folder);
        QVERIFY(kvl::qt::rememberedFolder(kvl::qt::kSuiteOrganisation, QStringLiteral("other"), kvl::qt::kLastFolderKey)
                    .empty());
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
