// What the system does, stated as cases that pass both against winsim and
// against the real API under Wine, so the stand-in cannot drift.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "contract_platform.h"

namespace {
std::vector<std::string> seen;
const char ClassName[] = "ContractCaseWindow";

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_USER:
      seen.push_back("user begin");
      SendMessageA(window, WM_USER + 1, 0, 0);
      seen.push_back("user end");
      return 7;
    case WM_USER + 1:
      seen.push_back("nested");
      return 0;
    case WM_DESTROY:
      seen.push_back("destroy");
      return 0;
    case WM_NCDESTROY:
      seen.push_back("ncdestroy");
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

class SystemContract : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSystem();
    seen.clear();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = ClassName;
    RegisterClassA(&wc);
  }
  void TearDown() override {
    for (HWND w : windows)
      if (IsWindow(w)) DestroyWindow(w);
  }
  HWND NewWindow() {
    HWND w = CreateWindowExA(WS_EX_TOOLWINDOW, ClassName, "case", 2, 0, 0, 100, 100, NULL, NULL,
                             GetModuleHandleA(NULL), NULL);
    windows.push_back(w);
    return w;
  }
  std::vector<HWND> windows;
};

TEST_F(SystemContract, SendMessageRunsTheProcedureAtOnceAndReentersIt) {
  HWND w = NewWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(SendMessageA(w, WM_USER, 0, 0), 7);
  EXPECT_EQ(seen, (std::vector<std::string>{"user begin", "nested", "user end"}));
}

TEST_F(SystemContract, CloseThroughDefWindowProcDestroysTheWindow) {
  HWND w = NewWindow();
  SendMessageA(w, WM_CLOSE, 0, 0);
  EXPECT_EQ(seen, (std::vector<std::string>{"destroy", "ncdestroy"}));
  EXPECT_FALSE(IsWindow(w));
}

TEST_F(SystemContract, SendingDestroyDoesNotDestroyTheWindow) {
  HWND w = NewWindow();
  SendMessageA(w, WM_DESTROY, 0, 0);
  EXPECT_EQ(seen, (std::vector<std::string>{"destroy"}));
  EXPECT_TRUE(IsWindow(w));
}

TEST_F(SystemContract, TopLevelWindowWithoutStyleBitsGetsCaption) {
  HWND w = NewWindow();
  EXPECT_FALSE(IsWindowVisible(w));
  EXPECT_EQ(ShowWindow(w, SW_HIDE), FALSE);
}

TEST_F(SystemContract, PostedMessagesComeBeforeQuit) {
  HWND w = NewWindow();
  PostQuitMessage(3);
  PostMessageA(w, WM_USER + 1, 0, 0);
  MSG msg;
  EXPECT_EQ(GetMessageA(&msg, NULL, 0, 0), TRUE);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
  EXPECT_EQ(GetMessageA(&msg, NULL, 0, 0), FALSE);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(SystemContract, HotkeyHeldByOneWindowIsRefusedToAnother) {
  HWND first = NewWindow();
  HWND second = NewWindow();
  ASSERT_TRUE(RegisterHotKey(first, 1, MOD_ALT | MOD_SHIFT, 0x7A));
  SetLastError(0);
  EXPECT_FALSE(RegisterHotKey(second, 2, MOD_ALT | MOD_SHIFT, 0x7A));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HOTKEY_ALREADY_REGISTERED));
  EXPECT_FALSE(RegisterHotKey(first, 3, MOD_ALT | MOD_SHIFT | MOD_NOREPEAT, 0x7A));
  EXPECT_TRUE(UnregisterHotKey(first, 1));
  EXPECT_TRUE(RegisterHotKey(second, 2, MOD_ALT | MOD_SHIFT, 0x7A));
  EXPECT_TRUE(UnregisterHotKey(second, 2));
}

TEST_F(SystemContract, UnregisteringWhatIsNotRegisteredFails) {
  HWND w = NewWindow();
  SetLastError(0);
  EXPECT_FALSE(UnregisterHotKey(w, 5));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HOTKEY_NOT_REGISTERED));
}

TEST_F(SystemContract, DestroyedWindowTakesItsHotkeysAlong) {
  HWND w = NewWindow();
  ASSERT_TRUE(RegisterHotKey(w, 1, MOD_ALT | MOD_SHIFT, 0x7B));
  DestroyWindow(w);
  HWND other = NewWindow();
  EXPECT_TRUE(RegisterHotKey(other, 1, MOD_ALT | MOD_SHIFT, 0x7B));
  EXPECT_TRUE(UnregisterHotKey(other, 1));
}

