// The test-facing side of winsim's registry: set up keys and values of any
// type, make a key refuse what its security does not allow, and inspect what
// the program left behind, including the key handles it still holds.
//
// Keys are named by their full path, the root abbreviated as the timeline
// shows it: "HKCU\\Software\\Tamsel" (roots HKCR, HKCU, HKLM, HKU). Key and
// value names compare case-insensitively, as on Windows. After Reset() the
// registry holds the keys every user profile has: HKCU\Software and
// HKLM\Software, both empty.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace winsim {

// --- set-up ------------------------------------------------------------------
// Creates the key and any missing parent.
void CreateRegistryKey(const std::string &path);
// Removes the key with everything below it. Handles still open on it stay
// valid handles, but every call through them fails with ERROR_KEY_DELETED.
void DeleteRegistryKey(const std::string &path);
// Stores a value of any type and size (creating the key); `type` is kept as
// given, so a REG_DWORD of 2 bytes is possible, as RegSetValueExA allows.
void SetRegistryValue(const std::string &path, const std::string &name, DWORD type,
                      const std::vector<BYTE> &data);
void SetRegistryDword(const std::string &path, const std::string &name, DWORD value);
// REG_SZ with its terminating zero.
void SetRegistryString(const std::string &path, const std::string &name, const std::string &text);
void DeleteRegistryValue(const std::string &path, const std::string &name);
// What the key's security allows a caller: opening (or creating over) it with
// more access than this fails with ERROR_ACCESS_DENIED, and without
// KEY_CREATE_SUB_KEY no subkey can be created below it. Default KEY_ALL_ACCESS.
void SetRegistryKeyAccess(const std::string &path, REGSAM allowed);

// --- inspection ---------------------------------------------------------------
bool RegistryKeyExists(const std::string &path);
bool RegistryKeyVolatile(const std::string &path);
std::vector<std::string> RegistrySubkeys(const std::string &path);
// Value names in the order they were first written.
std::vector<std::string> RegistryValueNames(const std::string &path);

struct RegistryValue {
  DWORD type;
  std::vector<BYTE> data;
};
std::optional<RegistryValue> GetRegistryValue(const std::string &path, const std::string &name);
// The number of a REG_DWORD of exactly 4 bytes; nothing for any other value.
std::optional<DWORD> RegistryDword(const std::string &path, const std::string &name);

struct RegistryHandleInfo {
  HKEY handle;
  std::string path;  // of the key the handle was opened on
  REGSAM access;     // as asked for
  bool created;      // handed out by RegCreateKeyExA (else RegOpenKeyExA)
  DWORD options;     // RegCreateKeyExA's options; 0 for RegOpenKeyExA
  bool open;         // not closed yet
};
// Every key handle handed out since Reset(), in order; predefined roots are
// never handed out.
std::vector<RegistryHandleInfo> RegistryHandles();
// Handles handed out and not closed yet: a leaked key shows up here.
int OpenRegistryHandles();

// A copy of all keys and values, to carry across Reset() for a second start
// of the program (handles are not part of it).
struct RegistryImage;
std::shared_ptr<const RegistryImage> CopyRegistry();
void RestoreRegistry(const std::shared_ptr<const RegistryImage> &image);

}  // namespace winsim
