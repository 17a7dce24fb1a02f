// What the registry does for the calls the settings store makes, stated as
// cases that pass both against winsim and against the real API under Wine.
// Every case works below its own scratch key, which it removes at its end.
#include <gtest/gtest.h>
#include <windows.h>

#include <string.h>

#include <string>

#include "contract_platform.h"

namespace {
const char ScratchPath[] = "Software\\TamselContract";
// Every key a case makes below the scratch key, each before its parent: a key
// that still has subkeys cannot be deleted.
const char *const ScratchSubkeys[] = {"Deep\\Er", "Deep", "Mixed", "Other"};
const DWORD Untouched = 0xA5A5A5A5;
const LSTATUS NoAccess = 998;  // ERROR_NOACCESS

class RegistryContract : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSystem();
    RemoveScratch();  // a case that crashed under Wine leaves its keys in the prefix
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, ScratchPath, 0, NULL, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, NULL, &scratch, NULL),
              ERROR_SUCCESS);
  }

  void TearDown() override {
    EXPECT_EQ(RegCloseKey(scratch), ERROR_SUCCESS);
    EXPECT_EQ(RemoveScratch(), ERROR_SUCCESS);
    HKEY gone = NULL;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, ScratchPath, 0, KEY_READ, &gone),
              ERROR_FILE_NOT_FOUND);
  }

  static LSTATUS RemoveScratch() {
    for (const char *subkey : ScratchSubkeys)
      RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(ScratchPath) + "\\" + subkey).c_str());
    return RegDeleteKeyA(HKEY_CURRENT_USER, ScratchPath);
  }

  // Opens a key below the scratch key, failing the case when that fails.
  HKEY Open(const char *subkey, REGSAM access = KEY_ALL_ACCESS) const {
    HKEY key = NULL;
    EXPECT_EQ(RegOpenKeyExA(scratch, subkey, 0, access, &key), ERROR_SUCCESS) << subkey;
    return key;
  }

  // Creates a key below the scratch key; returns its disposition.
  DWORD Create(const char *subkey) const {
    HKEY key = NULL;
    DWORD disposition = 0;
    EXPECT_EQ(RegCreateKeyExA(scratch, subkey, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                              NULL, &key, &disposition),
              ERROR_SUCCESS)
        << subkey;
    RegCloseKey(key);
    return disposition;
  }

  void Set(const char *name, DWORD type, const void *data, DWORD size) const {
    ASSERT_EQ(RegSetValueExA(scratch, name, 0, type, static_cast<const BYTE *>(data), size),
              ERROR_SUCCESS)
        << name;
  }

  static LSTATUS Query(HKEY key, const char *name, DWORD *type, void *data, DWORD *size) {
    return RegQueryValueExA(key, name, NULL, type, static_cast<BYTE *>(data), size);
  }

  HKEY scratch = NULL;
};

