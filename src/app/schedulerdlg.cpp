#include "schedulerdlg.h"
#include "ui_schedulerdlg.h"

#include "aboutdlg.h"
#include "commandids.h"
#include "commandmap.h"
#include "countdown.h"
#include "datavalidation.h"
#include "desktopconnector.h"
#include "eventdlg.h"
#include "eventfields.h"
#include "eventlistctrl.h"
#include "eventtable.h"
#include "help.h"
#include "messagebox.h"
#include "outerminimumsize.h"
#include "playbackengine.h"
#include "profile.h"
#include "programdirectory.h"
#include "recoveryfiles.h"
#include "resources.h"
#include "rightalignedmenusstyle.h"
#include "schedulefile.h"
#include "schedulefiledialog.h"
#include "schedulepaths.h"
#include "scheduletick.h"

#include <QCloseEvent>
#include <QDateTimeEdit>
#include <QEventLoop>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLayout>
#include <QMenuBar>
#include <QProcess>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QShortcut>
#include <QStandardPaths>
#include <QTimer>
#include <QToolBar>

namespace {

const CommandMap<CSchedulerDlg> &commandMap()
{
    static const CommandMap<CSchedulerDlg> map{
        // Closing, About and Help.
        {CommandId::FileExit, [](CSchedulerDlg &d) { d.OnFileExit(); }},
        {CommandId::AppAbout, [](CSchedulerDlg &d) { d.OnAppAbout(); }},
        {CommandId::Help, [](CSchedulerDlg &d) { d.OnHelp(); }},

        // The schedule.
        {CommandId::ScheduleStart, [](CSchedulerDlg &d) { d.OnScheduleStart(); }},
        {CommandId::ScheduleStop, [](CSchedulerDlg &d) { d.OnScheduleStop(); }},

        // Event commands.
        {CommandId::EventAdd, [](CSchedulerDlg &d) { d.OnEventAdd(); }},
        {CommandId::EventModify, [](CSchedulerDlg &d) { d.OnEventModify(); }},
        {CommandId::EventDelete, [](CSchedulerDlg &d) { d.OnEventDelete(); }},
        {CommandId::EventDisable, [](CSchedulerDlg &d) { d.OnEventDisable(); }},
        {CommandId::EventEnable, [](CSchedulerDlg &d) { d.OnEventEnable(); }},

        // File commands.
        {CommandId::FileNew, [](CSchedulerDlg &d) { d.OnFileNew(); }},
        {CommandId::FileOpen, [](CSchedulerDlg &d) { d.OnFileOpen(); }},
        {CommandId::FileSave, [](CSchedulerDlg &d) { d.OnFileSave(); }},
        {CommandId::FileSaveAs, [](CSchedulerDlg &d) { d.OnFileSaveAs(); }},
    };
    return map;
}

// Text of the About item that the main window adds to its window menu.
const QString AboutMenuText = QStringLiteral("&About Parlowen...");

constexpr int ToolbarImageSize = 28;
constexpr int RebarHeight = 40;
constexpr QRgb ToolbarBackground = 0xFFC0C0C0;

// The toolbar's buttons and gaps, left to right: command id and image index,
// id 0 for a gap.
struct ToolbarEntry
{
    int id;
    int image;
};
constexpr ToolbarEntry ToolbarLayout[] = {
    {CommandId::FileNew, 1},       {CommandId::FileOpen, 0},    {CommandId::FileSave, 2},
    {0, 0},                        {CommandId::EventAdd, 3},    {CommandId::EventDelete, 4},
    {0, 0},                        {CommandId::ScheduleStart, 6}, {CommandId::ScheduleStop, 7},
    {0, 0},                        {CommandId::Help, 5},
};

// Names a screen reader gives the image-only toolbar buttons.
QString toolbarButtonName(int id)
{
    switch (id) {
    case CommandId::FileNew: return QStringLiteral("New");
    case CommandId::FileOpen: return QStringLiteral("Open");
    case CommandId::FileSave: return QStringLiteral("Save");
    case CommandId::EventAdd: return QStringLiteral("Add");
    case CommandId::EventDelete: return QStringLiteral("Delete");
    case CommandId::ScheduleStart: return QStringLiteral("Start");
    case CommandId::ScheduleStop: return QStringLiteral("Stop");
    case CommandId::Help: return QStringLiteral("Help");
    default: return {};
    }
}

QAction *addCommand(QMenu *menu, const QString &text, int id)
{
    QAction *action = menu->addAction(text);
    action->setData(id);
    return action;
}

} // namespace

