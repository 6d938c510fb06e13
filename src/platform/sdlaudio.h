#pragma once

#include "wavefile.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stop_token>
#include <vector>

// The one place in the program that talks to SDL's audio. SDL is brought up
// on first use; SDL_AUDIODRIVER chooses the driver as usual.
namespace SdlAudio {

// False when there is no usable audio driver at all; `error` then says why.
bool IsAvailable(QString *error = nullptr);
QString DriverName();

} // namespace SdlAudio

// Plays one wave held in memory on the default output device, in the wave's
// own rate and channel count; SDL converts for the device where it must.
// Playing runs on SDL's audio thread, so the caller is free to do other
// things, ask for the position, wait for the end or stop.
class AudioPlayback
{
public:
    // Opens the device and starts playing. Null, with `error` set, when the
    // device cannot be opened for the wave.
    static std::unique_ptr<AudioPlayback> Start(std::shared_ptr<const WaveData> wave,
                                                QString *error = nullptr);
    ~AudioPlayback();

    AudioPlayback(const AudioPlayback &) = delete;
    AudioPlayback &operator=(const AudioPlayback &) = delete;

    // Frames handed to the device so far.
    qint64 positionFrames() const;
    // Every frame has been handed to the device (or playing was stopped).
    bool isFinished() const;

    // Blocks until the last frame has been heard, then closes the device.
    // A stop requested on `cancel` cuts the sound off and returns false.
    bool waitUntilHeard(std::stop_token cancel = {});

    // Cuts the sound off and closes the device; idempotent.
    void stop();

private:
    explicit AudioPlayback(std::shared_ptr<const WaveData> wave);
    static void fillCallback(void *user, std::uint8_t *stream, int length);
    void fill(float *out, std::size_t count);

    std::shared_ptr<const WaveData> m_wave;
    std::size_t m_total = 0; // whole frames only
    std::atomic<std::size_t> m_next{0};
    std::atomic<std::uint32_t> m_device{0};

    mutable std::mutex m_mutex;
    std::condition_variable_any m_handedOutChanged;
    bool m_handedOut = false;
};

// Records from the default input device into memory, in the rate and channel
// count asked for; SDL converts from what the device delivers. Recording runs
// on SDL's audio thread until stop(). A take never grows past
// WaveFile::MaxSamples: what comes after is dropped, so a forgotten
// recording cannot eat the machine's memory.
class AudioCapture
{
public:
    // Opens the input device and starts recording. Null, with `error` set,
    // when there is no input device or it refuses the format.
    static std::unique_ptr<AudioCapture> Start(int sampleRate, int channels,
                                               QString *error = nullptr);
    ~AudioCapture();

    AudioCapture(const AudioCapture &) = delete;
    AudioCapture &operator=(const AudioCapture &) = delete;

    // Whole frames recorded so far.
    qint64 framesRecorded() const;

    // Closes the device and hands over the interleaved samples recorded,
    // whole frames only. Later calls return nothing.
    std::vector<float> stop();

private:
    AudioCapture(int channels);
    static void takeCallback(void *user, std::uint8_t *stream, int length);
    void take(const float *in, std::size_t count);

    const int m_channels;
    std::atomic<std::uint32_t> m_device{0};
    std::atomic<qint64> m_frames{0};
    std::mutex m_mutex;
    std::vector<float> m_samples;
};
