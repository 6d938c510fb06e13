#pragma once

#include <QString>

// What a start of the program asks for: a schedule to open and whether to
// start it. The first start carries it out itself; a later one hands it to
// the program already running.
struct StartRequest
{
    // Absolute path of the schedule file to open; empty opens none.
    QString file;
    // Run the Start command once the schedule is open.
    bool start = false;

    bool operator==(const StartRequest &) const = default;
};