CSchedulerDlg::CSchedulerDlg(QWidget *parent, const QString &startupSchedule)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CSchedulerDlg>())
    , m_strStartupSchedule(startupSchedule)
{
    InitResources();
    m_hIcon.addFile(QStringLiteral(":/images/appicon32.png"));
    m_hIcon.addFile(QStringLiteral(":/images/appicon16.png"));
    m_ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    // Modal for the program's own loop, yet it must not block the help
    // window, which is a top-level window of its own.
    setWindowModality(Qt::WindowModal);
    setSizeGripEnabled(true);

    // Bind the controls.
    m_btnPlayBetween = m_ui->checkPlayBetween;
    m_editPause = m_ui->editPause;
    m_dtpTo = m_ui->dtpTo;
    m_dtpFrom = m_ui->dtpFrom;
    m_listEvents = m_ui->listEvents;
    m_events = new EventTable(this);
    m_listEvents->setModel(m_events);
    connect(m_listEvents, &CEventListCtrl::doubleClickedList, this, &CSchedulerDlg::OnListDblClk);
    connect(m_listEvents, &CEventListCtrl::keyDown, this, &CSchedulerDlg::OnListKeyDown);

    CreateCountDown();

    m_editPause->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_editPause));
    m_ui->clientArea->installEventFilter(this);

    OnCreate();
    OnInitDialog();

    m_desktop = new DesktopConnector(this);
    connect(this, &QDialog::finished, this, [this] {
        m_bFinished = true;
        m_bHiddenToTray = false;
        if (m_hiddenLoop)
            m_hiddenLoop->quit();
    });
}

CSchedulerDlg::~CSchedulerDlg()
{
    OnDestroy();
}

QWidget *CSchedulerDlg::clientArea() const
{
    return m_ui->clientArea;
}

void CSchedulerDlg::OnCreate()
{
    CreateRebar();
}

void CSchedulerDlg::CreateRebar()
{
    // The strip along the top that holds the toolbar. It keeps its width
    // whatever the window's size; a narrow window clips it.
    m_hWndRebar = new QFrame(m_ui->clientArea);
    m_hWndRebar->setObjectName(QStringLiteral("rebar"));
    m_hWndRebar->setAccessibleName(QStringLiteral("Toolbar"));
    m_hWndRebar->setFrameShape(QFrame::Panel);
    m_hWndRebar->setFrameShadow(QFrame::Sunken);
    m_hWndRebar->setGeometry(0, 0, RebarWidth, RebarHeight);
    m_hWndRebar->lower();
    m_hWndToolbar = CreateToolbar(m_hWndRebar);
}

