#pragma once

#include <QString>

#include <memory>
#include <optional>
#include <stop_token>
#include <vector>

// A file opened for reading whose reads give up at once when a stop is
// requested, also while they wait for a slow source to deliver: a named pipe
// fed by another program, a socket, a character device. Opening never waits
// either, not even for a named pipe nobody writes to yet.
//
// A second, milder stop ends only the waiting: once it is requested, reads
// take what the source has at hand and give up where they would have to wait
// for more. A file on a local disk always has its bytes at hand and reads on
// to its end as before.
//
// A source that cannot seek is made to look seekable as far as a sound
// file's header needs: its first HeadBytes are kept in memory and can be gone
// back to and skipped within; past them it only reads straight on.
//
// One thread uses the file; only the stop may come from another.
class StopAwareFile
{
public:
    static constexpr qint64 HeadBytes = 256 * 1024;

    // Null, with `error` set, when the path cannot be opened for reading or
    // names a folder. `stop` ends every read at once; `stopWaiting` ends
    // only the reads that would have to wait.
    static std::unique_ptr<StopAwareFile> Open(const QString &path, std::stop_token stop,
                                               std::stop_token stopWaiting = {},
                                               QString *error = nullptr);
    ~StopAwareFile();

    StopAwareFile(const StopAwareFile &) = delete;
    StopAwareFile &operator=(const StopAwareFile &) = delete;

    // Reads until `count` bytes have come, the source has ended, a read has
    // failed, a stop was requested, or the source had nothing at hand after
    // `stopWaiting` was requested. Returns the bytes read; fewer than asked
    // for in any of these cases.
    qint64 read(char *data, qint64 count);
    // Moves to the position (whence as for lseek) and returns it; -1 when
    // the source cannot go there.
    qint64 seek(qint64 offset, int whence);
    qint64 pos() const { return m_pos; }
    // The size in bytes; nullopt for a source that has no size (a pipe).
    std::optional<qint64> size() const;
    // A read gave up because the source had nothing at hand once
    // `stopWaiting` had been requested; no later read gives anything.
    bool stalled() const { return m_stalled; }

private:
    StopAwareFile(int fd, int wakeUp, bool seekable, std::stop_token stop,
                  std::stop_token stopWaiting);
    // One read(2) of at most `count` bytes, after waiting until the source
    // has something or a stop comes. 0 at the end, -1 on failure, on a stop,
    // and where it would wait once `stopWaiting` has been requested.
    qint64 readOnce(char *data, qint64 count);
    // For a source with nothing at hand: true, and the file stalled, once
    // waiting has been stopped.
    bool givesUpWaiting();
    // The pipe case: reads more of the source into the head.
    bool fillHeadTo(qint64 end);

    const int m_fd;
    const int m_wakeUp; // an eventfd both stops write to
    const bool m_seekable;
    const std::stop_token m_stop;
    const std::stop_token m_stopWaiting;
    qint64 m_pos = 0;
    // Pipe only: bytes taken from the source so far, and the first of them.
    qint64 m_consumed = 0;
    std::vector<char> m_head;
    // Once stopped, stalled or failed, reads give nothing more.
    bool m_stopped = false;
    bool m_stalled = false;
    bool m_failed = false;

    struct WakeUp
    {
        int fd;
        void operator()() const;
    };
    std::optional<std::stop_callback<WakeUp>> m_onStop;
    std::optional<std::stop_callback<WakeUp>> m_onStopWaiting;
};
