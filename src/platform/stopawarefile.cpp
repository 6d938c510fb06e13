#include "stopawarefile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void setError(QString *error, int errorNumber)
{
    if (error)
        *error = qt_error_string(errorNumber);
}

} // namespace

void StopAwareFile::WakeUp::operator()() const
{
    // Makes the eventfd readable for good: every later wait ends at once.
    const eventfd_t one = 1;
    while (::eventfd_write(fd, one) != 0 && errno == EINTR) {
    }
}

std::unique_ptr<StopAwareFile> StopAwareFile::Open(const QString &path, std::stop_token stop,
                                                   std::stop_token stopWaiting, QString *error)
{
    // Without O_NONBLOCK, opening a named pipe would wait, unstoppably, for
    // a writer to come.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        setError(error, errno);
        return nullptr;
    }
    struct stat status{};
    if (::fstat(fd, &status) != 0 || S_ISDIR(status.st_mode)) {
        setError(error, S_ISDIR(status.st_mode) ? EISDIR : errno);
        ::close(fd);
        return nullptr;
    }
    const int wakeUp = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeUp < 0) {
        setError(error, errno);
        ::close(fd);
        return nullptr;
    }
    const bool seekable = S_ISREG(status.st_mode) || S_ISBLK(status.st_mode);
    return std::unique_ptr<StopAwareFile>(
        new StopAwareFile(fd, wakeUp, seekable, std::move(stop), std::move(stopWaiting)));
}

StopAwareFile::StopAwareFile(int fd, int wakeUp, bool seekable, std::stop_token stop,
                             std::stop_token stopWaiting)
    : m_fd(fd)
    , m_wakeUp(wakeUp)
    , m_seekable(seekable)
    , m_stop(std::move(stop))
    , m_stopWaiting(std::move(stopWaiting))
{
    // Each runs at once when its stop was requested already.
    m_onStop.emplace(m_stop, WakeUp{m_wakeUp});
    m_onStopWaiting.emplace(m_stopWaiting, WakeUp{m_wakeUp});
}

StopAwareFile::~StopAwareFile()
{
    // Waits for a stop that is writing to the eventfd right now.
    m_onStopWaiting.reset();
    m_onStop.reset();
    ::close(m_wakeUp);
    ::close(m_fd);
}

bool StopAwareFile::givesUpWaiting()
{
    if (m_stopWaiting.stop_requested())
        m_stalled = true;
    return m_stalled;
}

qint64 StopAwareFile::readOnce(char *data, qint64 count)
{
    if (m_stopped || m_stalled || m_failed)
        return -1;
    for (;;) {
        pollfd waitFor[2] = {{m_fd, POLLIN, 0}, {m_wakeUp, POLLIN, 0}};
        if (::poll(waitFor, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            m_failed = true;
            return -1;
        }
        // The stop comes first, even when there is something to read.
        if (m_stop.stop_requested()) {
            m_stopped = true;
            return -1;
        }
        // Once waiting has ended, the eventfd stays readable and every poll
        // returns at once: what the source has at hand is still read, but
        // a source with nothing is not waited for.
        if (waitFor[0].revents == 0) {
            if (givesUpWaiting())
                return -1;
            continue;
        }
        const ssize_t n = ::read(m_fd, data, std::size_t(count));
        if (n >= 0)
            return n;
        if (errno == EINTR)
            continue;
        // A pipe whose writer has not written yet reports it is ready too.
        if (errno == EAGAIN) {
            if (givesUpWaiting())
                return -1;
            continue;
        }
        m_failed = true;
        return -1;
    }
}

qint64 StopAwareFile::read(char *data, qint64 count)
{
    qint64 done = 0;
    // After a seek back, the pipe's kept head comes first.
    if (!m_seekable && m_pos < m_consumed && count > 0) {
        done = std::min(count, m_consumed - m_pos);
        std::memcpy(data, m_head.data() + m_pos, std::size_t(done));
        m_pos += done;
    }
    while (done < count && !m_stopped && !m_stalled && !m_failed) {
        const qint64 n = readOnce(data + done, count - done);
        if (n <= 0)
            break;
        if (!m_seekable) {
            if (m_consumed < HeadBytes) {
                const qint64 kept = std::min(n, HeadBytes - m_consumed);
                m_head.insert(m_head.end(), data + done, data + done + kept);
            }
            m_consumed += n;
        }
        m_pos += n;
        done += n;
    }
    return done;
}

bool StopAwareFile::fillHeadTo(qint64 end)
{
    while (m_consumed < end) {
        m_head.resize(std::size_t(end));
        const qint64 n = readOnce(m_head.data() + m_consumed, end - m_consumed);
        if (n <= 0) {
            m_head.resize(std::size_t(m_consumed));
            return false;
        }
        m_consumed += n;
    }
    m_head.resize(std::size_t(m_consumed));
    return true;
}

qint64 StopAwareFile::seek(qint64 offset, int whence)
{
    if (m_seekable) {
        const off_t to = ::lseek(m_fd, off_t(offset), whence);
        if (to < 0)
            return -1;
        m_pos = qint64(to);
        return m_pos;
    }

    qint64 target = offset;
    if (whence == SEEK_CUR)
        target += m_pos;
    else if (whence != SEEK_SET)
        return -1; // a pipe has no end to count from
    if (target == m_pos)
        return m_pos;
    if (target < 0)
        return -1;
    // Back, or forward over bytes taken already: only while all of them
    // are kept.
    if (target <= m_consumed) {
        if (m_consumed > HeadBytes)
            return -1;
        m_pos = target;
        return m_pos;
    }
    // Forward over bytes not taken yet: only within the head, so that what
    // is skipped can still be gone back to. A reader that looks for more
    // header after the samples would otherwise drain the whole source here.
    if (target > HeadBytes || !fillHeadTo(target))
        return -1;
    m_pos = target;
    return m_pos;
}

std::optional<qint64> StopAwareFile::size() const
{
    if (!m_seekable)
        return std::nullopt;
    struct stat status{};
    if (::fstat(m_fd, &status) != 0)
        return std::nullopt;
    return qint64(status.st_size);
}
