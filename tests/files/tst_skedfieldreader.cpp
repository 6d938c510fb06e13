#include "skedfieldreader.h"
#include "testmain.h"

namespace {
QByteArray repeated(char c, int n)
{
    return QByteArray(n, c);
}
} // namespace

class TestSkedFieldReader : public QObject
{
    Q_OBJECT

private slots:
    // Each row reads the data with the given terminators, one read per
    // terminator, and lists each field and whether the end had been met.
    void readsFields_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("terminators");
        QTest::addColumn<QList<QByteArray>>("fields");
        QTest::addColumn<QList<bool>>("eof");

        const QByteArray x254 = repeated('x', 254);
        QTest::newRow("empty data") << QByteArray() << QByteArray("\t\t")
                                    << QList<QByteArray>{"", ""} << QList<bool>{true, true};
        QTest::newRow("last field without terminator")
            << QByteArray("ab\tcd") << QByteArray("\t\t\t") << QList<QByteArray>{"ab", "cd", ""}
            << QList<bool>{false, true, true};
        QTest::newRow("CR LF ends a line") << QByteArray("ab\r\ncd\r\n") << QByteArray("\n\n\n")
                                           << QList<QByteArray>{"ab", "cd", ""}
                                           << QList<bool>{false, false, true};
        QTest::newRow("bare LF ends a line") << QByteArray("ab\ncd") << QByteArray("\n\n")
                                             << QList<QByteArray>{"ab", "cd"}
                                             << QList<bool>{false, true};
        QTest::newRow("lone CR is text") << QByteArray("a\rb\n") << QByteArray("\n\n")
                                         << QList<QByteArray>{"a\rb", ""}
                                         << QList<bool>{false, true};
        QTest::newRow("CR LF inside a TAB field reads as LF")
            << QByteArray("a\r\nb\tc") << QByteArray("\t") << QList<QByteArray>{"a\nb"}
            << QList<bool>{false};
        QTest::newRow("TAB is text in a line field")
            << QByteArray("a\tb\r\n") << QByteArray("\n") << QList<QByteArray>{"a\tb"}
            << QList<bool>{false};
        QTest::newRow("300 bytes split at 254")
            << repeated('x', 300) + "\tz" << QByteArray("\t\t\t")
            << QList<QByteArray>{x254, repeated('x', 46), "z"} << QList<bool>{false, false, true};
        QTest::newRow("254 bytes keep their TAB") << x254 + "\ty" << QByteArray("\t\t")
                                                  << QList<QByteArray>{x254, "y"}
                                                  << QList<bool>{false, true};
        QTest::newRow("254 bytes keep their CR LF") << x254 + "\r\ny" << QByteArray("\n\n")
                                                    << QList<QByteArray>{x254, "y"}
                                                    << QList<bool>{false, true};
        QTest::newRow("254 bytes then the end") << x254 << QByteArray("\t\t")
                                                << QList<QByteArray>{x254, ""}
                                                << QList<bool>{false, true};
        // A character cut by the limit moves whole into the next field.
        QTest::newRow("two-byte character at the cut")
            << repeated('x', 253) + "\xc3\xa9\t" << QByteArray("\t\t")
            << QList<QByteArray>{repeated('x', 253), "\xc3\xa9"} << QList<bool>{false, false};
        QTest::newRow("three-byte character at the cut")
            << repeated('x', 252) + "\xe2\x82\xac\t" << QByteArray("\t\t")
            << QList<QByteArray>{repeated('x', 252), "\xe2\x82\xac"} << QList<bool>{false, false};
        QTest::newRow("character ending at the cut stays")
            << repeated('x', 252) + "\xc3\xa9y\t" << QByteArray("\t\t")
            << QList<QByteArray>{repeated('x', 252) + "\xc3\xa9", "y"}
            << QList<bool>{false, false};
        QTest::newRow("bytes that are not UTF-8 are cut by count")
            << repeated('\xa9', 256) + "\t" << QByteArray("\t\t")
            << QList<QByteArray>{repeated('\xa9', 254), repeated('\xa9', 2)}
            << QList<bool>{false, false};
    }

    void readsFields()
    {
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, terminators);
        QFETCH(QList<QByteArray>, fields);
        QFETCH(QList<bool>, eof);

        SkedFieldReader reader(data);
        QList<QByteArray> read;
        QList<bool> eofAfter;
        for (char terminator : terminators) {
            read << reader.read(terminator);
            eofAfter << reader.eofMet();
        }
        QCOMPARE(read, fields);
        QCOMPARE(eofAfter, eof);
    }

    void decodesFields_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QString>("text");
        QTest::newRow("ASCII") << QByteArray("Tea") << QStringLiteral("Tea");
        QTest::newRow("UTF-8") << QByteArray("Caf\xc3\xa9 \xe2\x82\xac") << QString::fromUtf8("Café €");
        QTest::newRow("Windows-1252") << QByteArray("Caf\xe9 \x80 break") << QString::fromUtf8("Café € break");
        QTest::newRow("ends of the 0x80-0x9F table")
            << QByteArray("\x82\x8c\x9f") << QString::fromUtf8("‚ŒŸ");
        QTest::newRow("codes Windows-1252 leaves undefined")
            << QByteArray("\x81\x8d\x8f\x90\x9d") << QStringLiteral("\u0081\u008d\u008f\u0090\u009d");
        // A UTF-8 character cut short is no UTF-8: the whole field is 8-bit.
        QTest::newRow("UTF-8 cut short") << QByteArray("\xc3\xa9\xc3") << QString::fromUtf8("Ã©Ã");
    }

    void decodesFields()
    {
        QFETCH(QByteArray, field);
        QFETCH(QString, text);
        SkedFieldReader reader(field);
        QCOMPARE(reader.readText('\t'), text);
    }
};

PARLOWEN_TEST_MAIN(TestSkedFieldReader)
#include "tst_skedfieldreader.moc"
