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

// The sides of a modifier the user holds, by the codes that name them; 0 for
// a side not held. Read once the clipboard is done, while the user's keys are
// watched: only a key the user still holds may be left down or pressed
// again, or it would stay logically down after the user let go. A release
// that was still on its way through other programs' hooks when the watch
// began has reached the key state once a synthetic key has gone all the way
// after it, so the hotkey's own key is let go of first.
struct Held {
  BYTE left;
  BYTE right;
};

Held UserHolds(BYTE modifier) {
  BYTE left = LeftKeyOf(modifier);
  BYTE right = static_cast<BYTE>(left + 1);
  return {GetAsyncKeyState(left) < 0 ? left : BYTE(0),
          GetAsyncKeyState(right) < 0 ? right : BYTE(0)};
}

bool Any(Held held) { return held.left || held.right; }

// A key of the side the user does not hold would stay down on Windows until
// the user taps it, so each goes by the side held.
void ReleaseHeld(Held held) {
  if (held.left) Release(held.left);
  if (held.right) Release(held.right);
}

void PressHeld(Held held) {
  if (held.left) Press(held.left);
  if (held.right) Press(held.right);
}

// Windows opens the focused window's menu bar when Alt goes down and up with
// no other key pressed between, and switches the input language when Left
// Alt+Shift or Ctrl+Shift are down and one goes up with no other key pressed
// since: a meaningless key between keeps either from happening. Injected keys
// count as typed ones, so the program's releases and the user's own later
// ones must find a key pressed since the last modifier went down.
void TapMaskKey() {
  Press(MaskKey);
  Release(MaskKey);
}

// The hotkey's modifiers let go of without a key between would complete one.
bool MayCompleteShortcut(UINT mods) {
  return (mods & MOD_ALT) || ((mods & MOD_SHIFT) && (mods & MOD_CONTROL));
}

// The user's Alt went up before the program's first key could follow it: the
// window saw Alt alone and may be in its menu bar, which would eat the Ctrl+V.
// Nothing injected now stops that menu from opening, but an Alt press ends it,
// and masked it opens none where none is open.
void CloseMenuOfLoneAlt() {
  Press(VK_MENU);
  TapMaskKey();
  Release(VK_MENU);
}

// The keys the user still holds go down again; masked where letting go of
// them later could complete one of the system's shortcuts.
void PressAgain(Held held, bool masked) {
  PressHeld(held);
  if (masked && Any(held)) TapMaskKey();
}

// The program's own Ctrl when the user holds none, else the user's again.
void PressCtrl(Held ctrl) {
  if (Any(ctrl))
    PressHeld(ctrl);
  else
    Press(VK_CONTROL);
}

void PasteWithCtrl(Held ctrl) {
  PressCtrl(ctrl);
  PressPasteKey();
  Release(KeyV);
}

// Ctrl is part of the paste; it stays down only while the user holds it.
void PasteOnCtrlV() {
  ConvertClipboard();
  WatchUserKeys();
  Held ctrl = UserHolds(VK_CONTROL);
  PasteWithCtrl(ctrl);
  if (!Any(ctrl)) Release(VK_CONTROL);
  EndWatchingUserKeys();
}

// Shift+Insert, Alt+V, Alt+Insert: the hotkey's own keys are let go so that
// the application sees a plain Ctrl+V, and the modifier goes down again after.
void PasteOnFixedKeys(BYTE mainkey, BYTE modifier, bool convert) {
  bool alt = modifier == VK_MENU;
  // The hotkey took the key pressed with the user's Alt: masked at once, as
  // the user may let go of Alt while the clipboard is converted.
  if (alt) TapMaskKey();
  if (convert) ConvertClipboard();
  WatchUserKeys();
  Release(mainkey);
  Held held = UserHolds(modifier);
  if (alt && !Any(held)) CloseMenuOfLoneAlt();
  ReleaseHeld(held);
  PasteWithCtrl(Held());
  Release(VK_CONTROL);
  PressAgain(held, alt);
  EndWatchingUserKeys();
}

// The user's own combination: Ctrl stays down when it is part of it.
void PasteOnUserKeys() {
  if (MayCompleteShortcut(keycpmods)) TapMaskKey();
  ConvertClipboard();
  WatchUserKeys();
  Release(LOBYTE(keycp));
  Held alt = (keycpmods & MOD_ALT) ? UserHolds(VK_MENU) : Held();
  Held ctrl = (keycpmods & MOD_CONTROL) ? UserHolds(VK_CONTROL) : Held();
  Held shift = (keycpmods & MOD_SHIFT) ? UserHolds(VK_SHIFT) : Held();
  if ((keycpmods & MOD_ALT) && !Any(alt)) CloseMenuOfLoneAlt();
  ReleaseHeld(alt);
  ReleaseHeld(shift);
  PasteWithCtrl(ctrl);
  PressAgain(alt, true);
  if (!Any(ctrl)) Release(VK_CONTROL);
  PressAgain(shift, (keycpmods & (MOD_ALT | MOD_CONTROL)) != 0);
  EndWatchingUserKeys();
}
}  // namespace

// The right Ctrl and Alt are extended keys. The right Shift is not on
// Windows, which keeps the side that a side's own code names; Wine takes
// every modifier's side from the flag alone, so it goes with the flag too.
void SendKey(BYTE vk, bool up) {
  bool right = vk == VK_RSHIFT || vk == VK_RCONTROL || vk == VK_RMENU;
  keybd_event(vk, static_cast<BYTE>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)),
              (up ? KEYEVENTF_KEYUP : 0) | (right ? KEYEVENTF_EXTENDEDKEY : 0), OwnKeySignature);
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
