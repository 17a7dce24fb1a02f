// Loading and saving the eight settings in HKCU\Software\Tamsel: the first
// start stores the defaults, later starts read back what was stored with the
// truncations of each setting's width, and a damaged or locked key never
// gives an arbitrary number, a crash or a leaked key handle.
#include <cstring>
#include <map>

#include "program_test.h"
#include "settings/myregistry.h"
#include "settings/settings.h"
#include "winsim_registry.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {
const char kSettingsKey[] = "HKCU\\Software\\Tamsel";

// The order in which the values are written.
const char *const kValueNames[] = {"active",       "hookkey",   "codepage", "iconclick",
                                   "usercodepage", "activekey", "keycp",    "keycc"};

void StoreAll(const std::map<std::string, DWORD> &values) {
  for (const auto &v : values) winsim::SetRegistryDword(kSettingsKey, v.first, v.second);
}

// Settings that differ from every default.
const std::map<std::string, DWORD> kOtherSettings = {
    {"active", 0},     {"hookkey", 2},           {"codepage", 1},
    {"iconclick", 0},  {"usercodepage", 0x0409}, {"activekey", 0x0351},
    {"keycp", 0x0156}, {"keycc", 0x0645},
};

void ClearSettings() {
  active = hookkey = codepage = iconclick = 0;
  activekey = keycp = keycc = 0;
  activekeymods = keycpmods = keyccmods = 0;
  usercodepage = 0;
}

int SetValueCalls() { return Count(winsim::Timeline(), "RegSetValueExA("); }
}  // namespace

class SettingsStoreTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    ClearSettings();
    winsim::SetUserDefaultLCID(0x0422);
  }
  void TearDown() override {
    EXPECT_EQ(winsim::OpenRegistryHandles(), 0) << "a registry key was left open";
    ProgramTest::TearDown();
  }
};

// --- the first start -----------------------------------------------------------

TEST_F(SettingsStoreTest, FirstStartWritesExactlyTheEightDefaults) {
  ThenQuit();
  EXPECT_EQ(Run(), 0);
  EXPECT_THAT(winsim::RegistryValueNames(kSettingsKey),
              ElementsAre("active", "hookkey", "codepage", "iconclick", "usercodepage", "activekey",
                          "keycp", "keycc"));
  const std::map<std::string, DWORD> expected = {
      {"active", 1},     {"hookkey", 5},           {"codepage", 4},
      {"iconclick", 1},  {"usercodepage", 0x0422}, {"activekey", 0},
      {"keycp", 0x0C2D}, {"keycc", 0x0244},
  };
  for (const auto &v : expected)
    EXPECT_EQ(winsim::RegistryDword(kSettingsKey, v.first), v.second) << v.first;
  EXPECT_FALSE(winsim::RegistryKeyVolatile(kSettingsKey));
}

TEST_F(SettingsStoreTest, FirstStartTakesTheDefaultsAndActsOnThem) {
  ThenQuit();
  Run();
  EXPECT_EQ(active, 1);
  EXPECT_EQ(hookkey, 5);
  EXPECT_EQ(codepage, 4);
  EXPECT_EQ(iconclick, 1);
  EXPECT_EQ(usercodepage, 0x0422u);
  EXPECT_EQ(activekey, 0);
  EXPECT_EQ(activekeymods, 0);
  EXPECT_EQ(keycp, 0x0C2D);
  EXPECT_EQ(keycpmods, MOD_ALT);
  EXPECT_EQ(keycc, 0x0244);
  EXPECT_EQ(keyccmods, MOD_CONTROL);
  EXPECT_TRUE(InOrder(winsim::Timeline(), {"RegCloseKey(HKCU\\Software\\Tamsel) = 0",
                                           "RegisterHotKey(Tamsel, 7, 0x1, 0x2d) = 1"}));
}

