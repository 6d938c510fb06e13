#pragma once

#include "startrequest.h"

#include <QList>
#include <QObject>

class CSchedulerDlg;
class QSessionManager;
class SingleInstance;
class TerminationSignals;

// Owns the program's start-up: runs the main window with the request of the
// command line, carries out the requests that later starts hand over, and
// ends the program when the window closes, when the desktop session ends
// or when the program is asked to end from outside.
class CSchedulerApp : public QObject
{
    Q_OBJECT

public:
    // `instance`, when given, brings the requests of later starts;
    // `termination` the requests to end from outside.
    explicit CSchedulerApp(const StartRequest &startup = {}, SingleInstance *instance = nullptr,
                           TerminationSignals *termination = nullptr);
    ~CSchedulerApp() override;

    // Runs the main window modally. Returns false: once the main window has
    // ended there is nothing more to run.
    bool InitInstance();

    // The main window while InitInstance() runs, otherwise null.
    CSchedulerDlg *mainWindow() const { return m_pMainWnd; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void OnStartRequest(const StartRequest &request);
    void CarryOutPendingRequests();
    void OnCommitData(QSessionManager &manager);
    void OnTermination();

    StartRequest m_startup;
    CSchedulerDlg *m_pMainWnd = nullptr;
    QList<StartRequest> m_pending;
    bool m_bCarryingOut = false;
    bool m_bTerminating = false;
};
