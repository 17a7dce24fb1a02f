// What the paste and clean hotkeys do: rewrite the clipboard to plain text
// and make the focused application paste it with a synthetic Ctrl+V.
#pragma once

#include <windows.h>

// The action of hotkey ids 1 to 8 (5 and 6 do nothing); only while the paste
// hotkeys are active.
void HandlePasteHotkey(WPARAM id);

// The extra information of every key the program sends, which tells its own
// keys from the user's, typed or injected by a key remapper ("Tmsl"; no
// remapper we know of signs its keys so).
const ULONG_PTR OwnKeySignature = 0x546D736C;

// One synthetic key event, a press or a release.
void SendKey(BYTE vk, bool up);

// Presses V while Ctrl is down. Each of the program's hotkeys that is Ctrl+V
// would catch the press, so it is taken away for the one keystroke.
void PressPasteKey();
