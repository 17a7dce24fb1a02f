// Start-up, the single-instance rule, the quit switch and shutdown.
#include "app/app.h"
#include "program_test.h"

using ::testing::IsEmpty;

class QuitSwitchTest : public ProgramTest {
 protected:
  static bool SwitchIn(const char *commandline) {
    winsim::SetCommandLine(commandline);
    return HasQuitSwitch();
  }
};

TEST_F(QuitSwitchTest, LastCharacterLowerCaseQIsTheSwitch) {
  EXPECT_TRUE(SwitchIn("tamsel.exe -q"));
  EXPECT_TRUE(SwitchIn("tamsel.exe /q"));
  EXPECT_TRUE(SwitchIn("\"C:\\Tamsel\\tamsel.exe\" q"));
  EXPECT_TRUE(SwitchIn("tamsel.exe xyzq"));
  EXPECT_TRUE(SwitchIn("q"));
}

TEST_F(QuitSwitchTest, AnythingElseIsNot) {
  EXPECT_FALSE(SwitchIn(""));
  EXPECT_FALSE(SwitchIn("tamsel.exe -Q"));
  EXPECT_FALSE(SwitchIn("tamsel.exe -q "));
  EXPECT_FALSE(SwitchIn("\"tamsel.exe -q\""));
  EXPECT_FALSE(SwitchIn("tamsel.exe -quit"));
}

using StartupTest = ProgramTest;

TEST_F(StartupTest, CreatesHiddenTopmostToolWindowCentred) {
  WhileRunning([] {
    winsim::WindowInfo w = winsim::Window(Main());
    EXPECT_EQ(w.title, "Tamsel - Параметры");
    EXPECT_EQ(w.exstyle, static_cast<DWORD>(WS_EX_TOOLWINDOW));
    EXPECT_EQ(w.style & ~(WS_CAPTION | WS_CLIPSIBLINGS), 2u);
    EXPECT_FALSE(w.visible);
    EXPECT_TRUE(w.topmost);
    EXPECT_EQ(w.x, 194);
    EXPECT_EQ(w.y, 224);
    EXPECT_EQ(w.width, 636);
    EXPECT_EQ(w.height, 320);
  });
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(InOrder(winsim::Timeline(),
                      {"LoadIconA(\"MAINICON\") = MAINICON", "LoadIconA(\"MAINICON2\") = MAINICON2",
                       "RegisterClassA(\"Tamsel\", style 0x1, background 0x5, icon NULL) = 1",
                       "SetWindowPos(Tamsel, HWND_TOPMOST, 194, 224, 636, 320, 0x13) = 1",
                       "UpdateWindow(Tamsel) = 1", "ShowWindow(Tamsel, 0) = 0"}));
}

TEST_F(StartupTest, CentringTruncatesTowardZero) {
  winsim::SetScreenSize(633, 300);
  WhileRunning([] {
    EXPECT_EQ(winsim::Window(Main()).x, -1);
    EXPECT_EQ(winsim::Window(Main()).y, -10);
  });
  Run();
}

TEST_F(StartupTest, ScreenOneNarrowerThanWindowPlusOneGivesZero) {
  winsim::SetScreenSize(635, 321);
  WhileRunning([] {
    EXPECT_EQ(winsim::Window(Main()).x, 0);
    EXPECT_EQ(winsim::Window(Main()).y, 0);
  });
  Run();
}

const std::string kCreated =
    std::string("CreateWindowExA(0x80, \"Tamsel\", \"Tamsel - Параметры\", ") +
    "0x2, 194, 224, 636, 320, NULL) = Tamsel";
const std::string kTrayIconAdded =
    std::string("Shell_NotifyIconA(NIM_ADD, size 104, Tamsel, 12, flags 0x7, callback 0x440, ") +
    "MAINICON, \"Tamsel\") = 1";

