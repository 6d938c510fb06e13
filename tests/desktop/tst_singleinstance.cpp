// Two and more real runs of the program in one session (one temporary
// XDG_RUNTIME_DIR): a later start hands its request to the running one and
// ends. The running program is driven and asked through the small agent
// loaded into it (tests/e2e/useragent.cpp) and ended through its close box.

#include "commandids.h"
#include "testmain.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>

#include <memory>

namespace {

// One session's folders: settings, data and the runtime directory that
// holds the socket.
struct Session
{
    QTemporaryDir root;
    QString config() const { return root.filePath(QStringLiteral("config")); }
    QString runtime() const { return root.filePath(QStringLiteral("runtime")); }

    bool prepare()
    {
        // The runtime directory is the user's alone, as the login gives it.
        return root.isValid() && QDir(root.path()).mkpath(QStringLiteral("runtime"))
               && QFile::setPermissions(runtime(), QFile::ReadOwner | QFile::WriteOwner
                                                       | QFile::ExeOwner);
    }

    QString writeSchedule(const QString &relativePath) const
    {
        const QString path = root.filePath(relativePath);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return {};
        // Not due for ten minutes: nothing plays while the test runs.
        file.write("KQ10000\tLater\t0\tchime.wav\t00:10:00\t01:00:00\t2*\t00:00:01\r\n");
        return path;
    }

    void rememberSchedule(const QString &path) const
    {
        QSettings ini(config() + QStringLiteral("/parlowen/KQ.ini"), QSettings::IniFormat);
        ini.setValue(QStringLiteral("FILE/LAST"), path);
    }

    QString rememberedSchedule() const
    {
        const QSettings ini(config() + QStringLiteral("/parlowen/KQ.ini"), QSettings::IniFormat);
        return ini.value(QStringLiteral("FILE/LAST")).toString();
    }
};

// One run of the program, killed if the test ends before it does.
class Run
{
public:
    Run(const Session &session, bool withAgent)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), session.config());
        env.insert(QStringLiteral("XDG_DATA_HOME"), session.root.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), session.runtime());
        if (withAgent) {
            env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(USER_AGENT_LIBRARY));
            env.insert(QStringLiteral("ASAN_OPTIONS"),
                       env.value(QStringLiteral("ASAN_OPTIONS"))
                           + QStringLiteral(":verify_asan_link_order=0"));
        }
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }

    ~Run()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    bool start(const QStringList &arguments, const QString &workingDirectory = {})
    {
        if (!workingDirectory.isEmpty())
            m_process.setWorkingDirectory(workingDirectory);
        m_process.start(QStringLiteral(PARLOWEN_PROGRAM), arguments);
        return m_process.waitForStarted(10000);
    }

    // Waits for a line of the agent that starts with `prefix` and returns
    // it; empty when none came.
    QByteArray waitForLine(const QByteArray &prefix, int timeoutMs = 20000)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeoutMs) {
            while (m_process.canReadLine()) {
                const QByteArray line = m_process.readLine().trimmed();
                if (line.startsWith(prefix))
                    return line;
                if (line.startsWith("error"))
                    qWarning("agent: %s", line.constData());
            }
            if (m_process.state() == QProcess::NotRunning)
                return {};
            m_process.waitForReadyRead(100);
        }
        return {};
    }

    QByteArray ask(const QByteArray &command, const QByteArray &answerPrefix)
    {
        m_process.write(command + '\n');
        return waitForLine(answerPrefix, 5000);
    }

    QString title() { return QString::fromUtf8(ask("title", "title ").mid(6)); }

    bool isStartEnabled()
    {
        const QByteArray id = QByteArray::number(CommandId::ScheduleStart);
        return ask("enabled " + id, "enabled " + id).endsWith(" 1");
    }

    // Ends the program through its close box, as a user would.
    bool close()
    {
        return !ask("close", "done close").isEmpty() && m_process.waitForFinished(10000)
               && m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }

    QProcess &process() { return m_process; }

private:
    QProcess m_process;
};

