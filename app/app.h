// The hidden main window that every hotkey, tray notification and command
// arrives at, and the icons of the two activation states.
#pragma once

#include <windows.h>

extern HWND mainwindow;
extern HICON mainicon;   // paste hotkeys active; also the about box's icon
extern HICON mainicon2;  // paste hotkeys inactive

// Class name of the main window, and the mark a second start looks for.
extern const char MainClassName[];

// True when the command line's last character is a lower-case q.
bool HasQuitSwitch();

// Loads the icons, registers the class and creates the hidden topmost window.
// False when the class or the window cannot be created.
bool CreateMainWindow();

// Pixels laid out at 96 DPI, at `dpi`, rounded as the system rounds.
int ScaledToDpi(int pixels, int dpi);
// Gives the main window the settings page's size at this DPI, centred. Only a
// change of DPI moves it, so a page the user moved stays where it was put.
void FitMainWindowToDpi(int dpi);

// The settings page exists exactly while the main window is visible.
bool SettingsPageOpen();

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