TEST_F(SettingsStoreTest, FirstStartLooksCreatesReopensThenWrites) {
  LoadSettings();
  EXPECT_TRUE(InOrder(
      winsim::Timeline(),
      {"RegOpenKeyExA(HKCU, \"Software\\Tamsel\") = 2", "RegOpenKeyExA(HKCU, \"Software\") = 0",
       "RegCreateKeyExA(HKCU\\Software, \"Tamsel\") = 0", "RegCloseKey(HKCU\\Software\\Tamsel) = 0",
       "RegOpenKeyExA(HKCU\\Software, \"Tamsel\") = 0", "RegCloseKey(HKCU\\Software) = 0",
       "RegSetValueExA(HKCU\\Software\\Tamsel, \"active\", REG_DWORD, 0x1) = 0",
       "RegSetValueExA(HKCU\\Software\\Tamsel, \"keycc\", REG_DWORD, 0x244) = 0",
       "RegCloseKey(HKCU\\Software\\Tamsel) = 0"}));
  EXPECT_EQ(SetValueCalls(), 8);
}

TEST_F(SettingsStoreTest, EveryKeyIsOpenedWithFullAccess) {
  LoadSettings();
  auto handles = winsim::RegistryHandles();
  ASSERT_FALSE(handles.empty());
  for (const auto &h : handles) {
    EXPECT_EQ(h.access, static_cast<REGSAM>(KEY_ALL_ACCESS)) << h.path;
    EXPECT_EQ(h.options, static_cast<DWORD>(REG_OPTION_NON_VOLATILE)) << h.path;
  }
}

TEST_F(SettingsStoreTest, NothingIsWrittenOutsideTheSettingsKey) {
  LoadSettings();
  EXPECT_THAT(winsim::RegistrySubkeys("HKCU"), ElementsAre("Software"));
  EXPECT_THAT(winsim::RegistrySubkeys("HKCU\\Software"), ElementsAre("Tamsel"));
  EXPECT_THAT(winsim::RegistryValueNames("HKCU"), IsEmpty());
  EXPECT_THAT(winsim::RegistryValueNames("HKCU\\Software"), IsEmpty());
  EXPECT_THAT(winsim::RegistrySubkeys(kSettingsKey), IsEmpty());
}

// --- later starts --------------------------------------------------------------

TEST_F(SettingsStoreTest, RestartReadsBackWhatWasSaved) {
  active = 0;
  hookkey = 2;
  codepage = 3;
  iconclick = 0;
  usercodepage = 0x0419;
  activekey = 0x0351;
  keycp = 0x0156;
  keycc = 0x0645;
  SaveSettings();
  ClearSettings();
  LoadSettings();
  EXPECT_EQ(active, 0);
  EXPECT_EQ(hookkey, 2);
  EXPECT_EQ(codepage, 3);
  EXPECT_EQ(iconclick, 0);
  EXPECT_EQ(usercodepage, 0x0419u);
  EXPECT_EQ(activekey, 0x0351);
  EXPECT_EQ(activekeymods, MOD_SHIFT | MOD_CONTROL);
  EXPECT_EQ(keycp, 0x0156);
  EXPECT_EQ(keycpmods, MOD_SHIFT);
  EXPECT_EQ(keycc, 0x0645);
  EXPECT_EQ(keyccmods, MOD_ALT | MOD_CONTROL);
}

TEST_F(SettingsStoreTest, SecondStartOfTheProgramReadsTheFirstStartsKeyAndWritesNothing) {
  ThenQuit();
  Run();
  auto image = winsim::CopyRegistry();
  winsim::Reset();
  winsim::RestoreRegistry(image);
  winsim::SetRegistryDword(kSettingsKey, "hookkey", 6);  // the user's own change between starts
  ClearSettings();
  ThenQuit();
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(hookkey, 6);
  EXPECT_EQ(keycp, 0x0C2D);
  EXPECT_EQ(usercodepage, 0x0422u);
  EXPECT_EQ(SetValueCalls(), 0);
  EXPECT_EQ(Count(winsim::Timeline(), "RegCreateKeyExA("), 0);
  EXPECT_EQ(Count(winsim::Timeline(), "RegQueryValueExA(HKCU\\Software\\Tamsel, "), 8);
}

