#include "paste/pasteactions.h"

#include "app/app.h"
#include "paste/activation.h"
#include "paste/clipboard.h"
#include "settings/settings.h"

namespace {
const BYTE KeyV = 'V';
const WORD UserCtrlV = 0x0256;  // HOTKEYF_CONTROL with V

void Press(BYTE vk) { SendKey(vk, false); }
void Release(BYTE vk) { SendKey(vk, true); }

// Ctrl+V for the fixed hotkeys; only mode 2 holds Ctrl+V itself.
void PressCtrlV() { PressPasteKey(CtrlVHotkeyId, hookkey == ModeStandardKeys); }

// The user still holds Ctrl and V: Ctrl stays down, V goes up after the paste.
void PasteOnCtrlV() {
  ConvertClipboard();
  Press(VK_CONTROL);
  PressCtrlV();
  Release(KeyV);
}

// Shift+Insert, Alt+V, Alt+Insert: the hotkey's own keys are let go so that
// the application sees a plain Ctrl+V, and the modifier goes down again after.
void PasteOnFixedKeys(BYTE mainkey, BYTE modifier, bool convert) {
  if (convert) ConvertClipboard();
  Release(mainkey);
  Release(modifier);
  Press(VK_CONTROL);
  PressCtrlV();
  Release(KeyV);
  Release(VK_CONTROL);
  Press(modifier);
}

// The user's own combination: Ctrl stays down when it is part of it.
void PasteOnUserKeys() {
  ConvertClipboard();
  Release(LOBYTE(keycp));
  if (keycpmods & MOD_ALT) Release(VK_MENU);
  if (keycpmods & MOD_SHIFT) Release(VK_SHIFT);
  Press(VK_CONTROL);
  PressPasteKey(UserPasteHotkeyId, keycp == UserCtrlV);
  Release(KeyV);
  if (keycpmods & MOD_ALT) Press(VK_MENU);
  if (!(keycpmods & MOD_CONTROL)) Release(VK_CONTROL);
  if (keycpmods & MOD_SHIFT) Press(VK_SHIFT);
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
