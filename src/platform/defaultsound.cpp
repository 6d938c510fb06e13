#include "defaultsound.h"

#include <sndfile.h>

#include <cmath>
#include <numbers>

namespace {

constexpr int Rate = 44100;

// One bell-like note: a fundamental with a softer octave above it, a quick
// attack so that it does not click, and an exponential decay.
void addNote(std::vector<float> &out, double startSec, double lengthSec, double frequency)
{
    const auto first = std::size_t(startSec * Rate);
    const auto count = std::size_t(lengthSec * Rate);
    if (out.size() < first + count)
        out.resize(first + count, 0.0f);
    constexpr double attackSec = 0.005;
    for (std::size_t i = 0; i < count; ++i) {
        const double t = double(i) / Rate;
        const double envelope = std::min(1.0, t / attackSec) * std::exp(-6.0 * t);
        const double phase = 2.0 * std::numbers::pi * frequency * t;
        out[first + i] += float(0.35 * envelope * (std::sin(phase) + 0.3 * std::sin(2.0 * phase)));
    }
}

} // namespace

std::shared_ptr<const WaveData> DefaultSound()
{
    static const std::shared_ptr<const WaveData> sound = [] {
        auto wave = std::make_shared<WaveData>();
        wave->sampleRate = Rate;
        wave->channels = 1;
        wave->format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
        addNote(wave->samples, 0.0, 0.45, 1318.51); // E6
        addNote(wave->samples, 0.18, 0.5, 1046.50); // C6
        return wave;
    }();
    return sound;
}