TEST_F(SettingsStoreTest, ReadsTheValuesInTheirOrder) {
  StoreAll(kOtherSettings);
  LoadSettings();
  std::vector<std::string> queried;
  for (const auto &entry : winsim::Timeline())
    if (entry.compare(0, 17, "RegQueryValueExA(") == 0) queried.push_back(entry);
  EXPECT_THAT(queried,
              ElementsAre("RegQueryValueExA(HKCU\\Software\\Tamsel, \"active\") = 0",
                          "RegQueryValueExA(HKCU\\Software\\Tamsel, \"hookkey\") = 0",
                          "RegQueryValueExA(HKCU\\Software\\Tamsel, \"codepage\") = 0",
                          "RegQueryValueExA(HKCU\\Software\\Tamsel, \"iconclick\") = 0",
                          "RegQueryValueExA(HKCU\\Software\\Tamsel, \"activekey\") = 0",
                          "RegQueryValueExA(HKCU\\Software\\Tamsel, \"keycp\") = 0",
                          "RegQueryValueExA(HKCU\\Software\\Tamsel, \"keycc\") = 0",
                          "RegQueryValueExA(HKCU\\Software\\Tamsel, \"usercodepage\") = 0"));
}

TEST_F(SettingsStoreTest, ActiveOfTwoLoadsAsFalseAndTheNextSaveWritesZero) {
  StoreAll(kOtherSettings);
  StoreAll({{"active", 2}, {"iconclick", 0xFFFFFFFF}});
  LoadSettings();
  EXPECT_EQ(active, 0);
  EXPECT_EQ(iconclick, 0);
  SaveSettings();
  EXPECT_EQ(winsim::RegistryDword(kSettingsKey, "active"), 0u);
  EXPECT_EQ(winsim::RegistryDword(kSettingsKey, "iconclick"), 0u);
}

TEST_F(SettingsStoreTest, OnlyOneCountsAsTrue) {
  StoreAll(kOtherSettings);
  StoreAll({{"active", 1}, {"iconclick", 0x101}});
  LoadSettings();
  EXPECT_EQ(active, 1);
  EXPECT_EQ(iconclick, 0);
}

TEST_F(SettingsStoreTest, BytesKeepTheirLowEightBitsOutOfRangeOnesIncluded) {
  StoreAll(kOtherSettings);
  StoreAll({{"hookkey", 0x105}, {"codepage", 0xFFFFFF09}});
  LoadSettings();
  EXPECT_EQ(hookkey, 5);
  EXPECT_EQ(codepage, 9);
}

TEST_F(SettingsStoreTest, HotkeyWordsKeepTheirLowSixteenBitsAndModifiersFollowThem) {
  StoreAll(kOtherSettings);
  StoreAll({{"activekey", 0x00070441}, {"keycp", 0x12340341}, {"keycc", 0xFFFF0841}});
  LoadSettings();
  EXPECT_EQ(activekey, 0x0441);
  EXPECT_EQ(activekeymods, MOD_ALT);
  EXPECT_EQ(keycp, 0x0341);
  EXPECT_EQ(keycpmods, MOD_SHIFT | MOD_CONTROL);
  EXPECT_EQ(keycc, 0x0841);
  EXPECT_EQ(keyccmods, 0);
}

TEST_F(SettingsStoreTest, LocaleKeepsAllThirtyTwoBits) {
  StoreAll(kOtherSettings);
  StoreAll({{"usercodepage", 0x80010419}});
  LoadSettings();
  EXPECT_EQ(usercodepage, 0x80010419u);
  SaveSettings();
  EXPECT_EQ(winsim::RegistryDword(kSettingsKey, "usercodepage"), 0x80010419u);
}

