// Playing an event's sound from its file, each figure beside a baseline from
// the same run:
// - the peak resident memory above idle while a 5-minute stereo 44.1 kHz WAV
//   plays, beside the same play with the whole file read into memory first
//   (as the program played before it streamed);
// - the time from the call to the first sample handed to the device for a
//   1-second and a 60-minute file, beside the whole-file play of a 1-second
//   and a 5-minute file (a 60-minute file is more than the whole-file reader
//   takes at all: it would play the default sound instead);
// - the time the program takes to end once its window is closed while an
//   event's sound waits for a long file that a slow pipe delivers, beside the
//   same program closed while idle.
// Every measurement runs in a process of its own (the probes in playback/),
// so that one's memory does not count for another.

#include "eventtable.h"
#include "schedulefile.h"
#include "slowfifo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <fcntl.h>
#include <numbers>
#include <optional>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int Rate = 44100;

// A 440 Hz tone in stereo 16-bit WAV. Only the first `soundSeconds` are
// written; the rest is left a hole in the file, which reads as silence and
// takes no disk space, so that an hour-long file is made in an instant.
bool writeTone(const QString &path, int seconds, int soundSeconds)
{
    SF_INFO info{};
    info.samplerate = Rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file)
        return false;
    std::vector<float> second(std::size_t(Rate) * 2);
    bool ok = true;
    for (int s = 0; s < std::min(seconds, soundSeconds) && ok; ++s) {
        for (int i = 0; i < Rate; ++i) {
            // Starts off zero, so the first sample is sound.
            const double phase = 2.0 * std::numbers::pi * 440.0 * (s * Rate + i) / Rate
                + std::numbers::pi / 4;
            second[std::size_t(i) * 2] = second[std::size_t(i) * 2 + 1] = float(0.3 * std::sin(phase));
        }
        ok = sf_writef_float(file, second.data(), Rate) == Rate;
    }
    if (ok && seconds > soundSeconds) {
        const sf_count_t last = sf_count_t(seconds) * Rate - 1;
        ok = sf_seek(file, last, SEEK_SET | SFM_WRITE) == last
            && sf_writef_float(file, second.data(), 1) == 1;
    }
    return sf_close(file) == 0 && ok;
}

struct Files
{
    QTemporaryDir dir;
    QString oneSecond = dir.filePath(QStringLiteral("one-second.wav"));
    QString fiveMinutes = dir.filePath(QStringLiteral("five-minutes.wav"));
    QString oneHour = dir.filePath(QStringLiteral("one-hour.wav"));
    QString oneMinute = dir.filePath(QStringLiteral("one-minute.wav"));
    bool ok = dir.isValid() && writeTone(oneSecond, 1, 1) && writeTone(fiveMinutes, 300, 300)
        && writeTone(oneHour, 3600, 1) && writeTone(oneMinute, 60, 60);
};

Files &files()
{
    static Files instance;
    return instance;
}

std::vector<std::string> childEnvironment()
{
    // No display or sound card is needed, and the user's settings and data
    // stay untouched.
    static QTemporaryDir home;
    std::vector<std::string> env;
    for (char **e = environ; *e; ++e) {
        const std::string entry(*e);
        if (entry.rfind("QT_QPA_PLATFORM=", 0) == 0 || entry.rfind("SDL_AUDIODRIVER=", 0) == 0
            || entry.rfind("XDG_", 0) == 0)
            continue;
        env.push_back(entry);
    }
    const std::string base = home.path().toStdString();
    for (const char *dir : {"config", "data", "runtime"})
        QDir().mkpath(QString::fromStdString(base + "/" + dir));
    env.push_back("QT_QPA_PLATFORM=offscreen");
    env.push_back("SDL_AUDIODRIVER=dummy");
    env.push_back("XDG_CONFIG_HOME=" + base + "/config");
    env.push_back("XDG_DATA_HOME=" + base + "/data");
    env.push_back("XDG_RUNTIME_DIR=" + base + "/runtime");
    return env;
}

// A probe with its standard input and output on pipes.
class Child
{
public:
    explicit Child(const std::vector<std::string> &arguments)
    {
        static const std::vector<std::string> env = childEnvironment();
        std::vector<char *> envp;
        for (const std::string &entry : env)
            envp.push_back(const_cast<char *>(entry.c_str()));
        envp.push_back(nullptr);
        std::vector<char *> argv;
        for (const std::string &argument : arguments)
            argv.push_back(const_cast<char *>(argument.c_str()));
        argv.push_back(nullptr);

        int in[2] = {-1, -1};
        int out[2] = {-1, -1};
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        // The probes' warnings would only clutter the benchmark's output.
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        m_in = in[1];
        m_out = out[0];
    }

    ~Child()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_in >= 0)
            ::close(m_in);
        if (m_out >= 0)
            ::close(m_out);
    }

    bool started() const { return m_pid > 0; }

    // What the probe wrote, up to its end or the timeout.
    std::string readAll(std::chrono::seconds timeout)
    {
        std::string text;
        const auto end = Clock::now() + timeout;
        char buffer[256];
        while (Clock::now() < end) {
            pollfd ready{m_out, POLLIN, 0};
            if (::poll(&ready, 1, 100) <= 0)
                continue;
            const ssize_t n = ::read(m_out, buffer, sizeof buffer);
            if (n <= 0)
                break;
            text.append(buffer, std::size_t(n));
        }
        return text;
    }

    bool waitForByte(std::chrono::seconds timeout)
    {
        pollfd ready{m_out, POLLIN, 0};
        char byte = 0;
        return ::poll(&ready, 1, int(std::chrono::milliseconds(timeout).count())) == 1
            && ::read(m_out, &byte, 1) == 1;
    }

    bool writeByte() { return ::write(m_in, "x", 1) == 1; }

    // True when the probe ended by itself with exit code 0 in time.
    bool wait(std::chrono::seconds timeout)
    {
        const auto end = Clock::now() + timeout;
        int status = 0;
        while (Clock::now() < end) {
            const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
            if (done == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) && WEXITSTATUS(status) == 0;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        return false;
    }

private:
    pid_t m_pid = -1;
    int m_in = -1;
    int m_out = -1;
};

