// Copies as a program does that renders its data only when another program
// asks for it, and takes its time: rich text and the Unicode text "Привет,
// мир ok" are offered with delayed rendering and each is rendered DELAY
// milliseconds after it is asked for.
//   slow_clipboard.exe DELAY STATEFILE
// Creates STATEFILE once the clipboard offers them, and appends a line
// "rendered FORMAT" after each rendering. Ends with exit code 0 once
// STATEFILE.stop exists, with 3 after two minutes, 1 when the clipboard
// could not be opened.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {
const WCHAR UnicodeText[] = {0x041F, 0x0440, 0x0438, 0x0432, 0x0435, 0x0442, ',', ' ',
                             0x043C, 0x0438, 0x0440, ' ',    'o',    'k',    0};
const char RichText[] =
    "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\b "
    "\\'cf\\'f0\\'e8\\'e2\\'e5\\'f2, \\'ec\\'e8\\'f0 ok\\b0\\par}";
const UINT_PTR TickTimer = 1;
const UINT TickMs = 100;
const DWORD LifetimeMs = 120000;

UINT richtext;
DWORD delay;
const char *statefile;
char stopfile[MAX_PATH];
DWORD started;
int exitcode;

HGLOBAL Block(const void *data, SIZE_T size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!block) return NULL;
  memcpy(GlobalLock(block), data, size);
  GlobalUnlock(block);
  return block;
}

void Note(const char *line) {
  FILE *out = fopen(statefile, "a");
  if (!out) return;
  fprintf(out, "%s\n", line);
  fclose(out);
}

// The program that asked has the clipboard open and waits for this.
void Render(UINT format) {
  Sleep(delay);
  if (format == CF_UNICODETEXT)
    SetClipboardData(CF_UNICODETEXT, Block(UnicodeText, sizeof UnicodeText));
  else if (format == richtext)
    SetClipboardData(richtext, Block(RichText, sizeof RichText));
  char line[64];
  wsprintfA(line, "rendered %u", format);
  Note(line);
}

// Another program may hold the clipboard open for a moment.
bool OfferDelayed(HWND owner) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < 5000; Sleep(20)) {
    if (!OpenClipboard(owner)) continue;
    EmptyClipboard();
    SetClipboardData(richtext, NULL);
    SetClipboardData(CF_UNICODETEXT, NULL);
    CloseClipboard();
    return true;
  }
  return false;
}

void OnTick(HWND window) {
  if (GetFileAttributesA(stopfile) != INVALID_FILE_ATTRIBUTES) {
    DestroyWindow(window);
  } else if (GetTickCount() - started > LifetimeMs) {
    exitcode = 3;
    DestroyWindow(window);
  }
}

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_RENDERFORMAT:
      Render(static_cast<UINT>(wparam));
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
}  // namespace

int main(int argc, char **argv) {
  if (argc != 3 || lstrlenA(argv[2]) > MAX_PATH - 8) {
    fprintf(stderr, "usage: slow_clipboard.exe DELAY STATEFILE\n");
    return 2;
  }
  delay = strtoul(argv[1], NULL, 10);
  statefile = argv[2];
  wsprintfA(stopfile, "%s.stop", statefile);
  started = GetTickCount();
  richtext = RegisterClipboardFormatA("Rich Text Format");
  WNDCLASSA cls = {};
  cls.lpfnWndProc = OwnerProc;
  cls.hInstance = GetModuleHandleA(NULL);
  cls.lpszClassName = "SlowClipboard";
  RegisterClassA(&cls);
  HWND owner = CreateWindowExA(0, cls.lpszClassName, "slow_clipboard", 0, 0, 0, 0, 0, NULL, NULL,
                               cls.hInstance, NULL);
  if (!owner || !OfferDelayed(owner)) return 1;
  Note("offered");
  SetTimer(owner, TickTimer, TickMs, NULL);
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) DispatchMessageA(&msg);
  return static_cast<int>(msg.wParam);
}
