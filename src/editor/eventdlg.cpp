#include "eventdlg.h"
#include "ui_eventdlg.h"

#include "commandids.h"
#include "fieldsizevalidator.h"
#include "help.h"
#include "messagebox.h"
#include "profile.h"
#include "repetitionmath.h"
#include "speechfile.h"
#include "speechsynthesizer.h"
#include "timetext.h"
#include "updowncontrol.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QLocale>
#include <QRegularExpressionValidator>

namespace {
void writeText(QLineEdit *edit, const QString &text)
{
    // Leaves an unchanged edit alone, so its cursor does not jump while the
    // user types into it and the other repetition value is recomputed.
    if (edit->text() != text)
        edit->setText(text);
}
} // namespace

CEventDlg::CEventDlg(QWidget *parent)
    : QDialog(parent)
    , m_strCaption(QStringLiteral("Add Event"))
    , m_ui(std::make_unique<Ui::CEventDlg>())
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(size());
    // Blocks the main window only: the help window, a top-level window of
    // its own, stays usable while an event is edited.
    setWindowModality(Qt::WindowModal);

    m_btnStop = m_ui->buttonStop;
    m_btnRecord = m_ui->buttonRecord;
    m_btnPlay = m_ui->buttonPlay;
    m_spinRepCount = m_ui->spinRepCount;
    m_spinRepSec = m_ui->spinRepSec;
    m_spinRepMin = m_ui->spinRepMin;
    m_spinRepHour = m_ui->spinRepHour;
    m_spinIntervalSec = m_ui->spinIntervalSec;
    m_spinIntervalMin = m_ui->spinIntervalMin;
    m_spinIntervalHour = m_ui->spinIntervalHour;
    m_radioCount = m_ui->radioCount;
    m_radioLength = m_ui->radioLength;

    // The name goes into one field of the schedule file and must fit it.
    m_ui->editEventName->setValidator(new FieldSizeValidator(m_ui->editEventName));

    const QRegularExpression digits(QStringLiteral("[0-9]*"));
    for (QLineEdit *edit : {m_ui->editIntervalHour, m_ui->editIntervalMin, m_ui->editIntervalSec,
                            m_ui->editRepHour, m_ui->editRepMin, m_ui->editRepSec, m_ui->editRepCount})
        edit->setValidator(new QRegularExpressionValidator(digits, edit));

    // Only the user's changes recompute: typing, or a step of an up-down.
    for (QLineEdit *edit : {m_ui->editRepHour, m_ui->editRepMin, m_ui->editRepSec})
        connect(edit, &QLineEdit::textEdited, this, &CEventDlg::OnChangeRepLength);
    for (UpDownControl *spin : {m_spinRepHour, m_spinRepMin, m_spinRepSec})
        connect(spin, &UpDownControl::buddyEdited, this, &CEventDlg::OnChangeRepLength);
    connect(m_ui->editRepCount, &QLineEdit::textEdited, this, &CEventDlg::OnChangeRepCount);
    connect(m_spinRepCount, &UpDownControl::buddyEdited, this, &CEventDlg::OnChangeRepCount);

    connect(m_ui->buttonOpenNew, &QPushButton::clicked, this, &CEventDlg::OnOpenNew);
    connect(m_radioCount, &QRadioButton::clicked, this, &CEventDlg::OnRadioCount);
    connect(m_radioLength, &QRadioButton::clicked, this, &CEventDlg::OnRadioLength);
    connect(m_ui->buttonOk, &QPushButton::clicked, this, &CEventDlg::OnOK);
    connect(m_ui->buttonCancel, &QPushButton::clicked, this, &CEventDlg::OnCancel);
    connect(m_ui->buttonHelp, &QPushButton::clicked, this, &CEventDlg::OnHelp);
    connect(m_btnPlay, &QPushButton::clicked, this, &CEventDlg::OnPlay);
    connect(m_btnRecord, &QPushButton::clicked, this, &CEventDlg::OnRecord);
    connect(m_btnStop, &QPushButton::clicked, this, &CEventDlg::OnStop);
    connect(m_ui->buttonSpeak, &QPushButton::clicked, this, &CEventDlg::OnSpeak);

    m_timerPosition.setInterval(250);
    connect(&m_timerPosition, &QTimer::timeout, this, [this] { OnTimer(PositionTimerId); });
}

