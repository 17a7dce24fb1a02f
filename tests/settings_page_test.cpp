// The settings page, driven through the running program: the tray menu's
// Settings command builds it, the user clicks its controls, OK stores what
// it shows and Cancel throws it away.
#include <algorithm>
#include <map>

#include <commctrl.h>

#include "app/iconca.h"
#include "paste/activation.h"
#include "program_test.h"
#include "settings/settings.h"
#include "winsim_controls.h"
#include "winsim_registry.h"

namespace {
const char kSettingsKey[] = "HKCU\\Software\\Tamsel";

// The controls in the order the page creates them.
enum Control {
  ActiveCheck,
  ModeGroup,
  ModeAlt,
  ModeCtrl,
  ModeKeyCp,
  KeyCpHotkey,
  ModeKeyCc,
  KeyCcHotkey,
  IconGroup,
  IconClean,
  IconToggle,
  CpGroup,
  CpUnicode,
  CpNone,
  CpCopy,
  CpPaste,
  CpUser,
  Combo,
  ActiveKeyGroup,
  ActiveKeyHotkey,
  Ok,
  Cancel,
  ControlCount
};

const int kMain = -1;
struct Expected {
  const char *classname;
  DWORD style;
  int parent;  // a Control, or kMain
  int x, y, width, height;
  std::string text;
};
const char kClean[] = "Убрать форматирование в буфере обмена";
const Expected kLayout[ControlCount] = {
    {"button", 0x50000003, kMain, 320, 13, 305, 20, "Активировать горячие клавиши при загрузке"},
    {"button", 0x50000007, kMain, 10, 102, 301, 149,
     "Режим работы (поддерживаемые горячие клавиши)"},
    {"button", 0x50000009, ModeGroup, 10, 16, 285, 20,
     "Alt+V, Alt+Ins - вставить неформатированный текст"},
    {"button", 0x50000009, ModeGroup, 10, 36, 285, 20,
     "Ctrl+V, Shift+Ins (обычная вставка - Alt+V, Alt+Ins)"},
    {"button", 0x50000009, ModeGroup, 10, 56, 285, 20, "Вставить неформатированный текст"},
    {"msctls_hotkey32", 0x50000000, ModeGroup, 110, 76, 180, 22, ""},
    {"button", 0x50000009, ModeGroup, 10, 96, 285, 20, kClean},
    {"msctls_hotkey32", 0x50000000, ModeGroup, 110, 116, 180, 22, ""},
    {"button", 0x50000007, kMain, 10, 30, 301, 62, "Реакция на клик по иконке"},
    {"button", 0x50000009, IconGroup, 10, 16, 285, 20, kClean},
    {"button", 0x50000009, IconGroup, 10, 36, 285, 20,
     "Активировать / деактивировать горячие клавиши"},
    {"button", 0x50000007, kMain, 320, 103, 301, 148, "Устранение проблем с кодировкой"},
    {"button", 0x50000009, CpGroup, 10, 16, 285, 20, "Сохранять кодировку Unicode"},
    {"button", 0x50000009, CpGroup, 10, 36, 285, 20, "Не устанавливать кодировку (Windows 98/ME)"},
    {"button", 0x50000009, CpGroup, 10, 56, 285, 20, "Определять по языку ввода при копировании"},
    {"button", 0x50000009, CpGroup, 10, 76, 285, 20,
     "Определять по языку ввода при вставке / очистке"},
    {"button", 0x50000009, CpGroup, 10, 96, 285, 20, "Устанавливать кодировку в"},
    {"combobox", 0x50200003, CpGroup, 40, 116, 250, 80, ""},
    {"button", 0x50000007, kMain, 320, 40, 301, 53, "Комбинация клавиш активации - деактивации"},
    {"msctls_hotkey32", 0x50000000, ActiveKeyGroup, 10, 20, 180, 22, ""},
    {"button", 0x50000000, kMain, 230, 264, 80, 24, "OK"},
    {"button", 0x50000000, kMain, 320, 264, 80, 24, "Отмена"},
};

HKL Layout(DWORD value) { return reinterpret_cast<HKL>(std::uintptr_t(value)); }

void Store(const std::map<std::string, DWORD> &values) {
  for (const auto &v : values) winsim::SetRegistryDword(kSettingsKey, v.first, v.second);
}

DWORD Stored(const char *name) { return winsim::RegistryDword(kSettingsKey, name).value_or(~0u); }

bool HasHotkey(int id) {
  for (const auto &h : winsim::Hotkeys())
    if (h.id == id && !h.foreign) return true;
  return false;
}

// "id mods vk" of each hotkey the program holds, sorted: the set, whatever
// the order of registration.
std::vector<std::string> OwnHotkeys() {
  std::vector<std::string> own;
  for (const auto &h : winsim::Hotkeys())
    if (!h.foreign) own.push_back(std::to_string(h.id) + " " + Hex(h.modifiers) + " " + Hex(h.vk));
  std::sort(own.begin(), own.end());
  return own;
}

winsim::HotkeyInfo HotkeyOf(int id) {
  for (const auto &h : winsim::Hotkeys())
    if (h.id == id && !h.foreign) return h;
  return {};
}
}  // namespace