TEST_F(RegistryContract, MissingKeyIsNotFoundAndGivesNoHandle) {
  HKEY key = HKEY_LOCAL_MACHINE;
  EXPECT_EQ(RegOpenKeyExA(scratch, "Other", 0, KEY_ALL_ACCESS, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  key = HKEY_LOCAL_MACHINE;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\TamselContract\\Other\\Deeper", 0, KEY_READ,
                          &key),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
}

TEST_F(RegistryContract, EmptySubkeyOnTheCurrentUserRootGivesTheRootItself) {
  HKEY key = NULL;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  EXPECT_EQ(key, HKEY_CURRENT_USER);
  HKEY below = NULL;
  EXPECT_EQ(RegOpenKeyExA(key, ScratchPath, 0, KEY_READ, &below), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(below), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegistryContract, EmptySubkeyOfAnOpenedKeyGivesASecondHandleToIt) {
  HKEY again = Open("");
  EXPECT_NE(again, scratch);
  const DWORD number = 5;
  ASSERT_EQ(RegSetValueExA(again, "hookkey", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number),
                           sizeof number),
            ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(again), ERROR_SUCCESS);
  DWORD read = 0, size = sizeof read;
  EXPECT_EQ(Query(scratch, "hookkey", NULL, &read, &size), ERROR_SUCCESS);
  EXPECT_EQ(read, number);
}

TEST_F(RegistryContract, LeadingBackslashIsABadPathname) {
  HKEY key = HKEY_LOCAL_MACHINE;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "\\Software\\TamselContract", 0, KEY_READ, &key),
            ERROR_BAD_PATHNAME);
  EXPECT_EQ(key, nullptr);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "\\Software", 0, KEY_READ, &key), ERROR_BAD_PATHNAME);
  key = NULL;
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "\\Software\\TamselContract\\Other", 0, NULL,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL, &key, NULL),
            ERROR_BAD_PATHNAME);
  EXPECT_EQ(RegCreateKeyExA(scratch, "\\Other", 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            NULL, &key, NULL),
            ERROR_BAD_PATHNAME);
  EXPECT_EQ(RegOpenKeyExA(scratch, "Other", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryContract, EmptyPartsOfAPathAreSkipped) {
  HKEY key = NULL;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\TamselContract\\", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\\\TamselContract", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(Create("Deep\\\\Er\\"), static_cast<DWORD>(REG_CREATED_NEW_KEY));
  EXPECT_EQ(Create("Deep\\Er"), static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
}

TEST_F(RegistryContract, CreateMakesEveryMissingKeyAndTellsWhetherItDid) {
  EXPECT_EQ(Create("Deep\\Er"), static_cast<DWORD>(REG_CREATED_NEW_KEY));
  EXPECT_EQ(Create("Deep\\Er"), static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  EXPECT_EQ(Create("Deep"), static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  EXPECT_EQ(RegCloseKey(Open("Deep\\Er", KEY_READ)), ERROR_SUCCESS);
}

TEST_F(RegistryContract, CreateOverAnExistingKeyOpensItWithItsValues) {
  const DWORD number = 0x0C2D;
  Set("keycp", REG_DWORD, &number, sizeof number);
  HKEY key = NULL;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, ScratchPath, 0, NULL, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, NULL, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  DWORD read = 0, size = sizeof read;
  EXPECT_EQ(Query(key, "keycp", NULL, &read, &size), ERROR_SUCCESS);
  EXPECT_EQ(read, number);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegistryContract, KeyAndValueNamesIgnoreCase) {
  EXPECT_EQ(Create("Mixed"), static_cast<DWORD>(REG_CREATED_NEW_KEY));
  EXPECT_EQ(Create("MIXED"), static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  HKEY upper = NULL;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\tamselcontract\\mIxEd", 0, KEY_ALL_ACCESS,
                          &upper),
            ERROR_SUCCESS);
  HKEY lower = Open("mixed");
  const DWORD one = 1, two = 2;
  EXPECT_EQ(RegSetValueExA(upper, "Active", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&one), 4),
            ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(lower, "aCTIVE", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&two), 4),
            ERROR_SUCCESS);
  DWORD read = 0, size = sizeof read;
  EXPECT_EQ(Query(upper, "ACTIVE", NULL, &read, &size), ERROR_SUCCESS);
  EXPECT_EQ(read, two);
  EXPECT_EQ(RegCloseKey(upper), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(lower), ERROR_SUCCESS);
}

TEST_F(RegistryContract, TooSmallABufferGivesMoreDataAndTheSizeNeeded) {
  const BYTE six[6] = {1, 2, 3, 4, 5, 6};
  Set("big", REG_BINARY, six, sizeof six);
  DWORD type = 0, size = 4, read = 0;
  EXPECT_EQ(Query(scratch, "big", &type, &read, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));

  Set("text", REG_SZ, "abcdef", 7);
  size = 4;
  EXPECT_EQ(Query(scratch, "text", &type, &read, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 7u);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));

  const DWORD number = 0x0C2D;
  Set("keycp", REG_DWORD, &number, sizeof number);
  size = 2;
  EXPECT_EQ(Query(scratch, "keycp", &type, &read, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
}

TEST_F(RegistryContract, DataWithoutASizeIsAnInvalidParameter) {
  const DWORD number = 1;
  Set("active", REG_DWORD, &number, sizeof number);
  DWORD read = Untouched;
  EXPECT_EQ(Query(scratch, "active", NULL, &read, NULL), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(read, Untouched);
}

TEST_F(RegistryContract, NullDataGivesTheTypeAndTheSize) {
  const BYTE six[6] = {1, 2, 3, 4, 5, 6};
  Set("big", REG_BINARY, six, sizeof six);
  DWORD type = 0, size = 0;
  EXPECT_EQ(Query(scratch, "big", &type, NULL, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  size = 1000;
  EXPECT_EQ(Query(scratch, "big", NULL, NULL, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 6u);
}

TEST_F(RegistryContract, MissingValueIsNotFoundAndLeavesTheBufferAlone) {
  DWORD read = Untouched, size = sizeof read, type = 0;
  EXPECT_EQ(Query(scratch, "active", &type, &read, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(read, Untouched);
  EXPECT_EQ(Query(scratch, "active", NULL, NULL, &size), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryContract, ValuesComeBackWithTheTypeTheyWereStoredWith) {
  const DWORD number = 0x0244;
  const BYTE bytes[4] = {0x2D, 0x0C, 0, 0};
  Set("dword", REG_DWORD, &number, sizeof number);
  Set("binary", REG_BINARY, bytes, sizeof bytes);
  Set("string", REG_SZ, "abc", 4);

  BYTE read[16];
  DWORD type = 0, size = sizeof read;
  ASSERT_EQ(Query(scratch, "dword", &type, read, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(memcmp(read, &number, 4), 0);

  size = sizeof read;
  ASSERT_EQ(Query(scratch, "binary", &type, read, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(memcmp(read, bytes, 4), 0);

  size = sizeof read;
  ASSERT_EQ(Query(scratch, "string", &type, read, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, 4u);
  EXPECT_STREQ(reinterpret_cast<const char *>(read), "abc");
}

TEST_F(RegistryContract, StringWithoutItsZeroInTheSizeGetsTheZeroThatFollows) {
  const char text[] = "abc";
  Set("string", REG_SZ, text, 3);
  Set("binary", REG_BINARY, text, 3);
  DWORD size = 0;
  EXPECT_EQ(Query(scratch, "string", NULL, NULL, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(Query(scratch, "binary", NULL, NULL, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 3u);
}

TEST_F(RegistryContract, StringStoredWithoutAZeroGetsOneOnlyWhenTheBufferHasRoom) {
  const char text[] = {'a', 'b', 'c', 'd'};
  Set("string", REG_SZ, text, 3);
  char read[8];
  memset(read, 'x', sizeof read);
  DWORD size = sizeof read;
  ASSERT_EQ(Query(scratch, "string", NULL, read, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 3u);
  EXPECT_STREQ(read, "abc");
  memset(read, 'x', sizeof read);
  size = 3;
  ASSERT_EQ(Query(scratch, "string", NULL, read, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(memcmp(read, "abcx", 4), 0);
}

TEST_F(RegistryContract, EmptyStringFillsNothingIn) {
  Set("string", REG_SZ, "", 0);
  char read[4];
  memset(read, 'x', sizeof read);
  DWORD type = 0, size = sizeof read;
  ASSERT_EQ(Query(scratch, "string", &type, read, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(read[0], 'x');
}

TEST_F(RegistryContract, SizeWithoutDataCannotBeSet) {
  EXPECT_EQ(RegSetValueExA(scratch, "active", 0, REG_DWORD, NULL, 4), NoAccess);
  DWORD size = 0;
  EXPECT_EQ(Query(scratch, "active", NULL, NULL, &size), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryContract, DwordOfTwoBytesIsKeptAsTwoBytes) {
  const BYTE two[2] = {7, 0};
  Set("short", REG_DWORD, two, sizeof two);
  DWORD read = Untouched, type = 0, size = sizeof read;
  ASSERT_EQ(Query(scratch, "short", &type, &read, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(size, 2u);
  // Only the stored bytes are written; the rest of the buffer stays as it was.
  EXPECT_EQ(read, (Untouched & 0xFFFF0000u) | 7u);
}

TEST_F(RegistryContract, HandleOpenedForQueryingOnlyCannotSetValues) {
  HKEY reading = Open("", KEY_QUERY_VALUE);
  const DWORD number = 1;
  EXPECT_EQ(RegSetValueExA(reading, "active", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number),
                           sizeof number),
            ERROR_ACCESS_DENIED);
  DWORD size = 0;
  EXPECT_EQ(Query(reading, "active", NULL, NULL, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCloseKey(reading), ERROR_SUCCESS);
}

TEST_F(RegistryContract, HandleOpenedForSettingOnlyCannotQueryValues) {
  const DWORD number = 1;
  Set("active", REG_DWORD, &number, sizeof number);
  HKEY writing = Open("", KEY_SET_VALUE);
  DWORD read = Untouched, size = sizeof read;
  EXPECT_EQ(Query(writing, "active", NULL, &read, &size), ERROR_ACCESS_DENIED);
  EXPECT_EQ(read, Untouched);
  EXPECT_EQ(RegCloseKey(writing), ERROR_SUCCESS);
}

TEST_F(RegistryContract, ClosingAPredefinedRootSucceedsAndLeavesItUsable) {
  EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
  HKEY key = NULL;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, ScratchPath, 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegistryContract, ClosingNoKeyIsAnInvalidHandle) {
  EXPECT_EQ(RegCloseKey(NULL), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryContract, OnlyAKeyWithoutSubkeysCanBeDeleted) {
  Create("Deep\\Er");
  EXPECT_EQ(RegDeleteKeyA(scratch, "Deep"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyA(scratch, "Deep\\Er"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(scratch, "DEEP"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(scratch, "Deep"), ERROR_FILE_NOT_FOUND);
  HKEY key = NULL;
  EXPECT_EQ(RegOpenKeyExA(scratch, "Deep", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryContract, HandleOfADeletedKeyFailsUntilClosed) {
  Create("Other");
  HKEY other = Open("Other");
  ASSERT_EQ(RegDeleteKeyA(scratch, "Other"), ERROR_SUCCESS);
  const DWORD number = 1;
  EXPECT_EQ(RegSetValueExA(other, "active", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number),
                           sizeof number),
            ERROR_KEY_DELETED);
  DWORD size = 0;
  EXPECT_EQ(Query(other, "active", NULL, NULL, &size), ERROR_KEY_DELETED);
  EXPECT_EQ(RegCloseKey(other), ERROR_SUCCESS);
}
}  // namespace
