#pragma once

// Short waves that tests write to disk and then hear played back.

#include "wavefile.h"

#include <sndfile.h>

// A wave in which no sample is silent and every sample is exactly an 8-bit
// (and so a 16-bit) value, so that what a device receives can be told apart from the silence
// around it and compared sample for sample with the file.
inline WaveData AudibleWave(int sampleRate, int channels, qint64 frames,
                            int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16)
{
    WaveData wave;
    wave.sampleRate = sampleRate;
    wave.channels = channels;
    wave.format = format;
    wave.samples.resize(std::size_t(frames * channels));
    for (std::size_t i = 0; i < wave.samples.size(); ++i) {
        const int step = (int(i % 120) + 1) * 256;
        wave.samples[i] = float((i % 2 ? -step : step)) / 32768.0f;
    }
    return wave;
}
