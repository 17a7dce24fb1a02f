// The standard controls of the settings page (see winsim_controls.h): their
// state, window procedures and what the user does with them.
#include <algorithm>
#include <cstring>
#include <map>
#include <strings.h>

#include <commctrl.h>

#include "internal.h"
#include "winsim.h"
#include "winsim_controls.h"

namespace winsim::detail {
namespace {
constexpr UINT kComboSelChange = 1;   // CBN_SELCHANGE
constexpr UINT kEditChange = 0x0300;  // EN_CHANGE, which the hotkey control also sends

struct ControlRec {
  bool checked = false;
  HFONT font = NULL;
  std::vector<std::string> rows;
  int selection = -1;
  WORD hotkey = 0;
  WPARAM invalid = 0;
  LPARAM defaultmods = 0;
};

std::map<HWND, ControlRec> controls;
bool hotkeyclass = false;

ControlRec &Rec(HWND control) { return controls[control]; }

DWORD ButtonType(HWND control) { return Window(control).style & 0xF; }

// Messages every control answers the same way.
bool CommonMessage(HWND control, UINT message, WPARAM wparam, LRESULT *result) {
  switch (message) {
    case WM_NCCREATE:
      *result = TRUE;
      return true;
    case WM_SETFONT:
      Rec(control).font = reinterpret_cast<HFONT>(wparam);
      if (wparam && !FontAlive(Rec(control).font))
        Violation("WM_SETFONT with a font that does not exist: " + FontName(Rec(control).font));
      *result = 0;
      return true;
    case WM_GETFONT:
      *result = reinterpret_cast<LRESULT>(Rec(control).font);
      return true;
    default:
      return false;
  }
}

LRESULT CALLBACK ButtonProc(HWND control, UINT message, WPARAM wparam, LPARAM) {
  LRESULT result = 0;
  if (CommonMessage(control, message, wparam, &result)) return result;
  DWORD type = ButtonType(control);
  bool checkable = type == BS_AUTOCHECKBOX || type == BS_AUTORADIOBUTTON;
  if (message == BM_SETCHECK && checkable) Rec(control).checked = wparam == BST_CHECKED;
  if (message == BM_GETCHECK && checkable) return Rec(control).checked ? BST_CHECKED : 0;
  return 0;
}

int ComboAdd(ControlRec &combo, HWND control, const char *text) {
  if (!text) {
    Violation("CB_ADDSTRING without a text to " + WindowName(control));
    return CB_ERR;
  }
  auto at = combo.rows.end();
  if (Window(control).style & CBS_SORT)
    for (at = combo.rows.begin(); at != combo.rows.end() && strcasecmp(at->c_str(), text) <= 0;)
      ++at;
  auto row = at - combo.rows.begin();
  combo.rows.insert(at, text);
  return static_cast<int>(row);
}

LRESULT ComboText(const ControlRec &combo, WPARAM row, char *buffer) {
  if (row >= combo.rows.size()) return CB_ERR;
  const std::string &text = combo.rows[row];
  if (buffer) text.copy(buffer, text.size()), buffer[text.size()] = 0;
  return static_cast<LRESULT>(text.size());
}

LRESULT CALLBACK ComboProc(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  if (CommonMessage(control, message, wparam, &result)) return result;
  ControlRec &combo = Rec(control);
  switch (message) {
    case CB_ADDSTRING:
      return ComboAdd(combo, control, reinterpret_cast<const char *>(lparam));
    case CB_SETCURSEL:
      combo.selection = wparam < combo.rows.size() ? static_cast<int>(wparam) : -1;
      return combo.selection;
    case CB_GETCURSEL:
      return combo.selection;
    case CB_GETCOUNT:
      return static_cast<LRESULT>(combo.rows.size());
    case CB_GETLBTEXT:
      return ComboText(combo, wparam, reinterpret_cast<char *>(lparam));
    default:
      return 0;
  }
}

LRESULT CALLBACK HotkeyProc(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  if (CommonMessage(control, message, wparam, &result)) return result;
  ControlRec &hotkey = Rec(control);
  switch (message) {
    case HKM_SETHOTKEY:
      hotkey.hotkey = LOWORD(wparam);
      return 0;
    case HKM_GETHOTKEY:
      return hotkey.hotkey;
    case HKM_SETRULES:
      hotkey.invalid = wparam;
      hotkey.defaultmods = lparam;
      return 0;
    default:
      return 0;
  }
}

// The HKCOMB_* flag a hotkey word's modifiers make.
WPARAM Combination(BYTE flags) {
  flags &= HOTKEYF_SHIFT | HOTKEYF_CONTROL | HOTKEYF_ALT;
  static const WPARAM kCombinations[8] = {HKCOMB_NONE, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80};
  return kCombinations[flags];
}

bool SameClass(HWND window, const char *name) {
  return strcasecmp(Window(window).classname.c_str(), name) == 0;
}

// A control the user can reach: alive, the program's, shown with all its ancestors.
bool Reachable(HWND control, const char *classname) {
  if (!IsProgramWindow(control) || !SameClass(control, classname)) return false;
  return IsWindowVisible(control) != 0;
}

void Notify(HWND control, UINT code) {
  HWND parent = Window(control).parent;
  if (parent)
    SendMessageA(parent, WM_COMMAND, MAKELONG(0, code), reinterpret_cast<LPARAM>(control));
}

// The auto radio buttons of the group that `control` belongs to: its siblings
// from the last one with WS_GROUP (inclusive) to the next one (exclusive).
std::vector<HWND> RadioGroup(HWND control) {
  std::vector<HWND> siblings = Descendants(Window(control).parent);
  HWND parent = Window(control).parent;
  std::vector<HWND> group;
  for (HWND h : siblings) {
    if (Window(h).parent != parent) continue;
    if (Window(h).style & WS_GROUP) {
      bool passed = std::find(group.begin(), group.end(), control) != group.end();
      if (passed) break;
      group.clear();
    }
    group.push_back(h);
  }
  return group;
}

void ClickRadio(HWND control) {
  for (HWND h : RadioGroup(control))
    if (h != control && SameClass(h, "button") && ButtonType(h) == BS_AUTORADIOBUTTON)
      Rec(h).checked = false;
  Rec(control).checked = true;
}
}  // namespace

void ResetControls() {
  controls.clear();
  hotkeyclass = false;
}

bool FontUsedByLiveControl(HFONT font) {
  for (const auto &[handle, rec] : controls)
    if (rec.font == font && FindLive(handle)) return true;
  return false;
}

WNDPROC SystemClassProc(const char *name) {
  if (strcasecmp(name, "button") == 0) return ButtonProc;
  if (strcasecmp(name, "combobox") == 0) return ComboProc;
  if (strcasecmp(name, HOTKEY_CLASSA) == 0 && hotkeyclass) return HotkeyProc;
  return nullptr;
}
}  // namespace winsim::detail

