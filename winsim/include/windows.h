// Host stand-in for <windows.h>: the part of the Win32 API that Tamsel calls,
// with the real types, sizes and constant values of the 64-bit platform, so the
// program's sources compile unchanged on Linux. The calls are implemented in
// memory by winsim (see winsim.h for what a test can set up and inspect).
//
// What winsim does not model: painting, non-client areas and window
// rectangles beyond the numbers given; focus and activation beyond a single
// foreground window; threads other than the caller's and real processes (other
// programs are "foreign" windows and hotkey holders set up by a test); message
// filtering in GetMessageA; timers; Unicode ("W") functions; DDE; delayed
// clipboard rendering; security descriptors and registry redirection.
#pragma once

#include "winsim/types.h"
#include "winsim/user.h"
#include "winsim/kernel.h"
#include "winsim/registry.h"
#include "winsim/gdi.h"

// The program's entry point; in the host build tests call it like the system does.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandline, int show);