CEventDlg::~CEventDlg() = default;

EventFields CEventDlg::fields() const
{
    EventFields f;
    f.eventName = m_strEventName;
    f.waveFile = m_strWaveFile;
    f.repCount = m_strRepCount;
    f.intervalHour = m_strIntervalHour;
    f.intervalMin = m_strIntervalMin;
    f.intervalSec = m_strIntervalSec;
    f.repHour = m_strRepHour;
    f.repMin = m_strRepMin;
    f.repSec = m_strRepSec;
    f.countMode = m_bCountMode;
    return f;
}

void CEventDlg::setFields(const EventFields &f)
{
    m_strEventName = f.eventName;
    m_strWaveFile = f.waveFile;
    m_strRepCount = f.repCount;
    m_strIntervalHour = f.intervalHour;
    m_strIntervalMin = f.intervalMin;
    m_strIntervalSec = f.intervalSec;
    m_strRepHour = f.repHour;
    m_strRepMin = f.repMin;
    m_strRepSec = f.repSec;
    m_bCountMode = f.countMode;
}

void CEventDlg::UpdateData(bool saveAndValidate)
{
    DoDataExchange(saveAndValidate);
}

void CEventDlg::DoDataExchange(bool saveAndValidate)
{
    const std::pair<QLineEdit *, QString *> edits[] = {
        {m_ui->editEventName, &m_strEventName},     {m_ui->editWaveFile, &m_strWaveFile},
        {m_ui->editRepCount, &m_strRepCount},       {m_ui->editIntervalHour, &m_strIntervalHour},
        {m_ui->editIntervalMin, &m_strIntervalMin}, {m_ui->editIntervalSec, &m_strIntervalSec},
        {m_ui->editRepHour, &m_strRepHour},         {m_ui->editRepMin, &m_strRepMin},
        {m_ui->editRepSec, &m_strRepSec},
    };
    const std::pair<QLabel *, QString *> statics[] = {
        {m_ui->labelCurrent, &m_strCurrent},
        {m_ui->labelLength, &m_strLength},
    };
    if (saveAndValidate) {
        for (const auto &[edit, member] : edits)
            *member = edit->text();
        for (const auto &[label, member] : statics)
            *member = label->text();
    } else {
        for (const auto &[edit, member] : edits)
            writeText(edit, *member);
        for (const auto &[label, member] : statics)
            label->setText(*member);
    }
}

void CEventDlg::OnInitDialog()
{
    UpdateData(false);
    setWindowTitle(m_strCaption);

    m_spinIntervalSec->setRange(0, 59);
    m_spinIntervalMin->setRange(0, 59);
    m_spinIntervalHour->setRange(0, 23);
    m_spinRepSec->setRange(0, 59);
    m_spinRepMin->setRange(0, 59);
    m_spinRepHour->setRange(0, 23);
    m_spinRepCount->setRange(1, 9999);

    (m_bCountMode ? m_radioCount : m_radioLength)->setChecked(true);
    InitSpeech();
    m_ui->editEventName->setFocus();
    // Opening the wave may take a moment, or ask a question: the dialog is
    // on screen first.
    QMetaObject::invokeMethod(this, &CEventDlg::OnOpenDevice, Qt::QueuedConnection);
}

void CEventDlg::OnRadioCount()
{
    m_bCountMode = 1;
}

void CEventDlg::OnRadioLength()
{
    m_bCountMode = 0;
}

void CEventDlg::OnChangeRepLength()
{
    CountFromLength();
}

void CEventDlg::OnChangeRepCount()
{
    LengthFromCount();
}

