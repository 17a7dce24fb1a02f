#include "paste/userkeys.h"

#include "paste/pasteactions.h"

namespace {
const DWORD RightShiftScan = 0x36;

// One side of a modifier: left and right each go down and up on their own.
struct Side {
  BYTE vk;         // the side's own code
  bool down;       // as the system takes it, the program's own events included
  bool userletgo;  // the user's last own event on the key was a release
};

Side sides[] = {{VK_LSHIFT, false, false},   {VK_RSHIFT, false, false}, {VK_LCONTROL, false, false},
                {VK_RCONTROL, false, false}, {VK_LMENU, false, false},  {VK_RMENU, false, false}};

HHOOK watch;

// The hook names a key by its side, or by the code it was sent with; a
// generic code's side is in the extended flag (Ctrl, Alt) or the scan code
// (Shift).
Side *FindSide(const KBDLLHOOKSTRUCT *key) {
  DWORD vk = key->vkCode;
  if (vk == VK_SHIFT) vk = LeftKeyOf(VK_SHIFT) + (key->scanCode == RightShiftScan);
  if (vk == VK_CONTROL || vk == VK_MENU)
    vk = LeftKeyOf(static_cast<BYTE>(vk)) + ((key->flags & LLKHF_EXTENDED) != 0);
  if (vk < VK_LSHIFT || vk > VK_RMENU) return NULL;
  return &sides[vk - VK_LSHIFT];
}

// The user's release of a modifier is held back until the keystrokes end:
// a Ctrl let go of between the program's Ctrl and its V would turn the paste
// into a typed "v". Every key without the program's signature is the user's,
// a remapper's injected one too. A call still on its way when the watch
// ended passes: held back then, a release would never be let go of.
LRESULT CALLBACK WatchKey(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HC_ACTION && watch) {
    const KBDLLHOOKSTRUCT *key = reinterpret_cast<const KBDLLHOOKSTRUCT *>(lparam);
    Side *side = FindSide(key);
    bool up = (key->flags & LLKHF_UP) != 0;
    if (side && key->dwExtraInfo != OwnKeySignature) {
      side->userletgo = up;
      if (up) return 1;
    }
    if (side) side->down = !up;
  }
  return CallNextHookEx(NULL, code, wparam, lparam);
}
}  // namespace

void WatchUserKeys() {
  watch = SetWindowsHookExA(WH_KEYBOARD_LL, WatchKey, GetModuleHandleA(NULL), 0);
  for (Side &side : sides) {
    side.down = GetAsyncKeyState(side.vk) < 0;
    side.userletgo = false;
  }
}

// keybd_event runs a hook of its own thread before it returns, as it runs
// the hotkey check that PressPasteKey relies on: by now the hook has seen
// every synthetic key, and each of the user's that came before the last.
void EndWatchingUserKeys() {
  if (!watch) return;
  UnhookWindowsHookEx(watch);
  watch = NULL;
  for (const Side &side : sides)
    if (side.down && side.userletgo) SendKey(side.vk, true);
}

// VK_LSHIFT, VK_RSHIFT, VK_LCONTROL ... VK_RMENU follow one another in the
// order of VK_SHIFT, VK_CONTROL, VK_MENU.
BYTE LeftKeyOf(BYTE modifier) { return static_cast<BYTE>(VK_LSHIFT + 2 * (modifier - VK_SHIFT)); }
