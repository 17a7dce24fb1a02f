// The hotkey sets of the modes and the switch between the active and the
// inactive state.
#include "app/iconca.h"
#include "paste/activation.h"
#include "program_test.h"
#include "settings/settings.h"

namespace {
struct Registered {
  int id;
  UINT modifiers;
  UINT vk;
  bool operator==(const Registered &o) const {
    return id == o.id && modifiers == o.modifiers && vk == o.vk;
  }
};

std::vector<Registered> ProgramHotkeys() {
  std::vector<Registered> out;
  for (auto &h : winsim::Hotkeys())
    if (!h.foreign) out.push_back({h.id, h.modifiers, h.vk});
  return out;
}

void Toggle() { SendMessageA(FindWindowA("Tamsel", NULL), WM_HOTKEY, ActivationHotkeyId, 0); }

// Switches off, changes the mode, and switches on again.
void ReactivateIn(BYTE mode) {
  Toggle();
  hookkey = mode;
  Toggle();
}
}  // namespace

using ActivationTest = ProgramTest;

TEST_F(ActivationTest, DefaultsRegisterTheUserPasteHotkeyOnly) {
  WhileRunning([] {
    EXPECT_EQ(ProgramHotkeys(), (std::vector<Registered>{{7, MOD_ALT, VK_INSERT}}));
    EXPECT_EQ(hotkeysactive, 1);
  });
  Run();
}

TEST_F(ActivationTest, ModeAltKeysRegistersAltVAndAltInsert) {
  WhileRunning([] {
    ReactivateIn(ModeAltKeys);
    EXPECT_EQ(ProgramHotkeys(),
              (std::vector<Registered>{{3, MOD_ALT, 'V'}, {4, MOD_ALT, VK_INSERT}}));
  });
  Run();
}

TEST_F(ActivationTest, ModeStandardKeysRegistersFourInOrder) {
  WhileRunning([] {
    ReactivateIn(ModeStandardKeys);
    EXPECT_EQ(ProgramHotkeys(), (std::vector<Registered>{{1, MOD_CONTROL, 'V'},
                                                         {2, MOD_SHIFT, VK_INSERT},
                                                         {3, MOD_ALT, 'V'},
                                                         {4, MOD_ALT, VK_INSERT}}));
  });
  Run();
}

TEST_F(ActivationTest, ModeUserCleanRegistersTheCleanHotkey) {
  WhileRunning([] {
    ReactivateIn(ModeUserClean);
    EXPECT_EQ(ProgramHotkeys(), (std::vector<Registered>{{8, MOD_CONTROL, 'D'}}));
  });
  Run();
}

TEST_F(ActivationTest, UnknownModesAndEmptyWordsRegisterNothingYetCountAsActive) {
  WhileRunning([] {
    for (BYTE mode : {0, 3, 4, 7, 255}) {
      ReactivateIn(mode);
      EXPECT_TRUE(ProgramHotkeys().empty()) << int(mode);
      EXPECT_EQ(hotkeysactive, 1);
      EXPECT_EQ(winsim::MenuItems(traymenu)[4].text, "Де&активировать");
    }
    Toggle();
    keycp = 0;
    hookkey = ModeUserPaste;
    Toggle();
    keycc = 0;
    ReactivateIn(ModeUserClean);
    EXPECT_TRUE(ProgramHotkeys().empty());
  });
  Run();
}

TEST_F(ActivationTest, WordWithFlagsButNoKeyStillRegistersWithKeyZero) {
  WhileRunning([] {
    Toggle();
    keycp = 0x0600;
    keycpmods = HotkeyFlagsToMods(keycp);
    Toggle();
    EXPECT_EQ(ProgramHotkeys(), (std::vector<Registered>{{7, MOD_ALT | MOD_CONTROL, 0}}));
  });
  Run();
}

TEST_F(ActivationTest, ExtendedKeyFlagRegistersTheSameCombination) {
  WhileRunning([] {
    Toggle();
    keycp = 0x042D;
    keycpmods = HotkeyFlagsToMods(keycp);
    Toggle();
    auto withoutext = ProgramHotkeys();
    Toggle();
    keycp = 0x0C2D;
    keycpmods = HotkeyFlagsToMods(keycp);
    Toggle();
    EXPECT_EQ(ProgramHotkeys(), withoutext);
  });
  Run();
}

TEST_F(ActivationTest, DeactivationUnregistersAllPasteIdsDownwardAndKeepsActivationKey) {
  WhileRunning([] {
    Toggle();
    activekey = 0x0641;
    activekeymods = HotkeyFlagsToMods(activekey);
    RegisterActivationHotkey();
    Toggle();
    winsim::ClearTimeline();
    Toggle();
    EXPECT_TRUE(InOrder(winsim::Timeline(),
                        {"UnregisterHotKey(Tamsel, 8) = 0", "UnregisterHotKey(Tamsel, 7) = 1",
                         "UnregisterHotKey(Tamsel, 6) = 0", "UnregisterHotKey(Tamsel, 5) = 0",
                         "UnregisterHotKey(Tamsel, 4) = 0", "UnregisterHotKey(Tamsel, 3) = 0",
                         "UnregisterHotKey(Tamsel, 2) = 0", "UnregisterHotKey(Tamsel, 1) = 0"}));
    EXPECT_EQ(Count(winsim::Timeline(), "UnregisterHotKey(Tamsel, 9)"), 0);
    EXPECT_EQ(ProgramHotkeys(), (std::vector<Registered>{{9, MOD_ALT | MOD_CONTROL, 'A'}}));
  });
  Run();
}

TEST_F(ActivationTest, ActivationHotkeyPressedTogglesInBothStates) {
  winsim::Script([] {
    activekey = 0x0641;
    activekeymods = HotkeyFlagsToMods(activekey);
    RegisterActivationHotkey();
    EXPECT_TRUE(winsim::PressHotkey(MOD_ALT | MOD_CONTROL, 'A'));
  });
  winsim::Script([] {
    EXPECT_EQ(hotkeysactive, 0);
    EXPECT_TRUE(winsim::PressHotkey(MOD_ALT | MOD_CONTROL, 'A'));
  });
  WhileRunning([] { EXPECT_EQ(hotkeysactive, 1); });
  Run();
}

TEST_F(ActivationTest, CombinationHeldByAnotherProgramIsRefusedButStateSaysActive) {
  winsim::HoldHotkey(MOD_ALT, VK_INSERT);
  WhileRunning([] {
    EXPECT_TRUE(ProgramHotkeys().empty());
    EXPECT_EQ(hotkeysactive, 1);
    EXPECT_EQ(winsim::IconName(winsim::TrayIcons()[0].icon), "MAINICON");
    EXPECT_FALSE(winsim::PressHotkey(MOD_ALT, VK_INSERT));
  });
  EXPECT_EQ(Run(), 0);
}
