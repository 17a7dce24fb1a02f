// winsim's keyboard: scan codes, the key state, and the rule that a key press
// making a registered hotkey is caught by it, synthetic or not. That rule is
// why a program that types Ctrl+V while holding Ctrl+V as its hotkey has to
// let go of the hotkey for the keystroke.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "winsim.h"
#include "winsim_case.h"
#include "winsim_keyboard.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::SizeIs;

namespace {
std::vector<std::string> Names(const std::vector<winsim::KeyEvent> &events) {
  std::vector<std::string> names;
  names.reserve(events.size());
  for (const auto &e : events) names.push_back(winsim::Describe(e));
  return names;
}

bool Posted(const std::string &entry) {
  const auto &timeline = winsim::Timeline();
  return std::find(timeline.begin(), timeline.end(), entry) != timeline.end();
}

class WinsimKeyboard : public ::testing::Test {
 protected:
  void SetUp() override { window = FreshSystemWithWindow(); }
  void TearDown() override { EXPECT_THAT(winsim::Violations(), ::testing::IsEmpty()); }

  static void Key(BYTE vk, bool up) {
    keybd_event(vk, static_cast<BYTE>(MapVirtualKeyA(vk, 0)), up ? KEYEVENTF_KEYUP : 0, 0);
  }

  HWND window = NULL;
};

TEST_F(WinsimKeyboard, ScanCodesOfAUsKeyboard) {
  EXPECT_EQ(MapVirtualKeyA(VK_SHIFT, 0), 0x2Au);
  EXPECT_EQ(MapVirtualKeyA(VK_CONTROL, 0), 0x1Du);
  EXPECT_EQ(MapVirtualKeyA(VK_MENU, 0), 0x38u);
  EXPECT_EQ(MapVirtualKeyA(VK_INSERT, 0), 0x52u);
  EXPECT_EQ(MapVirtualKeyA('V', 0), 0x2Fu);
  EXPECT_EQ(MapVirtualKeyA('D', 0), 0x20u);
  EXPECT_EQ(MapVirtualKeyA('1', 0), 0x02u);
  EXPECT_EQ(MapVirtualKeyA(0x7B, 0), 0x58u);  // F12
  EXPECT_EQ(MapVirtualKeyA(0xE8, 0), 0u);     // unassigned
  EXPECT_EQ(MapVirtualKeyA(0x12F, 0), 0u);    // not a virtual key
  EXPECT_EQ(MapVirtualKeyA(0x2F, 1), static_cast<UINT>('V'));
}

TEST_F(WinsimKeyboard, KeyStateFollowsPressAndRelease) {
  Key(VK_CONTROL, false);
  EXPECT_TRUE(winsim::KeyDown(VK_CONTROL));
  Key(VK_CONTROL, true);
  EXPECT_FALSE(winsim::KeyDown(VK_CONTROL));
  EXPECT_TRUE(Posted("keybd_event(0x11, 0x1d, 0x2, 0x0)"));
}

TEST_F(WinsimKeyboard, CtrlVWithoutHotkeyReachesTheApplicationAsAPaste) {
  Key(VK_CONTROL, false);
  Key('V', false);
  Key('V', true);
  Key(VK_CONTROL, true);
  EXPECT_EQ(Names(winsim::DeliveredKeys()),
            (std::vector<std::string>{"Ctrl down", "V down", "V up", "Ctrl up"}));
  EXPECT_EQ(winsim::PastesSeen(), 1);
}

TEST_F(WinsimKeyboard, VWithAltOrShiftAlsoDownIsNoPaste) {
  for (BYTE extra : {VK_MENU, VK_SHIFT}) {
    Key(VK_CONTROL, false);
    Key(extra, false);
    Key('V', false);
    Key('V', true);
    Key(extra, true);
    Key(VK_CONTROL, true);
  }
  Key('V', false);  // and V alone neither
  EXPECT_EQ(winsim::PastesSeen(), 0);
}

// Without the guard the program's own V would come back to it, for ever.
TEST_F(WinsimKeyboard, SyntheticPressMakingARegisteredHotkeyIsCaughtByIt) {
  ASSERT_TRUE(RegisterHotKey(window, 1, MOD_CONTROL, 'V'));
  Key(VK_CONTROL, false);
  Key('V', false);
  Key('V', true);
  EXPECT_TRUE(Posted("post WM_HOTKEY(Case, 0x1, 0x560002)"));
  EXPECT_EQ(Names(winsim::DeliveredKeys()), (std::vector<std::string>{"Ctrl down", "V up"}));
  EXPECT_EQ(winsim::PastesSeen(), 0);
  EXPECT_TRUE(winsim::KeyDown(VK_CONTROL));
  EXPECT_THAT(winsim::Violations(),
              ElementsAre(HasSubstr("synthetic key press 0x2+0x56 was caught by its own hotkey")));
  winsim::Reset();
}

TEST_F(WinsimKeyboard, ProgramTypingItsOwnHotkeyIsStoppedAfterFiveRounds) {
  ASSERT_TRUE(RegisterHotKey(window, 1, MOD_CONTROL, 'V'));
  Key(VK_CONTROL, false);
  for (int round = 0; round < 7; ++round) {
    Key('V', false);
    Key('V', true);
  }
  EXPECT_EQ(winsim::PastesSeen(), 2);
  EXPECT_THAT(winsim::Violations(), SizeIs(1));
  winsim::Reset();
}

TEST_F(WinsimKeyboard, HotkeyLetGoForTheKeystrokeLetsThePasteThrough) {
  ASSERT_TRUE(RegisterHotKey(window, 1, MOD_CONTROL, 'V'));
  Key(VK_CONTROL, false);
  UnregisterHotKey(window, 1);
  Key('V', false);
  RegisterHotKey(window, 1, MOD_CONTROL, 'V');
  Key('V', true);
  EXPECT_EQ(winsim::PastesSeen(), 1);
  EXPECT_EQ(std::count_if(winsim::Timeline().begin(), winsim::Timeline().end(),
                          [](const std::string &t) { return t.rfind("post WM_HOTKEY", 0) == 0; }),
            0);
}

TEST_F(WinsimKeyboard, OnlyTheExactModifiersMakeTheHotkey) {
  ASSERT_TRUE(RegisterHotKey(window, 1, MOD_CONTROL, 'V'));
  Key(VK_CONTROL, false);
  Key(VK_SHIFT, false);
  Key('V', false);  // Ctrl+Shift+V is another combination
  EXPECT_EQ(winsim::DeliveredKeys().back().vk, 'V');
  EXPECT_FALSE(Posted("post WM_HOTKEY(Case, 0x1, 0x560002)"));
}

TEST_F(WinsimKeyboard, AnotherProgramsHotkeyCatchesTheKeyToo) {
  winsim::HoldHotkey(MOD_CONTROL, 'V');
  Key(VK_CONTROL, false);
  Key('V', false);
  EXPECT_EQ(Names(winsim::DeliveredKeys()), (std::vector<std::string>{"Ctrl down"}));
  EXPECT_EQ(winsim::PastesSeen(), 0);
}

TEST_F(WinsimKeyboard, UserHoldsTheHotkeysKeysUntilTheNextPress) {
  ASSERT_TRUE(RegisterHotKey(window, 4, MOD_ALT, VK_INSERT));
  ASSERT_TRUE(RegisterHotKey(window, 3, MOD_ALT, 'V'));
  EXPECT_TRUE(winsim::PressHotkey(MOD_ALT, VK_INSERT));
  EXPECT_TRUE(winsim::KeyDown(VK_MENU));
  EXPECT_TRUE(winsim::KeyDown(VK_INSERT));
  // The application sees Alt go down; the hotkey takes Insert.
  EXPECT_EQ(Names(winsim::DeliveredKeys()), (std::vector<std::string>{"Left Alt down"}));
  EXPECT_TRUE(winsim::PressHotkey(MOD_ALT, 'V'));
  EXPECT_FALSE(winsim::KeyDown(VK_INSERT));
  winsim::ReleaseUserKeys();
  EXPECT_FALSE(winsim::KeyDown(VK_MENU));
  EXPECT_FALSE(winsim::KeyDown('V'));
  EXPECT_TRUE(winsim::SyntheticKeys().empty());
  for (const auto &e : winsim::DeliveredKeys()) EXPECT_FALSE(e.synthetic);
}

TEST_F(WinsimKeyboard, UnheldCombinationGoesToTheApplication) {
  EXPECT_FALSE(winsim::PressHotkey(MOD_CONTROL, 'V'));
  EXPECT_EQ(winsim::PastesSeen(), 1);
}

TEST_F(WinsimKeyboard, ResetForgetsKeysAndEvents) {
  Key(VK_CONTROL, false);
  winsim::Reset();
  EXPECT_FALSE(winsim::KeyDown(VK_CONTROL));
  EXPECT_TRUE(winsim::SyntheticKeys().empty());
  EXPECT_TRUE(winsim::DeliveredKeys().empty());
}
}  // namespace
