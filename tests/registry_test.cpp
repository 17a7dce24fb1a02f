// TRegistry: paths relative to the current key or the root, opening and
// creating with full access, handles closed exactly once, and 32-bit values
// that read as a caller's fallback when they are missing or damaged.
#include <string>

#include "program_test.h"
#include "settings/myregistry.h"
#include "winsim_registry.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {
const char kSettingsKey[] = "HKCU\\Software\\Tamsel";

std::vector<std::string> RegistryCalls() {
  std::vector<std::string> calls;
  for (const auto &entry : winsim::Timeline())
    if (entry.compare(0, 3, "Reg") == 0) calls.push_back(entry);
  return calls;
}
}  // namespace

using TRegistryTest = ProgramTest;

TEST_F(TRegistryTest, StartsAtTheCurrentUserWithoutAKeyAndWithoutFlushing) {
  TRegistry registry;
  EXPECT_EQ(registry.RootKey(), HKEY_CURRENT_USER);
  EXPECT_EQ(registry.CurrentKey(), nullptr);
  EXPECT_STREQ(registry.CurrentPath(), "");
  EXPECT_FALSE(registry.FlushesOnClose());
  EXPECT_THAT(RegistryCalls(), IsEmpty());
}

TEST_F(TRegistryTest, RelativePathJoinsTheCurrentPathAndClosesThePreviousKey) {
  winsim::CreateRegistryKey(kSettingsKey);
  TRegistry registry;
  ASSERT_TRUE(registry.OpenPath("Software", false));
  EXPECT_STREQ(registry.CurrentPath(), "Software");
  ASSERT_TRUE(registry.OpenPath("Tamsel", false));
  EXPECT_STREQ(registry.CurrentPath(), "Software\\Tamsel");
  EXPECT_THAT(RegistryCalls(), ElementsAre("RegOpenKeyExA(HKCU, \"Software\") = 0",
                                           "RegOpenKeyExA(HKCU\\Software, \"Tamsel\") = 0",
                                           "RegCloseKey(HKCU\\Software) = 0"));
  EXPECT_EQ(winsim::OpenRegistryHandles(), 1);
}

TEST_F(TRegistryTest, AbsolutePathStartsAtTheRootWithoutItsBackslash) {
  winsim::CreateRegistryKey(kSettingsKey);
  TRegistry registry;
  ASSERT_TRUE(registry.OpenPath("Software", false));
  winsim::ClearTimeline();
  ASSERT_TRUE(registry.OpenPath("\\Software\\Tamsel", false));
  EXPECT_STREQ(registry.CurrentPath(), "Software\\Tamsel");
  EXPECT_THAT(RegistryCalls(), ElementsAre("RegOpenKeyExA(HKCU, \"Software\\Tamsel\") = 0",
                                           "RegCloseKey(HKCU\\Software) = 0"));
}

TEST_F(TRegistryTest, RelativePathWithoutACurrentKeyStartsAtTheRoot) {
  winsim::CreateRegistryKey(kSettingsKey);
  TRegistry registry;
  ASSERT_TRUE(registry.OpenPath("Software\\Tamsel", false));
  EXPECT_STREQ(registry.CurrentPath(), "Software\\Tamsel");
  EXPECT_THAT(RegistryCalls(), ElementsAre("RegOpenKeyExA(HKCU, \"Software\\Tamsel\") = 0"));
}

TEST_F(TRegistryTest, CreatesOnlyWhenAskedWithFullAccessAndNonVolatile) {
  TRegistry registry;
  EXPECT_FALSE(registry.OpenPath("Software\\Tamsel", false));
  EXPECT_FALSE(winsim::RegistryKeyExists(kSettingsKey));
  ASSERT_TRUE(registry.OpenPath("Software\\Tamsel", true));
  EXPECT_TRUE(winsim::RegistryKeyExists(kSettingsKey));
  EXPECT_FALSE(winsim::RegistryKeyVolatile(kSettingsKey));
  auto handles = winsim::RegistryHandles();
  ASSERT_EQ(handles.size(), 1u);
  EXPECT_EQ(handles[0].path, kSettingsKey);
  EXPECT_TRUE(handles[0].created);
  EXPECT_EQ(handles[0].access, static_cast<REGSAM>(KEY_ALL_ACCESS));
  EXPECT_EQ(handles[0].options, static_cast<DWORD>(REG_OPTION_NON_VOLATILE));
}

