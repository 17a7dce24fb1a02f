// The tray icon's record and the popup menu as the program builds them, and
// how activation changes them.
#include "app/iconca.h"
#include "paste/activation.h"
#include "program_test.h"
#include "settings/settings.h"

#include <shellapi.h>

using TrayTest = ProgramTest;

TEST_F(TrayTest, IconRecordUsesTheFirstLayout) {
  WhileRunning([] {
    auto icons = winsim::TrayIcons();
    ASSERT_EQ(icons.size(), 1u);
    EXPECT_EQ(icons[0].cbsize, NOTIFYICONDATAA_V1_SIZE);
    EXPECT_EQ(icons[0].window, Main());
    EXPECT_EQ(icons[0].id, 12u);
    EXPECT_EQ(icons[0].flags, 7u);
    EXPECT_EQ(icons[0].callback, 0x440u);
    EXPECT_EQ(icons[0].tip, "Tamsel");
    EXPECT_EQ(winsim::IconName(icons[0].icon), "MAINICON");
  });
  Run();
}

TEST_F(TrayTest, MenuHoldsFourCommandsBetweenSeparators) {
  WhileRunning([] {
    auto items = winsim::MenuItems(traymenu);
    ASSERT_EQ(items.size(), 7u);
    const UINT_PTR ids[] = {6, 1, 2, 7, 3, 4, 5};
    const char *labels[] = {"&О программе...", "", "&Параметры...", "",
                            "Де&активировать", "", "&Закрыть"};
    for (size_t i = 0; i < items.size(); ++i) {
      EXPECT_EQ(items[i].id, ids[i]) << i;
      EXPECT_EQ(items[i].text, labels[i]) << i;
      EXPECT_EQ(items[i].flags, i % 2 ? static_cast<UINT>(MF_SEPARATOR) : 0u) << i;
    }
  });
  Run();
}

TEST_F(TrayTest, ToggleSwapsIconAndLabelAndTwoTogglesRestoreThem) {
  WhileRunning([] {
    SendMessageA(Main(), WM_COMMAND, ActivationCommandId, 0);
    EXPECT_EQ(hotkeysactive, 0);
    EXPECT_EQ(winsim::IconName(winsim::TrayIcons()[0].icon), "MAINICON2");
    EXPECT_EQ(winsim::MenuItems(traymenu)[4].text, "&Активировать");
    EXPECT_EQ(winsim::MenuItems(traymenu)[4].id, 3u);
    EXPECT_EQ(winsim::TrayIcons()[0].tip, "Tamsel");
    SendMessageA(Main(), WM_COMMAND, ActivationCommandId, 0);
    EXPECT_EQ(hotkeysactive, 1);
    EXPECT_EQ(winsim::IconName(winsim::TrayIcons()[0].icon), "MAINICON");
    EXPECT_EQ(winsim::MenuItems(traymenu)[4].text, "Де&активировать");
    EXPECT_EQ(winsim::TrayIcons()[0].tip, "Tamsel");
  });
  Run();
}

TEST_F(TrayTest, LeftClickTogglesWhenIconClickIsSet) {
  winsim::Script([] {
    ASSERT_EQ(iconclick, 1);
    winsim::ClickTrayIcon(12, WM_LBUTTONDOWN);
  });
  WhileRunning([] { EXPECT_EQ(hotkeysactive, 0); });
  Run();
  EXPECT_TRUE(InOrder(winsim::Timeline(),
                      {"dispatch 0x440(Tamsel, 0xc, 0x201)", "send WM_HOTKEY(Tamsel, 0x9, 0x0)",
                       "UnregisterHotKey(Tamsel, 7) = 1"}));
}

TEST_F(TrayTest, MenuChoiceArrivesAsCommand) {
  winsim::ChooseMenuItem(ActivationCommandId);
  winsim::Script([] { winsim::ClickTrayIcon(12, WM_RBUTTONDOWN); });
  WhileRunning([] { EXPECT_EQ(hotkeysactive, 0); });
  Run();
  EXPECT_TRUE(InOrder(winsim::Timeline(),
                      {"post WM_COMMAND(Tamsel, 0x3, 0x0)", "dispatch WM_COMMAND(Tamsel, 0x3, 0x0)",
                       "send WM_HOTKEY(Tamsel, 0x9, 0x0)"}));
}