void peakMemory(benchmark::State &state, const char *how)
{
    if (!files().ok) {
        state.SkipWithError("could not write the sound files");
        return;
    }
    double most = 0;
    double idle = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        Child probe({PLAYBACK_PROBE, "memory", how, files().fiveMinutes.toStdString()});
        long idleKiB = 0;
        long peakKiB = 0;
        const std::string answer = probe.started() ? probe.readAll(std::chrono::seconds(30)) : std::string();
        if (!probe.wait(std::chrono::seconds(10))
            || std::sscanf(answer.c_str(), "%ld %ld", &idleKiB, &peakKiB) != 2) {
            state.SkipWithError("the memory probe failed");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        most = std::max(most, double(peakKiB - idleKiB));
        idle = double(idleKiB);
    }
    state.counters["rss_above_idle_KiB"] = most;
    state.counters["idle_KiB"] = idle;
}

void BM_PlayPeakMemoryAboveIdle(benchmark::State &state)
{
    peakMemory(state, "stream");
}

void BM_PlayPeakMemoryAboveIdle_WholeFileBaseline(benchmark::State &state)
{
    peakMemory(state, "whole");
}

void firstSample(benchmark::State &state, const char *how)
{
    if (!files().ok) {
        state.SkipWithError("could not write the sound files");
        return;
    }
    const QString path = state.range(0) == 1 ? files().oneSecond
        : state.range(0) == 300              ? files().fiveMinutes
                                             : files().oneHour;
    double most = 0;
    for (auto _ : state) {
        Child probe({PLAYBACK_PROBE, "first-sample", how, path.toStdString()});
        long long micros = 0;
        const std::string answer = probe.started() ? probe.readAll(std::chrono::seconds(60)) : std::string();
        if (!probe.wait(std::chrono::seconds(10)) || std::sscanf(answer.c_str(), "%lld", &micros) != 1) {
            state.SkipWithError("the first-sample probe failed");
            return;
        }
        state.SetIterationTime(double(micros) / 1e6);
        most = std::max(most, double(micros) / 1000.0);
    }
    state.counters["slowest_ms"] = most;
}

void BM_TimeToFirstSample(benchmark::State &state)
{
    firstSample(state, "stream");
}

void BM_TimeToFirstSample_WholeFileBaseline(benchmark::State &state)
{
    firstSample(state, "whole");
}

// A schedule of one event, due at the first tick or an hour later.
bool writeSchedule(const QString &path, const QString &wave, bool dueAtOnce)
{
    EventTable table;
    EventRow row;
    row.cells = {QStringLiteral("Long"), wave,
                 dueAtOnce ? QStringLiteral("00:00:00") : QStringLiteral("01:00:00"),
                 QStringLiteral("01:00:00"), QStringLiteral("1*"), QString()};
    table.insertAtTop(QList<EventRow>{row});
    return ScheduleFile::Save(table, path).saved;
}

void closeProgram(benchmark::State &state, bool playing)
{
    if (!files().ok) {
        state.SkipWithError("could not write the sound files");
        return;
    }
    QFile wave(files().oneMinute);
    if (!wave.open(QIODevice::ReadOnly)) {
        state.SkipWithError("could not read the sound file");
        return;
    }
    const QByteArray contents = wave.readAll();
    const QString schedule = files().dir.filePath(QStringLiteral("close.sked"));
    double most = 0;
    for (auto _ : state) {
        // Half a second of sound at once, then 2 KiB every 100 ms: a
        // twentieth of what the sound needs to play on.
        SlowFifo pipe(contents, 44 + Rate * 4 / 2, 2048, std::chrono::milliseconds(100));
        if (!pipe.isValid()
            || !writeSchedule(schedule, playing ? pipe.path() : files().oneSecond, playing)) {
            state.SkipWithError("could not set up the schedule");
            return;
        }
        Child program({CLOSE_PROBE, schedule.toStdString()});
        if (!program.started() || !program.waitForByte(std::chrono::seconds(30))) {
            state.SkipWithError("the program did not come up");
            return;
        }
        if (playing) {
            // The event fires at the first tick, a second after Start.
            const auto end = Clock::now() + std::chrono::seconds(10);
            while (!pipe.isOpened() && Clock::now() < end)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            if (!pipe.isOpened()) {
                state.SkipWithError("the event's sound was never opened");
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        }
        const auto closed = Clock::now();
        if (!program.writeByte() || !program.wait(std::chrono::seconds(20))) {
            state.SkipWithError("the program did not end after its window was closed");
            return;
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - closed).count();
        state.SetIterationTime(seconds);
        most = std::max(most, seconds * 1000.0);
    }
    state.counters["slowest_ms"] = most;
}

void BM_CloseDuringSlowPlay(benchmark::State &state)
{
    closeProgram(state, true);
}

void BM_CloseDuringSlowPlay_IdleBaseline(benchmark::State &state)
{
    closeProgram(state, false);
}

} // namespace

BENCHMARK(BM_PlayPeakMemoryAboveIdle_WholeFileBaseline)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PlayPeakMemoryAboveIdle)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_TimeToFirstSample_WholeFileBaseline)->Arg(1)->Arg(300)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_TimeToFirstSample)->Arg(1)->Arg(3600)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_CloseDuringSlowPlay_IdleBaseline)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CloseDuringSlowPlay)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

BENCHMARK_MAIN();
