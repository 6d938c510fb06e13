#include "wavefile.h"

#include "stopawarefile.h"

#include <QBuffer>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <span>
#include <utility>

std::chrono::milliseconds WaveData::duration() const
{
    if (sampleRate <= 0)
        return {};
    return std::chrono::milliseconds(frames() * 1000 / sampleRate);
}

namespace {

// libsndfile reads and writes through these, so files, memory and
// QSaveFile all take the same road.
sf_count_t deviceLength(void *user)
{
    return static_cast<QIODevice *>(user)->size();
}

sf_count_t deviceSeek(sf_count_t offset, int whence, void *user)
{
    auto *device = static_cast<QIODevice *>(user);
    qint64 target = offset;
    if (whence == SEEK_CUR)
        target += device->pos();
    else if (whence == SEEK_END)
        target += device->size();
    if (target < 0 || !device->seek(target))
        return -1;
    return device->pos();
}

sf_count_t deviceRead(void *data, sf_count_t count, void *user)
{
    const qint64 n = static_cast<QIODevice *>(user)->read(static_cast<char *>(data), count);
    return n < 0 ? 0 : n;
}

sf_count_t deviceWrite(const void *data, sf_count_t count, void *user)
{
    const qint64 n = static_cast<QIODevice *>(user)->write(static_cast<const char *>(data), count);
    return n < 0 ? 0 : n;
}

sf_count_t deviceTell(void *user)
{
    return static_cast<QIODevice *>(user)->pos();
}

SF_VIRTUAL_IO deviceIo{deviceLength, deviceSeek, deviceRead, deviceWrite, deviceTell};

// Played files are read through these instead, so that a stop can end a read
// that waits for a slow source.
sf_count_t streamLength(void *user)
{
    // A pipe has no length: it is taken to be as long as it could be, so
    // that the reader reads on until the source ends.
    constexpr sf_count_t UnknownLength = sf_count_t(1) << 60;
    return static_cast<StopAwareFile *>(user)->size().value_or(UnknownLength);
}

sf_count_t streamSeek(sf_count_t offset, int whence, void *user)
{
    return static_cast<StopAwareFile *>(user)->seek(offset, whence);
}

sf_count_t streamRead(void *data, sf_count_t count, void *user)
{
    return static_cast<StopAwareFile *>(user)->read(static_cast<char *>(data), count);
}

sf_count_t streamTell(void *user)
{
    return static_cast<StopAwareFile *>(user)->pos();
}

SF_VIRTUAL_IO streamIo{streamLength, streamSeek, streamRead, nullptr, streamTell};

struct SndfileCloser
{
    void operator()(SNDFILE *file) const { sf_close(file); }
};
using SndfileHandle = std::unique_ptr<SNDFILE, SndfileCloser>;

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

bool isPlayableFormat(const SF_INFO &info)
{
    return info.channels >= 1 && info.channels <= WaveFile::MaxChannels
        && info.samplerate >= WaveFile::MinSampleRate && info.samplerate <= WaveFile::MaxSampleRate;
}

// A float file may hold anything: what is not a number is silence, and what
// lies beyond full scale is held at it (saved again as integers it would
// otherwise wrap round into loud noise).
void holdToFullScale(float *samples, std::size_t count)
{
    for (float &sample : std::span(samples, count))
        sample = std::isfinite(sample) ? std::clamp(sample, -1.0f, 1.0f) : 0.0f;
}

// Tags go in before the samples: formats that keep them in the header
// cannot take them afterwards.
bool setTags(SNDFILE *file, const WaveFile::Tags &tags)
{
    const std::pair<int, const QString *> strings[] = {
        {SF_STR_COMMENT, &tags.comment},
        {SF_STR_SOFTWARE, &tags.software},
    };
    for (const auto &[type, text] : strings) {
        if (!text->isEmpty() && sf_set_string(file, type, text->toUtf8().constData()) != 0)
            return false;
    }
    return true;
}

// The library signs the software tag with its own name and version.
QString withoutLibrarySignature(QString software)
{
    static const QRegularExpression signature(QStringLiteral(" ?\\(libsndfile-[^)]*\\)$"));
    return software.remove(signature);
}

} // namespace

namespace WaveFile {

std::optional<WaveData> Read(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, file.errorString());
        return std::nullopt;
    }
    return Read(file, error);
}

std::optional<WaveData> ReadFromMemory(QByteArrayView bytes, QString *error)
{
    QByteArray copy = bytes.toByteArray();
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return Read(buffer, error);
}

