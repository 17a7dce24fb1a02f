// The user's own modifier keys while the program's synthetic keys go out.
// GetAsyncKeyState tells whether the user holds a key when the keystrokes
// begin; once the program has let go of the key itself, only a low-level
// keyboard hook, called in the order the system takes the events in, tells
// whether the user let go before or after the program pressed it again.
#pragma once

#include <windows.h>

// From just before the held keys are read to the last synthetic key.
void WatchUserKeys();
// Lets go of each modifier that is down although the user let go of it
// meanwhile: the program pressed it again, or left it down, or the hook held
// the user's release back.
void EndWatchingUserKeys();
// The left-hand code of VK_SHIFT, VK_CONTROL or VK_MENU; the right-hand one
// is the next.
BYTE LeftKeyOf(BYTE modifier);
