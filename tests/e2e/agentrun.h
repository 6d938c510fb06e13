#pragma once

// Talks to the real program through the agent loaded into it (useragent.cpp):
// commands go to its standard input, answers come from its standard output.

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>

// The environment for a run of the program with the agent loaded into it.
inline QProcessEnvironment AgentEnvironment(const QString &agent)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LD_PRELOAD"), agent);
    // A sanitized program wants its runtime first among the libraries;
    // the agent loaded ahead of it is not instrumented code of ours.
    env.insert(QStringLiteral("ASAN_OPTIONS"),
               env.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":verify_asan_link_order=0"));
    return env;
}

// Waits for the program to print a line that starts with `prefix`. Message
// boxes the program showed meanwhile are added to `boxes` (as the agent
// tells them, without "box "), when given.
inline bool WaitForLine(QProcess &program, const QByteArray &prefix, int timeoutMs,
                        QByteArray *line = nullptr, QList<QByteArray> *boxes = nullptr)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        while (program.canReadLine()) {
            const QByteArray read = program.readLine().trimmed();
            if (read.startsWith(prefix)) {
                if (line)
                    *line = read;
                return true;
            }
            if (read.startsWith("box ") && boxes)
                boxes->append(read.mid(4));
            if (read.startsWith("error"))
                qWarning("agent: %s", read.constData());
        }
        if (program.state() == QProcess::NotRunning)
            return false;
        program.waitForReadyRead(100);
    }
    return false;
}
