#include "app/iconca.h"

#include <shellapi.h>

HMENU traymenu;

const char ActivateLabel[] = "&Активировать";
const char DeactivateLabel[] = "Де&активировать";

namespace {
NOTIFYICONDATAA trayicondata;
HWND trayowner;

const char TrayTip[] = "Tamsel";

// The separators' ids are never sent as commands.
const UINT_PTR AboutSeparatorId = 1;
const UINT_PTR ActivationSeparatorId = 4;
const UINT_PTR SettingsSeparatorId = 7;
}  // namespace

void AddTrayIcon(HWND window, HICON icon) {
  trayowner = window;
  trayicondata = NOTIFYICONDATAA();
  // The first layout of the record: every shell version understands it.
  trayicondata.cbSize = NOTIFYICONDATAA_V1_SIZE;
  trayicondata.hWnd = window;
  trayicondata.uID = TrayIconId;
  trayicondata.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  trayicondata.uCallbackMessage = WM_TRAYNOTIFY;
  trayicondata.hIcon = icon;
  for (unsigned i = 0; i < sizeof TrayTip; ++i) trayicondata.szTip[i] = TrayTip[i];
  Shell_NotifyIconA(NIM_ADD, &trayicondata);
}

void SetTrayIcon(HICON icon) {
  trayicondata.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  trayicondata.hIcon = icon;
  Shell_NotifyIconA(NIM_MODIFY, &trayicondata);
}

void RemoveTrayIcon() {
  trayicondata.cbSize = NOTIFYICONDATAA_V1_SIZE;
  trayicondata.hWnd = trayowner;
  trayicondata.uID = TrayIconId;
  Shell_NotifyIconA(NIM_DELETE, &trayicondata);
}

void CreateTrayMenu() {
  traymenu = CreatePopupMenu();
  AppendMenuA(traymenu, MF_STRING, AboutCommandId, "&О программе...");
  AppendMenuA(traymenu, MF_SEPARATOR, AboutSeparatorId, NULL);
  AppendMenuA(traymenu, MF_STRING, SettingsCommandId, "&Параметры...");
  AppendMenuA(traymenu, MF_SEPARATOR, SettingsSeparatorId, NULL);
  AppendMenuA(traymenu, MF_STRING, ActivationCommandId, DeactivateLabel);
  AppendMenuA(traymenu, MF_SEPARATOR, ActivationSeparatorId, NULL);
  AppendMenuA(traymenu, MF_STRING, CloseCommandId, "&Закрыть");
}
