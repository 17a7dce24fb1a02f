// Lists the top-level windows, optionally only those of one class, one line
// each, tab-separated: handle, class, visible, style, extended style, left,
// top, right, bottom, process id, title (bytes as the system gives them).
// DPI-aware, so that the rectangles are physical pixels, as find_control's.
//   list_windows.exe [CLASS]
#include <windows.h>

#include <stdio.h>

namespace {
const char *wanted;  // class to list, or NULL for all

BOOL CALLBACK PrintWindow(HWND window, LPARAM) {
  char classname[256];
  if (!GetClassNameA(window, classname, sizeof classname)) classname[0] = 0;
  if (wanted && lstrcmpiA(classname, wanted) != 0) return TRUE;
  char title[512];
  if (!GetWindowTextA(window, title, sizeof title)) title[0] = 0;
  RECT rect = {};
  GetWindowRect(window, &rect);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  printf("%#llx\t%s\t%d\t%#lx\t%#lx\t%ld\t%ld\t%ld\t%ld\t%lu\t%s\n",
         static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(window)), classname,
         IsWindowVisible(window) ? 1 : 0,
         static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)),
         static_cast<unsigned long>(GetWindowLongA(window, GWL_EXSTYLE)), rect.left, rect.top,
         rect.right, rect.bottom, static_cast<unsigned long>(process), title);
  return TRUE;
}
}  // namespace

int main(int argc, char **argv) {
  SetProcessDPIAware();
  wanted = argc > 1 ? argv[1] : NULL;
  EnumWindows(PrintWindow, 0);
  fflush(stdout);
  return 0;
}
