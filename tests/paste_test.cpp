// The paste and clean actions, run inside the real program: the user presses
// a hotkey, the program rewrites the clipboard and types Ctrl+V, and winsim
// shows what the focused application received.
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "paste/activation.h"
#include "paste/pasteactions.h"
#include "program_test.h"
#include "settings/settings.h"
#include "system_shortcuts.h"
#include "winsim_clipboard.h"
#include "winsim_keyboard.h"
#include "winsim_registry.h"

namespace {
using Keys = std::vector<std::string>;
using Formats = std::vector<UINT>;

const char SettingsKey[] = "HKCU\\Software\\Tamsel";
const UINT RichText = 0xC0A1;

// A word processor's copy: formatted text beside the plain one.
void CopyFormattedText() {
  winsim::CopyToClipboard({{RichText, {'{', '\\', 'r', 't', 'f', '1', '}', 0}},
                           winsim::UnicodeText(u"Привет"),
                           winsim::LocaleData(0x0419)});
}

// What the default code-page mode leaves: single-byte text and its locale.
bool Converted() { return winsim::StoredClipboardFormats() == Formats{CF_TEXT, CF_LOCALE}; }

Keys Names(const std::vector<winsim::KeyEvent> &events) {
  Keys names;
  names.reserve(events.size());
  for (const auto &e : events) names.push_back(winsim::Describe(e));
  return names;
}

Keys Synthetic() { return Names(winsim::SyntheticKeys()); }

// The timeline from the first synthetic key event to the last.
std::vector<std::string> DuringKeystrokes() {
  const auto &timeline = winsim::Timeline();
  auto isKey = [](const std::string &t) { return t.rfind("keybd_event(", 0) == 0; };
  auto first = std::find_if(timeline.begin(), timeline.end(), isKey);
  auto last = std::find_if(timeline.rbegin(), timeline.rend(), isKey);
  if (first == timeline.end()) return {};
  return std::vector<std::string>(first, last.base());
}

bool ProgramHolds(int id, UINT modifiers, UINT vk) {
  for (const auto &h : winsim::Hotkeys())
    if (!h.foreign && h.id == id && h.modifiers == modifiers && h.vk == vk) return true;
  return false;
}

// The program signs each of its keys, so that they can be told from the user's.
std::string Key(BYTE vk, BYTE scan, bool up) {
  return "keybd_event(" + Hex(vk) + ", " + Hex(scan) + ", " + (up ? "0x2" : "0x0") + ", " +
         Hex(OwnKeySignature) + ")";
}
const std::string CtrlDown = Key(VK_CONTROL, 0x1D, false);
const std::string LeftCtrlDown = Key(VK_LCONTROL, 0x1D, false);
const std::string VDown = Key('V', 0x2F, false);
const std::string VUp = Key('V', 0x2F, true);

class PasteTest : public ProgramTest {
 protected:
  static void Setting(const char *name, DWORD value) {
    winsim::SetRegistryDword(SettingsKey, name, value);
  }

