// Shared by winsim's modules: the timeline, violations, failure injection and
// the names that handles are shown by.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace winsim::detail {

constexpr DWORD kProgramProcess = 0x1000;
constexpr DWORD kProgramThread = 0x1001;
inline HINSTANCE ProgramModule() { return reinterpret_cast<HINSTANCE>(0x400000); }

void Record(const std::string &entry);
void Violation(const std::string &what);
// True when the test asked this call to fail; sets the last error.
bool Injected(const char *function);
// A handle value that is never handed out twice in one run.
std::uintptr_t NextHandleValue();

std::string Hex(std::uintptr_t value);
std::string Quoted(const char *text);
std::string MessageName(UINT message);

// Windows (window.cpp)
struct WindowRec;
WindowRec *FindLive(HWND window);
bool IsProgramWindow(HWND window);
std::string WindowName(HWND window);
DWORD WindowThread(HWND window);
void OnWindowDestroyed(HWND window);  // lets other modules drop what the window held

// Per-module resets, run by winsim::Reset().
void ResetCore();
void ResetWindows();
void ResetHotkeys();
void ResetMenus();
void ResetShell();
void ResetMemory();
void ResetClipboard();
void ResetKeyboard();
void ResetRegistry();
void ResetControls();
void ResetLocale();

// A key press with these modifiers down: the holder of the combination, if
// any, catches it; a window of the program gets WM_HOTKEY posted (hotkey.cpp).
enum class HotkeyCatch { None, Program, Foreign };
HotkeyCatch CatchHotkey(UINT modifiers, UINT vk);

// Whether a low-level keyboard hook is still installed (keyboard.cpp).
bool HooksInstalled();
// The calls sent to hooks before they were removed, run as the program's
// thread reads its messages.
void RunHookCallsOnTheirWay();

// Hooks run when a window is destroyed.
void HotkeysOnWindowDestroyed(HWND window);
void ClipboardOnWindowDestroyed(HWND window);

// Fonts and the screen's DC (gdi.cpp), and the controls that use fonts
// (controls.cpp).
std::string FontName(HFONT font);
bool FontAlive(HFONT font);
bool FontUsedByLiveControl(HFONT font);
void ResetGdi();
int ScreenDCsHeld();

std::string IconNameOf(HICON icon);

// Code pages (codepage.cpp). The system's ANSI code page (GetACP) is that of
// a Russian Windows unless a test sets another; a locale's own one is given
// by CodePageOf. winsim's own texts are compiled in code page 1251.
constexpr UINT kSourceCodePage = 1251;
// The code page of text in `format` (CF_TEXT or CF_OEMTEXT) for a locale.
UINT CodePageOf(LCID locale, UINT format);
// False for a locale winsim does not know; `*codepage` is 0 for one that has
// no ANSI code page of its own (Unicode only).
bool KnownAnsiCodePage(LCID locale, UINT *codepage);
// 437, 850, 866, 1251 and 1252: the code pages that convert as the system's.
bool IsModelledCodePage(UINT codepage);
std::u16string BytesToUnicode(const BYTE *bytes, SIZE_T size, UINT codepage);
// A character the code page lacks becomes '?', and sets `*useddefault`.
std::vector<BYTE> UnicodeToBytes(const std::u16string &units, UINT codepage,
                                 bool *useddefault = nullptr);
std::string MenuName(HMENU menu);

}  // namespace winsim::detail
