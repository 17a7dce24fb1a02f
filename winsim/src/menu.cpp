// Popup menus: items with flags, ids and texts; TrackPopupMenu picks what the
// test chose and posts the command to the owner, as a real menu does.
#include <deque>
#include <map>

#include "internal.h"
#include "winsim.h"

namespace winsim::detail {
namespace {
struct MenuRec {
  std::string name;
  bool destroyed = false;
  std::vector<MenuItemInfo> items;
};
std::map<HMENU, MenuRec> menus;
std::deque<UINT_PTR> choices;
int created = 0;

MenuRec *Live(HMENU menu, const char *function) {
  auto found = menus.find(menu);
  if (found == menus.end() || found->second.destroyed) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    if (found != menus.end())
      Violation(std::string(function) + " on a destroyed menu " + found->second.name);
    return nullptr;
  }
  return &found->second;
}
}  // namespace

void ResetMenus() {
  menus.clear();
  choices.clear();
  created = 0;
}

std::string MenuName(HMENU menu) {
  auto found = menus.find(menu);
  return found != menus.end() ? found->second.name : Hex(reinterpret_cast<std::uintptr_t>(menu));
}
}  // namespace winsim::detail

using namespace winsim::detail;
using namespace winsim;

HMENU WINAPI CreatePopupMenu(void) {
  if (Injected("CreatePopupMenu")) return NULL;
  HMENU menu = reinterpret_cast<HMENU>(NextHandleValue());
  menus[menu].name = "menu" + std::to_string(++created);
  Record("CreatePopupMenu() = " + MenuName(menu));
  return menu;
}

BOOL WINAPI DestroyMenu(HMENU menu) {
  MenuRec *m = Live(menu, "DestroyMenu");
  Record("DestroyMenu(" + MenuName(menu) + ") = " + std::to_string(m != nullptr));
  if (!m) return FALSE;
  m->destroyed = true;
  return TRUE;
}

BOOL WINAPI AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text) {
  MenuRec *m = Live(menu, "AppendMenuA");
  std::string call = "AppendMenuA(" + MenuName(menu) + ", " + Hex(flags) + ", " +
                     std::to_string(id) + ", " + (flags & MF_SEPARATOR ? "-" : Quoted(text)) + ")";
  Record(call + " = " + std::to_string(m != nullptr));
  if (!m) return FALSE;
  m->items.push_back({flags, id, (flags & MF_SEPARATOR) || !text ? "" : text});
  return TRUE;
}

BOOL WINAPI ModifyMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR id, LPCSTR text) {
  MenuRec *m = Live(menu, "ModifyMenuA");
  std::string call = "ModifyMenuA(" + MenuName(menu) + ", " + std::to_string(position) + ", " +
                     Hex(flags) + ", " + std::to_string(id) + ", " + Quoted(text) + ")";
  winsim::MenuItemInfo *item = nullptr;
  if (m && (flags & MF_BYPOSITION)) {
    if (position < m->items.size()) item = &m->items[position];
  } else if (m) {
    for (auto &i : m->items)
      if (i.id == position && !(i.flags & MF_SEPARATOR)) item = &i;
  }
  Record(call + " = " + std::to_string(item != nullptr));
  if (!item) return FALSE;
  *item = {static_cast<UINT>(flags & ~MF_BYPOSITION), id,
           (flags & MF_SEPARATOR) || !text ? "" : text};
  return TRUE;
}

BOOL WINAPI TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT *) {
  MenuRec *m = Live(menu, "TrackPopupMenu");
  std::string call = "TrackPopupMenu(" + MenuName(menu) + ", " + Hex(flags) + ", " +
                     std::to_string(x) + ", " + std::to_string(y) + ", " + WindowName(owner) + ")";
  if (!m || !IsProgramWindow(owner)) {
    if (m) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    Record(call + " = 0");
    return FALSE;
  }
  UINT_PTR choice = 0;
  if (!choices.empty()) {
    choice = choices.front();
    choices.pop_front();
  }
  Record(call + " = 1, user picks " + std::to_string(choice));
  for (auto &item : m->items)
    if (choice && item.id == choice && !(item.flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED))) {
      if (flags & TPM_RETURNCMD) return static_cast<BOOL>(choice);
      PostMessageA(owner, WM_COMMAND, choice, 0);
      break;
    }
  return TRUE;
}

namespace winsim {
void ChooseMenuItem(UINT_PTR id) { choices.push_back(id); }

std::vector<MenuItemInfo> MenuItems(HMENU menu) {
  auto found = menus.find(menu);
  return found != menus.end() ? found->second.items : std::vector<MenuItemInfo>{};
}

bool MenuAlive(HMENU menu) {
  auto found = menus.find(menu);
  return found != menus.end() && !found->second.destroyed;
}

int LiveMenus() {
  int live = 0;
  for (auto &m : menus) live += !m.second.destroyed;
  return live;
}
}  // namespace winsim
