// Lists every descendant of the first top-level window of a class, one line
// each, tab-separated: handle, class, visible, checked (BM_GETCHECK), screen
// left, top, right, bottom, hotkey word (HKM_GETHOTKEY of a hotkey control,
// in hex), text (bytes as the system gives them). DPI-aware, so that the
// rectangles are the physical pixels the page is laid out in.
//   find_control.exe CLASS
#include <windows.h>
#include <commctrl.h>

#include <stdio.h>

namespace {
BOOL CALLBACK PrintControl(HWND control, LPARAM) {
  char classname[256];
  if (!GetClassNameA(control, classname, sizeof classname)) classname[0] = 0;
  char text[512];
  if (!GetWindowTextA(control, text, sizeof text)) text[0] = 0;
  RECT rect = {};
  GetWindowRect(control, &rect);
  LRESULT checked =
      lstrcmpiA(classname, "button") == 0 ? SendMessageA(control, BM_GETCHECK, 0, 0) : 0;
  LRESULT hotkey =
      lstrcmpiA(classname, HOTKEY_CLASSA) == 0 ? SendMessageA(control, HKM_GETHOTKEY, 0, 0) : 0;
  printf("%#llx\t%s\t%d\t%d\t%ld\t%ld\t%ld\t%ld\t%#x\t%s\n",
         static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(control)), classname,
         IsWindowVisible(control) ? 1 : 0, static_cast<int>(checked), rect.left, rect.top,
         rect.right, rect.bottom, static_cast<unsigned>(LOWORD(hotkey)), text);
  return TRUE;
}
}  // namespace

int main(int argc, char **argv) {
  if (argc < 2) return 2;
  SetProcessDPIAware();
  HWND window = FindWindowA(argv[1], NULL);
  if (!window) return 1;
  EnumChildWindows(window, PrintControl, 0);
  fflush(stdout);
  return 0;
}
