// The active state (paste hotkeys of the current mode registered) and the
// inactive state (none), and the switch between them.
#pragma once

#include <windows.h>

enum {
  CtrlVHotkeyId = 1,
  ShiftInsHotkeyId = 2,
  AltVHotkeyId = 3,
  AltInsHotkeyId = 4,
  UserPasteHotkeyId = 7,
  UserCleanHotkeyId = 8,
  ActivationHotkeyId = 9,
};

// 1 while the paste hotkeys of the current mode are registered.
extern BYTE hotkeysactive;

// Reached only as the handler of WM_HOTKEY with id 9.
void ToggleActivation();
void RegisterModeHotkeys();
// Ids 8 down to 1, whatever the mode; the activation hotkey stays.
void UnregisterPasteHotkeys();
// Id 9, when an activation hotkey is set.
void RegisterActivationHotkey();
// The paste hotkeys, then the activation hotkey.
void UnregisterAllHotkeys();