  // Starts the program, the user presses the combination once, `after` looks
  // at the running program once the hotkey was handled, and it quits.
  static void PressAndQuit(UINT modifiers, UINT vk, const std::function<void()> &after = {},
                           winsim::Sides sides = winsim::Sides::Left) {
    winsim::Script([=] { EXPECT_TRUE(winsim::PressHotkey(modifiers, vk, sides)); });
    WhileRunning([=] {
      if (after) after();
    });
    EXPECT_EQ(Run(), 0);
  }
};

// --- the gate ---------------------------------------------------------------------

TEST_F(PasteTest, InactiveProgramIgnoresEveryPasteId) {
  Setting("active", 0);
  Setting("hookkey", ModeStandardKeys);
  CopyFormattedText();
  WhileRunning([] {
    ASSERT_EQ(hotkeysactive, 0);
    for (WPARAM id = 1; id <= 8; ++id) PostMessageA(Main(), WM_HOTKEY, id, 0);
  });
  Run();
  EXPECT_TRUE(winsim::SyntheticKeys().empty());
  EXPECT_EQ(Count(winsim::Timeline(), "OpenClipboard"), 0);
  EXPECT_EQ(winsim::StoredClipboardFormats(), (Formats{RichText, CF_UNICODETEXT, CF_LOCALE}));
}

// The user presses the hotkey and switches off before the program gets to it.
TEST_F(PasteTest, HotkeyQueuedBeforeDeactivationDoesNothing) {
  CopyFormattedText();
  WhileRunning([] {
    EXPECT_TRUE(winsim::PressHotkey(MOD_ALT, VK_INSERT));
    SendMessageA(Main(), WM_HOTKEY, ActivationHotkeyId, 0);
  });
  Run();
  EXPECT_EQ(Count(winsim::Timeline(), "dispatch WM_HOTKEY(Tamsel, 0x7"), 1);
  EXPECT_TRUE(winsim::SyntheticKeys().empty());
  EXPECT_FALSE(Converted());
}

TEST_F(PasteTest, IdsZeroFiveSixAndUnknownDoNothingButReachDefWindowProc) {
  Setting("hookkey", ModeStandardKeys);
  CopyFormattedText();
  WhileRunning([] {
    for (WPARAM id : {0, 5, 6, 10, 0x1234}) PostMessageA(Main(), WM_HOTKEY, id, 0);
  });
  Run();
  EXPECT_TRUE(winsim::SyntheticKeys().empty());
  EXPECT_EQ(Count(winsim::Timeline(), "OpenClipboard"), 0);
  EXPECT_TRUE(InOrder(winsim::Timeline(), {"DefWindowProcA WM_HOTKEY(Tamsel, 0x0, 0x0)",
                                           "DefWindowProcA WM_HOTKEY(Tamsel, 0x5, 0x0)",
                                           "DefWindowProcA WM_HOTKEY(Tamsel, 0x6, 0x0)"}));
}

// --- mode 2: the standard keys paste plain text ---------------------------------------

TEST_F(PasteTest, StandardCtrlVConvertsAndPastesOnceWithHotkeyRestored) {
  Setting("hookkey", ModeStandardKeys);
  CopyFormattedText();
  PressAndQuit(MOD_CONTROL, 'V');
  EXPECT_TRUE(Converted());
  EXPECT_EQ(winsim::PastesSeen(), 1);
  EXPECT_EQ(Synthetic(), (Keys{"Left Ctrl down", "V down", "V up"}));
  EXPECT_TRUE(InOrder(winsim::Timeline(),
                      {"CloseClipboard() = 1", LeftCtrlDown, "UnregisterHotKey(Tamsel, 1) = 1",
                       VDown, "RegisterHotKey(Tamsel, 1, 0x2, 0x56) = 1", VUp}));
  // The program's own V did not come back to it as a second Ctrl+V hotkey.
  EXPECT_EQ(Count(winsim::Timeline(), "dispatch WM_HOTKEY"), 1);
}

TEST_F(PasteTest, StandardCtrlVHotkeyIsRegisteredAgainAfterThePaste) {
  Setting("hookkey", ModeStandardKeys);
  CopyFormattedText();
  winsim::Script([] { EXPECT_TRUE(winsim::PressHotkey(MOD_CONTROL, 'V')); });
  WhileRunning([] {
    EXPECT_TRUE(ProgramHolds(CtrlVHotkeyId, MOD_CONTROL, 'V'));
    EXPECT_TRUE(winsim::PressHotkey(MOD_CONTROL, 'V'));  // and it still works
  });
  Run();
  EXPECT_EQ(winsim::PastesSeen(), 2);
  EXPECT_EQ(Count(winsim::Timeline(), "dispatch WM_HOTKEY(Tamsel, 0x1"), 2);
}

TEST_F(PasteTest, StandardAltVGivesAnOrdinaryPasteWithoutAlt) {
  Setting("hookkey", ModeStandardKeys);
  CopyFormattedText();
  PressAndQuit(MOD_ALT, 'V', [] { EXPECT_TRUE(ProgramHolds(CtrlVHotkeyId, MOD_CONTROL, 'V')); });
  EXPECT_EQ(winsim::StoredClipboardFormats(), (Formats{RichText, CF_UNICODETEXT, CF_LOCALE}));
  EXPECT_EQ(Count(winsim::Timeline(), "OpenClipboard"), 0);
  EXPECT_EQ(winsim::PastesSeen(), 1);  // V went down with Ctrl alone
  EXPECT_TRUE(winsim::KeyDown(VK_MENU));
}

// --- the fixed hotkeys of modes 1 and 2 ----------------------------------------------

struct FixedCase {
  const char *name;
  BYTE mode;
  UINT modifiers;
  UINT vk;
  bool converts;
  Keys keys;
};

void PrintTo(const FixedCase &c, std::ostream *out) { *out << c.name; }

class FixedHotkeyTest : public PasteTest, public ::testing::WithParamInterface<FixedCase> {};

TEST_P(FixedHotkeyTest, SendsItsSequenceAndConvertsOnlyWhereTheModeSays) {
  const FixedCase &c = GetParam();
  Setting("hookkey", c.mode);
  CopyFormattedText();
  PressAndQuit(c.modifiers, c.vk);
  EXPECT_EQ(Synthetic(), c.keys);
  EXPECT_EQ(Converted(), c.converts);
  EXPECT_EQ(winsim::PastesSeen(), 1);
  if (c.converts) {
    EXPECT_TRUE(InOrder(winsim::Timeline(), {"CloseClipboard() = 1", VDown}));
  }
  // Only mode 2 holds Ctrl+V, and only then is it taken away for the keystroke.
  bool guarded = c.mode == ModeStandardKeys;
  EXPECT_EQ(Count(DuringKeystrokes(), "UnregisterHotKey(Tamsel, 1) = 1"), guarded ? 1 : 0);
  EXPECT_EQ(Count(DuringKeystrokes(), "RegisterHotKey(Tamsel, 1, 0x2, 0x56) = 1"), guarded ? 1 : 0);
}

// A key of no meaning (virtual key 0xE8) follows the user's Alt at once and
// Alt when it goes down again.
const Keys InsertAltSequence = {"0xe8 down",     "0xe8 up",   "Insert up", "Left Alt up",
                                "Ctrl down",     "V down",    "V up",      "Ctrl up",
                                "Left Alt down", "0xe8 down", "0xe8 up"};
const Keys VAltSequence = {"0xe8 down",     "0xe8 up",   "V up",   "Left Alt up",
                           "Ctrl down",     "V down",    "V up",   "Ctrl up",
                           "Left Alt down", "0xe8 down", "0xe8 up"};
const Keys InsertShiftSequence = {"Insert up", "Left Shift up", "Ctrl down",      "V down",
                                  "V up",      "Ctrl up",       "Left Shift down"};

INSTANTIATE_TEST_SUITE_P(
    Modes, FixedHotkeyTest,
    ::testing::Values(
        FixedCase{"AltKeysAltInsert", ModeAltKeys, MOD_ALT, VK_INSERT, true, InsertAltSequence},
        FixedCase{"AltKeysAltV", ModeAltKeys, MOD_ALT, 'V', true, VAltSequence},
        FixedCase{"StandardAltInsert", ModeStandardKeys, MOD_ALT, VK_INSERT, false,
                  InsertAltSequence},
        FixedCase{"StandardAltV", ModeStandardKeys, MOD_ALT, 'V', false, VAltSequence},
        FixedCase{"StandardShiftInsert", ModeStandardKeys, MOD_SHIFT, VK_INSERT, true,
                  InsertShiftSequence},
        FixedCase{"StandardCtrlV",
                  ModeStandardKeys,
                  MOD_CONTROL,
                  'V',
                  true,
                  {"Left Ctrl down", "V down", "V up"}}),
    [](const ::testing::TestParamInfo<FixedCase> &info) { return std::string(info.param.name); });

// --- mode 5: the user's paste hotkey ---------------------------------------------------

TEST_F(PasteTest, DefaultAltInsertPressesAltAgainBeforeReleasingCtrl) {
  CopyFormattedText();
  PressAndQuit(MOD_ALT, VK_INSERT);
  EXPECT_TRUE(Converted());
  EXPECT_EQ(Synthetic(),
            (Keys{"0xe8 down", "0xe8 up", "Insert up", "Left Alt up", "Ctrl down", "V down", "V up",
                  "Left Alt down", "0xe8 down", "0xe8 up", "Ctrl up"}));
  EXPECT_EQ(winsim::PastesSeen(), 1);
  EXPECT_EQ(Count(DuringKeystrokes(), "RegisterHotKey"), 0);
  EXPECT_EQ(Count(DuringKeystrokes(), "UnregisterHotKey"), 0);
  // Whether the user still holds Alt is read once the clipboard is done,
  // with the user's keys watched and one synthetic key through, and before
  // the program lets go of Alt.
  EXPECT_TRUE(
      InOrder(winsim::Timeline(),
              {"dispatch WM_HOTKEY(Tamsel, 0x7, 0x2d0001)", "CloseClipboard() = 1",
               Key(VK_INSERT, 0x52, true), "GetAsyncKeyState(0xa4) = 0x8000",
               Key(VK_LMENU, 0x38, true), CtrlDown, VDown, VUp, Key(VK_LMENU, 0x38, false),
               Key(VK_CONTROL, 0x1D, true), "DefWindowProcA WM_HOTKEY(Tamsel, 0x7, 0x2d0001)"}));
  const auto &timeline = winsim::Timeline();
  auto watch = std::find_if(timeline.begin(), timeline.end(), [](const std::string &t) {
    return t.rfind("SetWindowsHookExA(13)", 0) == 0;
  });
  EXPECT_LT(watch, std::find(timeline.begin(), timeline.end(), Key(VK_INSERT, 0x52, true)));
}

// Any word that registers Ctrl+V, the extended-key flag set or not, is guarded.
class UserCtrlVTest : public PasteTest, public ::testing::WithParamInterface<WORD> {};

TEST_P(UserCtrlVTest, IsGuardedAndLeavesCtrlDown) {
  Setting("keycp", GetParam());
  CopyFormattedText();
  PressAndQuit(MOD_CONTROL, 'V',
               [] { EXPECT_TRUE(ProgramHolds(UserPasteHotkeyId, MOD_CONTROL, 'V')); });
  EXPECT_TRUE(Converted());
  EXPECT_EQ(Synthetic(), (Keys{"V up", "Left Ctrl down", "V down", "V up"}));
  EXPECT_TRUE(
      InOrder(winsim::Timeline(), {VUp, LeftCtrlDown, "UnregisterHotKey(Tamsel, 7) = 1", VDown,
                                   "RegisterHotKey(Tamsel, 7, 0x2, 0x56) = 1", VUp}));
  EXPECT_TRUE(winsim::KeyDown(VK_CONTROL));
  EXPECT_EQ(winsim::PastesSeen(), 1);
  EXPECT_EQ(Count(winsim::Timeline(), "dispatch WM_HOTKEY"), 1);
}

INSTANTIATE_TEST_SUITE_P(Words, UserCtrlVTest, ::testing::Values(0x0256, 0x0A56));

// Whichever of the program's hotkeys is Ctrl+V at the time lets the synthetic
// V through: the activation key set to Ctrl+V, or the standard keys' own
// Ctrl+V while another program posts the id of the user's paste key.
TEST_F(PasteTest, NoHotkeyOfTheProgramCatchesItsOwnCtrlV) {
  Setting("activekey", 0x0256);
  CopyFormattedText();
  PressAndQuit(MOD_ALT, VK_INSERT, [] {
    EXPECT_EQ(hotkeysactive, 1);
    EXPECT_TRUE(ProgramHolds(ActivationHotkeyId, MOD_CONTROL, 'V'));
  });
  EXPECT_EQ(winsim::PastesSeen(), 1);

  winsim::Reset();
  Setting("hookkey", ModeStandardKeys);
  CopyFormattedText();
  winsim::Script([] { winsim::PostFromOtherProcess(Main(), WM_HOTKEY, UserPasteHotkeyId, 0); });
  WhileRunning([] { EXPECT_TRUE(ProgramHolds(CtrlVHotkeyId, MOD_CONTROL, 'V')); });
  Run();
  EXPECT_EQ(winsim::PastesSeen(), 1);
}

// The key of no meaning comes before the first release and after Shift goes
// down again, so that no release completes Ctrl+Shift.
TEST_F(PasteTest, UserCtrlShiftVIsNotGuardedAndKeepsCtrlDown) {
  Setting("keycp", 0x0356);
  CopyFormattedText();
  PressAndQuit(MOD_CONTROL | MOD_SHIFT, 'V');
  EXPECT_TRUE(Converted());
  EXPECT_EQ(Synthetic(), (Keys{"0xe8 down", "0xe8 up", "V up", "Left Shift up", "Left Ctrl down",
                               "V down", "V up", "Left Shift down", "0xe8 down", "0xe8 up"}));
  EXPECT_EQ(Count(DuringKeystrokes(), "UnregisterHotKey"), 0);
  EXPECT_TRUE(winsim::KeyDown(VK_CONTROL));
  EXPECT_TRUE(winsim::KeyDown(VK_SHIFT));
  EXPECT_EQ(winsim::PastesSeen(), 1);
}

// A combination with Ctrl but another key: Ctrl stays down, nothing is guarded.
TEST_F(PasteTest, UserCtrlAltKeyReleasesOnlyAltAndTheKey) {
  Setting("keycp", 0x0651);  // Ctrl+Alt+Q
  CopyFormattedText();
  PressAndQuit(MOD_CONTROL | MOD_ALT, 'Q');
  EXPECT_EQ(Synthetic(), (Keys{"0xe8 down", "0xe8 up", "Q up", "Left Alt up", "Left Ctrl down",
                               "V down", "V up", "Left Alt down", "0xe8 down", "0xe8 up"}));
  EXPECT_EQ(winsim::PastesSeen(), 1);
}

TEST_F(PasteTest, PictureOnlyClipboardIsLeftAloneAndCtrlVStillSent) {
  winsim::CopyToClipboard({winsim::Picture()});
  PressAndQuit(MOD_ALT, VK_INSERT);
  EXPECT_EQ(winsim::StoredClipboardFormats(), Formats{CF_DIB});
  EXPECT_EQ(Count(winsim::Timeline(), "EmptyClipboard"), 0);
  EXPECT_EQ(Synthetic().size(), 11u);
  EXPECT_EQ(winsim::PastesSeen(), 1);
}

// Another program holding the clipboard open: the paste goes ahead all the same.
TEST_F(PasteTest, ClipboardHeldOpenElsewhereStillPastes) {
  CopyFormattedText();
  winsim::HoldClipboardOpen();
  WhileRunning([] { EXPECT_TRUE(winsim::PressHotkey(MOD_ALT, VK_INSERT)); });
  Run();
  winsim::ReleaseHeldClipboard();
  EXPECT_FALSE(Converted());
  EXPECT_EQ(winsim::PastesSeen(), 1);
}

// --- what the user holds -----------------------------------------------------------------

struct PasteCase {
  const char *name;
  BYTE mode;
  WORD keycp;
  UINT modifiers;
  UINT vk;
};

void PrintTo(const PasteCase &c, std::ostream *out) { *out << c.name; }

const BYTE kKeysOfEveryHotkey[] = {VK_CONTROL, VK_MENU,  VK_SHIFT,  VK_LCONTROL, VK_RCONTROL,
                                   VK_LMENU,   VK_RMENU, VK_LSHIFT, VK_RSHIFT,   'V',
                                   VK_INSERT,  'Q',      'X',       0xE8};

const PasteCase kEveryPaste[] = {
    {"AltKeysAltInsert", ModeAltKeys, 0, MOD_ALT, VK_INSERT},
    {"AltKeysAltV", ModeAltKeys, 0, MOD_ALT, 'V'},
    {"StandardCtrlV", ModeStandardKeys, 0, MOD_CONTROL, 'V'},
    {"StandardShiftInsert", ModeStandardKeys, 0, MOD_SHIFT, VK_INSERT},
    {"StandardAltV", ModeStandardKeys, 0, MOD_ALT, 'V'},
    {"StandardAltInsert", ModeStandardKeys, 0, MOD_ALT, VK_INSERT},
    {"UserAltInsert", ModeUserPaste, 0x0C2D, MOD_ALT, VK_INSERT},
    {"UserCtrlV", ModeUserPaste, 0x0256, MOD_CONTROL, 'V'},
    {"UserShiftQ", ModeUserPaste, 0x0151, MOD_SHIFT, 'Q'},
    {"UserCtrlShiftV", ModeUserPaste, 0x0356, MOD_CONTROL | MOD_SHIFT, 'V'},
    {"UserCtrlAltQ", ModeUserPaste, 0x0651, MOD_CONTROL | MOD_ALT, 'Q'},
    {"UserAltShiftX", ModeUserPaste, 0x0558, MOD_ALT | MOD_SHIFT, 'X'},
    {"UserCtrlAltShiftV", ModeUserPaste, 0x0756, MOD_CONTROL | MOD_ALT | MOD_SHIFT, 'V'},
};

// The hand that holds Ctrl, Alt and Shift: the left, the right or both, or
// the left through a key remapper that injects them, as one that turns
// CapsLock into Ctrl does.
struct Hand {
  const char *name;
  winsim::Sides sides;
  bool remapped;
};
const Hand kHands[] = {{"Left", winsim::Sides::Left, false},
                       {"Right", winsim::Sides::Right, false},
                       {"Both", winsim::Sides::Both, false},
                       {"Remapped", winsim::Sides::Left, true}};
const ULONG_PTR kRemapperSignature = 0x12345678;

using Held = std::tuple<PasteCase, Hand>;

std::string HeldName(const ::testing::TestParamInfo<Held> &info) {
  return std::string(std::get<0>(info.param).name) + std::get<1>(info.param).name;
}

class EveryPasteTest : public PasteTest, public ::testing::WithParamInterface<Held> {
 protected:
  void SetUp() override {
    PasteTest::SetUp();
    Prepare();
  }
  static const PasteCase &Hotkey() { return std::get<0>(GetParam()); }
  static winsim::Sides Sides() { return std::get<1>(GetParam()).sides; }
  static void Prepare() {
    Setting("hookkey", Hotkey().mode);
    if (Hotkey().keycp) Setting("keycp", Hotkey().keycp);
    if (std::get<1>(GetParam()).remapped) winsim::RemapUserModifiers(kRemapperSignature);
    CopyFormattedText();
  }
  static bool PressIt() { return winsim::PressHotkey(Hotkey().modifiers, Hotkey().vk, Sides()); }
  static void ExpectNothingDown() {
    for (BYTE vk : kKeysOfEveryHotkey) EXPECT_FALSE(winsim::KeyDown(vk)) << winsim::KeyName(vk);
  }
  // The application pasted once and typed nothing else, and no shortcut of
  // the system's was completed: no menu took the paste, no input language
  // switched.
  static void ExpectOnePlainPasteAlone() {
    EXPECT_EQ(winsim::PastesSeen(), 1);
    EXPECT_EQ(KeysTyped(winsim::DeliveredKeys()), Keys{"V down"});
    EXPECT_THAT(ShortcutsCompleted(winsim::DeliveredKeys()), ::testing::IsEmpty());
  }
};

// The application sees one plain Ctrl+V whichever side the user holds: V goes
// down once, with no Alt or Shift of either side down, and never comes back
// to the program as one of its hotkeys. Then exactly the keys the user holds
// are down, and none once the user lets go.
TEST_P(EveryPasteTest, HeldOnEitherSideThePasteIsOnePlainCtrlV) {
  PressAndQuit(
      Hotkey().modifiers, Hotkey().vk,
      [] {
        const std::pair<UINT, std::pair<BYTE, BYTE>> sides[] = {
            {MOD_CONTROL, {VK_LCONTROL, VK_RCONTROL}},
            {MOD_ALT, {VK_LMENU, VK_RMENU}},
            {MOD_SHIFT, {VK_LSHIFT, VK_RSHIFT}}};
        for (const auto &[flag, keys] : sides) {
          bool held = (Hotkey().modifiers & flag) != 0;
          EXPECT_EQ(winsim::KeyDown(keys.first), held && Sides() != winsim::Sides::Right)
              << winsim::KeyName(keys.first);
          EXPECT_EQ(winsim::KeyDown(keys.second), held && Sides() != winsim::Sides::Left)
              << winsim::KeyName(keys.second);
        }
        winsim::ReleaseUserKeys();
        ExpectNothingDown();
      },
      Sides());
  ExpectOnePlainPasteAlone();
  EXPECT_EQ(Count(winsim::Timeline(), "dispatch WM_HOTKEY"), 1);
  EXPECT_THAT(winsim::Violations(), ::testing::IsEmpty());
  // Wine takes the side of a modifier from the extended flag alone.
  for (const auto &e : winsim::SyntheticKeys()) {
    bool right = e.vk == VK_RCONTROL || e.vk == VK_RMENU || e.vk == VK_RSHIFT;
    EXPECT_EQ((e.flags & KEYEVENTF_EXTENDEDKEY) != 0, right) << winsim::Describe(e);
    EXPECT_EQ(e.scan, MapVirtualKeyA(e.vk, 0)) << winsim::Describe(e);
  }
}

// The user let go before the program got to the hotkey (say the clipboard's
// owner took its time): nothing may stay down that nobody holds, and the
// menu that the lone Alt opened must not take the paste.
TEST_P(EveryPasteTest, KeysTheUserLetGoStayUp) {
  winsim::Script([] {
    EXPECT_TRUE(PressIt());
    winsim::ReleaseUserKeys();
  });
  WhileRunning([] { ExpectNothingDown(); });
  Run();
  ExpectOnePlainPasteAlone();
}

// The user may let go at any moment while the program types, even between
// its reading the keys held and its pressing them again, or just as its
// keyboard hook is removed: nothing may stay down that nobody holds.
TEST_P(EveryPasteTest, KeysTheUserLetsGoWhileTheProgramTypesStayUp) {
  PressAndQuit(
      Hotkey().modifiers, Hotkey().vk, [] { winsim::ReleaseUserKeys(); }, Sides());
  int keystrokes = static_cast<int>(winsim::SyntheticKeys().size());
  for (int moment = 0; moment <= keystrokes; ++moment) {
    SCOPED_TRACE(moment < keystrokes
                     ? "the user lets go before synthetic key " + std::to_string(moment)
                     : "the user lets go as the hook is removed");
    winsim::Reset();
    Prepare();
    winsim::Script([=] {
      EXPECT_TRUE(PressIt());
      if (moment < keystrokes)
        winsim::LetGoBeforeSyntheticKey(moment);
      else
        winsim::LetGoAsTheHookIsRemoved();
    });
    WhileRunning([] { ExpectNothingDown(); });
    Run();
    ExpectOnePlainPasteAlone();
    EXPECT_THAT(winsim::Violations(), ::testing::IsEmpty());
  }
}

INSTANTIATE_TEST_SUITE_P(Hotkeys, EveryPasteTest,
                         ::testing::Combine(::testing::ValuesIn(kEveryPaste),
                                            ::testing::ValuesIn(kHands)),
                         HeldName);

// --- mode 6: the clean hotkey -----------------------------------------------------------

TEST_F(PasteTest, CleanHotkeyConvertsAndSendsNoKey) {
  Setting("hookkey", ModeUserClean);
  CopyFormattedText();
  PressAndQuit(MOD_CONTROL, 'D');
  EXPECT_TRUE(Converted());
  EXPECT_TRUE(winsim::SyntheticKeys().empty());
  EXPECT_EQ(Count(winsim::Timeline(), "MapVirtualKeyA"), 0);
}

}  // namespace
