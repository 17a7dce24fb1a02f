// user32: synthetic keyboard input, the low-level keyboard hook and keyboard
// layouts.
#pragma once

#include "winsim/types.h"

#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_LSHIFT 0xA0
#define VK_RSHIFT 0xA1
#define VK_LCONTROL 0xA2
#define VK_RCONTROL 0xA3
#define VK_LMENU 0xA4
#define VK_RMENU 0xA5
#define KEYEVENTF_EXTENDEDKEY 0x0001
#define KEYEVENTF_KEYUP 0x0002
#define MAPVK_VK_TO_VSC 0
#define WH_KEYBOARD_LL 13
#define HC_ACTION 0
#define LLKHF_EXTENDED 0x01
#define LLKHF_INJECTED 0x10
#define LLKHF_UP 0x80

typedef struct tagKBDLLHOOKSTRUCT {
  DWORD vkCode;
  DWORD scanCode;
  DWORD flags;
  DWORD time;
  ULONG_PTR dwExtraInfo;
} KBDLLHOOKSTRUCT;
typedef LRESULT(CALLBACK *HOOKPROC)(int code, WPARAM wparam, LPARAM lparam);

void WINAPI keybd_event(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extra);
UINT WINAPI MapVirtualKeyA(UINT code, UINT maptype);
// The high bit is set while the key is down.
short WINAPI GetAsyncKeyState(int vk);
HKL WINAPI GetKeyboardLayout(DWORD thread);
int WINAPI GetKeyboardLayoutList(int count, HKL *list);
HHOOK WINAPI SetWindowsHookExA(int id, HOOKPROC proc, HINSTANCE module, DWORD thread);
BOOL WINAPI UnhookWindowsHookEx(HHOOK hook);
LRESULT WINAPI CallNextHookEx(HHOOK hook, int code, WPARAM wparam, LPARAM lparam);
