#include "sdlaudio.h"

#include <SDL.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <utility>

namespace {

// The name under which the sound server lists the program's streams.
constexpr char ProgramName[] = "Parlowen";

// SDL's audio subsystem for the life of the process.
struct Subsystem
{
    bool ok = false;
    QString error;
    QString driver;

    Subsystem()
    {
        // Audio pulls in SDL's event subsystem; Ctrl+C must still end the
        // program as it does without sound.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        // Read when SDL connects to the sound server, which is now.
        SDL_SetHint(SDL_HINT_APP_NAME, ProgramName);
        SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, ProgramName);
        ok = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
        if (ok)
            driver = QString::fromUtf8(SDL_GetCurrentAudioDriver());
        else
            error = QString::fromUtf8(SDL_GetError());
    }
    ~Subsystem()
    {
        if (ok)
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
};

// SDL keeps some state per calling thread (its error text) and frees it by
// itself only for threads it started; a playback worker's would be left
// behind when the worker ends.
struct ThreadStateRelease
{
    ~ThreadStateRelease() { SDL_TLSCleanup(); }
};

Subsystem &subsystem()
{
    static Subsystem instance;
    static thread_local ThreadStateRelease releaseOnThreadExit;
    (void)releaseOnThreadExit;
    return instance;
}

// Device opening and closing may come from the user-interface thread and
// from a playback worker at the same time.
std::mutex &deviceMutex()
{
    static std::mutex mutex;
    return mutex;
}

// A device buffer of about 20 ms: short enough that the end of a sound is
// heard soon after it was handed over.
Uint16 bufferFrames(int sampleRate)
{
    const auto wanted = std::clamp<unsigned>(unsigned(sampleRate / 50), 256u, 8192u);
    return Uint16(std::bit_ceil(wanted));
}

enum class Direction { Output = 0, Input = 1 };

// What the device opening needs besides the callback.
struct DeviceRequest
{
    Direction direction = Direction::Output;
    int sampleRate = 0;
    int channels = 0;
    SDL_AudioCallback callback = nullptr;
    void *user = nullptr;
    SdlAudio::StreamLabel label;
    // Let the device run at its own rate and channel count rather than have
    // SDL convert for it; the caller then converts itself.
    bool deviceChoosesFormat = false;
    bool startAtOnce = true;
};

// Guarded by deviceMutex().
SdlAudio::DeviceNames lastOpenedNames;
int forcedOutputRate = 0;
int forcedOutputChannels = 0;

QString hintText(const char *name)
{
    return QString::fromUtf8(SDL_GetHint(name));
}

// SDL reads the stream hints while it opens a device; they are process-wide,
// so they are set under the same lock as the opening.
void setStreamHint(const char *name, const QString &value)
{
    if (value.isEmpty())
        SDL_ResetHint(name);
    else
        SDL_SetHint(name, value.toUtf8().constData());
}

// Opens the default device of the direction for 32-bit float samples at the
// rate and channel count asked for (SDL converts for the hardware, unless the
// device is to choose) and, unless asked not to, starts it; the callback then
// fills or takes the samples on SDL's audio thread. 0, with `error` set, when
// the device cannot be opened.
SDL_AudioDeviceID openDevice(const DeviceRequest &request, SDL_AudioSpec *obtained, QString *error)
{
    std::lock_guard lock(deviceMutex());
    SDL_AudioSpec wanted{};
    wanted.freq = request.sampleRate;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = Uint8(request.channels);
    wanted.callback = request.callback;
    wanted.userdata = request.user;
    int allowedChanges = 0;
    if (request.deviceChoosesFormat) {
        allowedChanges = SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE;
        if (forcedOutputRate > 0 && forcedOutputChannels > 0) {
            wanted.freq = forcedOutputRate;
            wanted.channels = Uint8(forcedOutputChannels);
        }
    }
    wanted.samples = bufferFrames(wanted.freq);

    setStreamHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, request.label.name);
    setStreamHint(SDL_HINT_AUDIO_DEVICE_STREAM_ROLE, request.label.role);
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(
        nullptr, int(request.direction), &wanted, obtained, allowedChanges);
    if (device == 0) {
        if (error)
            *error = QString::fromUtf8(SDL_GetError());
        return 0;
    }
    lastOpenedNames = {hintText(SDL_HINT_APP_NAME), hintText(SDL_HINT_AUDIO_DEVICE_APP_NAME),
                       hintText(SDL_HINT_AUDIO_DEVICE_STREAM_NAME),
                       hintText(SDL_HINT_AUDIO_DEVICE_STREAM_ROLE)};
    if (request.startAtOnce)
        SDL_PauseAudioDevice(device, 0);
    return device;
}

