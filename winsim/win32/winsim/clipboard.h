// user32: the clipboard.
#pragma once

#include "winsim/types.h"

#define CF_TEXT 1
#define CF_BITMAP 2
#define CF_OEMTEXT 7
#define CF_DIB 8
#define CF_UNICODETEXT 13
#define CF_LOCALE 16

BOOL WINAPI IsClipboardFormatAvailable(UINT format);
BOOL WINAPI OpenClipboard(HWND owner);
BOOL WINAPI CloseClipboard(void);
BOOL WINAPI EmptyClipboard(void);
HANDLE WINAPI GetClipboardData(UINT format);
HANDLE WINAPI SetClipboardData(UINT format, HANDLE data);
HWND WINAPI GetClipboardOwner(void);
UINT WINAPI RegisterClipboardFormatA(LPCSTR name);
UINT WINAPI EnumClipboardFormats(UINT format);
BOOL WINAPI GetUpdatedClipboardFormats(UINT *formats, UINT size, UINT *count);
