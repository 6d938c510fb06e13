#include "defaultsound.h"
#include "diskaudiocapture.h"
#include "sdlaudio.h"
#include "sndplaysound.h"
#include "testmain.h"
#include "testwaves.h"
#include "wavefile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <memory>
#include <stop_token>
#include <thread>

// Runs with SDL's disk driver, so that what was played can be read back. The
// same suite also runs under the dummy driver (paced, silent) and with no
// usable driver at all; PARLOWEN_TEST_AUDIO names which.
class TestSndPlaySound : public QObject
{
    Q_OBJECT

    enum class Driver { Disk, Dummy, None };

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QByteArray mode = qgetenv("PARLOWEN_TEST_AUDIO");
        if (mode == "dummy") {
            m_driver = Driver::Dummy;
            qputenv("SDL_AUDIODRIVER", "dummy");
        } else if (mode == "none") {
            m_driver = Driver::None;
            qputenv("SDL_AUDIODRIVER", "no-such-driver");
        } else {
            m_capture = std::make_unique<DiskAudioCapture>();
            QVERIFY(m_capture->isValid());
        }
    }

    void init()
    {
        if (m_capture)
            m_capture->clear();
    }

    void playsTheFileToItsEnd_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("format");
        QTest::newRow("mono 16-bit 22050 Hz") << 22050 << 1 << (SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        QTest::newRow("stereo 16-bit 44100 Hz") << 44100 << 2 << (SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        QTest::newRow("mono float 48000 Hz") << 48000 << 1 << (SF_FORMAT_WAV | SF_FORMAT_FLOAT);
        QTest::newRow("stereo 8-bit 8000 Hz") << 8000 << 2 << (SF_FORMAT_WAV | SF_FORMAT_PCM_U8);
    }

    void playsTheFileToItsEnd()
    {
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(int, format);
        const QString path = m_dir.filePath(QStringLiteral("%1.wav").arg(QTest::currentDataTag()));
        QVERIFY(WaveFile::Write(path, AudibleWave(rate, channels, rate * 6 / 10, format)));
        const std::optional<WaveData> file = WaveFile::Read(path);
        QVERIFY(file);

        QElapsedTimer clock;
        clock.start();
        const bool played = sndPlaySound(path, SndSync);
        const qint64 elapsed = clock.elapsed();

        if (m_driver == Driver::None) {
            QVERIFY(!played);
            QVERIFY2(elapsed < 1000, qPrintable(QString::number(elapsed)));
            return;
        }
        QVERIFY(played);
        // Heard to its end: not before the sound lasted, and not seconds after.
        QVERIFY2(elapsed >= file->duration().count() - 50, qPrintable(QString::number(elapsed)));
        QVERIFY2(elapsed < file->duration().count() + 1500, qPrintable(QString::number(elapsed)));
        if (m_capture) {
            const std::vector<float> expected = DiskAudioCapture::withoutSilence(file->samples);
            QCOMPARE(expected.size(), file->samples.size());
            QTRY_COMPARE(m_capture->sounding().size(), expected.size());
            QVERIFY(m_capture->sounding() == expected);
        }
    }

    void playsTheDefaultSoundInstead_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("contents"); // null: no file at all
        QTest::newRow("missing file") << QStringLiteral("missing.wav") << QByteArray();
        QTest::newRow("empty name") << QString() << QByteArray();
        QTest::newRow("not a wave") << QStringLiteral("text.wav") << QByteArray("just some text\n");
        QTest::newRow("truncated header") << QStringLiteral("cut.wav") << QByteArray("RIFF\x24\0\0\0WAVEfmt ", 16);
        QTest::newRow("a folder") << QStringLiteral(".") << QByteArray();
    }

    void playsTheDefaultSoundInstead()
    {
        if (!m_capture)
            QSKIP("needs the disk driver");
        QFETCH(QString, name);
        QFETCH(QByteArray, contents);
        QString path = name.isEmpty() ? QString() : m_dir.filePath(name);
        if (!contents.isNull()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(contents);
        }

        QVERIFY(sndPlaySound(path, SndSync));
        const std::vector<float> chime = DiskAudioCapture::withoutSilence(DefaultSound()->samples);
        QVERIFY(!chime.empty());
        QTRY_COMPARE(m_capture->sounding().size(), chime.size());
        QVERIFY(m_capture->sounding() == chime);
    }

    void anEmptyWavePlaysTheDefaultSound()
    {
        if (!m_capture)
            QSKIP("needs the disk driver");
        const QString path = m_dir.filePath(QStringLiteral("empty.wav"));
        QVERIFY(WaveFile::Write(path, AudibleWave(22050, 1, 0)));
        QVERIFY(sndPlaySound(path, SndSync));
        QTRY_COMPARE(m_capture->sounding().size(),
                     DiskAudioCapture::withoutSilence(DefaultSound()->samples).size());
    }

    void aStopRequestCutsTheSoundShort()
    {
        if (m_driver == Driver::None)
            QSKIP("needs a sound device");
        const QString path = m_dir.filePath(QStringLiteral("long.wav"));
        const WaveData wave = AudibleWave(22050, 1, 22050 * 5);
        QVERIFY(WaveFile::Write(path, wave));

        std::stop_source stop;
        std::atomic<int> result{-1};
        QElapsedTimer clock;
        clock.start();
        std::thread player([&] { result = sndPlaySound(path, SndSync, stop.get_token()); });
        QTest::qWait(300);
        stop.request_stop();
        player.join();
        const qint64 elapsed = clock.elapsed();

        QCOMPARE(result.load(), 0);
        QVERIFY2(elapsed < 2500, qPrintable(QString::number(elapsed)));
        if (m_capture) {
            QTRY_VERIFY(!m_capture->sounding().empty());
            QVERIFY(m_capture->sounding().size() < wave.samples.size());
        }
    }

private:
    QTemporaryDir m_dir;
    Driver m_driver = Driver::Disk;
    std::unique_ptr<DiskAudioCapture> m_capture;
};

PARLOWEN_TEST_MAIN(TestSndPlaySound)
#include "tst_sndplaysound.moc"
