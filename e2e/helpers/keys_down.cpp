// Tells which keys the system holds down, as every program sees them
// (GetAsyncKeyState), mouse buttons left out; with "release" it lets them
// go, with a key-up each, so that a run can go on from a clean keyboard.
//   keys_down.exe [release]
// Prints one line per key down: its virtual-key code in hex and its name.
#include <windows.h>

#include <stdio.h>

namespace {
bool IsMouseButton(int vk) {
  return vk == VK_LBUTTON || vk == VK_RBUTTON || vk == VK_MBUTTON || vk == VK_XBUTTON1 ||
         vk == VK_XBUTTON2;
}

void PrintKey(int vk) {
  char name[64] = "";
  UINT scancode = MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
  if (!scancode || !GetKeyNameTextA(static_cast<LONG>(scancode << 16), name, sizeof name))
    lstrcpyA(name, "-");
  printf("%#04x %s\n", vk, name);
}

void Release(int vk) {
  keybd_event(static_cast<BYTE>(vk), static_cast<BYTE>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)),
              KEYEVENTF_KEYUP, 0);
}
}  // namespace

int main(int argc, char **argv) {
  bool release = argc == 2 && lstrcmpA(argv[1], "release") == 0;
  if (argc > 2 || (argc == 2 && !release)) {
    fprintf(stderr, "usage: keys_down.exe [release]\n");
    return 2;
  }
  for (int vk = 1; vk < 255; ++vk) {
    if (IsMouseButton(vk) || !(GetAsyncKeyState(vk) & 0x8000)) continue;
    PrintKey(vk);
    if (release) Release(vk);
  }
  fflush(stdout);
  return 0;
}
