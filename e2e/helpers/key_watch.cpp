// Writes down every key event the system sees, physical or injected, with a
// low-level keyboard hook: one line per event into LOGFILE, "VK down|up
// injected|physical", the virtual key in hex. With DELAY_MS it takes that
// long over each injected event, as a slow hook of some other program does:
// a program's keystrokes then take longer, while the user's keys go on.
//   key_watch.exe [DELAY_MS] LOGFILE
// Creates LOGFILE once the hook is in place; ends with exit code 0 once
// LOGFILE.stop exists, with 3 after two minutes.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

namespace {
const UINT_PTR TickTimer = 1;
const UINT TickMs = 100;
const DWORD LifetimeMs = 120000;

FILE *logfile;
char stopfile[MAX_PATH];
DWORD started;
DWORD injecteddelay;

LRESULT CALLBACK OnKey(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HC_ACTION) {
    const KBDLLHOOKSTRUCT *key = reinterpret_cast<const KBDLLHOOKSTRUCT *>(lparam);
    bool up = wparam == WM_KEYUP || wparam == WM_SYSKEYUP;
    fprintf(logfile, "%#lx %s %s\n", static_cast<unsigned long>(key->vkCode), up ? "up" : "down",
            key->flags & LLKHF_INJECTED ? "injected" : "physical");
    fflush(logfile);
    if (key->flags & LLKHF_INJECTED) Sleep(injecteddelay);
  }
  return CallNextHookEx(NULL, code, wparam, lparam);
}

void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
  bool stop = GetFileAttributesA(stopfile) != INVALID_FILE_ATTRIBUTES;
  if (stop || GetTickCount() - started > LifetimeMs) PostQuitMessage(stop ? 0 : 3);
}
}  // namespace

int main(int argc, char **argv) {
  if (argc < 2 || argc > 3 || lstrlenA(argv[argc - 1]) > MAX_PATH - 8) {
    fprintf(stderr, "usage: key_watch.exe [DELAY_MS] LOGFILE\n");
    return 2;
  }
  const char *logname = argv[argc - 1];
  if (argc == 3) injecteddelay = static_cast<DWORD>(atoi(argv[1]));
  wsprintfA(stopfile, "%s.stop", logname);
  started = GetTickCount();
  HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, OnKey, GetModuleHandleA(NULL), 0);
  if (!hook) return 1;
  logfile = fopen(logname, "w");
  if (!logfile) return 1;
  SetTimer(NULL, TickTimer, TickMs, OnTick);
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) DispatchMessageA(&msg);
  UnhookWindowsHookEx(hook);
  fclose(logfile);
  return static_cast<int>(msg.wParam);
}
