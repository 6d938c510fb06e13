// The installed program as a new user meets it: installed into a prefix that
// is read-only to the program, started with a home of its own, and worked
// through its real widgets by the agent loaded into it. It must open the
// sample without a warning, save it, and after New, closing and a new start
// show no warning either; and nothing in the prefix may change.
//
// How the prefix is kept read-only: its files lose their write permissions.
// That stops a normal user, but not root, so under root the program runs in
// a mount namespace of its own where the prefix is mounted read-only, when
// the system allows it (unshare). In every case the prefix's listing with
// the checksum of every file is compared before and after.

#include "agentrun.h"
#include "commandids.h"
#include "testmain.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <unistd.h>

namespace {

// Every entry under `root`: its path, kind, permissions and, for a file,
// its size and checksum; for a link, where it leads.
QStringList Listing(const QString &root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        QString entry = QDir(root).relativeFilePath(info.filePath()) + u' '
                        + QString::number(int(info.permissions()), 16);
        if (info.isSymLink()) {
            entry += QStringLiteral(" link ") + info.symLinkTarget();
        } else if (info.isDir()) {
            entry += QStringLiteral(" folder");
        } else {
            QFile file(info.filePath());
            QCryptographicHash hash(QCryptographicHash::Sha256);
            if (file.open(QIODevice::ReadOnly))
                hash.addData(&file);
            entry += QStringLiteral(" %1 %2").arg(info.size()).arg(QString::fromLatin1(hash.result().toHex()));
        }
        entries << entry;
    }
    entries.sort();
    return entries;
}

int Run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}

// A home of its own: configuration, data, cache and the session's runtime
// folder, all empty.
struct FreshHome
{
    QTemporaryDir dir;
    QString path(const QString &name) const { return dir.filePath(name); }

    QProcessEnvironment apply(QProcessEnvironment env) const
    {
        env.insert(QStringLiteral("HOME"), dir.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), path(QStringLiteral("cache")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path(QStringLiteral("run")));
        return env;
    }

    bool make() const
    {
        return dir.isValid() && QDir().mkpath(path(QStringLiteral("run")))
               && QFile::setPermissions(path(QStringLiteral("run")),
                                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
};

} // namespace

class TestInstalled : public QObject
{
    Q_OBJECT

    enum class Guard { Permissions, ReadOnlyMount, ListingOnly };

    QTemporaryDir m_root;
    QString m_prefix;
    QStringList m_before;
    Guard m_guard = Guard::ListingOnly;

    // Starts the installed program as the user would, by the link in bin/.
    bool start(QProcess &program, const FreshHome &home)
    {
        QProcessEnvironment env = home.apply(AgentEnvironment(QStringLiteral(USER_AGENT_LIBRARY)));
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
        const QString installed = m_prefix + QStringLiteral("/bin/parlowen");
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        if (m_guard == Guard::ReadOnlyMount) {
            // The agent goes into the program only, not into the tools that
            // mount the prefix read-only first.
            env.insert(QStringLiteral("PARLOWEN_AGENT"), env.value(QStringLiteral("LD_PRELOAD")));
            env.remove(QStringLiteral("LD_PRELOAD"));
            program.setProcessEnvironment(env);
            program.start(QStringLiteral("unshare"),
                          {QStringLiteral("--mount"), QStringLiteral("sh"), QStringLiteral("-c"),
                           QStringLiteral("mount --bind \"$1\" \"$1\" && mount -o remount,bind,ro \"$1\" "
                                          "&& LD_PRELOAD=\"$PARLOWEN_AGENT\" exec \"$2\""),
                           QStringLiteral("sh"), m_prefix, installed});
        } else {
            program.setProcessEnvironment(env);
            program.start(installed, {});
        }
        return program.waitForStarted(10000);
    }