class SettingsPageTest : public ProgramTest {
 protected:
  // The user opens the settings from the tray icon's menu.
  static void OpenSettings() {
    winsim::Script([] {
      winsim::ChooseMenuItem(SettingsCommandId);
      winsim::ClickTrayIcon(TrayIconId, WM_RBUTTONDOWN);
    });
  }
  // The live controls of the page, in order of creation.
  static std::vector<HWND> Page() { return winsim::Descendants(Main()); }
  static HWND The(Control c) {
    auto page = Page();
    return page.size() == ControlCount ? page[c] : NULL;
  }
  static void Click(Control c) { EXPECT_TRUE(winsim::Click(The(c))) << c; }
  static std::vector<Control> Checked() {
    std::vector<Control> checked;
    auto page = Page();
    for (size_t i = 0; i < page.size(); ++i)
      if (winsim::Control(page[i]).checked) checked.push_back(Control(i));
    return checked;
  }
  // Opens the page with these stored settings and gives what it shows to `check`.
  void Shown(const std::map<std::string, DWORD> &settings, std::function<void()> check) {
    winsim::Reset();
    Store(settings);
    OpenSettings();
    WhileRunning(std::move(check));
    Run();
  }
};

// --- what the page looks like -------------------------------------------------

// Every number of the table, and the window's size, at the system's DPI: a
// DPI that cannot be read, or one below 96, counts as 96. On a 1024 x 768
// screen the window is centred for its new size.
TEST_F(SettingsPageTest, BuildsTheTwentyTwoControlsOfTheTableWithOneFontAtTheSystemsDpi) {
  const struct {
    int screen, page;
    bool unreadable;
  } dpis[] = {{96, 96, false},   {120, 120, false}, {144, 144, false},
              {192, 192, false}, {72, 96, false},   {144, 96, true}};
  for (const auto &d : dpis) {
    SCOPED_TRACE(d.screen);
    winsim::Reset();
    winsim::SetScreenDpi(d.screen);
    if (d.unreadable) winsim::FailNext("GetDC");
    OpenSettings();
    const int dpi = d.page;
    auto at = [dpi](int pixels) { return MulDiv(pixels, dpi, 96); };
    WhileRunning([&] {
      auto page = Page();
      ASSERT_EQ(page.size(), size_t(ControlCount));
      HFONT font = winsim::Control(page[0]).font;
      for (int i = 0; i < ControlCount; ++i) {
        SCOPED_TRACE(i);
        auto w = winsim::Window(page[i]);
        const Expected &e = kLayout[i];
        EXPECT_EQ(w.classname, e.classname);
        EXPECT_EQ(w.style, e.style);
        EXPECT_EQ(w.exstyle, 0u);
        EXPECT_EQ(w.parent, e.parent == kMain ? Main() : page[e.parent]);
        EXPECT_EQ((std::vector<int>{w.x, w.y, w.width, w.height}),
                  (std::vector<int>{at(e.x), at(e.y), at(e.width), at(e.height)}));
        EXPECT_EQ(w.title, e.text);
        EXPECT_TRUE(w.visible);
        EXPECT_EQ(winsim::Control(page[i]).font, font);
      }
      auto f = winsim::Font(font);
      EXPECT_EQ(f.height, at(-11));
      EXPECT_EQ(f.weight, FW_NORMAL);
      EXPECT_EQ(f.charset, DWORD(DEFAULT_CHARSET));
      EXPECT_EQ(f.italic + f.underline + f.strikeout, 0u);
      EXPECT_EQ(f.face, "MS Sans Serif");
      auto main = winsim::Window(Main());
      EXPECT_TRUE(main.visible);
      EXPECT_EQ((std::vector<int>{main.x, main.y, main.width, main.height}),
                (std::vector<int>{(1024 - at(636)) / 2, (768 - at(320)) / 2, at(636), at(320)}));
    });
    Run();
  }
  EXPECT_TRUE(
      InOrder(winsim::Timeline(),
              {"dispatch WM_COMMAND(Tamsel, 0x2, 0x0)", "send CB_SETCURSEL(combobox, 0x0, 0x0)",
               "UpdateWindow(Tamsel) = 1", "ShowWindow(Tamsel, 5) = 0"}));
}

