// Keeps the Wine session of the test desktop up from the set-up of the Wine
// tests to their clean-up. Wine winds its session and the desktop down when
// the last program on it ends, and a program that starts while it does so can
// hang for good: without this, that moment would come between every two
// scenarios. A window, even a message-only one, holds the desktop.
//   keep_session.exe
// Ends when the clean-up ends every Wine process, or after six hours.
#include <windows.h>

int main() {
  const DWORD LifetimeMs = 6 * 60 * 60 * 1000;
  HWND window = CreateWindowExA(0, "STATIC", "keep_session", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL,
                                GetModuleHandleA(NULL), NULL);
  if (!window) return 1;
  SetTimer(window, 1, LifetimeMs, NULL);
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0 && msg.message != WM_TIMER) DispatchMessageA(&msg);
  return 0;
}
