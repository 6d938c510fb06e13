#pragma once

#include <atomic>
#include <memory>
#include <stop_token>

class EventTableReader;

// What the count-down hands to the playback worker when an event fires.
struct PlaybackJob
{
    int nItem = 0;        // the row that fired
    int nRepetitions = 0; // plays, from its "Repetition" cell
    const EventTableReader *pList = nullptr; // where the wave file is read
    int nPauseSec = 0;    // seconds of silence after each play
};

// The two flags the count-down and the worker share.
struct PlaybackFlags
{
    // 1 from the firing until the worker has ended; no row counts down
    // meanwhile. Set by the count-down, cleared by the worker.
    std::atomic<int> busy{0};
    // 1 asks the worker to play no more. Set by Stop, cleared by the next
    // count-down tick that runs.
    std::atomic<int> stopRequest{0};
};

// The worker: plays the row's wave file nRepetitions times with a pause after
// each play, reading the file name (and the event's name, which the sound
// server shows) afresh before every play and the stop request before every
// play. Frees the job and clears the busy flag as its
// last acts. `cancel` is the window's shutdown: it cuts a sound, a pause or a
// pending read short and ends the worker.
int PlaybackThreadProc(std::unique_ptr<PlaybackJob> job, PlaybackFlags &flags,
                       std::stop_token cancel);