// Only the page needs the common controls: loaded when it opens, not at start.
TEST_F(SettingsPageTest, TheCommonControlsAreLoadedOnlyWhenThePageOpens) {
  winsim::Script([] { EXPECT_EQ(Count(winsim::Timeline(), "LoadLibraryA"), 0); });
  for (int i = 0; i < 2; ++i) {
    OpenSettings();
    winsim::Script([] { Click(Cancel); });
  }
  ThenQuit();
  Run();
  EXPECT_EQ(Count(winsim::Timeline(), "InitCommonControlsEx(size 8, 0x40) = 1"), 2);
  EXPECT_TRUE(
      InOrder(winsim::Timeline(),
              {"dispatch WM_COMMAND(Tamsel, 0x2, 0x0)", "LoadLibraryA(\"comctl32.dll\") = comctl32",
               "GetProcAddress(comctl32, \"InitCommonControlsEx\") = InitCommonControlsEx",
               "InitCommonControlsEx(size 8, 0x40) = 1"}));
}

// Without the library the page has no hotkey controls; OK keeps the hotkeys.
TEST_F(SettingsPageTest, WithoutTheCommonControlsOkKeepsTheHotkeys) {
  Store({{"activekey", 0x0351}});
  winsim::FailNext("LoadLibraryA");
  OpenSettings();
  winsim::Script([] {
    EXPECT_EQ(Page().size(), size_t(ControlCount - 3));
    EXPECT_TRUE(winsim::Click(winsim::FindControl(Main(), "button", "OK")));
  });
  ThenQuit();
  Run();
  EXPECT_EQ(Stored("activekey"), 0x0351u);
  EXPECT_EQ(Stored("keycp"), 0x0C2Du);
  EXPECT_EQ(Stored("keycc"), 0x0244u);
  EXPECT_EQ(keycpmods, MOD_ALT);
}

TEST_F(SettingsPageTest, DefaultSettingsShowTheirButtonsHotkeysAndTheUsersLanguage) {
  OpenSettings();
  WhileRunning([] {
    EXPECT_EQ(Checked(), (std::vector<Control>{ActiveCheck, ModeKeyCp, IconToggle, CpUser}));
    EXPECT_EQ(winsim::Control(The(ActiveKeyHotkey)).hotkey, 0);
    EXPECT_EQ(winsim::Control(The(KeyCpHotkey)).hotkey, 0x0C2D);
    EXPECT_EQ(winsim::Control(The(KeyCcHotkey)).hotkey, 0x0244);
    for (Control c : {ActiveKeyHotkey, KeyCpHotkey, KeyCcHotkey}) {
      EXPECT_EQ(winsim::Control(The(c)).invalidcombinations, WPARAM(HKCOMB_NONE));
      EXPECT_EQ(winsim::Control(The(c)).defaultmodifiers, 0);
    }
    auto combo = winsim::Control(The(Combo));
    EXPECT_EQ(combo.rows, (std::vector<std::string>{"Русский", "Английский (США)"}));
    EXPECT_EQ(combo.selection, 0);
  });
  Run();
  EXPECT_TRUE(InOrder(winsim::Timeline(), {"GetKeyboardLayoutList(64) = 2",
                                           "GetLocaleInfoA(0x419, 0x40000002, 256) = 8",
                                           "GetLocaleInfoA(0x409, 0x40000002, 256) = 17"}));
}

TEST_F(SettingsPageTest, EachModeValueChecksItsButtonAndUnknownModesTheAltKeys) {
  const std::map<DWORD, Control> modes = {{0, ModeAlt},   {1, ModeAlt}, {2, ModeCtrl},
                                          {3, ModeAlt},   {4, ModeAlt}, {5, ModeKeyCp},
                                          {6, ModeKeyCc}, {7, ModeAlt}, {255, ModeAlt}};
  for (const auto &[mode, button] : modes) {
    SCOPED_TRACE(mode);
    Shown({{"hookkey", mode}, {"active", 0}}, [button = button] {
      EXPECT_EQ(Checked(), (std::vector<Control>{button, IconToggle, CpUser}));
    });
  }
}

