// gdi32: the one font of the settings page.
#pragma once

#include "winsim/types.h"

#define FW_NORMAL 400
#define DEFAULT_CHARSET 1
#define OUT_DEFAULT_PRECIS 0
#define CLIP_DEFAULT_PRECIS 0
#define DEFAULT_QUALITY 0
#define DEFAULT_PITCH 0
typedef void *HGDIOBJ;

HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight,
                         DWORD italic, DWORD underline, DWORD strikeout, DWORD charset,
                         DWORD outprecision, DWORD clipprecision, DWORD quality, DWORD pitchfamily,
                         LPCSTR face);
BOOL WINAPI DeleteObject(HGDIOBJ object);
