#include "testmain.h"
#include "timetext.h"

class TestTimeText : public QObject
{
    Q_OBJECT

private slots:
    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "50" << 50;
        QTest::newRow("count-mode marker stops the number") << "50*" << 50;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("no digits") << "abc" << 0;
        QTest::newRow("leading blanks") << "  7x" << 7;
        QTest::newRow("sign") << "-3" << -3;
        QTest::newRow("plus sign") << "+4" << 4;
        QTest::newRow("sign without digits") << "-" << 0;
        QTest::newRow("blank between sign and digits") << "- 3" << 0;
        QTest::newRow("saturates high") << "99999999999999" << std::numeric_limits<int>::max();
        QTest::newRow("saturates low") << "-99999999999999" << std::numeric_limits<int>::min();
    }

    void leadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(LeadingNumber(text), value);
    }

    void parseTimeText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("hours");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<int>("seconds");
        QTest::newRow("plain") << "01:30:05" << 1 << 30 << 5;
        QTest::newRow("length marker read as the last pair") << "00:05:00*" << 0 << 5 << 0;
        QTest::newRow("empty fires at once") << "" << 0 << 0 << 0;
        QTest::newRow("one character is first and last pair") << "7" << 7 << 0 << 7;
        QTest::newRow("two characters") << "12" << 12 << 0 << 12;
        QTest::newRow("hundred hours split by position") << "100:00:00" << 10 << 0 << 0;
        QTest::newRow("three-digit minutes") << "01:100:05" << 1 << 10 << 5;
        QTest::newRow("sixty seconds") << "00:00:60" << 0 << 0 << 60;
        QTest::newRow("blank padded") << " 1: 2: 3" << 1 << 2 << 3;
    }

    void parseTimeText()
    {
        QFETCH(QString, text);
        QFETCH(int, hours);
        QFETCH(int, minutes);
        QFETCH(int, seconds);
        QCOMPARE(ParseTimeText(text), (TimeParts{hours, minutes, seconds}));
    }

    void formatTimeText_data()
    {
        QTest::addColumn<int>("hours");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0 << 0 << 0 << "00:00:00";
        QTest::newRow("padded") << 1 << 2 << 3 << "01:02:03";
        QTest::newRow("two digits") << 23 << 59 << 59 << "23:59:59";
        QTest::newRow("hours past 99 widen") << 125 << 0 << 1 << "125:00:01";
    }

    void formatTimeText()
    {
        QFETCH(int, hours);
        QFETCH(int, minutes);
        QFETCH(int, seconds);
        QFETCH(QString, text);
        QCOMPARE(FormatTimeText(hours, minutes, seconds), text);
        if (hours < 100)
            QCOMPARE(ParseTimeText(text), (TimeParts{hours, minutes, seconds}));
    }

    void formatMillisecondsText_data()
    {
        QTest::addColumn<quint32>("milliseconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0u << "00:00:00";
        QTest::newRow("part of a second drops") << 59999u << "00:00:59";
        QTest::newRow("a minute and more") << 61500u << "00:01:01";
        QTest::newRow("25 hours do not wrap") << 25u * 3600 * 1000 << "25:00:00";
        QTest::newRow("largest") << 0xFFFFFFFFu << "1193:02:47";
    }

    void formatMillisecondsText()
    {
        QFETCH(quint32, milliseconds);
        QFETCH(QString, text);
        QCOMPARE(FormatMillisecondsText(milliseconds), text);
    }
};

PARLOWEN_TEST_MAIN(TestTimeText)
#include "tst_timetext.moc"