TEST_F(SettingsPageTest, EachCodePageValueChecksItsButtonAndOthersUnicode) {
  const std::map<DWORD, Control> codepages = {{0, CpUnicode},  {1, CpNone}, {2, CpCopy},
                                              {3, CpPaste},    {4, CpUser}, {5, CpUnicode},
                                              {200, CpUnicode}};
  for (const auto &[value, button] : codepages) {
    SCOPED_TRACE(value);
    Shown({{"codepage", value}, {"iconclick", 0}, {"hookkey", 1}}, [button = button] {
      EXPECT_EQ(Checked(), (std::vector<Control>{ActiveCheck, ModeAlt, IconClean, button}));
    });
  }
}

// --- the language list --------------------------------------------------------

TEST_F(SettingsPageTest, OnlyTheFirstSixteenLayoutsAreListedAndAnotherUsersLanguageAdded) {
  std::vector<HKL> layouts;
  for (DWORD language = 0x0401; language <= 0x0414; ++language)
    layouts.push_back(Layout(0x04090000 | language));
  winsim::SetInstalledLayouts(layouts);
  winsim::SetLanguageName(0x0412, "Корейский");
  Store({{"usercodepage", 0x0412}});  // the 18th layout's language
  OpenSettings();
  WhileRunning([] {
    auto combo = winsim::Control(The(Combo));
    ASSERT_EQ(combo.rows.size(), 17u);
    EXPECT_EQ(combo.rows[0], "0401");  // a language without a name shows its number
    EXPECT_EQ(combo.rows[6], "Немецкий (Германия)");
    EXPECT_EQ(combo.rows[8], "Английский (США)");
    EXPECT_EQ(combo.rows[15], "0410");
    EXPECT_EQ(combo.rows[16], "Корейский");
    EXPECT_EQ(combo.selection, 16);
  });
  Run();
}

TEST_F(SettingsPageTest, ALanguageWithoutLayoutIsTheLastRowSelectedAndSurvivesOk) {
  Store({{"usercodepage", 0x0422}});
  OpenSettings();
  winsim::Script([] {
    auto combo = winsim::Control(The(Combo));
    EXPECT_EQ(combo.rows, (std::vector<std::string>{"Русский", "Английский (США)", "Украинский"}));
    EXPECT_EQ(combo.selection, 2);
    Click(Ok);
  });
  ThenQuit();
  Run();
  EXPECT_EQ(Stored("usercodepage"), 0x0422u);
}

TEST_F(SettingsPageTest, TwoLayoutsOfTheUsersLanguageSelectTheSecond) {
  winsim::SetInstalledLayouts({Layout(0x04190419), Layout(0x04090409), Layout(0xF0080419)});
  OpenSettings();
  WhileRunning([] {
    auto combo = winsim::Control(The(Combo));
    EXPECT_EQ(combo.rows, (std::vector<std::string>{"Русский", "Английский (США)", "Русский"}));
    EXPECT_EQ(combo.selection, 2);
  });
  Run();
}

TEST_F(SettingsPageTest, NoLayoutsListOnlyTheUsersLanguage) {
  winsim::SetInstalledLayouts({});
  OpenSettings();
  WhileRunning([] {
    auto combo = winsim::Control(The(Combo));
    EXPECT_EQ(combo.rows, (std::vector<std::string>{"Русский"}));
    EXPECT_EQ(combo.selection, 0);
  });
  Run();
}

TEST_F(SettingsPageTest, ThePickedRowsLanguageIsStored) {
  winsim::SetInstalledLayouts({Layout(0x04190419), Layout(0x04220422), Layout(0x04090409)});
  OpenSettings();
  winsim::Script([] {
    EXPECT_TRUE(winsim::PickRow(The(Combo), 1));
    Click(Ok);
  });
  ThenQuit();
  Run();
  EXPECT_EQ(Stored("usercodepage"), 0x0422u);
  EXPECT_EQ(usercodepage, 0x0422u);
}

// --- OK -------------------------------------------------------------------------

