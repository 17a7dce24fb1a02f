// Times a paste as the user sees it: from the paste hotkey, injected with
// SendInput, until the text arrives in this program's edit control
// (EN_CHANGE), in one process with one clock. Tamsel (on Alt+Insert) and the
// minimal paster (on Alt+Home) run side by side and paste in turns, each time
// from the same clipboard contents: a paragraph of 1 KiB as HTML and as
// Unicode text.
//   paste_clock.exe ROUNDS TAMSEL.EXE MINIMAL_PASTER.EXE
// Starts both pasters and ends them afterwards with starts with q. Prints a
// pair line per round after three rounds of warming up (bench_kit.h), and a
// note when a paster left a key down. Exit code 1 when a paste does not
// arrive whole or something else misses its deadline.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include "bench/wine/bench_kit.h"

namespace {
const char ClassName[] = "PasteClock";
const DWORD Deadline = 10000;
const int WarmupRounds = 3;
// Keys left as they are for this long mean the paster has done its part.
const double QuietMs = 50;
// The keys of the two hotkeys and of the paste.
const BYTE WatchedKeys[] = {VK_MENU, VK_CONTROL, VK_SHIFT, VK_INSERT, VK_HOME, 'V'};

HWND edit;
bool armed;        // a paste is on its way
LONGLONG arrived;  // when it reached the edit control
int keysletgo;     // keys a paster left down, let go by us

struct Paster {
  const char *exe;
  BYTE key;  // with Alt
  bool trayicon;
  PROCESS_INFORMATION process;
};

LRESULT CALLBACK PasteClockProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wparam) == EN_CHANGE && armed) {
        arrived = bench::Now();
        armed = false;
      }
      return 0;
    case WM_SETFOCUS:
      SetFocus(edit);
      return 0;
    case WM_SYSCOMMAND:
      // Alt pressed and let go alone would open the window menu and take the
      // keys that follow.
      if ((wparam & 0xFFF0) == SC_KEYMENU) return 0;
      return DefWindowProcA(window, message, wparam, lparam);
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

HWND CreateTarget() {
  WNDCLASSA cls = {};
  cls.lpfnWndProc = PasteClockProc;
  cls.hInstance = GetModuleHandleA(NULL);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  cls.lpszClassName = ClassName;
  if (!RegisterClassA(&cls)) return NULL;
  HWND window = CreateWindowExA(0, ClassName, "paste_clock", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100,
                                100, 400, 300, NULL, NULL, cls.hInstance, NULL);
  if (!window) return NULL;
  edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL, 0, 0,
                         380, 250, window, NULL, cls.hInstance, NULL);
  return edit ? window : NULL;
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// Pumps messages until `done` is true or the deadline passes.
template <typename Predicate>
bool PumpUntil(Predicate done, DWORD deadline) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < deadline;) {
    PumpMessages();
    if (done()) return true;
    MsgWaitForMultipleObjects(0, NULL, FALSE, 1, QS_ALLINPUT);
  }
  return false;
}

// Injected keys go to the foreground window's thread: ours, with the focus
// in the edit control.
bool TakeFocus(HWND window) {
  return PumpUntil(
      [window] {
        if (GetForegroundWindow() != window) {
          SetForegroundWindow(window);
          return false;
        }
        if (GetFocus() == edit) return true;
        SetFocus(edit);
        return false;
      },
      Deadline);
}

// --- The clipboard contents: the same paragraph before every paste

const char Html[] =
    "<html><body><!--StartFragment--><p><b>%s</b></p><!--EndFragment--></body></html>";
char text[1024];  // 1 KiB with the terminator, Windows-1251
WCHAR unicodetext[sizeof text];

void MakeParagraph() {
  static const char Words[] = "Привет, мир; hello, world. ";
  for (size_t i = 0; i + 1 < sizeof text; ++i) text[i] = Words[i % (sizeof Words - 1)];
  MultiByteToWideChar(1251, 0, text, -1, unicodetext, sizeof text);
}

bool FillClipboard(HWND owner) {
  static char html[sizeof Html + sizeof text];
  static const UINT htmlformat = RegisterClipboardFormatA("HTML Format");
  int htmllength = wsprintfA(html, Html, text) + 1;
  if (!bench::OpenClipboardWithin(owner, Deadline)) return false;
  EmptyClipboard();
  SetClipboardData(htmlformat, bench::CopyToBlock(html, htmllength));
  SetClipboardData(CF_UNICODETEXT, bench::CopyToBlock(unicodetext, sizeof unicodetext));
  CloseClipboard();
  return true;
}

// --- One paste

void SendKeys(const BYTE *vks, int count, bool up) {
  INPUT inputs[4] = {};
  for (int i = 0; i < count; ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = vks[i];
    inputs[i].ki.wScan = static_cast<WORD>(MapVirtualKeyA(vks[i], MAPVK_VK_TO_VSC));
    inputs[i].ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) |
                           (vks[i] == VK_INSERT || vks[i] == VK_HOME ? KEYEVENTF_EXTENDEDKEY : 0);
  }
  SendInput(count, inputs, sizeof(INPUT));
}

