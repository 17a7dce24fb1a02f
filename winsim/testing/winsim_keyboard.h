// The test-facing side of winsim's keyboard: the keys held down, what the
// program's synthetic input did, and what reached the application with the
// keyboard focus.
//
// What the system does with a key press, real or synthetic (keybd_event), as
// Windows and Wine do it:
// - The key state changes first: the key is down until its key-up comes.
// - A press whose key, together with the modifiers down at that moment (Ctrl,
//   Alt, Shift, Win: VK_CONTROL, VK_MENU, VK_SHIFT, VK_LWIN or VK_RWIN), makes
//   a registered hotkey is caught: WM_HOTKEY is posted to the holder's window
//   and the focused application never sees the press. A program that
//   synthesises the keys of its own hotkey thus gets its own WM_HOTKEY back,
//   and, typing them again when it handles it, for ever: that is a
//   violation, and after five rounds winsim lets the press through so that
//   the test ends.
// - Everything else, key-ups of hotkeys included, reaches the focused
//   application.
//
// The user pressing a hotkey (winsim::PressHotkey) goes the same way: the
// modifiers go down (the application sees them, as it does on Windows), then
// the main key, which the hotkey catches. The user keeps holding the keys
// while the program handles the message, so the key state shows them down;
// the next PressHotkey, or ReleaseUserKeys, lets go of them first.
//
// Before the key state changes, every low-level keyboard hook
// (SetWindowsHookExA with WH_KEYBOARD_LL) is called, within the call that
// sends the key: keybd_event for the program's keys, PressHotkey and the
// release for the user's. A hook sees the code a key was sent with, the
// user's Ctrl, Alt and Shift by their side (VK_LSHIFT ... VK_RMENU), the
// extended flag as LLKHF_EXTENDED, and the extra information it was sent
// with; a synthetic key, and one a key remapper injected, shows
// LLKHF_INJECTED. A hook that returns non-zero stops the event: the key state
// stays, and no hotkey and no application sees it. A hook procedure may be
// called after UnhookWindowsHookEx returns, as Microsoft documents: a call
// that the system sent before the hook was removed runs when its thread next
// reads its messages (GetMessageA).
//
// Each of Ctrl, Alt and Shift is two keys, left and right, and its generic
// code (VK_CONTROL ...) is down while either is. A side's own code moves that
// side; the generic code moves the right key with KEYEVENTF_EXTENDEDKEY,
// else the left one. The user's right Ctrl and Alt come with the flag, the
// right Shift with its own scan code (0x36).
//
// GetAsyncKeyState reads that key state at the moment of the call: the user's
// keys and the synthetic events sent so far.
//
// What is not modelled is listed in winsim/README.md.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace winsim {

struct KeyEvent {
  BYTE vk;
  BYTE scan;
  DWORD flags;            // KEYEVENTF_* as given
  bool synthetic;         // from keybd_event (else the user's own keys)
  ULONG_PTR extra = 0;    // the extra information it was sent with
  bool remapped = false;  // the user's, injected by a key remapper
  bool up() const { return (flags & KEYEVENTF_KEYUP) != 0; }
};

// Every keybd_event call of the program, in order.
std::vector<KeyEvent> SyntheticKeys();
// The key events the focused application received, in order: the user's and
// the synthetic ones that no hotkey caught.
std::vector<KeyEvent> DeliveredKeys();
// How many pastes the application saw: V pressed while Ctrl was down and Alt,
// Shift and Win were up.
int PastesSeen();
// Whether the system's key state shows the key down.
bool KeyDown(BYTE vk);
// The user lets go of the keys of the last PressHotkey; the application
// receives their key-ups, even of a key that the program has let go of.
void ReleaseUserKeys();
// The user lets go of them while the program types: just before its
// synthetic key event number `count` from now (0: the next one).
void LetGoBeforeSyntheticKey(int count);
// Or just as the program removes its keyboard hook, which the system has
// already sent the release to.
void LetGoAsTheHookIsRemoved();
// The user's Ctrl, Alt and Shift come through a key remapper, which injects
// them from its own hook with this extra information.
void RemapUserModifiers(ULONG_PTR extra);

// "Insert up", "Ctrl down", "V down", "0x41 up": a key event as tests name it.
std::string KeyName(BYTE vk);
std::string Describe(const KeyEvent &event);

}  // namespace winsim