TEST_F(SettingsPageTest, OkOnAnUnchangedPageStoresTheNormalisedSettings) {
  Store({{"hookkey", 7},
         {"codepage", 9},
         {"usercodepage", 0x0407},
         {"activekey", 0x0351},
         {"keycp", 0x0C2D},
         {"keycc", 0x0244}});
  // Flags that only a damaged store could give; a stored one reads as 0 or 1.
  winsim::Script([] { active = 7, iconclick = 3; });
  OpenSettings();
  winsim::Script([] { Click(Ok); });
  ThenQuit();
  Run();
  const std::map<std::string, DWORD> expected = {
      {"active", 1},     {"hookkey", 1},           {"codepage", 0},
      {"iconclick", 1},  {"usercodepage", 0x0407}, {"activekey", 0x0351},
      {"keycp", 0x0C2D}, {"keycc", 0x0244}};
  for (const auto &[name, value] : expected) EXPECT_EQ(Stored(name.c_str()), value) << name;
  EXPECT_FALSE(winsim::Window(Main()).visible);
}

TEST_F(SettingsPageTest, OkHidesReadsDestroysSavesAndRegistersInThatOrder) {
  Store({{"activekey", 0x0351}});
  OpenSettings();
  winsim::Script([] { Click(Ok); });
  ThenQuit();
  Run();
  EXPECT_TRUE(InOrder(winsim::Timeline(),
                      {"ShowWindow(Tamsel, 0) = 1", "send BM_GETCHECK(button, 0x0, 0x0)",
                       "send HKM_GETHOTKEY(msctls_hotkey32#2, 0x0, 0x0)",
                       "DestroyWindow(button#18)", "DestroyWindow(button)",
                       "RegSetValueExA(HKCU\\Software\\Tamsel, \"active\", REG_DWORD, 0x1) = 0",
                       "UnregisterHotKey(Tamsel, 8) = 0", "UnregisterHotKey(Tamsel, 1) = 0",
                       "UnregisterHotKey(Tamsel, 9) = 0", "send WM_HOTKEY(Tamsel, 0x9, 0x0)",
                       "RegisterHotKey(Tamsel, 9, 0x6, 0x51) = 1"}));
}

TEST_F(SettingsPageTest, OkWhileInactiveStaysInactiveEvenWithStartUpActivationChecked) {
  Store({{"active", 0}, {"hookkey", 1}});
  OpenSettings();
  winsim::Script([] {
    Click(ActiveCheck);
    Click(Ok);
  });
  WhileRunning([] {
    for (int id : {1, 2, 3, 4, 7, 8}) EXPECT_FALSE(HasHotkey(id)) << id;
    auto items = winsim::MenuItems(traymenu);
    EXPECT_EQ(winsim::IconName(winsim::TrayIcons().at(0).icon), "MAINICON2");
    bool activatelabel = false;
    for (const auto &item : items) activatelabel |= item.text == "&Активировать";
    EXPECT_TRUE(activatelabel);
  });
  Run();
  EXPECT_EQ(Stored("active"), 1u);
}

TEST_F(SettingsPageTest, OkWhileActiveSwapsTheHotkeysOfTheNewMode) {
  Store({{"active", 1}, {"hookkey", 2}});
  winsim::Script([] { EXPECT_TRUE(HasHotkey(1) && HasHotkey(2)); });
  OpenSettings();
  winsim::Script([] {
    Click(ModeAlt);
    Click(Ok);
  });
  WhileRunning([] {
    EXPECT_FALSE(HasHotkey(1));
    EXPECT_FALSE(HasHotkey(2));
    EXPECT_EQ(HotkeyOf(3).vk, UINT('V'));
    EXPECT_EQ(HotkeyOf(4).vk, UINT(VK_INSERT));
    EXPECT_EQ(winsim::IconName(winsim::TrayIcons().at(0).icon), "MAINICON");
  });
  Run();
  EXPECT_EQ(Stored("hookkey"), 1u);
}

TEST_F(SettingsPageTest, AClearedActivationHotkeyIsUnregisteredButTheMenuStillToggles) {
  Store({{"activekey", 0x0351}, {"hookkey", 1}});
  winsim::Script([] { EXPECT_EQ(HotkeyOf(9).vk, 0x51u); });
  OpenSettings();
  winsim::Script([] {
    EXPECT_TRUE(winsim::TypeHotkey(The(ActiveKeyHotkey), 0));
    Click(Ok);
  });
  winsim::Script([] {
    EXPECT_FALSE(HasHotkey(9));
    EXPECT_TRUE(HasHotkey(3));
    SendMessageA(Main(), WM_COMMAND, ActivationCommandId, 0);
  });
  WhileRunning([] {
    EXPECT_FALSE(HasHotkey(3));
    EXPECT_FALSE(HasHotkey(9));
  });
  Run();
  EXPECT_EQ(Stored("activekey"), 0u);
  EXPECT_EQ(activekeymods, 0);
}