void closeDevice(std::atomic<std::uint32_t> &device)
{
    if (const SDL_AudioDeviceID id = device.exchange(0)) {
        std::lock_guard lock(deviceMutex());
        SDL_CloseAudioDevice(id);
    }
}

} // namespace

namespace SdlAudio {

bool IsAvailable(QString *error)
{
    const Subsystem &s = subsystem();
    if (!s.ok && error)
        *error = s.error;
    return s.ok;
}

QString DriverName()
{
    return subsystem().driver;
}

DeviceNames NamesAtLastOpening()
{
    std::lock_guard lock(deviceMutex());
    return lastOpenedNames;
}

void SetOutputFormatForTesting(int sampleRate, int channels)
{
    std::lock_guard lock(deviceMutex());
    forcedOutputRate = sampleRate;
    forcedOutputChannels = channels;
}

} // namespace SdlAudio

AudioPlayback::AudioPlayback(std::shared_ptr<const WaveData> wave)
    : m_wave(std::move(wave))
    , m_totalSamples(std::size_t(m_wave->frames()) * std::size_t(m_wave->channels))
{
}

std::unique_ptr<AudioPlayback> AudioPlayback::Start(std::shared_ptr<const WaveData> wave,
                                                    QString *error,
                                                    const SdlAudio::StreamLabel &label)
{
    if (!SdlAudio::IsAvailable(error))
        return nullptr;
    if (!wave || wave->channels < 1 || wave->channels > 255 || wave->sampleRate <= 0) {
        if (error)
            *error = QStringLiteral("The wave has no playable format");
        return nullptr;
    }

    std::unique_ptr<AudioPlayback> playback(new AudioPlayback(std::move(wave)));
    DeviceRequest request;
    request.sampleRate = playback->m_wave->sampleRate;
    request.channels = playback->m_wave->channels;
    request.callback = &AudioPlayback::fillCallback;
    request.user = playback.get();
    request.label = label;
    SDL_AudioSpec obtained{};
    playback->m_device = openDevice(request, &obtained, error);
    return playback->m_device != 0 ? std::move(playback) : nullptr;
}

AudioPlayback::~AudioPlayback()
{
    stop();
}

void AudioPlayback::fillCallback(void *user, std::uint8_t *stream, int length)
{
    static_cast<AudioPlayback *>(user)->fill(reinterpret_cast<float *>(stream),
                                             std::size_t(length) / sizeof(float));
}

void AudioPlayback::fill(float *out, std::size_t count)
{
    const std::size_t next = m_nextSample.load(std::memory_order_relaxed);
    const std::size_t n = std::min(count, m_totalSamples - next);
    std::copy_n(m_wave->samples.data() + next, n, out);
    std::fill(out + n, out + count, 0.0f);
    m_nextSample.store(next + n, std::memory_order_relaxed);
    if (next + n == m_totalSamples) {
        std::lock_guard lock(m_mutex);
        if (!m_handedOut) {
            m_handedOut = true;
            m_handedOutChanged.notify_all();
        }
    }
}

qint64 AudioPlayback::positionFrames() const
{
    return qint64(m_nextSample.load(std::memory_order_relaxed)) / m_wave->channels;
}

bool AudioPlayback::isFinished() const
{
    std::lock_guard lock(m_mutex);
    return m_handedOut;
}

bool AudioPlayback::waitUntilHeard(std::stop_token cancel)
{
    bool handedOut = false;
    {
        std::unique_lock lock(m_mutex);
        handedOut = m_handedOutChanged.wait(lock, cancel, [this] { return m_handedOut; });
    }
    // Closing lets SDL play out what the device still holds, unless the
    // wait was cut short, in which case it is cut off with the rest.
    stop();
    return handedOut && !cancel.stop_requested();
}

void AudioPlayback::stop()
{
    // Closing joins SDL's audio thread, which may be waiting for m_mutex in
    // the callback: close without holding it.
    closeDevice(m_device);
    std::lock_guard lock(m_mutex);
    if (!m_handedOut) {
        m_handedOut = true;
        m_handedOutChanged.notify_all();
    }
}

