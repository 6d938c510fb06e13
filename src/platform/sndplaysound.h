#pragma once

#include <QString>

#include <stop_token>

// Options of sndPlaySound. Only synchronous play exists here.
enum SndPlaySoundFlags : unsigned { SndSync = 0 };

// Plays the WAV file and returns once it has been heard to its end. A file
// that is missing, unreadable, empty or not a wave plays the program's
// default sound instead. Without any sound device it returns at once. A stop
// requested on `cancel` cuts the sound off. True when a sound was played to
// its end.
bool sndPlaySound(const QString &path, unsigned flags = SndSync, std::stop_token cancel = {});
