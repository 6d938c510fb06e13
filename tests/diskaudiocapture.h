#pragma once

// Selects SDL's disk audio driver and keeps every sample it writes. The
// driver writes, at real-time pace, the raw samples of each opened device to
// the file named by SDL_DISKAUDIOFILE and truncates that file on every
// opening; here the file is a named pipe drained by a thread, so that the
// samples of several openings add up. Create it before anything in the
// process has brought up SDL's audio, and keep it until no device is open.

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

class DiskAudioCapture
{
public:
    DiskAudioCapture()
    {
        m_path = QDir(m_dir.path()).filePath(QStringLiteral("disk-audio")).toLocal8Bit();
        if (!m_dir.isValid() || ::mkfifo(m_path.constData(), 0600) != 0)
            return;
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", m_path);
        m_reader = std::thread([this] { drain(); });
    }

    ~DiskAudioCapture()
    {
        if (!m_reader.joinable())
            return;
        m_stop = true;
        // Wakes the reader if it waits for the next writer.
        const int fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
        m_reader.join();
    }

    bool isValid() const { return m_reader.joinable(); }

    void clear()
    {
        std::lock_guard lock(m_mutex);
        m_bytes.clear();
    }

    // Every sample written so far, as the device's 32-bit floats.
    std::vector<float> samples() const
    {
        std::lock_guard lock(m_mutex);
        std::vector<float> out(std::size_t(m_bytes.size()) / sizeof(float));
        if (!out.empty())
            std::memcpy(out.data(), m_bytes.constData(), out.size() * sizeof(float));
        return out;
    }

    // The samples without the silence a paused or idle device writes.
    std::vector<float> sounding() const { return withoutSilence(samples()); }

    static std::vector<float> withoutSilence(const std::vector<float> &in)
    {
        std::vector<float> out;
        for (float s : in)
            if (s != 0.0f)
                out.push_back(s);
        return out;
    }

private:
    void drain()
    {
        std::vector<char> buffer(1 << 16);
        while (!m_stop) {
            const int fd = ::open(m_path.constData(), O_RDONLY);
            if (fd < 0) {
                if (errno == EINTR)
                    continue;
                return;
            }
            ssize_t n = 0;
            while ((n = ::read(fd, buffer.data(), buffer.size())) > 0 || (n < 0 && errno == EINTR)) {
                if (n > 0) {
                    std::lock_guard lock(m_mutex);
                    m_bytes.append(buffer.data(), n);
                }
            }
            ::close(fd);
        }
    }

    QTemporaryDir m_dir;
    QByteArray m_path;
    std::thread m_reader;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    QByteArray m_bytes;
};