// One bit for each watched key that is down.
unsigned KeysDown() {
  unsigned down = 0;
  for (size_t i = 0; i < sizeof WatchedKeys; ++i)
    if (GetAsyncKeyState(WatchedKeys[i]) & 0x8000) down |= 1u << i;
  return down;
}

// Waits until the keys have stayed as they are for a while, the paster's
// last keystrokes included; keys still down then are let go, and counted.
bool SettleKeys() {
  unsigned last = KeysDown();
  LONGLONG since = bench::Now();
  return PumpUntil(
      [&] {
        unsigned down = KeysDown();
        if (down != last) {
          last = down;
          since = bench::Now();
          return false;
        }
        if (bench::Milliseconds(since, bench::Now()) < QuietMs) return false;
        if (!down) return true;
        for (size_t i = 0; i < sizeof WatchedKeys; ++i)
          if (down & (1u << i)) {
            SendKeys(&WatchedKeys[i], 1, true);
            ++keysletgo;
          }
        since = bench::Now();
        return false;
      },
      Deadline);
}

// The whole paragraph arrived, once, and the paster left only text on the
// clipboard.
bool PastedWhole() {
  static const UINT htmlformat = RegisterClipboardFormatA("HTML Format");
  return GetWindowTextLengthA(edit) == lstrlenA(text) && !IsClipboardFormatAvailable(htmlformat);
}

// Milliseconds from the hotkey to the text in the edit control; negative
// when the paste did not arrive whole.
double TimePaste(HWND window, const Paster &paster) {
  if (!FillClipboard(window) || !TakeFocus(window)) return -1;
  SetWindowTextA(edit, "");
  PumpMessages();
  const BYTE hotkey[] = {VK_MENU, paster.key};
  armed = true;
  LONGLONG pressed = bench::Now();
  SendKeys(hotkey, 2, false);
  bool pasted = PumpUntil([] { return !armed; }, Deadline);
  // The user lets go of the hotkey once the text is there.
  const BYTE release[] = {paster.key, VK_MENU};
  SendKeys(release, 2, true);
  armed = false;
  if (!SettleKeys() || !pasted || !PastedWhole()) return -1;
  return bench::Milliseconds(pressed, arrived);
}

bool StartPaster(Paster *paster) {
  char line[MAX_PATH + 8];
  wsprintfA(line, "\"%s\"", paster->exe);
  int icons = paster->trayicon ? bench::TrayIcons() : -1;
  return bench::Start(line, &paster->process) &&
         bench::WaitStarted(paster->process.hProcess, icons, MOD_ALT, paster->key, Deadline);
}

void EndPaster(Paster *paster) {
  char line[MAX_PATH + 8];
  wsprintfA(line, "\"%s\" q", paster->exe);
  PROCESS_INFORMATION quitter;
  if (bench::Start(line, &quitter)) {
    WaitForSingleObject(quitter.hProcess, Deadline);
    bench::CloseProcessHandles(&quitter);
  }
  if (WaitForSingleObject(paster->process.hProcess, Deadline) != WAIT_OBJECT_0)
    TerminateProcess(paster->process.hProcess, 1);
  bench::CloseProcessHandles(&paster->process);
}

bool RunRounds(HWND window, const Paster &tamsel, const Paster &minimal, int rounds) {
  for (int i = -WarmupRounds; i < rounds; ++i) {
    bool tamselfirst = i % 2 == 0;
    double first = TimePaste(window, tamselfirst ? tamsel : minimal);
    double second = TimePaste(window, tamselfirst ? minimal : tamsel);
    if (first < 0 || second < 0) {
      fprintf(stderr, "paste_clock: round %d: a paste did not arrive whole (%s first)\n", i,
              tamselfirst ? "Tamsel" : "the minimal paster");
      return false;
    }
    if (i >= 0)
      bench::PrintPair("paste", "1 KiB of HTML and text", tamselfirst ? first : second,
                       tamselfirst ? second : first);
  }
  return true;
}
}  // namespace

int main(int argc, char **argv) {
  if (argc != 4 || lstrlenA(argv[2]) >= MAX_PATH || lstrlenA(argv[3]) >= MAX_PATH) {
    fprintf(stderr, "usage: paste_clock.exe ROUNDS TAMSEL.EXE MINIMAL_PASTER.EXE\n");
    return 2;
  }
  MakeParagraph();
  Paster tamsel = {argv[2], VK_INSERT, true, {}};
  Paster minimal = {argv[3], VK_HOME, false, {}};
  HWND window = CreateTarget();
  NOTIFYICONDATAA icon;
  if (!window || !bench::ShowKeeperIcon(window, &icon, Deadline)) {
    fprintf(stderr, "paste_clock: no window, or the tray did not show its icon\n");
    return 1;
  }
  bool ok = StartPaster(&tamsel) && StartPaster(&minimal);
  if (!ok) fprintf(stderr, "paste_clock: a paster did not start with its hotkey\n");
  ok = ok && RunRounds(window, tamsel, minimal, atoi(argv[1]));
  if (keysletgo) {
    char note[64];
    wsprintfA(note, "keys left down after the pastes: %d", keysletgo);
    bench::PrintNote("paste", note);
  }
  EndPaster(&minimal);
  EndPaster(&tamsel);
  Shell_NotifyIconA(NIM_DELETE, &icon);
  DestroyWindow(window);
  return ok ? 0 : 1;
}