TEST_F(SettingsPageTest, TypedHotkeysAreStoredWholeAndRegisteredWithTheirModifiers) {
  Store({{"hookkey", 5}});
  OpenSettings();
  winsim::Script([] {
    EXPECT_TRUE(winsim::TypeHotkey(The(KeyCpHotkey), 0x0C2D));      // Alt+Insert
    EXPECT_TRUE(winsim::TypeHotkey(The(KeyCcHotkey), 0x0244));      // Ctrl+D
    EXPECT_TRUE(winsim::TypeHotkey(The(ActiveKeyHotkey), 0x0641));  // Ctrl+Alt+A
    Click(Ok);
  });
  WhileRunning([] {
    EXPECT_EQ(HotkeyOf(7).modifiers, UINT(MOD_ALT));
    EXPECT_EQ(HotkeyOf(7).vk, UINT(VK_INSERT));
    EXPECT_EQ(HotkeyOf(9).modifiers, UINT(MOD_CONTROL | MOD_ALT));
  });
  Run();
  EXPECT_EQ(Stored("keycp"), 0x0C2Du);
  EXPECT_EQ(Stored("keycc"), 0x0244u);
  EXPECT_EQ(Stored("activekey"), 0x0641u);
  EXPECT_EQ(keycpmods, MOD_ALT);
  EXPECT_EQ(keyccmods, MOD_CONTROL);
  EXPECT_EQ(activekeymods, MOD_CONTROL | MOD_ALT);
}

TEST_F(SettingsPageTest, AShiftCombinationGivesTheShiftModifier) {
  OpenSettings();
  winsim::Script([] {
    EXPECT_TRUE(winsim::TypeHotkey(The(KeyCcHotkey), 0x0141));  // Shift+A
    Click(ModeKeyCc);
    Click(Ok);
  });
  WhileRunning([] {
    EXPECT_EQ(HotkeyOf(8).modifiers, UINT(MOD_SHIFT));
    EXPECT_EQ(HotkeyOf(8).vk, 0x41u);
    EXPECT_FALSE(HasHotkey(7));
  });
  Run();
  EXPECT_EQ(Stored("hookkey"), 6u);
  EXPECT_EQ(keyccmods, MOD_SHIFT);
}

// --- Cancel and reopening -------------------------------------------------------

TEST_F(SettingsPageTest, CancelKeepsTheSettingsDestroysThePageAndReopeningShowsTheStoredOnes) {
  std::vector<HWND> first;
  OpenSettings();
  winsim::Script([&first] {
    first = Page();
    Click(ModeAlt);
    Click(CpNone);
    Click(IconClean);
    Click(ActiveCheck);
    EXPECT_TRUE(winsim::TypeHotkey(The(KeyCpHotkey), 0x0641));
    EXPECT_TRUE(winsim::PickRow(The(Combo), 1));
    winsim::ClearTimeline();
    Click(Cancel);
  });
  winsim::Script([&first] {
    EXPECT_EQ(Count(winsim::Timeline(), "RegSetValueExA"), 0);
    EXPECT_FALSE(winsim::Window(Main()).visible);
    for (HWND control : first) EXPECT_TRUE(winsim::Window(control).destroyed);
    EXPECT_TRUE(Page().empty());
    EXPECT_EQ(hookkey, 5);
    EXPECT_EQ(keycp, 0x0C2D);
    EXPECT_EQ(usercodepage, 0x0419u);
  });
  OpenSettings();
  WhileRunning([] {
    EXPECT_EQ(Checked(), (std::vector<Control>{ActiveCheck, ModeKeyCp, IconToggle, CpUser}));
    EXPECT_EQ(winsim::Control(The(KeyCpHotkey)).hotkey, 0x0C2D);
    EXPECT_EQ(winsim::Control(The(Combo)).selection, 0);
  });
  Run();
  EXPECT_EQ(Stored("hookkey"), 5u);
}

