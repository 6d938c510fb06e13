#include "playbackworker.h"

#include "eventtable.h"
#include "eventtablereader.h"
#include "interruptiblesleep.h"
#include "sndplaysound.h"

#include <chrono>

int PlaybackThreadProc(std::unique_ptr<PlaybackJob> job, PlaybackFlags &flags,
                       std::stop_token cancel)
{
    for (int played = 0; played < job->nRepetitions; ++played) {
        if (flags.stopRequest.load() != 0 || cancel.stop_requested())
            break;
        // By row index, every time: the row may have moved or gone meanwhile.
        // The name goes with the file, for the sound server's mixer.
        const std::optional<QStringList> cells =
            job->pList->texts(job->nItem, {EventTable::WaveFile, EventTable::EventName}, cancel);
        if (!cells)
            break;
        sndPlaySound(cells->at(0), SndSync, cancel, cells->at(1));
        if (!SleepFor(std::chrono::seconds(job->nPauseSec), cancel))
            break;
    }
    job.reset();
    flags.busy.store(0);
    return 0;
}