QToolBar *CSchedulerDlg::CreateToolbar(QWidget *rebar)
{
    QPixmap strip(QStringLiteral(":/images/toolbar.png"));
    strip.setMask(strip.createMaskFromColor(QColor::fromRgb(ToolbarBackground)));

    auto *toolbar = new QToolBar(rebar);
    toolbar->setObjectName(QStringLiteral("toolbar"));
    toolbar->setAccessibleName(QStringLiteral("Toolbar"));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->setIconSize(QSize(ToolbarImageSize, ToolbarImageSize));
    toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolbar->setContextMenuPolicy(Qt::PreventContextMenu);

    for (const ToolbarEntry &entry : ToolbarLayout) {
        if (entry.id == 0) {
            toolbar->addSeparator();
            continue;
        }
        const QPixmap image = strip.copy(entry.image * ToolbarImageSize, 0, ToolbarImageSize,
                                         ToolbarImageSize);
        // No text on the action, so that the button shows no tooltip.
        QAction *action = toolbar->addAction(QIcon(image), QString());
        action->setData(entry.id);
        if (QWidget *button = toolbar->widgetForAction(action)) {
            button->setAccessibleName(toolbarButtonName(entry.id));
            button->setObjectName(QStringLiteral("toolbutton%1").arg(entry.id));
        }
        connect(action, &QAction::triggered, this, [this, id = entry.id] { OnCommand(id); });
    }

    const int frame = rebar->contentsRect().top();
    toolbar->setGeometry(frame + 2, frame, RebarWidth - 2 * frame - 4, RebarHeight - 2 * frame);
    return toolbar;
}

void CSchedulerDlg::CreateMenuBar()
{
    m_pMenu = new QMenuBar(this);
    m_pMenu->setAccessibleName(QStringLiteral("Menu"));

    QMenu *file = m_pMenu->addMenu(QStringLiteral("&File"));
    addCommand(file, QStringLiteral("New"), CommandId::FileNew);
    addCommand(file, QStringLiteral("Open"), CommandId::FileOpen);
    file->addSeparator();
    addCommand(file, QStringLiteral("Save"), CommandId::FileSave);
    addCommand(file, QStringLiteral("Save As"), CommandId::FileSaveAs);
    file->addSeparator();
    addCommand(file, QStringLiteral("Exit"), CommandId::FileExit);

    QMenu *event = m_pMenu->addMenu(QStringLiteral("Event"));
    addCommand(event, QStringLiteral("Add"), CommandId::EventAdd);
    addCommand(event, QStringLiteral("Mofify"), CommandId::EventModify);
    addCommand(event, QStringLiteral("Delete"), CommandId::EventDelete);
    event->addSeparator();
    addCommand(event, QStringLiteral("Disable"), CommandId::EventDisable);
    addCommand(event, QStringLiteral("Enable"), CommandId::EventEnable);

    QMenu *parlo = m_pMenu->addMenu(QStringLiteral("Parlo"));
    addCommand(parlo, QStringLiteral("Start"), CommandId::ScheduleStart);
    addCommand(parlo, QStringLiteral("Stop"), CommandId::ScheduleStop);

    // Help sits at the right end of the same bar: the menus after a
    // separator go there (see RightAlignedMenusStyle), and the arrow keys
    // and a desktop's global menu reach it like the others.
    m_pMenu->addSeparator();
    QMenu *help = m_pMenu->addMenu(QStringLiteral("Help"));
    addCommand(help, QStringLiteral("Help"), CommandId::Help);
    help->addSeparator();
    addCommand(help, QStringLiteral("About"), CommandId::AppAbout);
    auto *style = new RightAlignedMenusStyle;
    style->setParent(m_pMenu);
    m_pMenu->setStyle(style);

    connect(m_pMenu, &QMenuBar::triggered, this, [this](QAction *action) {
        if (const int id = CommandIdOf(action))
            OnCommand(id);
    });

    layout()->setMenuBar(m_pMenu);
}

void CSchedulerDlg::CreateWindowMenu()
{
    // The window manager owns the title bar's menu, so the window offers its
    // own: on a right click on its background, and on Alt+Space.
    m_pSystemMenu = new QMenu(this);
    m_pSystemMenu->setAccessibleName(QStringLiteral("Window menu"));
    QAction *restore = addCommand(m_pSystemMenu, QStringLiteral("Restore"), SysCommand::Restore);
    addCommand(m_pSystemMenu, QStringLiteral("Minimise"), SysCommand::Minimize);
    QAction *maximise = addCommand(m_pSystemMenu, QStringLiteral("Maximise"), SysCommand::Maximize);
    // What the window's state allows, as a title bar's own menu shows it.
    connect(m_pSystemMenu, &QMenu::aboutToShow, this, [this, restore, maximise] {
        const bool maximised = isMaximized();
        restore->setEnabled(maximised || isMinimized());
        maximise->setEnabled(!maximised);
    });
    addCommand(m_pSystemMenu, QStringLiteral("Close"), SysCommand::Close);
    if (!AboutMenuText.isEmpty()) {
        m_pSystemMenu->addSeparator();
        addCommand(m_pSystemMenu, AboutMenuText, SysCommand::About);
    }
    connect(m_pSystemMenu, &QMenu::triggered, this,
            [this](QAction *action) { OnSysCommand(CommandIdOf(action)); });

    auto *shortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
    connect(shortcut, &QShortcut::activated, this,
            [this] { m_pSystemMenu->popup(mapToGlobal(QPoint(0, 0))); });
}