// A hotkey field must get every combination, the program's own too: while
// the page is open none is registered, whatever the mode, the toggles or a
// paste hotkey still queued (whose Ctrl+V guard would register its own key
// again); Cancel registers what the state and the stored settings ask for,
// and quitting with the page open leaves nothing registered.
TEST_F(SettingsPageTest, WhileThePageIsOpenNoHotkeyIsRegisteredAndCancelRegistersTheStateAgain) {
  struct Case {
    DWORD mode, keycp, activekey;
    WPARAM queued;  // a paste hotkey of the mode
    int toggles;
  };
  const Case cases[] = {{ModeAltKeys, 0x0C2D, 0x0256, AltVHotkeyId, 2},  // Ctrl+V switches
                        {ModeStandardKeys, 0x0C2D, 0x0351, CtrlVHotkeyId, 2},
                        {ModeUserPaste, 0x0256, 0x0351, UserPasteHotkeyId, 2},
                        {ModeUserClean, 0x0C2D, 0x0351, UserCleanHotkeyId, 1}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.mode);
    winsim::Reset();
    Store({{"hookkey", c.mode}, {"keycp", c.keycp}, {"activekey", c.activekey}});
    std::vector<std::string> before;
    winsim::Script([&] {
      before = OwnHotkeys();
      EXPECT_EQ(before.size(), c.mode == ModeStandardKeys ? 5u : c.mode == ModeAltKeys ? 3u : 2u);
    });
    OpenSettings();
    winsim::Script([&] {
      EXPECT_THAT(OwnHotkeys(), ::testing::IsEmpty());
      for (int i = 0; i < c.toggles; ++i) SendMessageA(Main(), WM_COMMAND, ActivationCommandId, 0);
      EXPECT_THAT(OwnHotkeys(), ::testing::IsEmpty());
      PostMessageA(Main(), WM_HOTKEY, c.queued, 0);
    });
    winsim::Script([&] {
      EXPECT_THAT(OwnHotkeys(), ::testing::IsEmpty());
      EXPECT_EQ(hotkeysactive, c.toggles % 2 ? 0 : 1);
      EXPECT_EQ(winsim::IconName(winsim::TrayIcons().at(0).icon),
                c.toggles % 2 ? "MAINICON2" : "MAINICON");
      Click(Cancel);
    });
    WhileRunning([&] {
      EXPECT_EQ(OwnHotkeys(), c.toggles % 2 ? std::vector<std::string>{before.back()} : before);
    });
    Run();
    EXPECT_EQ(Count(winsim::Timeline(), "dispatch WM_HOTKEY(Tamsel, " + Hex(c.queued)), 1);
  }
  winsim::Reset();
  Store({{"activekey", 0x0351}});
  OpenSettings();
  ThenQuit();
  EXPECT_EQ(Run(), 0);
  EXPECT_THAT(OwnHotkeys(), ::testing::IsEmpty());
}

// Any program can post the old buttons' handles once the page has closed, by
// OK or by Cancel: nothing is read, saved or registered then.
TEST_F(SettingsPageTest, CommandsFromTheButtonsOfAClosedPageChangeNothing) {
  for (Control close : {Cancel, Ok}) {
    SCOPED_TRACE(close);
    winsim::Reset();
    static HWND ok, cancel;
    OpenSettings();
    winsim::Script([close] {
      ok = The(Ok);
      cancel = The(Cancel);
      Click(close);
    });
    winsim::Script([] {
      winsim::ClearTimeline();
      for (HWND button : {ok, cancel, ok})
        winsim::PostFromOtherProcess(Main(), WM_COMMAND, 0, reinterpret_cast<LPARAM>(button));
    });
    WhileRunning([] {
      EXPECT_EQ(Count(winsim::Timeline(), "dispatch WM_COMMAND"), 3);
      for (const char *call : {"RegSetValueExA", "RegisterHotKey", "UnregisterHotKey", "ShowWindow",
                               "DestroyWindow", "send BM_GETCHECK"})
        EXPECT_EQ(Count(winsim::Timeline(), call), 0) << call;
      EXPECT_EQ(hookkey, 5);
      EXPECT_EQ(keycp, 0x0C2D);
      EXPECT_EQ(active, 1);
    });
    Run();
    EXPECT_EQ(Stored("hookkey"), 5u);
    EXPECT_EQ(Stored("keycc"), 0x0244u);
  }
}

