#include "schedulerdlg.h"
#include "ui_schedulerdlg.h"

#include "aboutdlg.h"
#include "commandids.h"
#include "resources.h"
#include "commandmap.h"
#include "datavalidation.h"
#include "eventlistctrl.h"
#include "eventtable.h"
#include "help.h"
#include "programdirectory.h"

#include <QCloseEvent>
#include <QDateTimeEdit>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLayout>
#include <QMenuBar>
#include <QProcess>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QShortcut>
#include <QStandardPaths>
#include <QToolBar>

// The schedule's count-down.
#include "countdown.h"
#include "playbackengine.h"
#include "scheduletick.h"
#include <QTimer>

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

        // File commands.
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

CSchedulerDlg::CSchedulerDlg(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CSchedulerDlg>())
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
    CreateCountDown();

    m_editPause->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_editPause));
    m_ui->clientArea->installEventFilter(this);

    OnCreate();
    OnInitDialog();
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

    // Help sits at the right end of the bar.
    auto *rightBar = new QMenuBar(m_pMenu);
    QMenu *help = rightBar->addMenu(QStringLiteral("Help"));
    addCommand(help, QStringLiteral("Help"), CommandId::Help);
    help->addSeparator();
    addCommand(help, QStringLiteral("About"), CommandId::AppAbout);
    m_pMenu->setCornerWidget(rightBar, Qt::TopRightCorner);

    for (QMenuBar *bar : {m_pMenu, rightBar})
        connect(bar, &QMenuBar::triggered, this, [this](QAction *action) {
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
    addCommand(m_pSystemMenu, QStringLiteral("Minimise"), SysCommand::Minimize);
    addCommand(m_pSystemMenu, QStringLiteral("Maximise"), SysCommand::Maximize);
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

    CreateMenuBar();
    // The template gives the client area's size; the menu bar comes on top.
    resize(m_ui->clientArea->width(), m_ui->clientArea->height() + m_pMenu->sizeHint().height());
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
    const PlayWindow window{m_btnPlayBetween->isChecked(), m_dtpFrom->dateTime(),
                            m_dtpTo->dateTime()};
    ScheduleTick(*m_events, *m_playback, window, QDateTime::currentDateTime(),
                 m_editPause->text());
    m_bInTimer = false;
}

void CSchedulerDlg::OnScheduleStart()
{
    EnableToolbarButton(CommandId::ScheduleStart, false);
    EnableToolbarButton(CommandId::ScheduleStop, true);
    // Starting a running timer again restarts its period.
    m_timerCountDown->start();
}

void CSchedulerDlg::OnScheduleStop()
{
    EnableToolbarButton(CommandId::ScheduleStart, true);
    EnableToolbarButton(CommandId::ScheduleStop, false);
    // A play in progress and its pause run to their end.
    m_playback->requestStop();
    m_timerCountDown->stop();
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
    return true;
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
    // The smallest size is that of the whole window, frame included; Qt
    // limits the inside, so the frame's share comes off.
    const QSize frame = frameGeometry().size() - geometry().size();
    setMinimumSize((MinimumOuterSize - frame).expandedTo(QSize(0, 0)));
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
    QDialog::showEvent(event);
    OnGetMinMaxInfo();
}
