// The baseline of the paste latency: the least a correct paster does. On its
// hotkey (Alt+Home, so that it runs beside Tamsel on Alt+Insert) it masks the
// Alt the hotkey took, leaves the clipboard's text as single-byte text with
// the user's locale, as Tamsel does by default, and types Ctrl+V as any
// paster must while the user holds Alt: the hotkey's keys up, Ctrl+V, and Alt
// down again if still held, masked so that no menu bar opens. While it types,
// a pass-through low-level keyboard hook watches the user's Alt, so that an
// Alt the user let go of meanwhile is not left down. A start with q ends the
// running copy.
//   minimal_paster.exe [q]
#include <windows.h>

#include "bench/wine/bench_kit.h"

namespace {
const char ClassName[] = "MinimalPaster";
const int HotkeyId = 1;
const BYTE HotkeyKey = VK_HOME;

const BYTE MaskKey = 0xE8;  // unassigned

bool userletgoofalt;  // the user's last own event on Alt, while the keys go out

LRESULT CALLBACK WatchAlt(int code, WPARAM wparam, LPARAM lparam) {
  const KBDLLHOOKSTRUCT *key = reinterpret_cast<const KBDLLHOOKSTRUCT *>(lparam);
  if (code == HC_ACTION && !(key->flags & LLKHF_INJECTED) &&
      (key->vkCode == VK_MENU || key->vkCode == VK_LMENU || key->vkCode == VK_RMENU))
    userletgoofalt = (key->flags & LLKHF_UP) != 0;
  return CallNextHookEx(NULL, code, wparam, lparam);
}

void MaskAlt() {
  bench::SendKey(MaskKey, false);
  bench::SendKey(MaskKey, true);
}

void Paste(HWND window) {
  MaskAlt();
  bench::MinimalConvert(window, CF_TEXT, GetUserDefaultLCID());
  HHOOK watch = SetWindowsHookExA(WH_KEYBOARD_LL, WatchAlt, GetModuleHandleA(NULL), 0);
  userletgoofalt = false;
  bench::SendKey(HotkeyKey, true);
  bool altheld = GetAsyncKeyState(VK_MENU) < 0;
  bench::SendKey(VK_MENU, true);
  bench::SendKey(VK_CONTROL, false);
  bench::SendKey('V', false);
  bench::SendKey('V', true);
  if (altheld) {
    bench::SendKey(VK_MENU, false);
    MaskAlt();
  }
  bench::SendKey(VK_CONTROL, true);
  UnhookWindowsHookEx(watch);
  if (altheld && userletgoofalt) bench::SendKey(VK_MENU, true);
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
