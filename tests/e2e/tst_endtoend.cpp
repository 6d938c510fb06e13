// Runs the real program as a user would: the offscreen platform, SDL's disk
// driver for a sound card, a configuration folder of its own whose KQ.ini
// names a small schedule. Its toolbar is clicked from outside through a
// small agent loaded into it, and what it played is read back from the
// samples the disk driver wrote.

#include "agentrun.h"
#include "commandids.h"
#include "diskaudiocapture.h"
#include "testmain.h"
#include "testwaves.h"
#include "wavefile.h"

#include <QFile>
#include <QProcess>
#include <QSettings>

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void playsTheDueEventAndRemembersTheSchedule()
    {
        DiskAudioCapture audio;
        QVERIFY(audio.isValid());
        QTemporaryDir work;
        QVERIFY(work.isValid());

        // 0.3 s of sound, to be played twice.
        const WaveData wave = AudibleWave(22050, 1, 6615);
        const QString wavePath = work.filePath(QStringLiteral("chime.wav"));
        QVERIFY(WaveFile::Write(wavePath, wave));

        // Due after its second tick, then not again for an hour.
        const QString schedulePath = work.filePath(QStringLiteral("e2e.sked"));
        QFile schedule(schedulePath);
        QVERIFY(schedule.open(QIODevice::WriteOnly));
        schedule.write("KQ10000\tSpeak twice\t0\t" + wavePath.toUtf8()
                       + "\t00:00:01\t01:00:00\t2*\t00:00:01\r\n");
        schedule.close();

        const QString configHome = work.filePath(QStringLiteral("config"));
        {
            QSettings ini(configHome + QStringLiteral("/parlowen/KQ.ini"), QSettings::IniFormat);
            ini.setValue(QStringLiteral("FILE/LAST"), schedulePath);
        }

        QProcess program;
        QProcessEnvironment env = AgentEnvironment(QStringLiteral(USER_AGENT_LIBRARY));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(PARLOWEN_PROGRAM), {});
        QVERIFY2(program.waitForStarted(10000), qPrintable(program.errorString()));
        QVERIFY2(WaitForLine(program, "ready", 20000), "the main window did not show");

        program.write(QByteArray("click ") + QByteArray::number(CommandId::ScheduleStart) + '\n');
        QVERIFY(WaitForLine(program, "done click", 5000));

        // Two ticks to count down, then two plays.
        const std::size_t expected = 2 * wave.samples.size();
        QTRY_VERIFY_WITH_TIMEOUT(audio.sounding().size() >= expected, 20000);
        QTest::qWait(500);
        const std::vector<float> heard = audio.sounding();
        QCOMPARE(heard.size(), expected);
        for (std::size_t i = 0; i < heard.size(); i += 997)
            QCOMPARE(heard[i], wave.samples[i % wave.samples.size()]);

        // Nothing was changed, so closing asks nothing, and the schedule is
        // remembered for the next start.
        {
            QSettings ini(configHome + QStringLiteral("/parlowen/KQ.ini"), QSettings::IniFormat);
            ini.setValue(QStringLiteral("FILE/LAST"), QString());
        }
        program.write("close\n");
        QVERIFY(WaitForLine(program, "done close", 5000));
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);

        const QSettings ini(configHome + QStringLiteral("/parlowen/KQ.ini"), QSettings::IniFormat);
        QCOMPARE(ini.value(QStringLiteral("FILE/LAST")).toString(), schedulePath);
    }
};

PARLOWEN_TEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