TEST_F(SettingsStoreTest, SaveWritesTheEightValuesInTheirOrder) {
  winsim::CreateRegistryKey(kSettingsKey);
  active = 1;
  hookkey = 6;
  codepage = 0;
  iconclick = 1;
  usercodepage = 0x0419;
  activekey = 0x0641;
  keycp = 0;
  keycc = 0x0244;
  SaveSettings();
  EXPECT_TRUE(
      InOrder(winsim::Timeline(),
              {"RegSetValueExA(HKCU\\Software\\Tamsel, \"active\", REG_DWORD, 0x1) = 0",
               "RegSetValueExA(HKCU\\Software\\Tamsel, \"hookkey\", REG_DWORD, 0x6) = 0",
               "RegSetValueExA(HKCU\\Software\\Tamsel, \"codepage\", REG_DWORD, 0x0) = 0",
               "RegSetValueExA(HKCU\\Software\\Tamsel, \"iconclick\", REG_DWORD, 0x1) = 0",
               "RegSetValueExA(HKCU\\Software\\Tamsel, \"usercodepage\", REG_DWORD, 0x419) = 0",
               "RegSetValueExA(HKCU\\Software\\Tamsel, \"activekey\", REG_DWORD, 0x641) = 0",
               "RegSetValueExA(HKCU\\Software\\Tamsel, \"keycp\", REG_DWORD, 0x0) = 0",
               "RegSetValueExA(HKCU\\Software\\Tamsel, \"keycc\", REG_DWORD, 0x244) = 0"}));
  EXPECT_EQ(SetValueCalls(), 8);
}

// --- damaged keys --------------------------------------------------------------

class DamagedValueTest : public SettingsStoreTest {
 protected:
  // All settings stored (none at its default), then `name` damaged.
  void LoadWithDamaged(const char *name, DWORD type, const std::vector<BYTE> &data) {
    winsim::Reset();
    winsim::SetUserDefaultLCID(0x0422);
    ClearSettings();
    StoreAll(kOtherSettings);
    if (type == REG_NONE && data.empty())
      winsim::DeleteRegistryValue(kSettingsKey, name);
    else
      winsim::SetRegistryValue(kSettingsKey, name, type, data);
    LoadSettings();
  }

  static void ExpectDefaultOnlyFor(const std::string &name) {
    auto pick = [&](const char *n, DWORD fallback, DWORD stored) {
      return name == n ? fallback : stored;
    };
    EXPECT_EQ(active, pick("active", 1, 0));
    EXPECT_EQ(hookkey, pick("hookkey", 5, 2));
    EXPECT_EQ(codepage, pick("codepage", 4, 1));
    EXPECT_EQ(iconclick, pick("iconclick", 1, 0));
    EXPECT_EQ(usercodepage, pick("usercodepage", 0x0422, 0x0409));
    EXPECT_EQ(activekey, pick("activekey", 0, 0x0351));
    EXPECT_EQ(activekeymods, HotkeyFlagsToMods(activekey));
    EXPECT_EQ(keycp, pick("keycp", 0x0C2D, 0x0156));
    EXPECT_EQ(keycpmods, HotkeyFlagsToMods(keycp));
    EXPECT_EQ(keycc, pick("keycc", 0x0244, 0x0645));
    EXPECT_EQ(keyccmods, HotkeyFlagsToMods(keycc));
  }

  // A damaged value read as a number nobody stored would give 7 (or garbage).
  void Check(DWORD type, const std::vector<BYTE> &data, const char *what) {
    for (const char *name : kValueNames) {
      SCOPED_TRACE(std::string(what) + " \"" + name + "\"");
      LoadWithDamaged(name, type, data);
      ExpectDefaultOnlyFor(name);
      EXPECT_EQ(SetValueCalls(), 0) << "a key that exists is only read at start-up";
      EXPECT_EQ(winsim::OpenRegistryHandles(), 0);
    }
  }
};

TEST_F(DamagedValueTest, MissingValueYieldsItsDefault) { Check(REG_NONE, {}, "missing"); }

TEST_F(DamagedValueTest, StringYieldsItsDefault) { Check(REG_SZ, {'7', 0}, "string"); }

TEST_F(DamagedValueTest, DwordOfTwoBytesYieldsItsDefault) {
  Check(REG_DWORD, {7, 0}, "two-byte dword");
}

TEST_F(DamagedValueTest, BinaryOfFourBytesYieldsItsDefault) {
  Check(REG_BINARY, {7, 0, 0, 0}, "binary");
}

TEST_F(DamagedValueTest, LongerValueYieldsItsDefault) {
  Check(REG_QWORD, {7, 0, 0, 0, 0, 0, 0, 0}, "qword");
}

