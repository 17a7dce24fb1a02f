// An application to paste into: a visible window whose multi-line edit
// control takes the keyboard focus.
//   paste_target.exe [SECONDS] STATEFILE
// Ten times a second it writes its state to STATEFILE (through a temporary
// file, so a reader never sees half of it), one line of three fields
// separated by spaces: 1 or 0 for whether its window is the foreground
// window, 1 or 0 for whether the edit control has the keyboard focus, and the
// edit control's text as hex bytes (an ANSI program's text, so Windows-1251
// here; the first 4 KiB only). It ends with exit code 0 once STATEFILE.stop
// exists, with 3 after SECONDS (two minutes when not given). The edit
// control takes text of any length, as an editor does.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

namespace {
const char ClassName[] = "PasteTarget";
const UINT_PTR TickTimer = 1;
const UINT TickMs = 100;
const DWORD DefaultLifetimeMs = 120000;

HWND target;
HWND edit;
const char *statefile;
char tempfile[MAX_PATH];
char stopfile[MAX_PATH];
DWORD started;
DWORD lifetime = DefaultLifetimeMs;
int exitcode;

void SaveState() {
  char text[4096];
  int length = GetWindowTextA(edit, text, sizeof text);
  FILE *out = fopen(tempfile, "wb");
  if (!out) return;
  fprintf(out, "%d %d ", GetForegroundWindow() == target ? 1 : 0, GetFocus() == edit ? 1 : 0);
  for (int i = 0; i < length; ++i) fprintf(out, "%02x", static_cast<unsigned char>(text[i]));
  fprintf(out, "\n");
  fclose(out);
  MoveFileExA(tempfile, statefile, MOVEFILE_REPLACE_EXISTING);
}

void OnTick(HWND window) {
  SaveState();
  if (GetFileAttributesA(stopfile) != INVALID_FILE_ATTRIBUTES) {
    DestroyWindow(window);
  } else if (GetTickCount() - started > lifetime) {
    exitcode = 3;
    DestroyWindow(window);
  }
}

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SETFOCUS:
      SetFocus(edit);
      return 0;
    case WM_TIMER:
      OnTick(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(exitcode);
      return 0;
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

HWND CreateTarget() {
  WNDCLASSA cls = {};
  cls.lpfnWndProc = TargetProc;
  cls.hInstance = GetModuleHandleA(NULL);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  cls.lpszClassName = ClassName;
  if (!RegisterClassA(&cls)) return NULL;
  HWND window = CreateWindowExA(0, ClassName, "paste_target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100,
                                100, 400, 300, NULL, NULL, cls.hInstance, NULL);
  if (!window) return NULL;
  edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                         WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL, 0, 0,
                         380, 250, window, NULL, cls.hInstance, NULL);
  if (!edit) return NULL;
  SendMessageA(edit, EM_SETLIMITTEXT, 0, 0);
  SetFocus(edit);
  SetTimer(window, TickTimer, TickMs, NULL);
  return window;
}
}  // namespace

int main(int argc, char **argv) {
  if (argc < 2 || argc > 3 || lstrlenA(argv[argc - 1]) > MAX_PATH - 8) {
    fprintf(stderr, "usage: paste_target.exe [SECONDS] STATEFILE\n");
    return 2;
  }
  if (argc == 3) lifetime = static_cast<DWORD>(atoi(argv[1])) * 1000;
  statefile = argv[argc - 1];
  wsprintfA(tempfile, "%s.tmp", statefile);
  wsprintfA(stopfile, "%s.stop", statefile);
  started = GetTickCount();
  target = CreateTarget();
  if (!target) return 2;
  SaveState();
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
