#include "repetitionmath.h"
#include "testmain.h"

class TestRepetitionMath : public QObject
{
    Q_OBJECT

private slots:
    void countForLength_data()
    {
        QTest::addColumn<int>("hours");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<uint>("wave");
        QTest::addColumn<quint64>("count");
        QTest::newRow("five minutes of 2.5 s") << 0 << 5 << 0 << 2500u << quint64(120);
        QTest::newRow("truncated") << 0 << 0 << 7 << 2000u << quint64(3);
        QTest::newRow("shorter than the wave") << 0 << 0 << 1 << 2500u << quint64(0);
        QTest::newRow("empty wave") << 1 << 0 << 0 << 0u << quint64(0);
        QTest::newRow("parts beyond their ranges") << 0 << 75 << 90 << 1000u << quint64(4590);
        QTest::newRow("negative part reads as 0") << -1 << 1 << 0 << 1000u << quint64(60);
        // 1,200 hours pass 32 bits in milliseconds; the count must not wrap.
        QTest::newRow("beyond 32 bits") << 1200 << 0 << 0 << 1000u << quint64(4320000);
        QTest::newRow("largest parts")
            << INT_MAX << INT_MAX << INT_MAX << 1u << quint64(INT_MAX) * 3661 * 1000;
    }

    void countForLength()
    {
        QFETCH(int, hours);
        QFETCH(int, minutes);
        QFETCH(int, seconds);
        QFETCH(uint, wave);
        QFETCH(quint64, count);
        QCOMPARE(RepetitionCountForLength(hours, minutes, seconds, wave), count);
    }

    void lengthForCount_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<uint>("wave");
        QTest::addColumn<quint64>("hours");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<int>("seconds");
        QTest::newRow("50 plays of 2.5 s") << 50 << 2500u << quint64(0) << 2 << 6;
        QTest::newRow("one play of 3 s") << 1 << 3000u << quint64(0) << 0 << 4;
        QTest::newRow("59 whole seconds show 60") << 59 << 1000u << quint64(0) << 0 << 60;
        QTest::newRow("count 0") << 0 << 2500u << quint64(0) << 0 << 1;
        QTest::newRow("empty wave") << 9999 << 0u << quint64(0) << 0 << 1;
        QTest::newRow("hours") << 3 << 3600000u << quint64(3) << 0 << 1;
        QTest::newRow("no wrap at 24 hours") << 25 << 3600000u << quint64(25) << 0 << 1;
        // 9999 plays of a 10-minute wave pass 32 bits in milliseconds.
        QTest::newRow("beyond 32 bits") << 9999 << 600000u << quint64(1666) << 30 << 1;
        QTest::newRow("negative count reads as 0") << -5 << 1000u << quint64(0) << 0 << 1;
    }

    void lengthForCount()
    {
        QFETCH(int, count);
        QFETCH(uint, wave);
        QFETCH(quint64, hours);
        QFETCH(int, minutes);
        QFETCH(int, seconds);
        QCOMPARE(RepetitionLengthForCount(count, wave), (RepetitionLength{hours, minutes, seconds}));
    }
};

PARLOWEN_TEST_MAIN(TestRepetitionMath)
#include "tst_repetitionmath.moc"
