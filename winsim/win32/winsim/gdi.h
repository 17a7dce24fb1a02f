// gdi32: the one font of the settings page, and the screen's DPI it is laid
// out for.
#pragma once

#include "winsim/types.h"

#define FW_NORMAL 400
#define DEFAULT_CHARSET 1
#define OUT_DEFAULT_PRECIS 0
#define CLIP_DEFAULT_PRECIS 0
#define DEFAULT_QUALITY 0
#define DEFAULT_PITCH 0
typedef void *HGDIOBJ;
#define LOGPIXELSX 88
#define LOGPIXELSY 90

HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight,
                         DWORD italic, DWORD underline, DWORD strikeout, DWORD charset,
                         DWORD outprecision, DWORD clipprecision, DWORD quality, DWORD pitchfamily,
                         LPCSTR face);
BOOL WINAPI DeleteObject(HGDIOBJ object);
// Only the screen's DC (GetDC(NULL)) is modelled.
HDC WINAPI GetDC(HWND hwnd);
int WINAPI ReleaseDC(HWND hwnd, HDC dc);
int WINAPI GetDeviceCaps(HDC dc, int index);
