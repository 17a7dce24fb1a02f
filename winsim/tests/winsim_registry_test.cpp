// winsim's registry behaves as the Windows registry does for the five calls
// the program makes: return codes, handles, access and sizes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "winsim.h"
#include "winsim_registry.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {
const char kKey[] = "HKCU\\Software\\Tamsel";

class WinsimRegistry : public ::testing::Test {
 protected:
  void SetUp() override { winsim::Reset(); }

  static HKEY Open(const char *subkey, REGSAM access = KEY_ALL_ACCESS) {
    HKEY key = NULL;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, subkey, 0, access, &key), ERROR_SUCCESS) << subkey;
    return key;
  }
};
}  // namespace

TEST_F(WinsimRegistry, FreshProfileHasAnEmptySoftwareKey) {
  EXPECT_TRUE(winsim::RegistryKeyExists("HKCU\\Software"));
  EXPECT_THAT(winsim::RegistrySubkeys("HKCU\\Software"), IsEmpty());
  EXPECT_FALSE(winsim::RegistryKeyExists(kKey));
}

TEST_F(WinsimRegistry, PredefinedRootsAreNeverOpenedAndCloseWithSuccess) {
  HKEY key = NULL;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  EXPECT_EQ(key, HKEY_CURRENT_USER);
  EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
  EXPECT_EQ(winsim::OpenRegistryHandles(), 0);
  EXPECT_THAT(winsim::Violations(), IsEmpty());
}

TEST_F(WinsimRegistry, EmptySubkeyOfAnOpenedKeyGivesANewHandle) {
  HKEY software = Open("Software");
  HKEY again = NULL;
  EXPECT_EQ(RegOpenKeyExA(software, "", 0, KEY_ALL_ACCESS, &again), ERROR_SUCCESS);
  EXPECT_NE(again, software);
  EXPECT_EQ(winsim::OpenRegistryHandles(), 2);
  RegCloseKey(software);
  RegCloseKey(again);
  EXPECT_EQ(winsim::OpenRegistryHandles(), 0);
}

TEST_F(WinsimRegistry, MissingKeyIsNotFoundAndClearsTheResult) {
  HKEY key = HKEY_LOCAL_MACHINE;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Tamsel", 0, KEY_ALL_ACCESS, &key),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  EXPECT_FALSE(winsim::RegistryKeyExists(kKey));
}

TEST_F(WinsimRegistry, NamesAreCaseInsensitiveAndKeepTheirFirstSpelling) {
  winsim::SetRegistryDword(kKey, "Active", 1);
  HKEY key = Open("SOFTWARE\\tamsel");
  DWORD value = 2;
  EXPECT_EQ(RegSetValueExA(key, "ACTIVE", 0, REG_DWORD, reinterpret_cast<BYTE *>(&value), 4),
            ERROR_SUCCESS);
  EXPECT_THAT(winsim::RegistryValueNames("hkcu\\software\\TAMSEL"), ElementsAre("Active"));
  EXPECT_EQ(winsim::RegistryDword(kKey, "active"), 2u);
  RegCloseKey(key);
}

TEST_F(WinsimRegistry, LeadingBackslashIsABadPathTrailingOnesAreFine) {
  winsim::CreateRegistryKey(kKey);
  HKEY key = NULL;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "\\Software", 0, KEY_ALL_ACCESS, &key),
            ERROR_BAD_PATHNAME);
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "\\Software\\Other", 0, NULL, 0, KEY_ALL_ACCESS,
                            NULL, &key, NULL),
            ERROR_BAD_PATHNAME);
  EXPECT_FALSE(winsim::RegistryKeyExists("HKCU\\Software\\Other"));
  RegCloseKey(Open("Software\\Tamsel\\\\"));
}

TEST_F(WinsimRegistry, CreateMakesEveryMissingKeyAndTellsWhetherItDid) {
  HKEY key = NULL;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\A\\B", 0, NULL, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, NULL, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
  EXPECT_TRUE(winsim::RegistryKeyExists("HKCU\\Software\\A\\B"));
  RegCloseKey(key);
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\A\\B", 0, NULL, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, NULL, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  RegCloseKey(key);
}

