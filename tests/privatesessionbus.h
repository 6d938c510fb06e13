#pragma once

// A session bus of the test's own: a dbus-daemon started for the suite, with
// no services that it could start on demand, so a call finds only what the
// test put there. CI has no session bus of its own at all.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

class PrivateSessionBus
{
public:
    ~PrivateSessionBus()
    {
        if (m_daemon.state() != QProcess::NotRunning) {
            m_daemon.terminate();
            if (!m_daemon.waitForFinished(3000)) {
                m_daemon.kill();
                m_daemon.waitForFinished(3000);
            }
        }
    }

    // Starts the daemon; empty on success, else why it did not start.
    QString start()
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            return QStringLiteral("dbus-daemon is not installed");
        if (!m_dir.isValid())
            return QStringLiteral("no temporary folder");
        const QString config = m_dir.filePath(QStringLiteral("session.conf"));
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return file.errorString();
        file.write(QStringLiteral(
                       "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                       "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                       "<busconfig>\n"
                       "  <type>session</type>\n"
                       "  <listen>unix:dir=%1</listen>\n"
                       "  <policy context=\"default\">\n"
                       "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                       "    <allow eavesdrop=\"true\"/>\n"
                       "    <allow own=\"*\"/>\n"
                       "  </policy>\n"
                       "</busconfig>\n")
                       .arg(m_dir.path())
                       .toUtf8());
        file.close();
        m_daemon.start(daemon, {QStringLiteral("--config-file=") + config,
                                QStringLiteral("--print-address"), QStringLiteral("--nofork")});
        if (!m_daemon.waitForStarted(5000))
            return m_daemon.errorString();
        while (!m_daemon.canReadLine())
            if (!m_daemon.waitForReadyRead(5000))
                return QStringLiteral("dbus-daemon printed no address: ")
                       + QString::fromLocal8Bit(m_daemon.readAllStandardError());
        m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
        return {};
    }

    QString address() const { return m_address; }

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
};
