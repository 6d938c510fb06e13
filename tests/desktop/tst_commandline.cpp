#include "commandline.h"
#include "testmain.h"

using Action = CommandLine::Action;
Q_DECLARE_METATYPE(CommandLine::Action)

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("parlowen"));
        QCoreApplication::setApplicationVersion(QStringLiteral("0.02"));
    }

    void parses_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("start");
        QTest::addColumn<QString>("text");

        const QString none;
        QTest::newRow("nothing") << QStringList{} << Action::Run << none << false << none;
        QTest::newRow("relative file") << QStringList{"week.sked"} << Action::Run
                                       << "/home/u/work/week.sked" << false << none;
        QTest::newRow("file below, cleaned") << QStringList{"./a/../b/c.sked"} << Action::Run
                                             << "/home/u/work/b/c.sked" << false << none;
        QTest::newRow("file above") << QStringList{"../week.sked"} << Action::Run
                                    << "/home/u/week.sked" << false << none;
        QTest::newRow("absolute file") << QStringList{"/srv/x y.sked"} << Action::Run
                                       << "/srv/x y.sked" << false << none;
        QTest::newRow("start") << QStringList{"--start"} << Action::Run << none << true << none;
        QTest::newRow("start after the file") << QStringList{"w.sked", "--start"} << Action::Run
                                              << "/home/u/work/w.sked" << true << none;
        QTest::newRow("file that looks like an option")
            << QStringList{"--", "-odd.sked"} << Action::Run << "/home/u/work/-odd.sked" << false
            << none;

        QTest::newRow("two files") << QStringList{"a.sked", "b.sked"} << Action::Fail << none
                                   << false << "Only one schedule file can be opened at a time.";
        QTest::newRow("empty file name") << QStringList{""} << Action::Fail << none << false
                                         << "The schedule file name is empty.";
        QTest::newRow("unknown option") << QStringList{"--stat"} << Action::Fail << none << false
                                        << "Unknown option 'stat'.";
        QTest::newRow("start takes no value") << QStringList{"--start=now"} << Action::Fail << none
                                              << false << "Unexpected value after '--start'.";

        QTest::newRow("version") << QStringList{"--version"} << Action::ShowVersion << none
                                 << false << "parlowen 0.02\n";
        QTest::newRow("version, short") << QStringList{"-v", "a.sked"} << Action::ShowVersion
                                        << none << false << "parlowen 0.02\n";
    }

    void parses()
    {
        QFETCH(QStringList, arguments);
        QFETCH(Action, action);
        QFETCH(QString, file);
        QFETCH(bool, start);
        QFETCH(QString, text);

        const CommandLine parsed = ParseCommandLine(QStringList{"/usr/bin/parlowen"} + arguments,
                                                    QStringLiteral("/home/u/work"));
        QCOMPARE(parsed.action, action);
        QCOMPARE(parsed.request.file, file);
        QCOMPARE(parsed.request.start, start);
        QCOMPARE(parsed.text, text);
    }

    void helpNamesTheProgramAndItsArguments_data()
    {
        QTest::addColumn<QString>("option");
        QTest::newRow("long") << "--help";
        QTest::newRow("short") << "-h";
    }

    void helpNamesTheProgramAndItsArguments()
    {
        QFETCH(QString, option);
        // Help wins over everything else on the line, even a mistake after it.
        const CommandLine parsed =
            ParseCommandLine({"/opt/x/parlowen", option, "a.sked"}, QStringLiteral("/"));
        QCOMPARE(parsed.action, Action::ShowHelp);
        QVERIFY2(parsed.text.startsWith(QStringLiteral("Usage: parlowen [options] [FILE.sked]\n")),
                 qPrintable(parsed.text));
        QVERIFY(parsed.text.contains(QStringLiteral("--start")));
        QVERIFY(parsed.text.contains(QStringLiteral("--version")));
        QVERIFY(!parsed.text.contains(QStringLiteral("--help-all")));
    }
};

PARLOWEN_TEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
