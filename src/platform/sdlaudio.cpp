#include "sdlaudio.h"

#include <SDL.h>

#include <algorithm>
#include <bit>
#include <utility>

namespace {

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

// Opens the default device of the direction for 32-bit float samples at the
// rate and channel count given (SDL converts for the hardware) and starts
// it; the callback then fills or takes the samples on SDL's audio thread.
// 0, with `error` set, when the device cannot be opened.
SDL_AudioDeviceID openDevice(Direction direction, int sampleRate, int channels,
                             SDL_AudioCallback callback, void *user, QString *error)
{
    SDL_AudioSpec wanted{};
    wanted.freq = sampleRate;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = Uint8(channels);
    wanted.samples = bufferFrames(sampleRate);
    wanted.callback = callback;
    wanted.userdata = user;

    std::lock_guard lock(deviceMutex());
    SDL_AudioSpec obtained{};
    const SDL_AudioDeviceID device =
        SDL_OpenAudioDevice(nullptr, int(direction), &wanted, &obtained, 0);
    if (device == 0) {
        if (error)
            *error = QString::fromUtf8(SDL_GetError());
        return 0;
    }
    SDL_PauseAudioDevice(device, 0);
    return device;
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

} // namespace SdlAudio

AudioPlayback::AudioPlayback(std::shared_ptr<const WaveData> wave)
    : m_wave(std::move(wave))
    , m_total(std::size_t(m_wave->frames()) * std::size_t(m_wave->channels))
{
}

std::unique_ptr<AudioPlayback> AudioPlayback::Start(std::shared_ptr<const WaveData> wave,
                                                    QString *error)
{
    if (!SdlAudio::IsAvailable(error))
        return nullptr;
    if (!wave || wave->channels < 1 || wave->channels > 255 || wave->sampleRate <= 0) {
        if (error)
            *error = QStringLiteral("The wave has no playable format");
        return nullptr;
    }

    std::unique_ptr<AudioPlayback> playback(new AudioPlayback(std::move(wave)));
    playback->m_device = openDevice(Direction::Output, playback->m_wave->sampleRate,
                                    playback->m_wave->channels, &AudioPlayback::fillCallback,
                                    playback.get(), error);
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
    const std::size_t next = m_next.load(std::memory_order_relaxed);
    const std::size_t n = std::min(count, m_total - next);
    std::copy_n(m_wave->samples.data() + next, n, out);
    std::fill(out + n, out + count, 0.0f);
    m_next.store(next + n, std::memory_order_relaxed);
    if (next + n == m_total) {
        std::lock_guard lock(m_mutex);
        if (!m_handedOut) {
            m_handedOut = true;
            m_handedOutChanged.notify_all();
        }
    }
}

qint64 AudioPlayback::positionFrames() const
{
    return qint64(m_next.load(std::memory_order_relaxed)) / m_wave->channels;
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
    if (const SDL_AudioDeviceID device = m_device.exchange(0)) {
        std::lock_guard lock(deviceMutex());
        SDL_CloseAudioDevice(device);
    }
    std::lock_guard lock(m_mutex);
    if (!m_handedOut) {
        m_handedOut = true;
        m_handedOutChanged.notify_all();
    }
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
    capture->m_device = openDevice(Direction::Input, sampleRate, channels,
                                   &AudioCapture::takeCallback, capture.get(), error);
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
    if (const SDL_AudioDeviceID device = m_device.exchange(0)) {
        std::lock_guard lock(deviceMutex());
        SDL_CloseAudioDevice(device);
    }
    std::lock_guard lock(m_mutex);
    return std::exchange(m_samples, {});
}
