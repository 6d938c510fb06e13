#include "profile.h"
#include "programdirectory.h"
#include "schedulepaths.h"
#include "testmain.h"

#include <QFile>

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
        QCOMPARE(SchedulePaths::UnnamedPath(), QStringLiteral("/prog/NoName.sked"));
        // Nothing recorded yet: the sample beside the program.
        QCOMPARE(SchedulePaths::ReadLast(), QStringLiteral("/prog/default.sked"));

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
};

PARLOWEN_TEST_MAIN(TestSchedulePaths)
#include "tst_schedulepaths.moc"