TEST_F(StartupTest, StartsInTheOrderTrayMenuSettingsToggleActivationKey) {
  ThenQuit();
  Run();
  EXPECT_TRUE(InOrder(
      winsim::Timeline(),
      {"FindWindowA(\"Tamsel\", NULL) = NULL", "SetProcessDPIAware() = 1", kCreated, kTrayIconAdded,
       "CreatePopupMenu() = menu1", "send WM_HOTKEY(Tamsel, 0x9, 0x0)",
       "RegisterHotKey(Tamsel, 7, 0x1, 0x2d) = 1", "PostQuitMessage(0)",
       "UnregisterHotKey(Tamsel, 8) = 0", "UnregisterHotKey(Tamsel, 7) = 1",
       "UnregisterHotKey(Tamsel, 1) = 0", "UnregisterHotKey(Tamsel, 9) = 0",
       "DestroyMenu(menu1) = 1", "Shell_NotifyIconA(NIM_DELETE, size 104, Tamsel, 12) = 1"}));
}

TEST_F(StartupTest, ShutdownLeavesNoHotkeyTrayIconOrMenu) {
  ThenQuit();
  EXPECT_EQ(Run(), 0);
  EXPECT_THAT(winsim::Hotkeys(), IsEmpty());
  EXPECT_THAT(winsim::TrayIcons(), IsEmpty());
  EXPECT_EQ(winsim::LiveMenus(), 0);
}

TEST_F(StartupTest, SecondStartWithoutSwitchEndsAndLeavesRunningCopyAlone) {
  HWND running = winsim::AddForeignWindow("Tamsel", "Tamsel - Параметры");
  EXPECT_EQ(Run("tamsel.exe"), 0);
  EXPECT_THAT(winsim::ForeignMessages(running), IsEmpty());
  EXPECT_EQ(winsim::Windows().size(), 1u);
  EXPECT_THAT(winsim::TrayIcons(), IsEmpty());
  EXPECT_EQ(Count(winsim::Timeline(), "RegisterClassA"), 0);
}

TEST_F(StartupTest, SecondStartWithSwitchPostsDestroyToRunningCopy) {
  HWND running = winsim::AddForeignWindow("Tamsel", "Tamsel - Параметры");
  EXPECT_EQ(Run("tamsel.exe q"), 0);
  auto received = winsim::ForeignMessages(running);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].message, static_cast<UINT>(WM_DESTROY));
  EXPECT_EQ(received[0].wParam, 0u);
  EXPECT_EQ(received[0].lParam, 0);
  EXPECT_EQ(winsim::Windows().size(), 1u);
}

TEST_F(StartupTest, QuitSwitchWithNoCopyRunningCreatesNothing) {
  EXPECT_EQ(Run("tamsel.exe -q"), 0);
  EXPECT_THAT(winsim::Windows(), IsEmpty());
  EXPECT_THAT(winsim::TrayIcons(), IsEmpty());
  EXPECT_THAT(winsim::Hotkeys(), IsEmpty());
  EXPECT_EQ(Count(winsim::Timeline(), "post "), 0);
}

TEST_F(StartupTest, WindowThatCannotBeCreatedEndsAtOnce) {
  winsim::FailNext("CreateWindowExA");
  EXPECT_EQ(Run(), 0);
  EXPECT_THAT(winsim::TrayIcons(), IsEmpty());
  EXPECT_THAT(winsim::Hotkeys(), IsEmpty());
  EXPECT_EQ(Count(winsim::Timeline(), "CreatePopupMenu"), 0);
  EXPECT_EQ(Count(winsim::Timeline(), "GetMessageA"), 0);
}

TEST_F(StartupTest, ClassThatCannotBeRegisteredEndsAtOnce) {
  winsim::FailNext("RegisterClassA");
  EXPECT_EQ(Run(), 0);
  EXPECT_THAT(winsim::Windows(), IsEmpty());
  EXPECT_THAT(winsim::TrayIcons(), IsEmpty());
  EXPECT_THAT(winsim::Hotkeys(), IsEmpty());
}

TEST_F(StartupTest, RefusedTrayIconLeavesTheProgramRunning) {
  winsim::FailNext("Shell_NotifyIconA");
  WhileRunning([] { EXPECT_TRUE(IsWindow(Main())); });
  EXPECT_EQ(Run(), 0);
}