std::optional<WaveData> Read(QIODevice &device, QString *error)
{
    SF_INFO info{};
    SndfileHandle file(sf_open_virtual(&deviceIo, SFM_READ, &info, &device));
    if (!file) {
        setError(error, QString::fromUtf8(sf_strerror(nullptr)));
        return std::nullopt;
    }
    if (!isPlayableFormat(info)) {
        setError(error, QStringLiteral("Unsupported channel count or sample rate"));
        return std::nullopt;
    }

    WaveData wave;
    wave.sampleRate = info.samplerate;
    wave.channels = info.channels;
    wave.format = info.format;

    // The header's frame count is only a hint: it may be wrong, or huge.
    const qint64 maxFrames = MaxSamples / info.channels;
    if (info.frames > 0)
        wave.samples.reserve(std::size_t(std::min<qint64>(info.frames, maxFrames)) * info.channels);

    constexpr sf_count_t ChunkFrames = 4096;
    std::vector<float> chunk(std::size_t(ChunkFrames) * info.channels);
    for (;;) {
        const sf_count_t got = sf_readf_float(file.get(), chunk.data(), ChunkFrames);
        if (got <= 0)
            break;
        if (wave.frames() + got > maxFrames) {
            setError(error, QStringLiteral("The wave is too long"));
            return std::nullopt;
        }
        wave.samples.insert(wave.samples.end(), chunk.begin(), chunk.begin() + got * info.channels);
    }
    if (sf_error(file.get()) != SF_ERR_NO_ERROR) {
        setError(error, QString::fromUtf8(sf_strerror(file.get())));
        return std::nullopt;
    }
    holdToFullScale(wave.samples.data(), wave.samples.size());
    return wave;
}

bool Write(const QString &path, const WaveData &wave, QString *error)
{
    return Write(path, wave, Tags{}, error);
}

bool Write(const QString &path, const WaveData &wave, const Tags &tags, QString *error)
{
    if (tags.comment.toUtf8().size() > MaxCommentBytes || tags.software.toUtf8().size() > MaxSoftwareBytes) {
        setError(error, QStringLiteral("The text to store in the file is too long"));
        return false;
    }
    if (wave.channels < 1 || wave.channels > MaxChannels || wave.sampleRate < MinSampleRate
        || wave.sampleRate > MaxSampleRate) {
        setError(error, QStringLiteral("Unsupported channel count or sample rate"));
        return false;
    }
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) {
        setError(error, out.errorString());
        return false;
    }
    SF_INFO info{};
    info.samplerate = wave.sampleRate;
    info.channels = wave.channels;
    info.format = wave.format != 0 ? wave.format : (SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    {
        SndfileHandle file(sf_open_virtual(&deviceIo, SFM_WRITE, &info, &out));
        if (!file) {
            setError(error, QString::fromUtf8(sf_strerror(nullptr)));
            return false;
        }
        sf_command(file.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);
        if (!setTags(file.get(), tags)) {
            setError(error, QString::fromUtf8(sf_strerror(file.get())));
            return false;
        }
        if (sf_writef_float(file.get(), wave.samples.data(), wave.frames()) != wave.frames()) {
            setError(error, QString::fromUtf8(sf_strerror(file.get())));
            return false;
        }
    } // closing writes the final header
    if (!out.commit()) {
        setError(error, out.errorString());
        return false;
    }
    return true;
}

std::optional<Tags> ReadTags(const QString &path, QString *error)
{
    QFile device(path);
    if (!device.open(QIODevice::ReadOnly)) {
        setError(error, device.errorString());
        return std::nullopt;
    }
    SF_INFO info{};
    SndfileHandle file(sf_open_virtual(&deviceIo, SFM_READ, &info, &device));
    if (!file) {
        setError(error, QString::fromUtf8(sf_strerror(nullptr)));
        return std::nullopt;
    }
    const auto text = [&](int type) { return QString::fromUtf8(sf_get_string(file.get(), type)); };
    return Tags{text(SF_STR_COMMENT), withoutLibrarySignature(text(SF_STR_SOFTWARE))};
}

} // namespace WaveFile

void WaveStream::Closer::operator()(SNDFILE *file) const
{
    sf_close(file);
}

std::unique_ptr<WaveStream> WaveStream::Open(const QString &path, std::stop_token stop,
                                             std::stop_token stopWaiting, QString *error,
                                             bool *stalled)
{
    if (stalled)
        *stalled = false;
    std::unique_ptr<WaveStream> stream(new WaveStream);
    stream->m_file = StopAwareFile::Open(path, std::move(stop), std::move(stopWaiting), error);
    if (!stream->m_file)
        return nullptr;
    SF_INFO info{};
    stream->m_sndfile.reset(sf_open_virtual(&streamIo, SFM_READ, &info, stream->m_file.get()));
    if (!stream->m_sndfile) {
        setError(error, QString::fromUtf8(sf_strerror(nullptr)));
        if (stalled)
            *stalled = stream->m_file->stalled();
        return nullptr;
    }
    if (!isPlayableFormat(info)) {
        setError(error, QStringLiteral("Unsupported channel count or sample rate"));
        if (stalled)
            *stalled = stream->m_file->stalled();
        return nullptr;
    }
    stream->m_sampleRate = info.samplerate;
    stream->m_channels = info.channels;
    return stream;
}

WaveStream::~WaveStream() = default;

bool WaveStream::stalled() const
{
    return m_file->stalled();
}

qint64 WaveStream::read(float *out, qint64 frames)
{
    if (frames <= 0 || m_failed)
        return 0;
    const sf_count_t got = sf_readf_float(m_sndfile.get(), out, frames);
    if (got < 0 || sf_error(m_sndfile.get()) != SF_ERR_NO_ERROR)
        m_failed = true;
    if (got <= 0)
        return 0;
    holdToFullScale(out, std::size_t(got) * std::size_t(m_channels));
    return got;
}
