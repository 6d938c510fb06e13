#pragma once

// Makes the images compiled into the program's library available. Windows
// that show them call this first; calling it again does nothing.
void InitResources();