std::unique_ptr<StreamingPlayback> StreamingPlayback::Open(int sampleRate, int channels,
                                                           const SdlAudio::StreamLabel &label,
                                                           QString *error)
{
    if (!SdlAudio::IsAvailable(error))
        return nullptr;
    if (channels < 1 || channels > 255 || sampleRate <= 0) {
        if (error)
            *error = QStringLiteral("The sound has no playable format");
        return nullptr;
    }

    std::unique_ptr<StreamingPlayback> playback(new StreamingPlayback);
    DeviceRequest request;
    request.sampleRate = sampleRate;
    request.channels = channels;
    request.callback = &StreamingPlayback::fillCallback;
    request.user = playback.get();
    request.label = label;
    request.deviceChoosesFormat = true;
    // Started by the first write, so that it begins with sound, not with a
    // gap while the queue fills.
    request.startAtOnce = false;
    SDL_AudioSpec obtained{};
    playback->m_device = openDevice(request, &obtained, error);
    if (playback->m_device == 0)
        return nullptr;
    playback->m_deviceRate = obtained.freq;
    playback->m_deviceChannels = obtained.channels;
    playback->m_sourceRate = sampleRate;
    playback->m_sourceChannels = channels;

    if (obtained.freq != sampleRate || obtained.channels != channels) {
        playback->m_converter = SDL_NewAudioStream(AUDIO_F32SYS, Uint8(channels), sampleRate,
                                                   AUDIO_F32SYS, obtained.channels, obtained.freq);
        if (!playback->m_converter) {
            if (error)
                *error = QString::fromUtf8(SDL_GetError());
            return nullptr;
        }
        // About 20 ms of the device's frames at a time.
        playback->m_converted.resize(std::size_t(bufferFrames(obtained.freq)) * obtained.channels);
    }

    const auto queueFrames = std::max<std::size_t>(
        std::size_t(obtained.freq) * QueueLength.count() / 1000, 2 * std::size_t(obtained.samples));
    playback->m_queue.resize(queueFrames * obtained.channels);
    return playback;
}

StreamingPlayback::~StreamingPlayback()
{
    stop();
    if (m_converter)
        SDL_FreeAudioStream(m_converter);
}

void StreamingPlayback::fillCallback(void *user, std::uint8_t *stream, int length)
{
    static_cast<StreamingPlayback *>(user)->fill(reinterpret_cast<float *>(stream),
                                                 std::size_t(length) / sizeof(float));
}

void StreamingPlayback::fill(float *out, std::size_t count)
{
    std::size_t n = 0;
    {
        std::lock_guard lock(m_mutex);
        n = std::min(count, m_queued);
        const std::size_t first = std::min(n, m_queue.size() - m_queueStart);
        std::copy_n(m_queue.data() + m_queueStart, first, out);
        std::copy_n(m_queue.data(), n - first, out + first);
        m_queueStart = (m_queueStart + n) % m_queue.size();
        m_queued -= n;
        if (m_inputEnded && m_queued == 0)
            m_handedOut = true;
    }
    m_changed.notify_all();
    // A reader that falls behind leaves a gap, not a stale block.
    std::fill(out + n, out + count, 0.0f);
}

bool StreamingPlayback::enqueue(const float *samples, std::size_t count, std::stop_token cancel)
{
    // Whole frames only (the queue and the callback's share are whole frames
    // too), so that a channel never slips into the next.
    count -= count % std::size_t(m_deviceChannels);
    while (count > 0) {
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait(lock, cancel, [this] { return m_closed || m_queued < m_queue.size(); })
            || m_closed)
            return false;
        const std::size_t n = std::min(count, m_queue.size() - m_queued);
        const std::size_t end = (m_queueStart + m_queued) % m_queue.size();
        const std::size_t first = std::min(n, m_queue.size() - end);
        std::copy_n(samples, first, m_queue.data() + end);
        std::copy_n(samples + first, n - first, m_queue.data());
        m_queued += n;
        samples += n;
        count -= n;
        lock.unlock();
        startDevice();
    }
    return true;
}

bool StreamingPlayback::takeConverted(qint64 upToFrame, std::stop_token cancel)
{
    const int frameBytes = m_deviceChannels * int(sizeof(float));
    while (m_framesOut < upToFrame) {
        const int available = SDL_AudioStreamAvailable(m_converter);
        const qint64 wantedFrames = std::min<qint64>(
            {available / frameBytes, upToFrame - m_framesOut,
             qint64(m_converted.size()) / m_deviceChannels});
        if (wantedFrames <= 0)
            return true;
        const int got = SDL_AudioStreamGet(m_converter, m_converted.data(), int(wantedFrames) * frameBytes);
        if (got <= 0)
            return got == 0;
        m_framesOut += got / frameBytes;
        if (!enqueue(m_converted.data(), std::size_t(got) / sizeof(float), cancel))
            return false;
    }
    return true;
}

