// What the system does with clipboard data and global memory: which formats
// it derives from stored text, how it converts them and what sizes come back,
// who may open the clipboard. The same cases run against winsim and against
// the real API under Wine, whose prefix runs with a Russian user locale
// (ANSI code page 1251, OEM 866), as winsim's default user locale is.
#include <gtest/gtest.h>
#include <windows.h>

#include <string.h>

#include <algorithm>
#include <vector>

#include "contract_platform.h"

namespace {
typedef std::vector<BYTE> Bytes;

const char ClassName[] = "ClipboardContractWindow";

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcA(window, message, wparam, lparam);
}

// Other programs, such as a clipboard manager, may hold the clipboard open
// for a moment after it changed; a reader waits for it as a program would.
bool OpenSoon(HWND owner) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < 5000; Sleep(10))
    if (OpenClipboard(owner)) return true;
  return false;
}

HGLOBAL NewBlock(const void *data, SIZE_T size) {
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size);
  if (!mem) return NULL;
  memcpy(GlobalLock(mem), data, size);
  GlobalUnlock(mem);
  return mem;
}

Bytes Units(const std::vector<WORD> &units) {
  Bytes bytes;
  for (size_t i = 0; i < units.size(); ++i) {
    bytes.push_back(static_cast<BYTE>(units[i] & 0xFF));
    bytes.push_back(static_cast<BYTE>(units[i] >> 8));
  }
  return bytes;
}

Bytes Lcid(LCID locale) {
  Bytes bytes(4);
  memcpy(&bytes[0], &locale, 4);
  return bytes;
}

class ClipboardContract : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSystem();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = ClassName;
    RegisterClassA(&wc);
    window = NewWindow();
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override {
    CloseClipboard();
    for (size_t i = 0; i < windows.size(); ++i) DestroyWindow(windows[i]);
  }

  HWND NewWindow() {
    HWND w = CreateWindowExA(0, ClassName, "clipboard", WS_OVERLAPPED, 0, 0, 100, 100, NULL, NULL,
                             GetModuleHandleA(NULL), NULL);
    windows.push_back(w);
    return w;
  }

  // Empties the clipboard for `window` and stores each block, as a program copying does.
  void Copy(UINT format, const Bytes &data, UINT format2 = 0, const Bytes &data2 = Bytes()) {
    ASSERT_TRUE(OpenSoon(window));
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_NE(SetClipboardData(format, NewBlock(&data[0], data.size())), nullptr);
    if (format2) {
      ASSERT_NE(SetClipboardData(format2, NewBlock(&data2[0], data2.size())), nullptr);
    }
    ASSERT_TRUE(CloseClipboard());
  }

  // The whole block the clipboard gives for `format`, as GlobalSize measures it.
  static Bytes Read(UINT format) {
    Bytes bytes;
    if (!OpenSoon(NULL)) return bytes;
    HGLOBAL mem = GetClipboardData(format);
    const BYTE *data = mem ? static_cast<const BYTE *>(GlobalLock(mem)) : NULL;
    if (data) {
      bytes.assign(data, data + GlobalSize(mem));
      GlobalUnlock(mem);
    }
    CloseClipboard();
    return bytes;
  }

  static bool Available(UINT format) { return IsClipboardFormatAvailable(format) != 0; }

  // Every format, in the order EnumClipboardFormats gives them.
  static std::vector<UINT> Listed() {
    std::vector<UINT> listed;
    if (!OpenSoon(NULL)) return listed;
    for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format))
      listed.push_back(format);
    CloseClipboard();
    return listed;
  }

  HWND window = NULL;
  std::vector<HWND> windows;
};

// --- global memory -------------------------------------------------------------------

TEST_F(ClipboardContract, MoveableBlockHasItsExactSizeAndCountsItsLocks) {
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, 13);
  ASSERT_NE(mem, nullptr);
  EXPECT_EQ(GlobalSize(mem), 13u);
  void *data = GlobalLock(mem);
  EXPECT_NE(data, static_cast<void *>(mem));
  EXPECT_EQ(GlobalLock(mem), data);
  EXPECT_TRUE(GlobalUnlock(mem));
  EXPECT_FALSE(GlobalUnlock(mem));
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_EQ(GlobalFree(mem), nullptr);
}

// --- opening and owning ------------------------------------------------------------------

TEST_F(ClipboardContract, EmptyingMakesTheOpenerTheOwner) {
  ASSERT_TRUE(OpenSoon(window));
  EXPECT_TRUE(EmptyClipboard());
  EXPECT_EQ(GetClipboardOwner(), window);
  EXPECT_TRUE(CloseClipboard());
  EXPECT_EQ(GetClipboardOwner(), window);
}

