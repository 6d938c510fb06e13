#pragma once

#include "wavefile.h"

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>
#include <thread>

class AudioCapture;
class AudioPlayback;

// The editor's wave device: it holds one wave in memory, in the wave's own
// rate, channels and encoding, plays it, records a new take into it through
// SDL, and reads and saves it as a WAV file. Its commands are the few the
// editor sends. Each returns 0 or an error code whose text ErrorText() gives.
// Play and record run on their own; they report how they ended with a
// WaveNotifyEvent posted to the object named in the command, so the answer
// comes through that object's event loop like any other event. Use it from
// one thread, one that runs an event loop.
class WaveDevice : public QObject
{
    Q_OBJECT

public:
    using DeviceId = quint32;

    enum Error : unsigned {
        NoError = 0,
        ErrorNotOpen = 257,
        ErrorFileNotFound,
        ErrorCannotReadFile,
        ErrorNotAWave,
        ErrorCannotSave,
        ErrorNoOutput,
        ErrorNoInput,
    };

    // How a play or a record ended. A device that fails says so at once,
    // in the command's own result, so no play or record ends in failure.
    enum Notification : unsigned {
        NotifySuccessful = 1, // played to the end
        NotifySuperseded = 2, // another play or record took over
        NotifyAborted = 4,    // stopped, or the wave was closed
    };

    enum TimeFormat : unsigned { TimeFormatMilliseconds = 0 };
    enum StatusItem : unsigned { StatusLength = 1, StatusPosition = 2 };

    // New waves are recorded as 16-bit PCM, mono, 22,050 Hz: clear speech at
    // a modest size, and what common speech synthesisers write too.
    static constexpr int DefaultSampleRate = 22050;
    static constexpr int DefaultChannels = 1;

    explicit WaveDevice(QObject *parent = nullptr);
    ~WaveDevice() override;

    // A text for the user that says what went wrong.
    static QString ErrorText(unsigned code);

    // Opens the WAV file `element`, or a new, empty wave when `element` is
    // empty. The device holds one wave: a wave still open is closed first.
    // `id` gets the new wave's id, to which the other commands go; it is left
    // as it was when the open fails.
    unsigned open(const QString &element, DeviceId *id);
    // Plays from `fromMs` to the end.
    unsigned play(DeviceId id, quint32 fromMs, QObject *notify);
    // Records from the default input until stopped, inserting the take at the
    // current position once it stops. With `overwrite` the take replaces the
    // whole wave instead; the wave is emptied only once the input has really
    // started, so a record that cannot start leaves it as it was.
    unsigned record(DeviceId id, QObject *notify, bool overwrite = false);
    // Cuts the wave from `fromMs` to its end.
    unsigned deleteFrom(DeviceId id, quint32 fromMs);
    unsigned stop(DeviceId id);
    // Writes the wave to `path` in its own format.
    unsigned save(DeviceId id, const QString &path);
    // Stops and forgets the wave; a take not yet stopped is dropped.
    unsigned close(DeviceId id);
    unsigned setTimeFormat(DeviceId id, TimeFormat format);
    // Position and length in milliseconds. While recording, both follow the
    // growing take.
    unsigned status(DeviceId id, StatusItem item, quint32 *result) const;

private:
    enum class Mode { Stopped, Playing, Recording };

    bool isOpen(DeviceId id) const;
    qint64 frameAt(quint32 ms) const;
    quint32 millisecondsAt(qint64 frame) const;
    // Ends a running play or record and tells its owner how; a take is
    // put into the wave unless `keepTake` is false.
    void finish(Notification how, bool keepTake = true);
    void playedToEnd(quint64 serial, bool heard);
    // The one place that decides whether the wave in memory is the same as a
    // file: `file` names it after a read or a save, an empty text marks the
    // wave as changed (or never saved).
    void setUnchangedFile(const QString &file);

    DeviceId m_id = 0;
    DeviceId m_lastId = 0;
    std::shared_ptr<const WaveData> m_wave;
    qint64 m_positionFrame = 0;
    // The file the wave was read from or last saved to, while the wave in
    // memory is the same as that file's; set only by setUnchangedFile().
    QString m_unchangedFile;

    Mode m_mode = Mode::Stopped;
    quint64 m_serial = 0; // tells a finished play from a later one
    QPointer<QObject> m_notify;
    qint64 m_startFrame = 0;
    std::unique_ptr<AudioPlayback> m_playback;
    std::jthread m_playWatcher;
    std::unique_ptr<AudioCapture> m_capture;
};

// Posted to the object named in a play or record command when that command
// ends: `code` is a WaveDevice::Notification, `deviceId` the wave's id.
class WaveNotifyEvent : public QEvent
{
public:
    WaveNotifyEvent(unsigned code, WaveDevice::DeviceId deviceId);

    static QEvent::Type eventType();

    unsigned code() const { return m_code; }
    WaveDevice::DeviceId deviceId() const { return m_deviceId; }

private:
    unsigned m_code;
    WaveDevice::DeviceId m_deviceId;
};
