#include "interruptiblesleep.h"

#include <condition_variable>
#include <mutex>

bool SleepFor(std::chrono::milliseconds duration, std::stop_token stop)
{
    std::mutex mutex;
    std::condition_variable_any wakeUp;
    std::unique_lock lock(mutex);
    // Nothing but a stop request ends the wait early.
    wakeUp.wait_for(lock, stop, duration, [] { return false; });
    return !stop.stop_requested();
}
