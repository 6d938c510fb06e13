#include "countdown.h"
#include "testmain.h"

Q_DECLARE_METATYPE(TimeParts)

class TestCountDown : public QObject
{
    Q_OBJECT

private slots:
    void countsDownOneSecond_data()
    {
        QTest::addColumn<TimeParts>("before");
        QTest::addColumn<TimeParts>("after");
        QTest::newRow("seconds") << TimeParts{0, 0, 5} << TimeParts{0, 0, 4};
        QTest::newRow("last second") << TimeParts{0, 0, 1} << TimeParts{0, 0, 0};
        QTest::newRow("borrow from minutes") << TimeParts{0, 1, 0} << TimeParts{0, 0, 59};
        QTest::newRow("borrow from hours") << TimeParts{1, 0, 0} << TimeParts{0, 59, 59};
        QTest::newRow("borrow over both") << TimeParts{10, 0, 0} << TimeParts{9, 59, 59};
        // Hand-written values out of the usual range count on as they are.
        QTest::newRow("seconds above 59") << TimeParts{0, 0, 75} << TimeParts{0, 0, 74};
        QTest::newRow("minutes above 59") << TimeParts{0, 99, 0} << TimeParts{0, 98, 59};
    }

    void countsDownOneSecond()
    {
        QFETCH(TimeParts, before);
        QFETCH(TimeParts, after);
        TimeParts t = before;
        QVERIFY(CountDownOneSecond(t));
        QCOMPARE(t, after);
    }

    void firesWhenNothingIsLeft_data()
    {
        QTest::addColumn<TimeParts>("value");
        QTest::newRow("zero") << TimeParts{0, 0, 0};
        QTest::newRow("negative hours") << TimeParts{-1, 0, 0};
        QTest::newRow("negative seconds") << TimeParts{0, 0, -3};
    }

    void firesWhenNothingIsLeft()
    {
        QFETCH(TimeParts, value);
        TimeParts t = value;
        QVERIFY(!CountDownOneSecond(t));
        QCOMPARE(t, value);
    }

    void playWindow_data()
    {
        const QDateTime start(QDate(2024, 3, 10), QTime(9, 0, 0));
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QDateTime>("from");
        QTest::addColumn<QDateTime>("to");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<bool>("admits");
        const QDateTime from = start;
        const QDateTime to = start.addSecs(3600);
        QTest::newRow("switched off, far outside") << false << from << to << to.addDays(3) << true;
        QTest::newRow("inside") << true << from << to << from.addSecs(1800) << true;
        QTest::newRow("at from") << true << from << to << from << true;
        QTest::newRow("at to") << true << from << to << to << true;
        QTest::newRow("second before from") << true << from << to << from.addSecs(-1) << false;
        QTest::newRow("second after to") << true << from << to << to.addSecs(1) << false;
        QTest::newRow("milliseconds after to still in") << true << from << to << to.addMSecs(999) << true;
        QTest::newRow("from later than to") << true << to << from << from.addSecs(1800) << false;
        QTest::newRow("same time, next day") << true << from << to << from.addDays(1).addSecs(60) << false;
    }

    void playWindow()
    {
        QFETCH(bool, enabled);
        QFETCH(QDateTime, from);
        QFETCH(QDateTime, to);
        QFETCH(QDateTime, now);
        QFETCH(bool, admits);
        QCOMPARE((PlayWindow{enabled, from, to}.admits(now)), admits);
    }
};

PARLOWEN_TEST_MAIN(TestCountDown)
#include "tst_countdown.moc"
