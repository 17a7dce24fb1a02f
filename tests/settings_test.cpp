// The settings record's defaults and the hotkey word's modifier conversion.
#include <gtest/gtest.h>

#include "settings/settings.h"
#include "winsim.h"

TEST(HotkeyFlagsToMods, SwapsShiftAndAltKeepsControl) {
  const BYTE expected[8] = {
      0,       MOD_SHIFT,           MOD_CONTROL,           MOD_SHIFT | MOD_CONTROL,
      MOD_ALT, MOD_ALT | MOD_SHIFT, MOD_ALT | MOD_CONTROL, MOD_ALT | MOD_CONTROL | MOD_SHIFT};
  for (WORD flags = 0; flags < 8; ++flags)
    EXPECT_EQ(HotkeyFlagsToMods(static_cast<WORD>(flags << 8 | 0x41)), expected[flags]) << flags;
}

TEST(HotkeyFlagsToMods, DropsExtendedKeyAndUpperBits) {
  EXPECT_EQ(HotkeyFlagsToMods(0x0800), 0);
  EXPECT_EQ(HotkeyFlagsToMods(0x0C2D), MOD_ALT);
  EXPECT_EQ(HotkeyFlagsToMods(0xF52D), MOD_ALT | MOD_SHIFT);
  EXPECT_EQ(HotkeyFlagsToMods(0x00FF), 0);
}

TEST(DefaultSettings, MatchTheirModifierBytesAndTheUsersLocale) {
  winsim::Reset();
  winsim::SetUserDefaultLCID(0x0409);
  SetDefaultSettings();
  EXPECT_EQ(active, 1);
  EXPECT_EQ(hookkey, 5);
  EXPECT_EQ(codepage, 4);
  EXPECT_EQ(iconclick, 1);
  EXPECT_EQ(activekey, 0);
  EXPECT_EQ(activekeymods, 0);
  EXPECT_EQ(keycp, 0x0C2D);
  EXPECT_EQ(keycpmods, MOD_ALT);
  EXPECT_EQ(keycc, 0x0244);
  EXPECT_EQ(keyccmods, MOD_CONTROL);
  EXPECT_EQ(usercodepage, 0x0409u);
}
