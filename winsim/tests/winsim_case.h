// A fresh winsim with one plain top-level window of the case's own, for the
// tests that state what winsim itself does.
#pragma once

#include <windows.h>

#include "winsim.h"

inline LRESULT CALLBACK PlainCaseProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcA(window, message, wparam, lparam);
}

inline HWND FreshSystemWithWindow(int size = 10) {
  winsim::Reset();
  WNDCLASSA wc = {};
  wc.lpfnWndProc = PlainCaseProc;
  wc.lpszClassName = "Case";
  RegisterClassA(&wc);
  return CreateWindowExA(0, "Case", "", 0, 0, 0, size, size, NULL, NULL, NULL, NULL);
}