TEST_F(SettingsPageTest, TheControlsAreDestroyedChildrenBeforeTheirGroupBox) {
  OpenSettings();
  winsim::Script([] {
    winsim::ClearTimeline();
    Click(Cancel);
  });
  ThenQuit();
  Run();
  std::vector<std::string> destroyed;
  for (const auto &t : winsim::Timeline())
    if (t.rfind("DestroyWindow(", 0) == 0) destroyed.push_back(t);
  EXPECT_EQ(destroyed, (std::vector<std::string>{
                           "DestroyWindow(button#18)",         "DestroyWindow(button#17)",
                           "DestroyWindow(msctls_hotkey32#3)", "DestroyWindow(button#16)",
                           "DestroyWindow(combobox)",          "DestroyWindow(button#11)",
                           "DestroyWindow(button#12)",         "DestroyWindow(button#13)",
                           "DestroyWindow(button#14)",         "DestroyWindow(button#15)",
                           "DestroyWindow(button#10)",         "DestroyWindow(button#8)",
                           "DestroyWindow(button#9)",          "DestroyWindow(button#7)",
                           "DestroyWindow(button#3)",          "DestroyWindow(button#4)",
                           "DestroyWindow(button#5)",          "DestroyWindow(msctls_hotkey32)",
                           "DestroyWindow(button#6)",          "DestroyWindow(msctls_hotkey32#2)",
                           "DestroyWindow(button#2)",          "DestroyWindow(button)"}));
}

TEST_F(SettingsPageTest, EachOpeningsFontIsReleasedWithItsControls) {
  for (int i = 0; i < 3; ++i) {
    OpenSettings();
    winsim::Script([i] { Click(i % 2 ? Ok : Cancel); });
  }
  ThenQuit();
  Run();
  EXPECT_EQ(Count(winsim::Timeline(), "CreateFontA("), 3);
  EXPECT_EQ(Count(winsim::Timeline(), "DeleteObject(font"), 3);
  EXPECT_EQ(winsim::LiveFonts(), 0);
  EXPECT_TRUE(InOrder(winsim::Timeline(), {"DestroyWindow(button)", "DeleteObject(font3) = 1"}));
}

// A resident program opens its page many times a day: GDI objects it loses
// pile up until the system refuses it more.
TEST_F(SettingsPageTest, FiftyOpeningsWithOkAndCancelHoldNoMoreFontsOrMenusThanOne) {
  typedef std::pair<int, int> Live;  // fonts, menus
  auto live = [] { return Live(winsim::LiveFonts(), winsim::LiveMenus()); };
  Live firstopen, lastopen, afterfirst;
  for (int i = 0; i < 50; ++i) {
    OpenSettings();
    winsim::Script([&, i] {
      (i == 0 ? firstopen : lastopen) = live();
      Click(i % 2 ? Cancel : Ok);
    });
    if (i == 0) winsim::Script([&] { afterfirst = live(); });
  }
  WhileRunning([&] { EXPECT_EQ(live(), afterfirst); });
  Run();
  EXPECT_EQ(afterfirst, Live(0, 1));  // the tray menu stays
  EXPECT_EQ(lastopen, firstopen);
}

TEST_F(SettingsPageTest, SettingsWhileOpenOnlyBringsThePageToTheForeground) {
  OpenSettings();
  winsim::Script([] {
    Click(CpNone);
    winsim::SetForeground(NULL);
    winsim::ClearTimeline();
  });
  OpenSettings();
  WhileRunning([] {
    EXPECT_EQ(Count(winsim::Timeline(), "CreateWindowExA"), 0);
    EXPECT_TRUE(InOrder(winsim::Timeline(), {"dispatch WM_COMMAND(Tamsel, 0x2, 0x0)",
                                             "SetForegroundWindow(Tamsel) = 1"}));
    EXPECT_EQ(winsim::Foreground(), Main());
    EXPECT_EQ(Checked(), (std::vector<Control>{ActiveCheck, ModeKeyCp, IconToggle, CpNone}));
  });
  Run();
}

TEST_F(SettingsPageTest, ClicksOnOtherControlsChangeNothingUntilOk) {
  OpenSettings();
  WhileRunning([] {
    HWND check = The(ActiveCheck);
    std::string command =
        "WM_COMMAND(Tamsel, 0x0, " + Hex(reinterpret_cast<std::uintptr_t>(check)) + ")";
    winsim::ClearTimeline();
    EXPECT_TRUE(winsim::Click(check));
    EXPECT_EQ(winsim::Timeline(),
              (std::vector<std::string>{
                  "user clicks button \"Активировать горячие клавиши при загрузке\"",
                  "send " + command, "DefWindowProcA " + command}));
    Click(ModeCtrl);
    EXPECT_TRUE(winsim::Window(Main()).visible);
    EXPECT_EQ(Page().size(), size_t(ControlCount));
    EXPECT_EQ(active, 1);
    EXPECT_EQ(hookkey, 5);
    EXPECT_EQ(Checked(), (std::vector<Control>{ModeCtrl, IconToggle, CpUser}));
  });
  Run();
}
