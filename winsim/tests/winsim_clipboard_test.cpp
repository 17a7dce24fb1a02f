// winsim's global memory, clipboard and keyboard layouts: the bookkeeping and
// the violations a test relies on to see a leak, a double free or a
// clipboard left open. What the real system does is stated in the contract
// cases and checked against Wine as well.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "winsim.h"
#include "winsim_clipboard.h"

namespace {
using ::testing::ElementsAre;
using ::testing::HasSubstr;

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcA(window, message, wparam, lparam);
}

class WinsimClipboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    winsim::Reset();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = PlainProc;
    wc.lpszClassName = "Viewer";
    RegisterClassA(&wc);
    window = CreateWindowExA(0, "Viewer", "", 0, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
  }
  // No violation but those a case expects.
  void TearDown() override { EXPECT_EQ(winsim::Violations().size(), expected); }
  // Exactly one new violation since the last one expected, about `part`.
  void ExpectViolation(const std::string &part) {
    auto violations = winsim::Violations();
    ASSERT_EQ(violations.size(), expected + 1);
    EXPECT_THAT(violations.back(), HasSubstr(part));
    ++expected;
  }

  HGLOBAL Text(const char *text) {
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, std::strlen(text) + 1);
    std::memcpy(GlobalLock(mem), text, std::strlen(text) + 1);
    GlobalUnlock(mem);
    return mem;
  }

  HWND window = NULL;
  size_t expected = 0;
};

// --- global memory -------------------------------------------------------------------

TEST_F(WinsimClipboardTest, MoveableBlockHasAHandleApartFromItsAddressAndItsExactSize) {
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, 13);
  void *data = GlobalLock(mem);
  EXPECT_NE(data, static_cast<void *>(mem));
  EXPECT_EQ(GlobalSize(mem), 13u);
  GlobalUnlock(mem);
  EXPECT_EQ(GlobalFree(mem), nullptr);
  EXPECT_EQ(winsim::LiveBlocks(), 0);
}

TEST_F(WinsimClipboardTest, FreshMemoryIsGarbageUnlessZeroed) {
  HGLOBAL plain = GlobalAlloc(GMEM_MOVEABLE, 4);
  HGLOBAL zeroed = GlobalAlloc(GHND, 4);
  EXPECT_EQ(winsim::BlockBytes(plain), (std::vector<BYTE>{0xCC, 0xCC, 0xCC, 0xCC}));
  EXPECT_EQ(winsim::BlockBytes(zeroed), (std::vector<BYTE>{0, 0, 0, 0}));
  GlobalFree(plain);
  GlobalFree(zeroed);
}

TEST_F(WinsimClipboardTest, LocksAreCountedAndAnUnlockTooManyFails) {
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, 8);
  GlobalLock(mem);
  GlobalLock(mem);
  EXPECT_EQ(winsim::Block(mem).locks, 2);
  EXPECT_TRUE(GlobalUnlock(mem));
  EXPECT_FALSE(GlobalUnlock(mem));
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_FALSE(GlobalUnlock(mem));
  EXPECT_EQ(GetLastError(), 158u);  // ERROR_NOT_LOCKED
  ExpectViolation("not locked");
  GlobalFree(mem);
}

TEST_F(WinsimClipboardTest, DoubleFreeIsAViolationAndChangesNoCount) {
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, 8);
  EXPECT_EQ(winsim::LiveBlocks(), 1);
  GlobalFree(mem);
  EXPECT_EQ(GlobalFree(mem), mem);
  EXPECT_EQ(winsim::LiveBlocks(), 0);
  ExpectViolation("after GlobalFree");
}

TEST_F(WinsimClipboardTest, UseAfterFreeIsAViolation) {
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, 8);
  GlobalFree(mem);
  EXPECT_EQ(GlobalLock(mem), nullptr);
  ExpectViolation("GlobalLock of mem1 after GlobalFree");
}

TEST_F(WinsimClipboardTest, FreeingALockedBlockIsAViolation) {
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, 8);
  GlobalLock(mem);
  GlobalFree(mem);
  ExpectViolation("while it is locked");
}

TEST_F(WinsimClipboardTest, FailuresCanBeAskedForTheNthCall) {
  winsim::FailNthCall("GlobalLock", 2);
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, 8);
  EXPECT_NE(GlobalLock(mem), nullptr);
  EXPECT_EQ(GlobalLock(mem), nullptr);
  EXPECT_NE(GlobalLock(mem), nullptr);
  GlobalUnlock(mem);
  GlobalUnlock(mem);
  winsim::FailNext("GlobalAlloc");
  EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, 8), nullptr);
  GlobalFree(mem);
}

// --- the clipboard -------------------------------------------------------------------

TEST_F(WinsimClipboardTest, EmptyingFreesTheStoredBlocksAndMakesTheOpenerTheOwner) {
  winsim::CopyToClipboard({winsim::AnsiText("old"), winsim::Picture()});
  EXPECT_EQ(winsim::LiveBlocks(), 3);  // the text, the picture, the derived locale
  ASSERT_TRUE(OpenClipboard(window));
  EXPECT_TRUE(EmptyClipboard());
  EXPECT_EQ(winsim::LiveBlocks(), 0);
  EXPECT_EQ(winsim::ClipboardOwner(), window);
  EXPECT_EQ(winsim::ClipboardOpenBy(), window);
  EXPECT_TRUE(CloseClipboard());
  EXPECT_FALSE(winsim::ClipboardOpenByProgram());
}

