// The tray icon and its popup menu.
#pragma once

#include <windows.h>

// The tray icon's callback message.
const UINT WM_TRAYNOTIFY = WM_USER + 0x40;
const UINT TrayIconId = 12;

// Command ids of the popup menu's items (separators carry 1, 4 and 7).
enum {
  SettingsCommandId = 2,
  ActivationCommandId = 3,
  CloseCommandId = 5,
  AboutCommandId = 6,
};

extern HMENU traymenu;

extern const char ActivateLabel[];
extern const char DeactivateLabel[];

void AddTrayIcon(HWND window, HICON icon);
void SetTrayIcon(HICON icon);
void RemoveTrayIcon();
void CreateTrayMenu();