TEST_F(SystemContract, FindWindowFindsAnotherProcessesWindowByClass) {
  HWND other = StartOtherProgramWindow("ContractOtherProgram");
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(FindWindowA("ContractOtherProgram", NULL), other);
  EXPECT_EQ(FindWindowA("contractotherprogram", NULL), other);
  DWORD process = 0;
  GetWindowThreadProcessId(other, &process);
  DWORD own = 0;
  GetWindowThreadProcessId(NewWindow(), &own);
  EXPECT_NE(process, own);
  StopOtherProgramWindow(other);
}

// A program reads whether the user still holds a key from the key state that
// its own synthetic events change at once.
TEST_F(SystemContract, AsyncKeyStateFollowsSyntheticEventsAtOnce) {
  const BYTE keys[] = {VK_SHIFT, 0xE8};  // no effect on whatever has the focus
  for (BYTE vk : keys) {
    EXPECT_GE(GetAsyncKeyState(vk), 0) << int(vk);
    keybd_event(vk, 0, 0, 0);
    EXPECT_LT(GetAsyncKeyState(vk), 0) << int(vk);
    keybd_event(vk, 0, KEYEVENTF_KEYUP, 0);
    EXPECT_GE(GetAsyncKeyState(vk), 0) << int(vk);
  }
}

// A program's own low-level keyboard hook sees each of its synthetic keys
// before keybd_event returns, marked injected, by the code and with the extra
// information it was sent with:
// what came before a key in the system's order has been seen by then. A hook
// that returns non-zero stops the key before the key state changes.
std::vector<KBDLLHOOKSTRUCT> hooked;
bool stopkeys;
LRESULT CALLBACK RecordKey(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HC_ACTION) {
    hooked.push_back(*reinterpret_cast<const KBDLLHOOKSTRUCT *>(lparam));
    if (stopkeys) return 1;
  }
  return CallNextHookEx(NULL, code, wparam, lparam);
}

TEST_F(SystemContract, OwnKeyboardHookSeesEachSyntheticKeyBeforeTheCallReturns) {
  HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, RecordKey, GetModuleHandleA(NULL), 0);
  ASSERT_TRUE(hook);
  const BYTE keys[] = {VK_SHIFT, 0xE8};  // no effect on whatever has the focus
  const ULONG_PTR extra = 0x546D736C;
  for (BYTE vk : keys) {
    for (DWORD up : {0, KEYEVENTF_KEYUP}) {
      hooked.clear();
      keybd_event(vk, 0, up, extra);
      ASSERT_EQ(hooked.size(), 1u) << int(vk);
      EXPECT_EQ(hooked[0].vkCode, vk);
      EXPECT_EQ(hooked[0].dwExtraInfo, extra);
      EXPECT_EQ(hooked[0].flags & (LLKHF_INJECTED | LLKHF_UP),
                static_cast<DWORD>(LLKHF_INJECTED | (up ? LLKHF_UP : 0)));
    }
  }
  stopkeys = true;
  keybd_event(0xE8, 0, 0, 0);
  EXPECT_GE(GetAsyncKeyState(0xE8), 0);
  stopkeys = false;
  EXPECT_TRUE(UnhookWindowsHookEx(hook));
  hooked.clear();
  keybd_event(0xE8, 0, 0, 0);
  keybd_event(0xE8, 0, KEYEVENTF_KEYUP, 0);
  EXPECT_TRUE(hooked.empty());
}

