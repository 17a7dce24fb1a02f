// What the system contract cases need from outside one process: another
// program's top-level window. On Wine a child process makes it; on winsim it
// is a foreign window.
#pragma once

#include <windows.h>

// Starts another process that owns a top-level window of this class and
// returns that window once it can be found.
HWND StartOtherProgramWindow(const char *classname);
// Ends it again.
void StopOtherProgramWindow(HWND window);
// Prepares a fresh system for one case.
void ResetSystem();