TEST_F(WinsimClipboardTest, StoredBlockBelongsToTheSystem) {
  ASSERT_TRUE(OpenClipboard(window));
  EmptyClipboard();
  HGLOBAL mem = Text("mine");
  EXPECT_EQ(SetClipboardData(CF_TEXT, mem), mem);
  EXPECT_TRUE(winsim::Block(mem).clipboard);
  EXPECT_EQ(winsim::ProgramBlocks(), 0);
  CloseClipboard();
  GlobalFree(mem);
  ExpectViolation("which the clipboard owns");
}

TEST_F(WinsimClipboardTest, StoringABlockTwiceIsAViolation) {
  ASSERT_TRUE(OpenClipboard(window));
  EmptyClipboard();
  HGLOBAL mem = Text("twice");
  SetClipboardData(CF_TEXT, mem);
  EXPECT_EQ(SetClipboardData(CF_OEMTEXT, mem), nullptr);
  CloseClipboard();
  ExpectViolation("not a block the program holds");
}

TEST_F(WinsimClipboardTest, CallsOnAClosedClipboardFailAndAreViolations) {
  EXPECT_FALSE(EmptyClipboard());
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN));
  ExpectViolation("EmptyClipboard() while the program does not have the clipboard open");
  EXPECT_FALSE(CloseClipboard());
  ExpectViolation("CloseClipboard()");
  EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
  ExpectViolation("GetClipboardData(CF_TEXT)");
}

TEST_F(WinsimClipboardTest, ClipboardHeldByAnotherProgramCannotBeOpened) {
  winsim::HoldClipboardOpen();
  EXPECT_FALSE(OpenClipboard(window));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  winsim::ReleaseHeldClipboard();
  EXPECT_TRUE(OpenClipboard(window));
  CloseClipboard();
}

TEST_F(WinsimClipboardTest, BlockLeftLockedAtCloseIsAViolation) {
  winsim::CopyToClipboard({winsim::AnsiText("read me")});
  ASSERT_TRUE(OpenClipboard(window));
  GlobalLock(GetClipboardData(CF_TEXT));
  CloseClipboard();
  ExpectViolation("still locked when the clipboard is closed");
}

TEST_F(WinsimClipboardTest, ClipboardBlockUsedAfterCloseIsAViolation) {
  winsim::CopyToClipboard({winsim::AnsiText("read me")});
  ASSERT_TRUE(OpenClipboard(window));
  HGLOBAL mem = GetClipboardData(CF_TEXT);
  CloseClipboard();
  GlobalLock(mem);
  GlobalUnlock(mem);
  ExpectViolation("while the clipboard is closed");
}

TEST_F(WinsimClipboardTest, WindowDestroyedWithTheClipboardOpenIsAViolation) {
  ASSERT_TRUE(OpenClipboard(window));
  DestroyWindow(window);
  EXPECT_FALSE(winsim::ClipboardOpenByProgram());
  ExpectViolation("still open");
}

TEST_F(WinsimClipboardTest, DerivedTextIsMadeOnceAndFreedWithTheRest) {
  winsim::CopyToClipboard({winsim::AnsiText("abc")});
  int live = winsim::LiveBlocks();
  ASSERT_TRUE(OpenClipboard(window));
  HGLOBAL unicode = GetClipboardData(CF_UNICODETEXT);
  EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), unicode);
  EXPECT_EQ(winsim::LiveBlocks(), live + 1);
  EXPECT_TRUE(winsim::Block(unicode).clipboard);
  EmptyClipboard();
  CloseClipboard();
  EXPECT_EQ(winsim::LiveBlocks(), 0);
}

TEST_F(WinsimClipboardTest, DerivedFormatsAreListedApartFromStoredOnes) {
  winsim::CopyToClipboard({winsim::UnicodeText(u"abc")});
  EXPECT_THAT(winsim::StoredClipboardFormats(), ElementsAre(CF_UNICODETEXT));
  EXPECT_THAT(winsim::AvailableClipboardFormats(),
              ElementsAre(CF_UNICODETEXT, CF_LOCALE, CF_TEXT, CF_OEMTEXT));
  EXPECT_EQ(winsim::ClipboardBytes(CF_TEXT), (std::vector<BYTE>{'a', 'b', 'c', 0}));
}

// --- keyboard layouts --------------------------------------------------------------------

TEST_F(WinsimClipboardTest, EachThreadHasItsOwnLayout) {
  HWND other = winsim::AddForeignWindow("Other", "", 0x3000);
  winsim::SetKeyboardLayout(0x3000, reinterpret_cast<HKL>(std::uintptr_t(0xF0020409)));
  DWORD own = GetWindowThreadProcessId(window, NULL);
  EXPECT_EQ(GetKeyboardLayout(GetWindowThreadProcessId(other, NULL)),
            reinterpret_cast<HKL>(std::uintptr_t(0xF0020409)));
  EXPECT_EQ(GetKeyboardLayout(own), reinterpret_cast<HKL>(std::uintptr_t(0x04190419)));
  EXPECT_EQ(GetKeyboardLayout(0), GetKeyboardLayout(own));
  EXPECT_EQ(GetKeyboardLayout(0x7777), nullptr);
}

TEST_F(WinsimClipboardTest, DerivedLocaleIsTheInputLanguageOfTheThreadThatStoredTheText) {
  winsim::SetKeyboardLayout(GetWindowThreadProcessId(window, NULL),
                            reinterpret_cast<HKL>(std::uintptr_t(0xF0020409)));
  ASSERT_TRUE(OpenClipboard(window));
  EmptyClipboard();
  SetClipboardData(CF_TEXT, Text("abc"));
  CloseClipboard();
  EXPECT_EQ(winsim::ClipboardBytes(CF_LOCALE), (std::vector<BYTE>{0x09, 0x04, 0, 0}));
}

}  // namespace