// Each modifier has a left and a right key, and its generic code is down
// while either is. The generic code sent without the extended flag moves the
// left key; a side's own code with that side's scan code moves that side,
// with the flag for the right ones. The right Ctrl and Alt are extended keys;
// the right Shift is not, yet Wine takes every side from the flag alone (there
// VK_RSHIFT without it moves the left Shift, on Windows the right one), so it
// goes with the flag too. A hook sees the code sent, the flag as
// LLKHF_EXTENDED.
TEST_F(SystemContract, EachSideOfAModifierIsAKeyOfItsOwn) {
  struct Sent {
    BYTE vk;
    DWORD flags;
    BYTE moved;
    BYTE generic;
  };
  const Sent sent[] = {{VK_SHIFT, 0, VK_LSHIFT, VK_SHIFT},
                       {VK_CONTROL, 0, VK_LCONTROL, VK_CONTROL},
                       {VK_MENU, 0, VK_LMENU, VK_MENU},
                       {VK_LSHIFT, 0, VK_LSHIFT, VK_SHIFT},
                       {VK_RSHIFT, KEYEVENTF_EXTENDEDKEY, VK_RSHIFT, VK_SHIFT},
                       {VK_LCONTROL, 0, VK_LCONTROL, VK_CONTROL},
                       {VK_RCONTROL, KEYEVENTF_EXTENDEDKEY, VK_RCONTROL, VK_CONTROL},
                       {VK_LMENU, 0, VK_LMENU, VK_MENU},
                       {VK_RMENU, KEYEVENTF_EXTENDEDKEY, VK_RMENU, VK_MENU}};
  HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, RecordKey, GetModuleHandleA(NULL), 0);
  ASSERT_TRUE(hook);
  for (const Sent &s : sent) {
    BYTE scan = static_cast<BYTE>(MapVirtualKeyA(s.vk, MAPVK_VK_TO_VSC));
    BYTE otherside = s.moved ^ 1;
    hooked.clear();
    keybd_event(s.vk, scan, s.flags, 0);
    EXPECT_LT(GetAsyncKeyState(s.moved), 0) << int(s.vk);
    EXPECT_GE(GetAsyncKeyState(otherside), 0) << int(s.vk);
    EXPECT_LT(GetAsyncKeyState(s.generic), 0) << int(s.vk);
    ASSERT_EQ(hooked.size(), 1u) << int(s.vk);
    EXPECT_EQ(hooked[0].vkCode, s.vk);
    EXPECT_EQ(hooked[0].flags & LLKHF_EXTENDED, s.flags ? DWORD(LLKHF_EXTENDED) : 0) << int(s.vk);
    keybd_event(0xE8, 0, 0, 0);  // no menu bar opens for an Alt alone
    keybd_event(0xE8, 0, KEYEVENTF_KEYUP, 0);
    keybd_event(s.vk, scan, s.flags | KEYEVENTF_KEYUP, 0);
    EXPECT_GE(GetAsyncKeyState(s.generic), 0) << int(s.vk);
  }
  EXPECT_TRUE(UnhookWindowsHookEx(hook));
  // Map type 0 gives each side its own scan code, type 1 the generic code.
  EXPECT_EQ(MapVirtualKeyA(VK_LSHIFT, MAPVK_VK_TO_VSC), 0x2Au);
  EXPECT_EQ(MapVirtualKeyA(VK_RSHIFT, MAPVK_VK_TO_VSC), 0x36u);
  EXPECT_EQ(MapVirtualKeyA(VK_RCONTROL, MAPVK_VK_TO_VSC), 0x1Du);
  EXPECT_EQ(MapVirtualKeyA(VK_RMENU, MAPVK_VK_TO_VSC), 0x38u);
  EXPECT_EQ(MapVirtualKeyA(0x36, 1), static_cast<UINT>(VK_SHIFT));
}

// A language's name comes in the language's own code page (Norwegian: 1252)
// unless LOCALE_USE_CP_ACP asks for the ANSI one (1251), whatever language the
// system names it in: the letters beyond ASCII differ, one byte each, the rest
// agree. Russian's own code page is the ANSI one. Where the ANSI code page is
// Norwegian's own, the two answers cannot differ.
TEST_F(SystemContract, LanguageNamesComeInTheAnsiCodePageOnlyWhenAskedFor) {
  if (GetACP() != 1251)
    GTEST_SKIP() << "assumes ANSI code page 1251; this system's is " << GetACP();
  char own[256], ansi[256];
  int length = GetLocaleInfoA(0x0414, LOCALE_SLANGUAGE, own, sizeof own);
  ASSERT_GT(length, 1);
  ASSERT_EQ(GetLocaleInfoA(0x0414, LOCALE_SLANGUAGE | LOCALE_USE_CP_ACP, ansi, sizeof ansi),
            length);
  EXPECT_STRNE(own, ansi);
  for (int i = 0; i < length; ++i) {
    bool ascii = static_cast<unsigned char>(own[i]) < 0x80 && own[i] != '?';
    EXPECT_TRUE(!ascii || own[i] == ansi[i]) << i;
  }
  ASSERT_GT(GetLocaleInfoA(0x0419, LOCALE_SLANGUAGE, own, sizeof own), 1);
  ASSERT_GT(GetLocaleInfoA(0x0419, LOCALE_SLANGUAGE | LOCALE_USE_CP_ACP, ansi, sizeof ansi), 1);
  EXPECT_STREQ(own, ansi);
}

