#pragma once

// Owns the program's start-up: runs the main window and ends the program
// when it closes.
class CSchedulerApp
{
public:
    // Runs the main window modally. Returns false: once the main window has
    // ended there is nothing more to run.
    bool InitInstance();
};
