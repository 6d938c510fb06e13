#include "sndplaysound.h"

#include "defaultsound.h"
#include "sdlaudio.h"
#include "wavefile.h"

#include <memory>

namespace {

std::shared_ptr<const WaveData> readPlayable(const QString &path)
{
    if (path.isEmpty())
        return nullptr;
    std::optional<WaveData> wave = WaveFile::Read(path);
    if (!wave || wave->frames() == 0)
        return nullptr;
    return std::make_shared<const WaveData>(std::move(*wave));
}

} // namespace

bool sndPlaySound(const QString &path, unsigned flags, std::stop_token cancel)
{
    Q_UNUSED(flags);
    if (!SdlAudio::IsAvailable())
        return false;

    std::unique_ptr<AudioPlayback> playback;
    if (std::shared_ptr<const WaveData> wave = readPlayable(path))
        playback = AudioPlayback::Start(std::move(wave));
    // A wave the device will not take (say, too many channels) is treated
    // like one that could not be read.
    if (!playback)
        playback = AudioPlayback::Start(DefaultSound());
    return playback && playback->waitUntilHeard(cancel);
}