// A locale's single-byte code page, and whether text converted into one
// needed its default character, which the measuring call tells too.
TEST_F(SystemContract, LocaleGivesItsCodePageAndConversionReportsTheDefaultCharacter) {
  DWORD english = 0, russian = 0;
  const DWORD type = LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER;
  EXPECT_GT(GetLocaleInfoA(0x0409, type, reinterpret_cast<LPSTR>(&english), sizeof english), 0);
  EXPECT_GT(GetLocaleInfoA(0x0419, type, reinterpret_cast<LPSTR>(&russian), sizeof russian), 0);
  EXPECT_EQ(english, 1252u);
  EXPECT_EQ(russian, 1251u);
  // A Unicode-only locale (Armenian) has none: 0, which is CP_ACP.
  DWORD armenian = 1252;
  EXPECT_GT(GetLocaleInfoA(0x042B, type, reinterpret_cast<LPSTR>(&armenian), sizeof armenian), 0);
  EXPECT_EQ(armenian, 0u);

  const WCHAR text[] = {0x041F, 0x20AC};  // "П€"
  BOOL lost = FALSE;
  EXPECT_EQ(WideCharToMultiByte(1252, 0, text, 2, NULL, 0, NULL, &lost), 2);
  EXPECT_TRUE(lost);
  lost = TRUE;
  EXPECT_EQ(WideCharToMultiByte(1251, 0, text, 2, NULL, 0, NULL, &lost), 2);
  EXPECT_FALSE(lost);
  char bytes[2] = {};
  lost = TRUE;
  EXPECT_EQ(WideCharToMultiByte(1251, 0, text, 2, bytes, 2, NULL, &lost), 2);
  EXPECT_FALSE(lost);
  EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xCF);
  EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0x88);
}

// A program that does not import the common controls loads them when it needs
// the hotkey control, whose class they register when asked.
TEST_F(SystemContract, CommonControlsLoadedAtRunTimeRegisterTheHotkeyClass) {
  typedef BOOL(WINAPI * InitProc)(const INITCOMMONCONTROLSEX *);
  EXPECT_EQ(LoadLibraryA("nosuchlibrary.dll"), nullptr);
  HMODULE library = LoadLibraryA("comctl32.dll");
  ASSERT_NE(library, nullptr);
  EXPECT_EQ(GetProcAddress(library, "NoSuchFunction"), nullptr);
  FARPROC proc = GetProcAddress(library, "InitCommonControlsEx");
  ASSERT_NE(proc, nullptr);
  INITCOMMONCONTROLSEX init = {sizeof init, ICC_HOTKEY_CLASS};
  EXPECT_TRUE(reinterpret_cast<InitProc>(reinterpret_cast<void (*)()>(proc))(&init));
  EXPECT_NE(CreateWindowExA(0, "msctls_hotkey32", "", WS_CHILD, 0, 0, 10, 10, NewWindow(), NULL,
                            GetModuleHandleA(NULL), NULL),
            nullptr);
}

// Until a program declares itself DPI-aware, Windows gives it 96 from the
// screen's DC and stretches its windows (Wine 8 gives it the system DPI,
// which in the test environment is 96 as well); then the system DPI. Pixels
// are scaled with MulDiv, which rounds halves away from zero.
TEST_F(SystemContract, ScreenGivesTheSystemDpiOnceDpiAwareAndMulDivRoundsHalvesAwayFromZero) {
  HDC screen = GetDC(NULL);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
  EXPECT_EQ(ReleaseDC(NULL, screen), 1);
  SetProcessDPIAware();
  screen = GetDC(NULL);
  EXPECT_GE(GetDeviceCaps(screen, LOGPIXELSY), 96);
  EXPECT_EQ(ReleaseDC(NULL, screen), 1);
  EXPECT_EQ(MulDiv(13, 144, 96), 20);
  EXPECT_EQ(MulDiv(-11, 144, 96), -17);
  EXPECT_EQ(MulDiv(305, 120, 96), 381);
}

TEST_F(SystemContract, FindWindowFindsNothingForAnUnknownClass) {
  EXPECT_EQ(FindWindowA("NoSuchClassAnywhere", NULL), nullptr);
}
}  // namespace
