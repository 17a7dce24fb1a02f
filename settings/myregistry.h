// The settings' registry key (HKCU\Software\Tamsel): TRegistry, a small
// wrapper around one open key, and the load and save of the settings.
#pragma once

#include <windows.h>

// One root key and at most one current key below it, opened by path; 32-bit
// values are read and written in the current key. Nothing here raises or
// reports an error beyond the boolean of opening and creating. Lives on the
// stack for the length of one load or save.
//
// A path that begins with a backslash starts at the root; any other path
// starts at the current key, or at the root while no key is open. Keys are
// opened and created with full access, so a key the user may only read
// counts as one that cannot be opened.
class TRegistry {
 public:
  TRegistry();
  virtual ~TRegistry();

  void SetRoot(HKEY root);
  // Opens `path` (creating it when `cancreate`) and makes it the current key.
  // On failure, a path too long to keep included, nothing changes.
  bool OpenPath(const char *path, bool cancreate);
  // Creates `path` if it is missing and closes it again; the current key stays.
  bool MakeKey(const char *path);
  void CloseCurrent();
  // Writes a REG_DWORD into the current key; a failure goes unnoticed.
  void WriteDword(const char *name, LONG value);
  // The stored REG_DWORD, or `fallback` when the value is missing, cannot be
  // read, or is not a REG_DWORD of 4 bytes: a damaged key never yields a
  // number nobody wrote.
  LONG ReadDword(const char *name, LONG fallback);

  HKEY CurrentKey() const { return keyhandle; }
  HKEY RootKey() const { return roothandle; }
  // The current key's path below the root, without a leading backslash.
  const char *CurrentPath() const { return keypath; }
  bool FlushesOnClose() const { return !noflush; }

 private:
  enum DataKind { KindNone, KindString, KindExpandString, KindInteger, KindBinary };
  enum { KeyPathSize = 256 };

  // Where `path` starts and the subkey name handed to the system.
  HKEY BaseKey(const char *path, const char **subkey, bool *joined) const;
  LSTATUS Create(HKEY base, const char *subkey, HKEY *key) const;
  void WriteData(const char *name, const void *buffer, DWORD size, DataKind kind);

  HKEY keyhandle;
  HKEY roothandle;
  bool noflush;
  char keypath[KeyPathSize];
  bool ownsroot;
};

// Sets all the settings from the registry; on the first start, when there is
// no settings key yet, sets the defaults and stores them at once.
void LoadSettings();
// Stores the eight persistent settings; failures are ignored.
void SaveSettings();
