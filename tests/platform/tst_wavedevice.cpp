#include "diskaudiocapture.h"
#include "diskaudioinput.h"
#include "testmain.h"
#include "testwaves.h"
#include "wavedevice.h"
#include "wavefile.h"

#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace {

// Stands where the editor stands: it is told how plays and records end.
class Listener : public QObject
{
public:
    QList<std::pair<unsigned, WaveDevice::DeviceId>> notes;

protected:
    void customEvent(QEvent *event) override
    {
        if (event->type() == WaveNotifyEvent::eventType()) {
            const auto *n = static_cast<WaveNotifyEvent *>(event);
            notes.append({n->code(), n->deviceId()});
        }
    }
};

quint32 status(const WaveDevice &device, WaveDevice::DeviceId id, WaveDevice::StatusItem item)
{
    quint32 value = 0xDEAD;
    if (device.status(id, item, &value) != WaveDevice::NoError)
        qFatal("status failed");
    return value;
}

std::vector<float> head(const std::vector<float> &samples, std::size_t count)
{
    return {samples.begin(), samples.begin() + std::min(count, samples.size())};
}

} // namespace

// The wave device through SDL's disk driver: what it plays is read back from
// the driver's output, what it records comes from a file of known samples.
class TestWaveDevice : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<DiskAudioCapture> m_output;
    std::vector<float> m_input;

    QString path(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_output = std::make_unique<DiskAudioCapture>();
        QVERIFY(m_output->isValid());
        // A third of a second of speech-rate input.
        m_input = AudibleWave(WaveDevice::DefaultSampleRate, 1, 7350).samples;
        QVERIFY(SetDiskAudioInput(path("input.raw"), m_input));
    }

    void init()
    {
        m_output->clear();
    }

    void openFailuresSayWhy_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("contents"); // null: no file
        QTest::addColumn<unsigned>("error");
        QTest::newRow("missing") << "missing.wav" << QByteArray() << unsigned(WaveDevice::ErrorFileNotFound);
        QTest::newRow("text") << "text.wav" << QByteArray("hello\n") << unsigned(WaveDevice::ErrorNotAWave);
        QTest::newRow("empty file") << "zero.wav" << QByteArray("") << unsigned(WaveDevice::ErrorNotAWave);
        QTest::newRow("folder") << "." << QByteArray() << unsigned(WaveDevice::ErrorCannotReadFile);
    }

    void openFailuresSayWhy()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, contents);
        QFETCH(unsigned, error);
        const QString file = m_dir.filePath(name);
        if (!contents.isNull()) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(contents);
        }
        WaveDevice device;
        WaveDevice::DeviceId id = 77;
        QCOMPARE(device.open(file, &id), error);
        QCOMPARE(id, 77u); // left as it was
        QVERIFY(!WaveDevice::ErrorText(error).isEmpty());
        quint32 value = 0;
        QCOMPARE(device.status(0, WaveDevice::StatusLength, &value), unsigned(WaveDevice::ErrorNotOpen));
        // A file that is there stays as it was.
        if (!contents.isNull()) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), contents);
        }
    }

    void commandsToAClosedWaveFail()
    {
        WaveDevice device;
        WaveDevice::DeviceId id = 0;
        QCOMPARE(device.open(QString(), &id), unsigned(WaveDevice::NoError));
        QVERIFY(id != 0);
        QCOMPARE(device.close(id), unsigned(WaveDevice::NoError));
        Listener listener;
        const unsigned notOpen = WaveDevice::ErrorNotOpen;
        QCOMPARE(device.play(id, 0, &listener), notOpen);
        QCOMPARE(device.record(id, &listener), notOpen);
        QCOMPARE(device.deleteFrom(id, 0), notOpen);
        QCOMPARE(device.stop(id), notOpen);
        QCOMPARE(device.save(id, path("never.wav")), notOpen);
        QCOMPARE(device.setTimeFormat(id, WaveDevice::TimeFormatMilliseconds), notOpen);
        QCOMPARE(device.close(id), notOpen);
        QVERIFY(!QFile::exists(path("never.wav")));
        QCOMPARE(WaveDevice::ErrorText(notOpen).isEmpty(), false);
        QVERIFY(WaveDevice::ErrorText(12345).contains("12345"));
    }

    void recordsTheInputUntilStopped()
    {
        WaveDevice device;
        WaveDevice::DeviceId id = 0;
        QCOMPARE(device.open(QString(), &id), unsigned(WaveDevice::NoError));
        QCOMPARE(status(device, id, WaveDevice::StatusLength), 0u);
        Listener listener;
        QCOMPARE(device.record(id, &listener), unsigned(WaveDevice::NoError));
        // Length and position follow the growing take.
        QTRY_VERIFY_WITH_TIMEOUT(status(device, id, WaveDevice::StatusLength) >= 500, 10000);
        QVERIFY(status(device, id, WaveDevice::StatusPosition) >= 500);
        QCOMPARE(device.stop(id), unsigned(WaveDevice::NoError));
        QTRY_COMPARE(listener.notes.size(), 1);
        QCOMPARE(listener.notes.first(), std::make_pair(unsigned(WaveDevice::NotifyAborted), id));

        const quint32 length = status(device, id, WaveDevice::StatusLength);
        QCOMPARE(device.save(id, path("take.wav")), unsigned(WaveDevice::NoError));
        const std::optional<WaveData> take = WaveFile::Read(path("take.wav"));
        QVERIFY(take);
        QCOMPARE(take->sampleRate, 22050);
        QCOMPARE(take->channels, 1);
        QCOMPARE(take->format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        QCOMPARE(quint32(take->duration().count()), length);
        // The input, then the silence the driver gives when it runs out.
        QVERIFY(take->samples.size() > m_input.size());
        QVERIFY(head(take->samples, m_input.size()) == m_input);
        QVERIFY(DiskAudioCapture::withoutSilence(take->samples) == m_input);
    }

    void aTakeGoesWhereThePositionIs()
    {
        // Emptied first, as the editor does, the take is all there is.
        const QString file = path("old.wav");
        WaveData old = AudibleWave(22050, 1, 22050);
        for (float &s : old.samples)
            s /= 2;
        QVERIFY(WaveFile::Write(file, old));
        WaveDevice device;
        WaveDevice::DeviceId id = 0;
        QCOMPARE(device.open(file, &id), unsigned(WaveDevice::NoError));
        QCOMPARE(status(device, id, WaveDevice::StatusLength), 1000u);
        QCOMPARE(device.deleteFrom(id, 0), unsigned(WaveDevice::NoError));
        QCOMPARE(status(device, id, WaveDevice::StatusLength), 0u);
        QCOMPARE(device.record(id, nullptr), unsigned(WaveDevice::NoError));
        QTRY_VERIFY_WITH_TIMEOUT(status(device, id, WaveDevice::StatusLength) >= 400, 10000);
        QCOMPARE(device.stop(id), unsigned(WaveDevice::NoError));
        QCOMPARE(device.save(id, file), unsigned(WaveDevice::NoError));
        const std::optional<WaveData> saved = WaveFile::Read(file);
        QVERIFY(saved);
        QVERIFY(DiskAudioCapture::withoutSilence(saved->samples) == m_input);
    }

    void playsToTheEndAndSaysSoOnce()
    {
        const QString file = path("play.wav");
        const WaveData wave = AudibleWave(22050, 1, 22050 / 2);
        QVERIFY(WaveFile::Write(file, wave));
        WaveDevice device;
        WaveDevice::DeviceId id = 0;
        QCOMPARE(device.open(file, &id), unsigned(WaveDevice::NoError));
        Listener listener;
        QCOMPARE(device.play(id, 0, &listener), unsigned(WaveDevice::NoError));
        QTRY_COMPARE_WITH_TIMEOUT(listener.notes.size(), 1, 10000);
        QCOMPARE(listener.notes.first(), std::make_pair(unsigned(WaveDevice::NotifySuccessful), id));
        QCOMPARE(status(device, id, WaveDevice::StatusPosition), 500u);
        QTRY_COMPARE(m_output->sounding().size(), wave.samples.size());
        QVERIFY(m_output->sounding() == wave.samples);
        // Nothing more comes, not even for a stop after the end.
        QCOMPARE(device.stop(id), unsigned(WaveDevice::NoError));
        QTest::qWait(50);
        QCOMPARE(listener.notes.size(), 1);
    }

    void endsThatAreNotTheEnd_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<unsigned>("code");
        QTest::newRow("stop") << "stop" << unsigned(WaveDevice::NotifyAborted);
        QTest::newRow("close") << "close" << unsigned(WaveDevice::NotifyAborted);
        QTest::newRow("another play") << "play" << unsigned(WaveDevice::NotifySuperseded);
        QTest::newRow("a record") << "record" << unsigned(WaveDevice::NotifySuperseded);
    }

    void endsThatAreNotTheEnd()
    {
        QFETCH(QString, how);
        QFETCH(unsigned, code);
        const QString file = path("long.wav");
        QVERIFY(WaveFile::Write(file, AudibleWave(22050, 1, 22050 * 5)));
        WaveDevice device;
        WaveDevice::DeviceId id = 0;
        QCOMPARE(device.open(file, &id), unsigned(WaveDevice::NoError));
        Listener first;
        QCOMPARE(device.play(id, 0, &first), unsigned(WaveDevice::NoError));
        QTRY_VERIFY(status(device, id, WaveDevice::StatusPosition) > 0);
        Listener second;
        if (how == "stop")
            QCOMPARE(device.stop(id), unsigned(WaveDevice::NoError));
        else if (how == "close")
            QCOMPARE(device.close(id), unsigned(WaveDevice::NoError));
        else if (how == "play")
            QCOMPARE(device.play(id, 0, &second), unsigned(WaveDevice::NoError));
        else
            QCOMPARE(device.record(id, &second), unsigned(WaveDevice::NoError));
        QTRY_COMPARE(first.notes.size(), 1);
        QCOMPARE(first.notes.first(), std::make_pair(code, id));
        if (how == "stop") {
            // Stopped where it was, well short of the end.
            const quint32 at = status(device, id, WaveDevice::StatusPosition);
            QVERIFY2(at > 0 && at < 5000, qPrintable(QString::number(at)));
        }
        QTest::qWait(50);
        QCOMPARE(first.notes.size(), 1);
        QVERIFY(second.notes.isEmpty());
    }

    void closingDropsARunningTake()
    {
        const QString file = path("keep.wav");
        QVERIFY(WaveFile::Write(file, AudibleWave(22050, 1, 2205)));
        WaveDevice device;
        WaveDevice::DeviceId id = 0;
        QCOMPARE(device.open(file, &id), unsigned(WaveDevice::NoError));
        QCOMPARE(device.record(id, nullptr), unsigned(WaveDevice::NoError));
        QTRY_VERIFY(status(device, id, WaveDevice::StatusLength) > 200);
        QCOMPARE(device.close(id), unsigned(WaveDevice::NoError));
        WaveDevice::DeviceId again = 0;
        QCOMPARE(device.open(file, &again), unsigned(WaveDevice::NoError));
        QVERIFY(again != id);
        QCOMPARE(status(device, again, WaveDevice::StatusLength), 100u);
    }

    void savingAnUnchangedWaveLeavesItsFileAlone()
    {
        // 32-bit samples that floats cannot hold exactly: a rewrite from
        // memory would change them.
        const QString file = path("fine.wav");
        QVERIFY(WaveFile::Write(file, AudibleWave(22050, 1, 2205, SF_FORMAT_WAV | SF_FORMAT_PCM_32)));
        QFile raw(file);
        QVERIFY(raw.open(QIODevice::ReadWrite));
        QByteArray bytes = raw.readAll();
        bytes[bytes.size() - 1] = 0x11; // the lowest bits of the last sample
        QVERIFY(raw.seek(0) && raw.write(bytes) == bytes.size());
        raw.close();

        WaveDevice device;
        WaveDevice::DeviceId id = 0;
        QCOMPARE(device.open(file, &id), unsigned(WaveDevice::NoError));
        QCOMPARE(device.save(id, file), unsigned(WaveDevice::NoError));
        QVERIFY(raw.open(QIODevice::ReadOnly));
        QCOMPARE(raw.readAll(), bytes);
        raw.close();

        // A file that is gone is written anew, and so is one the wave left.
        QVERIFY(QFile::remove(file));
        QCOMPARE(device.save(id, file), unsigned(WaveDevice::NoError));
        std::optional<WaveData> back = WaveFile::Read(file);
        QVERIFY(back);
        QCOMPARE(back->format, SF_FORMAT_WAV | SF_FORMAT_PCM_32);
        QCOMPARE(back->frames(), 2205);
        QCOMPARE(device.deleteFrom(id, 50), unsigned(WaveDevice::NoError));
        QCOMPARE(device.save(id, file), unsigned(WaveDevice::NoError));
        back = WaveFile::Read(file);
        QVERIFY(back);
        QCOMPARE(back->frames(), qint64(22050 / 20));
    }

    void aSaveThatFailsSaysSo()
    {
        WaveDevice device;
        WaveDevice::DeviceId id = 0;
        QCOMPARE(device.open(QString(), &id), unsigned(WaveDevice::NoError));
        QCOMPARE(device.save(id, path("no/such/folder.wav")), unsigned(WaveDevice::ErrorCannotSave));
        QCOMPARE(device.save(id, QString()), unsigned(WaveDevice::ErrorCannotSave));
    }
};

PARLOWEN_TEST_MAIN(TestWaveDevice)
#include "tst_wavedevice.moc"