bool CSchedulerDlg::DoDataExchange(bool saveAndValidate)
{
    if (!saveAndValidate) {
        m_editPause->setText(QString::number(m_nPause));
        m_btnPlayBetween->setChecked(m_bPlayBetween != 0);
        m_dtpFrom->setDateTime(m_timeFrom);
        m_dtpTo->setDateTime(m_timeTo);
        return true;
    }
    const std::optional<int> pause = ReadIntegerInRange(m_editPause, 0, 99);
    if (!pause)
        return false;
    m_nPause = *pause;
    m_bPlayBetween = m_btnPlayBetween->isChecked() ? 1 : 0;
    m_timeFrom = m_dtpFrom->dateTime();
    m_timeTo = m_dtpTo->dateTime();
    return true;
}

void CSchedulerDlg::OnInitDialog()
{
    DoDataExchange(false);

    CreateWindowMenu();

    // Both ends of the play window start at today's date and the time of
    // start-up; only the time of day can be changed.
    const QDateTime now = QDateTime::currentDateTime();
    for (QDateTimeEdit *picker : {m_dtpFrom, m_dtpTo}) {
        picker->setDateTime(now);
        picker->setCurrentSection(QDateTimeEdit::HourSection);
    }

    // The layout's size is the client area's; the menu bar comes on top.
    const QSize clientSize = size();
    CreateMenuBar();
    resize(clientSize.width(), clientSize.height() + m_pMenu->sizeHint().height());
    if (QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());

    setWindowIcon(m_hIcon);

    EnableToolbarButton(CommandId::ScheduleStart, true);
    EnableToolbarButton(CommandId::ScheduleStop, false);

    QPixmap images(QStringLiteral(":/images/eventstate.png"));
    images.setMask(images.createMaskFromColor(Qt::white));
    m_listEvents->setImageStrip(images);
    m_listEvents->SetHighlightMode(CEventListCtrl::HighlightColumns);
    // A right click on the list is not one on the window's background.
    m_listEvents->setContextMenuPolicy(Qt::PreventContextMenu);
    QPalette palette = m_listEvents->palette();
    palette.setColor(QPalette::Base, Qt::white);
    m_listEvents->setPalette(palette);
    for (int column = 0; column < EventTable::ColumnCount; ++column) {
        m_listEvents->setColumnWidth(column, 100);
        m_listEvents->setColumnAlignment(column, Qt::AlignLeft);
    }

    OnGetMinMaxInfo();
    OnSize();

    if (m_strStartupSchedule.isEmpty())
        ReopenLastSchedule();
    else
        LoadSchedule(m_strStartupSchedule);
}

void CSchedulerDlg::OnCommand(int id)
{
    commandMap().dispatch(*this, id);
}

void CSchedulerDlg::OnSysCommand(int id)
{
    switch (id & 0xFFF0) {
    case SysCommand::About:
        if (!RunExternalAbout()) {
            CAboutDlg about(this);
            about.exec();
        }
        break;
    case SysCommand::Minimize:
        showMinimized();
        break;
    case SysCommand::Maximize:
        showMaximized();
        break;
    case SysCommand::Restore:
        showNormal();
        break;
    case SysCommand::Close:
        close();
        break;
    default:
        break;
    }
}

