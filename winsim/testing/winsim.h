// The test-facing side of winsim: set up a run of the program (command line,
// screen, other programs), script what the user and the system do while the
// program waits for messages, and inspect what the "system" saw afterwards.
//
// Everything the program calls is recorded, in order, in one timeline of
// readable entries ("RegisterHotKey(Tamsel, 9, 0x1, 0x2d) = 1"); handles are
// shown by name: a window by its class (a second window of a class gets
// "#2"), an icon by its resource, a menu as menu1, menu2, ... A contract
// violation (a message to a destroyed window, a menu used after DestroyMenu,
// memory used after GlobalFree, a registry key used after it was closed, ...)
// is collected in Violations(); test fixtures fail on any.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

namespace winsim {

// A fresh system: no windows, classes, hotkeys, tray icons, menus or clipboard
// data; a registry with empty HKCU\Software and HKLM\Software; screen
// 1024x768; empty command line.
void Reset();

// --- set-up ------------------------------------------------------------------
void SetCommandLine(const char *commandline);
void SetScreenSize(int width, int height);
// The system DPI (default 96), which the screen DC gives a program that has
// declared itself DPI-aware (SetProcessDPIAware); any other gets 96.
void SetScreenDpi(int dpi);
void SetCursor(int x, int y);
// The icon resources the program's module holds (default MAINICON, MAINICON2).
void SetIconResources(const std::vector<std::string> &names);
// GetUserDefaultLCID's answer (default 0x0419, Russian).
void SetUserDefaultLCID(LCID locale);
// GetACP's answer (default 1251, a Russian Windows's), the code page of a
// Unicode-only locale's single-byte text.
void SetAnsiCodePage(UINT codepage);
// The next call of `function` (by its Win32 name) fails with `error`.
void FailNext(const std::string &function, DWORD error = ERROR_NOT_ENOUGH_MEMORY);

// Another program: a top-level window of another process and thread. Messages
// sent or posted to it are kept (ForeignMessages); it never answers.
HWND AddForeignWindow(const char *classname, const char *title, DWORD thread = 0x2000);
std::vector<MSG> ForeignMessages(HWND window);
// Another program holds a hotkey on one of its windows.
void HoldHotkey(UINT modifiers, UINT vk);

// --- what happens while the program waits ---------------------------------
// Steps run one at a time whenever GetMessageA finds the queue empty.
void Script(std::function<void()> step);
size_t ScriptStepsLeft();
// The side of the keyboard whose Ctrl, Alt and Shift the user holds.
enum class Sides { Left, Right, Both };
// The user presses a combination: WM_HOTKEY goes to the window holding it.
// Returns true when one of the program's windows holds it. The keys stay
// down until the next press (see winsim_keyboard.h).
bool PressHotkey(UINT modifiers, UINT vk, Sides sides = Sides::Left);
// The user clicks the program's tray icon `id`: the shell posts its callback.
bool ClickTrayIcon(UINT id, UINT mousemessage);
// The next popup menu shown picks this command id (0: the user clicks away).
void ChooseMenuItem(UINT_PTR id);
// A second start of the program posts WM_DESTROY to the running copy, as the
// quit switch does; sent from outside the program's own thread.
void PostFromOtherProcess(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// The program has ended: what it opened or allocated and did not close or
// free (the clipboard, registry keys, memory blocks), and script steps it
// ended before, are violations.
void CheckProgramEnd();

// --- inspection ---------------------------------------------------------------
const std::vector<std::string> &Timeline();
void ClearTimeline();
std::vector<std::string> Violations();

struct WindowInfo {
  HWND handle;
  std::string classname;
  std::string title;
  DWORD style;
  DWORD exstyle;
  int x, y, width, height;
  HWND parent;
  bool visible;
  bool topmost;
  bool destroyed;
  bool foreign;
};
// Windows created so far, destroyed ones included, in order of creation.
std::vector<WindowInfo> Windows();
WindowInfo Window(HWND window);
HWND Foreground();
// The user brings another window (or none) to the foreground.
void SetForeground(HWND window);

struct HotkeyInfo {
  HWND window;
  int id;
  UINT modifiers;
  UINT vk;
  bool foreign;
};
std::vector<HotkeyInfo> Hotkeys();  // in order of registration

struct TrayIconInfo {
  DWORD cbsize;  // as the record arrived with NIM_ADD
  HWND window;
  UINT id;
  UINT flags;
  UINT callback;
  HICON icon;
  std::string tip;
};
std::vector<TrayIconInfo> TrayIcons();

struct MenuItemInfo {
  UINT flags;
  UINT_PTR id;
  std::string text;
};
std::vector<MenuItemInfo> MenuItems(HMENU menu);
bool MenuAlive(HMENU menu);
int LiveMenus();

struct AboutBoxInfo {
  HWND owner;
  std::string app;
  std::string other;
  HICON icon;
};
std::vector<AboutBoxInfo> AboutBoxes();

// The resource name an icon handle was loaded from ("" when unknown).
std::string IconName(HICON icon);

}  // namespace winsim
