// The baseline of start-up, quit and memory at rest: the least a resident
// tray program does. A hidden window, a tray icon and one hotkey (Alt+Insert,
// Tamsel's paste hotkey), nothing done on it; a start with q ends the running
// copy, as with Tamsel.
//   minimal_tray.exe [q]
#include <windows.h>
#include <shellapi.h>

#include "bench/wine/bench_kit.h"

namespace {
const char ClassName[] = "MinimalTray";
const UINT IconId = 1;
const int HotkeyId = 1;

LRESULT CALLBACK MinimalTrayProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

NOTIFYICONDATAA TrayIcon(HWND window) {
  NOTIFYICONDATAA icon = {};
  icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
  icon.hWnd = window;
  icon.uID = IconId;
  icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  icon.uCallbackMessage = WM_APP;
  icon.hIcon = LoadIconA(NULL, IDI_APPLICATION);
  lstrcpynA(icon.szTip, ClassName, sizeof icon.szTip);
  return icon;
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (bench::SecondStart(ClassName)) return 0;
  HWND window = bench::CreateHiddenWindow(ClassName, MinimalTrayProc);
  if (!window) return 1;
  NOTIFYICONDATAA icon = TrayIcon(window);
  Shell_NotifyIconA(NIM_ADD, &icon);
  RegisterHotKey(window, HotkeyId, MOD_ALT, VK_INSERT);
  bench::RunMessageLoop();
  UnregisterHotKey(window, HotkeyId);
  Shell_NotifyIconA(NIM_DELETE, &icon);
  return 0;
}
