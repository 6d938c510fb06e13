// Runs the real program as a user would: the offscreen platform, SDL's disk
// driver for a sound card, a configuration folder of its own whose KQ.ini
// names a small schedule. Its toolbar is clicked from outside through a
// small agent loaded into it, and what it played is read back from the
// samples the disk driver wrote. Then it is ended from outside, as the
// session's end, `kill` or Ctrl+C end it, with changes not saved.

#include "agentrun.h"
#include "commandids.h"
#include "diskaudiocapture.h"
#include "testmain.h"
#include "testwaves.h"
#include "wavefile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>

#include <csignal>
#include <signal.h>

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One start of the program with the agent, on the given settings and data
// folders; ends it with the close box when still running at the end.
struct Start
{
    QProcess program;

    Start(const QString &configHome, const QString &dataHome)
    {
        QProcessEnvironment env = AgentEnvironment(QStringLiteral(USER_AGENT_LIBRARY));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
        env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // A signal ignored by whatever started the test (nohup, a shell's
        // background job) would stay ignored in the program.
        program.setChildProcessModifier([] {
            struct sigaction byDefault = {};
            byDefault.sa_handler = SIG_DFL;
            for (const int signalNumber : {SIGTERM, SIGHUP, SIGINT})
                ::sigaction(signalNumber, &byDefault, nullptr);
        });
        program.start(QStringLiteral(PARLOWEN_PROGRAM), {});
    }

    ~Start()
    {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(5000);
        }
    }

    bool send(const QByteArray &command, const QByteArray &answer, QList<QByteArray> *boxes = nullptr)
    {
        program.write(command + '\n');
        return WaitForLine(program, answer, 10000, nullptr, boxes);
    }

    // Closes the window with its close box (nothing is unsaved) and waits
    // for the program's end.
    bool close()
    {
        return send("close", "done close") && program.waitForFinished(10000)
               && program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0;
    }
};

} // namespace

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

    void endedFromOutsideTheChangesAreKept_data()
    {
        QTest::addColumn<QList<int>>("signalsSent");
        QTest::addColumn<bool>("editorOpen");
        QTest::newRow("SIGTERM") << QList<int>{SIGTERM} << false;
        // Ctrl+C pressed, and the session's end on its heels.
        QTest::newRow("SIGINT, then SIGTERM on its heels") << QList<int>{SIGINT, SIGTERM} << false;
        // The event being edited is not in the schedule yet; the dialog
        // does not hold the end back.
        QTest::newRow("SIGHUP with the editor open") << QList<int>{SIGHUP} << true;
    }

    void endedFromOutsideTheChangesAreKept()
    {
        QFETCH(QList<int>, signalsSent);
        QFETCH(bool, editorOpen);
        QTemporaryDir work;
        QVERIFY(work.isValid());
        const QString configHome = work.filePath(QStringLiteral("config"));
        const QString dataHome = work.filePath(QStringLiteral("data"));
        const QString schedulePath = work.filePath(QStringLiteral("mine.sked"));
        const QByteArray saved = "KQ10000\tLater\t0\tchime.wav\t00:10:00\t01:00:00\t2*\t00:00:01\r\n";
        {
            QFile schedule(schedulePath);
            QVERIFY(schedule.open(QIODevice::WriteOnly));
            schedule.write(saved);
            QSettings ini(configHome + QStringLiteral("/parlowen/KQ.ini"), QSettings::IniFormat);
            ini.setValue(QStringLiteral("FILE/LAST"), schedulePath);
        }

        {
            Start run(configHome, dataHome);
            QList<QByteArray> boxes;
            QVERIFY2(WaitForLine(run.program, "ready", 20000, nullptr, &boxes), "no main window");
            // An event added with the editor as it comes, and not saved.
            const QByteArray add = "click " + QByteArray::number(CommandId::EventAdd);
            run.program.write(add + '\n');
            QVERIFY(WaitForLine(run.program, "dialog Add Event", 10000));
            QVERIFY(run.send("press buttonOk", "done " + add));
            // The schedule runs, as it does all day.
            QVERIFY(run.send("click " + QByteArray::number(CommandId::ScheduleStart), "done click"));
            if (editorOpen) {
                run.program.write(add + '\n');
                QVERIFY(WaitForLine(run.program, "dialog Add Event", 10000));
            }
            QTest::qWait(300);

            QElapsedTimer ending;
            ending.start();
            for (const int signalNumber : signalsSent)
                QCOMPARE(::kill(pid_t(run.program.processId()), signalNumber), 0);
            QVERIFY(run.program.waitForFinished(5000));
            const qint64 endedMs = ending.elapsed();
            qInfo("ended %lld ms after the signal", endedMs);
            QCOMPARE(run.program.exitStatus(), QProcess::NormalExit);
            QCOMPARE(run.program.exitCode(), 0);
            QVERIFY2(endedMs < 1000, qPrintable(QStringLiteral("ended after %1 ms").arg(endedMs)));
            QCOMPARE(boxes, QList<QByteArray>());
        }

        // The user's file is as the user last saved it; the window reopens
        // it; the changes are in a file of their own.
        QCOMPARE(ReadAll(schedulePath), saved);
        {
            const QSettings ini(configHome + QStringLiteral("/parlowen/KQ.ini"), QSettings::IniFormat);
            QCOMPARE(ini.value(QStringLiteral("FILE/LAST")).toString(), schedulePath);
        }
        const QDir recovered(dataHome + QStringLiteral("/parlowen/recovered"));
        const QStringList kept = recovered.entryList({QStringLiteral("*.sked")}, QDir::Files);
        QCOMPARE(kept.size(), 1);
        QVERIFY2(kept.at(0).startsWith(QStringLiteral("mine-")), qPrintable(kept.at(0)));
        const QList<QByteArray> records = ReadAll(recovered.filePath(kept.at(0))).split('\n');
        QCOMPARE(records.size(), 3); // two events and the end after the last line
        QVERIFY2(records.at(0).startsWith("KQ10000\tLater\t0\t"), records.at(0).constData());
        QVERIFY2(records.at(1).startsWith("KQ10000\tNo_Name\t0\t"), records.at(1).constData());

        // The next start tells where they are, once.
        {
            Start next(configHome, dataHome);
            QByteArray told;
            QVERIFY2(WaitForLine(next.program, "box ", 20000, &told), "nothing told");
            QVERIFY2(told.contains(recovered.filePath(kept.at(0)).toUtf8()), told.constData());
            QVERIFY(next.send("answer Ok", "done answer"));
            QVERIFY(next.close());
        }
        {
            Start later(configHome, dataHome);
            QList<QByteArray> boxes;
            QVERIFY(WaitForLine(later.program, "ready", 20000, nullptr, &boxes));
            // A box still up would hold the end back.
            QVERIFY(later.close());
            QCOMPARE(boxes, QList<QByteArray>());
        }
    }
};

PARLOWEN_TEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
