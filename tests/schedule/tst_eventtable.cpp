#include "eventtable.h"
#include "testmain.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

class TestEventTable : public QObject
{
    Q_OBJECT

private slots:
    void modelIsConsistent()
    {
        EventTable table;
        QAbstractItemModelTester tester(&table, QAbstractItemModelTester::FailureReportingMode::QtTest);
        table.insertAtTop(QStringLiteral("a"));
        table.insertAtTop(QList<EventRow>{EventRow{{"b"}, 0}, EventRow{{"c"}, 1}});
        table.setText(1, EventTable::StartIn, QStringLiteral("00:00:05"));
        table.setImageIndex(0, 1);
        table.removeRow(1);
        table.clear();
        QCOMPARE(table.rowCount(), 0);
    }

    void headings()
    {
        EventTable table;
        const QStringList expected{"Event Name", "Wave file", "Start in", "Interval", "Repetition", "Length"};
        QCOMPARE(table.columnCount(), expected.size());
        for (int c = 0; c < expected.size(); ++c)
            QCOMPARE(table.headerData(c, Qt::Horizontal).toString(), expected.at(c));
    }

    void newRowsGoToTheTop()
    {
        EventTable table;
        table.insertAtTop(QStringLiteral("first"));
        table.insertAtTop(QStringLiteral("second"));
        QCOMPARE(table.text(0, EventTable::EventName), QStringLiteral("second"));
        QCOMPARE(table.text(1, EventTable::EventName), QStringLiteral("first"));
        QCOMPARE(table.imageIndex(0), 0);

        // A batch keeps its own order and lands above the old rows.
        table.insertAtTop(QList<EventRow>{EventRow{{"x"}, 0}, EventRow{{"y"}, 2}});
        QStringList names;
        for (int r = 0; r < table.rowCount(); ++r)
            names << table.text(r, EventTable::EventName);
        QCOMPARE(names, (QStringList{"x", "y", "second", "first"}));
        QCOMPARE(table.imageIndex(1), 2);
    }

    void onlyImageOneIsDisabled_data()
    {
        QTest::addColumn<int>("image");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("0") << 0 << true;
        QTest::newRow("1") << 1 << false;
        QTest::newRow("2 from a hand-written file") << 2 << true;
        QTest::newRow("-1") << -1 << true;
    }

    void onlyImageOneIsDisabled()
    {
        QFETCH(int, image);
        QFETCH(bool, enabled);
        EventTable table;
        table.insertAtTop(QStringLiteral("e"), image);
        QCOMPARE(table.isEnabled(0), enabled);
    }

    void outOfRangeCellsReadEmptyAndIgnoreWrites()
    {
        EventTable table;
        table.insertAtTop(QStringLiteral("only"));
        QSignalSpy changed(&table, &QAbstractItemModel::dataChanged);
        table.setText(5, EventTable::WaveFile, QStringLiteral("x"));
        table.setText(0, EventTable::ColumnCount, QStringLiteral("x"));
        table.setImageIndex(-1, 1);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(table.text(1, EventTable::WaveFile), QString());
        QCOMPARE(table.text(-1, EventTable::EventName), QString());
        QCOMPARE(table.text(0, 6), QString());
    }
};

PARLOWEN_TEST_MAIN(TestEventTable)
#include "tst_eventtable.moc"