bool CSchedulerDlg::RunExternalAbout()
{
    // Looked for beside the program first, then on PATH; started directly,
    // without a shell.
    QString program = ProgramDirectory() + QStringLiteral("AboutKQ");
    if (!QFileInfo(program).isExecutable())
        program = QStandardPaths::findExecutable(QStringLiteral("AboutKQ"));
    return !program.isEmpty() && QProcess::startDetached(program, {});
}

void CSchedulerDlg::OnOK()
{
    if (DoDataExchange(true))
        done(IdOk);
}

void CSchedulerDlg::OnFileExit()
{
    done(IdOk);
}

void CSchedulerDlg::OnAppAbout()
{
    CAboutDlg about(this);
    about.exec();
}

void CSchedulerDlg::OnHelp()
{
    Help::ShowContents(this);
}

// Event commands.

void CSchedulerDlg::OnEventAdd()
{
    CEventDlg editor(this);
    editor.setFields(NewEventFields(Profile::ReadString(
        QStringLiteral("Last"), QStringLiteral("FileName"), SchedulePaths::DefaultWavePath())));
    if (editor.exec() != IdOk)
        return;
    SetModified();
    m_events->insertAtTop(QList<EventRow>{EventRow{EventCells(editor.fields())}});
}

void CSchedulerDlg::OnEventModify()
{
    // Without a focused row there is nothing to modify, so no editor opens.
    const int row = m_listEvents->focusedRow();
    if (row < 0 || row >= m_events->rowCount())
        return;
    CEventDlg editor(this);
    editor.m_strCaption = QStringLiteral("Modify Event");
    editor.setFields(EventFieldsFromRow(m_events->row(row)));
    if (editor.exec() != IdOk)
        return;
    SetModified();
    // Written over whatever the row holds now: "Start in" goes back to the
    // full interval.
    const auto cells = EventCells(editor.fields());
    for (int column = 0; column < EventTable::ColumnCount; ++column)
        m_events->setText(row, column, cells[column]);
}

void CSchedulerDlg::OnEventDelete()
{
    // From the last row up, so the rows still to visit keep their indexes.
    const QList<int> rows = m_listEvents->selectedRows();
    for (auto it = rows.crbegin(); it != rows.crend(); ++it) {
        m_events->removeRow(*it);
        SetModified();
    }
    m_listEvents->viewport()->update();
}

void CSchedulerDlg::OnEventDisable()
{
    const int row = m_listEvents->focusedRow();
    if (row >= 0)
        m_events->setImageIndex(row, EventTable::DisabledImage);
}

void CSchedulerDlg::OnEventEnable()
{
    const int row = m_listEvents->focusedRow();
    if (row >= 0)
        m_events->setImageIndex(row, EventTable::EnabledImage);
}

void CSchedulerDlg::ToggleFocusedEvent()
{
    const int row = m_listEvents->focusedRow();
    if (row < 0)
        return;
    m_events->setImageIndex(row, m_events->isEnabled(row) ? EventTable::DisabledImage
                                                          : EventTable::EnabledImage);
    SetModified();
}

void CSchedulerDlg::OnListDblClk()
{
    // Left of the label lies the row's enabled/disabled image.
    if (m_listEvents->m_ptLastMouse.x() < m_listEvents->labelLeft())
        ToggleFocusedEvent();
    else
        OnEventModify();
}

void CSchedulerDlg::OnListKeyDown(int key)
{
    if (key == Qt::Key_Delete)
        OnEventDelete();
    else if (key == Qt::Key_Insert)
        OnEventAdd();
}

// Schedule files: New, Open, Save, Save As, and the schedule kept across starts.
void CSchedulerDlg::OnFileNew()
{
    if (m_bModified != 0 && QuerySaveModified() == 0)
        return;
    m_events->clear();
    // A fresh schedule counts as unsaved until it has been given a file.
    SetModified();
    m_strSchedulePath = SchedulePaths::UnnamedPath();
    setWindowTitle(SchedulePaths::WindowTitle(m_strSchedulePath));
}

