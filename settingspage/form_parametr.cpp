// The settings page: the controls, what they show, and reading them back.
#include "settingspage/form_parametr.h"

#include <commctrl.h>

#include "app/app.h"
#include "settings/settings.h"

HWND activecheck;
HWND modegroup, modealtradio, modectrlradio, modekeycpradio, keycphotkey, modekeyccradio,
    keycchotkey;
HWND iconclickgroup, iconcleanradio, icontoggleradio;
HWND codepagegroup, cpunicoderadio, cpnoneradio, cpcopyradio, cppasteradio, cpuserradio,
    usercodepagecombo;
HWND activekeygroup, activekeyhotkey;
HWND okbutton, cancelbutton;

DWORD localeids[17];
HFONT pagefont;

namespace {
const char ButtonClass[] = "button";
const char ComboClass[] = "combobox";
const char HotkeyClass[] = "msctls_hotkey32";

const DWORD ChildStyle = WS_CHILD | WS_VISIBLE;
const DWORD CheckBoxStyle = ChildStyle | BS_AUTOCHECKBOX;
const DWORD GroupStyle = ChildStyle | BS_GROUPBOX;
const DWORD RadioStyle = ChildStyle | BS_AUTORADIOBUTTON;
const DWORD PushStyle = ChildStyle | BS_PUSHBUTTON;
const DWORD ComboStyle = ChildStyle | WS_VSCROLL | CBS_DROPDOWNLIST;

const char CleanClipboardText[] = "Убрать форматирование в буфере обмена";

struct ControlLayout {
  HWND *handle;
  const char *classname;
  DWORD style;
  HWND *parent;
  short x, y, width, height;
  const char *text;
};

// In the order of creation; pixels at 96 DPI, positions relative to the
// parent (a group box's whole rectangle).
const ControlLayout controls[] = {
    {&activecheck, ButtonClass, CheckBoxStyle, &mainwindow, 320, 13, 305, 20,
     "Активировать горячие клавиши при загрузке"},
    {&modegroup, ButtonClass, GroupStyle, &mainwindow, 10, 102, 301, 149,
     "Режим работы (поддерживаемые горячие клавиши)"},
    {&modealtradio, ButtonClass, RadioStyle, &modegroup, 10, 16, 285, 20,
     "Alt+V, Alt+Ins - вставить неформатированный текст"},
    {&modectrlradio, ButtonClass, RadioStyle, &modegroup, 10, 36, 285, 20,
     "Ctrl+V, Shift+Ins (обычная вставка - Alt+V, Alt+Ins)"},
    {&modekeycpradio, ButtonClass, RadioStyle, &modegroup, 10, 56, 285, 20,
     "Вставить неформатированный текст"},
    {&keycphotkey, HotkeyClass, ChildStyle, &modegroup, 110, 76, 180, 22, NULL},
    {&modekeyccradio, ButtonClass, RadioStyle, &modegroup, 10, 96, 285, 20, CleanClipboardText},
    {&keycchotkey, HotkeyClass, ChildStyle, &modegroup, 110, 116, 180, 22, NULL},
    {&iconclickgroup, ButtonClass, GroupStyle, &mainwindow, 10, 30, 301, 62,
     "Реакция на клик по иконке"},
    {&iconcleanradio, ButtonClass, RadioStyle, &iconclickgroup, 10, 16, 285, 20,
     CleanClipboardText},
    {&icontoggleradio, ButtonClass, RadioStyle, &iconclickgroup, 10, 36, 285, 20,
     "Активировать / деактивировать горячие клавиши"},
    {&codepagegroup, ButtonClass, GroupStyle, &mainwindow, 320, 103, 301, 148,
     "Устранение проблем с кодировкой"},
    {&cpunicoderadio, ButtonClass, RadioStyle, &codepagegroup, 10, 16, 285, 20,
     "Сохранять кодировку Unicode"},
    {&cpnoneradio, ButtonClass, RadioStyle, &codepagegroup, 10, 36, 285, 20,
     "Не устанавливать кодировку (Windows 98/ME)"},
    {&cpcopyradio, ButtonClass, RadioStyle, &codepagegroup, 10, 56, 285, 20,
     "Определять по языку ввода при копировании"},
    {&cppasteradio, ButtonClass, RadioStyle, &codepagegroup, 10, 76, 285, 20,
     "Определять по языку ввода при вставке / очистке"},
    {&cpuserradio, ButtonClass, RadioStyle, &codepagegroup, 10, 96, 285, 20,
     "Устанавливать кодировку в"},
    {&usercodepagecombo, ComboClass, ComboStyle, &codepagegroup, 40, 116, 250, 80, NULL},
    {&activekeygroup, ButtonClass, GroupStyle, &mainwindow, 320, 40, 301, 53,
     "Комбинация клавиш активации - деактивации"},
    {&activekeyhotkey, HotkeyClass, ChildStyle, &activekeygroup, 10, 20, 180, 22, NULL},
    {&okbutton, ButtonClass, PushStyle, &mainwindow, 230, 264, 80, 24, "OK"},
    {&cancelbutton, ButtonClass, PushStyle, &mainwindow, 320, 264, 80, 24, "Отмена"},
};

// Every child before the group box that holds it.
HWND *const destroyorder[] = {
    &cancelbutton,   &okbutton,       &activekeyhotkey, &activekeygroup, &usercodepagecombo,
    &cpunicoderadio, &cpnoneradio,    &cpcopyradio,     &cppasteradio,   &cpuserradio,
    &codepagegroup,  &iconcleanradio, &icontoggleradio, &iconclickgroup, &modealtradio,
    &modectrlradio,  &modekeycpradio, &keycphotkey,     &modekeyccradio, &keycchotkey,
    &modegroup,      &activecheck,
};

// The radio button of each value of a setting. Shown: the button of the
// value, else the first. Read back: the first checked button of all but the
// last, else the last one's value, which is never asked.
struct Choice {
  HWND *button;
  BYTE value;
};
const Choice modechoices[] = {{&modealtradio, ModeAltKeys},
                              {&modectrlradio, ModeStandardKeys},
                              {&modekeycpradio, ModeUserPaste},
                              {&modekeyccradio, ModeUserClean}};
const Choice codepagechoices[] = {{&cpunicoderadio, CodePageUnicode},
                                  {&cpnoneradio, CodePageNone},
                                  {&cpcopyradio, CodePageAtCopy},
                                  {&cppasteradio, CodePageAtPaste},
                                  {&cpuserradio, CodePageUser}};
const Choice iconclickchoices[] = {{&icontoggleradio, 1}, {&iconcleanradio, 0}};

struct HotkeySetting {
  HWND *control;
  WORD *word;
  BYTE *mods;
};
const HotkeySetting hotkeysettings[] = {{&activekeyhotkey, &activekey, &activekeymods},
                                        {&keycphotkey, &keycp, &keycpmods},
                                        {&keycchotkey, &keycc, &keyccmods}};

const int PageFontHeight = -11;  // pixels at 96 DPI

const int MaxLayouts = 16;
const int LayoutBufferSize = 64;
const int LanguageNameSize = 256;

template <typename T, int N>
constexpr int CountOf(const T (&)[N]) {
  return N;
}

typedef BOOL(WINAPI *InitCommonControlsExProc)(const INITCOMMONCONTROLSEX *);

// The hotkey control belongs to the common controls library, which only the
// page needs: loaded when the page is first opened, it costs no memory while
// the program waits in the tray, and it is never unloaded, for the controls'
// code. Loading and registering again cost nothing.
void RegisterHotkeyClass() {
  HMODULE commoncontrols = LoadLibraryA("comctl32.dll");
  if (!commoncontrols) return;
  FARPROC proc = GetProcAddress(commoncontrols, "InitCommonControlsEx");
  if (!proc) return;
  INITCOMMONCONTROLSEX init = {sizeof init, ICC_HOTKEY_CLASS};
  reinterpret_cast<InitCommonControlsExProc>(reinterpret_cast<void (*)()>(proc))(&init);
}

// The system DPI, which the page is laid out for, as the program is DPI-aware;
// one that cannot be read, or one below 96, counts as 96.
int ScreenDpi() {
  const int lowest = 96;
  HDC screen = GetDC(NULL);
  if (!screen) return lowest;
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(NULL, screen);
  return dpi > lowest ? dpi : lowest;
}

void CreatePageFont(int dpi) {
  pagefont = CreateFontA(ScaledToDpi(PageFontHeight, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                         DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         DEFAULT_PITCH, "MS Sans Serif");
}

void CreateControls(int dpi) {
  HINSTANCE instance = GetModuleHandleA(NULL);
  for (const ControlLayout &c : controls)
    *c.handle = CreateWindowExA(0, c.classname, c.text, c.style, ScaledToDpi(c.x, dpi),
                                ScaledToDpi(c.y, dpi), ScaledToDpi(c.width, dpi),
                                ScaledToDpi(c.height, dpi), *c.parent, NULL, instance, NULL);
}

void SetPageFont() {
  for (const ControlLayout &c : controls)
    if (*c.handle) SendMessageA(*c.handle, WM_SETFONT, reinterpret_cast<WPARAM>(pagefont), 0);
}

void Check(HWND button) { SendMessageA(button, BM_SETCHECK, BST_CHECKED, 0); }

bool IsChecked(HWND button) { return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

template <int N>
void ShowChoice(const Choice (&choices)[N], BYTE value) {
  HWND button = *choices[0].button;
  for (const Choice &c : choices)
    if (c.value == value) button = *c.button;
  Check(button);
}

template <int N>
BYTE ReadChoice(const Choice (&choices)[N]) {
  for (int i = 0; i < N - 1; ++i)
    if (IsChecked(*choices[i].button)) return choices[i].value;
  return choices[N - 1].value;
}

void ShowFlagsAndModes() {
  if (active) Check(activecheck);
  ShowChoice(modechoices, hookkey);
  ShowChoice(codepagechoices, codepage);
  ShowChoice(iconclickchoices, iconclick ? 1 : 0);
}

// Without the common controls there are no hotkey controls to fill.
void ShowHotkeys() {
  for (const HotkeySetting &h : hotkeysettings) {
    if (!*h.control) continue;
    SendMessageA(*h.control, HKM_SETRULES, HKCOMB_NONE, 0);
    SendMessageA(*h.control, HKM_SETHOTKEY, *h.word, 0);
  }
}

// A language the system cannot name is shown by its number.
void HexName(DWORD locale, char *name) {
  const char digits[] = "0123456789ABCDEF";
  int count = locale > 0xFFFF ? 8 : 4;
  for (int i = 0; i < count; ++i) name[i] = digits[(locale >> (4 * (count - 1 - i))) & 0xF];
  name[count] = 0;
}

// Entry `row` of localeids becomes the next row of the list. The name comes
// in the code page the page shows it in: each language's own would turn
// letters into others or into question marks.
void AddLanguageRow(int row, DWORD locale) {
  char name[LanguageNameSize];
  localeids[row] = locale;
  if (!GetLocaleInfoA(locale, LOCALE_SLANGUAGE | LOCALE_USE_CP_ACP, name, LanguageNameSize))
    HexName(locale, name);
  SendMessageA(usercodepagecombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
}

void FillLanguageList() {
  HKL layouts[LayoutBufferSize];
  int count = GetKeyboardLayoutList(LayoutBufferSize, layouts);
  if (count > MaxLayouts) count = MaxLayouts;
  if (count < 0) count = 0;
  int selection = count;
  for (int row = 0; row < count; ++row) {
    AddLanguageRow(row, LOWORD(reinterpret_cast<ULONG_PTR>(layouts[row])));
    if (usercodepage == localeids[row]) selection = row;
  }
  if (selection == count) AddLanguageRow(count, usercodepage);
  SendMessageA(usercodepagecombo, CB_SETCURSEL, selection, 0);
}

void ReadLanguage() {
  LRESULT row = SendMessageA(usercodepagecombo, CB_GETCURSEL, 0, 0);
  if (row >= 0 && row < CountOf(localeids)) usercodepage = localeids[row];
}

// A hotkey control that could not be created keeps its setting rather than
// reading back as no key.
void ReadHotkeys() {
  for (const HotkeySetting &h : hotkeysettings) {
    if (!*h.control) continue;
    *h.word = LOWORD(SendMessageA(*h.control, HKM_GETHOTKEY, 0, 0));
    *h.mods = HotkeyFlagsToMods(*h.word);
  }
}
}  // namespace

void BuildSettingsPage() {
  int dpi = ScreenDpi();
  FitMainWindowToDpi(dpi);
  RegisterHotkeyClass();
  CreateControls(dpi);
  CreatePageFont(dpi);
  SetPageFont();
  ShowFlagsAndModes();
  ShowHotkeys();
  FillLanguageList();
  UpdateWindow(mainwindow);
}

void ReadSettingsPage() {
  active = IsChecked(activecheck) ? 1 : 0;
  hookkey = ReadChoice(modechoices);
  codepage = ReadChoice(codepagechoices);
  iconclick = ReadChoice(iconclickchoices);
  ReadLanguage();
  ReadHotkeys();
}

void DestroySettingsPage() {
  // Cleared, so that a later command naming a destroyed button cannot pass
  // for a click on it: the buttons are recognised by their handles.
  for (HWND *control : destroyorder) {
    DestroyWindow(*control);
    *control = NULL;
  }
  // Only once no control uses it: one font per opening, none kept.
  DeleteObject(pagefont);
  pagefont = NULL;
}
