#pragma once

#include "partlyreadfiles.h"

#include <QDateTime>
#include <QDialog>
#include <QIcon>
#include <QString>

#include <functional>
#include <memory>

class CEventListCtrl;
class DesktopConnector;
class EventTable;
class QCheckBox;
class QEventLoop;
class QDateTimeEdit;
class QFrame;
class QLineEdit;
class QMenu;
class QMenuBar;
class OuterMinimumSize;
class QToolBar;
class PlaybackEngine;
class QTimer;

namespace Ui {
class CSchedulerDlg;
}

// The main window: a resizable dialog with the menu bar, the toolbar, the
// event list and the controls for the pause and the play window. Its handlers
// read the controls and hand the work to the schedule, editor and file code.
class CSchedulerDlg : public QDialog
{
    Q_OBJECT

public:
    // `startupSchedule`, when given (from the command line), is opened at the
    // start instead of the schedule remembered in KQ.ini.
    explicit CSchedulerDlg(QWidget *parent = nullptr, const QString &startupSchedule = {});
    ~CSchedulerDlg() override;

    // Distance of the event list from the client area's edges.
    static constexpr int ListLeft = 130;
    static constexpr int ListTop = 50;
    static constexpr int ListRightMargin = 10;
    static constexpr int ListBottomMargin = 5;
    static constexpr QSize MinimumOuterSize{600, 370};
    static constexpr int RebarWidth = 950;

    // Runs the handler mapped to a menu or toolbar command id.
    void OnCommand(int id);
    // Runs a command of the window menu.
    void OnSysCommand(int id);

    // Closing, About and Help.
    void OnOK();
    void OnFileExit();
    void OnAppAbout();
    void OnHelp();

    // The schedule's count-down, Start and Stop.
    static constexpr int CountDownTimerId = 111;
    void OnTimer(int nIDEvent);
    void OnScheduleStart();
    void OnScheduleStop();
    bool isCountDownRunning() const;
    PlaybackEngine *playbackEngine() const { return m_playback.get(); }

    // Event commands.
    void OnEventAdd();
    void OnEventModify();
    void OnEventDelete();
    void OnEventDisable();
    void OnEventEnable();
    void OnListDblClk();
    void OnListKeyDown(int key);

    // File commands.
    void OnFileNew();
    void OnFileOpen();
    // Opens `path` as Open does once its file dialog has chosen it: asks
    // about unsaved changes first. False when the user kept the schedule.
    bool OpenScheduleFile(const QString &path);
    int OnFileSave();
    int OnFileSaveAs();
    int SaveSchedule(const QString &path);
    void LoadSchedule(const QString &path);
    int QuerySaveModified();
    void ReopenLastSchedule();
    QString schedulePath() const { return m_strSchedulePath; }

    // The toolbar's Start and Stop buttons are the only ones whose state
    // changes; the menu items stay enabled.
    void EnableToolbarButton(int id, bool enable);

    // Brings the window to the front, also from minimised or hidden.
    void RaiseWindow();
    // Hides the window into the tray: the program and its schedule run on.
    void HideToTray();
    bool isHiddenToTray() const { return m_bHiddenToTray; }

    // Runs the window modally until it ends, also through spells hidden in
    // the tray.
    int exec() override;

    // The end of the desktop session, or of the program from outside.
    // The session is about to end. When the schedule has unsaved changes,
    // the user is asked about them as the close box asks, the window coming
    // up for it (also from the tray), if `mayAsk` allows it (asked only
    // then); if not, the changes are kept in a recovery file. Then the
    // schedule in use is remembered for the next start. False when the user
    // cancelled: the session is to go on.
    bool OnQueryEndSession(const std::function<bool()> &mayAsk);
    // The program is made to end (a termination signal, the session's end):
    // the count-down and any play stop, unsaved changes the user has not
    // answered for are kept in a recovery file, the schedule in use is
    // remembered, and the window ends.
    void OnEndSession();
    // Tells the user, once, where an earlier run kept unsaved changes.
    void ShowRecoveredChanges();

    // The tray icon and the notifications of firing events.
    DesktopConnector *desktop() const { return m_desktop; }
    // The clock the count-down reads.
    void setClockForTesting(std::function<QDateTime()> clock) { m_clock = std::move(clock); }
    bool IsToolbarButtonEnabled(int id) const;

    CEventListCtrl *eventList() const { return m_listEvents; }
    EventTable *eventTable() const { return m_events; }
    QMenuBar *menuBar() const { return m_pMenu; }
    QToolBar *toolbar() const { return m_hWndToolbar; }
    QMenu *windowMenu() const { return m_pSystemMenu; }
    QWidget *clientArea() const;

    int isModified() const { return m_bModified; }

public slots:
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void OnCreate();
    void CreateRebar();
    QToolBar *CreateToolbar(QWidget *rebar);
    void OnInitDialog();
    bool DoDataExchange(bool saveAndValidate);
    void CreateMenuBar();
    void CreateWindowMenu();
    void OnSize();
    void OnGetMinMaxInfo();
    bool OnClose();
    void OnDestroy();
    void SetModified();
    void KeepUnsavedChanges();
    bool RunExternalAbout();

    // Event commands.
    void ToggleFocusedEvent();

    // File commands: Open's steps, with the file from `choosePath` (empty
    // gives up) asked for after the unsaved-changes question.
    bool OpenSchedule(const std::function<QString()> &choosePath);

    std::unique_ptr<Ui::CSchedulerDlg> m_ui;

    QMenuBar *m_pMenu = nullptr;
    QMenu *m_pSystemMenu = nullptr;
    int m_bModified = 0;
    // The user answered for the unsaved changes at the session's end (or
    // they were kept in a recovery file): the end asks and keeps nothing
    // more, until the next change.
    bool m_bEndAnswered = false;
    bool m_bEnding = false;
    bool m_bInTimer = false;
    QString m_strSchedulePath;
    QString m_strStartupSchedule;
    // Files read only in part, kept as they were before a save replaces them.
    PartlyReadFiles m_partlyRead;
    OuterMinimumSize *m_minimumSize = nullptr;
    QFrame *m_hWndRebar = nullptr;
    QToolBar *m_hWndToolbar = nullptr;

    // Controls bound by the data exchange.
    QCheckBox *m_btnPlayBetween = nullptr;
    QLineEdit *m_editPause = nullptr;
    QDateTimeEdit *m_dtpTo = nullptr;
    QDateTimeEdit *m_dtpFrom = nullptr;
    CEventListCtrl *m_listEvents = nullptr;
    EventTable *m_events = nullptr;

    // Values exchanged with the controls.
    int m_nPause = 0;
    int m_bPlayBetween = 0;
    QDateTime m_timeFrom;
    QDateTime m_timeTo;

    QIcon m_hIcon;

    // The schedule's count-down: timer 111 and the playback worker it starts.
    void CreateCountDown();
    QTimer *m_timerCountDown = nullptr;
    std::unique_ptr<PlaybackEngine> m_playback;
    std::function<QDateTime()> m_clock = &QDateTime::currentDateTime;

    // Life on the desktop.
    DesktopConnector *m_desktop = nullptr;
    bool m_bHiddenToTray = false;
    bool m_bHiddenDuringExec = false;
    bool m_bFinished = false;
    QEventLoop *m_hiddenLoop = nullptr;
};
