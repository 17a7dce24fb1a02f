// What Windows itself makes of the key events an application received: the
// focused window opens its menu bar when Alt goes down and up with no other
// key pressed between, and ends the menu on the next Alt press; the input
// language switches when Left Alt+Shift or Ctrl+Shift are down and one goes
// up with no other key pressed since the pair was complete. Injected keys
// count as typed ones. A key that a hotkey took never reached the window
// and counts as no key between, as Windows leaves undocumented.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "winsim_keyboard.h"

namespace shortcuts {
// Unassigned: a press of it types nothing and does nothing in a menu.
const BYTE MeaninglessKey = 0xE8;

// A generic modifier code is the right key with the extended flag, else the left.
inline BYTE KeyOf(const winsim::KeyEvent &e) {
  if (e.vk < VK_SHIFT || e.vk > VK_MENU) return e.vk;
  return static_cast<BYTE>(VK_LSHIFT + 2 * (e.vk - VK_SHIFT) +
                           ((e.flags & KEYEVENTF_EXTENDEDKEY) != 0));
}

inline bool IsTyped(BYTE key) {
  return (key < VK_LSHIFT || key > VK_RMENU) && key != MeaninglessKey;
}
inline bool IsAlt(BYTE key) { return key == VK_LMENU || key == VK_RMENU; }
inline bool IsInPair(BYTE key) { return key >= VK_LSHIFT && key <= VK_LMENU; }
}  // namespace shortcuts

// From the program's first key on (what the user's hands did before is
// theirs): each key typed into an open menu, the menu left open, and each
// switch of the input language.
inline std::vector<std::string> ShortcutsCompleted(const std::vector<winsim::KeyEvent> &events) {
  using namespace shortcuts;
  std::vector<std::string> found;
  std::array<bool, 256> down{};
  bool judged = false, altalone = false, menu = false, pairarmed = false;
  auto paired = [&] {
    return (down[VK_LMENU] || down[VK_LCONTROL] || down[VK_RCONTROL]) &&
           (down[VK_LSHIFT] || down[VK_RSHIFT]);
  };
  for (const auto &e : events) {
    BYTE key = KeyOf(e);
    judged = judged || e.synthetic;
    if (!e.up()) {
      if (menu && IsTyped(key) && judged)
        found.push_back(winsim::Describe(e) + " went to the open menu");
      menu = menu && !IsAlt(key);
      altalone = IsAlt(key);
      down[key] = true;
      pairarmed = IsInPair(key) && paired();
      continue;
    }
    if (pairarmed && IsInPair(key) && paired()) {
      if (judged) found.push_back(winsim::Describe(e) + " switched the input language");
      pairarmed = false;
    }
    menu = menu || (IsAlt(key) && altalone);
    altalone = altalone && !IsAlt(key);
    down[key] = false;
  }
  if (menu && judged) found.push_back("the menu bar was left open");
  return found;
}

// The keys the application received that type something.
inline std::vector<std::string> KeysTyped(const std::vector<winsim::KeyEvent> &events) {
  std::vector<std::string> typed;
  for (const auto &e : events)
    if (!e.up() && shortcuts::IsTyped(shortcuts::KeyOf(e))) typed.push_back(winsim::Describe(e));
  return typed;
}
