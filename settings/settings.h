// The eight persistent settings (named after their registry values), the
// modifier bytes derived from the three hotkey words, and their defaults.
#pragma once

#include <windows.h>

// hookkey: which paste hotkeys activation registers.
enum {
  ModeAltKeys = 1,
  ModeStandardKeys = 2,
  ModeUserPaste = 5,
  ModeUserClean = 6,
};

// codepage: the form the clipboard conversion leaves the text in.
enum {
  CodePageUnicode = 0,
  CodePageNone = 1,
  CodePageAtCopy = 2,
  CodePageAtPaste = 3,
  CodePageUser = 4,
};

extern BYTE hookkey;
extern BYTE codepage;
extern WORD activekey;  // hotkey words: low byte virtual key, high byte HOTKEYF_* flags
extern WORD keycp;
extern WORD keycc;
extern BYTE activekeymods;  // MOD_* flags of the word with the same stem
extern BYTE keycpmods;
extern BYTE keyccmods;
extern LCID usercodepage;
extern BYTE iconclick;
extern BYTE active;

const BYTE DefaultActive = 1;
const BYTE DefaultHookkey = ModeUserPaste;
const BYTE DefaultCodepage = CodePageUser;
const BYTE DefaultIconclick = 1;
const WORD DefaultActivekey = 0;
const WORD DefaultKeycp = 0x0C2D;  // Alt+Insert
const WORD DefaultKeycc = 0x0244;  // Ctrl+D

// The MOD_* flags of RegisterHotKey for a hotkey word: Shift and Alt swap
// places, Control stays, HOTKEYF_EXT is dropped.
BYTE HotkeyFlagsToMods(WORD word);

// Sets every setting to its default; usercodepage becomes the user's locale.
void SetDefaultSettings();
