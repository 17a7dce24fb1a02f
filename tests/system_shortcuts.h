// What Windows makes of the keys an application received: a lone Alt (down
// and up with no key pressed between) opens the menu bar, which the next Alt
// press ends; Left Alt+Shift or Ctrl+Shift, one let go of with no key pressed
// since the pair was complete, switches the input language. Injected keys
// count; a key that a hotkey took never arrived and counts as no key between.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "winsim_keyboard.h"

// A modifier by its side: a generic code with the extended flag is the right key.
inline BYTE SideOf(const winsim::KeyEvent &e) {
  bool generic = e.vk >= VK_SHIFT && e.vk <= VK_MENU;
  return generic ? static_cast<BYTE>(VK_LSHIFT + 2 * (e.vk - VK_SHIFT) +
                                     ((e.flags & KEYEVENTF_EXTENDEDKEY) != 0))
                 : e.vk;
}

// Neither a modifier nor the unassigned 0xE8, which does nothing in a menu.
inline bool Types(BYTE key) { return (key < VK_LSHIFT || key > VK_RMENU) && key != 0xE8; }

inline std::vector<std::string> KeysTyped(const std::vector<winsim::KeyEvent> &events) {
  std::vector<std::string> typed;
  for (const auto &e : events)
    if (!e.up() && Types(SideOf(e))) typed.push_back(winsim::Describe(e));
  return typed;
}

// From the program's first key on (the user's hands before it are the
// user's): keys typed into an open menu, a menu left open, language switches.
inline std::vector<std::string> ShortcutsCompleted(const std::vector<winsim::KeyEvent> &events) {
  std::vector<std::string> found;
  std::array<bool, 256> down{};
  bool judged = false, lonealt = false, menu = false, armed = false;
  auto paired = [&] {
    return (down[VK_LMENU] || down[VK_LCONTROL] || down[VK_RCONTROL]) &&
           (down[VK_LSHIFT] || down[VK_RSHIFT]);
  };
  for (const auto &e : events) {
    BYTE key = SideOf(e);
    bool alt = key == VK_LMENU || key == VK_RMENU, inpair = key >= VK_LSHIFT && key <= VK_LMENU;
    judged = judged || e.synthetic;
    if (!e.up()) {
      if (judged && menu && Types(key)) found.push_back(winsim::Describe(e) + " went to the menu");
      menu = menu && !alt;
      lonealt = alt;
      down[key] = true;
      armed = inpair && paired();
      continue;
    }
    if (judged && armed && inpair && paired())
      found.push_back(winsim::Describe(e) + " switched the input language");
    armed = armed && !(inpair && paired());
    menu = menu || (alt && lonealt);
    lonealt = lonealt && !alt;
    down[key] = false;
  }
  if (judged && menu) found.push_back("the menu bar was left open");
  return found;
}