bool StreamingPlayback::write(const float *samples, std::size_t count, std::stop_token cancel)
{
    if (!m_converter)
        return enqueue(samples, count, cancel);
    if (SDL_AudioStreamPut(m_converter, samples, int(count * sizeof(float))) != 0)
        return false;
    m_framesIn += qint64(count) / m_sourceChannels;
    return takeConverted(std::numeric_limits<qint64>::max(), cancel);
}

bool StreamingPlayback::takeRestOfConverted(std::stop_token cancel)
{
    // The converter holds back the last few milliseconds for its filter.
    // SDL's flush loses them when its staging buffer happens to be empty,
    // so silence pushes them out instead, and of what comes out only the
    // sound's own length is kept.
    const qint64 soundFrames = (m_framesIn * m_deviceRate + m_sourceRate - 1) / m_sourceRate;
    // Ten milliseconds of silence at a time, until the sound's length has
    // come out: the filter holds back a few hundred frames, and a second of
    // silence is more than it ever needs.
    const std::vector<float> silence(std::size_t(std::max(1, m_sourceRate / 100)) * m_sourceChannels, 0.0f);
    for (int pushes = 0; m_framesOut < soundFrames && pushes < 100; ++pushes) {
        if (SDL_AudioStreamPut(m_converter, silence.data(), int(silence.size() * sizeof(float))) != 0
            || !takeConverted(soundFrames, cancel))
            return false;
    }
    return true;
}

void StreamingPlayback::startDevice()
{
    if (m_started)
        return;
    m_started = true;
    if (const SDL_AudioDeviceID device = m_device.load())
        SDL_PauseAudioDevice(device, 0);
}

bool StreamingPlayback::finish(std::stop_token cancel)
{
    if (m_converter && !takeRestOfConverted(cancel)) {
        stop();
        return false;
    }
    bool handedOut = false;
    {
        std::unique_lock lock(m_mutex);
        m_inputEnded = true;
        if (m_queued == 0)
            m_handedOut = true;
    }
    startDevice();
    {
        std::unique_lock lock(m_mutex);
        handedOut = m_changed.wait(lock, cancel, [this] { return m_handedOut || m_closed; })
            && m_handedOut;
    }
    // Closing lets SDL play out what the device still holds, unless the
    // wait was cut short, in which case it is cut off with the rest.
    stop();
    return handedOut && !cancel.stop_requested();
}

void StreamingPlayback::stop()
{
    // Closing joins SDL's audio thread, which may be waiting for m_mutex in
    // the callback: close without holding it.
    closeDevice(m_device);
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
    }
    m_changed.notify_all();
}

AudioCapture::AudioCapture(int channels)
    : m_channels(channels)
{
}

std::unique_ptr<AudioCapture> AudioCapture::Start(int sampleRate, int channels, QString *error)
{
    if (!SdlAudio::IsAvailable(error))
        return nullptr;
    if (channels < 1 || channels > 255 || sampleRate <= 0) {
        if (error)
            *error = QStringLiteral("The wave has no recordable format");
        return nullptr;
    }

    std::unique_ptr<AudioCapture> capture(new AudioCapture(channels));
    DeviceRequest request;
    request.direction = Direction::Input;
    request.sampleRate = sampleRate;
    request.channels = channels;
    request.callback = &AudioCapture::takeCallback;
    request.user = capture.get();
    SDL_AudioSpec obtained{};
    capture->m_device = openDevice(request, &obtained, error);
    return capture->m_device != 0 ? std::move(capture) : nullptr;
}

AudioCapture::~AudioCapture()
{
    stop();
}

void AudioCapture::takeCallback(void *user, std::uint8_t *stream, int length)
{
    static_cast<AudioCapture *>(user)->take(reinterpret_cast<const float *>(stream),
                                            std::size_t(length) / sizeof(float));
}

void AudioCapture::take(const float *in, std::size_t count)
{
    std::lock_guard lock(m_mutex);
    const std::size_t room = std::size_t(WaveFile::MaxSamples) - m_samples.size();
    count = std::min(count, room);
    count -= count % std::size_t(m_channels);
    m_samples.insert(m_samples.end(), in, in + count);
    m_frames.store(qint64(m_samples.size()) / m_channels, std::memory_order_relaxed);
}

qint64 AudioCapture::framesRecorded() const
{
    return m_frames.load(std::memory_order_relaxed);
}

std::vector<float> AudioCapture::stop()
{
    // Closing joins SDL's audio thread, which may be waiting for m_mutex in
    // the callback: close without holding it.
    closeDevice(m_device);
    std::lock_guard lock(m_mutex);
    return std::exchange(m_samples, {});
}