void CSchedulerDlg::OnFileOpen()
{
    OpenSchedule([this] {
        return ScheduleFileDialog::Ask(this, ScheduleFileDialog::Kind::Open, m_strSchedulePath);
    });
}

bool CSchedulerDlg::OpenScheduleFile(const QString &path)
{
    return OpenSchedule([&path] { return path; });
}

bool CSchedulerDlg::OpenSchedule(const std::function<QString()> &choosePath)
{
    if (m_bModified != 0 && QuerySaveModified() == 0)
        return false;
    const QString path = choosePath();
    if (path.isEmpty())
        return false;
    m_events->clear();
    LoadSchedule(path);
    return true;
}

int CSchedulerDlg::OnFileSave()
{
    // Without a name of its own (or with none at all) the schedule needs one.
    if (m_strSchedulePath.isEmpty() || SchedulePaths::IsUnnamed(m_strSchedulePath))
        return OnFileSaveAs();
    return SaveSchedule(m_strSchedulePath);
}

int CSchedulerDlg::OnFileSaveAs()
{
    const QString path =
        ScheduleFileDialog::Ask(this, ScheduleFileDialog::Kind::SaveAs, m_strSchedulePath);
    if (path.isEmpty() || SaveSchedule(path) == 0)
        return 0;
    setWindowTitle(SchedulePaths::WindowTitle(path));
    m_strSchedulePath = path;
    return 1;
}

int CSchedulerDlg::SaveSchedule(const QString &path)
{
    QString kept;
    const ScheduleFile::SaveResult result = ScheduleFile::Save(
        *m_events, path, {}, [&] { return m_partlyRead.keepBeforeReplacing(path, &kept); });
    if (!result.saved) {
        // The changes are still only in the window: keep them marked as such.
        ShowMessageBox(this,
                       QStringLiteral("The schedule could not be saved to %1:\n%2")
                           .arg(path, result.error),
                       QStringLiteral("Warning"));
        return 0;
    }
    m_partlyRead.replaced(path);
    m_bModified = 0;
    if (!kept.isEmpty())
        ShowMessageBox(this,
                       QStringLiteral("The schedule was saved to %1.\n\nThat file had not been read "
                                      "completely when it was opened, so the file as it was before "
                                      "is kept as %2.")
                           .arg(path, kept),
                       {}, QMessageBox::Ok, QMessageBox::Information);
    return 1;
}

void CSchedulerDlg::LoadSchedule(const QString &path)
{
    m_strSchedulePath = path;
    const ScheduleFile::LoadResult result = ScheduleFile::Load(path, SchedulePaths::WaveDirectories());
    m_events->insertAtTop(result.rows);
    m_partlyRead.noteRead(path, result.complete);
    if (!result.complete) {
        // The events read before the bad record stay; the title and the
        // modified flag still describe what was there before. The file is
        // kept as it is before a save replaces it.
        ShowMessageBox(this, QStringLiteral("This File is Invalid"), QStringLiteral("Warning"));
        return;
    }
    setWindowTitle(SchedulePaths::WindowTitle(path));
    m_bModified = 0;
}

