#pragma once

#include <QObject>
#include <QString>

#include <csignal>

class QSocketNotifier;

// Turns the signals that ask the program to end (SIGTERM from the session's
// end or `kill`, SIGHUP from a closed terminal, SIGINT from Ctrl+C) into a
// Qt signal on the thread that made this object, so that the program can
// end in order there instead of being cut off. The handler only writes the
// signal's number into a socket pair (all a handler may safely do); a
// socket notifier reads it in the event loop.
//
// Only the first request counts: the program is then ending, and further
// ones are let go, so that they cannot cut the orderly end short. A signal
// that was ignored when the object came (`nohup parlowen`, a background
// job without job control) stays ignored. One object at a time handles the
// signals; it puts the former handlers back when it goes (or ignores the
// signals, once the program is ending).
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    // False when the signals could not be taken over; errorString() says why.
    bool isActive() const { return m_active; }
    QString errorString() const { return m_errorString; }

    // True once a termination has been requested.
    bool isEnding() const { return m_ending; }

signals:
    // Emitted once, for the first of the signals received.
    void terminationRequested(int signalNumber);

private:
    void readSignals();

    static constexpr int SignalCount = 3;
    static const int Handled[SignalCount];

    bool m_active = false;
    bool m_ending = false;
    QString m_errorString;
    QSocketNotifier *m_notifier = nullptr;
    struct sigaction m_previous[SignalCount] = {};
    bool m_installed[SignalCount] = {};
};
