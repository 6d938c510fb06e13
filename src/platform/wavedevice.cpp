#include "wavedevice.h"

#include "sdlaudio.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <sndfile.h>

#include <algorithm>

namespace {

WaveData newWave()
{
    WaveData wave;
    wave.sampleRate = WaveDevice::DefaultSampleRate;
    wave.channels = WaveDevice::DefaultChannels;
    wave.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    return wave;
}

bool sameFile(const QString &a, const QString &b)
{
    return !a.isEmpty() && QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

} // namespace

WaveNotifyEvent::WaveNotifyEvent(unsigned code, WaveDevice::DeviceId deviceId)
    : QEvent(eventType())
    , m_code(code)
    , m_deviceId(deviceId)
{
}

QEvent::Type WaveNotifyEvent::eventType()
{
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

WaveDevice::WaveDevice(QObject *parent)
    : QObject(parent)
{
}

WaveDevice::~WaveDevice()
{
    close(m_id);
}

QString WaveDevice::ErrorText(unsigned code)
{
    switch (code) {
    case NoError:
        return {};
    case ErrorNotOpen:
        return tr("No wave file is open, so the wave cannot be played, recorded or saved.");
    case ErrorFileNotFound:
        return tr("The wave file does not exist.");
    case ErrorCannotReadFile:
        return tr("The wave file cannot be read. Check that you may read it.");
    case ErrorNotAWave:
        return tr("The file is not a wave file that can be played here, or it is damaged.");
    case ErrorCannotSave:
        return tr("The wave could not be saved. Check that the folder exists, that you may write "
                  "to it and that the disk is not full.");
    case ErrorNoOutput:
        return tr("The wave cannot be played: no sound output is available for it.");
    case ErrorNoInput:
        return tr("Nothing can be recorded: no sound input (microphone) is available.");
    }
    return tr("The wave device reported an unknown error (%1).").arg(code);
}

bool WaveDevice::isOpen(DeviceId id) const
{
    return id != 0 && id == m_id && m_wave;
}

qint64 WaveDevice::frameAt(quint32 ms) const
{
    return std::min(qint64(ms) * m_wave->sampleRate / 1000, m_wave->frames());
}

quint32 WaveDevice::millisecondsAt(qint64 frame) const
{
    return quint32(std::min<qint64>(frame * 1000 / m_wave->sampleRate, UINT32_MAX));
}

unsigned WaveDevice::open(const QString &element, DeviceId *id)
{
    WaveData wave;
    if (element.isEmpty()) {
        wave = newWave();
    } else {
        const QFileInfo info(element);
        if (!info.exists())
            return ErrorFileNotFound;
        if (!info.isFile() || !info.isReadable())
            return ErrorCannotReadFile;
        std::optional<WaveData> read = WaveFile::Read(element);
        if (!read)
            return ErrorNotAWave;
        wave = std::move(*read);
    }
    close(m_id);
    m_wave = std::make_shared<const WaveData>(std::move(wave));
    setUnchangedFile(element);
    m_positionFrame = 0;
    m_id = ++m_lastId;
    *id = m_id;
    return NoError;
}

unsigned WaveDevice::play(DeviceId id, quint32 fromMs, QObject *notify)
{
    if (!isOpen(id))
        return ErrorNotOpen;
    finish(NotifySuperseded);

    const qint64 from = frameAt(fromMs);
    std::shared_ptr<const WaveData> part = m_wave;
    if (from > 0) {
        auto tail = std::make_shared<WaveData>(*m_wave);
        tail->samples.erase(tail->samples.begin(), tail->samples.begin() + from * tail->channels);
        part = std::move(tail);
    }
    m_positionFrame = from;
    m_playback = AudioPlayback::Start(std::move(part));
    if (!m_playback)
        return ErrorNoOutput;

    m_mode = Mode::Playing;
    m_notify = notify;
    m_startFrame = from;
    // Waits on its own thread for the last frame to be heard; the end is
    // then handled back on this object's thread.
    const quint64 serial = ++m_serial;
    m_playWatcher = std::jthread([this, serial, playback = m_playback.get()](std::stop_token cancel) {
        const bool heard = playback->waitUntilHeard(cancel);
        QMetaObject::invokeMethod(this, [this, serial, heard] { playedToEnd(serial, heard); },
                                  Qt::QueuedConnection);
    });
    return NoError;
}

void WaveDevice::playedToEnd(quint64 serial, bool heard)
{
    // A play that was stopped or replaced meanwhile has had its answer.
    if (serial != m_serial || m_mode != Mode::Playing || !heard)
        return;
    finish(NotifySuccessful);
}

unsigned WaveDevice::record(DeviceId id, QObject *notify, bool overwrite)
{
    if (!isOpen(id))
        return ErrorNotOpen;
    finish(NotifySuperseded);
    m_capture = AudioCapture::Start(m_wave->sampleRate, m_wave->channels);
    if (!m_capture)
        return ErrorNoInput;
    if (overwrite && m_wave->frames() > 0) {
        auto emptied = std::make_shared<WaveData>(*m_wave);
        emptied->samples.clear();
        m_wave = std::move(emptied);
        setUnchangedFile({});
    }
    if (overwrite)
        m_positionFrame = 0;
    m_mode = Mode::Recording;
    m_notify = notify;
    m_startFrame = m_positionFrame;
    ++m_serial;
    return NoError;
}

unsigned WaveDevice::deleteFrom(DeviceId id, quint32 fromMs)
{
    if (!isOpen(id))
        return ErrorNotOpen;
    finish(NotifyAborted);
    const qint64 from = frameAt(fromMs);
    if (from < m_wave->frames()) {
        auto cut = std::make_shared<WaveData>(*m_wave);
        cut->samples.resize(std::size_t(from * cut->channels));
        m_wave = std::move(cut);
        setUnchangedFile({});
    }
    m_positionFrame = std::min(m_positionFrame, from);
    return NoError;
}

unsigned WaveDevice::stop(DeviceId id)
{
    if (!isOpen(id))
        return ErrorNotOpen;
    finish(NotifyAborted);
    return NoError;
}

void WaveDevice::finish(Notification how, bool keepTake)
{
    if (m_mode == Mode::Stopped)
        return;
    if (m_mode == Mode::Playing) {
        m_playWatcher.request_stop();
        if (m_playWatcher.joinable())
            m_playWatcher.join();
        m_positionFrame = how == NotifySuccessful ? m_wave->frames()
                                                  : m_startFrame + m_playback->positionFrames();
        m_playback.reset();
    } else {
        std::vector<float> take = m_capture->stop();
        m_capture.reset();
        if (keepTake && !take.empty()) {
            auto grown = std::make_shared<WaveData>(*m_wave);
            const auto at = grown->samples.begin() + m_startFrame * grown->channels;
            grown->samples.insert(at, take.begin(), take.end());
            // A take that would push the wave past what a wave may hold is
            // cut to fit.
            if (grown->samples.size() > std::size_t(WaveFile::MaxSamples))
                grown->samples.resize(std::size_t(WaveFile::MaxSamples / grown->channels) * grown->channels);
            m_positionFrame = m_startFrame + qint64(take.size()) / grown->channels;
            m_positionFrame = std::min(m_positionFrame, grown->frames());
            m_wave = std::move(grown);
            setUnchangedFile({});
        }
    }
    m_mode = Mode::Stopped;
    if (m_notify)
        QCoreApplication::postEvent(m_notify, new WaveNotifyEvent(how, m_id));
    m_notify = nullptr;
}

unsigned WaveDevice::save(DeviceId id, const QString &path)
{
    if (!isOpen(id))
        return ErrorNotOpen;
    // Rewriting a file with what it already holds could only lose what the
    // samples in memory do not keep (extra chunks, finer samples of 32-bit
    // files, compressed encodings); and a file changed by someone else in
    // the meantime is theirs.
    if (sameFile(m_unchangedFile, path) && QFileInfo::exists(path))
        return NoError;
    if (!WaveFile::Write(path, *m_wave))
        return ErrorCannotSave;
    setUnchangedFile(path);
    return NoError;
}

void WaveDevice::setUnchangedFile(const QString &file)
{
    m_unchangedFile = file;
}

unsigned WaveDevice::close(DeviceId id)
{
    if (!isOpen(id))
        return ErrorNotOpen;
    // A take not yet stopped is not kept: closing is no stop.
    finish(NotifyAborted, false);
    m_wave.reset();
    setUnchangedFile({});
    m_positionFrame = 0;
    m_id = 0;
    return NoError;
}

unsigned WaveDevice::setTimeFormat(DeviceId id, TimeFormat format)
{
    Q_UNUSED(format); // milliseconds are the only format there is
    return isOpen(id) ? NoError : ErrorNotOpen;
}

unsigned WaveDevice::status(DeviceId id, StatusItem item, quint32 *result) const
{
    if (!isOpen(id))
        return ErrorNotOpen;
    qint64 position = m_positionFrame;
    qint64 length = m_wave->frames();
    if (m_mode == Mode::Playing) {
        position = m_startFrame + m_playback->positionFrames();
    } else if (m_mode == Mode::Recording) {
        const qint64 taken = m_capture->framesRecorded();
        position = m_startFrame + taken;
        length += taken;
    }
    *result = millisecondsAt(item == StatusLength ? length : std::min(position, length));
    return NoError;
}
