// The test-facing side of winsim's standard controls, fonts, locales and
// installed keyboard layouts: what the settings page is made of.
//
// Modelled as the system does it:
// - "button" (push button, auto check box, group box, auto radio button):
//   BM_SETCHECK / BM_GETCHECK. A click: an auto check box toggles, an auto
//   radio button checks itself and unchecks the other auto radio buttons of
//   its group (its siblings from the last WS_GROUP sibling up to the next),
//   then the parent gets WM_COMMAND(MAKEWPARAM(0, BN_CLICKED), control).
//   A group box takes no clicks.
// - "combobox": CB_ADDSTRING (sorted with CBS_SORT), CB_SETCURSEL (an index
//   out of range clears the selection), CB_GETCURSEL, CB_GETCOUNT,
//   CB_GETLBTEXT. A drop-down list's user can only pick a row.
// - "msctls_hotkey32": exists only once InitCommonControlsEx registered it
//   (ICC_HOTKEY_CLASS); HKM_SETRULES, HKM_SETHOTKEY, HKM_GETHOTKEY.
// - WM_SETFONT / WM_GETFONT for every control. Deleting a font that a live
//   control still uses is a violation.
// What is not modelled is listed in winsim/README.md.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace winsim {

struct ControlInfo {
  bool checked;
  HFONT font;
  std::vector<std::string> rows;  // combobox
  int selection;                  // combobox; -1 for none
  WORD hotkey;                    // hotkey control
  WPARAM invalidcombinations;     // hotkey control, as HKM_SETRULES gave them
  LPARAM defaultmodifiers;
};
ControlInfo Control(HWND control);

// The live descendant of `window` whose class and text are these (NULL: none).
HWND FindControl(HWND window, const std::string &classname, const std::string &text);
// Live descendants of `window`, in order of creation.
std::vector<HWND> Descendants(HWND window);

// --- the user -----------------------------------------------------------------
// Clicks a button; false when it cannot be clicked (hidden, destroyed, a group box).
bool Click(HWND control);
// Picks row `row` of a drop-down list; false for no such row or a hidden list.
bool PickRow(HWND combo, int row);
// Types a combination into a hotkey control (a hotkey word); a combination
// the rules call invalid gets the rules' default modifiers instead.
bool TypeHotkey(HWND control, WORD word);

// --- fonts ----------------------------------------------------------------------
struct FontInfo {
  int height;
  int weight;
  DWORD italic, underline, strikeout;
  DWORD charset;
  std::string face;
  bool deleted;
};
FontInfo Font(HFONT font);
int LiveFonts();

// --- locales and layouts --------------------------------------------------------
// The name of a locale's language as a Russian system gives it
// (LOCALE_SLANGUAGE), in code page 1251, the system's ANSI one (preset: 0x0419,
// 0x0409, 0x0422, 0x0407, 0x0414); "" makes the locale unknown. GetLocaleInfoA
// converts it with the language's own code page, or with the ANSI one when
// asked with LOCALE_USE_CP_ACP: a name that code page cannot hold comes as '?'.
void SetLanguageName(LCID locale, const std::string &name);
// GetKeyboardLayoutList's answer (default 0x04190419, 0x04090409).
void SetInstalledLayouts(const std::vector<HKL> &layouts);

}  // namespace winsim
