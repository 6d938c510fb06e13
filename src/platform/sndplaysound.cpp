#include "sndplaysound.h"

#include "defaultsound.h"
#include "sdlaudio.h"
#include "wavefile.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// How much of the file is read at a time: small enough that memory stays
// flat for a file of any length, large enough that a read is rare.
constexpr int BlocksPerSecond = 10;

enum class Outcome { Heard, CutShort, Stalled, NotPlayable };

// Streams the file to the device a block at a time, on the calling thread.
Outcome playFile(const QString &path, const SdlAudio::StreamLabel &label, std::stop_token cancel,
                 std::stop_token stopWaiting)
{
    if (path.isEmpty())
        return Outcome::NotPlayable;
    bool stalled = false;
    const std::unique_ptr<WaveStream> file = WaveStream::Open(path, cancel, stopWaiting, nullptr, &stalled);
    if (cancel.stop_requested())
        return Outcome::CutShort;
    // A file that did not come in time is not a broken one: no default
    // sound stands in for it.
    if (stalled)
        return Outcome::Stalled;
    if (!file)
        return Outcome::NotPlayable;

    const qint64 blockFrames = std::max(1, file->sampleRate() / BlocksPerSecond);
    std::vector<float> block(std::size_t(blockFrames) * std::size_t(file->channels()));
    // The first block comes before the device opens: a file without a
    // single sample is not played either.
    qint64 frames = file->read(block.data(), blockFrames);
    if (cancel.stop_requested())
        return Outcome::CutShort;
    if (frames == 0 && file->stalled())
        return Outcome::Stalled;
    if (frames == 0)
        return Outcome::NotPlayable;

    // A file the device will not take (say, too many channels) is treated
    // like one that could not be read.
    const std::unique_ptr<StreamingPlayback> playback =
        StreamingPlayback::Open(file->sampleRate(), file->channels(), label);
    if (!playback)
        return Outcome::NotPlayable;
    while (frames > 0) {
        if (!playback->write(block.data(), std::size_t(frames) * std::size_t(file->channels()), cancel))
            return Outcome::CutShort;
        frames = file->read(block.data(), blockFrames);
    }
    // A file that ends early (cut short on disk, failing to read, or
    // stalled once waiting has ended) ends the sound there; what was read is
    // still heard, and only a stop cuts off what is queued already.
    if (cancel.stop_requested())
        return Outcome::CutShort;
    if (!playback->finish(cancel))
        return Outcome::CutShort;
    return file->stalled() ? Outcome::Stalled : Outcome::Heard;
}

} // namespace

bool sndPlaySound(const QString &path, unsigned flags, std::stop_token cancel,
                  const QString &soundName, std::stop_token stopWaiting, bool *stalled)
{
    Q_UNUSED(flags);
    if (stalled)
        *stalled = false;
    if (!SdlAudio::IsAvailable())
        return false;

    const SdlAudio::StreamLabel label{soundName, QStringLiteral("event")};
    switch (playFile(path, label, cancel, stopWaiting)) {
    case Outcome::Heard:
        return true;
    case Outcome::CutShort:
        return false;
    case Outcome::Stalled:
        if (stalled)
            *stalled = true;
        return false;
    case Outcome::NotPlayable:
        break;
    }
    const std::unique_ptr<AudioPlayback> chime = AudioPlayback::Start(DefaultSound(), nullptr, label);
    return chime && chime->waitUntilHeard(cancel);
}
