// Host stand-in for <commctrl.h>: the hotkey control and common-controls start-up.
#pragma once

#include <windows.h>

#define HOTKEY_CLASSA "msctls_hotkey32"
#define HKM_SETHOTKEY (WM_USER + 1)
#define HKM_GETHOTKEY (WM_USER + 2)
#define HKM_SETRULES (WM_USER + 3)
#define HKCOMB_NONE 0x0001
#define HOTKEYF_SHIFT 0x01
#define HOTKEYF_CONTROL 0x02
#define HOTKEYF_ALT 0x04
#define HOTKEYF_EXT 0x08

#define ICC_HOTKEY_CLASS 0x00000040
typedef struct tagINITCOMMONCONTROLSEX {
  DWORD dwSize;
  DWORD dwICC;
} INITCOMMONCONTROLSEX, *LPINITCOMMONCONTROLSEX;
BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX *init);
