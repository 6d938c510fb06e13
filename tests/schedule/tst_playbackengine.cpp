#include "countdown.h"
#include "defaultsound.h"
#include "diskaudiocapture.h"
#include "eventtable.h"
#include "playbackengine.h"
#include "scheduletick.h"
#include "sdlaudio.h"
#include "slowfifo.h"
#include "testmain.h"
#include "testwaves.h"
#include "wavefile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

// The worker as heard: SDL's disk driver records every sample played, so the
// tests count plays by samples, not by calls.
class TestPlaybackEngine : public QObject
{
    Q_OBJECT

    struct Fixture
    {
        EventTable table;
        PlaybackEngine engine{&table};

        // Row 0 fires at the first tick; row 1 only counts down.
        Fixture(const QString &waveFile, const QString &repetition)
        {
            EventRow fires;
            fires.cells = {QStringLiteral("Tea"), waveFile, QStringLiteral("00:00:00"),
                           QStringLiteral("00:30:00"), repetition, QString()};
            EventRow waits;
            waits.cells = {QStringLiteral("Bus"), waveFile, QStringLiteral("00:10:00"),
                           QStringLiteral("00:30:00"), QStringLiteral("1*"), QString()};
            table.insertAtTop({fires, waits});
        }

        void tick(QStringView pause)
        {
            ScheduleTick(table, engine, PlayWindow{}, QDateTime::currentDateTime(), pause);
        }
    };

    // `count` copies of the wave's samples, one after the other.
    static std::vector<float> times(const std::vector<float> &samples, int count)
    {
        std::vector<float> out;
        for (int i = 0; i < count; ++i)
            out.insert(out.end(), samples.begin(), samples.end());
        return out;
    }

    QString writeWave(const QString &name, double seconds, int offset = 0)
    {
        WaveData wave = AudibleWave(22050, 1, qint64(22050 * seconds));
        // Each file its own samples, so that plays of two files differ.
        std::rotate(wave.samples.begin(), wave.samples.begin() + offset, wave.samples.end());
        const QString path = m_dir.filePath(name);
        return WaveFile::Write(path, wave) ? path : QString();
    }

    static std::vector<float> samplesOf(const QString &path)
    {
        const std::optional<WaveData> wave = WaveFile::Read(path);
        return wave ? wave->samples : std::vector<float>{};
    }