int CSchedulerDlg::QuerySaveModified()
{
    switch (ShowMessageBox(this, QStringLiteral("This document has been modified\n\n\rDo you want to save"),
                           QStringLiteral("Warning"),
                           QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        return OnFileSave();
    case QMessageBox::No:
        return 1;
    default:
        return 0;
    }
}

void CSchedulerDlg::ReopenLastSchedule()
{
    const QString path = SchedulePaths::ReadLast();
    if (!path.isEmpty())
        LoadSchedule(path);
}

// Schedule engine: the count-down tick, Start and Stop.
void CSchedulerDlg::CreateCountDown()
{
    m_playback = std::make_unique<PlaybackEngine>(m_events);
    m_timerCountDown = new QTimer(this);
    m_timerCountDown->setInterval(1000);
    connect(m_timerCountDown, &QTimer::timeout, this, [this] { OnTimer(CountDownTimerId); });
}

void CSchedulerDlg::OnTimer(int nIDEvent)
{
    Q_UNUSED(nIDEvent);
    if (m_bInTimer)
        return;
    m_bInTimer = true;
    const QDateTime now = m_clock();
    // The pickers show a time of day: from the first tick of a new day on
    // they stand for that day's. (setDate() would first pin a time-only
    // picker to the new day's midnight, losing the time.)
    for (QDateTimeEdit *picker : {m_dtpFrom, m_dtpTo})
        if (picker->date() != now.date())
            picker->setDateTime(QDateTime(now.date(), picker->time()));
    const PlayWindow window{m_btnPlayBetween->isChecked(), m_dtpFrom->dateTime(),
                            m_dtpTo->dateTime()};
    const TickResult tick =
        ScheduleTick(*m_events, *m_playback, window, now, m_editPause->text());
    if (tick.firedRow >= 0)
        m_desktop->eventFired(tick.firedRow);
    m_bInTimer = false;
}

void CSchedulerDlg::OnScheduleStart()
{
    EnableToolbarButton(CommandId::ScheduleStart, false);
    EnableToolbarButton(CommandId::ScheduleStop, true);
    // Starting a running timer again restarts its period.
    m_timerCountDown->start();
    m_desktop->statusChanged();
}

void CSchedulerDlg::OnScheduleStop()
{
    EnableToolbarButton(CommandId::ScheduleStart, true);
    EnableToolbarButton(CommandId::ScheduleStop, false);
    // A play in progress and its pause run to their end.
    m_playback->requestStop();
    m_timerCountDown->stop();
    m_desktop->statusChanged();
}

bool CSchedulerDlg::isCountDownRunning() const
{
    return m_timerCountDown->isActive();
}

void CSchedulerDlg::reject()
{
    done(IdCancel);
}

bool CSchedulerDlg::OnClose()
{
    if (m_bModified == 1 && QuerySaveModified() == 0)
        return false;
    SchedulePaths::WriteLast(m_strSchedulePath);
    return true;
}

void CSchedulerDlg::SetModified()
{
    m_bModified = 1;
    m_bEndAnswered = false;
}

bool CSchedulerDlg::OnQueryEndSession(const std::function<bool()> &mayAsk)
{
    if (m_bModified == 1 && !m_bEndAnswered) {
        if (mayAsk()) {
            // The question belongs to a window on screen.
            RaiseWindow();
            if (QuerySaveModified() == 0)
                return false;
        } else {
            KeepUnsavedChanges();
        }
    }
    m_bEndAnswered = true;
    SchedulePaths::WriteLast(m_strSchedulePath);
    return true;
}

void CSchedulerDlg::OnEndSession()
{
    if (m_bEnding)
        return;
    m_bEnding = true;
    m_timerCountDown->stop();
    m_playback->shutdown();
    if (m_bModified == 1 && !m_bEndAnswered)
        KeepUnsavedChanges();
    // The user's own file, as the close box records it: the next start
    // reopens the schedule as it was last saved, and the next Save goes
    // where the user meant it to. The recovery file is announced instead.
    SchedulePaths::WriteLast(m_strSchedulePath);
    done(IdCancel);
}

void CSchedulerDlg::KeepUnsavedChanges()
{
    // Nobody can be asked: the schedule as it stands goes to a file of its
    // own, never over the user's file, which the user did not agree to.
    QString kept;
    const ScheduleFile::SaveResult result =
        RecoveryFiles::Keep(*m_events, m_strSchedulePath, m_clock(), &kept);
    if (result.saved)
        qInfo("parlowen: unsaved changes kept in %s", qPrintable(kept));
    else
        qWarning("parlowen: the unsaved changes could not be kept in %s: %s",
                 qPrintable(RecoveryFiles::Folder()), qPrintable(result.error));
}

void CSchedulerDlg::ShowRecoveredChanges()
{
    const QStringList files = RecoveryFiles::Unannounced();
    if (files.isEmpty())
        return;
    const QString text =
        files.size() == 1
            ? QStringLiteral("Parlowen was ended while the schedule had unsaved changes. They "
                             "were kept in:\n\n%1\n\nTo see them, open that file with File > "
                             "Open; to keep them, save it where you want them.")
            : QStringLiteral("Parlowen was ended while schedules had unsaved changes. They were "
                             "kept in:\n\n%1\n\nTo see them, open each file with File > Open; "
                             "to keep them, save it where you want them.");
    ShowMessageBox(this, text.arg(files.join(u'\n')), {}, QMessageBox::Ok,
                   QMessageBox::Information);
    RecoveryFiles::MarkAnnounced(files);
}

void CSchedulerDlg::OnDestroy()
{
    // A playing event must not outlive the list it reads its wave file from.
    m_timerCountDown->stop();
    m_playback->shutdown();
    Help::Quit();
}

void CSchedulerDlg::EnableToolbarButton(int id, bool enable)
{
    if (!m_hWndToolbar)
        return;
    for (QAction *action : m_hWndToolbar->actions())
        if (CommandIdOf(action) == id)
            action->setEnabled(enable);
}

void CSchedulerDlg::RaiseWindow()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void CSchedulerDlg::HideToTray()
{
    m_bHiddenToTray = true;
    m_bHiddenDuringExec = true;
    hide();
}

int CSchedulerDlg::exec()
{
    // The program ends with this window, not with its last visible one:
    // hidden in the tray, a message box that closes is the last.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    m_bFinished = false;
    for (;;) {
        m_bHiddenDuringExec = false;
        const int result = QDialog::exec();
        // Qt ends exec() whenever the dialog hides. Hidden in the tray the
        // window has not ended: wait, the count-down ticking, until it is
        // shown again (exec() once more) or ends.
        if (m_bFinished || !m_bHiddenDuringExec)
            return result;
        if (m_bHiddenToTray) {
            QEventLoop hidden;
            m_hiddenLoop = &hidden;
            hidden.exec();
            m_hiddenLoop = nullptr;
        }
        if (m_bFinished)
            return this->result();
    }
}

bool CSchedulerDlg::IsToolbarButtonEnabled(int id) const
{
    if (m_hWndToolbar)
        for (QAction *action : m_hWndToolbar->actions())
            if (CommandIdOf(action) == id)
                return action->isEnabled();
    return false;
}

void CSchedulerDlg::OnSize()
{
    const QRect client = m_ui->clientArea->rect();
    m_listEvents->setGeometry(client.left() + ListLeft, client.top() + ListTop,
                              std::max(0, client.width() - ListLeft - ListRightMargin),
                              std::max(0, client.height() - ListTop - ListBottomMargin));
}

void CSchedulerDlg::OnGetMinMaxInfo()
{
    // The smallest size is that of the whole window, frame included, set
    // once the frame is known and again when it changes.
    if (!m_minimumSize)
        m_minimumSize = new OuterMinimumSize(this, MinimumOuterSize);
}

bool CSchedulerDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->clientArea && event->type() == QEvent::Resize)
        OnSize();
    return QDialog::eventFilter(watched, event);
}

void CSchedulerDlg::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            OnOK();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

void CSchedulerDlg::closeEvent(QCloseEvent *event)
{
    if (!OnClose()) {
        event->ignore();
        return;
    }
    event->accept();
    done(IdCancel);
}

void CSchedulerDlg::contextMenuEvent(QContextMenuEvent *event)
{
    m_pSystemMenu->popup(event->globalPos());
}

void CSchedulerDlg::showEvent(QShowEvent *event)
{
    if (m_bHiddenToTray) {
        m_bHiddenToTray = false;
        if (m_hiddenLoop)
            m_hiddenLoop->quit();
    }
    QDialog::showEvent(event);
}
