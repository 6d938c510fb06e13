#include "handovermessage.h"
#include "testmain.h"

#include <QtEndian>

using HandOverMessage::Reader;
using State = Reader::State;
Q_DECLARE_METATYPE(Reader::State)
Q_DECLARE_METATYPE(StartRequest)

namespace {
QByteArray framed(const QByteArray &json)
{
    QByteArray length(4, '\0');
    qToBigEndian<quint32>(quint32(json.size()), length.data());
    return length + json;
}
} // namespace

class TestHandOverMessage : public QObject
{
    Q_OBJECT

private slots:
    void travelsWhole_data()
    {
        QTest::addColumn<StartRequest>("request");
        QTest::addColumn<int>("chunk");
        QTest::newRow("nothing") << StartRequest{} << 1000;
        QTest::newRow("start only") << StartRequest{QString(), true} << 1000;
        // Names may hold anything a file system allows but '/' ends a
        // folder and NUL ends the name.
        QTest::newRow("odd name, byte by byte")
            << StartRequest{QStringLiteral("/tmp/\"quoted\" \\ tab\there\nline ä€😀.sked"), true} << 1;
        QTest::newRow("three-byte pieces") << StartRequest{QStringLiteral("/a/b.sked"), false} << 3;
    }

    void travelsWhole()
    {
        QFETCH(StartRequest, request);
        QFETCH(int, chunk);
        const QByteArray message = HandOverMessage::Encode(request);
        Reader reader;
        for (qsizetype at = 0; at < message.size(); at += chunk) {
            QCOMPARE(reader.state(), State::Incomplete);
            reader.feed(message.mid(at, chunk));
        }
        QCOMPARE(reader.state(), State::Complete);
        QCOMPARE(reader.request(), request);
    }

    void rejectsWhatIsNotARequest_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<State>("state");

        const QByteArray good = R"({"version":1,"file":"/a.sked","start":false})";
        QTest::newRow("good, for contrast") << framed(good) << State::Complete;
        QTest::newRow("not yet whole") << framed(good).chopped(1) << State::Incomplete;
        QTest::newRow("bytes after it") << framed(good) + "x" << State::Invalid;
        QTest::newRow("two messages") << framed(good) + framed(good) << State::Invalid;
        // Judged by the length alone, without waiting for 4 GB to arrive.
        QTest::newRow("too long") << QByteArray("\xff\xff\xff\xff{", 5) << State::Invalid;
        QTest::newRow("just too long") << QByteArray("\x00\x01\x00\x01", 4) << State::Invalid;
        QTest::newRow("not JSON") << framed("file=/a.sked") << State::Invalid;
        QTest::newRow("an array") << framed(R"(["/a.sked"])") << State::Invalid;
        QTest::newRow("other version")
            << framed(R"({"version":2,"file":"/a.sked","start":false})") << State::Invalid;
        QTest::newRow("no version") << framed(R"({"file":"/a.sked","start":false})")
                                    << State::Invalid;
        QTest::newRow("relative file")
            << framed(R"({"version":1,"file":"a.sked","start":false})") << State::Invalid;
        QTest::newRow("file not a text")
            << framed(R"({"version":1,"file":7,"start":false})") << State::Invalid;
        QTest::newRow("start not a truth value")
            << framed(R"({"version":1,"file":"","start":"yes"})") << State::Invalid;
        QTest::newRow("start missing") << framed(R"({"version":1,"file":""})") << State::Invalid;
    }

    void rejectsWhatIsNotARequest()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(State, state);
        Reader reader;
        QCOMPARE(reader.feed(bytes), state);
    }
};

PARLOWEN_TEST_MAIN(TestHandOverMessage)
#include "tst_handovermessage.moc"