void CEventDlg::CountFromLength()
{
    if (!m_bDeviceOpen)
        return;
    UpdateData(true);
    m_strRepCount = QString::number(RepetitionCountForLength(
        LeadingNumber(m_strRepHour), LeadingNumber(m_strRepMin), LeadingNumber(m_strRepSec),
        m_dwWaveLength));
    UpdateData(false);
}

void CEventDlg::LengthFromCount()
{
    if (!m_bDeviceOpen)
        return;
    UpdateData(true);
    const RepetitionLength length = RepetitionLengthForCount(LeadingNumber(m_strRepCount), m_dwWaveLength);
    m_strRepHour = QString::number(length.hours);
    m_strRepMin = QString::number(length.minutes);
    m_strRepSec = QString::number(length.seconds);
    UpdateData(false);
}

void CEventDlg::OnOpenNew()
{
    UpdateData(true);
    // Not the desktop's own dialog: that one may refuse a file that does
    // not exist yet, and a new name is how a new recording is made.
    QFileDialog dialog(this);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("wav"));
    dialog.selectFile(QStringLiteral("*.wav"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    SwitchToWaveFile(dialog.selectedFiles().constFirst());
}

void CEventDlg::SwitchToWaveFile(const QString &path)
{
    m_strWaveFile = path;
    UpdateData(false);
    // The file edit is read-only, so no change of the user's calls this.
    OnChangeWaveFile();
    ShowSpeechOf(m_strWaveFile);
}

void CEventDlg::OnOK()
{
    UpdateData(true);
    // Exact comparison: a name of blanks is a name.
    if (m_strEventName.isEmpty()) {
        ShowMessageBox(this, QStringLiteral("You have to specify an Event Name"),
                       QStringLiteral("Warning"));
        return;
    }
    CloseDevice();
    UpdateData(true);
    done(IdOk);
}

void CEventDlg::OnCancel()
{
    CloseDevice();
    done(IdCancel);
}

void CEventDlg::OnClose()
{
    // Closing the window keeps a running take; Cancel would drop it.
    if (m_bDeviceOpen)
        OnStop();
    OnCancel();
}

void CEventDlg::OnHelp()
{
    Help::ShowContents(this);
}

void CEventDlg::accept()
{
    OnOK();
}

void CEventDlg::reject()
{
    OnCancel();
}

void CEventDlg::showEvent(QShowEvent *event)
{
    // A window shown again after being minimised is no new start.
    if (!event->spontaneous())
        OnInitDialog();
    QDialog::showEvent(event);
}

void CEventDlg::closeEvent(QCloseEvent *event)
{
    OnClose();
    event->accept();
}

void CEventDlg::customEvent(QEvent *event)
{
    if (event->type() == WaveNotifyEvent::eventType()) {
        const auto *notify = static_cast<WaveNotifyEvent *>(event);
        OnMciNotify(notify->code(), notify->deviceId());
        return;
    }
    QDialog::customEvent(event);
}

// The wave device: preview, recording and creation of the event's file.

void CEventDlg::OnOpenDevice()
{
    // Once only, and not for a dialog that ended before it got here.
    if (m_bDeviceOpen || !isVisible())
        return;
    OpenOrCreate();
    m_bDeviceOpen = 1;
    UpdatePosition();
    RecomputeByMode();
    m_timerPosition.start();
}

void CEventDlg::OpenOrCreate()
{
    WaveDevice::DeviceId id = 0;
    const unsigned error = m_waveDevice.open(m_strWaveFile, &id);
    // Only a missing file is made: a file that is there but cannot be read
    // is still the user's, and an empty take must not replace it.
    if (error == WaveDevice::ErrorFileNotFound) {
        CreateWaveFile(m_strWaveFile);
        id = 0;
        ShowMciError(m_waveDevice.open(m_strWaveFile, &id));
    } else {
        ShowMciError(error);
    }
    m_wDeviceID = id;
}

void CEventDlg::CreateWaveFile(const QString &fileName)
{
    // An empty new wave saved as it is: the file is the same as an empty
    // take, without opening the microphone (which may not be there) to
    // record nothing.
    WaveDevice::DeviceId id = 0;
    ShowMciError(m_waveDevice.open(QString(), &id));
    m_wDeviceID = id;
    ShowMciError(m_waveDevice.save(m_wDeviceID, fileName));
    ShowMciError(m_waveDevice.close(m_wDeviceID));
}

void CEventDlg::OnChangeWaveFile()
{
    if (!m_bDeviceOpen)
        return;
    UpdateData(true);
    // A take not yet stopped is dropped with the old file.
    ShowMciError(m_waveDevice.stop(m_wDeviceID));
    m_btnStop->setEnabled(false);
    m_btnPlay->setEnabled(true);
    m_btnRecord->setEnabled(true);
    ShowMciError(m_waveDevice.close(m_wDeviceID));
    OpenOrCreate();
    ShowMciError(m_waveDevice.setTimeFormat(m_wDeviceID, WaveDevice::TimeFormatMilliseconds));
    Profile::WriteString(QStringLiteral("Last"), QStringLiteral("FileName"), m_strWaveFile);
    UpdatePosition();
    RecomputeByMode();
}

void CEventDlg::RecomputeByMode()
{
    if (m_bCountMode)
        LengthFromCount();
    else
        CountFromLength();
}

void CEventDlg::UpdatePosition()
{
    UpdateData(true);
    // Without an open wave both read 0.
    quint32 position = 0;
    quint32 length = 0;
    m_waveDevice.status(m_wDeviceID, WaveDevice::StatusPosition, &position);
    m_waveDevice.status(m_wDeviceID, WaveDevice::StatusLength, &length);
    m_strCurrent = FormatMillisecondsText(position);
    m_dwWaveLength = length;
    m_strLength = FormatMillisecondsText(length);
    UpdateData(false);
}

void CEventDlg::OnPlay()
{
    UpdateData(true);
    m_btnPlay->setEnabled(false);
    m_btnRecord->setEnabled(false);
    m_btnStop->setEnabled(true);
    ShowMciError(m_waveDevice.play(m_wDeviceID, 0, this));
}

void CEventDlg::OnRecord()
{
    UpdateData(true);
    m_btnStop->setEnabled(false);
    m_btnPlay->setEnabled(false);
    m_btnRecord->setEnabled(false);
    // A take replaces the whole wave, but only once the input is really
    // recording: a record that cannot start leaves the wave (and so the
    // file the next Stop saves) as it was, and the buttons as after Stop.
    const unsigned error = m_waveDevice.record(m_wDeviceID, this, true);
    if (error != WaveDevice::NoError) {
        m_btnPlay->setEnabled(true);
        m_btnRecord->setEnabled(true);
        ShowMciError(error);
        return;
    }
    m_btnStop->setEnabled(true);
}

void CEventDlg::OnStop()
{
    UpdateData(true);
    m_btnStop->setEnabled(false);
    m_btnPlay->setEnabled(true);
    m_btnRecord->setEnabled(true);
    ShowMciError(m_waveDevice.stop(m_wDeviceID));
    ShowMciError(m_waveDevice.save(m_wDeviceID, m_strWaveFile));
    UpdatePosition();
    RecomputeByMode();
}

void CEventDlg::OnMciNotify(unsigned code, WaveDevice::DeviceId deviceId)
{
    Q_UNUSED(deviceId);
    // A play that ran to its end stops as if Stop was pressed; stopped or
    // replaced commands need nothing more. The answer to a play may still
    // be on its way when the dialog ends: then the device is closed already.
    if (code == WaveDevice::NotifySuccessful && isVisible())
        OnStop();
}

void CEventDlg::OnTimer(int id)
{
    if (id == PositionTimerId)
        UpdatePosition();
}

int CEventDlg::ShowMciError(unsigned code)
{
    if (code == WaveDevice::NoError)
        return 0;
    ShowMessageBox(this, WaveDevice::ErrorText(code), QStringLiteral("Warning"));
    return 1;
}

void CEventDlg::CloseDevice()
{
    // A dialog that ends before its first open has nothing to close.
    if (m_bDeviceOpen)
        ShowMciError(m_waveDevice.close(m_wDeviceID));
    m_timerPosition.stop();
}

// Speech: typed text becomes the event's wave.

void CEventDlg::InitSpeech()
{
    m_ui->editSpeechText->setMaxLength(int(SpeechFile::MaxTextLength));
    QComboBox *voices = m_ui->comboVoice;
    voices->clear();
    // Without voice data the list stays empty; Speak then says why. The
    // voice first proposed is the one for the language the program runs in
    // (the system's, unless the program was told another).
    const QList<SpeechVoice> list = SpeechSynthesizer::Voices().value_or(QList<SpeechVoice>{});
    for (const SpeechVoice &voice : list)
        voices->addItem(voice.name, voice.identifier);
    const QString voice = Profile::ReadString(QStringLiteral("Speech"), QStringLiteral("Voice"),
                                              SpeechSynthesizer::DefaultVoice(list, QLocale().name()));
    voices->setCurrentIndex(std::max(0, voices->findData(voice)));
    m_ui->spinRate->setRange(SpeechSynthesizer::MinRate, SpeechSynthesizer::MaxRate);
    const QString rate = Profile::ReadString(QStringLiteral("Speech"), QStringLiteral("Rate"), QString());
    m_ui->spinRate->setValue(rate.isEmpty() ? SpeechSynthesizer::DefaultRate : LeadingNumber(rate));
    ShowSpeechOf(m_strWaveFile);
}

void CEventDlg::ShowSpeechOf(const QString &path)
{
    // A file that was not spoken from text leaves the text as it is.
    const std::optional<SpeechFile::Speech> speech = SpeechFile::Read(path);
    if (!speech)
        return;
    m_ui->editSpeechText->setText(speech->text);
    if (const int index = m_ui->comboVoice->findData(speech->voice); index >= 0)
        m_ui->comboVoice->setCurrentIndex(index);
}

void CEventDlg::OnSpeak()
{
    UpdateData(true);
    const QString text = m_ui->editSpeechText->text();
    if (text.trimmed().isEmpty()) {
        ShowMessageBox(this, QStringLiteral("Type the text to speak first."), QStringLiteral("Warning"));
        return;
    }
    const SpeechFile::Speech speech{text, m_ui->comboVoice->currentData().toString()};
    const int rate = m_ui->spinRate->value();
    const QString path = SpeechFile::NewPath(SpeechFile::Directory(), m_strEventName, m_strSpokenFile);

    // Off this thread, so the dialog stays responsive; one at a time.
    m_ui->buttonSpeak->setEnabled(false);
    m_speechWorker = std::jthread([this, path, speech, rate](std::stop_token stop) {
        QString error;
        const bool made = SpeechFile::Make(path, speech, rate, stop, &error);
        if (stop.stop_requested())
            return;
        QMetaObject::invokeMethod(
            this, [this, path, made, error] { OnSpeechMade(path, made, error); }, Qt::QueuedConnection);
    });
}

void CEventDlg::OnSpeechMade(const QString &path, bool made, const QString &error)
{
    m_speechWorker = {};
    m_ui->buttonSpeak->setEnabled(true);
    // The dialog may have ended while the answer was on its way.
    if (!isVisible())
        return;
    if (!made) {
        ShowMessageBox(this, error, QStringLiteral("Warning"));
        return;
    }
    m_strSpokenFile = path;
    Profile::WriteString(QStringLiteral("Speech"), QStringLiteral("Voice"),
                         m_ui->comboVoice->currentData().toString());
    Profile::WriteString(QStringLiteral("Speech"), QStringLiteral("Rate"),
                         QString::number(m_ui->spinRate->value()));
    SwitchToWaveFile(path);
    OnPlay();
}

void CEventDlg::CancelSpeech()
{
    if (m_speechWorker.joinable()) {
        m_speechWorker.request_stop();
        m_speechWorker.join();
    }
    m_ui->buttonSpeak->setEnabled(true);
}

void CEventDlg::done(int result)
{
    CancelSpeech();
    QDialog::done(result);
}
