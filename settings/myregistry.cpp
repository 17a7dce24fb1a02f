#include "settings/myregistry.h"

#include <string.h>

#include "settings/settings.h"

TRegistry::TRegistry() : keyhandle(0), roothandle(0), noflush(false), keypath(), ownsroot(false) {
  SetRoot(HKEY_CURRENT_USER);
  noflush = true;
}

TRegistry::~TRegistry() { CloseCurrent(); }

void TRegistry::SetRoot(HKEY root) {
  if (root == roothandle) return;
  if (ownsroot) {
    RegCloseKey(roothandle);
    ownsroot = false;
  }
  roothandle = root;
  CloseCurrent();
}

HKEY TRegistry::BaseKey(const char *path, const char **subkey, bool *joined) const {
  bool absolute = path[0] == '\\';
  *subkey = absolute ? path + 1 : path;
  *joined = !absolute && keyhandle;
  return *joined ? keyhandle : roothandle;
}

LSTATUS TRegistry::Create(HKEY base, const char *subkey, HKEY *key) const {
  DWORD disposition;
  return RegCreateKeyExA(base, subkey, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL, key,
                         &disposition);
}

bool TRegistry::OpenPath(const char *path, bool cancreate) {
  const char *subkey;
  bool joined;
  HKEY base = BaseKey(path ? path : "", &subkey, &joined);
  // The new path is checked for room before anything is opened, so that a
  // path too long to keep leaves no handle behind.
  size_t prefix = joined ? strlen(keypath) + 1 : 0;
  size_t length = strlen(subkey);
  if (prefix + length >= KeyPathSize) return false;
  HKEY newkey;
  LSTATUS status = cancreate && length ? Create(base, subkey, &newkey)
                                       : RegOpenKeyExA(base, subkey, 0, KEY_ALL_ACCESS, &newkey);
  if (status != ERROR_SUCCESS) return false;
  char newpath[KeyPathSize];
  if (joined) {
    memcpy(newpath, keypath, prefix - 1);
    newpath[prefix - 1] = '\\';
  }
  memcpy(newpath + prefix, subkey, length + 1);
  CloseCurrent();
  keyhandle = newkey;
  memcpy(keypath, newpath, prefix + length + 1);
  return true;
}

bool TRegistry::MakeKey(const char *path) {
  const char *subkey;
  bool joined;
  HKEY base = BaseKey(path ? path : "", &subkey, &joined);
  HKEY newkey;
  if (Create(base, subkey, &newkey) != ERROR_SUCCESS) return false;
  RegCloseKey(newkey);
  return true;
}

void TRegistry::CloseCurrent() {
  if (!keyhandle) return;
  RegCloseKey(keyhandle);
  keyhandle = 0;
  keypath[0] = 0;
}

void TRegistry::WriteData(const char *name, const void *buffer, DWORD size, DataKind kind) {
  static const DWORD types[] = {REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_DWORD, REG_BINARY};
  RegSetValueExA(keyhandle, name, 0, types[kind], static_cast<const BYTE *>(buffer), size);
}

void TRegistry::WriteDword(const char *name, LONG value) {
  WriteData(name, &value, sizeof value, KindInteger);
}

LONG TRegistry::ReadDword(const char *name, LONG fallback) {
  LONG value = 0;
  DWORD type = REG_NONE;
  DWORD size = sizeof value;
  LSTATUS status =
      RegQueryValueExA(keyhandle, name, NULL, &type, reinterpret_cast<BYTE *>(&value), &size);
  if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value) return fallback;
  return value;
}

// --- the settings -------------------------------------------------------------

namespace {
// A flag is set exactly when the stored number is 1.
BYTE ReadFlag(TRegistry &registry, const char *name, BYTE fallback) {
  return registry.ReadDword(name, fallback) == 1;
}

BYTE ReadByte(TRegistry &registry, const char *name, BYTE fallback) {
  return static_cast<BYTE>(registry.ReadDword(name, fallback));
}

WORD ReadWord(TRegistry &registry, const char *name, WORD fallback) {
  return static_cast<WORD>(registry.ReadDword(name, fallback));
}

// A value that is missing or damaged reads as its default.
void ReadSettings(TRegistry &registry) {
  active = ReadFlag(registry, "active", DefaultActive);
  hookkey = ReadByte(registry, "hookkey", DefaultHookkey);
  codepage = ReadByte(registry, "codepage", DefaultCodepage);
  iconclick = ReadFlag(registry, "iconclick", DefaultIconclick);
  activekey = ReadWord(registry, "activekey", DefaultActivekey);
  activekeymods = HotkeyFlagsToMods(activekey);
  keycp = ReadWord(registry, "keycp", DefaultKeycp);
  keycpmods = HotkeyFlagsToMods(keycp);
  keycc = ReadWord(registry, "keycc", DefaultKeycc);
  keyccmods = HotkeyFlagsToMods(keycc);
  usercodepage = static_cast<LCID>(
      registry.ReadDword("usercodepage", static_cast<LONG>(GetUserDefaultLCID())));
}

void WriteSettings(TRegistry &registry) {
  registry.WriteDword("active", active ? 1 : 0);
  registry.WriteDword("hookkey", hookkey);
  registry.WriteDword("codepage", codepage);
  registry.WriteDword("iconclick", iconclick ? 1 : 0);
  registry.WriteDword("usercodepage", static_cast<LONG>(usercodepage));
  registry.WriteDword("activekey", activekey);
  registry.WriteDword("keycp", keycp);
  registry.WriteDword("keycc", keycc);
}
}  // namespace

void LoadSettings() {
  TRegistry registry;
  registry.SetRoot(HKEY_CURRENT_USER);
  if (registry.OpenPath("Software\\Tamsel", false)) {
    ReadSettings(registry);
    registry.CloseCurrent();
    return;
  }
  SetDefaultSettings();
  SaveSettings();
}

void SaveSettings() {
  TRegistry registry;
  registry.SetRoot(HKEY_CURRENT_USER);
  // Only below an existing Software key, and only into the settings key.
  if (registry.OpenPath("Software", false)) {
    registry.MakeKey("Tamsel");
    if (registry.OpenPath("Tamsel", false)) WriteSettings(registry);
  }
  registry.CloseCurrent();
}
