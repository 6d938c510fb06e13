#pragma once

#include <QByteArrayView>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>
#include <stop_token>
#include <vector>

class QIODevice;
class StopAwareFile;
struct sf_private_tag; // libsndfile's SNDFILE

// A wave held in memory: interleaved samples as floats in -1..1, with the
// rate and channel count needed to play it and the file's own format, so
// that a wave read from a file can be saved back in the same form.
struct WaveData
{
    int sampleRate = 0;
    int channels = 0;
    int format = 0; // libsndfile's container | encoding, e.g. WAV | PCM_16
    std::vector<float> samples;

    qint64 frames() const { return channels > 0 ? qint64(samples.size()) / channels : 0; }
    std::chrono::milliseconds duration() const;
};

// Reading and writing WAV files through libsndfile. Every input is treated
// as untrusted: the header's figures are checked before anything is
// allocated, and no file can make the reader hold more than MaxSamples.
namespace WaveFile {

inline constexpr int MaxChannels = 64;
inline constexpr int MinSampleRate = 1;
inline constexpr int MaxSampleRate = 768000;
// 256 MiB of floats: hours of speech at any common rate.
inline constexpr qint64 MaxSamples = qint64(64) * 1024 * 1024;

std::optional<WaveData> Read(const QString &path, QString *error = nullptr);
std::optional<WaveData> Read(QIODevice &device, QString *error = nullptr);
std::optional<WaveData> ReadFromMemory(QByteArrayView bytes, QString *error = nullptr);

// Writes atomically: a failed write leaves an existing file as it was. A
// wave without a format is written as 16-bit PCM WAV.
bool Write(const QString &path, const WaveData &wave, QString *error = nullptr);

// The text tags a WAV file carries in its INFO list. Empty means absent.
// Their lengths in UTF-8 are bounded by what comes back whole (the library
// cuts the software tag short and drops a long comment): the writer refuses
// a longer one.
inline constexpr qsizetype MaxCommentBytes = 2000;
inline constexpr qsizetype MaxSoftwareBytes = 100;
struct Tags
{
    QString comment;
    QString software;
};

// Write() with the tags stored in the file too.
bool Write(const QString &path, const WaveData &wave, const Tags &tags, QString *error = nullptr);
// Reads the tags alone, without the samples.
std::optional<Tags> ReadTags(const QString &path, QString *error = nullptr);

} // namespace WaveFile

// Reads a sound file a block at a time, for playing a file of any length
// without holding it in memory. Every format libsndfile reads is taken (WAV,
// FLAC, Ogg Vorbis and Opus, MP3, AIFF...), and so is a source that cannot
// seek, such as a named pipe. A stop requested on the token given to Open()
// ends a read at once, also one that waits for a slow source; one requested
// on `stopWaiting` ends a read only where the source has nothing at hand.
class WaveStream
{
public:
    // Null, with `error` set, when the file cannot be opened, is not a sound
    // file, or has a channel count or rate outside WaveFile's bounds, and
    // with `stalled` set when the cause was a source that had nothing at
    // hand once `stopWaiting` had been requested.
    static std::unique_ptr<WaveStream> Open(const QString &path, std::stop_token stop,
                                            std::stop_token stopWaiting = {},
                                            QString *error = nullptr, bool *stalled = nullptr);
    ~WaveStream();

    WaveStream(const WaveStream &) = delete;
    WaveStream &operator=(const WaveStream &) = delete;

    int sampleRate() const { return m_sampleRate; }
    int channels() const { return m_channels; }

    // Reads up to `frames` whole frames of interleaved samples, held to
    // -1..1 as WaveFile::Read() holds them. Fewer at the end of the file, at
    // a read error or a stop; 0 once there is nothing more.
    qint64 read(float *out, qint64 frames);
    // The file ended early because its source had nothing at hand once
    // `stopWaiting` had been requested.
    bool stalled() const;

private:
    WaveStream() = default;

    std::unique_ptr<StopAwareFile> m_file;
    struct Closer
    {
        void operator()(sf_private_tag *file) const;
    };
    std::unique_ptr<sf_private_tag, Closer> m_sndfile;
    int m_sampleRate = 0;
    int m_channels = 0;
    bool m_failed = false;
};
