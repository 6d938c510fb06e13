// Feeds arbitrary bytes to the WAV reader that both the playback worker and
// the editor's wave device load their files with.

#include "wavefile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::optional<WaveData> wave = WaveFile::ReadFromMemory(
        QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (wave) {
        // What the reader hands on must be playable as it stands.
        if (wave->channels < 1 || wave->channels > WaveFile::MaxChannels
            || wave->sampleRate < WaveFile::MinSampleRate || wave->sampleRate > WaveFile::MaxSampleRate
            || qint64(wave->samples.size()) > WaveFile::MaxSamples
            || wave->samples.size() % std::size_t(wave->channels) != 0)
            __builtin_trap();
        for (float sample : wave->samples)
            if (!(sample >= -1.0f && sample <= 1.0f))
                __builtin_trap();
    }
    return 0;
}