using namespace winsim::detail;
using namespace winsim;

namespace {
HMODULE CommonControlsModule() { return reinterpret_cast<HMODULE>(0x7FF10000); }
}  // namespace

// The one library that can be loaded: the common controls.
HMODULE WINAPI LoadLibraryA(LPCSTR name) {
  bool known = name && (strcasecmp(name, "comctl32.dll") == 0 || strcasecmp(name, "comctl32") == 0);
  HMODULE module = NULL;
  if (!known)
    SetLastError(126);  // ERROR_MOD_NOT_FOUND
  else if (!Injected("LoadLibraryA"))
    module = CommonControlsModule();
  Record("LoadLibraryA(" + Quoted(name) + ") = " + (module ? "comctl32" : "NULL"));
  return module;
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
  FARPROC found = NULL;
  if (module == CommonControlsModule() && name && strcmp(name, "InitCommonControlsEx") == 0)
    found = reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(InitCommonControlsEx));
  else
    SetLastError(127);  // ERROR_PROC_NOT_FOUND
  Record("GetProcAddress(" + std::string(module == CommonControlsModule() ? "comctl32" : "?") +
         ", " + Quoted(name) + ") = " + (found ? "InitCommonControlsEx" : "NULL"));
  return found;
}

// Registers the classes asked for; only the hotkey control is modelled.
BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX *init) {
  BOOL ok = init && init->dwSize == sizeof(INITCOMMONCONTROLSEX);
  if (ok && (init->dwICC & ICC_HOTKEY_CLASS)) hotkeyclass = true;
  Record("InitCommonControlsEx(" +
         (init ? "size " + std::to_string(init->dwSize) + ", " + Hex(init->dwICC)
               : std::string("NULL")) +
         ") = " + std::to_string(ok));
  return ok;
}

namespace winsim {

ControlInfo Control(HWND control) {
  const ControlRec &c = Rec(control);
  return {c.checked, c.font, c.rows, c.selection, c.hotkey, c.invalid, c.defaultmods};
}

std::vector<HWND> Descendants(HWND window) {
  std::vector<HWND> out;
  for (const WindowInfo &w : Windows()) {
    if (w.destroyed) continue;
    for (HWND up = w.parent; up; up = Window(up).parent)
      if (up == window) {
        out.push_back(w.handle);
        break;
      }
  }
  return out;
}

HWND FindControl(HWND window, const std::string &classname, const std::string &text) {
  for (HWND h : Descendants(window))
    if (SameClass(h, classname.c_str()) && Window(h).title == text) return h;
  return NULL;
}

bool Click(HWND control) {
  if (!Reachable(control, "button") || ButtonType(control) == BS_GROUPBOX) return false;
  Record("user clicks " + WindowName(control) + " " + Quoted(Window(control).title.c_str()));
  if (ButtonType(control) == BS_AUTOCHECKBOX) Rec(control).checked = !Rec(control).checked;
  if (ButtonType(control) == BS_AUTORADIOBUTTON) ClickRadio(control);
  Notify(control, BN_CLICKED);
  return true;
}

bool PickRow(HWND combo, int row) {
  if (!Reachable(combo, "combobox") || row < 0 || row >= static_cast<int>(Rec(combo).rows.size()))
    return false;
  Record("user picks row " + std::to_string(row) + " of " + WindowName(combo));
  Rec(combo).selection = row;
  Notify(combo, kComboSelChange);
  return true;
}

bool TypeHotkey(HWND control, WORD word) {
  if (!Reachable(control, HOTKEY_CLASSA)) return false;
  Record("user types " + Hex(word) + " into " + WindowName(control));
  ControlRec &c = Rec(control);
  BYTE flags = HIBYTE(word);
  if (word && (c.invalid & Combination(flags)))
    flags = static_cast<BYTE>((flags & HOTKEYF_EXT) | LOWORD(c.defaultmods));
  c.hotkey = MAKEWORD(LOBYTE(word), flags);
  Notify(control, kEditChange);
  return true;
}

}  // namespace winsim
