// kernel32: global memory, locales, the command line, the module handle.
#pragma once

#include "winsim/types.h"

#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GMEM_DDESHARE 0x2000
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes);
LPVOID WINAPI GlobalLock(HGLOBAL mem);
BOOL WINAPI GlobalUnlock(HGLOBAL mem);
HGLOBAL WINAPI GlobalFree(HGLOBAL mem);
SIZE_T WINAPI GlobalSize(HGLOBAL mem);

#define LOCALE_SLANGUAGE 0x00000002
#define LOCALE_SENGLANGUAGE 0x00001001
#define LOCALE_USE_CP_ACP 0x40000000
#define LOCALE_IDEFAULTANSICODEPAGE 0x00001004
#define LOCALE_RETURN_NUMBER 0x20000000
#define LANG_RUSSIAN 0x19
#define MAKELANGID(p, s) ((((WORD)(s)) << 10) | (WORD)(p))
#define MAKELCID(lgid, srtid) ((DWORD)((((DWORD)((WORD)(srtid))) << 16) | ((DWORD)((WORD)(lgid)))))
#define SORT_DEFAULT 0x0

LCID WINAPI GetUserDefaultLCID(void);
UINT WINAPI GetACP(void);
int WINAPI GetLocaleInfoA(LCID locale, DWORD type, LPSTR data, int size);
int WINAPI WideCharToMultiByte(UINT codepage, DWORD flags, const WCHAR *units, int count,
                               LPSTR bytes, int size, LPCSTR defaultchar, LPBOOL useddefault);

LPSTR WINAPI GetCommandLineA(void);
int WINAPI MulDiv(int number, int numerator, int denominator);
HMODULE WINAPI GetModuleHandleA(LPCSTR name);

// Only the common controls library can be loaded (see winsim/README.md).
typedef INT_PTR(WINAPI *FARPROC)();
HMODULE WINAPI LoadLibraryA(LPCSTR name);
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name);
void WINAPI ExitProcess(UINT code);
void WINAPI Sleep(DWORD ms);
DWORD WINAPI GetTickCount(void);