TEST_F(SettingsStoreTest, EmptySettingsKeyGivesTheDefaultsAndStaysEmpty) {
  winsim::CreateRegistryKey(kSettingsKey);
  LoadSettings();
  EXPECT_EQ(active, 1);
  EXPECT_EQ(hookkey, 5);
  EXPECT_EQ(keycp, 0x0C2D);
  EXPECT_EQ(keycpmods, MOD_ALT);
  EXPECT_EQ(usercodepage, 0x0422u);
  EXPECT_THAT(winsim::RegistryValueNames(kSettingsKey), IsEmpty());
}

// --- keys that cannot be used ------------------------------------------------

TEST_F(SettingsStoreTest, KeyDeniedFullAccessCountsAsMissingAndIsLeftAlone) {
  StoreAll(kOtherSettings);
  winsim::SetRegistryKeyAccess(kSettingsKey, KEY_READ);
  ThenQuit();
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(hookkey, 5);
  EXPECT_EQ(active, 1);
  EXPECT_EQ(usercodepage, 0x0422u);
  EXPECT_EQ(SetValueCalls(), 0);
  EXPECT_EQ(winsim::RegistryDword(kSettingsKey, "hookkey"), 2u);
  EXPECT_TRUE(InOrder(winsim::Timeline(), {"RegOpenKeyExA(HKCU, \"Software\\Tamsel\") = 5",
                                           "RegCreateKeyExA(HKCU\\Software, \"Tamsel\") = 5",
                                           "RegOpenKeyExA(HKCU\\Software, \"Tamsel\") = 5",
                                           "RegCloseKey(HKCU\\Software) = 0"}));
}

TEST_F(SettingsStoreTest, WithoutASoftwareKeyNothingIsStoredAnywhere) {
  winsim::DeleteRegistryKey("HKCU\\Software");
  LoadSettings();
  EXPECT_EQ(hookkey, 5);
  EXPECT_THAT(winsim::RegistrySubkeys("HKCU"), IsEmpty());
  EXPECT_EQ(SetValueCalls(), 0);
}

TEST_F(SettingsStoreTest, SaveWhereNoKeyMayBeCreatedWritesNothing) {
  winsim::SetRegistryKeyAccess("HKCU\\Software", KEY_READ);
  LoadSettings();
  EXPECT_FALSE(winsim::RegistryKeyExists(kSettingsKey));
  EXPECT_EQ(SetValueCalls(), 0);
  EXPECT_THAT(winsim::RegistryValueNames("HKCU\\Software"), IsEmpty());
}

TEST_F(SettingsStoreTest, SaveRecreatesAKeyDeletedWhileRunning) {
  LoadSettings();
  winsim::DeleteRegistryKey(kSettingsKey);
  hookkey = 2;
  SaveSettings();
  EXPECT_EQ(winsim::RegistryValueNames(kSettingsKey).size(), 8u);
  EXPECT_EQ(winsim::RegistryDword(kSettingsKey, "hookkey"), 2u);
}

TEST_F(SettingsStoreTest, FailedWriteIsIgnoredAndTheOthersStillHappen) {
  winsim::FailNext("RegSetValueExA", ERROR_ACCESS_DENIED);
  LoadSettings();
  EXPECT_FALSE(winsim::GetRegistryValue(kSettingsKey, "active"));
  EXPECT_EQ(winsim::RegistryValueNames(kSettingsKey).size(), 7u);
  EXPECT_EQ(winsim::RegistryDword(kSettingsKey, "keycc"), 0x0244u);
}

TEST_F(SettingsStoreTest, FailedOpenOfTheSoftwareKeyLeavesNoHandle) {
  winsim::FailNext("RegOpenKeyExA", ERROR_FILE_NOT_FOUND);  // the settings key
  winsim::FailNext("RegOpenKeyExA", ERROR_ACCESS_DENIED);   // Software, for saving
  LoadSettings();
  EXPECT_EQ(hookkey, 5);
  EXPECT_FALSE(winsim::RegistryKeyExists(kSettingsKey));
}
