#include "paste/pasteactions.h"

#include "app/app.h"
#include "paste/activation.h"
#include "paste/clipboard.h"
#include "paste/userkeys.h"
#include "settings/settings.h"

namespace {
const BYTE KeyV = 'V';
// Windows lists it as unassigned: pressing it means nothing to any program.
const BYTE MaskKey = 0xE8;

// The combination a hotkey word registers, whatever else the word carries.
bool IsCtrlV(WORD word, BYTE mods) { return mods == MOD_CONTROL && LOBYTE(word) == KeyV; }

// Whether the program's hotkey `id` is Ctrl+V while the paste hotkeys are
// active: the mode's own, the user's paste key, or the activation key.
bool HoldsCtrlV(int id) {
  switch (id) {
    case CtrlVHotkeyId:
      return hookkey == ModeStandardKeys;
    case UserPasteHotkeyId:
      return hookkey == ModeUserPaste && IsCtrlV(keycp, keycpmods);
    case ActivationHotkeyId:
      return IsCtrlV(activekey, activekeymods);
    default:
      return false;
  }
}

void Press(BYTE vk) { SendKey(vk, false); }
void Release(BYTE vk) { SendKey(vk, true); }

// Read once the clipboard is done, while the user's keys are watched: only a
// key the user still holds may be left down or pressed again, or it would
// stay logically down after the user let go. A release that was still on its
// way through other programs' hooks when the watch began has reached the key
// state once a synthetic key has gone all the way after it, so the hotkey's
// own key is let go of first.
bool UserHolds(BYTE vk) { return GetAsyncKeyState(vk) < 0; }

// Windows opens the focused window's menu bar when Alt goes down and up with
// no other key pressed between; a meaningless key keeps it closed.
void MaskAlt() {
  Press(MaskKey);
  Release(MaskKey);
}

void PressAltAgain() {
  Press(VK_MENU);
  MaskAlt();
}

void PressAgain(BYTE modifier) {
  if (modifier == VK_MENU)
    PressAltAgain();
  else
    Press(modifier);
}

// Ctrl is part of the paste; it stays down only while the user holds it.
void PasteOnCtrlV() {
  ConvertClipboard();
  WatchUserKeys();
  bool ctrlheld = UserHolds(VK_CONTROL);
  Press(VK_CONTROL);
  PressPasteKey();
  Release(KeyV);
  if (!ctrlheld) Release(VK_CONTROL);
  EndWatchingUserKeys();
}

// Shift+Insert, Alt+V, Alt+Insert: the hotkey's own keys are let go so that
// the application sees a plain Ctrl+V, and the modifier goes down again after.
void PasteOnFixedKeys(BYTE mainkey, BYTE modifier, bool convert) {
  // The hotkey took the key pressed with the user's Alt: masked at once, as
  // the user may let go of Alt while the clipboard is converted.
  if (modifier == VK_MENU) MaskAlt();
  if (convert) ConvertClipboard();
  WatchUserKeys();
  Release(mainkey);
  bool held = UserHolds(modifier);
  Release(modifier);
  Press(VK_CONTROL);
  PressPasteKey();
  Release(KeyV);
  Release(VK_CONTROL);
  if (held) PressAgain(modifier);
  EndWatchingUserKeys();
}

// The user's own combination: Ctrl stays down when it is part of it.
void PasteOnUserKeys() {
  if (keycpmods & MOD_ALT) MaskAlt();
  ConvertClipboard();
  WatchUserKeys();
  Release(LOBYTE(keycp));
  bool altheld = (keycpmods & MOD_ALT) && UserHolds(VK_MENU);
  bool ctrlheld = (keycpmods & MOD_CONTROL) && UserHolds(VK_CONTROL);
  bool shiftheld = (keycpmods & MOD_SHIFT) && UserHolds(VK_SHIFT);
  if (keycpmods & MOD_ALT) Release(VK_MENU);
  if (keycpmods & MOD_SHIFT) Release(VK_SHIFT);
  Press(VK_CONTROL);
  PressPasteKey();
  Release(KeyV);
  if (altheld) PressAltAgain();
  if (!ctrlheld) Release(VK_CONTROL);
  if (shiftheld) Press(VK_SHIFT);
  EndWatchingUserKeys();
}
}  // namespace

void SendKey(BYTE vk, bool up) {
  keybd_event(vk, static_cast<BYTE>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)), up ? KEYEVENTF_KEYUP : 0,
              0);
}

void PressPasteKey() {
  const int ids[] = {CtrlVHotkeyId, UserPasteHotkeyId, ActivationHotkeyId};
  for (int id : ids)
    if (HoldsCtrlV(id)) UnregisterHotKey(mainwindow, id);
  Press(KeyV);
  // A hotkey still queued when the settings page opened restores nothing.
  if (!SettingsPageOpen())
    for (int id : ids)
      if (HoldsCtrlV(id)) RegisterHotKey(mainwindow, id, MOD_CONTROL, KeyV);
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