const QString TitlePrefix = QStringLiteral("Quenta Parlowen (");

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void secondStartHandsOverItsFileAndEnds()
    {
        Session session;
        QVERIFY(session.prepare());
        const QString first = session.writeSchedule(QStringLiteral("first.sked"));
        session.rememberSchedule(first);

        Run running(session, true);
        QVERIFY(running.start({}));
        QVERIFY2(!running.waitForLine("ready").isEmpty(), "the main window did not show");
        QCOMPARE(running.title(), TitlePrefix + first + u')');
        QVERIFY(running.isStartEnabled());

        // Started from another folder, with a name relative to it.
        const QString handed = session.writeSchedule(QStringLiteral("elsewhere/handed.sked"));
        Run second(session, false);
        QElapsedTimer elapsed;
        elapsed.start();
        QVERIFY(second.start({QStringLiteral("--start"), QStringLiteral("handed.sked")},
                             session.root.filePath(QStringLiteral("elsewhere"))));
        QVERIFY(second.process().waitForFinished(10000));
        qInfo("the second start ended after %lld ms", qint64(elapsed.elapsed()));
        QCOMPARE(second.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.process().exitCode(), 0);

        // The running program opened the file and started the schedule.
        QTRY_COMPARE_WITH_TIMEOUT(running.title(), TitlePrefix + handed + u')', 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!running.isStartEnabled(), 5000);

        // A start with nothing to hand over only brings the window up.
        Run third(session, false);
        QVERIFY(third.start({}));
        QVERIFY(third.process().waitForFinished(10000));
        QCOMPARE(third.process().exitCode(), 0);
        QCOMPARE(running.title(), TitlePrefix + handed + u')');

        QVERIFY(running.close());
        QCOMPARE(session.rememberedSchedule(), handed);
    }

    void socketOfACrashedRunIsTakenOver()
    {
        Session session;
        QVERIFY(session.prepare());
        session.rememberSchedule(session.writeSchedule(QStringLiteral("first.sked")));
        const QString socket = session.runtime() + QStringLiteral("/parlowen.socket");

        {
            Run crashing(session, true);
            QVERIFY(crashing.start({}));
            QVERIFY(!crashing.waitForLine("ready").isEmpty());
            crashing.process().kill();
            QVERIFY(crashing.process().waitForFinished(5000));
        }
        QVERIFY2(QFileInfo::exists(socket), "the crashed run left no socket behind");

        Run running(session, true);
        QVERIFY(running.start({}));
        QVERIFY2(!running.waitForLine("ready").isEmpty(), "the stale socket kept the program away");

        // ...and the new run is the one later starts find.
        const QString handed = session.writeSchedule(QStringLiteral("handed.sked"));
        Run second(session, false);
        QVERIFY(second.start({handed}));
        QVERIFY(second.process().waitForFinished(10000));
        QCOMPARE(second.process().exitCode(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(running.title(), TitlePrefix + handed + u')', 5000);
        QVERIFY(running.isStartEnabled());
        QVERIFY(running.close());
    }

    void twoStartsAtOnceLeaveOneRunning()
    {
        Session session;
        QVERIFY(session.prepare());
        session.rememberSchedule(session.writeSchedule(QStringLiteral("first.sked")));

        std::unique_ptr<Run> runs[] = {std::make_unique<Run>(session, true),
                                       std::make_unique<Run>(session, true)};
        for (auto &run : runs)
            QVERIFY(run->start({}));

        // One hands over to the other and ends; the other stays.
        QTRY_VERIFY_WITH_TIMEOUT(runs[0]->process().state() == QProcess::NotRunning
                                     || runs[1]->process().state() == QProcess::NotRunning,
                                 20000);
        Run &ended = runs[0]->process().state() == QProcess::NotRunning ? *runs[0] : *runs[1];
        Run &staying = &ended == runs[0].get() ? *runs[1] : *runs[0];
        QCOMPARE(ended.process().exitCode(), 0);
        QVERIFY(!staying.waitForLine("ready").isEmpty());
        QTest::qWait(300);
        QCOMPARE(staying.process().state(), QProcess::Running);
        QVERIFY(staying.close());
    }
};

PARLOWEN_TEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
