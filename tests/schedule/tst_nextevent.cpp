#include "eventtable.h"
#include "nextevent.h"
#include "testmain.h"

// Rows are written "name startIn" with a trailing " off" for a disabled one.
class TestNextEvent : public QObject
{
    Q_OBJECT

private slots:
    void findsTheEventDueFirst_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("expected"); // "row name startIn", or "" for none

        QTest::newRow("empty table") << QStringList{} << "";
        QTest::newRow("one row") << QStringList{"Tea 00:10:00"} << "0 Tea 00:10:00";
        QTest::newRow("least Start in") << QStringList{"Tea 00:10:00", "Walk 00:09:59", "Nap 01:00:00"}
                                        << "1 Walk 00:09:59";
        QTest::newRow("hours outweigh minutes and seconds")
            << QStringList{"Tea 01:00:00", "Walk 00:59:59"} << "1 Walk 00:59:59";
        QTest::newRow("a tie goes to the upper row")
            << QStringList{"Tea 00:05:00", "Walk 00:05:00"} << "0 Tea 00:05:00";
        QTest::newRow("disabled rows do not count")
            << QStringList{"Tea 00:00:01 off", "Walk 00:30:00"} << "1 Walk 00:30:00";
        QTest::newRow("all disabled") << QStringList{"Tea 00:00:01 off", "Walk 00:30:00 off"} << "";
        QTest::newRow("due at the next tick") << QStringList{"Tea 00:00:01", "Walk 00:00:00"}
                                              << "1 Walk 00:00:00";
        // Read as the count-down reads it: nothing above zero fires next.
        QTest::newRow("negative text fires next")
            << QStringList{"Tea 00:00:00", "Walk -1:00:00"} << "0 Tea 00:00:00";
        QTest::newRow("hand-written seconds above 59")
            << QStringList{"Tea 00:01:00", "Walk 00:00:75"} << "0 Tea 00:01:00";
    }

    void findsTheEventDueFirst()
    {
        QFETCH(QStringList, rows);
        QFETCH(QString, expected);
        EventTable table;
        QList<EventRow> eventRows;
        for (const QString &row : rows) {
            const QStringList words = row.split(u' ');
            EventRow r;
            r.cells[EventTable::EventName] = words[0];
            r.cells[EventTable::StartIn] = words[1];
            r.cells[EventTable::Interval] = QStringLiteral("01:00:00");
            r.image = words.size() > 2 ? EventTable::DisabledImage : EventTable::EnabledImage;
            eventRows << r;
        }
        table.insertAtTop(eventRows);

        const std::optional<NextEvent> next = FindNextEvent(table);
        const QString found = next ? QStringLiteral("%1 %2 %3").arg(next->row).arg(next->name,
                                                                                   next->startIn)
                                   : QString();
        QCOMPARE(found, expected);
    }
};

PARLOWEN_TEST_MAIN(TestNextEvent)
#include "tst_nextevent.moc"