TEST_F(ClipboardContract, AnotherWindowCannotOpenWhatOneHoldsOpen) {
  HWND second = NewWindow();
  ASSERT_TRUE(OpenSoon(window));
  EXPECT_TRUE(OpenClipboard(window));
  EXPECT_FALSE(OpenClipboard(second));
  EXPECT_TRUE(CloseClipboard());
  EXPECT_TRUE(OpenClipboard(second));
  EXPECT_TRUE(CloseClipboard());
}

TEST_F(ClipboardContract, ClosedClipboardCannotBeClosedOrRead) {
  SetLastError(0);
  EXPECT_FALSE(CloseClipboard());
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN));
  EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
}

TEST_F(ClipboardContract, OwnStoredBlockComesBackAsItWas) {
  const char text[] = "abc\0\0\0\0";
  ASSERT_TRUE(OpenSoon(window));
  EmptyClipboard();
  HGLOBAL mem = NewBlock(text, sizeof text);
  EXPECT_EQ(SetClipboardData(CF_TEXT, mem), mem);
  EXPECT_EQ(GetClipboardData(CF_TEXT), mem);
  EXPECT_EQ(GlobalSize(GetClipboardData(CF_TEXT)), sizeof text);
  EXPECT_TRUE(CloseClipboard());
}

// --- derived formats ---------------------------------------------------------------------

TEST_F(ClipboardContract, SingleByteTextGainsTheOtherTextFormatsAndALocale) {
  Copy(CF_TEXT, Bytes{'a', 'b', 'c', 0});
  EXPECT_TRUE(Available(CF_TEXT));
  EXPECT_TRUE(Available(CF_OEMTEXT));
  EXPECT_TRUE(Available(CF_UNICODETEXT));
  EXPECT_TRUE(Available(CF_LOCALE));
  Bytes locale = Read(CF_LOCALE);
  ASSERT_EQ(locale.size(), 4u);
  EXPECT_NE(locale[0] | locale[1], 0);
}

TEST_F(ClipboardContract, UnicodeTextGainsTheSingleByteFormatsAndALocale) {
  Copy(CF_UNICODETEXT, Units({'a', 'b', 'c', 0}));
  EXPECT_TRUE(Available(CF_TEXT));
  EXPECT_TRUE(Available(CF_OEMTEXT));
  EXPECT_TRUE(Available(CF_LOCALE));
  EXPECT_EQ(Read(CF_TEXT), (Bytes{'a', 'b', 'c', 0}));
}

TEST_F(ClipboardContract, PictureGainsNoTextFormats) {
  Bytes dib(44, 0);
  const DWORD header[] = {40, 1, 1, 0x00180001};
  memcpy(&dib[0], header, sizeof header);
  Copy(CF_DIB, dib);
  EXPECT_TRUE(Available(CF_DIB));
  EXPECT_FALSE(Available(CF_TEXT));
  EXPECT_FALSE(Available(CF_UNICODETEXT));
  EXPECT_FALSE(Available(CF_OEMTEXT));
  EXPECT_FALSE(Available(CF_LOCALE));
}

TEST_F(ClipboardContract, EmptiedClipboardOffersNothing) {
  Copy(CF_TEXT, Bytes{'a', 0});
  ASSERT_TRUE(OpenSoon(window));
  EmptyClipboard();
  CloseClipboard();
  EXPECT_FALSE(Available(CF_TEXT));
  EXPECT_FALSE(Available(CF_UNICODETEXT));
  EXPECT_FALSE(Available(CF_LOCALE));
}

TEST_F(ClipboardContract, StoredLocaleIsKeptAsItWas) {
  Copy(CF_TEXT, Bytes{'a', 0}, CF_LOCALE, Lcid(0x0409));
  EXPECT_EQ(Read(CF_LOCALE), Lcid(0x0409));
}

TEST_F(ClipboardContract, SingleByteTextReadsAsUnicodeThroughTheCodePageOfItsLocale) {
  const Bytes russian = {0xCF, 0xF0, 0xE8, 0};  // "При" in code page 1251
  Copy(CF_TEXT, russian, CF_LOCALE, Lcid(0x0419));
  EXPECT_EQ(Read(CF_UNICODETEXT), Units({0x041F, 0x0440, 0x0438, 0}));
  EXPECT_EQ(Read(CF_OEMTEXT), (Bytes{0x8F, 0xE0, 0xA8, 0}));  // code page 866

  Copy(CF_TEXT, russian, CF_LOCALE, Lcid(0x0409));
  EXPECT_EQ(Read(CF_UNICODETEXT), Units({0x00CF, 0x00F0, 0x00E8, 0}));  // code page 1252
}

