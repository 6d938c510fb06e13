#pragma once

#include <atomic>
#include <memory>
#include <mutex>
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

// Goes with the stop request: a token that tells a play under way to wait no
// longer for a file that has nothing at hand, such as a named pipe whose
// writer has stalled. A file that keeps up plays on. A token once requested stays
// so; renewing hands later plays a fresh one. Requested and renewed on one
// thread, taken on any.
class StopWaiting
{
public:
    std::stop_token token() const;
    void request();
    // Only when the current token has been requested.
    void renew();

private:
    mutable std::mutex m_mutex;
    std::stop_source m_source;
};

// The two flags the count-down and the worker share, and the token that goes
// with the stop request.
struct PlaybackFlags
{
    // 1 from the firing until the worker has ended; no row counts down
    // meanwhile. Set by the count-down, cleared by the worker.
    std::atomic<int> busy{0};
    // 1 asks the worker to play no more. Set by Stop, cleared by the next
    // count-down tick that runs.
    std::atomic<int> stopRequest{0};
    // Requested together with the stop request, renewed when it is cleared.
    StopWaiting stopWaiting;
};

// The worker: plays the row's wave file nRepetitions times with a pause after
// each play, reading the file name (and the event's name, which the sound
// server shows) afresh before every play and the stop request before every
// play. Once Stop has been asked for, the play under way goes on only as long
// as its file keeps up; one whose file stalls ends there, and so does the
// worker, without the pause. Frees the job and clears the busy flag as its
// last acts. `cancel` is the window's shutdown: it cuts a sound, a pause or a
// pending read short and ends the worker.
int PlaybackThreadProc(std::unique_ptr<PlaybackJob> job, PlaybackFlags &flags,
                       std::stop_token cancel);
