// The settings page: 22 controls built inside the main window each time the
// settings are opened, and read back into the settings on OK.
#pragma once

#include <windows.h>

extern HWND activecheck;
extern HWND modegroup, modealtradio, modectrlradio, modekeycpradio, keycphotkey, modekeyccradio,
    keycchotkey;
extern HWND iconclickgroup, iconcleanradio, icontoggleradio;
extern HWND codepagegroup, cpunicoderadio, cpnoneradio, cpcopyradio, cppasteradio, cpuserradio,
    usercodepagecombo;
extern HWND activekeygroup, activekeyhotkey;
extern HWND okbutton, cancelbutton;

// Row i of usercodepagecombo stands for entry i; entry 16 is the extra row
// of a usercodepage that no installed layout has.
extern DWORD localeids[17];
// The font of every control, made with the page and released with it.
extern HFONT pagefont;

// Creates the controls showing the current settings; the caller shows the window.
void BuildSettingsPage();
// Turns the state of the controls into the settings; saving is the caller's.
void ReadSettingsPage();
// Destroys the controls, each child before its group box, then the font;
// the handles are NULL until the next build.
void DestroySettingsPage();
