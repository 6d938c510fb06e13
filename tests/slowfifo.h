#pragma once

// A named pipe that a thread feeds with the bytes of a file, as a slow disk
// or network share would deliver them: the first part at once, the rest a
// little at a time. It stands for a sound file that a player has to wait for.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

class SlowFifo
{
public:
    // `atOnce` bytes go as soon as a reader has opened the pipe; then
    // `perStep` bytes every `step`. A zero `perStep` sends nothing more
    // and keeps the pipe open, as a source that stalls.
    SlowFifo(QByteArray contents, qint64 atOnce, qint64 perStep, std::chrono::milliseconds step)
        : m_contents(std::move(contents))
        , m_atOnce(atOnce)
        , m_perStep(perStep)
        , m_step(step)
    {
        m_path = QDir(m_dir.path()).filePath(QStringLiteral("slow.wav"));
        if (!m_dir.isValid() || ::mkfifo(QFile::encodeName(m_path).constData(), 0600) != 0)
            return;
        m_writer = std::thread([this] { feed(); });
    }

    ~SlowFifo()
    {
        m_stop = true;
        if (m_writer.joinable())
            m_writer.join();
    }

    bool isValid() const { return m_writer.joinable(); }
    QString path() const { return m_path; }
    // A reader has opened the pipe.
    bool isOpened() const { return m_opened; }
    qint64 bytesWritten() const { return m_written; }

private:
    void feed()
    {
        // A reader that gives up makes the next write fail with EPIPE; the
        // signal that comes with it is this thread's alone and stays blocked.
        sigset_t pipeSignal;
        sigemptyset(&pipeSignal);
        sigaddset(&pipeSignal, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);

        const QByteArray name = QFile::encodeName(m_path);
        int fd = -1;
        // Without a reader, opening for writing without blocking fails with
        // ENXIO: try again until one comes, or the test is over.
        while (!m_stop && (fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC)) < 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        if (fd < 0)
            return;
        m_opened = true;
        writeUpTo(fd, std::min<qint64>(m_atOnce, m_contents.size()));
        while (!m_stop && m_written < m_contents.size()) {
            std::this_thread::sleep_for(m_step);
            writeUpTo(fd, std::min<qint64>(m_written + m_perStep, m_contents.size()));
        }
        // A stalled source keeps its end open until the test is over.
        while (!m_stop && m_perStep == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ::close(fd);
    }

    void writeUpTo(int fd, qint64 end)
    {
        while (!m_stop && m_written < end) {
            const ssize_t n = ::write(fd, m_contents.constData() + m_written, std::size_t(end - m_written));
            if (n > 0) {
                m_written += n;
            } else if (n < 0 && errno == EAGAIN) {
                pollfd room{fd, POLLOUT, 0};
                ::poll(&room, 1, 20);
            } else if (n < 0 && errno != EINTR) {
                m_stop = true; // the reader has gone
            }
        }
    }

    QTemporaryDir m_dir;
    QString m_path;
    QByteArray m_contents;
    qint64 m_atOnce;
    qint64 m_perStep;
    std::chrono::milliseconds m_step;
    std::thread m_writer;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_opened{false};
    std::atomic<qint64> m_written{0};
};
