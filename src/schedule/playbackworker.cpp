#include "playbackworker.h"

#include "eventtable.h"
#include "eventtablereader.h"
#include "interruptiblesleep.h"
#include "sndplaysound.h"

#include <chrono>

std::stop_token StopWaiting::token() const
{
    std::lock_guard lock(m_mutex);
    return m_source.get_token();
}

void StopWaiting::request()
{
    std::lock_guard lock(m_mutex);
    m_source.request_stop();
}

void StopWaiting::renew()
{
    std::lock_guard lock(m_mutex);
    // Every count-down tick clears the stop request; a new source each
    // second would be an allocation for nothing.
    if (m_source.stop_requested())
        m_source = std::stop_source();
}

int PlaybackThreadProc(std::unique_ptr<PlaybackJob> job, PlaybackFlags &flags,
                       std::stop_token cancel)
{
    for (int played = 0; played < job->nRepetitions; ++played) {
        if (flags.stopRequest.load() != 0 || cancel.stop_requested())
            break;
        // Taken after the stop request was seen clear: a Stop from here on
        // requests this very token.
        const std::stop_token stopWaiting = flags.stopWaiting.token();
        // By row index, every time: the row may have moved or gone meanwhile.
        // The name goes with the file, for the sound server's mixer.
        const std::optional<QStringList> cells =
            job->pList->texts(job->nItem, {EventTable::WaveFile, EventTable::EventName}, cancel);
        if (!cells)
            break;
        bool stalled = false;
        sndPlaySound(cells->at(0), SndSync, cancel, cells->at(1), stopWaiting, &stalled);
        // Stop lets a play and its pause run to their end. A play whose file
        // stalled after Stop has not, and no play follows it: a pause would
        // only hold the count-down for nothing. A Start that came first has
        // cleared the request, and the worker plays on.
        if (stalled && flags.stopRequest.load() != 0)
            break;
        if (!SleepFor(std::chrono::seconds(job->nPauseSec), cancel))
            break;
    }
    job.reset();
    flags.busy.store(0);
    return 0;
}
