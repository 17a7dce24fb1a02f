// What winsim counts as a contract violation: the faults that Windows would
// punish, or tolerate only by luck, must fail a test.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include "winsim.h"
#include "winsim_case.h"
#include "winsim_clipboard.h"

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::SizeIs;

namespace {
class WinsimViolations : public ::testing::Test {
 protected:
  void SetUp() override { window = FreshSystemWithWindow(); }
  HWND window = NULL;
};

TEST_F(WinsimViolations, BalancedProgramEndsWithoutViolation) {
  ASSERT_TRUE(OpenClipboard(window));
  CloseClipboard();
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  RegCloseKey(key);
  GlobalFree(GlobalAlloc(GMEM_MOVEABLE, 8));
  winsim::CheckProgramEnd();
  EXPECT_THAT(winsim::Violations(), IsEmpty());
}

TEST_F(WinsimViolations, ClipboardLeftOpenAtTheEnd) {
  ASSERT_TRUE(OpenClipboard(window));
  winsim::CheckProgramEnd();
  ASSERT_THAT(winsim::Violations(), SizeIs(1));
  EXPECT_THAT(winsim::Violations()[0], HasSubstr("clipboard open"));
}

TEST_F(WinsimViolations, RegistryKeyLeftOpenAtTheEnd) {
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  winsim::CheckProgramEnd();
  ASSERT_THAT(winsim::Violations(), SizeIs(1));
  EXPECT_THAT(winsim::Violations()[0], HasSubstr("1 registry key(s) open"));
}

TEST_F(WinsimViolations, MemoryBlockNotFreedAtTheEnd) {
  GlobalAlloc(GMEM_MOVEABLE, 8);
  winsim::CheckProgramEnd();
  ASSERT_THAT(winsim::Violations(), SizeIs(1));
  EXPECT_THAT(winsim::Violations()[0], HasSubstr("1 memory block(s) not freed"));
}

TEST_F(WinsimViolations, MessageToADestroyedWindow) {
  DestroyWindow(window);
  EXPECT_FALSE(PostMessageA(window, WM_NULL, 0, 0));
  EXPECT_EQ(SendMessageA(window, WM_NULL, 0, 0), 0);
  EXPECT_THAT(winsim::Violations(), SizeIs(2));
}

TEST_F(WinsimViolations, MenuUsedAfterDestroyMenu) {
  HMENU menu = CreatePopupMenu();
  DestroyMenu(menu);
  EXPECT_FALSE(AppendMenuA(menu, MF_STRING, 1, "x"));
  EXPECT_FALSE(DestroyMenu(menu));
  EXPECT_THAT(winsim::Violations(), SizeIs(2));
}

TEST_F(WinsimViolations, ProgramWaitingWithNothingScriptedEndsTheLoopAndFails) {
  MSG msg;
  EXPECT_FALSE(GetMessageA(&msg, NULL, 0, 0));
  ASSERT_THAT(winsim::Violations(), SizeIs(1));
  EXPECT_THAT(winsim::Violations()[0], HasSubstr("wait for ever"));
}
}  // namespace
