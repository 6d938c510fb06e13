#pragma once

#include "eventfields.h"
#include "wavedevice.h"

#include <QDialog>
#include <QString>
#include <QTimer>

#include <memory>
#include <thread>

class QLineEdit;
class QPushButton;
class QRadioButton;
class UpDownControl;

namespace Ui {
class CEventDlg;
}

// The event editor: the name, audio file, interval and repetitions of one
// event. The caller fills the public members, runs the dialog and reads the
// members back only when it ended with IdOk. The count and the length of the
// repetitions are tied through the length of the wave: the one the user
// changes last is recomputed into the other while the wave device is open.
class CEventDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CEventDlg(QWidget *parent = nullptr);
    ~CEventDlg() override;

    QString m_strCaption;
    QString m_strEventName;
    QString m_strWaveFile;
    QString m_strRepCount;
    QString m_strIntervalHour;
    QString m_strIntervalMin;
    QString m_strIntervalSec;
    QString m_strRepHour;
    QString m_strRepMin;
    QString m_strRepSec;
    // 1: the count was entered and the length follows from it; 0: the other
    // way round. Length is the default for a caller that sets nothing.
    int m_bCountMode = 0;

    // The public members as one event, and back.
    EventFields fields() const;
    void setFields(const EventFields &fields);

    // true: controls into members; false: members into controls. Writing
    // never counts as a user change, so no change handler runs for it.
    void UpdateData(bool saveAndValidate = true);

    void OnRadioCount();
    void OnRadioLength();
    void OnChangeRepLength();
    void OnChangeRepCount();
    void CountFromLength();
    void LengthFromCount();
    void OnOpenNew();
    void OnOK();
    void OnCancel();
    void OnHelp();

    // The wave device: the event's file is open on it while the dialog runs.
    void OnOpenDevice();
    void CreateWaveFile(const QString &fileName);
    void OnChangeWaveFile();
    void UpdatePosition();
    void OnPlay();
    void OnRecord();
    void OnStop();
    void OnMciNotify(unsigned code, WaveDevice::DeviceId deviceId);
    void OnTimer(int id);
    int ShowMciError(unsigned code);

    // Speech: the typed text is spoken into a new wave file, which becomes
    // the event's file and is played at once.
    void OnSpeak();

    // Refreshes the position and length while the dialog is open.
    static constexpr int PositionTimerId = 666;

public slots:
    void accept() override;
    void reject() override;
    // Every road out of the dialog: a synthesis still running is stopped.
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void customEvent(QEvent *event) override;

    // The wave device's side: its position and length texts, whether it has
    // been opened, and the wave's length in milliseconds that ties the count
    // to the length.
    QString m_strCurrent;
    QString m_strLength;
    int m_bDeviceOpen = 0;
    quint32 m_dwWaveLength = 0;
    WaveDevice::DeviceId m_wDeviceID = 0;
    WaveDevice m_waveDevice;

private:
    void OnInitDialog();
    void DoDataExchange(bool saveAndValidate);
    void OnClose();
    // Closes the wave device and stops the position timer; a take that was
    // not stopped is dropped.
    void CloseDevice();
    // Opens m_strWaveFile, creating it first when there is no such file.
    void OpenOrCreate();
    void RecomputeByMode();
    // What "Open / New" does with a chosen file: the editor switches to it.
    void SwitchToWaveFile(const QString &path);

    // Fills the voices and shows the last voice and speed, or the text and
    // voice the event's file was spoken from.
    void InitSpeech();
    void ShowSpeechOf(const QString &path);
    void OnSpeechMade(const QString &path, bool made, const QString &error);
    void CancelSpeech();

    std::unique_ptr<Ui::CEventDlg> m_ui;

    QPushButton *m_btnStop = nullptr;
    QPushButton *m_btnRecord = nullptr;
    QPushButton *m_btnPlay = nullptr;
    QRadioButton *m_radioCount = nullptr;
    QRadioButton *m_radioLength = nullptr;
    UpDownControl *m_spinIntervalHour = nullptr;
    UpDownControl *m_spinIntervalMin = nullptr;
    UpDownControl *m_spinIntervalSec = nullptr;
    UpDownControl *m_spinRepHour = nullptr;
    UpDownControl *m_spinRepMin = nullptr;
    UpDownControl *m_spinRepSec = nullptr;
    UpDownControl *m_spinRepCount = nullptr;
    QTimer m_timerPosition;

    // The file this run of the editor made from text: the next Speak may
    // replace it, and no other.
    QString m_strSpokenFile;
    // Last, so that it is stopped and joined before anything it reports to.
    std::jthread m_speechWorker;
};
