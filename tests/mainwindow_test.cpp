// The main window procedure's dispatch, driven through the running program.
#include "app/app.h"
#include "program_test.h"

namespace {
// What the timeline shows after `mark`.
std::vector<std::string> After(size_t mark) {
  const auto &t = winsim::Timeline();
  return std::vector<std::string>(t.begin() + static_cast<long>(mark), t.end());
}
}  // namespace

using MainWindowProcTest = ProgramTest;

TEST_F(MainWindowProcTest, HotkeyIdsWithoutActionOnlyReachDefWindowProc) {
  WhileRunning([] {
    HWND main = Main();
    for (WPARAM id : {WPARAM(0), WPARAM(5), WPARAM(6), WPARAM(10), WPARAM(0xFFFFFFFF)}) {
      size_t mark = winsim::Timeline().size();
      EXPECT_EQ(SendMessageA(main, WM_HOTKEY, id, 0x2D0001), 0);
      std::string args = "(Tamsel, " + Hex(id) + ", 0x2d0001)";
      EXPECT_EQ(After(mark), (std::vector<std::string>{"send WM_HOTKEY" + args,
                                                       "DefWindowProcA WM_HOTKEY" + args}));
    }
  });
  Run();
}

TEST_F(MainWindowProcTest, UnknownCommandsWithoutControlOnlyReachDefWindowProc) {
  WhileRunning([] {
    HWND main = Main();
    for (WPARAM command : {1, 4, 7, 8, 0x10002}) {
      size_t mark = winsim::Timeline().size();
      SendMessageA(main, WM_COMMAND, command, 0);
      EXPECT_EQ(After(mark).size(), 2u) << command;
    }
  });
  Run();
}

TEST_F(MainWindowProcTest, DestroyReturnsZeroWithoutDefWindowProcAndEndsTheProgram) {
  winsim::Script([] {
    HWND main = Main();
    size_t mark = winsim::Timeline().size();
    EXPECT_EQ(SendMessageA(main, WM_DESTROY, 0, 0), 0);
    EXPECT_EQ(After(mark), (std::vector<std::string>{"send WM_DESTROY(Tamsel, 0x0, 0x0)",
                                                     "PostQuitMessage(0)"}));
  });
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(winsim::TrayIcons().empty());
}

TEST_F(MainWindowProcTest, CloseMessageDestroysTheWindowAndEndsTheProgram) {
  winsim::Script([] { PostMessageA(Main(), WM_CLOSE, 0, 0); });
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(
      InOrder(winsim::Timeline(),
              {"DefWindowProcA WM_CLOSE(Tamsel, 0x0, 0x0)", "DestroyWindow(Tamsel)",
               "send WM_DESTROY(Tamsel, 0x0, 0x0)", "PostQuitMessage(0)", "DestroyMenu(menu1) = 1",
               "Shell_NotifyIconA(NIM_DELETE, size 104, Tamsel, 12) = 1"}));
  EXPECT_TRUE(winsim::Windows()[0].destroyed);
  EXPECT_TRUE(winsim::TrayIcons().empty());
  EXPECT_TRUE(winsim::Hotkeys().empty());
}

TEST_F(MainWindowProcTest, CloseCommandEndsTheProgramWithoutDestroyingTheWindow) {
  winsim::Script([] { winsim::ClickTrayIcon(12, WM_RBUTTONDOWN); });
  winsim::ChooseMenuItem(5);
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(InOrder(winsim::Timeline(),
                      {"post WM_COMMAND(Tamsel, 0x5, 0x0)", "send WM_DESTROY(Tamsel, 0x0, 0x0)",
                       "PostQuitMessage(0)", "GetMessageA = WM_QUIT"}));
  EXPECT_FALSE(winsim::Windows()[0].destroyed);
  EXPECT_TRUE(winsim::TrayIcons().empty());
}

TEST_F(MainWindowProcTest, AboutCommandShowsTheAboutBoxWithTheActiveIcon) {
  WhileRunning([] { SendMessageA(Main(), WM_COMMAND, 6, 0); });
  Run();
  auto boxes = winsim::AboutBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].owner, nullptr);
  EXPECT_EQ(boxes[0].app, "Tamsel v4");
  EXPECT_FALSE(boxes[0].other.empty());
  EXPECT_EQ(winsim::IconName(boxes[0].icon), "MAINICON");
}

TEST_F(MainWindowProcTest, RightClickShowsTheMenuAtTheCursorThenNudgesTheWindow) {
  winsim::SetCursor(1000, 740);
  WhileRunning([] { winsim::ClickTrayIcon(12, WM_RBUTTONDOWN); });
  Run();
  EXPECT_TRUE(
      InOrder(winsim::Timeline(),
              {"dispatch 0x440(Tamsel, 0xc, 0x204)", "SetForegroundWindow(Tamsel) = 1",
               "TrackPopupMenu(menu1, 0x0, 1000, 740, Tamsel) = 1, user picks 0",
               "post WM_NULL(Tamsel, 0x0, 0x0)", "DefWindowProcA 0x440(Tamsel, 0xc, 0x204)"}));
}

TEST_F(MainWindowProcTest, OtherMouseMessagesOfTheTrayIconAreIgnored) {
  WhileRunning([] {
    HWND main = Main();
    for (UINT mouse :
         {WM_LBUTTONUP, WM_RBUTTONUP, WM_LBUTTONDBLCLK, WM_MOUSEMOVE, WM_MBUTTONDOWN}) {
      size_t mark = winsim::Timeline().size();
      SendMessageA(main, WM_USER + 0x40, 12, mouse);
      EXPECT_EQ(After(mark).size(), 2u) << mouse;
    }
  });
  Run();
  EXPECT_EQ(Count(winsim::Timeline(), "TrackPopupMenu"), 0);
}
