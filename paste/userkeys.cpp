#include "paste/userkeys.h"

#include "paste/pasteactions.h"

namespace {
struct Modifier {
  BYTE vk;
  BYTE left;
  BYTE right;
  bool down;       // as the system takes it, the program's own events included
  bool userletgo;  // the user's last own event on the key was a release
};

Modifier modifiers[] = {
    {VK_SHIFT, VK_LSHIFT, VK_RSHIFT, false, false},
    {VK_CONTROL, VK_LCONTROL, VK_RCONTROL, false, false},
    {VK_MENU, VK_LMENU, VK_RMENU, false, false},
};

HHOOK watch;

// The hook names a keyboard's modifier by its side, a synthetic one by the
// code it was sent with.
Modifier *FindModifier(DWORD vk) {
  for (Modifier &m : modifiers)
    if (vk == m.vk || vk == m.left || vk == m.right) return &m;
  return NULL;
}

// The user's release of a modifier is held back until the keystrokes end:
// a Ctrl let go of between the program's Ctrl and its V would turn the paste
// into a typed "v".
LRESULT CALLBACK WatchKey(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HC_ACTION) {
    const KBDLLHOOKSTRUCT *key = reinterpret_cast<const KBDLLHOOKSTRUCT *>(lparam);
    Modifier *m = FindModifier(key->vkCode);
    bool up = (key->flags & LLKHF_UP) != 0;
    if (m && !(key->flags & LLKHF_INJECTED)) {
      m->userletgo = up;
      if (up) return 1;
    }
    if (m) m->down = !up;
  }
  return CallNextHookEx(NULL, code, wparam, lparam);
}
}  // namespace

void WatchUserKeys() {
  watch = SetWindowsHookExA(WH_KEYBOARD_LL, WatchKey, GetModuleHandleA(NULL), 0);
  for (Modifier &m : modifiers) {
    m.down = GetAsyncKeyState(m.vk) < 0;
    m.userletgo = false;
  }
}

// keybd_event runs a hook of its own thread before it returns, as it runs
// the hotkey check that PressPasteKey relies on: by now the hook has seen
// every synthetic key, and each of the user's that came before the last.
void EndWatchingUserKeys() {
  if (!watch) return;
  UnhookWindowsHookEx(watch);
  watch = NULL;
  for (const Modifier &m : modifiers)
    if (m.down && m.userletgo) SendKey(m.vk, true);
}
