#include "paste/activation.h"

#include "app/app.h"
#include "app/iconca.h"
#include "settings/settings.h"

BYTE hotkeysactive;

namespace {
const UINT KeyV = 'V';
}  // namespace

void RegisterModeHotkeys() {
  switch (hookkey) {
    case ModeStandardKeys:
      RegisterHotKey(mainwindow, CtrlVHotkeyId, MOD_CONTROL, KeyV);
      RegisterHotKey(mainwindow, ShiftInsHotkeyId, MOD_SHIFT, VK_INSERT);
      [[fallthrough]];
    case ModeAltKeys:
      RegisterHotKey(mainwindow, AltVHotkeyId, MOD_ALT, KeyV);
      RegisterHotKey(mainwindow, AltInsHotkeyId, MOD_ALT, VK_INSERT);
      break;
    case ModeUserPaste:
      if (keycp) RegisterHotKey(mainwindow, UserPasteHotkeyId, keycpmods, LOBYTE(keycp));
      break;
    case ModeUserClean:
      if (keycc) RegisterHotKey(mainwindow, UserCleanHotkeyId, keyccmods, LOBYTE(keycc));
      break;
    default:
      break;
  }
}

void UnregisterPasteHotkeys() {
  for (int id = UserCleanHotkeyId; id >= CtrlVHotkeyId; --id) UnregisterHotKey(mainwindow, id);
}

void UnregisterAllHotkeys() {
  UnregisterPasteHotkeys();
  UnregisterHotKey(mainwindow, ActivationHotkeyId);
}

void RegisterActivationHotkey() {
  if (activekey) RegisterHotKey(mainwindow, ActivationHotkeyId, activekeymods, LOBYTE(activekey));
}

void ToggleActivation() {
  if (hotkeysactive) {
    UnregisterPasteHotkeys();
    ModifyMenuA(traymenu, ActivationCommandId, MF_BYCOMMAND | MF_STRING, ActivationCommandId,
                ActivateLabel);
    SetTrayIcon(mainicon2);
  } else {
    // The settings page's hotkey fields take every combination while it is
    // open; closing it registers the set.
    if (!SettingsPageOpen()) RegisterModeHotkeys();
    ModifyMenuA(traymenu, ActivationCommandId, MF_BYCOMMAND | MF_STRING, ActivationCommandId,
                DeactivateLabel);
    SetTrayIcon(mainicon);
  }
  hotkeysactive ^= 1;
}
