#pragma once

#include <QString>

#include <stop_token>

// Options of sndPlaySound. Only synchronous play exists here.
enum SndPlaySoundFlags : unsigned { SndSync = 0 };

// Plays the sound file and returns once it has been heard to its end. The
// file is read as it plays, a little ahead, so that memory stays small and
// the sound starts at once however long the file is; any format libsndfile
// reads will do. A file that is missing, unreadable, empty or not a sound
// plays the program's default sound instead. Without any sound device it
// returns at once. A stop requested on `cancel` cuts the sound off, also
// while it waits for a slow file. One requested on `stopWaiting` lets the
// sound go on only as long as the file keeps up: where the file has nothing
// at hand (a stalled pipe or share), the sound ends after what was read, and
// no default sound plays for a file that stalled before its first sample;
// `stalled`, when given, tells whether that happened. The sound server shows
// the play as an event sound named `soundName`. True when a sound was played
// to its end.
bool sndPlaySound(const QString &path, unsigned flags = SndSync, std::stop_token cancel = {},
                  const QString &soundName = {}, std::stop_token stopWaiting = {},
                  bool *stalled = nullptr);
