// The registry: a tree of keys below the predefined roots holding typed
// values; key handles that stay open until RegCloseKey; keys whose security
// refuses some access. The advapi32 calls give the error codes Windows
// gives, as return values (the registry calls leave the last error alone).
#include <cstring>
#include <map>
#include <memory>
#include <strings.h>
#include <vector>

#include "internal.h"
#include "winsim_registry.h"

namespace winsim::detail {

struct RegValue {
  std::string name;
  DWORD type;
  std::vector<BYTE> data;
};

struct RegKey {
  std::string name;
  std::string path;  // full, as the timeline shows it: HKCU\Software\Tamsel
  RegKey *parent = nullptr;
  REGSAM allowed = KEY_ALL_ACCESS;  // what the key's security grants
  bool isvolatile = false;
  bool deleted = false;
  std::vector<std::shared_ptr<RegKey>> subkeys;
  std::vector<RegValue> values;
};

using RootMap = std::map<HKEY, std::shared_ptr<RegKey>>;

namespace {
struct HandleRec {
  HKEY handle;
  std::shared_ptr<RegKey> key;
  REGSAM access;
  bool created;
  DWORD options;
  bool open;
};

struct RootName {
  HKEY handle;
  const char *shortname;
  const char *longname;
};
const RootName kRootNames[] = {
    {HKEY_CLASSES_ROOT, "HKCR", "HKEY_CLASSES_ROOT"},
    {HKEY_CURRENT_USER, "HKCU", "HKEY_CURRENT_USER"},
    {HKEY_LOCAL_MACHINE, "HKLM", "HKEY_LOCAL_MACHINE"},
    {HKEY_USERS, "HKU", "HKEY_USERS"},
};

constexpr REGSAM kWow64Flags = 0x0300;  // KEY_WOW64_64KEY, KEY_WOW64_32KEY: no redirection here
constexpr REGSAM kDeleteAccess = 0x00010000;  // DELETE: what removing a key asks of its security
constexpr LSTATUS kErrorNoAccess = 998;       // ERROR_NOACCESS: a size without the data behind it
constexpr BYTE kUndefinedByte = 0xBD;         // what a too small buffer holds after ERROR_MORE_DATA

RootMap roots;
std::vector<HandleRec> handles;  // never erased: handle values are not reused

bool SameName(const std::string &a, const std::string &b) {
  return strcasecmp(a.c_str(), b.c_str()) == 0;
}

std::vector<std::string> SplitPath(const std::string &path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (c != '\\') {
      part += c;
    } else if (!part.empty()) {
      parts.push_back(part);
      part.clear();
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

std::shared_ptr<RegKey> Child(const RegKey &key, const std::string &name) {
  for (const auto &sub : key.subkeys)
    if (SameName(sub->name, name)) return sub;
  return nullptr;
}

std::shared_ptr<RegKey> NewChild(RegKey &parent, const std::string &name, bool isvolatile) {
  auto key = std::make_shared<RegKey>();
  key->name = name;
  key->path = parent.path + "\\" + name;
  key->parent = &parent;
  key->isvolatile = isvolatile;
  parent.subkeys.push_back(key);
  return key;
}

std::shared_ptr<RegKey> Walk(std::shared_ptr<RegKey> key, const std::vector<std::string> &parts) {
  for (const auto &part : parts) {
    if (!key) break;
    key = Child(*key, part);
  }
  return key;
}

RegValue *FindValue(RegKey &key, const std::string &name) {
  for (auto &value : key.values)
    if (SameName(value.name, name)) return &value;
  return nullptr;
}

void StoreValue(RegKey &key, const std::string &name, DWORD type, std::vector<BYTE> data) {
  RegValue *value = FindValue(key, name);
  if (!value) {
    key.values.push_back({name, type, {}});
    value = &key.values.back();
  }
  value->type = type;
  value->data = std::move(data);
}

bool IsRoot(HKEY handle) { return roots.count(handle) != 0; }

HandleRec *FindHandle(HKEY handle) {
  for (auto &h : handles)
    if (h.handle == handle) return &h;
  return nullptr;
}

std::string KeyName(HKEY handle) {
  for (const auto &root : kRootNames)
    if (root.handle == handle) return root.shortname;
  if (!handle) return "NULL";
  HandleRec *h = FindHandle(handle);
  return h ? h->key->path : Hex(reinterpret_cast<std::uintptr_t>(handle));
}

// The key a handle stands for and the access it was opened with, or the
// error Windows gives for the handle.
LSTATUS Lookup(HKEY handle, const char *function, std::shared_ptr<RegKey> *key, REGSAM *access) {
  auto root = roots.find(handle);
  if (root != roots.end()) {
    *key = root->second;
    *access = KEY_ALL_ACCESS;
    return ERROR_SUCCESS;
  }
  HandleRec *h = FindHandle(handle);
  if (!h) return ERROR_INVALID_HANDLE;
  if (!h->open) {
    Violation(std::string(function) + " on a closed key " + h->key->path);
    return ERROR_INVALID_HANDLE;
  }
  if (h->key->deleted) return ERROR_KEY_DELETED;
  *key = h->key;
  *access = h->access;
  return ERROR_SUCCESS;
}

bool Allows(const RegKey &key, REGSAM access) {
  return (access & ~kWow64Flags & ~key.allowed) == 0;
}

HKEY HandOut(const std::shared_ptr<RegKey> &key, REGSAM access, bool created, DWORD options) {
  HKEY handle = reinterpret_cast<HKEY>(NextHandleValue());
  handles.push_back({handle, key, access, created, options, true});
  return handle;
}

LSTATUS OpenKey(HKEY base, LPCSTR subkey, REGSAM access, PHKEY result) {
  if (!result) {
    Violation("RegOpenKeyExA without a place for the key");  // the system writes there: a crash
    return ERROR_INVALID_PARAMETER;
  }
  std::shared_ptr<RegKey> key;
  REGSAM baseaccess;
  LSTATUS status = Lookup(base, "RegOpenKeyExA", &key, &baseaccess);
  if (status != ERROR_SUCCESS) return status;
  *result = NULL;
  std::string name = subkey ? subkey : "";
  // An empty name on a predefined root gives the root itself, not a new handle.
  if (name.empty() && IsRoot(base)) {
    *result = base;
    return ERROR_SUCCESS;
  }
  if (name[0] == '\\') return ERROR_BAD_PATHNAME;
  key = Walk(key, SplitPath(name));
  if (!key) return ERROR_FILE_NOT_FOUND;
  if (!Allows(*key, access)) return ERROR_ACCESS_DENIED;
  *result = HandOut(key, access, false, 0);
  return ERROR_SUCCESS;
}

LSTATUS CreateKey(HKEY base, LPCSTR subkey, DWORD options, REGSAM access, PHKEY result,
                  LPDWORD disposition) {
  if (!result) {
    Violation("RegCreateKeyExA without a place for the key");  // the system writes there: a crash
    return ERROR_INVALID_PARAMETER;
  }
  if (!subkey) {
    Violation("RegCreateKeyExA without a subkey name");
    return ERROR_INVALID_PARAMETER;
  }
  std::shared_ptr<RegKey> key;
  REGSAM baseaccess;
  LSTATUS status = Lookup(base, "RegCreateKeyExA", &key, &baseaccess);
  if (status != ERROR_SUCCESS) return status;
  *result = NULL;
  if (subkey[0] == '\\') return ERROR_BAD_PATHNAME;
  bool isvolatile = (options & REG_OPTION_VOLATILE) != 0;
  bool created = false;
  // The parent's security decides whether a subkey may be made, not the
  // access that the parent's handle was opened with.
  for (const auto &part : SplitPath(subkey)) {
    auto next = Child(*key, part);
    if (!next) {
      if (!(key->allowed & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
      if (key->isvolatile && !isvolatile) return ERROR_CHILD_MUST_BE_VOLATILE;
      next = NewChild(*key, part, isvolatile);
      created = true;
    }
    key = next;
  }
  if (!created && !Allows(*key, access)) return ERROR_ACCESS_DENIED;
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *result = HandOut(key, access, true, options);
  return ERROR_SUCCESS;
}

void MarkDeleted(RegKey &key) {
  key.deleted = true;
  for (auto &sub : key.subkeys) MarkDeleted(*sub);
}

// Takes the key out of the tree; handles still open on it see it deleted.
void Unlink(const std::shared_ptr<RegKey> &key) {
  MarkDeleted(*key);
  auto &siblings = key->parent->subkeys;
  for (auto at = siblings.begin(); at != siblings.end(); ++at)
    if (*at == key) {
      siblings.erase(at);
      break;
    }
}

LSTATUS DeleteKey(HKEY base, LPCSTR subkey) {
  if (!subkey) {
    Violation("RegDeleteKeyA without a subkey name");
    return ERROR_INVALID_PARAMETER;
  }
  std::shared_ptr<RegKey> key;
  REGSAM baseaccess;
  LSTATUS status = Lookup(base, "RegDeleteKeyA", &key, &baseaccess);
  if (status != ERROR_SUCCESS) return status;
  if (subkey[0] == '\\') return ERROR_BAD_PATHNAME;
  key = Walk(key, SplitPath(subkey));
  if (!key) return ERROR_FILE_NOT_FOUND;
  // Only a key without subkeys goes, and only when its security allows it;
  // an empty name means the base key itself.
  if (!key->parent || !key->subkeys.empty() || !Allows(*key, kDeleteAccess))
    return ERROR_ACCESS_DENIED;
  Unlink(key);
  return ERROR_SUCCESS;
}

bool IsStringType(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

LSTATUS QueryValue(HKEY handle, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                   LPDWORD size) {
  std::shared_ptr<RegKey> key;
  REGSAM access;
  LSTATUS status = Lookup(handle, "RegQueryValueExA", &key, &access);
  if (status != ERROR_SUCCESS) return status;
  if (reserved || (data && !size)) return ERROR_INVALID_PARAMETER;
  if (!(access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  const RegValue *value = FindValue(*key, name ? name : "");
  if (!value) return ERROR_FILE_NOT_FOUND;
  if (type) *type = value->type;
  DWORD needed = static_cast<DWORD>(value->data.size());
  if (data && *size < needed) {
    // The buffer's contents are undefined then; make them look it.
    std::memset(data, kUndefinedByte, *size);
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (data) {
    if (needed) std::memcpy(data, value->data.data(), needed);
    // A string gets a terminating zero when there is room for one; an empty
    // one gets nothing.
    if (IsStringType(value->type) && *size > needed && needed && data[needed - 1]) data[needed] = 0;
  }
  if (size) *size = needed;
  return ERROR_SUCCESS;
}

LSTATUS SetValue(HKEY handle, LPCSTR name, DWORD type, const BYTE *data, DWORD size) {
  std::shared_ptr<RegKey> key;
  REGSAM access;
  LSTATUS status = Lookup(handle, "RegSetValueExA", &key, &access);
  if (status != ERROR_SUCCESS) return status;
  if (!(access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  if (!data && size) return kErrorNoAccess;
  if (IsStringType(type) && size && data[size - 1]) {
    Violation("RegSetValueExA of a string without its terminating zero in the size");
    // The system looks at the byte after the data and counts it in when it
    // is the zero the caller forgot.
    if (!data[size]) ++size;
  }
  StoreValue(*key, name ? name : "", type, std::vector<BYTE>(data, data + size));
  return ERROR_SUCCESS;
}

std::string TypeName(DWORD type) {
  switch (type) {
    case REG_NONE:
      return "REG_NONE";
    case REG_SZ:
      return "REG_SZ";
    case REG_EXPAND_SZ:
      return "REG_EXPAND_SZ";
    case REG_BINARY:
      return "REG_BINARY";
    case REG_DWORD:
      return "REG_DWORD";
    case REG_MULTI_SZ:
      return "REG_MULTI_SZ";
    case REG_QWORD:
      return "REG_QWORD";
    default:
      return "type " + std::to_string(type);
  }
}

std::string DataText(DWORD type, const BYTE *data, DWORD size) {
  if (type == REG_DWORD && size == 4 && data) {
    DWORD number;
    std::memcpy(&number, data, 4);
    return Hex(number);
  }
  return std::to_string(size) + " bytes";
}

// --- paths as tests give them ----------------------------------------------
std::shared_ptr<RegKey> RootOf(const std::string &name) {
  for (const auto &root : kRootNames)
    if (SameName(name, root.shortname) || SameName(name, root.longname)) return roots[root.handle];
  return nullptr;
}

std::shared_ptr<RegKey> FindKey(const std::string &path) {
  auto parts = SplitPath(path);
  if (parts.empty()) return nullptr;
  auto key = RootOf(parts.front());
  parts.erase(parts.begin());
  return key ? Walk(key, parts) : nullptr;
}

std::shared_ptr<RegKey> MakeKey(const std::string &path) {
  auto parts = SplitPath(path);
  auto key = parts.empty() ? nullptr : RootOf(parts.front());
  if (!key) {
    Violation("test set-up names no registry root: " + path);
    return nullptr;
  }
  for (size_t i = 1; i < parts.size(); ++i) {
    auto next = Child(*key, parts[i]);
    key = next ? next : NewChild(*key, parts[i], key->isvolatile);
  }
  return key;
}

std::shared_ptr<RegKey> Clone(const RegKey &key, RegKey *parent) {
  auto copy = std::make_shared<RegKey>();
  copy->name = key.name;
  copy->path = key.path;
  copy->parent = parent;
  copy->allowed = key.allowed;
  copy->isvolatile = key.isvolatile;
  copy->values = key.values;
  for (const auto &sub : key.subkeys) copy->subkeys.push_back(Clone(*sub, copy.get()));
  return copy;
}

RootMap CloneRoots(const RootMap &from) {
  RootMap copy;
  for (const auto &root : from) copy[root.first] = Clone(*root.second, nullptr);
  return copy;
}
}  // namespace

void ResetRegistry() {
  roots.clear();
  handles.clear();
  for (const auto &root : kRootNames) {
    auto key = std::make_shared<RegKey>();
    key->name = key->path = root.shortname;
    roots[root.handle] = key;
  }
  MakeKey("HKCU\\Software");
  MakeKey("HKLM\\Software");
}
}  // namespace winsim::detail

using namespace winsim::detail;
using namespace winsim;

LSTATUS WINAPI RegOpenKeyExA(HKEY key, LPCSTR subkey, DWORD, REGSAM access, PHKEY result) {
  std::string call = "RegOpenKeyExA(" + KeyName(key) + ", " + Quoted(subkey) + ")";
  LSTATUS status = Injected("RegOpenKeyExA") ? static_cast<LSTATUS>(GetLastError())
                                             : OpenKey(key, subkey, access, result);
  Record(call + " = " + std::to_string(status));
  return status;
}

LSTATUS WINAPI RegCreateKeyExA(HKEY key, LPCSTR subkey, DWORD, LPSTR, DWORD options, REGSAM access,
                               LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD disposition) {
  std::string call = "RegCreateKeyExA(" + KeyName(key) + ", " + Quoted(subkey) + ")";
  LSTATUS status = Injected("RegCreateKeyExA")
                       ? static_cast<LSTATUS>(GetLastError())
                       : CreateKey(key, subkey, options, access, result, disposition);
  Record(call + " = " + std::to_string(status));
  return status;
}

LSTATUS WINAPI RegCloseKey(HKEY key) {
  std::string call = "RegCloseKey(" + KeyName(key) + ")";
  LSTATUS status = ERROR_SUCCESS;
  if (!IsRoot(key)) {
    HandleRec *h = FindHandle(key);
    if (!h) {
      status = ERROR_INVALID_HANDLE;
    } else if (!h->open) {
      Violation("RegCloseKey on a closed key " + h->key->path);
      status = ERROR_INVALID_HANDLE;
    } else {
      h->open = false;
    }
  }
  Record(call + " = " + std::to_string(status));
  return status;
}

LSTATUS WINAPI RegSetValueExA(HKEY key, LPCSTR name, DWORD, DWORD type, const BYTE *data,
                              DWORD size) {
  std::string call = "RegSetValueExA(" + KeyName(key) + ", " + Quoted(name) + ", " +
                     TypeName(type) + ", " + DataText(type, data, size) + ")";
  LSTATUS status = Injected("RegSetValueExA") ? static_cast<LSTATUS>(GetLastError())
                                              : SetValue(key, name, type, data, size);
  Record(call + " = " + std::to_string(status));
  return status;
}

LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                LPDWORD size) {
  std::string call = "RegQueryValueExA(" + KeyName(key) + ", " + Quoted(name) + ")";
  LSTATUS status = Injected("RegQueryValueExA") ? static_cast<LSTATUS>(GetLastError())
                                                : QueryValue(key, name, reserved, type, data, size);
  Record(call + " = " + std::to_string(status));
  return status;
}

LSTATUS WINAPI RegDeleteKeyA(HKEY key, LPCSTR subkey) {
  std::string call = "RegDeleteKeyA(" + KeyName(key) + ", " + Quoted(subkey) + ")";
  LSTATUS status =
      Injected("RegDeleteKeyA") ? static_cast<LSTATUS>(GetLastError()) : DeleteKey(key, subkey);
  Record(call + " = " + std::to_string(status));
  return status;
}

namespace winsim {

struct RegistryImage {
  RootMap roots;
};

void CreateRegistryKey(const std::string &path) { MakeKey(path); }

void DeleteRegistryKey(const std::string &path) {
  auto key = FindKey(path);
  if (key && key->parent) Unlink(key);
}

void SetRegistryValue(const std::string &path, const std::string &name, DWORD type,
                      const std::vector<BYTE> &data) {
  auto key = MakeKey(path);
  if (key) StoreValue(*key, name, type, data);
}

void SetRegistryDword(const std::string &path, const std::string &name, DWORD value) {
  std::vector<BYTE> data(4);
  std::memcpy(data.data(), &value, 4);
  SetRegistryValue(path, name, REG_DWORD, data);
}

void SetRegistryString(const std::string &path, const std::string &name, const std::string &text) {
  std::vector<BYTE> data(text.begin(), text.end());
  data.push_back(0);
  SetRegistryValue(path, name, REG_SZ, data);
}

void DeleteRegistryValue(const std::string &path, const std::string &name) {
  auto key = FindKey(path);
  if (!key) return;
  auto &values = key->values;
  for (auto at = values.begin(); at != values.end(); ++at)
    if (SameName(at->name, name)) {
      values.erase(at);
      break;
    }
}

void SetRegistryKeyAccess(const std::string &path, REGSAM allowed) {
  auto key = MakeKey(path);
  if (key) key->allowed = allowed;
}

bool RegistryKeyExists(const std::string &path) { return FindKey(path) != nullptr; }

bool RegistryKeyVolatile(const std::string &path) {
  auto key = FindKey(path);
  return key && key->isvolatile;
}

std::vector<std::string> RegistrySubkeys(const std::string &path) {
  std::vector<std::string> names;
  if (auto key = FindKey(path))
    for (const auto &sub : key->subkeys) names.push_back(sub->name);
  return names;
}

std::vector<std::string> RegistryValueNames(const std::string &path) {
  std::vector<std::string> names;
  if (auto key = FindKey(path))
    for (const auto &value : key->values) names.push_back(value.name);
  return names;
}

std::optional<RegistryValue> GetRegistryValue(const std::string &path, const std::string &name) {
  auto key = FindKey(path);
  const RegValue *value = key ? FindValue(*key, name) : nullptr;
  if (!value) return std::nullopt;
  return RegistryValue{value->type, value->data};
}

std::optional<DWORD> RegistryDword(const std::string &path, const std::string &name) {
  auto value = GetRegistryValue(path, name);
  if (!value || value->type != REG_DWORD || value->data.size() != 4) return std::nullopt;
  DWORD number;
  std::memcpy(&number, value->data.data(), 4);
  return number;
}

std::vector<RegistryHandleInfo> RegistryHandles() {
  std::vector<RegistryHandleInfo> list;
  list.reserve(handles.size());
  for (const auto &h : handles)
    list.push_back({h.handle, h.key->path, h.access, h.created, h.options, h.open});
  return list;
}

int OpenRegistryHandles() {
  int open = 0;
  for (const auto &h : handles) open += h.open;
  return open;
}

std::shared_ptr<const RegistryImage> CopyRegistry() {
  auto image = std::make_shared<RegistryImage>();
  image->roots = CloneRoots(roots);
  return image;
}

void RestoreRegistry(const std::shared_ptr<const RegistryImage> &image) {
  if (image) roots = CloneRoots(image->roots);
}

}  // namespace winsim
