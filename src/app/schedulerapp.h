#pragma once

#include "startrequest.h"

#include <QList>
#include <QObject>

class CSchedulerDlg;
class SingleInstance;

// Owns the program's start-up: runs the main window with the request of the
// command line, carries out the requests that later starts hand over, and
// ends the program when the window closes.
class CSchedulerApp : public QObject
{
    Q_OBJECT

public:
    // `instance`, when given, brings the requests of later starts.
    explicit CSchedulerApp(const StartRequest &startup = {}, SingleInstance *instance = nullptr);
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

    StartRequest m_startup;
    CSchedulerDlg *m_pMainWnd = nullptr;
    QList<StartRequest> m_pending;
    bool m_bCarryingOut = false;
};