TEST_F(TRegistryTest, OpeningForReadingStillAsksForFullAccess) {
  winsim::CreateRegistryKey(kSettingsKey);
  TRegistry registry;
  ASSERT_TRUE(registry.OpenPath("Software\\Tamsel", false));
  registry.ReadDword("active", 0);
  auto handles = winsim::RegistryHandles();
  ASSERT_EQ(handles.size(), 1u);
  EXPECT_FALSE(handles[0].created);
  EXPECT_EQ(handles[0].access, static_cast<REGSAM>(KEY_ALL_ACCESS));
}

TEST_F(TRegistryTest, EmptyPathOpensTheBaseKeyAgainInsteadOfCreating) {
  TRegistry registry;
  ASSERT_TRUE(registry.OpenPath("Software", false));
  HKEY first = registry.CurrentKey();
  ASSERT_TRUE(registry.OpenPath("", true));
  EXPECT_NE(registry.CurrentKey(), first);
  EXPECT_STREQ(registry.CurrentPath(), "Software\\");
  EXPECT_THAT(RegistryCalls(), ElementsAre("RegOpenKeyExA(HKCU, \"Software\") = 0",
                                           "RegOpenKeyExA(HKCU\\Software, \"\") = 0",
                                           "RegCloseKey(HKCU\\Software) = 0"));
  EXPECT_EQ(winsim::OpenRegistryHandles(), 1);
}

TEST_F(TRegistryTest, FailedOpenLeavesTheCurrentKeyCurrent) {
  winsim::CreateRegistryKey(kSettingsKey);
  TRegistry registry;
  ASSERT_TRUE(registry.OpenPath("Software\\Tamsel", false));
  HKEY current = registry.CurrentKey();
  EXPECT_FALSE(registry.OpenPath("Missing", false));
  EXPECT_FALSE(registry.OpenPath("\\Missing", false));
  EXPECT_EQ(registry.CurrentKey(), current);
  EXPECT_STREQ(registry.CurrentPath(), "Software\\Tamsel");
  registry.WriteDword("hookkey", 2);
  EXPECT_EQ(winsim::RegistryDword(kSettingsKey, "hookkey"), 2u);
  EXPECT_EQ(winsim::OpenRegistryHandles(), 1);
}

TEST_F(TRegistryTest, KeyWithoutFullAccessCannotBeOpenedOrCreatedOver) {
  winsim::SetRegistryDword(kSettingsKey, "hookkey", 2);
  winsim::SetRegistryKeyAccess(kSettingsKey, KEY_READ);
  TRegistry registry;
  EXPECT_FALSE(registry.OpenPath("Software\\Tamsel", false));
  EXPECT_FALSE(registry.OpenPath("Software\\Tamsel", true));
  EXPECT_FALSE(registry.MakeKey("Software\\Tamsel"));
  EXPECT_EQ(registry.CurrentKey(), nullptr);
  EXPECT_EQ(winsim::OpenRegistryHandles(), 0);
}

TEST_F(TRegistryTest, MakeKeyCreatesAndClosesWithoutChangingTheCurrentKey) {
  TRegistry registry;
  ASSERT_TRUE(registry.OpenPath("Software", false));
  HKEY current = registry.CurrentKey();
  EXPECT_TRUE(registry.MakeKey("Tamsel"));
  EXPECT_TRUE(winsim::RegistryKeyExists(kSettingsKey));
  EXPECT_TRUE(registry.MakeKey("Tamsel"));  // existing: opened and closed again
  EXPECT_EQ(registry.CurrentKey(), current);
  EXPECT_STREQ(registry.CurrentPath(), "Software");
  EXPECT_EQ(winsim::OpenRegistryHandles(), 1);
  EXPECT_EQ(Count(winsim::Timeline(), "RegCloseKey(HKCU\\Software\\Tamsel) = 0"), 2);
}

