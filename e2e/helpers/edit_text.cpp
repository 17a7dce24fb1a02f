// Looks at and empties the edit control of another program's window, as the
// user sees and uses it: the first descendant of class Edit of the first
// top-level window of CLASS.
//   edit_text.exe CLASS state      prints "FOREGROUND FOCUSED MENU LENGTH": 1
//                                  or 0 for whether the window is the
//                                  foreground window, the edit control has the
//                                  keyboard focus and the window's thread is
//                                  in a menu, and the text's length
//   edit_text.exe CLASS read FILE  writes the text (ANSI bytes) to FILE
//   edit_text.exe CLASS clear      empties the text (WM_SETTEXT), which also
//                                  leaves it unmodified
//   edit_text.exe CLASS close      asks the window to close, as its close box does
// Exit code 3 when there is no such window or edit control, 2 on bad
// arguments or a failed read (1 is Wine's own when a program fails to start).
#include <windows.h>

#include <stdio.h>

namespace {
HWND FindEdit(HWND window) { return FindWindowExA(window, NULL, "Edit", NULL); }

int PrintState(HWND window, HWND edit) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  bool focused =
      GetGUIThreadInfo(GetWindowThreadProcessId(window, NULL), &info) && info.hwndFocus == edit;
  LRESULT length = SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0);
  bool inmenu = (info.flags & GUI_INMENUMODE) != 0;
  printf("%d %d %d %ld\n", GetForegroundWindow() == window ? 1 : 0, focused ? 1 : 0, inmenu ? 1 : 0,
         static_cast<long>(length));
  return 0;
}

// The system carries the text across processes; the length is asked first.
int WriteText(HWND edit, const char *path) {
  LRESULT length = SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0);
  char *text = static_cast<char *>(HeapAlloc(GetProcessHeap(), 0, length + 1));
  if (!text) return 2;
  LRESULT copied = SendMessageA(edit, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text));
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  DWORD written = 0;
  bool saved = file != INVALID_HANDLE_VALUE &&
               WriteFile(file, text, static_cast<DWORD>(copied), &written, NULL) &&
               written == DWORD(copied);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  HeapFree(GetProcessHeap(), 0, text);
  return saved ? 0 : 2;
}
}  // namespace

int main(int argc, char **argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: edit_text.exe CLASS state|read FILE|clear|close\n");
    return 2;
  }
  HWND window = FindWindowA(argv[1], NULL);
  HWND edit = window ? FindEdit(window) : NULL;
  if (!edit) {
    fprintf(stderr, "edit_text: %s %p has no edit control (error %lu)\n", argv[1],
            static_cast<void *>(window), static_cast<unsigned long>(GetLastError()));
    return 3;
  }
  const char *command = argv[2];
  int result = 2;
  if (lstrcmpA(command, "state") == 0) {
    result = PrintState(window, edit);
  } else if (lstrcmpA(command, "read") == 0 && argc == 4) {
    result = WriteText(edit, argv[3]);
  } else if (lstrcmpA(command, "clear") == 0) {
    result = SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("")) ? 0 : 2;
  } else if (lstrcmpA(command, "close") == 0) {
    result = PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 2;
  }
  fflush(stdout);
  return result;
}
