// The main window: hidden, topmost, centred on the primary screen.
#include "app/app.h"

HWND mainwindow;
HICON mainicon;
HICON mainicon2;

const char MainClassName[] = "Tamsel";

namespace {
const char MainWindowTitle[] = "Tamsel - Параметры";
const int MainWindowWidth = 636;
const int MainWindowHeight = 320;
// No WS_ bits of a top-level window: the system adds a caption and a fixed
// border, and there is no system menu, so no close box.
const DWORD MainWindowStyle = 2;
const int BaseDpi = 96;
int mainwindowdpi = BaseDpi;  // the DPI the window's size is for

// Signed division truncating toward zero: a screen narrower than the window
// gives a negative position, which the system accepts as it is.
POINT CentredOnScreen(int width, int height) {
  return {(GetSystemMetrics(SM_CXSCREEN) - width) / 2,
          (GetSystemMetrics(SM_CYSCREEN) - height) / 2};
}
}  // namespace

bool CreateMainWindow() {
  HINSTANCE instance = GetModuleHandleA(NULL);
  mainicon = LoadIconA(instance, "MAINICON");
  mainicon2 = LoadIconA(instance, "MAINICON2");

  WNDCLASSA wc = {};
  wc.style = CS_VREDRAW;
  wc.lpfnWndProc = MainWindowProc;
  wc.hInstance = instance;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_MENU + 1);
  wc.lpszClassName = MainClassName;
  if (!RegisterClassA(&wc)) return false;

  POINT at = CentredOnScreen(MainWindowWidth, MainWindowHeight);
  mainwindow =
      CreateWindowExA(WS_EX_TOOLWINDOW, MainClassName, MainWindowTitle, MainWindowStyle, at.x, at.y,
                      MainWindowWidth, MainWindowHeight, NULL, NULL, instance, NULL);
  if (!mainwindow) return false;

  SetWindowPos(mainwindow, HWND_TOPMOST, at.x, at.y, MainWindowWidth, MainWindowHeight,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  UpdateWindow(mainwindow);
  ShowWindow(mainwindow, SW_HIDE);
  return true;
}

int ScaledToDpi(int pixels, int dpi) { return MulDiv(pixels, dpi, BaseDpi); }

void FitMainWindowToDpi(int dpi) {
  if (dpi == mainwindowdpi) return;
  mainwindowdpi = dpi;
  int width = ScaledToDpi(MainWindowWidth, dpi);
  int height = ScaledToDpi(MainWindowHeight, dpi);
  POINT at = CentredOnScreen(width, height);
  SetWindowPos(mainwindow, NULL, at.x, at.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}
