// user32: synthetic keyboard input and keyboard layouts.
#pragma once

#include "winsim/types.h"

#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define KEYEVENTF_EXTENDEDKEY 0x0001
#define KEYEVENTF_KEYUP 0x0002
#define MAPVK_VK_TO_VSC 0

void WINAPI keybd_event(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extra);
UINT WINAPI MapVirtualKeyA(UINT code, UINT maptype);
// The high bit is set while the key is down.
short WINAPI GetAsyncKeyState(int vk);
HKL WINAPI GetKeyboardLayout(DWORD thread);
int WINAPI GetKeyboardLayoutList(int count, HKL *list);
