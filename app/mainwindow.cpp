// The main window procedure: every event of the program arrives here.
#include "app/app.h"
#include "app/iconca.h"
#include "paste/activation.h"
#include "paste/clipboard.h"
#include "paste/pasteactions.h"
#include "settings/myregistry.h"
#include "settings/settings.h"
#include "settingspage/form_parametr.h"

#include <shellapi.h>

namespace {
const char AboutTitle[] = "Tamsel v4";
const char AboutCredits[] = "Вставка текста из буфера обмена без форматирования.";

typedef void (*HotkeyHandler)(WPARAM id);

void OnActivationHotkey(WPARAM) { ToggleActivation(); }

// What each hotkey id does; ids 5 and 6 are never registered.
const HotkeyHandler hotkeyhandlers[ActivationHotkeyId + 1] = {
    nullptr, HandlePasteHotkey, HandlePasteHotkey, HandlePasteHotkey, HandlePasteHotkey,
    nullptr, nullptr,           HandlePasteHotkey, HandlePasteHotkey, OnActivationHotkey,
};

// The activation state changes only through the WM_HOTKEY handler, so every
// way of toggling runs the same code in the same order.
void SendToggle() { SendMessageA(mainwindow, WM_HOTKEY, ActivationHotkeyId, 0); }

void OnHotkey(WPARAM id) {
  if (id <= ActivationHotkeyId && hotkeyhandlers[id]) hotkeyhandlers[id](id);
}

void ShowTrayMenu() {
  POINT cursor;
  GetCursorPos(&cursor);
  // The menu closes on a click elsewhere only when the window is in the foreground
  // and a message reaches it once the menu has returned.
  SetForegroundWindow(mainwindow);
  TrackPopupMenu(traymenu, 0, cursor.x, cursor.y, 0, mainwindow, NULL);
  PostMessageA(mainwindow, WM_NULL, 0, 0);
}

void OnTrayNotify(LPARAM mouse) {
  if (mouse == WM_LBUTTONDOWN) {
    if (iconclick)
      SendToggle();
    else
      ConvertClipboard();
  } else if (mouse == WM_RBUTTONDOWN) {
    ShowTrayMenu();
  }
}

// The page is never built twice. Its hotkey fields must get every
// combination, the program's own too: none stays registered while it is open.
void OpenSettings() {
  if (SettingsPageOpen()) {
    SetForegroundWindow(mainwindow);
    return;
  }
  BuildSettingsPage();
  ShowWindow(mainwindow, SW_SHOW);
  UnregisterAllHotkeys();
}

// Once the page is closed: the activation state stays what it was, with the
// hotkeys of the settings' (possibly new) mode.
void RegisterHotkeysAgain() {
  UnregisterAllHotkeys();
  hotkeysactive ^= 1;
  SendToggle();
  RegisterActivationHotkey();
}

// The settings change in memory before they are saved.
void AcceptSettings() {
  ShowWindow(mainwindow, SW_HIDE);
  ReadSettingsPage();
  DestroySettingsPage();
  SaveSettings();
  RegisterHotkeysAgain();
}

void CancelSettings() {
  ShowWindow(mainwindow, SW_HIDE);
  DestroySettingsPage();
  RegisterHotkeysAgain();
}

// A click on the page's buttons arrives with the button's handle; while the
// page is closed they have none, so nothing matches.
void OnPageCommand(LPARAM control) {
  if (!control) return;
  HWND button = reinterpret_cast<HWND>(control);
  if (button == okbutton) AcceptSettings();
  if (button == cancelbutton) CancelSettings();
}

void OnCommand(WPARAM command, LPARAM control) {
  switch (command) {
    case SettingsCommandId:
      OpenSettings();
      break;
    case ActivationCommandId:
      SendToggle();
      break;
    case CloseCommandId:
      SendMessageA(mainwindow, WM_DESTROY, 0, 0);
      break;
    case AboutCommandId:
      ShellAboutA(NULL, AboutTitle, AboutCredits, mainicon);
      break;
    default:
      OnPageCommand(control);
      break;
  }
}
}  // namespace

bool SettingsPageOpen() { return IsWindowVisible(mainwindow) != FALSE; }

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_COMMAND:
      OnCommand(wparam, lparam);
      break;
    case WM_HOTKEY:
      OnHotkey(wparam);
      break;
    case WM_TRAYNOTIFY:
      OnTrayNotify(lparam);
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}
