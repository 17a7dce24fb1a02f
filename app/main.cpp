// Program entry: one running copy at a time, start-up, the message loop and
// shutdown.
#include "app/app.h"
#include "app/iconca.h"
#include "paste/activation.h"
#include "settings/myregistry.h"
#include "settings/settings.h"

#include <string.h>

bool HasQuitSwitch() {
  const char *commandline = GetCommandLineA();
  size_t length = strlen(commandline);
  return length >= 1 && commandline[length - 1] == 'q';
}

namespace {
// A start while a copy runs, or a quit request: with the switch the running
// copy is told to end; either way this process ends.
void SecondStart() {
  if (!HasQuitSwitch()) return;
  HWND running = FindWindowA(MainClassName, NULL);
  if (running) PostMessageA(running, WM_DESTROY, 0, 0);
}

void RunMessageLoop() {
  MSG msg;
  // GetMessageA gives -1 on an error; that must end the loop rather than spin.
  while (GetMessageA(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void Shutdown() {
  UnregisterAllHotkeys();
  DestroyMenu(traymenu);
  RemoveTrayIcon();
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (FindWindowA(MainClassName, NULL) || HasQuitSwitch()) {
    SecondStart();
    return 0;
  }
  // Before the first window: Windows then has the page laid out for the
  // system's DPI instead of stretching a 96-DPI bitmap of it.
  SetProcessDPIAware();
  if (!CreateMainWindow()) return 0;
  AddTrayIcon(mainwindow, mainicon);
  CreateTrayMenu();
  LoadSettings();
  // The toggle inverts the flag back, registering the hotkeys, the menu label
  // and the icon of the state the settings ask for.
  hotkeysactive = active ^ 1;
  SendMessageA(mainwindow, WM_HOTKEY, ActivationHotkeyId, 0);
  RegisterActivationHotkey();
  RunMessageLoop();
  Shutdown();
  return 0;
}
