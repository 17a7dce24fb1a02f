// winsim's standard controls, fonts, language names and layout list behave
// as the system's do.
#include <commctrl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include "winsim.h"
#include "winsim_case.h"
#include "winsim_controls.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {
class WinsimControls : public ::testing::Test {
 protected:
  void SetUp() override {
    window = FreshSystemWithWindow(300);
    ShowWindow(window, SW_SHOW);
  }
  HWND Child(const char *classname, DWORD style, HWND parent = NULL, const char *text = "") {
    return CreateWindowExA(0, classname, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10,
                           parent ? parent : window, NULL, NULL, NULL);
  }
  static bool Checked(HWND button) {
    return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  HWND window = NULL;
};

TEST_F(WinsimControls, TheHotkeyClassExistsOnlyOnceCommonControlsRegisteredIt) {
  EXPECT_EQ(Child(HOTKEY_CLASSA, 0), nullptr);
  INITCOMMONCONTROLSEX wrongsize = {4, ICC_HOTKEY_CLASS};
  EXPECT_FALSE(InitCommonControlsEx(&wrongsize));
  EXPECT_EQ(Child(HOTKEY_CLASSA, 0), nullptr);
  INITCOMMONCONTROLSEX init = {sizeof init, ICC_HOTKEY_CLASS};
  EXPECT_TRUE(InitCommonControlsEx(&init));
  HWND hotkey = Child(HOTKEY_CLASSA, 0);
  ASSERT_NE(hotkey, nullptr);
  SendMessageA(hotkey, HKM_SETHOTKEY, 0x12345C2D, 0);
  EXPECT_EQ(SendMessageA(hotkey, HKM_GETHOTKEY, 0, 0), 0x5C2D);
}

TEST_F(WinsimControls, AnAutoRadioButtonUnchecksOnlyTheOthersOfItsGroup) {
  HWND box = Child("button", BS_GROUPBOX);
  HWND a = Child("button", BS_AUTORADIOBUTTON, box);
  HWND b = Child("button", BS_AUTORADIOBUTTON, box);
  HWND c = Child("button", BS_AUTORADIOBUTTON | WS_GROUP, box);
  HWND other = Child("button", BS_AUTORADIOBUTTON);
  SendMessageA(a, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageA(c, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageA(other, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageA(b, BM_SETCHECK, BST_CHECKED, 0);  // setting a check unchecks nothing
  EXPECT_TRUE(Checked(a) && Checked(b));
  EXPECT_TRUE(winsim::Click(b));
  EXPECT_FALSE(Checked(a));
  EXPECT_TRUE(Checked(b));
  EXPECT_TRUE(Checked(c));
  EXPECT_TRUE(Checked(other));
  EXPECT_FALSE(winsim::Click(box));  // a group box takes no clicks
}

TEST_F(WinsimControls, AClickTellsTheParentAndACheckBoxToggles) {
  HWND check = Child("button", BS_AUTOCHECKBOX);
  EXPECT_TRUE(winsim::Click(check));
  EXPECT_TRUE(Checked(check));
  EXPECT_TRUE(winsim::Click(check));
  EXPECT_FALSE(Checked(check));
  int commands = 0;
  for (const auto &t : winsim::Timeline())
    commands += t.rfind("send WM_COMMAND(Case, 0x0, ", 0) == 0;
  EXPECT_EQ(commands, 2);
  ShowWindow(window, SW_HIDE);
  EXPECT_FALSE(winsim::Click(check));  // a hidden control cannot be clicked
}

TEST_F(WinsimControls, AComboBoxKeepsRowsInOrderAndAnOutOfRangeSelectionClearsIt) {
  HWND combo = Child("combobox", CBS_DROPDOWNLIST);
  EXPECT_EQ(SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("b")), 0);
  EXPECT_EQ(SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("a")), 1);
  EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 1, 0), 1);
  char text[8] = {};
  EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(text)), 1);
  EXPECT_STREQ(text, "a");
  EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 2, 0), CB_ERR);
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_FALSE(winsim::PickRow(combo, 2));
  EXPECT_TRUE(winsim::PickRow(combo, 0));
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 0);
}

TEST_F(WinsimControls, DeletingAFontThatALiveControlUsesIsAViolation) {
  HFONT font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "X");
  HWND button = Child("button", BS_PUSHBUTTON);
  SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
  EXPECT_EQ(SendMessageA(button, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(font));
  EXPECT_EQ(winsim::LiveFonts(), 1);
  EXPECT_TRUE(DeleteObject(font));
  EXPECT_THAT(winsim::Violations(), ElementsAre(HasSubstr("while a control still uses it")));
  EXPECT_FALSE(DeleteObject(font));
  EXPECT_EQ(winsim::LiveFonts(), 0);
}

TEST_F(WinsimControls, LanguageNamesAreGivenOnlyForKnownLocalesIntoABufferLargeEnough) {
  char name[256];
  EXPECT_EQ(GetLocaleInfoA(0x0419, LOCALE_SLANGUAGE, NULL, 0), 8);
  EXPECT_EQ(GetLocaleInfoA(0x0419, LOCALE_SLANGUAGE, name, 256), 8);
  EXPECT_EQ(std::string(name), "Русский");
  EXPECT_EQ(GetLocaleInfoA(0x0419, LOCALE_SLANGUAGE, name, 7), 0);
  EXPECT_EQ(GetLocaleInfoA(0x0499, LOCALE_SLANGUAGE, name, 256), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  winsim::SetLanguageName(0x0419, "");
  EXPECT_EQ(GetLocaleInfoA(0x0419, LOCALE_SLANGUAGE, name, 256), 0);
}

TEST_F(WinsimControls, TheLayoutListCountsOrCopiesWhatFits) {
  HKL layouts[4] = {};
  EXPECT_EQ(GetKeyboardLayoutList(0, NULL), 2);
  EXPECT_EQ(GetKeyboardLayoutList(1, layouts), 1);
  EXPECT_EQ(layouts[0], reinterpret_cast<HKL>(std::uintptr_t(0x04190419)));
  EXPECT_EQ(layouts[1], nullptr);
  EXPECT_EQ(GetKeyboardLayoutList(4, layouts), 2);
  EXPECT_EQ(layouts[1], reinterpret_cast<HKL>(std::uintptr_t(0x04090409)));
  EXPECT_THAT(winsim::Violations(), IsEmpty());
}
}  // namespace
