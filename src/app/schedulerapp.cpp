#include "schedulerapp.h"

#include "messagebox.h"
#include "schedulerdlg.h"
#include "schedulepaths.h"
#include "singleinstance.h"
#include "terminationsignals.h"

#include <QApplication>
#include <QEvent>
#include <QSessionManager>
#include <QTimer>

CSchedulerApp::CSchedulerApp(const StartRequest &startup, SingleInstance *instance,
                             TerminationSignals *termination)
    : m_startup(startup)
{
    if (instance)
        connect(instance, &SingleInstance::requestReceived, this, &CSchedulerApp::OnStartRequest);
    if (termination)
        connect(termination, &TerminationSignals::terminationRequested, this,
                &CSchedulerApp::OnTermination);
    connect(qApp, &QGuiApplication::commitDataRequest, this, &CSchedulerApp::OnCommitData);
    // The session manager's last word ("die") comes to the application as
    // a Quit event; the window's events pass here too.
    qApp->installEventFilter(this);
}

CSchedulerApp::~CSchedulerApp() = default;

bool CSchedulerApp::InitInstance()
{
    // The per-user folder holds the sample and the default sound before the
    // window looks for them.
    if (const QString problem = SchedulePaths::PrepareUserData(); !problem.isEmpty())
        ShowMessageBox(nullptr, problem, QStringLiteral("Warning"));
    CSchedulerDlg dlg(nullptr, m_startup.file);
    m_pMainWnd = &dlg;
    // Asked to end while the window was being made.
    if (m_bTerminating)
        dlg.OnEndSession();
    // The file was opened with the window; Start waits until it is up.
    if (m_startup.start)
        m_pending.prepend(StartRequest{QString(), true});
    QTimer::singleShot(0, this, &CSchedulerApp::CarryOutPendingRequests);
    // After the requests: a schedule started at login starts at once, and
    // does not wait for the user to read the box.
    QTimer::singleShot(0, this, [this] {
        if (m_pMainWnd)
            m_pMainWnd->ShowRecoveredChanges();
    });
    if (!m_bTerminating)
        dlg.exec();
    m_pMainWnd = nullptr;
    m_pending.clear();
    return false;
}

void CSchedulerApp::OnStartRequest(const StartRequest &request)
{
    if (m_pMainWnd)
        m_pMainWnd->RaiseWindow();
    m_pending.append(request);
    CarryOutPendingRequests();
}

void CSchedulerApp::CarryOutPendingRequests()
{
    // Opening asks its question in a box of its own; requests that come in
    // meanwhile wait for the loop below.
    if (!m_pMainWnd || m_bCarryingOut)
        return;
    // While the user is busy in another of the program's dialogs (an event
    // being edited, a file dialog, a question) the request waits until it
    // closes, and that dialog comes to the front instead.
    QWidget *modal = QApplication::activeModalWidget();
    if (modal && modal != m_pMainWnd) {
        modal->raise();
        modal->activateWindow();
        return;
    }
    m_bCarryingOut = true;
    while (!m_pending.isEmpty() && m_pMainWnd) {
        const StartRequest request = m_pending.takeFirst();
        // A start asked for with a file the user then kept out (by
        // cancelling the unsaved-changes question) is not carried out either.
        const bool opened = request.file.isEmpty() || m_pMainWnd->OpenScheduleFile(request.file);
        if (opened && request.start && !m_pMainWnd->isCountDownRunning())
            m_pMainWnd->OnScheduleStart();
    }
    m_bCarryingOut = false;
}

void CSchedulerApp::OnCommitData(QSessionManager &manager)
{
    if (m_pMainWnd
        && !m_pMainWnd->OnQueryEndSession([&manager] { return manager.allowsInteraction(); }))
        manager.cancel();
}

void CSchedulerApp::OnTermination()
{
    m_bTerminating = true;
    if (m_pMainWnd)
        m_pMainWnd->OnEndSession();
    // Whatever dialog or question is open, its loop ends with the window's,
    // and none opens afterwards: each road takes its way out.
    QCoreApplication::exit(0);
}

bool CSchedulerApp::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == qApp && event->type() == QEvent::Quit) {
        OnTermination();
        return true;
    }
    // The window tells when a dialog of its own that held up a request
    // has closed.
    if (watched == m_pMainWnd && event->type() == QEvent::WindowUnblocked && !m_pending.isEmpty())
        QTimer::singleShot(0, this, &CSchedulerApp::CarryOutPendingRequests);
    return QObject::eventFilter(watched, event);
}
