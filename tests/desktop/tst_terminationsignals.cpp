// The signals that ask the program to end come to the event loop as one Qt
// signal: sent to the process for real (also from another thread), the
// first one counts, repeats are let go, and the former handlers come back.

#include "terminationsignals.h"
#include "testmain.h"

#include <QSignalSpy>

#include <atomic>
#include <csignal>
#include <thread>

namespace {

std::atomic<int> g_formerHandlerCalls{0};
extern "C" void formerHandler(int)
{
    ++g_formerHandlerCalls;
}

// Puts `handler` in place for `signalNumber` while it lives.
class Disposition
{
public:
    Disposition(int signalNumber, void (*handler)(int))
        : m_signal(signalNumber)
    {
        struct sigaction action = {};
        action.sa_handler = handler;
        sigemptyset(&action.sa_mask);
        ::sigaction(m_signal, &action, &m_before);
    }
    ~Disposition() { ::sigaction(m_signal, &m_before, nullptr); }

    static void (*current(int signalNumber))(int)
    {
        struct sigaction now = {};
        ::sigaction(signalNumber, nullptr, &now);
        return now.sa_handler;
    }

private:
    int m_signal;
    struct sigaction m_before = {};
};

} // namespace

class TestTerminationSignals : public QObject
{
    Q_OBJECT

private slots:
    void theFirstSignalAsksToEnd_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<bool>("fromAnotherThread");
        QTest::newRow("SIGTERM") << int(SIGTERM) << false;
        QTest::newRow("SIGHUP") << int(SIGHUP) << false;
        QTest::newRow("SIGINT") << int(SIGINT) << false;
        QTest::newRow("SIGTERM to a busy process") << int(SIGTERM) << true;
    }

    void theFirstSignalAsksToEnd()
    {
        QFETCH(int, signalNumber);
        QFETCH(bool, fromAnotherThread);
        // The test's own handlers, put back after each case.
        const Disposition term(SIGTERM, formerHandler), hup(SIGHUP, formerHandler),
            interrupt(SIGINT, formerHandler);
        g_formerHandlerCalls = 0;
        {
            TerminationSignals termination;
            QVERIFY2(termination.isActive(), qPrintable(termination.errorString()));
            QSignalSpy requested(&termination, &TerminationSignals::terminationRequested);

            if (fromAnotherThread) {
                // Delivered to whichever thread the kernel picks, while
                // the event loop is not running.
                std::thread([signalNumber] { ::kill(::getpid(), signalNumber); }).join();
            } else {
                QCOMPARE(::raise(signalNumber), 0);
            }
            QVERIFY(!termination.isEnding());
            QTRY_COMPARE(requested.size(), 1);
            QCOMPARE(requested.at(0).at(0).toInt(), signalNumber);
            QVERIFY(termination.isEnding());

            // A repeat while ending is let go.
            QCOMPARE(::raise(signalNumber), 0);
            QCOMPARE(::raise(SIGTERM), 0);
            QTest::qWait(50);
            QCOMPARE(requested.size(), 1);
        }
        // Once ending, the signals stay ignored: nothing may cut the end
        // of the program short.
        for (const int handled : {SIGTERM, SIGHUP, SIGINT})
            QVERIFY(Disposition::current(handled) == SIG_IGN);
        QCOMPARE(::raise(signalNumber), 0);
        QCOMPARE(g_formerHandlerCalls.load(), 0);
    }

    void withoutARequestTheFormerHandlersComeBack()
    {
        const Disposition former(SIGHUP, formerHandler);
        g_formerHandlerCalls = 0;
        {
            TerminationSignals termination;
            QVERIFY(termination.isActive());
            // Only one object handles the signals.
            TerminationSignals second;
            QVERIFY(!second.isActive());
            QVERIFY(!second.errorString().isEmpty());
        }
        QVERIFY(Disposition::current(SIGHUP) == &formerHandler);
        QCOMPARE(::raise(SIGHUP), 0);
        QCOMPARE(g_formerHandlerCalls.load(), 1);

        // A signal an object left unread when it went is not taken for a
        // request by the next one.
        {
            TerminationSignals first;
            QCOMPARE(::raise(SIGHUP), 0);
        }
        TerminationSignals later;
        QVERIFY(later.isActive());
        QSignalSpy requested(&later, &TerminationSignals::terminationRequested);
        QTest::qWait(50);
        QCOMPARE(requested.size(), 0);
    }

    void aSignalIgnoredAtTheStartStaysIgnored()
    {
        // As `nohup` starts a program: the closed terminal's SIGHUP is not
        // for it.
        const Disposition ignored(SIGHUP, SIG_IGN), term(SIGTERM, formerHandler);
        TerminationSignals termination;
        QVERIFY(termination.isActive());
        QSignalSpy requested(&termination, &TerminationSignals::terminationRequested);
        QVERIFY(Disposition::current(SIGHUP) == SIG_IGN);
        QCOMPARE(::raise(SIGHUP), 0);
        QTest::qWait(50);
        QCOMPARE(requested.size(), 0);
        // The others are still taken.
        QCOMPARE(::raise(SIGTERM), 0);
        QTRY_COMPARE(requested.size(), 1);
    }
};

PARLOWEN_TEST_MAIN(TestTerminationSignals)
#include "tst_terminationsignals.moc"
