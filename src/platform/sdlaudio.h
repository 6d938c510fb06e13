#pragma once

#include "wavefile.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stop_token>
#include <vector>

struct _SDL_AudioStream; // SDL's SDL_AudioStream

// The one place in the program that talks to SDL's audio. SDL is brought up
// on first use; SDL_AUDIODRIVER chooses the driver as usual. The sound server
// (PulseAudio, PipeWire) shows every stream of the program under the name
// "Parlowen".
namespace SdlAudio {

// False when there is no usable audio driver at all; `error` then says why.
bool IsAvailable(QString *error = nullptr);
QString DriverName();

// How the sound server's mixer shows one play: a stream with this name (an
// event's name) in this role (such as "event" for a reminder). An empty field
// leaves SDL's default, or the user's SDL_AUDIO_DEVICE_STREAM_* setting.
struct StreamLabel
{
    QString name;
    QString role;
};

// The names SDL held when it last opened a device, read back from its hints
// right after the opening; empty where none was set.
struct DeviceNames
{
    QString appName;
    QString deviceAppName;
    QString streamName;
    QString streamRole;
};
DeviceNames NamesAtLastOpening();

// Makes the output device offer a StreamingPlayback this rate and channel
// count only, as some hardware does, whatever the sound asks for. 0 and 0
// let the device take what it is asked for again.
void SetOutputFormatForTesting(int sampleRate, int channels);

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
                                                QString *error = nullptr,
                                                const SdlAudio::StreamLabel &label = {});
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
    std::size_t m_totalSamples = 0; // of whole frames only
    std::atomic<std::size_t> m_nextSample{0};
    std::atomic<std::uint32_t> m_device{0};

    mutable std::mutex m_mutex;
    std::condition_variable_any m_handedOutChanged;
    bool m_handedOut = false;
};

// Plays a sound that arrives a block at a time on the default output device:
// the caller writes interleaved samples into a small queue, which SDL's audio
// thread drains. The samples come in the rate and channel count given to
// Open(); where the device runs at another, an SDL audio stream converts them
// on the writer's thread. One thread writes, finishes and stops.
class StreamingPlayback
{
public:
    // How much sound the queue holds at most, whatever the file's length.
    static constexpr std::chrono::milliseconds QueueLength{300};

    // Opens the device, not yet playing. Null, with `error` set, when it
    // cannot be opened.
    static std::unique_ptr<StreamingPlayback> Open(int sampleRate, int channels,
                                                   const SdlAudio::StreamLabel &label,
                                                   QString *error = nullptr);
    ~StreamingPlayback();

    StreamingPlayback(const StreamingPlayback &) = delete;
    StreamingPlayback &operator=(const StreamingPlayback &) = delete;

    // Queues whole frames of interleaved samples, waiting while the queue is
    // full; the device starts with the first write. False when a stop on
    // `cancel` cut the wait short, or the device is closed.
    bool write(const float *samples, std::size_t count, std::stop_token cancel);

    // No more samples come: blocks until the last one has been heard, then
    // closes the device. A stop on `cancel` cuts the sound off and returns
    // false.
    bool finish(std::stop_token cancel);

    // Cuts the sound off and closes the device; idempotent.
    void stop();

private:
    StreamingPlayback() = default;
    static void fillCallback(void *user, std::uint8_t *stream, int length);
    void fill(float *out, std::size_t count);
    bool enqueue(const float *samples, std::size_t count, std::stop_token cancel);
    // Queues what the converter has made, up to the device frame given.
    bool takeConverted(qint64 upToFrame, std::stop_token cancel);
    bool takeRestOfConverted(std::stop_token cancel);
    void startDevice();

    std::atomic<std::uint32_t> m_device{0};
    int m_deviceRate = 0;
    int m_deviceChannels = 0;
    int m_sourceRate = 0;
    int m_sourceChannels = 0;
    // The writer's alone: the converter (null when none is needed), what it
    // gives back, and the frames that went in and came out.
    _SDL_AudioStream *m_converter = nullptr;
    std::vector<float> m_converted;
    qint64 m_framesIn = 0;
    qint64 m_framesOut = 0;
    bool m_started = false;

    // A ring of samples between the writer and the audio thread.
    mutable std::mutex m_mutex;
    std::condition_variable_any m_changed;
    std::vector<float> m_queue;
    std::size_t m_queueStart = 0;
    std::size_t m_queued = 0;
    bool m_inputEnded = false;
    bool m_handedOut = false;
    bool m_closed = false;
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
