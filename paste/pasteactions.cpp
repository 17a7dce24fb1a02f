#include "paste/pasteactions.h"

#include "app/app.h"
#include "paste/activation.h"
#include "paste/clipboard.h"
#include "settings/settings.h"

namespace {
const BYTE KeyV = 'V';
// Windows lists it as unassigned: pressing it means nothing to any program.
const BYTE MaskKey = 0xE8;

void Press(BYTE vk) { SendKey(vk, false); }
void Release(BYTE vk) { SendKey(vk, true); }

// Read once the clipboard is done, just before the first synthetic key: only
// a key the user still holds may be left down or pressed again, or it would
// stay logically down after the user let go.
bool UserHolds(BYTE vk) { return GetAsyncKeyState(vk) < 0; }

// Windows opens the focused window's menu bar when Alt goes down and up with
// no other key pressed between; a meaningless key keeps it closed.
void PressAltAgain() {
  Press(VK_MENU);
  Press(MaskKey);
  Release(MaskKey);
}

void PressAgain(BYTE modifier) {
  if (modifier == VK_MENU)
    PressAltAgain();
  else
    Press(modifier);
}

// Ctrl+V for the fixed hotkeys; only mode 2 holds Ctrl+V itself.
void PressCtrlV() { PressPasteKey(CtrlVHotkeyId, hookkey == ModeStandardKeys); }

// Ctrl is part of the paste; it stays down only while the user holds it.
void PasteOnCtrlV() {
  ConvertClipboard();
  bool ctrlheld = UserHolds(VK_CONTROL);
  Press(VK_CONTROL);
  PressCtrlV();
  Release(KeyV);
  if (!ctrlheld) Release(VK_CONTROL);
}

// Shift+Insert, Alt+V, Alt+Insert: the hotkey's own keys are let go so that
// the application sees a plain Ctrl+V, and the modifier goes down again after.
void PasteOnFixedKeys(BYTE mainkey, BYTE modifier, bool convert) {
  if (convert) ConvertClipboard();
  bool held = UserHolds(modifier);
  Release(mainkey);
  Release(modifier);
  Press(VK_CONTROL);
  PressCtrlV();
  Release(KeyV);
  Release(VK_CONTROL);
  if (held) PressAgain(modifier);
}

// The combination registered for the user's paste key; only Ctrl+V itself
// would catch the synthetic V, whatever else the stored word carries.
bool UserKeyIsCtrlV() { return keycpmods == MOD_CONTROL && LOBYTE(keycp) == KeyV; }

// The user's own combination: Ctrl stays down when it is part of it.
void PasteOnUserKeys() {
  ConvertClipboard();
  bool altheld = (keycpmods & MOD_ALT) && UserHolds(VK_MENU);
  bool ctrlheld = (keycpmods & MOD_CONTROL) && UserHolds(VK_CONTROL);
  bool shiftheld = (keycpmods & MOD_SHIFT) && UserHolds(VK_SHIFT);
  Release(LOBYTE(keycp));
  if (keycpmods & MOD_ALT) Release(VK_MENU);
  if (keycpmods & MOD_SHIFT) Release(VK_SHIFT);
  Press(VK_CONTROL);
  PressPasteKey(UserPasteHotkeyId, UserKeyIsCtrlV());
  Release(KeyV);
  if (altheld) PressAltAgain();
  if (!ctrlheld) Release(VK_CONTROL);
  if (shiftheld) Press(VK_SHIFT);
}
}  // namespace

void SendKey(BYTE vk, bool up) {
  keybd_event(vk, static_cast<BYTE>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)), up ? KEYEVENTF_KEYUP : 0,
              0);
}

void PressPasteKey(int id, bool guarded) {
  if (guarded) UnregisterHotKey(mainwindow, id);
  Press(KeyV);
  if (guarded) RegisterHotKey(mainwindow, id, MOD_CONTROL, KeyV);
}

void HandlePasteHotkey(WPARAM id) {
  if (hotkeysactive != 1) return;
  switch (id) {
    case CtrlVHotkeyId:
      PasteOnCtrlV();
      break;
    case ShiftInsHotkeyId:
      PasteOnFixedKeys(VK_INSERT, VK_SHIFT, true);
      break;
    case AltVHotkeyId:
      PasteOnFixedKeys(KeyV, VK_MENU, hookkey == ModeAltKeys);
      break;
    case AltInsHotkeyId:
      PasteOnFixedKeys(VK_INSERT, VK_MENU, hookkey == ModeAltKeys);
      break;
    case UserPasteHotkeyId:
      PasteOnUserKeys();
      break;
    case UserCleanHotkeyId:
      ConvertClipboard();
      break;
    default:
      break;
  }
}
