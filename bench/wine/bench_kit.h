// What the programs of the Wine benchmark share: one clock per process, the
// lines the driver (bench/wine/bench.py) reads, the least a clipboard
// converter does, and how a resident program is started, watched at rest and
// ended from another process.
#pragma once

#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <stdio.h>
#include <string.h>

namespace bench {

// --- One clock per process

inline LONGLONG Now() {
  LARGE_INTEGER ticks;
  QueryPerformanceCounter(&ticks);
  return ticks.QuadPart;
}

inline double Milliseconds(LONGLONG from, LONGLONG to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to - from) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// One measurement of Tamsel and one of its baseline, taken in turn; the
// driver computes each pair's ratio, so both must come from the same moment.
inline void PrintPair(const char *measure, const char *variant, double tamsel, double baseline) {
  printf("pair\t%s\t%s\t%.6f\t%.6f\n", measure, variant, tamsel, baseline);
  fflush(stdout);
}

// A measurement that had to be left out, said rather than hidden.
inline void PrintNote(const char *measure, const char *text) {
  printf("note\t%s\t%s\n", measure, text);
  fflush(stdout);
}

// --- The clipboard

// A new unlocked block of `size` bytes copied from `data`; NULL when out of
// memory.
inline HGLOBAL CopyToBlock(const void *data, SIZE_T size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!block) return NULL;
  void *target = GlobalLock(block);
  if (!target) {
    GlobalFree(block);
    return NULL;
  }
  memcpy(target, data, size);
  GlobalUnlock(block);
  return block;
}

// Another program (Wine's clipboard manager among them) may hold the
// clipboard open for a moment.
inline bool OpenClipboardWithin(HWND owner, DWORD ms) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(1))
    if (OpenClipboard(owner)) return true;
  return false;
}

// The baseline converter: what any converter has to do and nothing more.
// The text in `format` is copied whole, as a plain copy of its block, and
// left alone on the clipboard, with `locale` when it is not 0. One try at
// opening, as Tamsel makes; false when nothing was converted.
inline bool MinimalConvert(HWND owner, UINT format, LCID locale) {
  if (!OpenClipboard(owner)) return false;
  HGLOBAL source = GetClipboardData(format);
  const void *text = source ? GlobalLock(source) : NULL;
  HGLOBAL copy = text ? CopyToBlock(text, GlobalSize(source)) : NULL;
  if (text) GlobalUnlock(source);
  if (copy) {
    EmptyClipboard();
    if (!SetClipboardData(format, copy)) GlobalFree(copy);
    HGLOBAL localeblock = locale ? CopyToBlock(&locale, sizeof locale) : NULL;
    if (localeblock && !SetClipboardData(CF_LOCALE, localeblock)) GlobalFree(localeblock);
  }
  CloseClipboard();
  return copy != NULL;
}

// --- Keys

inline void SendKey(BYTE vk, bool up) {
  keybd_event(vk, static_cast<BYTE>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)), up ? KEYEVENTF_KEYUP : 0,
              0);
}

// --- Resident programs seen from outside

// Starts a program from its command line; false when it cannot be started.
// The handles are the caller's to close.
inline bool Start(const char *commandline, PROCESS_INFORMATION *process) {
  char line[MAX_PATH * 2];
  lstrcpynA(line, commandline, sizeof line);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  return CreateProcessA(NULL, line, NULL, NULL, FALSE, 0, NULL, NULL, &startup, process) != 0;
}

inline void CloseProcessHandles(PROCESS_INFORMATION *process) {
  CloseHandle(process->hThread);
  CloseHandle(process->hProcess);
}

// The icons that Wine's notification area shows. Without a tray of the X
// desktop, Wine 8's X11 driver shows them in a tray window of its own, each
// icon a visible child window, created while Shell_NotifyIcon is handled;
// later Wines do the same in explorer's Shell_TrayWnd.
inline int TrayIcons() {
  static const char *const trays[][2] = {{"__winex11_standalone_tray", "__winex11_tray_icon"},
                                         {"Shell_TrayWnd", "__wine_tray_icon"}};
  int icons = 0;
  for (const auto &tray : trays) {
    HWND window = FindWindowExA(NULL, NULL, tray[0], NULL);
    for (HWND icon = NULL; window && (icon = FindWindowExA(window, icon, tray[1], NULL));)
      if (IsWindowVisible(icon)) ++icons;
  }
  return icons;
}

