#pragma once

#include <chrono>
#include <stop_token>

// Waits for the given time, or less when a stop is requested on the token
// meanwhile. Returns false when the wait was cut short. A zero or negative
// time returns at once.
bool SleepFor(std::chrono::milliseconds duration, std::stop_token stop);