    static QString title(QProcess &program)
    {
        program.write("title\n");
        QByteArray line;
        return WaitForLine(program, "title ", 5000, &line) ? QString::fromUtf8(line.mid(6)) : QString();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        m_prefix = m_root.filePath(QStringLiteral("prefix"));
        QCOMPARE(Run(QStringLiteral(CMAKE_COMMAND),
                     {QStringLiteral("--install"), QStringLiteral(BUILD_DIR), QStringLiteral("--prefix"), m_prefix}),
                 0);
        QVERIFY(QFileInfo::exists(m_prefix + QStringLiteral("/lib/parlowen/default.sked")));
        QCOMPARE(Run(QStringLiteral("chmod"), {QStringLiteral("-R"), QStringLiteral("a-w"), m_prefix}), 0);
        m_before = Listing(m_prefix);

        if (::geteuid() != 0) {
            m_guard = Guard::Permissions;
        } else if (Run(QStringLiteral("unshare"),
                       {QStringLiteral("--mount"), QStringLiteral("sh"), QStringLiteral("-c"),
                        QStringLiteral("mount --bind \"$0\" \"$0\" && mount -o remount,bind,ro \"$0\" "
                                       "&& ! touch \"$0/probe\" 2>/dev/null"),
                        m_prefix})
                   == 0) {
            m_guard = Guard::ReadOnlyMount;
        } else {
            m_guard = Guard::ListingOnly;
        }
        static const char *const how[] = {"its permissions", "a read-only mount",
                                          "nothing (root without mount namespaces): only the listing"};
        qInfo("the prefix is kept read-only by %s", how[int(m_guard)]);
    }

    void cleanupTestCase()
    {
        // So the scratch folder can be removed.
        Run(QStringLiteral("chmod"), {QStringLiteral("-R"), QStringLiteral("u+w"), m_prefix});
    }

    void newUserOpensSavesAndRestartsWithoutAWarning()
    {
        FreshHome home;
        QVERIFY(home.make());
        const QString userFolder = home.path(QStringLiteral("data/parlowen/"));
        QList<QByteArray> boxes;

        // First start: the sample, copied for the user, opens without a word.
        {
            QProcess program;
            QVERIFY(start(program, home));
            QVERIFY2(WaitForLine(program, "ready", 20000, nullptr, &boxes), "the main window did not show");
            QCOMPARE(boxes, QList<QByteArray>());
            QCOMPARE(title(program), QStringLiteral("Quenta Parlowen (%1default.sked)").arg(userFolder));
            for (const char *name : {"default.sked", "Default.wav", "samples/water.wav", "samples/stretch.wav"})
                QVERIFY2(QFileInfo(userFolder + QLatin1String(name)).isFile(), name);

            // Save writes the user's copy; its sounds are the user's copies.
            program.write("click " + QByteArray::number(CommandId::FileSave) + '\n');
            QVERIFY(WaitForLine(program, "done click", 5000, nullptr, &boxes));
            QFile saved(userFolder + QStringLiteral("default.sked"));
            QVERIFY(saved.open(QIODevice::ReadOnly));
            const QByteArray schedule = saved.readAll();
            QCOMPARE(schedule.count("KQ10000\t"), 2);
            QCOMPARE(schedule.count("\t" + userFolder.toUtf8() + "samples/"), 2);

            // New, then closing: the unnamed schedule is not saved.
            program.write("click " + QByteArray::number(CommandId::FileNew) + '\n');
            QVERIFY(WaitForLine(program, "done click", 5000, nullptr, &boxes));
            QCOMPARE(title(program), QStringLiteral("Quenta Parlowen (%1NoName.sked)").arg(userFolder));
            QCOMPARE(boxes, QList<QByteArray>());
            program.write("close\n");
            QByteArray question;
            QVERIFY(WaitForLine(program, "box ", 5000, &question));
            QCOMPARE(question, QByteArray("box Warning\tThis document has been modified\\n\\n\\rDo you want to save"));
            program.write("answer No\n");
            QVERIFY(program.waitForFinished(10000));
            QCOMPARE(program.exitStatus(), QProcess::NormalExit);
            QCOMPARE(program.exitCode(), 0);
        }
        const QSettings ini(home.path(QStringLiteral("config/parlowen/KQ.ini")), QSettings::IniFormat);
        QCOMPARE(ini.value(QStringLiteral("FILE/LAST")).toString(), userFolder + QStringLiteral("NoName.sked"));

        // The next start opens the unnamed schedule, still without a word.
        {
            QProcess program;
            QVERIFY(start(program, home));
            QVERIFY2(WaitForLine(program, "ready", 20000, nullptr, &boxes), "the main window did not show");
            QCOMPARE(boxes, QList<QByteArray>());
            QCOMPARE(title(program), QStringLiteral("Quenta Parlowen (%1NoName.sked)").arg(userFolder));
            program.write("close\n");
            QVERIFY(program.waitForFinished(10000));
            QCOMPARE(program.exitCode(), 0);
            QCOMPARE(program.readAll().count("box "), 0);
        }

        QCOMPARE(Listing(m_prefix), m_before);
    }
};

PARLOWEN_TEST_MAIN(TestInstalled)
#include "tst_installed.moc"