TEST_F(WinsimRegistry, KeyRefusesMoreAccessThanItsSecurityAllows) {
  winsim::SetRegistryDword(kKey, "active", 1);
  winsim::SetRegistryKeyAccess(kKey, KEY_READ);
  HKEY key = HKEY_LOCAL_MACHINE;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Tamsel", 0, KEY_ALL_ACCESS, &key),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(key, nullptr);
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Tamsel", 0, NULL, 0, KEY_ALL_ACCESS, NULL,
                            &key, NULL),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(winsim::OpenRegistryHandles(), 0);
  key = Open("Software\\Tamsel", KEY_READ);
  RegCloseKey(key);
}

TEST_F(WinsimRegistry, SubkeysNeedTheParentsPermissionNotItsHandlesAccess) {
  HKEY software = Open("Software", KEY_QUERY_VALUE);
  HKEY key = NULL;
  EXPECT_EQ(RegCreateKeyExA(software, "Tamsel", 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL),
            ERROR_SUCCESS);
  RegCloseKey(key);
  winsim::SetRegistryKeyAccess("HKCU\\Software", KEY_READ);
  EXPECT_EQ(RegCreateKeyExA(software, "Other", 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL),
            ERROR_ACCESS_DENIED);
  RegCloseKey(software);
}

TEST_F(WinsimRegistry, HandleOpenedForReadingCannotWriteAndTheOtherWayRound) {
  winsim::SetRegistryDword(kKey, "active", 1);
  HKEY reading = Open("Software\\Tamsel", KEY_READ);
  HKEY writing = Open("Software\\Tamsel", KEY_WRITE);
  DWORD value = 0, size = 4;
  EXPECT_EQ(RegSetValueExA(reading, "active", 0, REG_DWORD, reinterpret_cast<BYTE *>(&value), 4),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(
      RegQueryValueExA(writing, "active", NULL, NULL, reinterpret_cast<BYTE *>(&value), &size),
      ERROR_ACCESS_DENIED);
  EXPECT_EQ(winsim::RegistryDword(kKey, "active"), 1u);
  RegCloseKey(reading);
  RegCloseKey(writing);
}

TEST_F(WinsimRegistry, QueryGivesTypeDataAndSize) {
  winsim::SetRegistryString(kKey, "text", "abc");
  HKEY key = Open("Software\\Tamsel");
  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "text", NULL, &type, NULL, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, 4u);
  char text[8];
  size = sizeof text;
  EXPECT_EQ(RegQueryValueExA(key, "text", NULL, &type, reinterpret_cast<BYTE *>(text), &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(text, "abc");
  EXPECT_EQ(size, 4u);
  RegCloseKey(key);
}

TEST_F(WinsimRegistry, TooSmallABufferGivesMoreDataAndTheSizeNeeded) {
  winsim::SetRegistryValue(kKey, "big", REG_BINARY, {1, 2, 3, 4, 5, 6});
  HKEY key = Open("Software\\Tamsel");
  DWORD type = 0, size = 4, value = 0;
  EXPECT_EQ(RegQueryValueExA(key, "big", NULL, &type, reinterpret_cast<BYTE *>(&value), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  EXPECT_NE(value, 0x04030201u);  // undefined, and not the start of the data
  RegCloseKey(key);
}

TEST_F(WinsimRegistry, MissingValueIsNotFoundAndTouchesNothing) {
  winsim::CreateRegistryKey(kKey);
  HKEY key = Open("Software\\Tamsel");
  DWORD type = 77, size = 4, value = 0x12345678;
  EXPECT_EQ(RegQueryValueExA(key, "active", NULL, &type, reinterpret_cast<BYTE *>(&value), &size),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(type, 77u);
  EXPECT_EQ(value, 0x12345678u);
  RegCloseKey(key);
}

TEST_F(WinsimRegistry, ValuesOfAnyTypeAndSizeAreKeptAsWritten) {
  HKEY key = NULL;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Tamsel", 0, NULL, 0, KEY_ALL_ACCESS, NULL,
                            &key, NULL),
            ERROR_SUCCESS);
  const BYTE two[2] = {7, 0};
  EXPECT_EQ(RegSetValueExA(key, "short", 0, REG_DWORD, two, 2), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(key, "text", 0, REG_SZ, reinterpret_cast<const BYTE *>("x"), 2),
            ERROR_SUCCESS);
  auto value = winsim::GetRegistryValue(kKey, "short");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(value->data, (std::vector<BYTE>{7, 0}));
  EXPECT_FALSE(winsim::RegistryDword(kKey, "short"));
  EXPECT_EQ(winsim::GetRegistryValue(kKey, "text")->type, static_cast<DWORD>(REG_SZ));
  RegCloseKey(key);
}

TEST_F(WinsimRegistry, NullAndUnknownHandlesAreInvalid) {
  DWORD value = 1;
  EXPECT_EQ(RegSetValueExA(NULL, "active", 0, REG_DWORD, reinterpret_cast<BYTE *>(&value), 4),
            ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(NULL), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(reinterpret_cast<HKEY>(0x1234)), ERROR_INVALID_HANDLE);
  EXPECT_THAT(winsim::Violations(), IsEmpty());
}

TEST_F(WinsimRegistry, UseAfterCloseIsInvalidAndAViolation) {
  HKEY key = Open("Software");
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  DWORD value = 1;
  EXPECT_EQ(RegSetValueExA(key, "x", 0, REG_DWORD, reinterpret_cast<BYTE *>(&value), 4),
            ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_THAT(winsim::Violations(), ElementsAre("RegSetValueExA on a closed key HKCU\\Software",
                                                "RegCloseKey on a closed key HKCU\\Software"));
}

TEST_F(WinsimRegistry, HandleOfADeletedKeyFailsUntilClosed) {
  winsim::SetRegistryDword(kKey, "active", 1);
  HKEY key = Open("Software\\Tamsel");
  winsim::DeleteRegistryKey(kKey);
  DWORD value = 1;
  EXPECT_EQ(RegSetValueExA(key, "active", 0, REG_DWORD, reinterpret_cast<BYTE *>(&value), 4),
            ERROR_KEY_DELETED);
  EXPECT_FALSE(winsim::RegistryKeyExists(kKey));
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(WinsimRegistry, TimelineNamesKeysByPath) {
  HKEY software = Open("Software");
  HKEY key = NULL;
  RegCreateKeyExA(software, "Tamsel", 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL);
  DWORD value = 0x0C2D, size = 4;
  RegSetValueExA(key, "keycp", 0, REG_DWORD, reinterpret_cast<BYTE *>(&value), 4);
  RegQueryValueExA(key, "keycp", NULL, NULL, reinterpret_cast<BYTE *>(&value), &size);
  RegCloseKey(key);
  RegCloseKey(software);
  EXPECT_THAT(
      winsim::Timeline(),
      ElementsAre("RegOpenKeyExA(HKCU, \"Software\") = 0",
                  "RegCreateKeyExA(HKCU\\Software, \"Tamsel\") = 0",
                  "RegSetValueExA(HKCU\\Software\\Tamsel, \"keycp\", REG_DWORD, 0xc2d) = 0",
                  "RegQueryValueExA(HKCU\\Software\\Tamsel, \"keycp\") = 0",
                  "RegCloseKey(HKCU\\Software\\Tamsel) = 0", "RegCloseKey(HKCU\\Software) = 0"));
}

TEST_F(WinsimRegistry, CopyCarriesKeysAndValuesAcrossAReset) {
  winsim::SetRegistryDword(kKey, "hookkey", 2);
  winsim::SetRegistryKeyAccess(kKey, KEY_READ);
  auto image = winsim::CopyRegistry();
  winsim::Reset();
  EXPECT_FALSE(winsim::RegistryKeyExists(kKey));
  winsim::RestoreRegistry(image);
  EXPECT_EQ(winsim::RegistryDword(kKey, "hookkey"), 2u);
  HKEY key = NULL;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Tamsel", 0, KEY_ALL_ACCESS, &key),
            ERROR_ACCESS_DENIED);
}

TEST_F(WinsimRegistry, DeletingNeedsAKeyWithoutSubkeysAndItsSecuritysConsent) {
  winsim::CreateRegistryKey("HKCU\\Software\\Tamsel\\Sub");
  HKEY software = Open("Software");
  EXPECT_EQ(RegDeleteKeyA(software, "Tamsel"), ERROR_ACCESS_DENIED);
  winsim::SetRegistryKeyAccess("HKCU\\Software\\Tamsel\\Sub", KEY_READ);
  EXPECT_EQ(RegDeleteKeyA(software, "Tamsel\\Sub"), ERROR_ACCESS_DENIED);
  winsim::SetRegistryKeyAccess("HKCU\\Software\\Tamsel\\Sub", KEY_ALL_ACCESS);
  EXPECT_EQ(RegDeleteKeyA(software, "tamsel\\SUB"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(software, "Tamsel\\Sub"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyA(software, "\\Tamsel"), ERROR_BAD_PATHNAME);
  EXPECT_TRUE(winsim::RegistryKeyExists(kKey));
  EXPECT_FALSE(winsim::RegistryKeyExists("HKCU\\Software\\Tamsel\\Sub"));
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tamsel"), ERROR_SUCCESS);
  EXPECT_FALSE(winsim::RegistryKeyExists(kKey));
  RegCloseKey(software);
  EXPECT_THAT(winsim::Timeline(), ElementsAre("RegOpenKeyExA(HKCU, \"Software\") = 0",
                                              "RegDeleteKeyA(HKCU\\Software, \"Tamsel\") = 5",
                                              "RegDeleteKeyA(HKCU\\Software, \"Tamsel\\Sub\") = 5",
                                              "RegDeleteKeyA(HKCU\\Software, \"tamsel\\SUB\") = 0",
                                              "RegDeleteKeyA(HKCU\\Software, \"Tamsel\\Sub\") = 2",
                                              "RegDeleteKeyA(HKCU\\Software, \"\\Tamsel\") = 161",
                                              "RegDeleteKeyA(HKCU, \"Software\\Tamsel\") = 0",
                                              "RegCloseKey(HKCU\\Software) = 0"));
}

TEST_F(WinsimRegistry, RootsAreNeverDeleted) {
  HKEY key = Open("Software");
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, ""), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyA(key, ""), ERROR_KEY_DELETED);
  RegCloseKey(key);
}

TEST_F(WinsimRegistry, NoPlaceForTheKeyIsAViolation) {
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, NULL),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software", 0, NULL, 0, KEY_READ, NULL, NULL, NULL),
            ERROR_INVALID_PARAMETER);
  EXPECT_THAT(winsim::Violations(), ElementsAre("RegOpenKeyExA without a place for the key",
                                                "RegCreateKeyExA without a place for the key"));
}

TEST_F(WinsimRegistry, StringWithoutItsZeroInTheSizeIsAViolation) {
  HKEY key = Open("Software");
  const char text[] = "abc";
  EXPECT_EQ(RegSetValueExA(key, "text", 0, REG_SZ, reinterpret_cast<const BYTE *>(text), 3),
            ERROR_SUCCESS);
  EXPECT_EQ(winsim::GetRegistryValue("HKCU\\Software", "text")->data,
            (std::vector<BYTE>{'a', 'b', 'c', 0}));
  EXPECT_THAT(winsim::Violations(),
              ElementsAre("RegSetValueExA of a string without its terminating zero in the size"));
  RegCloseKey(key);
}
