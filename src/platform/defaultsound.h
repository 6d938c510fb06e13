#pragma once

#include "wavefile.h"

#include <memory>

// The program's own sound, heard instead of a wave file that is missing or
// cannot be read: a short two-note chime, made in code so that it is always
// there.
std::shared_ptr<const WaveData> DefaultSound();
