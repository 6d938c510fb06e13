#include "profile.h"
#include "programdirectory.h"
#include "defaultsound.h"
#include "schedulepaths.h"
#include "testmain.h"
#include "userdatadirectory.h"
#include "wavefile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

class TestSchedulePaths : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        SetProgramDirectoryForTesting(QStringLiteral("/prog"));
        QFile::remove(Profile::FilePath());
    }

    void unnamedIsByFileNameOnly_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("unnamed");
        QTest::newRow("New's path") << SchedulePaths::UnnamedPath() << true;
        QTest::newRow("another folder") << "/home/me/NoName.sked" << true;
        QTest::newRow("other case") << "/prog/noname.sked" << false;
        QTest::newRow("longer name") << "/prog/MyNoName.sked" << false;
        QTest::newRow("named") << "/prog/tea.sked" << false;
    }

    void unnamedIsByFileNameOnly()
    {
        QFETCH(QString, path);
        QFETCH(bool, unnamed);
        QCOMPARE(SchedulePaths::IsUnnamed(path), unnamed);
    }

    void lastScheduleIsKeptInTheSettings()
    {
        // What the program writes lives in the per-user folder, never
        // beside the program, which is read-only once installed.
        QCOMPARE(SchedulePaths::UnnamedPath(), UserDataDirectory() + "NoName.sked");
        QCOMPARE(SchedulePaths::ReadLast(), UserDataDirectory() + "default.sked");
        QCOMPARE(SchedulePaths::DefaultWavePath(), UserDataDirectory() + "Default.wav");
        QCOMPARE(SchedulePaths::WaveDirectories(),
                 (QStringList{UserDataDirectory(), QStringLiteral("/prog/")}));

        QVERIFY(SchedulePaths::WriteLast(QStringLiteral("/home/me/tea time.sked")));
        QCOMPARE(SchedulePaths::ReadLast(), QStringLiteral("/home/me/tea time.sked"));
        QCOMPARE(Profile::ReadString("FILE", "LAST", {}), QStringLiteral("/home/me/tea time.sked"));
        QFile ini(Profile::FilePath());
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray text = ini.readAll();
        QVERIFY2(text.contains("[FILE]\n") && text.contains("\nLAST="), text.constData());

        // An empty record means "no schedule", not "the default".
        QVERIFY(SchedulePaths::WriteLast(QString()));
        QCOMPARE(SchedulePaths::ReadLast(), QString());
    }

    void firstStartReadiesTheUserFolder()
    {
        // A shipped program directory: the sample schedule and its sounds.
        QTemporaryDir program;
        QVERIFY(program.isValid());
        QVERIFY(QDir(program.path()).mkpath("samples"));
        const QByteArray sample = "KQ10000\tTea\t0\tsamples/tea.wav\t00:00:05\t01:00:00\t1*\t00:00:01\r\n";
        const std::pair<QString, QByteArray> shipped[] = {
            {"default.sked", sample}, {"samples/tea.wav", "RIFF tea"}};
        for (const auto &[name, bytes] : shipped) {
            QFile file(program.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        SetProgramDirectoryForTesting(program.path());
        QDir(UserDataDirectory()).removeRecursively();

        QCOMPARE(SchedulePaths::PrepareUserData(), QString());
        for (const auto &[name, bytes] : shipped) {
            QFile copy(UserDataDirectory() + name);
            QVERIFY2(copy.open(QIODevice::ReadOnly), qPrintable(name));
            QCOMPARE(copy.readAll(), bytes);
            QVERIFY(copy.permissions() & QFile::WriteOwner);
        }
        // The default sound is the program's own chime, not an empty take.
        const std::optional<WaveData> chime = WaveFile::Read(SchedulePaths::DefaultWavePath());
        QVERIFY(chime);
        QCOMPARE(chime->frames(), DefaultSound()->frames());
        QCOMPARE(chime->sampleRate, DefaultSound()->sampleRate);

        // The user's own files are never replaced by a later start.
        const QByteArray mine = "KQ10000\tMine\t0\tx.wav\t00:00:01\t00:00:02\t1*\t00:00:01\r\n";
        for (const QString &path : {SchedulePaths::DefaultPath(), SchedulePaths::DefaultWavePath()}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(mine);
        }
        QCOMPARE(SchedulePaths::PrepareUserData(), QString());
        for (const QString &path : {SchedulePaths::DefaultPath(), SchedulePaths::DefaultWavePath()}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), mine);
        }
    }
};

PARLOWEN_TEST_MAIN(TestSchedulePaths)
#include "tst_schedulepaths.moc"
