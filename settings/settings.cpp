#include "settings/settings.h"

BYTE hookkey;
BYTE codepage;
WORD activekey;
WORD keycp;
WORD keycc;
BYTE activekeymods;
BYTE keycpmods;
BYTE keyccmods;
LCID usercodepage;
BYTE iconclick;
BYTE active;

BYTE HotkeyFlagsToMods(WORD word) {
  BYTE flags = HIBYTE(word) & 0x07;
  if ((flags & 1) != ((flags >> 2) & 1)) flags ^= 0x05;
  return flags;
}

void SetDefaultSettings() {
  active = DefaultActive;
  hookkey = DefaultHookkey;
  codepage = DefaultCodepage;
  iconclick = DefaultIconclick;
  activekey = DefaultActivekey;
  activekeymods = HotkeyFlagsToMods(DefaultActivekey);
  keycp = DefaultKeycp;
  keycpmods = HotkeyFlagsToMods(DefaultKeycp);
  keycc = DefaultKeycc;
  keyccmods = HotkeyFlagsToMods(DefaultKeycc);
  usercodepage = GetUserDefaultLCID();
}