TEST_F(ClipboardContract, LocaleBlockUnderFourBytesCountsAsNone) {
  // Then the user's locale converts, not the one the two bytes begin: of
  // English (1252) and Russian (1251), at least one has another code page.
  Copy(CF_TEXT, Bytes{0xCF, 0}, CF_LOCALE, Lcid(GetUserDefaultLCID()));
  const Bytes user = Read(CF_UNICODETEXT);
  for (LCID begun : {0x0409, 0x0419}) {
    Bytes block = Lcid(begun);
    block.resize(2);
    Copy(CF_TEXT, Bytes{0xCF, 0}, CF_LOCALE, block);
    EXPECT_EQ(Read(CF_UNICODETEXT), user) << std::hex << begun;
  }
}

TEST_F(ClipboardContract, UnicodeTextReadsAsSingleByteThroughTheCodePageOfItsLocale) {
  Copy(CF_UNICODETEXT, Units({0x041F, 0x0440, 0x0438, 0}), CF_LOCALE, Lcid(0x0419));
  EXPECT_EQ(Read(CF_TEXT), (Bytes{0xCF, 0xF0, 0xE8, 0}));
  EXPECT_EQ(Read(CF_OEMTEXT), (Bytes{0x8F, 0xE0, 0xA8, 0}));

  // A Unicode-only locale (Armenian) has no code page: the system's own
  // converts, which has no Cyrillic where it is not 1251.
  Copy(CF_UNICODETEXT, Units({0x041F, 'a', 0}), CF_LOCALE, Lcid(0x042B));
  EXPECT_EQ(Read(CF_TEXT), (Bytes{GetACP() == 1251 ? BYTE(0xCF) : BYTE('?'), 'a', 0}));
}

// Listed in the order stored, what the system derives after what it derives
// it from: a reader can tell which text form the program wrote. Unicode text
// with an English locale, as Windows leaves a copy made under the English
// layout, reads as code page 1252, which has no Cyrillic letters.
TEST_F(ClipboardContract, DerivedTextIsListedAfterTheStoredAndMadeThroughTheLocale) {
  Copy(CF_UNICODETEXT, Units({0x041F, 0x20AC, 'a', 0}), CF_LOCALE, Lcid(0x0409));
  std::vector<UINT> listed = Listed();
  ASSERT_GE(listed.size(), 3u);
  EXPECT_EQ(listed[0], static_cast<UINT>(CF_UNICODETEXT));
  EXPECT_EQ(listed[1], static_cast<UINT>(CF_LOCALE));
  EXPECT_NE(std::find(listed.begin() + 2, listed.end(), CF_TEXT), listed.end());
  EXPECT_EQ(Read(CF_TEXT), (Bytes{'?', 0x80, 'a', 0}));

  Copy(CF_TEXT, Bytes{'a', 0}, CF_UNICODETEXT, Units({'a', 0}));
  listed = Listed();
  ASSERT_GE(listed.size(), 2u);
  EXPECT_EQ(listed[0], static_cast<UINT>(CF_TEXT));
  EXPECT_EQ(listed[1], static_cast<UINT>(CF_UNICODETEXT));
}

TEST_F(ClipboardContract, DerivedBlockSizeFollowsTheWholeSourceBlock) {
  Copy(CF_TEXT, Bytes{'a', 'b', 0, 0, 0, 0, 0, 0, 0, 0});
  Bytes unicode = Read(CF_UNICODETEXT);
  EXPECT_EQ(unicode.size(), 20u);
  EXPECT_EQ(Bytes(unicode.begin(), unicode.begin() + 6), Units({'a', 'b', 0}));

  Copy(CF_UNICODETEXT, Units({'a', 'b', 0, 0, 0, 0}));
  EXPECT_EQ(Read(CF_TEXT).size(), 6u);
  EXPECT_EQ(Read(CF_OEMTEXT).size(), 6u);
}

// --- registered formats ----------------------------------------------------------------

TEST_F(ClipboardContract, RegisteredFormatIsOneNumberPerNameListedWithItsBlock) {
  UINT marker = RegisterClipboardFormatA("CanIncludeInClipboardHistory");
  EXPECT_GE(marker, 0xC000u);
  EXPECT_EQ(RegisterClipboardFormatA("canincludeinclipboardhistory"), marker);
  EXPECT_NE(RegisterClipboardFormatA("CanUploadToCloudClipboard"), marker);
  Copy(CF_UNICODETEXT, Units({'a', 0}), marker, Lcid(0));
  UINT formats[64];
  UINT count = 0;
  EXPECT_FALSE(GetUpdatedClipboardFormats(formats, 1, &count));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_GE(count, 2u);
  ASSERT_TRUE(GetUpdatedClipboardFormats(formats, 64, &count));
  std::vector<UINT> listed(formats, formats + count);
  EXPECT_NE(std::find(listed.begin(), listed.end(), CF_UNICODETEXT), listed.end());
  EXPECT_NE(std::find(listed.begin(), listed.end(), marker), listed.end());
  EXPECT_EQ(Read(marker), Lcid(0));
}

}  // namespace
