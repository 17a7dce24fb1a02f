// System-wide hotkeys: one table for the whole desktop, as the system keeps it.
// A combination belongs to one holder at a time; a window's hotkeys go with it.
#include <algorithm>
#include <vector>

#include "internal.h"
#include "winsim.h"

namespace winsim::detail {
namespace {
constexpr UINT kModifierMask = MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN;
std::vector<HotkeyInfo> hotkeys;
}  // namespace

void ResetHotkeys() { hotkeys.clear(); }

HotkeyCatch CatchHotkey(UINT modifiers, UINT vk) {
  for (auto &h : hotkeys)
    if (h.vk == vk && h.modifiers == (modifiers & kModifierMask)) {
      if (h.foreign) return HotkeyCatch::Foreign;
      PostMessageA(h.window, WM_HOTKEY, static_cast<WPARAM>(h.id), MAKELPARAM(h.modifiers, h.vk));
      return HotkeyCatch::Program;
    }
  return HotkeyCatch::None;
}

void HotkeysOnWindowDestroyed(HWND window) {
  hotkeys.erase(std::remove_if(hotkeys.begin(), hotkeys.end(),
                               [&](const HotkeyInfo &h) { return h.window == window; }),
                hotkeys.end());
}
}  // namespace winsim::detail

using namespace winsim::detail;
using namespace winsim;

BOOL WINAPI RegisterHotKey(HWND window, int id, UINT modifiers, UINT vk) {
  std::string call = "RegisterHotKey(" + WindowName(window) + ", " + std::to_string(id) + ", " +
                     Hex(modifiers) + ", " + Hex(vk) + ")";
  if (window && !IsProgramWindow(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    Record(call + " = 0");
    return FALSE;
  }
  UINT mods = modifiers & kModifierMask;
  for (auto &h : hotkeys)
    if (h.vk == vk && h.modifiers == mods) {
      SetLastError(ERROR_HOTKEY_ALREADY_REGISTERED);
      Record(call + " = 0");
      return FALSE;
    }
  // The same window and id again replaces the earlier registration, as Wine
  // does; newer Windows keeps both. The program always unregisters first.
  for (auto &h : hotkeys)
    if (!h.foreign && h.window == window && h.id == id) {
      h.modifiers = mods;
      h.vk = vk;
      Record(call + " = 1");
      return TRUE;
    }
  hotkeys.push_back({window, id, mods, vk, false});
  Record(call + " = 1");
  return TRUE;
}

BOOL WINAPI UnregisterHotKey(HWND window, int id) {
  std::string call = "UnregisterHotKey(" + WindowName(window) + ", " + std::to_string(id) + ")";
  for (auto it = hotkeys.begin(); it != hotkeys.end(); ++it)
    if (!it->foreign && it->window == window && it->id == id) {
      hotkeys.erase(it);
      Record(call + " = 1");
      return TRUE;
    }
  SetLastError(window && !FindLive(window) ? ERROR_INVALID_WINDOW_HANDLE
                                           : ERROR_HOTKEY_NOT_REGISTERED);
  Record(call + " = 0");
  return FALSE;
}

namespace winsim {

void HoldHotkey(UINT modifiers, UINT vk) {
  hotkeys.push_back({NULL, -1, modifiers & kModifierMask, vk, true});
}

std::vector<HotkeyInfo> Hotkeys() { return hotkeys; }

}  // namespace winsim