// Whether some program holds the hotkey. The probe takes the hotkey for a
// moment when it is free, so it must not run while a program may be
// registering it.
inline bool HotkeyHeld(UINT modifiers, UINT vk) {
  const int probeid = 0xBFFF;
  if (!RegisterHotKey(NULL, probeid, modifiers, vk))
    return GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED;
  UnregisterHotKey(NULL, probeid);
  return false;
}

// Probes that found a hotkey free while waiting for a program to start: a
// program registering it in such a moment would have failed.
inline int freeprobes;

// Waits until a program just started shows one more tray icon than
// `iconsbefore` (none asked when `iconsbefore` is negative), waits for input
// and holds its hotkey: the end of its start-up. Polled every millisecond.
// The hotkey is probed only once the program waits for input with its icon
// shown, which comes after it registered its hotkeys as long as Wine's
// session is up (while the tray comes up, Shell_NotifyIcon waits answering
// messages, which counts as idle; ShowKeeperIcon waits for that first).
// False after the deadline, or at once when the program has ended.
inline bool WaitStarted(HANDLE process, int iconsbefore, UINT modifiers, UINT vk, DWORD deadline) {
  bool shown = iconsbefore < 0, idle = false;
  for (DWORD start = GetTickCount(); GetTickCount() - start < deadline;) {
    if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) return false;
    // Sleeps for a millisecond, or less when the program goes idle meanwhile.
    idle = idle || WaitForInputIdle(process, 1) == 0;
    shown = shown || TrayIcons() > iconsbefore;
    if (!idle || !shown) continue;
    if (HotkeyHeld(modifiers, vk)) return true;
    ++freeprobes;
    Sleep(1);
  }
  return false;
}

// A tray icon of ours for a whole run: the tray window stays shown, so that
// no program measured pays for Wine 8's X11 driver hiding it when its last
// icon goes (without a window manager in Xvfb that waits two seconds for
// one) or showing it again. Waiting until it shows also makes sure that
// Wine's session is up. False when it does not show in time.
inline bool ShowKeeperIcon(HWND window, NOTIFYICONDATAA *icon, DWORD deadline) {
  *icon = NOTIFYICONDATAA();
  icon->cbSize = NOTIFYICONDATAA_V1_SIZE;
  icon->hWnd = window;
  icon->uFlags = NIF_ICON;
  icon->hIcon = LoadIconA(NULL, IDI_INFORMATION);
  int before = TrayIcons();
  if (!Shell_NotifyIconA(NIM_ADD, icon)) return false;
  for (DWORD start = GetTickCount(); GetTickCount() - start < deadline; Sleep(1))
    if (TrayIcons() > before) return true;
  return false;
}

struct Memory {
  SIZE_T privatebytes;
  SIZE_T workingset;
};

// Private bytes and working set once they have stayed the same for a quarter
// of a second (or after two seconds). Windows gives private bytes as
// PrivateUsage and PagefileUsage alike; Wine 8 fills in only PagefileUsage
// for another process.
inline Memory MemoryAtRest(HANDLE process) {
  Memory last = {}, now = {};
  int steady = 0;
  for (int i = 0; i < 40 && steady < 5; ++i, Sleep(50)) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) break;
    now = {counters.PagefileUsage, counters.WorkingSetSize};
    bool same = now.privatebytes == last.privatebytes && now.workingset == last.workingset;
    steady = same ? steady + 1 : 0;
    last = now;
  }
  return now;
}

// --- The minimal programs

// A start while a copy runs, or a start with q, ends at once; with q the
// running copy is told to end as Tamsel tells it. True when this start is
// such a start.
inline bool SecondStart(const char *classname) {
  const char *commandline = GetCommandLineA();
  size_t length = strlen(commandline);
  bool quit = length > 0 && commandline[length - 1] == 'q';
  HWND running = FindWindowA(classname, NULL);
  if (running && quit) PostMessageA(running, WM_DESTROY, 0, 0);
  return running || quit;
}

// A hidden window of a class of its own, the target of hotkeys and of tray
// notifications.
inline HWND CreateHiddenWindow(const char *classname, WNDPROC procedure) {
  WNDCLASSA cls = {};
  cls.lpfnWndProc = procedure;
  cls.hInstance = GetModuleHandleA(NULL);
  cls.lpszClassName = classname;
  if (!RegisterClassA(&cls)) return NULL;
  return CreateWindowExA(WS_EX_TOOLWINDOW, classname, classname, 0, 0, 0, 0, 0, NULL, NULL,
                         cls.hInstance, NULL);
}

inline void RunMessageLoop() {
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace bench