TEST_F(TRegistryTest, MakeKeyFailsWhereNoSubkeyMayBeCreated) {
  winsim::SetRegistryKeyAccess("HKCU\\Software", KEY_READ);
  TRegistry registry;
  ASSERT_TRUE(registry.OpenPath("\\", false));  // the root itself
  EXPECT_FALSE(registry.MakeKey("Software\\Tamsel"));
  EXPECT_FALSE(winsim::RegistryKeyExists(kSettingsKey));
  EXPECT_EQ(winsim::OpenRegistryHandles(), 0);
}

TEST_F(TRegistryTest, PathThatDoesNotFitFailsBeforeAnythingIsOpened) {
  TRegistry registry;
  ASSERT_TRUE(registry.OpenPath("Software", false));
  HKEY current = registry.CurrentKey();
  winsim::ClearTimeline();
  // "Software" + "\" + 246 characters fill the 255 characters a path may have.
  const std::string fits(246, 'k');
  const std::string toolong(247, 'k');
  EXPECT_FALSE(registry.OpenPath(toolong.c_str(), true));
  EXPECT_FALSE(registry.OpenPath(("\\" + std::string(256, 'k')).c_str(), true));
  EXPECT_THAT(RegistryCalls(), IsEmpty());
  EXPECT_EQ(registry.CurrentKey(), current);
  EXPECT_STREQ(registry.CurrentPath(), "Software");
  ASSERT_TRUE(registry.OpenPath(fits.c_str(), true));
  EXPECT_EQ(registry.CurrentPath(), "Software\\" + fits);
  EXPECT_TRUE(registry.OpenPath(("\\" + std::string(255, 'k')).c_str(), true));
  EXPECT_EQ(winsim::OpenRegistryHandles(), 1);
}

TEST_F(TRegistryTest, CloseCurrentClosesOnceAndDestructionClosesTheKey) {
  {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenPath("Software", false));
    registry.CloseCurrent();
    registry.CloseCurrent();
    EXPECT_EQ(registry.CurrentKey(), nullptr);
    EXPECT_STREQ(registry.CurrentPath(), "");
  }
  EXPECT_EQ(Count(winsim::Timeline(), "RegCloseKey("), 1);
  {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenPath("Software", false));
  }
  EXPECT_EQ(Count(winsim::Timeline(), "RegCloseKey("), 2);
  EXPECT_EQ(winsim::OpenRegistryHandles(), 0);
}

