#include "terminationsignals.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The socket pair lives as long as the process: a handler running on
// another thread at the moment an object goes must never write to a closed
// (or, worse, reused) descriptor. The write end is what the handler sees;
// -1 while no object handles the signals.
int g_pair[2] = {-1, -1};
std::atomic<int> g_writeEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free, "the handler reads it");

extern "C" void onTerminationSignal(int signalNumber)
{
    const int savedErrno = errno;
    const int fd = g_writeEnd.load();
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signalNumber);
        // Non-blocking: with the socket full, the request is already known.
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

bool setNonBlocking(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0
           && ::fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
}

QString systemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

const int TerminationSignals::Handled[SignalCount] = {SIGTERM, SIGHUP, SIGINT};

TerminationSignals::TerminationSignals(QObject *parent)
    : QObject(parent)
{
    if (g_writeEnd.load() >= 0) {
        m_errorString = QStringLiteral("The termination signals are already handled.");
        return;
    }
    if (g_pair[0] < 0) {
        int pair[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, pair) != 0) {
            m_errorString = systemError("socketpair");
            return;
        }
        if (!setNonBlocking(pair[0]) || !setNonBlocking(pair[1])) {
            m_errorString = systemError("fcntl");
            ::close(pair[0]);
            ::close(pair[1]);
            return;
        }
        g_pair[0] = pair[0];
        g_pair[1] = pair[1];
    }
    // What an earlier object left unread is not this one's business.
    char stale[64];
    while (::read(g_pair[0], stale, sizeof stale) > 0) {
    }

    m_notifier = new QSocketNotifier(g_pair[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readSignals);
    g_writeEnd.store(g_pair[1]);

    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    // Calls the signal interrupts are started again rather than failed.
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < SignalCount; ++i) {
        if (::sigaction(Handled[i], nullptr, &m_previous[i]) == 0
            && m_previous[i].sa_handler == SIG_IGN)
            continue;
        if (::sigaction(Handled[i], &action, &m_previous[i]) != 0) {
            m_errorString = systemError("sigaction");
            for (int j = 0; j < i; ++j)
                if (m_installed[j])
                    ::sigaction(Handled[j], &m_previous[j], nullptr);
            g_writeEnd.store(-1);
            return;
        }
        m_installed[i] = true;
    }
    m_active = true;
}

TerminationSignals::~TerminationSignals()
{
    if (!m_active)
        return;
    // Once ending, a repeated request must not cut the end short: the
    // program is on its way out anyway.
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    for (int i = 0; i < SignalCount; ++i)
        if (m_installed[i])
            ::sigaction(Handled[i], m_ending ? &ignore : &m_previous[i], nullptr);
    g_writeEnd.store(-1);
}

void TerminationSignals::readSignals()
{
    unsigned char received[64];
    int first = 0;
    ssize_t n;
    while ((n = ::read(g_pair[0], received, sizeof received)) > 0)
        if (first == 0)
            first = received[0];
    if (first == 0 || m_ending)
        return;
    m_ending = true;
    emit terminationRequested(first);
}
