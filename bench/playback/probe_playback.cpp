// Plays one sound file as the program plays an event's sound, or as it did
// before it streamed (the whole file read into memory first), and prints what
// that cost:
//   probe_playback memory stream|whole FILE
//       "IDLE PEAK": resident memory in KiB before the play, and its peak
//       during three seconds of the play (on SDL's silent dummy driver);
//   probe_playback first-sample stream|whole FILE
//       microseconds from the call to the first sample handed to the device
//       (SDL's disk driver writes what the device is handed to a pipe that
//       this probe drains, so the first sound in it marks the moment).

#include "defaultsound.h"
#include "sdlaudio.h"
#include "sndplaysound.h"
#include "wavefile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <stop_token>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// The program's play of an event's sound.
void playStreaming(const QString &path, std::stop_token stop)
{
    sndPlaySound(path, SndSync, stop, QStringLiteral("Probe"));
}

// The same play as the program made it before it streamed.
void playWholeFile(const QString &path, std::stop_token stop)
{
    std::shared_ptr<const WaveData> wave;
    if (std::optional<WaveData> read = WaveFile::Read(path); read && read->frames() > 0)
        wave = std::make_shared<const WaveData>(std::move(*read));
    std::unique_ptr<AudioPlayback> playback = wave ? AudioPlayback::Start(wave) : nullptr;
    if (!playback)
        playback = AudioPlayback::Start(DefaultSound());
    if (playback)
        playback->waitUntilHeard(stop);
}

long statusKiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(std::strlen(field))).trimmed().split(' ').first().toLong();
    return -1;
}

int measureMemory(bool streaming, const QString &path)
{
    if (!SdlAudio::IsAvailable())
        return 1;
    const long idle = statusKiB("VmRSS:");
    // Starts the peak afresh from here.
    if (QFile clear(QStringLiteral("/proc/self/clear_refs")); clear.open(QIODevice::WriteOnly))
        clear.write("5");
    std::stop_source stop;
    std::thread player([&] {
        streaming ? playStreaming(path, stop.get_token()) : playWholeFile(path, stop.get_token());
    });
    std::this_thread::sleep_for(std::chrono::seconds(3));
    stop.request_stop();
    player.join();
    std::printf("%ld %ld\n", idle, statusKiB("VmHWM:"));
    return 0;
}

// Drains the disk driver's pipe and notes when the first sound came.
class FirstSound
{
public:
    explicit FirstSound(QByteArray pipe)
        : m_pipe(std::move(pipe))
        , m_reader([this] { drain(); })
    {
    }
    ~FirstSound()
    {
        m_stop = true;
        // Wakes the reader if no device ever opened the pipe.
        if (const int fd = ::open(m_pipe.constData(), O_WRONLY | O_NONBLOCK); fd >= 0)
            ::close(fd);
        m_reader.join();
    }

    std::optional<Clock::time_point> wait(std::chrono::seconds timeout)
    {
        std::unique_lock lock(m_mutex);
        m_came.wait_for(lock, timeout, [this] { return m_first.has_value(); });
        return m_first;
    }

private:
    void drain()
    {
        const int fd = ::open(m_pipe.constData(), O_RDONLY);
        if (fd < 0)
            return;
        float buffer[4096];
        ssize_t n = 0;
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)) {
            const auto now = Clock::now();
            for (ssize_t i = 0; i < n / ssize_t(sizeof(float)); ++i) {
                if (buffer[i] != 0.0f) {
                    std::lock_guard lock(m_mutex);
                    if (!m_first) {
                        m_first = now;
                        m_came.notify_all();
                    }
                    break;
                }
            }
        }
        ::close(fd);
    }

    QByteArray m_pipe;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::condition_variable m_came;
    std::optional<Clock::time_point> m_first;
    std::thread m_reader;
};

int measureFirstSample(bool streaming, const QString &path)
{
    QTemporaryDir dir;
    const QByteArray pipe = QFile::encodeName(QDir(dir.path()).filePath(QStringLiteral("device")));
    if (!dir.isValid() || ::mkfifo(pipe.constData(), 0600) != 0)
        return 1;
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", pipe);
    // SDL is up before the clock starts, as in a program that has played
    // a sound before.
    if (!SdlAudio::IsAvailable())
        return 1;
    FirstSound firstSound(pipe);
    std::stop_source stop;
    const auto start = Clock::now();
    std::thread player([&] {
        streaming ? playStreaming(path, stop.get_token()) : playWholeFile(path, stop.get_token());
    });
    const std::optional<Clock::time_point> first = firstSound.wait(std::chrono::seconds(30));
    stop.request_stop();
    player.join();
    if (!first)
        return 1;
    std::printf("%lld\n", static_cast<long long>(
        std::chrono::duration_cast<std::chrono::microseconds>(*first - start).count()));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 4)
        return 2;
    const QByteArray what = argv[1];
    const bool streaming = QByteArray(argv[2]) == "stream";
    const QString path = QString::fromLocal8Bit(argv[3]);
    if (what == "memory")
        return measureMemory(streaming, path);
    if (what == "first-sample")
        return measureFirstSample(streaming, path);
    return 2;
}