TEST_F(TRegistryTest, AnotherRootClosesTheCurrentKeyTheSameRootDoesNot) {
  TRegistry registry;
  ASSERT_TRUE(registry.OpenPath("Software", false));
  registry.SetRoot(HKEY_CURRENT_USER);
  EXPECT_NE(registry.CurrentKey(), nullptr);
  registry.SetRoot(HKEY_LOCAL_MACHINE);
  EXPECT_EQ(registry.CurrentKey(), nullptr);
  EXPECT_EQ(registry.RootKey(), HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(registry.OpenPath("Software", false));
  EXPECT_THAT(RegistryCalls(), ElementsAre("RegOpenKeyExA(HKCU, \"Software\") = 0",
                                           "RegCloseKey(HKCU\\Software) = 0",
                                           "RegOpenKeyExA(HKLM, \"Software\") = 0"));
}

TEST_F(TRegistryTest, WriteDwordStoresFourBytesOfTheSignedNumber) {
  winsim::CreateRegistryKey(kSettingsKey);
  TRegistry registry;
  ASSERT_TRUE(registry.OpenPath("Software\\Tamsel", false));
  registry.WriteDword("keycp", 0x0C2D);
  registry.WriteDword("usercodepage", -1);
  EXPECT_EQ(winsim::RegistryDword(kSettingsKey, "keycp"), 0x0C2Du);
  EXPECT_EQ(winsim::RegistryDword(kSettingsKey, "usercodepage"), 0xFFFFFFFFu);
  EXPECT_TRUE(InOrder(winsim::Timeline(),
                      {"RegSetValueExA(HKCU\\Software\\Tamsel, \"keycp\", REG_DWORD, 0xc2d) = 0"}));
}

TEST_F(TRegistryTest, WriteWithoutAKeyWritesNothing) {
  TRegistry registry;
  registry.WriteDword("active", 1);
  EXPECT_THAT(winsim::RegistryValueNames("HKCU"), IsEmpty());
  EXPECT_THAT(winsim::RegistryValueNames("HKCU\\Software"), IsEmpty());
  EXPECT_TRUE(
      InOrder(winsim::Timeline(), {"RegSetValueExA(NULL, \"active\", REG_DWORD, 0x1) = 6"}));
}

// --- reading -----------------------------------------------------------------

class ReadDwordTest : public ProgramTest {
 protected:
  LONG Read(const char *name) {
    TRegistry registry;
    EXPECT_TRUE(registry.OpenPath("Software\\Tamsel", false));
    return registry.ReadDword(name, kFallback);
  }
  static void Store(const char *name, DWORD type, const std::vector<BYTE> &data) {
    winsim::SetRegistryValue(kSettingsKey, name, type, data);
  }
  static constexpr LONG kFallback = 0x5A5A;
};

TEST_F(ReadDwordTest, StoredDwordComesAsItIs) {
  winsim::SetRegistryDword(kSettingsKey, "hookkey", 0x105);
  winsim::SetRegistryDword(kSettingsKey, "keycp", 0xFFFFFFFF);
  winsim::SetRegistryDword(kSettingsKey, "codepage", 0);
  EXPECT_EQ(Read("hookkey"), 0x105);
  EXPECT_EQ(Read("keycp"), -1);
  EXPECT_EQ(Read("codepage"), 0);
}

TEST_F(ReadDwordTest, MissingValueGivesTheFallback) {
  winsim::CreateRegistryKey(kSettingsKey);
  EXPECT_EQ(Read("hookkey"), kFallback);
}

TEST_F(ReadDwordTest, ValueOfAnotherTypeGivesTheFallback) {
  Store("string", REG_SZ, {'7', 0});
  Store("binary", REG_BINARY, {7, 0, 0, 0});
  Store("none", REG_NONE, {7, 0, 0, 0});
  Store("qword", REG_QWORD, {7, 0, 0, 0, 0, 0, 0, 0});
  Store("longstring", REG_SZ, {'1', '2', '3', '4', '5', 0});
  EXPECT_EQ(Read("string"), kFallback);
  EXPECT_EQ(Read("binary"), kFallback);
  EXPECT_EQ(Read("none"), kFallback);
  EXPECT_EQ(Read("qword"), kFallback);
  EXPECT_EQ(Read("longstring"), kFallback);
}

TEST_F(ReadDwordTest, DwordOfAnotherSizeGivesTheFallback) {
  Store("short", REG_DWORD, {7, 0});
  Store("long", REG_DWORD, {7, 0, 0, 0, 0});
  Store("empty", REG_DWORD, {});
  EXPECT_EQ(Read("short"), kFallback);
  EXPECT_EQ(Read("long"), kFallback);
  EXPECT_EQ(Read("empty"), kFallback);
}

TEST_F(ReadDwordTest, WithoutAKeyGivesTheFallback) {
  TRegistry registry;
  EXPECT_EQ(registry.ReadDword("active", kFallback), kFallback);
}

TEST_F(ReadDwordTest, ReadIsOneQueryOfTheCurrentKey) {
  winsim::SetRegistryDword(kSettingsKey, "active", 1);
  Read("active");
  EXPECT_TRUE(
      InOrder(winsim::Timeline(), {"RegQueryValueExA(HKCU\\Software\\Tamsel, \"active\") = 0"}));
}