    static QByteArray bytesOf(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // A pipe that has delivered nothing and stalls, and one that delivers
    // the header and a second of sound at once, then far slower than it
    // plays.
    static void addSlowPipeRows()
    {
        QTest::addColumn<qint64>("atOnce");  // bytes the pipe delivers at once
        QTest::addColumn<qint64>("perStep"); // then every 100 ms
        QTest::newRow("stalled before a byte") << qint64(0) << qint64(0);
        QTest::newRow("trickling while it plays") << qint64(44 + 22050) << qint64(1000);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_capture = std::make_unique<DiskAudioCapture>();
        QVERIFY(m_capture->isValid());
    }

    void init() { m_capture->clear(); }

    void playsRepetitionTimesAndHoldsTheCountDown()
    {
        const QString wave = writeWave(QStringLiteral("short.wav"), 0.3);
        Fixture f(wave, QStringLiteral("3*"));
        QElapsedTimer sinceFiring;
        sinceFiring.start();
        f.tick(u"1");
        QVERIFY(f.engine.isBusy());
        QCOMPARE(f.table.text(0, EventTable::StartIn), QStringLiteral("00:30:00"));

        // Ticks go on while the worker plays; none may count down.
        while (f.engine.isBusy() && sinceFiring.elapsed() < 30000) {
            f.tick(u"1");
            QCOMPARE(f.table.text(1, EventTable::StartIn), QStringLiteral("00:10:00"));
            QTest::qWait(50);
        }
        QVERIFY(!f.engine.isBusy());
        // Three plays of 0.3 s, each followed by its pause of one second.
        QVERIFY2(sinceFiring.elapsed() >= 3 * 1300 - 100, qPrintable(QString::number(sinceFiring.elapsed())));
        QTRY_COMPARE(m_capture->sounding().size(), 3 * samplesOf(wave).size());
        QVERIFY(m_capture->sounding() == times(samplesOf(wave), 3));

        f.tick(u"1");
        QCOMPARE(f.table.text(1, EventTable::StartIn), QStringLiteral("00:09:59"));
    }

    void aMissingFilePlaysTheDefaultSound()
    {
        Fixture f(m_dir.filePath(QStringLiteral("gone.wav")), QStringLiteral("1"));
        f.tick(u"0");
        QTRY_VERIFY_WITH_TIMEOUT(!f.engine.isBusy(), 10000);
        const std::vector<float> chime = DiskAudioCapture::withoutSilence(DefaultSound()->samples);
        QTRY_COMPARE(m_capture->sounding().size(), chime.size());
        QVERIFY(m_capture->sounding() == chime);
    }

    void readsTheFileNameBeforeEveryPlay()
    {
        const QString first = writeWave(QStringLiteral("first.wav"), 0.2, 0);
        const QString second = writeWave(QStringLiteral("second.wav"), 0.2, 7);
        Fixture f(first, QStringLiteral("2"));
        f.tick(u"1");
        QTRY_COMPARE(m_capture->sounding().size(), samplesOf(first).size());
        f.table.setText(0, EventTable::WaveFile, second);
        QTRY_VERIFY_WITH_TIMEOUT(!f.engine.isBusy(), 10000);
        std::vector<float> expected = samplesOf(first);
        const std::vector<float> then = samplesOf(second);
        expected.insert(expected.end(), then.begin(), then.end());
        QTRY_COMPARE(m_capture->sounding().size(), expected.size());
        QVERIFY(m_capture->sounding() == expected);
    }

    void stopLetsTheCurrentPlayAndPauseFinish()
    {
        const QString wave = writeWave(QStringLiteral("half.wav"), 0.5);
        const std::size_t once = samplesOf(wave).size();
        Fixture f(wave, QStringLiteral("5"));
        f.tick(u"1");
        // Stop while the second play sounds.
        QTRY_VERIFY_WITH_TIMEOUT(m_capture->sounding().size() > once, 10000);
        f.engine.requestStop();
        QElapsedTimer sinceStop;
        sinceStop.start();
        QTRY_VERIFY_WITH_TIMEOUT(!f.engine.isBusy(), 10000);
        QVERIFY2(sinceStop.elapsed() >= 1000 - 50, qPrintable(QString::number(sinceStop.elapsed())));
        QTRY_COMPARE(m_capture->sounding().size(), 2 * once);
        QTest::qWait(300);
        QVERIFY(m_capture->sounding() == times(samplesOf(wave), 2));
    }

    void stopEndsThePlayWhereItsFileStalls_data()
    {
        addSlowPipeRows();
    }

    // The event's file comes from a pipe or share that has stalled, or
    // delivers far slower than it plays. Stop does not wait for it: the
    // play ends where the file has nothing more at hand, the worker ends
    // without its pause, and Start lets the count-down go on.
    void stopEndsThePlayWhereItsFileStalls()
    {
        QFETCH(qint64, atOnce);
        QFETCH(qint64, perStep);
        const QString wave = writeWave(QStringLiteral("stalls.wav"), 60.0);
        const QByteArray contents = bytesOf(wave);
        QVERIFY(!contents.isEmpty());
        SlowFifo pipe(contents, atOnce, perStep, std::chrono::milliseconds(100));
        QVERIFY(pipe.isValid());
        Fixture f(pipe.path(), QStringLiteral("3"));
        f.tick(u"5");
        QTRY_VERIFY(pipe.isOpened());
        // Past what came at once: the play now waits for every trickle.
        if (atOnce > 0)
            QTRY_VERIFY(m_capture->sounding().size() > std::size_t(atOnce - 44) / 2);
        QTest::qWait(200);
        QVERIFY(f.engine.isBusy());

        QElapsedTimer sinceStop;
        sinceStop.start();
        f.engine.requestStop();
        QTRY_VERIFY_WITH_TIMEOUT(!f.engine.isBusy(), 2000);
        QVERIFY2(sinceStop.elapsed() < 300, qPrintable(QString::number(sinceStop.elapsed())));
        // Only what the file delivered was heard: no default sound.
        QTest::qWait(100);
        const std::vector<float> heard = m_capture->sounding();
        const std::vector<float> file = samplesOf(wave);
        QCOMPARE(heard.empty(), atOnce == 0);
        QVERIFY(heard.size() < file.size());
        QVERIFY(std::equal(heard.begin(), heard.end(), file.begin()));

        f.tick(u"5"); // Start
        QCOMPARE(f.table.text(0, EventTable::StartIn), QStringLiteral("00:29:59"));
        QCOMPARE(f.table.text(1, EventTable::StartIn), QStringLiteral("00:09:59"));
    }

    void stopThenStartDuringThePausePlaysOn()
    {
        const QString wave = writeWave(QStringLiteral("pause.wav"), 0.2);
        const std::size_t once = samplesOf(wave).size();
        Fixture f(wave, QStringLiteral("3"));
        f.tick(u"1");
        QTRY_COMPARE(m_capture->sounding().size(), once);
        QVERIFY(f.engine.isBusy()); // in the pause after the first play
        f.engine.requestStop();
        f.tick(u"1"); // the first tick after Start clears the request
        QVERIFY(!f.engine.isStopRequested());
        QTRY_VERIFY_WITH_TIMEOUT(!f.engine.isBusy(), 10000);
        QTRY_COMPARE(m_capture->sounding().size(), 3 * once);
    }

    // Start after Stop gives later plays back their patience with a slow
    // file: the second play waits through its file's stall and is heard whole.
    void stopThenStartWaitsForASlowFileAgain()
    {
        const QString first = writeWave(QStringLiteral("before.wav"), 0.2);
        const QString slow = writeWave(QStringLiteral("slow.wav"), 0.5, 7);
        const QByteArray contents = bytesOf(slow);
        QVERIFY(!contents.isEmpty());
        // A tenth of a second, then a stall of 300 ms, then the rest.
        SlowFifo pipe(contents, 44 + 4410, contents.size(), std::chrono::milliseconds(300));
        QVERIFY(pipe.isValid());
        Fixture f(first, QStringLiteral("2"));
        f.tick(u"1");
        QTRY_COMPARE(m_capture->sounding().size(), samplesOf(first).size());
        QVERIFY(f.engine.isBusy()); // in the pause after the first play
        f.engine.requestStop();
        f.tick(u"1");
        f.table.setText(0, EventTable::WaveFile, pipe.path());
        QTRY_VERIFY_WITH_TIMEOUT(!f.engine.isBusy(), 10000);
        std::vector<float> expected = samplesOf(first);
        const std::vector<float> then = samplesOf(slow);
        expected.insert(expected.end(), then.begin(), then.end());
        QTRY_COMPARE(m_capture->sounding().size(), expected.size());
        QVERIFY(m_capture->sounding() == expected);
    }

    void shutdownCutsThePlayShort_data()
    {
        QTest::addColumn<bool>("letTheReadBeAnswered");
        QTest::newRow("while it plays") << true;
        QTest::newRow("while its read waits") << false;
    }

    void shutdownCutsThePlayShort()
    {
        QFETCH(bool, letTheReadBeAnswered);
        const QString wave = writeWave(QStringLiteral("long.wav"), 5.0);
        auto f = std::make_unique<Fixture>(wave, QStringLiteral("3"));
        f->tick(u"5");
        if (letTheReadBeAnswered)
            QTRY_VERIFY(!m_capture->sounding().empty());
        QElapsedTimer clock;
        clock.start();
        f->engine.shutdown();
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!f->engine.isBusy());
        f.reset(); // the table goes; a read still queued for it must not run
        QTest::qWait(50);
        QVERIFY(m_capture->sounding().size() < samplesOf(wave).size());
    }

