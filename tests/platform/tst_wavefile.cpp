#include "testmain.h"
#include "testwaves.h"
#include "wavefile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <sndfile.h>

namespace {

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char((v >> (8 * i)) & 0xFF);
    return b;
}

QByteArray le16(quint16 v)
{
    return le32(v).left(2);
}

// A canonical PCM WAV header with figures of the caller's choosing, followed
// by `dataBytes` of actual data whatever the header claims.
QByteArray wavHeader(quint16 channels, quint32 rate, quint16 bits, quint32 claimedDataSize,
                     int dataBytes)
{
    const quint16 blockAlign = quint16(channels * bits / 8);
    QByteArray b = "RIFF" + le32(36 + claimedDataSize) + "WAVEfmt " + le32(16) + le16(1)
                   + le16(channels) + le32(rate) + le32(rate * blockAlign) + le16(blockAlign)
                   + le16(bits) + "data" + le32(claimedDataSize);
    b += QByteArray(dataBytes, '\x11');
    return b;
}

} // namespace

class TestWaveFile : public QObject
{
    Q_OBJECT

private slots:
    void writesAndReadsBack_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("channels");
        QTest::newRow("16-bit mono") << (SF_FORMAT_WAV | SF_FORMAT_PCM_16) << 1;
        QTest::newRow("8-bit stereo") << (SF_FORMAT_WAV | SF_FORMAT_PCM_U8) << 2;
        QTest::newRow("24-bit stereo") << (SF_FORMAT_WAV | SF_FORMAT_PCM_24) << 2;
        QTest::newRow("float mono") << (SF_FORMAT_WAV | SF_FORMAT_FLOAT) << 1;
    }

    void writesAndReadsBack()
    {
        QFETCH(int, format);
        QFETCH(int, channels);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.wav"));
        const WaveData written = AudibleWave(11025, channels, 5000, format);
        QVERIFY(WaveFile::Write(path, written));

        QString error;
        const std::optional<WaveData> read = WaveFile::Read(path, &error);
        QVERIFY2(read, qPrintable(error));
        QCOMPARE(read->sampleRate, 11025);
        QCOMPARE(read->channels, channels);
        QCOMPARE(read->format, format);
        QCOMPARE(read->frames(), 5000);
        QCOMPARE(read->duration().count(), 5000 * 1000 / 11025);
        QVERIFY(read->samples == written.samples);
    }

    void rejectsWhatIsNoWave_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("text") << QByteArray("hello, this is not a wave at all");
        QTest::newRow("riff without format") << QByteArray("RIFF\x04\0\0\0WAVE", 12);
        QTest::newRow("no channels") << wavHeader(0, 8000, 16, 100, 100);
        QTest::newRow("rate zero") << wavHeader(1, 0, 16, 100, 100);
        QTest::newRow("too many channels") << wavHeader(1000, 8000, 16, 4000, 4000);
    }

    void rejectsWhatIsNoWave()
    {
        QFETCH(QByteArray, bytes);
        QString error;
        QVERIFY(!WaveFile::ReadFromMemory(bytes, &error));
        QVERIFY(!error.isEmpty());
    }

    void believesTheDataNotTheHeader()
    {
        // The header claims 4 GiB of samples; only 1000 bytes follow.
        const std::optional<WaveData> wave =
            WaveFile::ReadFromMemory(wavHeader(1, 8000, 16, 0xFFFFFFF0u, 1000));
        QVERIFY(wave);
        QCOMPARE(wave->frames(), 500);
        QVERIFY(wave->samples.capacity() < 1'000'000);
    }

    void holdsFloatSamplesAtFullScale()
    {
        // A float file may go beyond full scale (and the editor saves the
        // wave again as 16-bit integers, where such values would wrap round).
        WaveData wave;
        wave.sampleRate = 8000;
        wave.channels = 1;
        wave.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
        wave.samples = {0.5f, 1.5f, -2.0f, -0.25f};
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("loud.wav"));
        QVERIFY(WaveFile::Write(path, wave));
        const std::optional<WaveData> read = WaveFile::Read(path);
        QVERIFY(read);
        QCOMPARE(read->samples, (std::vector<float>{0.5f, 1.0f, -1.0f, -0.25f}));
    }

    void survivesRandomBytes()
    {
        // Random damage to a real file: every outcome is fine but a crash or
        // a wave larger than the input could hold.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.wav"));
        QVERIFY(WaveFile::Write(path, AudibleWave(8000, 2, 400)));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray good = file.readAll();
        QRandomGenerator random(20240611);
        for (int round = 0; round < 500; ++round) {
            QByteArray bad = good.left(random.bounded(good.size() + 1));
            for (int i = random.bounded(8); i >= 0 && !bad.isEmpty(); --i)
                bad[random.bounded(qsizetype(bad.size()))] = char(random.bounded(256));
            if (const std::optional<WaveData> wave = WaveFile::ReadFromMemory(bad)) {
                QVERIFY(wave->channels >= 1 && wave->channels <= WaveFile::MaxChannels);
                QVERIFY(wave->samples.size() <= std::size_t(bad.size()) * 8);
            }
        }
    }

    void aFailedWriteKeepsTheOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.wav"));
        QVERIFY(WaveFile::Write(path, AudibleWave(8000, 1, 100)));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        file.close();

        WaveData invalid = AudibleWave(8000, 1, 100);
        invalid.format = SF_FORMAT_WAV | 0x7777; // no such encoding
        QString error;
        QVERIFY(!WaveFile::Write(path, invalid, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("a.wav")});
    }

    void keepsTags_data()
    {
        QTest::addColumn<QString>("comment");
        QTest::addColumn<QString>("software");
        QTest::newRow("plain") << "Time to stand up." << "Parlowen";
        QTest::newRow("accents and symbols") << QString::fromUtf8("Café à 8 h — «pause» ✓") << "x";
        QTest::newRow("lines and tabs") << "one\ntwo\tthree" << "";
        // 2,000 bytes: 666 three-byte characters and two bytes more.
        QTest::newRow("longest") << QString(666, u'€') + "ab" << QString(WaveFile::MaxSoftwareBytes, u'y');
        QTest::newRow("none") << "" << "";
    }

    void keepsTags()
    {
        QFETCH(QString, comment);
        QFETCH(QString, software);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.wav"));
        const WaveData wave = AudibleWave(8000, 1, 1000);
        QVERIFY(WaveFile::Write(path, wave, WaveFile::Tags{comment, software}));

        const std::optional<WaveFile::Tags> tags = WaveFile::ReadTags(path);
        QVERIFY(tags);
        QCOMPARE(tags->comment, comment);
        QCOMPARE(tags->software, software);
        // The tags cost the samples nothing.
        const std::optional<WaveData> read = WaveFile::Read(path);
        QVERIFY(read);
        QVERIFY(read->samples == wave.samples);

        QVERIFY(!WaveFile::ReadTags(dir.filePath(QStringLiteral("missing.wav"))));
    }

    void refusesATagTooLongToReadBack()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.wav"));
        const WaveData wave = AudibleWave(8000, 1, 1000);
        QVERIFY(WaveFile::Write(path, wave, WaveFile::Tags{QStringLiteral("old"), {}}));
        const QString longComment(WaveFile::MaxCommentBytes + 1, u'a');
        const QString longSoftware(WaveFile::MaxSoftwareBytes + 1, u'a');
        for (const WaveFile::Tags &tags : {WaveFile::Tags{longComment, {}}, WaveFile::Tags{{}, longSoftware}}) {
            QString error;
            QVERIFY(!WaveFile::Write(path, wave, tags, &error));
            QVERIFY(!error.isEmpty());
        }
        QCOMPARE(WaveFile::ReadTags(path)->comment, QStringLiteral("old"));
    }
};

PARLOWEN_TEST_MAIN(TestWaveFile)
#include "tst_wavefile.moc"
