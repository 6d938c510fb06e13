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
    // names a folder.
    static std::unique_ptr<StopAwareFile> Open(const QString &path, std::stop_token stop,
                                               QString *error = nullptr);
    ~StopAwareFile();

    StopAwareFile(const StopAwareFile &) = delete;
    StopAwareFile &operator=(const StopAwareFile &) = delete;

    // Reads until `count` bytes have come, the source has ended, a read has
    // failed or a stop was requested. Returns the bytes read; fewer than
    // asked for in any of these cases.
    qint64 read(char *data, qint64 count);
    // Moves to the position (whence as for lseek) and returns it; -1 when
    // the source cannot go there.
    qint64 seek(qint64 offset, int whence);
    qint64 pos() const { return m_pos; }
    // The size in bytes; nullopt for a source that has no size (a pipe).
    std::optional<qint64> size() const;

private:
    StopAwareFile(int fd, int wakeUp, bool seekable, std::stop_token stop);
    // One read(2) of at most `count` bytes, after waiting until the source
    // has something or the stop comes. 0 at the end, -1 on failure or stop.
    qint64 readOnce(char *data, qint64 count);
    // The pipe case: reads more of the source into the head.
    bool fillHeadTo(qint64 end);

    const int m_fd;
    const int m_wakeUp; // an eventfd the stop writes to
    const bool m_seekable;
    qint64 m_pos = 0;
    // Pipe only: bytes taken from the source so far, and the first of them.
    qint64 m_consumed = 0;
    std::vector<char> m_head;
    // Once stopped or failed, reads give nothing more.
    bool m_stopped = false;
    bool m_failed = false;

    struct WakeUp
    {
        int fd;
        void operator()() const;
    };
    std::optional<std::stop_callback<WakeUp>> m_onStop;
};
