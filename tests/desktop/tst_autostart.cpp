// The entry that starts the program at login: where it goes, what it says,
// and that the desktop's own validator takes it, odd program paths too.

#include "autostart.h"
#include "testmain.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace {

// Runs desktop-file-validate on `path`; empty when it is content or not
// installed, else its complaint.
QString Validate(const QString &path)
{
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty()) {
        qInfo("desktop-file-validate is not installed: %s not validated", qPrintable(path));
        return {};
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(validator, {path});
    if (!process.waitForFinished(10000))
        return QStringLiteral("desktop-file-validate did not finish");
    const QString output = QString::fromUtf8(process.readAll());
    // Hints are advice; errors and warnings are faults.
    if (process.exitCode() != 0 || output.contains(QLatin1String("error:"))
        || output.contains(QLatin1String("warning:")))
        return output.isEmpty() ? QStringLiteral("exit code %1").arg(process.exitCode()) : output;
    return {};
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestAutostart : public QObject
{
    Q_OBJECT

private slots:
    void init() { QFile::remove(Autostart::EntryPath()); }

    void quotesExecArguments_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("quoted");
        QTest::newRow("plain path") << "/usr/bin/parlowen" << "/usr/bin/parlowen";
        QTest::newRow("bare name") << "parlowen" << "parlowen";
        QTest::newRow("space") << "/opt/my apps/parlowen" << "\"/opt/my apps/parlowen\"";
        QTest::newRow("dollar") << "/opt/a$b/parlowen" << "\"/opt/a\\\\$b/parlowen\"";
        QTest::newRow("backslash") << "/opt/a\\b" << "\"/opt/a\\\\\\\\b\"";
        QTest::newRow("double quote") << "/opt/a\"b" << "\"/opt/a\\\\\"b\"";
        QTest::newRow("single quote") << "/opt/it's" << "\"/opt/it's\"";
        QTest::newRow("percent") << "/opt/100%/parlowen" << "/opt/100%%/parlowen";
        QTest::newRow("tilde") << "~/parlowen" << "\"~/parlowen\"";
        QTest::newRow("non-ASCII") << "/opt/Prüfung/parlowen" << "/opt/Prüfung/parlowen";
    }

    void quotesExecArguments()
    {
        QFETCH(QString, argument);
        QFETCH(QString, quoted);
        QCOMPARE(Autostart::QuoteExecArgument(argument), quoted);
    }

    void entriesForOddPathsAreValid_data()
    {
        QTest::addColumn<QString>("program");
        QTest::newRow("bare name") << "parlowen";
        QTest::newRow("spaces and quotes") << "/home/u/My \"best\" apps/parlowen";
        QTest::newRow("shell characters") << "/home/u/a$b;c&d|e*f?g(h)`i`/parlowen";
        QTest::newRow("backslash and percent") << "/home/u/a\\b%c/parlowen";
    }

    void entriesForOddPathsAreValid()
    {
        QFETCH(QString, program);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("parlowen.desktop"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(Autostart::EntryText(program));
        file.close();
        const QString complaint = Validate(path);
        QVERIFY2(complaint.isEmpty(), qPrintable(complaint));
    }

    void writesAndRemovesTheEntry()
    {
        const QString path = Autostart::EntryPath();
        QCOMPARE(path, qEnvironmentVariable("XDG_CONFIG_HOME") + "/autostart/parlowen.desktop");
        QVERIFY(!Autostart::IsEnabled());

        QCOMPARE(Autostart::SetEnabled(true), QString());
        QVERIFY(Autostart::IsEnabled());
        const QByteArray text = ReadAll(path);
        // This test's own program, found by its full path.
        const QString program = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
        QVERIFY2(text.contains("\nExec=" + Autostart::QuoteExecArgument(program).toUtf8()
                               + " --start\n"),
                 text.constData());
        QVERIFY(text.startsWith("[Desktop Entry]\n"));
        const QString complaint = Validate(path);
        QVERIFY2(complaint.isEmpty(), qPrintable(complaint));

        QCOMPARE(Autostart::SetEnabled(false), QString());
        QVERIFY(!QFile::exists(path));
        QVERIFY(!Autostart::IsEnabled());
        // Removing what is not there is no fault.
        QCOMPARE(Autostart::SetEnabled(false), QString());
    }

    void anEntrySwitchedOffByTheDesktopDoesNotCount_data()
    {
        QTest::addColumn<QByteArray>("extra");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("as written") << QByteArray() << true;
        QTest::newRow("hidden") << QByteArray("Hidden=true\n") << false;
        QTest::newRow("switched off in GNOME") << QByteArray("X-GNOME-Autostart-enabled=false\n")
                                               << false;
        QTest::newRow("hidden in another group")
            << QByteArray("[Desktop Action x]\nHidden=true\n") << true;
    }

    void anEntrySwitchedOffByTheDesktopDoesNotCount()
    {
        QFETCH(QByteArray, extra);
        QFETCH(bool, enabled);
        QVERIFY(QDir().mkpath(QFileInfo(Autostart::EntryPath()).path()));
        QFile file(Autostart::EntryPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        QByteArray text = Autostart::EntryText(QStringLiteral("parlowen"));
        text.replace("X-GNOME-Autostart-enabled=true\n", "");
        file.write(text + extra);
        file.close();
        QCOMPARE(Autostart::IsEnabled(), enabled);
    }

    void theProgramIsStartedByNameWhenThePathFindsIt()
    {
        const QString self = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
        const QByteArray oldPath = qgetenv("PATH");
        QTemporaryDir bin;
        qputenv("PATH", "/nonexistent");
        QCOMPARE(Autostart::ProgramCommand(), self);

        // Installed, the search path finds a link to this very program.
        QVERIFY(QFile::link(self, bin.filePath(QFileInfo(self).fileName())));
        qputenv("PATH", bin.path().toLocal8Bit());
        QCOMPARE(Autostart::ProgramCommand(), QFileInfo(self).fileName());

        // A program of the same name that is another one does not do.
        QTemporaryDir other;
        QFile impostor(other.filePath(QFileInfo(self).fileName()));
        QVERIFY(impostor.open(QIODevice::WriteOnly));
        impostor.write("#!/bin/sh\n");
        impostor.close();
        impostor.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", other.path().toLocal8Bit());
        QCOMPARE(Autostart::ProgramCommand(), self);
        qputenv("PATH", oldPath);
    }

    void aFolderThatCannotBeWrittenIsReported()
    {
        const QString autostartDir = QFileInfo(Autostart::EntryPath()).path();
        QDir(autostartDir).removeRecursively();
        // A file where the folder should be.
        QFile blocker(autostartDir);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString problem = Autostart::SetEnabled(true);
        QFile::remove(autostartDir);
        QVERIFY2(problem.startsWith(
                     "The entry that starts Parlowen at login could not be written to "
                     + Autostart::EntryPath()),
                 qPrintable(problem));
        QVERIFY(!Autostart::IsEnabled());
    }
};

PARLOWEN_TEST_MAIN(TestAutostart)
#include "tst_autostart.moc"