    void shutdownEndsTheWaitForASlowFile_data()
    {
        addSlowPipeRows();
    }

    // The window closes while the worker waits for a file that comes much
    // slower than it plays: the engine goes at once, and the worker with it.
    void shutdownEndsTheWaitForASlowFile()
    {
        QFETCH(qint64, atOnce);
        QFETCH(qint64, perStep);
        const QString wave = writeWave(QStringLiteral("slow.wav"), 60.0);
        const QByteArray contents = bytesOf(wave);
        QVERIFY(!contents.isEmpty());
        SlowFifo pipe(contents, atOnce, perStep, std::chrono::milliseconds(100));
        QVERIFY(pipe.isValid());
        auto f = std::make_unique<Fixture>(pipe.path(), QStringLiteral("3"));
        f->tick(u"0");
        QTRY_VERIFY(pipe.isOpened());
        if (atOnce > 0)
            QTRY_VERIFY(!m_capture->sounding().empty());
        QTest::qWait(200);
        QVERIFY(f->engine.isBusy());

        QElapsedTimer clock;
        clock.start();
        f.reset();
        QVERIFY2(clock.elapsed() < 300, qPrintable(QString::number(clock.elapsed())));
        // Nothing but the file was heard: no default sound for a stop.
        QTest::qWait(100);
        const std::vector<float> heard = m_capture->sounding();
        const std::vector<float> file = samplesOf(wave);
        QVERIFY(heard.size() < file.size());
        QVERIFY(std::equal(heard.begin(), heard.end(), file.begin()));
    }

    // The sound server shows each play under the name its event has when it
    // starts.
    void namesEachPlayAfterItsEvent()
    {
        const QString wave = writeWave(QStringLiteral("named.wav"), 0.2);
        const std::size_t once = samplesOf(wave).size();
        Fixture f(wave, QStringLiteral("2"));
        f.tick(u"1");
        QTRY_COMPARE(m_capture->sounding().size(), once);
        QCOMPARE(SdlAudio::NamesAtLastOpening().streamName, QStringLiteral("Tea"));
        QCOMPARE(SdlAudio::NamesAtLastOpening().streamRole, QStringLiteral("event"));
        f.table.setText(0, EventTable::EventName, QStringLiteral("Green tea"));
        QTRY_VERIFY_WITH_TIMEOUT(!f.engine.isBusy(), 10000);
        QTRY_COMPARE(m_capture->sounding().size(), 2 * once);
        QCOMPARE(SdlAudio::NamesAtLastOpening().streamName, QStringLiteral("Green tea"));
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<DiskAudioCapture> m_capture;
};

PARLOWEN_TEST_MAIN(TestPlaybackEngine)
#include "tst_playbackengine.moc"
