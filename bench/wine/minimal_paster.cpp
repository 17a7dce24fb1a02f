// The baseline of the paste latency: the least a paster does. On its hotkey
// (Alt+Home, so that it runs beside Tamsel on Alt+Insert) it leaves the
// clipboard's text as single-byte text with the user's locale, as Tamsel
// does by default, and types Ctrl+V as any paster must while the user holds
// Alt: the hotkey's keys up, Ctrl+V, and Alt down again if still held, with a
// meaningless key after it so that no menu bar opens. A start with q ends the
// running copy.
//   minimal_paster.exe [q]
#include <windows.h>

#include "bench/wine/bench_kit.h"

namespace {
const char ClassName[] = "MinimalPaster";
const int HotkeyId = 1;
const BYTE HotkeyKey = VK_HOME;

const BYTE MaskKey = 0xE8;  // unassigned

void Paste(HWND window) {
  bench::MinimalConvert(window, CF_TEXT, GetUserDefaultLCID());
  bool altheld = GetAsyncKeyState(VK_MENU) < 0;
  bench::SendKey(HotkeyKey, true);
  bench::SendKey(VK_MENU, true);
  bench::SendKey(VK_CONTROL, false);
  bench::SendKey('V', false);
  bench::SendKey('V', true);
  if (altheld) {
    bench::SendKey(VK_MENU, false);
    bench::SendKey(MaskKey, false);
    bench::SendKey(MaskKey, true);
  }
  bench::SendKey(VK_CONTROL, true);
}

LRESULT CALLBACK MinimalPasterProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_HOTKEY:
      Paste(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (bench::SecondStart(ClassName)) return 0;
  HWND window = bench::CreateHiddenWindow(ClassName, MinimalPasterProc);
  if (!window) return 1;
  RegisterHotKey(window, HotkeyId, MOD_ALT, HotkeyKey);
  bench::RunMessageLoop();
  UnregisterHotKey(window, HotkeyId);
  return 0;
}
