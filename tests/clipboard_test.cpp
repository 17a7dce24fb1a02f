// The clipboard conversion, run inside the real program against winsim's
// clipboard: the form and locale each code-page mode leaves, exact block
// sizes, untrusted source blocks, and every failure leaving the old contents
// whole with nothing leaked.
#include <functional>
#include <string>
#include <vector>

#include "app/app.h"
#include "paste/activation.h"
#include "paste/clipboard.h"
#include "program_test.h"
#include "settings/settings.h"
#include "winsim_clipboard.h"
#include "winsim_registry.h"

namespace {
using Bytes = std::vector<BYTE>;
using Formats = std::vector<UINT>;

const UINT RichText = 0xC0A1;  // formats a word processor registers
const UINT Html = 0xC0A2;
const HKL EnglishLayout = reinterpret_cast<HKL>(std::uintptr_t(0x04090409));

Bytes Raw(const std::string &text) { return Bytes(text.begin(), text.end()); }

Bytes Raw(const std::u16string &text) {
  Bytes bytes(text.size() * 2);
  for (size_t i = 0; i < text.size(); ++i) {
    bytes[2 * i] = static_cast<BYTE>(text[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<BYTE>(text[i] >> 8);
  }
  return bytes;
}

// With the terminator, as a new block must hold it.
Bytes Ansi(const std::string &text) { return winsim::AnsiText(text).bytes; }
Bytes Unicode(const std::u16string &text) { return winsim::UnicodeText(text).bytes; }
Bytes Locale(LCID locale) { return winsim::LocaleData(locale).bytes; }

// A word processor's copy: formatted text, HTML, the Unicode text, its
// single-byte form and the locale the text was typed in.
void CopyFormattedText() {
  winsim::CopyToClipboard({{RichText, Raw(std::string("{\\rtf1 {\\b Привет}}"))},
                           {Html, Raw(std::string("<b>Привет</b>"))},
                           winsim::UnicodeText(u"Привет"),
                           winsim::AnsiText("Привет"),
                           winsim::LocaleData(0x0419)});
}

// What a failed conversion must leave exactly as it was.
struct Contents {
  Formats available;
  std::vector<Bytes> data;
  int liveblocks;
  bool operator==(const Contents &o) const {
    return available == o.available && data == o.data && liveblocks == o.liveblocks;
  }
};

Contents Now() {
  Contents c{winsim::AvailableClipboardFormats(), {}, winsim::LiveBlocks()};
  for (UINT format : winsim::StoredClipboardFormats())
    c.data.push_back(winsim::BlockBytes(winsim::StoredClipboardBlock(format)));
  return c;
}

Bytes Stored(UINT format) { return winsim::BlockBytes(winsim::StoredClipboardBlock(format)); }

// A block as the timeline names it.
std::string Name(HGLOBAL mem) { return winsim::Block(mem).name; }

// The block the conversion allocated with this size, as the timeline names it.
std::string Allocated(const std::vector<std::string> &calls, SIZE_T size) {
  std::string prefix = "GlobalAlloc(0x2002, " + std::to_string(size) + ") = ";
  for (const auto &call : calls)
    if (call.rfind(prefix, 0) == 0) return call.substr(prefix.size());
  return "(none of " + std::to_string(size) + " bytes)";
}

class ClipboardTest : public ProgramTest {
 protected:
  void TearDown() override {
    EXPECT_EQ(winsim::ProgramBlocks(), 0) << "a block was neither handed over nor freed";
    EXPECT_FALSE(winsim::ClipboardOpenByProgram());
    ProgramTest::TearDown();
  }

  // A second run in the same case: what the first left is checked, then a fresh system.
  static void Again() {
    EXPECT_THAT(winsim::Violations(), ::testing::IsEmpty());
    EXPECT_EQ(winsim::ProgramBlocks(), 0);
    winsim::Reset();
  }

  // Starts the program, converts the clipboard once in code-page mode `mode`
  // (after `before`, inside the program) and quits. Returns what the
  // conversion did; `during` sees the clipboard right after it.
  static std::vector<std::string> ConvertIn(BYTE mode, std::function<void()> before = {},
                                            std::function<void()> during = {}) {
    std::vector<std::string> calls;
    WhileRunning([&] {
      codepage = mode;
      if (before) before();
      size_t mark = winsim::Timeline().size();
      ConvertClipboard();
      calls.assign(winsim::Timeline().begin() + static_cast<long>(mark), winsim::Timeline().end());
      if (during) during();
    });
    Run();
    return calls;
  }
};

// --- forms and modes ------------------------------------------------------------

TEST_F(ClipboardTest, UnicodeModeLeavesOnlyTheUnicodeTextOfAFormattedCopy) {
  CopyFormattedText();
  ConvertIn(CodePageUnicode, {}, [] { EXPECT_EQ(winsim::ClipboardOwner(), Main()); });
  EXPECT_EQ(winsim::StoredClipboardFormats(), Formats{CF_UNICODETEXT});
  EXPECT_EQ(Stored(CF_UNICODETEXT), Unicode(u"Привет"));
  winsim::BlockInfo block = winsim::Block(winsim::StoredClipboardBlock(CF_UNICODETEXT));
  EXPECT_EQ(block.flags, static_cast<UINT>(GMEM_MOVEABLE | GMEM_DDESHARE));
  EXPECT_EQ(block.size, 14u);
  EXPECT_EQ(block.locks, 0);
}

TEST_F(ClipboardTest, ModeNoneLeavesOnlyTheSingleByteTextWithoutLocale) {
  CopyFormattedText();
  auto calls = ConvertIn(CodePageNone);
  EXPECT_EQ(winsim::StoredClipboardFormats(), Formats{CF_TEXT});
  EXPECT_EQ(Stored(CF_TEXT), Ansi("Привет"));
  EXPECT_EQ(winsim::Block(winsim::StoredClipboardBlock(CF_TEXT)).flags, 0x2002u);
  EXPECT_EQ(Count(calls, "IsClipboardFormatAvailable(CF_LOCALE)"), 0);
}

TEST_F(ClipboardTest, ModeAtCopyKeepsTheLocaleTheClipboardOffered) {
  CopyFormattedText();
  ConvertIn(CodePageAtCopy);
  EXPECT_EQ(winsim::StoredClipboardFormats(), (Formats{CF_TEXT, CF_LOCALE}));
  EXPECT_EQ(Stored(CF_TEXT), Ansi("Привет"));
  EXPECT_EQ(Stored(CF_LOCALE), Locale(0x0419));
}

TEST_F(ClipboardTest, ModeAtCopyTakesTheInputLanguageOfTheCopyNotOfNow) {
  // The copying program typed in English and stored no locale: the system adds its language.
  winsim::SetKeyboardLayout(0x2000, EnglishLayout);
  winsim::CopyToClipboard({winsim::AnsiText("Price")});
  ConvertIn(CodePageAtCopy);
  EXPECT_EQ(Stored(CF_LOCALE), Locale(0x0409));
}

TEST_F(ClipboardTest, ModeAtCopyWritesNoLocaleForLocaleZero) {
  winsim::SetKeyboardLayout(0x2000, NULL);
  winsim::CopyToClipboard({winsim::AnsiText("text")});
  ConvertIn(CodePageAtCopy);
  EXPECT_EQ(winsim::StoredClipboardFormats(), Formats{CF_TEXT});
}

TEST_F(ClipboardTest, ModeAtCopyTreatsALocaleBlockUnderFourBytesAsNone) {
  winsim::CopyToClipboard({winsim::AnsiText("text"), {CF_LOCALE, {0x19, 0x04}}});
  ConvertIn(CodePageAtCopy);
  EXPECT_EQ(winsim::StoredClipboardFormats(), Formats{CF_TEXT});
  EXPECT_EQ(Stored(CF_TEXT), Ansi("text"));
}

TEST_F(ClipboardTest, ModeAtCopyReadsOnlyTheFirstFourBytesOfALargerLocaleBlock) {
  winsim::CopyToClipboard({winsim::AnsiText("text"), {CF_LOCALE, {0x22, 0x04, 0, 0, 0x77, 0x77}}});
  ConvertIn(CodePageAtCopy);
  EXPECT_EQ(Stored(CF_LOCALE), Locale(0x0422));
}

TEST_F(ClipboardTest, ModeAtPasteTakesTheForegroundThreadsLanguageWithoutTheHighWord) {
  CopyFormattedText();
  auto calls = ConvertIn(CodePageAtPaste, [] {
    HWND editor = winsim::AddForeignWindow("Editor", "letter.txt", 0x3000);
    winsim::SetKeyboardLayout(0x3000, reinterpret_cast<HKL>(std::uintptr_t(0xF0020409)));
    winsim::SetForeground(editor);
  });
  EXPECT_EQ(winsim::StoredClipboardFormats(), (Formats{CF_TEXT, CF_LOCALE}));
  EXPECT_EQ(Stored(CF_LOCALE), Locale(0x0409));
  EXPECT_EQ(Count(calls, "GetKeyboardLayout(0x3000)"), 1);
}

TEST_F(ClipboardTest, ModeAtPasteWithoutForegroundWindowTakesTheProgramsOwnLanguage) {
  CopyFormattedText();
  auto calls = ConvertIn(CodePageAtPaste, [] {
    winsim::SetForeground(NULL);
    winsim::SetKeyboardLayout(GetWindowThreadProcessId(Main(), NULL), EnglishLayout);
  });
  EXPECT_EQ(Count(calls, "GetKeyboardLayout(0x0)"), 1);
  EXPECT_EQ(Stored(CF_LOCALE), Locale(0x0409));
}

TEST_F(ClipboardTest, ModeUserAttachesTheChosenLocale) {
  CopyFormattedText();
  ConvertIn(CodePageUser, [] { usercodepage = 0x0422; });
  EXPECT_EQ(winsim::StoredClipboardFormats(), (Formats{CF_TEXT, CF_LOCALE}));
  EXPECT_EQ(Stored(CF_TEXT), Ansi("Привет"));
  EXPECT_EQ(Stored(CF_LOCALE), Locale(0x0422));
  EXPECT_EQ(winsim::Block(winsim::StoredClipboardBlock(CF_LOCALE)).size, 4u);
  EXPECT_EQ(winsim::Block(winsim::StoredClipboardBlock(CF_LOCALE)).flags, 0x2002u);
}

TEST_F(ClipboardTest, ModeUserWithLocaleZeroWritesNoLocale) {
  CopyFormattedText();
  ConvertIn(CodePageUser, [] { usercodepage = 0; });
  EXPECT_EQ(winsim::StoredClipboardFormats(), Formats{CF_TEXT});
}

TEST_F(ClipboardTest, ModesAboveFourLeaveSingleByteTextWithoutLocale) {
  for (BYTE mode : {5, 7, 255}) {
    Again();
    CopyFormattedText();
    auto calls = ConvertIn(mode, [] { usercodepage = 0x0419; });
    EXPECT_EQ(winsim::StoredClipboardFormats(), Formats{CF_TEXT}) << int(mode);
    EXPECT_EQ(Count(calls, "GetKeyboardLayout"), 0) << int(mode);
  }
}

TEST_F(ClipboardTest, UnicodeModeTakesTextDerivedFromSingleByteTextThroughItsLocale) {
  // A program that stores single-byte text only; the system offers it as Unicode.
  winsim::CopyToClipboard({winsim::AnsiText("Привет"), winsim::LocaleData(0x0419)});
  ConvertIn(CodePageUnicode);
  EXPECT_EQ(winsim::StoredClipboardFormats(), Formats{CF_UNICODETEXT});
  EXPECT_EQ(Stored(CF_UNICODETEXT), Unicode(u"Привет"));
}

TEST_F(ClipboardTest, SingleByteModesTakeTextDerivedFromUnicodeText) {
  winsim::CopyToClipboard({winsim::UnicodeText(u"Привет")});
  ConvertIn(CodePageUser, [] { usercodepage = 0x0409; });
  EXPECT_EQ(winsim::StoredClipboardFormats(), (Formats{CF_TEXT, CF_LOCALE}));
  // Derived with the copying thread's language, Russian: code page 1251.
  EXPECT_EQ(Stored(CF_TEXT), Ansi("Привет"));
  EXPECT_EQ(Stored(CF_LOCALE), Locale(0x0409));
}

// Everything is read before the old contents go, the text is stored before
// its locale, and each block is unlocked before the clipboard takes it.
TEST_F(ClipboardTest, EverythingIsReadBeforeEmptyingAndTheTextStoredBeforeItsLocale) {
  CopyFormattedText();
  std::string source = Name(winsim::StoredClipboardBlock(CF_TEXT));
  std::string oldlocale = Name(winsim::StoredClipboardBlock(CF_LOCALE));
  auto calls = ConvertIn(CodePageAtCopy);
  std::string text = Allocated(calls, 7), locale = Allocated(calls, 4);
  EXPECT_TRUE(InOrder(
      calls,
      {"IsClipboardFormatAvailable(CF_TEXT) = 1", "IsClipboardFormatAvailable(CF_UNICODETEXT) = 1",
       "OpenClipboard(Tamsel) = 1", "GetClipboardData(CF_TEXT) = " + source,
       "GlobalUnlock(" + source + ") = 0", "EmptyClipboard() = 1",
       "SetClipboardData(CF_TEXT, " + text + ") = " + text, "GlobalUnlock(" + locale + ") = 0",
       "SetClipboardData(CF_LOCALE, " + locale + ") = " + locale}));
  EXPECT_TRUE(InOrder(calls, {"GetClipboardData(CF_LOCALE) = " + oldlocale,
                              "GlobalUnlock(" + oldlocale + ") = 0", "EmptyClipboard() = 1"}));
  EXPECT_TRUE(InOrder(calls, {"GlobalUnlock(" + text + ") = 0", "EmptyClipboard() = 1"}));
  EXPECT_EQ(calls.back(), "CloseClipboard() = 1");
}

TEST_F(ClipboardTest, UnicodeTextIsReadBeforeEmptyingAndStoredAlone) {
  CopyFormattedText();
  std::string source = Name(winsim::StoredClipboardBlock(CF_UNICODETEXT));
  auto calls = ConvertIn(CodePageUnicode);
  std::string text = Allocated(calls, 14);
  EXPECT_TRUE(InOrder(
      calls,
      {"OpenClipboard(Tamsel) = 1", "GetClipboardData(CF_UNICODETEXT) = " + source,
       "GlobalUnlock(" + source + ") = 0", "GlobalUnlock(" + text + ") = 0", "EmptyClipboard() = 1",
       "SetClipboardData(CF_UNICODETEXT, " + text + ") = " + text, "CloseClipboard() = 1"}));
  EXPECT_EQ(Count(calls, "SetClipboardData"), 1);
  EXPECT_EQ(Count(calls, "GetClipboardData(CF_LOCALE)"), 0);
}

// --- a copy made under another keyboard layout --------------------------------------

// Copies made as Windows leaves them (the system adds the language of the
// layout that was on as the locale, and makes the single-byte text through
// its code page), converted in mode 3 or 4 to Russian, or in mode 2.
struct LayoutCase {
  const char *what;
  BYTE mode;
  std::vector<winsim::ClipboardData> copy;
  LCID copylanguage;  // the layout on at the copy
  LCID attached;      // usercodepage in mode 4, the layout at paste in mode 3
  Bytes text;
  LCID locale;
  UINT systemcodepage = 1251;  // GetACP's answer
};

TEST_F(ClipboardTest, UnicodeCopyUnderAnotherLayoutKeepsWhatTheAttachedCodePageHolds) {
  using Copy = std::vector<winsim::ClipboardData>;
  const Copy russian = {winsim::UnicodeText(u"Привет, world")};
  const Copy euro = {winsim::UnicodeText(u"€")}, mixed = {winsim::UnicodeText(u"Привет ½")};
  const Copy ansi = {winsim::AnsiText("Привет"), winsim::LocaleData(0x0409)};
  const LayoutCase cases[] = {
      {"Russian under English", CodePageUser, russian, 0x0409, 0x0419, Ansi("Привет, world"),
       0x0419},
      {"the same, mode 3", CodePageAtPaste, russian, 0x0409, 0x0419, Ansi("Привет, world"), 0x0419},
      {"euro under English", CodePageUser, euro, 0x0409, 0x0419, Bytes{0x88, 0}, 0x0419},
      {"both lose a character", CodePageUser, mixed, 0x0409, 0x0419, Ansi("Привет ?"), 0x0419},
      // The system's bytes stay: another program's own single-byte text ...
      {"ANSI bytes labelled English", CodePageUser, ansi, 0x0419, 0x0419, Ansi("Привет"), 0x0419},
      // ... a conversion that would lose what the system's kept ...
      {"Russian under Russian, English at paste", CodePageAtPaste, russian, 0x0419, 0x0409,
       Ansi("Привет, world"), 0x0409},
      // ... the copy's own locale, and one whose code page cannot be told.
      {"mode 2", CodePageAtCopy, russian, 0x0409, 0, Ansi("??????, world"), 0x0409},
      {"unknown locale", CodePageUser, russian, 0x0409, 0x1234, Ansi("??????, world"), 0x1234},
      // A Unicode-only layout's locale has no code page: the system used its own.
      {"Russian under Armenian, system code page 1252", CodePageUser, russian, 0x042B, 0x0419,
       Ansi("Привет, world"), 0x0419, 1252},
  };
  for (const LayoutCase &c : cases) {
    Again();
    winsim::SetAnsiCodePage(c.systemcodepage);
    winsim::SetKeyboardLayout(0x2000, reinterpret_cast<HKL>(std::uintptr_t(c.copylanguage)));
    winsim::CopyToClipboard(c.copy);
    ConvertIn(c.mode, [&] {
      usercodepage = c.attached;
      HWND editor = winsim::AddForeignWindow("Editor", "letter.txt", 0x3000);
      winsim::SetKeyboardLayout(0x3000, reinterpret_cast<HKL>(std::uintptr_t(c.attached)));
      winsim::SetForeground(editor);
    });
    EXPECT_EQ(winsim::StoredClipboardFormats(), (Formats{CF_TEXT, CF_LOCALE})) << c.what;
    EXPECT_EQ(Stored(CF_TEXT), c.text) << c.what;
    EXPECT_EQ(Stored(CF_LOCALE), Locale(c.locale)) << c.what;
  }
}

// --- the text taken -----------------------------------------------------------------

TEST_F(ClipboardTest, TextEndsAtTheFirstZero) {
  winsim::CopyToClipboard({{CF_TEXT, Raw(std::string("ab\0cd\0", 6))}});
  ConvertIn(CodePageNone);
  EXPECT_EQ(Stored(CF_TEXT), Ansi("ab"));

  Again();
  winsim::CopyToClipboard({{CF_UNICODETEXT, Raw(std::u16string(u"ab\0cd\0", 6))}});
  ConvertIn(CodePageUnicode);
  EXPECT_EQ(Stored(CF_UNICODETEXT), Unicode(u"ab"));
}

TEST_F(ClipboardTest, EmptyTextLeavesOnlyATerminator) {
  winsim::CopyToClipboard({winsim::AnsiText("")});
  ConvertIn(CodePageNone);
  EXPECT_EQ(Stored(CF_TEXT), Bytes{0});

  Again();
  winsim::CopyToClipboard({winsim::UnicodeText(u"")});
  ConvertIn(CodePageUnicode);
  EXPECT_EQ(Stored(CF_UNICODETEXT), (Bytes{0, 0}));
}

TEST_F(ClipboardTest, BlockLargerThanItsTextGivesABlockOfTheTextAlone) {
  Bytes ansi = Ansi("abc");
  ansi.resize(100, 'x');
  winsim::CopyToClipboard({{CF_TEXT, ansi}});
  ConvertIn(CodePageNone);
  EXPECT_EQ(Stored(CF_TEXT), Ansi("abc"));

  Again();
  Bytes unicode = Unicode(u"abc");
  unicode.resize(100, 'x');
  winsim::CopyToClipboard({{CF_UNICODETEXT, unicode}});
  ConvertIn(CodePageUnicode);
  EXPECT_EQ(Stored(CF_UNICODETEXT), Unicode(u"abc"));
}

TEST_F(ClipboardTest, UnterminatedSingleByteTextIsTakenWholeAndTerminated) {
  winsim::CopyToClipboard({{CF_TEXT, Raw(std::string("no terminator here, 33 bytes long"))}});
  ConvertIn(CodePageNone);
  EXPECT_EQ(Stored(CF_TEXT), Ansi("no terminator here, 33 bytes long"));
}

TEST_F(ClipboardTest, UnterminatedUnicodeTextTakesWholeUnitsAndIsTerminated) {
  Bytes odd = Raw(std::u16string(u"seventeen units!!"));
  odd.push_back('x');  // half a unit at the end
  winsim::CopyToClipboard({{CF_UNICODETEXT, odd}});
  ConvertIn(CodePageUnicode);
  EXPECT_EQ(Stored(CF_UNICODETEXT), Unicode(u"seventeen units!!"));
}

TEST_F(ClipboardTest, UnicodeLengthIsFoundAtEveryPositionWhateverTheUnitsHold) {
  // Units whose low or high byte is zero must not end the text; only a zero unit does.
  const char16_t units[] = {u'A', u'\u0100', u'\uFF00', u'\u00FF', u'Я', u'\u8000', u'\u0001'};
  for (size_t length = 0; length < 40; ++length) {
    std::u16string text;
    for (size_t i = 0; i < length; ++i) text += units[(i * 3 + length) % 7];
    Bytes block = Unicode(text);
    block.resize(block.size() + length % 5, 0x41);  // room after the terminator
    Again();
    winsim::CopyToClipboard({{CF_UNICODETEXT, block}});
    ConvertIn(CodePageUnicode);
    EXPECT_EQ(Stored(CF_UNICODETEXT), Unicode(text)) << length;
  }
}

// --- nothing to do ------------------------------------------------------------------

TEST_F(ClipboardTest, PictureOnlyClipboardIsNotOpenedAndKeepsThePicture) {
  winsim::CopyToClipboard({winsim::Picture()});
  Contents before = Now();
  auto calls = ConvertIn(CodePageUser);
  EXPECT_EQ(calls, (std::vector<std::string>{"IsClipboardFormatAvailable(CF_TEXT) = 0",
                                             "IsClipboardFormatAvailable(CF_UNICODETEXT) = 0"}));
  EXPECT_EQ(Now(), before);
}

TEST_F(ClipboardTest, EmptyClipboardIsNotOpened) {
  auto calls = ConvertIn(CodePageUnicode);
  EXPECT_EQ(Count(calls, "OpenClipboard"), 0);
  EXPECT_TRUE(winsim::AvailableClipboardFormats().empty());
}

TEST_F(ClipboardTest, ClipboardHeldOpenByAnotherProgramIsLeftAloneWithoutRetry) {
  CopyFormattedText();
  Contents before = Now();
  winsim::HoldClipboardOpen();
  auto calls = ConvertIn(CodePageUser);
  EXPECT_EQ(Count(calls, "OpenClipboard"), 1);
  EXPECT_EQ(calls.back(), "OpenClipboard(Tamsel) = 0");
  EXPECT_EQ(Now(), before);
}

// --- failures before emptying leave the old contents -----------------------------------

struct Failure {
  const char *name;
  BYTE mode;
  const char *function;
  int nth;
  void (*copy)() = CopyFormattedText;
};

// Russian copied while the English layout was on: the single-byte text is
// made again from the Unicode text.
void CopyUnderEnglishLayout() {
  winsim::SetKeyboardLayout(0x2000, EnglishLayout);
  winsim::CopyToClipboard({winsim::UnicodeText(u"Привет")});
}

class ClipboardFailureTest : public ClipboardTest, public ::testing::WithParamInterface<Failure> {};

TEST_P(ClipboardFailureTest, LeavesTheOldContentsAndFreesWhatItAllocated) {
  const Failure &f = GetParam();
  f.copy();
  Contents before = Now();
  auto calls = ConvertIn(f.mode, [&] {
    usercodepage = 0x0419;
    winsim::FailNthCall(f.function, f.nth);
  });
  EXPECT_EQ(Now(), before);
  EXPECT_EQ(Count(calls, "EmptyClipboard"), 0);
  EXPECT_EQ(calls.back(), "CloseClipboard() = 1");
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, ClipboardFailureTest,
    ::testing::Values(
        Failure{"SingleByteSourceMissing", CodePageUser, "GetClipboardData", 1},
        Failure{"SingleByteSourceLock", CodePageUser, "GlobalLock", 1},
        Failure{"SingleByteAllocation", CodePageUser, "GlobalAlloc", 1},
        Failure{"SingleByteNewBlockLock", CodePageUser, "GlobalLock", 2},
        Failure{"LocaleAtCopyMissing", CodePageAtCopy, "GetClipboardData", 2},
        Failure{"LocaleAtCopyLock", CodePageAtCopy, "GlobalLock", 3},
        Failure{"UnicodeSourceMissing", CodePageUnicode, "GetClipboardData", 1},
        Failure{"UnicodeSourceLock", CodePageUnicode, "GlobalLock", 1},
        Failure{"UnicodeAllocation", CodePageUnicode, "GlobalAlloc", 1},
        Failure{"UnicodeNewBlockLock", CodePageUnicode, "GlobalLock", 2},
        Failure{"CopyLocaleMissing", CodePageUser, "GetClipboardData", 1, CopyUnderEnglishLayout},
        Failure{"RemadeSourceMissing", CodePageUser, "GetClipboardData", 2, CopyUnderEnglishLayout},
        Failure{"RemadeSourceLock", CodePageUser, "GlobalLock", 2, CopyUnderEnglishLayout},
        Failure{"RemadeAllocation", CodePageUser, "GlobalAlloc", 1, CopyUnderEnglishLayout},
        Failure{"RemadeNewBlockLock", CodePageUser, "GlobalLock", 3, CopyUnderEnglishLayout}),
    [](const ::testing::TestParamInfo<Failure> &info) { return std::string(info.param.name); });

TEST_F(ClipboardTest, TextThatVanishedBeforeOpeningLeavesTheNewContents) {
  CopyFormattedText();
  Contents after;
  auto calls = ConvertIn(CodePageUser, [&] {
    // Between the availability questions and the opening, a screenshot is copied.
    winsim::BeforeNextOpenClipboard([&] {
      winsim::CopyToClipboard({winsim::Picture()});
      after = Now();
    });
  });
  EXPECT_EQ(Now(), after);
  EXPECT_EQ(winsim::StoredClipboardFormats(), Formats{CF_DIB});
  EXPECT_TRUE(InOrder(calls, {"GetClipboardData(CF_TEXT) = NULL", "CloseClipboard() = 1"}));
}

// --- failures after emptying --------------------------------------------------------

TEST_F(ClipboardTest, LocaleBlockThatCannotBeAllocatedLeavesTheTextAlone) {
  CopyFormattedText();
  ConvertIn(CodePageUser, [] {
    usercodepage = 0x0422;
    winsim::FailNthCall("GlobalAlloc", 2);
  });
  EXPECT_EQ(winsim::StoredClipboardFormats(), Formats{CF_TEXT});
  EXPECT_EQ(Stored(CF_TEXT), Ansi("Привет"));
}

TEST_F(ClipboardTest, LocaleBlockThatCannotBeLockedIsFreed) {
  CopyFormattedText();
  auto calls = ConvertIn(CodePageUser, [] {
    usercodepage = 0x0422;
    // The copy's locale, its text, the new text, then the locale block.
    winsim::FailNthCall("GlobalLock", 4);
  });
  EXPECT_EQ(winsim::StoredClipboardFormats(), Formats{CF_TEXT});
  std::string locale = Allocated(calls, 4);
  EXPECT_TRUE(InOrder(calls, {"GlobalLock(" + locale + ") = NULL",
                              "GlobalFree(" + locale + ") = NULL", "CloseClipboard() = 1"}));
}

TEST_F(ClipboardTest, TextBlockTheClipboardRefusedIsFreed) {
  CopyFormattedText();
  auto calls = ConvertIn(CodePageNone, [] { winsim::FailNext("SetClipboardData"); });
  std::string text = Allocated(calls, 7);
  EXPECT_TRUE(InOrder(calls, {"SetClipboardData(CF_TEXT, " + text + ") = NULL",
                              "GlobalFree(" + text + ") = NULL", "CloseClipboard() = 1"}));
}

TEST_F(ClipboardTest, LocaleBlockTheClipboardRefusedIsFreed) {
  CopyFormattedText();
  auto calls = ConvertIn(CodePageUser, [] {
    usercodepage = 0x0422;
    winsim::FailNthCall("SetClipboardData", 2);
  });
  EXPECT_EQ(winsim::StoredClipboardFormats(), Formats{CF_TEXT});
  std::string locale = Allocated(calls, 4);
  EXPECT_TRUE(InOrder(calls, {"SetClipboardData(CF_LOCALE, " + locale + ") = NULL",
                              "GlobalFree(" + locale + ") = NULL"}));
}

TEST_F(ClipboardTest, SuccessLeavesOnlyTheClipboardsBlocksAlive) {
  CopyFormattedText();
  ConvertIn(CodePageUser, [] { usercodepage = 0x0419; });
  EXPECT_EQ(winsim::LiveBlocks(), 2);  // the text and the locale, nothing of the old contents
}

// --- markers that keep a copy out of clipboard history ------------------------------

// What a password manager puts beside a secret, the first marker empty; the
// one at `unrendered`, if any, is offered but never rendered.
std::vector<winsim::ClipboardData> SecretCopy(int unrendered = -1) {
  const char *names[] = {"ExcludeClipboardContentFromMonitorProcessing",
                         "CanIncludeInClipboardHistory", "CanUploadToCloudClipboard",
                         "Clipboard Viewer Ignore"};
  const Bytes data[] = {{}, {0, 0, 0, 0}, {1, 0, 0, 0}, Raw(std::string("any"))};
  std::vector<winsim::ClipboardData> copy = {winsim::UnicodeText(u"пароль"),
                                             winsim::AnsiText("пароль")};
  for (int i = 0; i < 4; ++i)
    copy.push_back({RegisterClipboardFormatA(names[i]), data[i], i == unrendered});
  return copy;
}

class ClipboardMarkerTest : public ClipboardTest, public ::testing::WithParamInterface<BYTE> {};

TEST_P(ClipboardMarkerTest, CopyKeptOutOfHistoryKeepsItsMarkersAndNoOtherCopyGetsThem) {
  const BYTE mode = GetParam();
  auto user = [] { usercodepage = 0x0419; };
  Formats text = mode == CodePageUnicode ? Formats{CF_UNICODETEXT} : Formats{CF_TEXT, CF_LOCALE};
  Formats all = text;
  for (size_t i = 2; i < SecretCopy().size(); ++i) all.push_back(SecretCopy()[i].format);
  winsim::CopyToClipboard(SecretCopy());
  ConvertIn(mode, user);
  EXPECT_EQ(winsim::StoredClipboardFormats(), all);
  for (size_t i = 2; i < SecretCopy().size(); ++i)
    EXPECT_EQ(Stored(SecretCopy()[i].format), SecretCopy()[i].bytes);

  // A copy without markers gets none, and the names are not registered again.
  Again();
  winsim::CopyToClipboard({winsim::UnicodeText(u"пароль")});
  auto calls = ConvertIn(mode, user);
  EXPECT_EQ(winsim::StoredClipboardFormats(), text);
  EXPECT_EQ(Count(calls, "RegisterClipboardFormatA"), 0);

  // A marker that cannot be had: better the formatting pasted than the secret recorded.
  Again();
  winsim::CopyToClipboard(SecretCopy(2));
  Contents before = Now();
  ConvertIn(mode, user);
  EXPECT_EQ(Now(), before);
}

INSTANTIATE_TEST_SUITE_P(UnicodeAndSingleByte, ClipboardMarkerTest,
                         ::testing::Values(CodePageUnicode, CodePageUser));

// --- the tray click ------------------------------------------------------------------

TEST_F(ClipboardTest, TrayLeftClickConvertsWhenIconClickIsOffEvenWithHotkeysInactive) {
  winsim::SetRegistryDword("HKCU\\Software\\Tamsel", "iconclick", 0);
  winsim::SetRegistryDword("HKCU\\Software\\Tamsel", "active", 0);
  winsim::SetRegistryDword("HKCU\\Software\\Tamsel", "codepage", CodePageUnicode);
  CopyFormattedText();
  WhileRunning([] {
    ASSERT_EQ(hotkeysactive, 0);
    winsim::ClickTrayIcon(12, WM_LBUTTONDOWN);
  });
  Run();
  EXPECT_EQ(winsim::StoredClipboardFormats(), Formats{CF_UNICODETEXT});
  EXPECT_TRUE(InOrder(winsim::Timeline(),
                      {"dispatch 0x440(Tamsel, 0xc, 0x201)", "OpenClipboard(Tamsel) = 1",
                       "CloseClipboard() = 1", "DefWindowProcA 0x440(Tamsel, 0xc, 0x201)"}));
  EXPECT_EQ(Count(winsim::Timeline(), "send WM_HOTKEY(Tamsel, 0x9"), 1);  // start-up's only
}

TEST_F(ClipboardTest, TrayLeftClickLeavesTheClipboardAloneWhenIconClickToggles) {
  CopyFormattedText();
  Contents before = Now();
  WhileRunning([] {
    iconclick = 1;
    winsim::ClickTrayIcon(12, WM_LBUTTONDOWN);
  });
  Run();
  EXPECT_EQ(Now(), before);
  EXPECT_EQ(Count(winsim::Timeline(), "IsClipboardFormatAvailable"), 0);
}

TEST_F(ClipboardTest, OtherTrayMouseMessagesLeaveTheClipboardAlone) {
  CopyFormattedText();
  WhileRunning([] {
    iconclick = 0;
    for (UINT mouse : {WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_MOUSEMOVE, WM_MBUTTONDOWN})
      winsim::ClickTrayIcon(12, mouse);
  });
  Run();
  EXPECT_EQ(Count(winsim::Timeline(), "IsClipboardFormatAvailable"), 0);
}

}  // namespace
