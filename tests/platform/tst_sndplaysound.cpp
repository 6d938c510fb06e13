#include "defaultsound.h"
#include "diskaudiocapture.h"
#include "sdlaudio.h"
#include "slowfifo.h"
#include "sndplaysound.h"
#include "testmain.h"
#include "testwaves.h"
#include "wavefile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <numbers>
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
        // Read a block at a time, the file passes through the queue ten times.
        QTest::newRow("stereo 16-bit 44100 Hz, 3 s") << 44100 << 2 << (SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    }

    void playsTheFileToItsEnd()
    {
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(int, format);
        const QString path = m_dir.filePath(QStringLiteral("%1.wav").arg(QTest::currentDataTag()));
        const qint64 frames = QByteArray(QTest::currentDataTag()).endsWith("3 s") ? rate * 3 : rate * 6 / 10;
        QVERIFY(WaveFile::Write(path, AudibleWave(rate, channels, frames, format)));
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

    void playsEveryFormatTheReaderKnows_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<bool>("throughAPipe");
        const int flac = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
        const int vorbis = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
        const int mp3 = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
        QTest::newRow("FLAC") << flac << 44100 << 2 << false;
        QTest::newRow("Ogg Vorbis") << vorbis << 44100 << 2 << false;
        QTest::newRow("Ogg Opus") << (SF_FORMAT_OGG | SF_FORMAT_OPUS) << 48000 << 1 << false;
        QTest::newRow("MP3") << mp3 << 44100 << 2 << false;
        QTest::newRow("AIFF") << (SF_FORMAT_AIFF | SF_FORMAT_PCM_24) << 32000 << 1 << false;
        // A pipe cannot seek: the reader goes back only within its head.
        QTest::newRow("WAV through a pipe") << (SF_FORMAT_WAV | SF_FORMAT_PCM_16) << 22050 << 1 << true;
        QTest::newRow("FLAC through a pipe") << flac << 44100 << 2 << true;
        QTest::newRow("Ogg Vorbis through a pipe") << vorbis << 44100 << 2 << true;
        QTest::newRow("MP3 through a pipe") << mp3 << 44100 << 2 << true;
    }

    // Lossy formats decode to the same samples every time, so what was heard
    // is compared with what the whole-file reader makes of the same bytes.
    void playsEveryFormatTheReaderKnows()
    {
        if (!m_capture)
            QSKIP("needs the disk driver");
        QFETCH(int, format);
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(bool, throughAPipe);
        const QString path = m_dir.filePath(QStringLiteral("%1.snd").arg(QTest::currentDataTag()));
        QVERIFY(WaveFile::Write(path, AudibleWave(rate, channels, rate * 4 / 10, format)));
        const std::optional<WaveData> file = WaveFile::Read(path);
        QVERIFY(file);
        const std::vector<float> expected = DiskAudioCapture::withoutSilence(file->samples);
        QVERIFY(expected.size() > file->samples.size() / 2);

        std::unique_ptr<SlowFifo> pipe;
        if (throughAPipe) {
            QFile bytes(path);
            QVERIFY(bytes.open(QIODevice::ReadOnly));
            const QByteArray contents = bytes.readAll();
            pipe = std::make_unique<SlowFifo>(contents, contents.size(), contents.size(),
                                              std::chrono::milliseconds(1));
            QVERIFY(pipe->isValid());
        }
        QVERIFY(sndPlaySound(pipe ? pipe->path() : path, SndSync));
        QTRY_COMPARE(m_capture->sounding().size(), expected.size());
        QVERIFY(m_capture->sounding() == expected);
    }

    void convertsForADeviceOfAnotherFormat_data()
    {
        QTest::addColumn<int>("fileRate");
        QTest::addColumn<int>("fileChannels");
        QTest::addColumn<int>("deviceRate");
        QTest::addColumn<int>("deviceChannels");
        QTest::newRow("mono 22050 Hz on stereo 48000 Hz") << 22050 << 1 << 48000 << 2;
        QTest::newRow("stereo 48000 Hz on mono 44100 Hz") << 48000 << 2 << 44100 << 1;
    }

    // A 441 Hz tone is heard as that tone, at its loudness, for as long, in
    // the device's rate and channels.
    void convertsForADeviceOfAnotherFormat()
    {
        if (!m_capture)
            QSKIP("needs the disk driver");
        QFETCH(int, fileRate);
        QFETCH(int, fileChannels);
        QFETCH(int, deviceRate);
        QFETCH(int, deviceChannels);
        constexpr double tone = 441.0;
        constexpr double amplitude = 0.5;
        WaveData wave;
        wave.sampleRate = fileRate;
        wave.channels = fileChannels;
        wave.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
        for (int i = 0; i < fileRate; ++i) {
            // Starts and ends off zero, so the edges of the sound are found.
            const double phase = 2.0 * std::numbers::pi * tone * i / fileRate + std::numbers::pi / 4;
            for (int c = 0; c < fileChannels; ++c)
                wave.samples.push_back(float(amplitude * std::sin(phase)));
        }
        const QString path = m_dir.filePath(QStringLiteral("tone.wav"));
        QVERIFY(WaveFile::Write(path, wave));

        SdlAudio::SetOutputFormatForTesting(deviceRate, deviceChannels);
        const bool played = sndPlaySound(path, SndSync);
        SdlAudio::SetOutputFormatForTesting(0, 0);
        QVERIFY(played);

        // One second in, one second out, to the frame.
        QTRY_COMPARE(sounded(m_capture->samples()).size(), std::size_t(deviceRate * deviceChannels));
        const std::vector<float> heard = sounded(m_capture->samples());
        double sumOfSquares = 0;
        int signChanges = 0;
        for (std::size_t i = 0; i < heard.size(); i += std::size_t(deviceChannels)) {
            for (int c = 1; c < deviceChannels; ++c)
                QCOMPARE(heard[i + std::size_t(c)], heard[i]);
            sumOfSquares += double(heard[i]) * heard[i];
            if (i > 0 && (heard[i] < 0) != (heard[i - std::size_t(deviceChannels)] < 0))
                ++signChanges;
        }
        const double rms = std::sqrt(sumOfSquares / double(heard.size() / std::size_t(deviceChannels)));
        QVERIFY2(std::abs(rms - amplitude / std::sqrt(2.0)) < 0.02, qPrintable(QString::number(rms)));
        QVERIFY2(std::abs(signChanges - 2 * tone) <= 4, qPrintable(QString::number(signChanges)));
    }

    void aStopEndsTheWaitForASlowFile_data()
    {
        QTest::addColumn<qint64>("atOnce");   // bytes the pipe delivers at once
        QTest::addColumn<qint64>("perStep");  // then every 100 ms
        QTest::addColumn<bool>("soundsFirst");
        const qint64 header = 44;
        const qint64 fifthOfASecond = 8000 * 2 / 5;
        QTest::newRow("before a byte has come") << qint64(0) << qint64(0) << false;
        QTest::newRow("within the header") << header / 2 << qint64(0) << false;
        QTest::newRow("while a trickle plays") << header + fifthOfASecond << qint64(400) << true;
    }

    // The file comes through a pipe much slower than it plays, or stalls;
    // the player waits in its read, and a stop must end that wait at once.
    void aStopEndsTheWaitForASlowFile()
    {
        if (m_driver == Driver::None)
            QSKIP("needs a sound device");
        QFETCH(qint64, atOnce);
        QFETCH(qint64, perStep);
        QFETCH(bool, soundsFirst);
        const QString source = m_dir.filePath(QStringLiteral("slow.wav"));
        const WaveData wave = AudibleWave(8000, 1, 8000 * 30);
        QVERIFY(WaveFile::Write(source, wave));
        QFile bytes(source);
        QVERIFY(bytes.open(QIODevice::ReadOnly));
        SlowFifo pipe(bytes.readAll(), atOnce, perStep, std::chrono::milliseconds(100));
        QVERIFY(pipe.isValid());

        std::stop_source stop;
        std::atomic<int> result{-1};
        std::thread player([&] { result = sndPlaySound(pipe.path(), SndSync, stop.get_token()); });
        QTRY_VERIFY(pipe.isOpened());
        if (soundsFirst && m_capture)
            QTRY_VERIFY(!m_capture->sounding().empty());
        QTest::qWait(300);
        QElapsedTimer sinceStop;
        sinceStop.start();
        stop.request_stop();
        player.join();
        const qint64 elapsed = sinceStop.elapsed();

        QCOMPARE(result.load(), 0);
        QVERIFY2(elapsed < 300, qPrintable(QString::number(elapsed)));
        if (m_capture) {
            // What was heard came from the file; a stop is no reason for
            // the default sound.
            QTest::qWait(100);
            const std::vector<float> heard = m_capture->sounding();
            QCOMPARE(heard.empty(), !soundsFirst);
            QVERIFY(heard.size() < wave.samples.size());
            QVERIFY(std::equal(heard.begin(), heard.end(), wave.samples.begin()));
        }
    }

    void stopWaitingEndsThePlayWhereTheFileStalls_data()
    {
        QTest::addColumn<qint64>("atOnce");  // bytes the pipe delivers at once; -1: a file on disk
        QTest::addColumn<qint64>("perStep"); // then every 100 ms
        const qint64 header = 44;
        const qint64 halfASecond = 8000;
        QTest::newRow("a file on disk plays on") << qint64(-1) << qint64(0);
        QTest::newRow("a pipe stalled before a byte") << qint64(0) << qint64(0);
        QTest::newRow("a pipe stalled within the header") << header / 2 << qint64(0);
        QTest::newRow("a pipe stalled after half a second") << header + halfASecond << qint64(0);
        QTest::newRow("a pipe that trickles") << header + halfASecond << qint64(400);
    }

    // The milder stop: the sound goes on while the file has its bytes at
    // hand and ends where it has none. Everything that came is heard, and a
    // file that never came is no reason for the default sound.
    void stopWaitingEndsThePlayWhereTheFileStalls()
    {
        if (m_driver == Driver::None)
            QSKIP("needs a sound device");
        QFETCH(qint64, atOnce);
        QFETCH(qint64, perStep);
        const bool onDisk = atOnce < 0;
        const QString source = m_dir.filePath(QStringLiteral("stalling.wav"));
        const WaveData wave = AudibleWave(8000, 1, onDisk ? 8000 : 8000 * 30);
        QVERIFY(WaveFile::Write(source, wave));
        std::unique_ptr<SlowFifo> pipe;
        if (!onDisk) {
            QFile bytes(source);
            QVERIFY(bytes.open(QIODevice::ReadOnly));
            pipe = std::make_unique<SlowFifo>(bytes.readAll(), atOnce, perStep, std::chrono::milliseconds(100));
            QVERIFY(pipe->isValid());
        }
        const qint64 header = 44;
        const bool soundsFirst = onDisk || atOnce > header;

        std::stop_source stopWaiting;
        std::atomic<int> result{-1};
        std::atomic<bool> stalled{false};
        std::thread player([&] {
            bool gaveUp = true;
            result = sndPlaySound(pipe ? pipe->path() : source, SndSync, {}, {}, stopWaiting.get_token(), &gaveUp);
            stalled = gaveUp;
        });
        if (pipe)
            QTRY_VERIFY(pipe->isOpened());
        if (soundsFirst && m_capture)
            QTRY_VERIFY(!m_capture->sounding().empty());
        QTest::qWait(onDisk ? 100 : 300);
        const qint64 samplesCome = pipe ? (pipe->bytesWritten() - header) / 2 : 0;
        QElapsedTimer sinceRequest;
        sinceRequest.start();
        stopWaiting.request_stop();
        player.join();
        const qint64 elapsed = sinceRequest.elapsed();

        QCOMPARE(result.load(), int(onDisk));
        QCOMPARE(stalled.load(), !onDisk);
        if (onDisk) {
            QVERIFY2(elapsed > 700, qPrintable(QString::number(elapsed)));
            if (m_capture) {
                QTRY_COMPARE(m_capture->sounding().size(), wave.samples.size());
                QVERIFY(m_capture->sounding() == wave.samples);
            }
            return;
        }
        // What was queued still sounds, and no more than that.
        QVERIFY2(elapsed < StreamingPlayback::QueueLength.count() + 300, qPrintable(QString::number(elapsed)));
        if (m_capture) {
            QTest::qWait(100);
            const std::vector<float> heard = m_capture->sounding();
            QVERIFY2(heard.size() >= std::size_t(std::max<qint64>(samplesCome, 0)),
                     qPrintable(QStringLiteral("%1 of %2").arg(heard.size()).arg(samplesCome)));
            QVERIFY2(heard.size() <= std::size_t(std::max<qint64>((pipe->bytesWritten() - header) / 2, 0)),
                     qPrintable(QString::number(heard.size())));
            QVERIFY(std::equal(heard.begin(), heard.end(), wave.samples.begin()));
        }
    }

    void aFileThatGoesWhilePlaying_data()
    {
        QTest::addColumn<bool>("deleted"); // otherwise cut to nothing
        QTest::newRow("deleted") << true;
        QTest::newRow("truncated") << false;
    }

    // A deleted file plays on from what the player holds open; one cut
    // short on disk ends where its samples end, without waiting for more.
    void aFileThatGoesWhilePlaying()
    {
        if (!m_capture)
            QSKIP("needs the disk driver");
        QFETCH(bool, deleted);
        const QString path = m_dir.filePath(QStringLiteral("going.wav"));
        const WaveData wave = AudibleWave(22050, 1, 22050 * 2);
        QVERIFY(WaveFile::Write(path, wave));

        std::atomic<int> result{-1};
        QElapsedTimer clock;
        clock.start();
        std::thread player([&] { result = sndPlaySound(path, SndSync); });
        QTRY_VERIFY(m_capture->sounding().size() > wave.samples.size() / 8);
        if (deleted)
            QVERIFY(QFile::remove(path));
        else
            QVERIFY(QFile::resize(path, 0));
        player.join();
        const qint64 elapsed = clock.elapsed();

        QCOMPARE(result.load(), 1);
        if (deleted) {
            QTRY_COMPARE(m_capture->sounding().size(), wave.samples.size());
            QVERIFY(m_capture->sounding() == wave.samples);
        } else {
            QTest::qWait(100);
            const std::vector<float> heard = m_capture->sounding();
            QVERIFY2(heard.size() < wave.samples.size() * 3 / 4, qPrintable(QString::number(heard.size())));
            QVERIFY(std::equal(heard.begin(), heard.end(), wave.samples.begin()));
            QVERIFY2(elapsed < wave.duration().count() * 3 / 4, qPrintable(QString::number(elapsed)));
        }
    }

    void namesTheStreamAfterTheEvent_data()
    {
        QTest::addColumn<bool>("fileExists");
        QTest::newRow("its sound file") << true;
        QTest::newRow("the default sound") << false;
    }

    // The sound server lists the play as the program's event sound, under
    // the event's name; the editor's next play does not inherit that name.
    void namesTheStreamAfterTheEvent()
    {
        if (m_driver == Driver::None)
            QSKIP("needs a sound device");
        QFETCH(bool, fileExists);
        const QString path = m_dir.filePath(QStringLiteral("named.wav"));
        QFile::remove(path);
        if (fileExists)
            QVERIFY(WaveFile::Write(path, AudibleWave(22050, 1, 2205)));

        QVERIFY(sndPlaySound(path, SndSync, {}, QStringLiteral("Tea is ready")));
        SdlAudio::DeviceNames names = SdlAudio::NamesAtLastOpening();
        QCOMPARE(names.appName, QStringLiteral("Parlowen"));
        QCOMPARE(names.deviceAppName, QStringLiteral("Parlowen"));
        QCOMPARE(names.streamName, QStringLiteral("Tea is ready"));
        QCOMPARE(names.streamRole, QStringLiteral("event"));

        const std::unique_ptr<AudioPlayback> preview = AudioPlayback::Start(DefaultSound());
        QVERIFY(preview);
        preview->stop();
        names = SdlAudio::NamesAtLastOpening();
        QCOMPARE(names.appName, QStringLiteral("Parlowen"));
        QCOMPARE(names.streamName, QString());
        QCOMPARE(names.streamRole, QString());
    }

private:
    // The samples from the first sound to the last: the silence of an idle
    // device around them goes, the quiet within them stays.
    static std::vector<float> sounded(const std::vector<float> &samples)
    {
        const auto first = std::find_if(samples.begin(), samples.end(), [](float s) { return s != 0.0f; });
        const auto last = std::find_if(samples.rbegin(), samples.rend(), [](float s) { return s != 0.0f; });
        if (first == samples.end())
            return {};
        return std::vector<float>(first, last.base());
    }

    QTemporaryDir m_dir;
    Driver m_driver = Driver::Disk;
    std::unique_ptr<DiskAudioCapture> m_capture;
};

PARLOWEN_TEST_MAIN(TestSndPlaySound)
#include "tst_sndplaysound.moc"
