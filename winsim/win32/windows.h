// Host stand-in for <windows.h>: the part of the Win32 API that Tamsel calls,
// with the real types, sizes and constant values of the 64-bit platform, so the
// program's sources compile unchanged on Linux. The calls are implemented in
// memory by winsim (see testing/winsim.h for what a test can set up and
// inspect, and winsim/README.md for what winsim does not model).
#pragma once

#include "winsim/types.h"
#include "winsim/user.h"
#include "winsim/kernel.h"
#include "winsim/registry.h"
#include "winsim/gdi.h"

// The program's entry point; in the host build tests call it like the system does.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandline, int show);
