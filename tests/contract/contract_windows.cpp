// The real system's side of the system contract cases, run under Wine. The
// other program is this same executable started again with --other-window.
#include <gtest/gtest.h>
#include <windows.h>

#include <string.h>

#include <string>

#include "contract_platform.h"

namespace {
const char OtherWindowSwitch[] = "--other-window";
const DWORD StartDeadlineMs = 20000;
const DWORD StopDeadlineMs = 20000;
const DWORD PollIntervalMs = 10;

// The child processes started by StartOtherProgramWindow, by window.
struct OtherProgram {
  HWND window;
  HANDLE process;
};
OtherProgram others[8];

LRESULT CALLBACK OtherWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

// Child mode: one top-level window of the given class until it is closed.
int RunOtherWindow(const char *classname) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = OtherWindowProc;
  wc.hInstance = GetModuleHandleA(NULL);
  wc.lpszClassName = classname;
  if (!RegisterClassA(&wc)) return 2;
  HWND window = CreateWindowExA(0, classname, "other", WS_OVERLAPPED, 0, 0, 100, 100, NULL, NULL,
                                wc.hInstance, NULL);
  if (!window) return 3;
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}

HANDLE StartChild(const char *classname) {
  char path[MAX_PATH];
  if (!GetModuleFileNameA(NULL, path, sizeof path)) return NULL;
  std::string commandline = std::string("\"") + path + "\" " + OtherWindowSwitch + " " + classname;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(path, &commandline[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &info))
    return NULL;
  CloseHandle(info.hThread);
  return info.hProcess;
}

// The child's window, once it exists; NULL when the child ends first or the
// deadline passes.
HWND WaitForWindow(const char *classname, HANDLE process) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < StartDeadlineMs) {
    HWND window = FindWindowA(classname, NULL);
    if (window) return window;
    if (WaitForSingleObject(process, PollIntervalMs) == WAIT_OBJECT_0) return NULL;
  }
  return NULL;
}

OtherProgram *FreeSlot() {
  for (OtherProgram &other : others)
    if (!other.process) return &other;
  return NULL;
}
}  // namespace

HWND StartOtherProgramWindow(const char *classname) {
  OtherProgram *slot = FreeSlot();
  if (!slot) return NULL;
  HANDLE process = StartChild(classname);
  if (!process) return NULL;
  HWND window = WaitForWindow(classname, process);
  if (!window) {
    TerminateProcess(process, 1);
    CloseHandle(process);
    return NULL;
  }
  slot->window = window;
  slot->process = process;
  return window;
}

void StopOtherProgramWindow(HWND window) {
  for (OtherProgram &other : others) {
    if (!other.process || other.window != window) continue;
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(other.process, StopDeadlineMs) != WAIT_OBJECT_0) {
      ADD_FAILURE() << "the other program did not end after WM_CLOSE";
      TerminateProcess(other.process, 1);
    }
    CloseHandle(other.process);
    other = OtherProgram();
  }
}

void ResetSystem() {
  // The clipboard is the one thing a case can leave behind across processes.
  // Wine's clipboard manager may hold it open for a moment after a change.
  for (DWORD start = GetTickCount(); GetTickCount() - start < 5000; Sleep(10)) {
    if (!OpenClipboard(NULL)) continue;
    EmptyClipboard();
    CloseClipboard();
    return;
  }
}

int main(int argc, char **argv) {
  if (argc == 3 && strcmp(argv[1], OtherWindowSwitch) == 0) return RunOtherWindow(argv[2]);
  ::testing::InitGoogleTest(&argc, argv);
  int result = RUN_ALL_TESTS();
  // A case that failed before stopping its other program leaves it running.
  for (OtherProgram &other : others) {
    if (!other.process) continue;
    TerminateProcess(other.process, 1);
    CloseHandle(other.process);
  }
  return result;
}
