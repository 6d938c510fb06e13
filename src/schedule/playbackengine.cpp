#include "playbackengine.h"

#include <system_error>

PlaybackEngine::PlaybackEngine(EventTable *table)
    : m_reader(table)
    , m_startThread([](std::function<void()> body) { return std::thread(std::move(body)); })
{
}

PlaybackEngine::~PlaybackEngine()
{
    shutdown();
}

std::unique_ptr<PlaybackJob> PlaybackEngine::makeJob(int row, int repetitions, int pauseSec) const
{
    auto job = std::make_unique<PlaybackJob>();
    job->nItem = row;
    job->nRepetitions = repetitions;
    job->pList = &m_reader;
    job->nPauseSec = pauseSec;
    return job;
}

bool PlaybackEngine::startWorker(std::unique_ptr<PlaybackJob> job)
{
    // Set before the thread exists, so that no tick sees a worker running
    // with the flag clear.
    m_flags.busy.store(1);
    // The previous worker has cleared the busy flag as its last act; what
    // remains of it is the return.
    if (m_worker.joinable())
        m_worker.join();
    // The job waits here for the new worker, which takes it as its first
    // act; the previous worker has taken its own long ago.
    m_pendingJob = std::move(job);
    try {
        m_worker = m_startThread([this, cancel = m_shutdown.get_token()] {
            PlaybackThreadProc(std::move(m_pendingJob), m_flags, cancel);
        });
        return true;
    } catch (const std::system_error &) {
        m_pendingJob.reset();
        m_flags.busy.store(0);
        return false;
    }
}

void PlaybackEngine::requestStop()
{
    m_flags.stopRequest.store(1);
    m_flags.stopWaiting.request();
}

void PlaybackEngine::clearStopRequest()
{
    // Renewed before the flag clears, so that a worker that sees the flag
    // clear takes a token no earlier Stop has requested.
    m_flags.stopWaiting.renew();
    m_flags.stopRequest.store(0);
}

void PlaybackEngine::shutdown()
{
    m_flags.stopRequest.store(1);
    m_shutdown.request_stop();
    if (m_worker.joinable())
        m_worker.join();
}
