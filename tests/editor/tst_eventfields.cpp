#include "eventfields.h"
#include "testmain.h"
#include "timetext.h"

using Cells = std::array<QString, EventTable::ColumnCount>;

class TestEventFields : public QObject
{
    Q_OBJECT

private slots:
    void composeTimeText_data()
    {
        QTest::addColumn<QString>("hours");
        QTest::addColumn<QString>("minutes");
        QTest::addColumn<QString>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("one hour") << "1" << "0" << "0" << "01:00:00";
        QTest::newRow("two characters pass") << "12" << "05" << "30" << "12:05:30";
        QTest::newRow("beyond the range, two digits") << "0" << "75" << "99" << "00:75:99";
        QTest::newRow("empty parts") << "" << "5" << "" << "00:05:00";
        QTest::newRow("three-digit minutes") << "1" << "120" << "0" << "03:00:00";
        QTest::newRow("three-digit seconds with others") << "1" << "75" << "100" << "02:16:40";
        QTest::newRow("leading zeros") << "0" << "005" << "0" << "00:05:00";
        QTest::newRow("beyond 99 hours") << "150" << "0" << "0" << "99:59:59";
    }

    void composeTimeText()
    {
        QFETCH(QString, hours);
        QFETCH(QString, minutes);
        QFETCH(QString, seconds);
        QFETCH(QString, text);
        QCOMPARE(ComposeTimeText(hours, minutes, seconds), text);
        // Whatever the parts, the text reads back as the duration they mean
        // (capped at what the form holds).
        const TimeParts read = ParseTimeText(text);
        const qint64 meant = qint64(LeadingNumber(hours)) * 3600 + LeadingNumber(minutes) * 60
                             + LeadingNumber(seconds);
        QCOMPARE(qint64(read.hours) * 3600 + read.minutes * 60 + read.seconds,
                 std::min<qint64>(meant, 99 * 3600 + 59 * 60 + 59));
    }

    void splitsCells_data()
    {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<TimeTextParts>("interval");
        QTest::addColumn<TimeTextParts>("length");
        QTest::newRow("plain") << "01:30:05" << TimeTextParts{"01", "30", "05"}
                               << TimeTextParts{"01", "30", "05"};
        QTest::newRow("marked") << "00:05:00*" << TimeTextParts{"00", "05", "0*"}
                                << TimeTextParts{"00", "05", "00"};
        QTest::newRow("empty") << "" << TimeTextParts{} << TimeTextParts{};
    }

    void splitsCells()
    {
        QFETCH(QString, cell);
        QFETCH(TimeTextParts, interval);
        QFETCH(TimeTextParts, length);
        QCOMPARE(SplitIntervalText(cell), interval);
        QCOMPARE(SplitLengthText(cell), length);
    }

    void newEventCells()
    {
        QCOMPARE(EventCells(NewEventFields("/w/a.wav")),
                 (Cells{"No_Name", "/w/a.wav", "01:00:00", "01:00:00", "50", "00:05:00*"}));
        EventFields byCount = NewEventFields("a.wav");
        byCount.countMode = 1;
        byCount.repCount = "3";
        QCOMPARE(EventCells(byCount),
                 (Cells{"No_Name", "a.wav", "01:00:00", "01:00:00", "3*", "00:05:00"}));
    }

    void rowRoundTrip_data()
    {
        QTest::addColumn<Cells>("row");
        QTest::addColumn<int>("countMode");
        QTest::addColumn<QString>("repCount");
        QTest::newRow("by count")
            << Cells{"Tea", "t.wav", "00:00:07", "00:20:00", "12*", "00:01:05"} << 1 << "12";
        QTest::newRow("by length")
            << Cells{"Tea", "t.wav", "00:00:07", "00:20:00", "12", "00:01:05*"} << 0 << "12";
    }

    void rowRoundTrip()
    {
        QFETCH(Cells, row);
        QFETCH(int, countMode);
        QFETCH(QString, repCount);
        const EventFields fields = EventFieldsFromRow(EventRow{row, 1});
        QCOMPARE(fields.countMode, countMode);
        QCOMPARE(fields.repCount, repCount);
        QCOMPARE(fields.intervalMin, QStringLiteral("20"));
        QCOMPARE(fields.repSec, QStringLiteral("05"));
        // Written back, only "Start in" changes: it restarts from the interval.
        Cells expected = row;
        expected[EventTable::StartIn] = row[EventTable::Interval];
        QCOMPARE(EventCells(fields), expected);
    }
};

PARLOWEN_TEST_MAIN(TestEventFields)
#include "tst_eventfields.moc"
