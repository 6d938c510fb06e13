#pragma once

#include "eventtablereader.h"
#include "playbackworker.h"

#include <functional>
#include <memory>
#include <stop_token>
#include <thread>

class EventTable;

// Runs the playback workers for one event table: at most one at a time, on a
// thread of its own, sharing the busy and stop flags with the count-down.
// The owner of the table shuts the engine down before the table goes: the
// worker is then cut short and joined, never left running on its own.
class PlaybackEngine
{
public:
    using ThreadStarter = std::function<std::thread(std::function<void()>)>;

    explicit PlaybackEngine(EventTable *table);
    ~PlaybackEngine();

    PlaybackEngine(const PlaybackEngine &) = delete;
    PlaybackEngine &operator=(const PlaybackEngine &) = delete;

    bool isBusy() const { return m_flags.busy.load() == 1; }
    bool isStopRequested() const { return m_flags.stopRequest.load() != 0; }
    // Asks the worker to play no more. The play under way and its pause run
    // to their end, unless its file stalls: then the play ends there, and
    // the worker with it.
    void requestStop();
    void clearStopRequest();

    // A job for the given row, reading its wave file through this engine.
    std::unique_ptr<PlaybackJob> makeJob(int row, int repetitions, int pauseSec) const;

    // Sets the busy flag, then hands the job to a new worker. When no worker
    // can be started the busy flag is cleared again and the job freed, so
    // the count-down goes on; returns false then.
    bool startWorker(std::unique_ptr<PlaybackJob> job);

    // Asks the worker to stop, cuts its sound, pause or pending read short
    // and waits for it to end. No worker starts afterwards.
    void shutdown();

    // Lets a test make starting a thread fail.
    void setThreadStarterForTesting(ThreadStarter starter) { m_startThread = std::move(starter); }

private:
    EventTableReader m_reader;
    PlaybackFlags m_flags;
    std::stop_source m_shutdown;
    // From startWorker() until the new worker takes it.
    std::unique_ptr<PlaybackJob> m_pendingJob;
    std::thread m_worker;
    ThreadStarter m_startThread;
};
