#include "countdown.h"
#include "eventtable.h"
#include "playbackengine.h"
#include "scheduletick.h"
#include "testmain.h"

#include <system_error>

// The count-down over the event table. A row that fires plays a file that
// does not exist, so the worker plays the default sound on SDL's silent
// dummy driver; while it waits for the user-interface thread to answer its
// read of the file name, the worker is certainly busy.
class TestScheduleTick : public QObject
{
    Q_OBJECT

    struct Fixture
    {
        EventTable table;
        PlaybackEngine engine{&table};

        // Rows are given top to bottom.
        explicit Fixture(const QList<EventRow> &rows) { table.insertAtTop(rows); }

        TickResult last;

        bool tick(QStringView pause = u"0")
        {
            last = ScheduleTick(table, engine, PlayWindow{}, QDateTime::currentDateTime(), pause);
            return last.counted;
        }
        QString startIn(int row) const { return table.text(row, EventTable::StartIn); }
        bool waitForWorker() { return QTest::qWaitFor([this] { return !engine.isBusy(); }, 10000); }
    };

    static EventRow row(const QString &startIn, const QString &interval,
                        const QString &repetition = QStringLiteral("1*"), int image = 0)
    {
        EventRow r;
        r.cells = {QStringLiteral("Tea"), QStringLiteral("/no/such/tea.wav"), startIn, interval,
                   repetition, QString()};
        r.image = image;
        return r;
    }

private slots:
    void countsDownWithBorrow_data()
    {
        QTest::addColumn<QString>("startIn");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<QString>("shown");
        QTest::newRow("five seconds") << "00:00:05" << 5 << "00:00:00";
        QTest::newRow("a minute") << "00:01:00" << 1 << "00:00:59";
        QTest::newRow("an hour") << "01:00:00" << 1 << "00:59:59";
        QTest::newRow("over an hour boundary") << "02:00:01" << 3 << "01:59:58";
        // Fixed positions: "1:", ":3" and ":3" read as 1, 0 and 0.
        QTest::newRow("short parts") << "1:2:3" << 1 << "00:59:59";
    }

    void countsDownWithBorrow()
    {
        QFETCH(QString, startIn);
        QFETCH(int, ticks);
        QFETCH(QString, shown);
        Fixture f({row(startIn, QStringLiteral("00:10:00"))});
        for (int i = 0; i < ticks; ++i)
            QVERIFY(f.tick());
        QCOMPARE(f.startIn(0), shown);
        QVERIFY(!f.engine.isBusy());
    }

    void firesOnTheTickAfterZero()
    {
        Fixture f({row(QStringLiteral("00:00:05"), QStringLiteral("00:10:00"))});
        for (int i = 0; i < 5; ++i) {
            f.tick();
            QCOMPARE(f.last.firedRow, -1);
        }
        QCOMPARE(f.startIn(0), QStringLiteral("00:00:00"));
        QVERIFY(!f.engine.isBusy());
        f.tick();
        QCOMPARE(f.last.firedRow, 0);
        QCOMPARE(f.startIn(0), QStringLiteral("00:10:00"));
        QVERIFY(f.engine.isBusy());
        // Nothing counts while the worker plays.
        f.tick();
        QCOMPARE(f.startIn(0), QStringLiteral("00:10:00"));
        QVERIFY(f.waitForWorker());
        f.tick();
        QCOMPARE(f.startIn(0), QStringLiteral("00:09:59"));
    }

    void anEmptyStartInFiresAtOnce()
    {
        Fixture f({row(QString(), QStringLiteral("00:00:30"))});
        f.tick();
        QCOMPARE(f.startIn(0), QStringLiteral("00:00:30"));
        QVERIFY(f.engine.isBusy());
        QVERIFY(f.waitForWorker());
    }

    void intervalZeroFiresAfterEveryPlay()
    {
        Fixture f({row(QStringLiteral("00:00:00"), QStringLiteral("00:00:00"))});
        for (int firing = 0; firing < 2; ++firing) {
            f.tick();
            QCOMPARE(f.startIn(0), QStringLiteral("00:00:00"));
            QVERIFY(f.engine.isBusy());
            QVERIFY(f.waitForWorker());
        }
    }

    void ofTwoRowsAtZeroTheUpperFiresFirst()
    {
        Fixture f({row(QStringLiteral("00:00:00"), QStringLiteral("00:05:00")),
                   row(QStringLiteral("00:00:00"), QStringLiteral("00:07:00")),
                   row(QStringLiteral("00:00:09"), QStringLiteral("00:07:00"))});
        f.tick();
        QCOMPARE(f.last.firedRow, 0);
        QCOMPARE(f.startIn(0), QStringLiteral("00:05:00"));
        QCOMPARE(f.startIn(1), QStringLiteral("00:00:00"));
        QCOMPARE(f.startIn(2), QStringLiteral("00:00:09"));
        QVERIFY(f.waitForWorker());
        f.tick();
        QCOMPARE(f.last.firedRow, 1);
        QCOMPARE(f.startIn(0), QStringLiteral("00:04:59"));
        QCOMPARE(f.startIn(1), QStringLiteral("00:07:00"));
        QCOMPARE(f.startIn(2), QStringLiteral("00:00:09"));
        QVERIFY(f.waitForWorker());
    }

    void onlyImageOneIsDisabled()
    {
        Fixture f({row(QStringLiteral("00:00:03"), QStringLiteral("00:05:00"), QStringLiteral("1*"), 1),
                   row(QStringLiteral("00:00:03"), QStringLiteral("00:05:00"), QStringLiteral("1*"), 2),
                   row(QStringLiteral("00:00:00"), QStringLiteral("00:05:00"), QStringLiteral("1*"), 1)});
        for (int i = 0; i < 3; ++i)
            f.tick();
        QCOMPARE(f.startIn(0), QStringLiteral("00:00:03"));
        QCOMPARE(f.startIn(1), QStringLiteral("00:00:00"));
        QCOMPARE(f.startIn(2), QStringLiteral("00:00:00"));
        QVERIFY(!f.engine.isBusy());
    }

    void noPlaysEndsTheWorkerAtOnce()
    {
        Fixture f({row(QStringLiteral("00:00:00"), QStringLiteral("00:00:02"), QStringLiteral("x"))});
        f.tick();
        QCOMPARE(f.startIn(0), QStringLiteral("00:00:02"));
        QVERIFY(f.waitForWorker());
        f.tick();
        QCOMPARE(f.startIn(0), QStringLiteral("00:00:01"));
    }

    void anEmptyTableOnlyClearsTheStopRequest()
    {
        Fixture f({});
        f.engine.requestStop();
        QVERIFY(f.tick());
        QVERIFY(!f.engine.isStopRequested());
        QCOMPARE(f.table.rowCount(), 0);
    }

    void outsideThePlayWindowNothingHappens()
    {
        Fixture f({row(QStringLiteral("00:00:05"), QStringLiteral("00:10:00"))});
        f.engine.requestStop();
        const QDateTime from(QDate(2024, 3, 10), QTime(9, 0, 0));
        const PlayWindow window{true, from, from.addSecs(60)};
        QVERIFY(!ScheduleTick(f.table, f.engine, window, from.addSecs(61), u"0").counted);
        QCOMPARE(f.startIn(0), QStringLiteral("00:00:05"));
        QVERIFY(f.engine.isStopRequested());
        QVERIFY(ScheduleTick(f.table, f.engine, window, from.addSecs(60), u"0").counted);
        QCOMPARE(f.startIn(0), QStringLiteral("00:00:04"));
        QVERIFY(!f.engine.isStopRequested());
    }

    void aWorkerThatCannotStartLeavesTheCountDownRunning()
    {
        Fixture f({row(QStringLiteral("00:00:00"), QStringLiteral("00:00:02")),
                   row(QStringLiteral("00:00:09"), QStringLiteral("00:00:09"))});
        f.engine.setThreadStarterForTesting([](std::function<void()>) -> std::thread {
            throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        });
        f.tick();
        QVERIFY(!f.engine.isBusy());
        QCOMPARE(f.startIn(0), QStringLiteral("00:00:02"));
        QCOMPARE(f.startIn(1), QStringLiteral("00:00:08"));
        f.tick();
        QCOMPARE(f.startIn(0), QStringLiteral("00:00:01"));
    }
};

PARLOWEN_TEST_MAIN(TestScheduleTick)
#include "tst_scheduletick.moc"
