// The shell's side: icons from the program's resources, the notification area
// (one record per window and id, as the shell keeps them) and the about box.
#include <map>

#include "internal.h"
#include "winsim.h"

namespace winsim::detail {
namespace {
std::vector<std::string> resources;
std::map<std::string, HICON> loaded;
std::vector<TrayIconInfo> tray;
std::vector<AboutBoxInfo> about;

TrayIconInfo *FindIcon(HWND window, UINT id) {
  for (auto &t : tray)
    if (t.window == window && t.id == id) return &t;
  return nullptr;
}

bool KnownSize(DWORD size) {
  return size == NOTIFYICONDATAA_V1_SIZE || size == NOTIFYICONDATAA_V2_SIZE ||
         size == NOTIFYICONDATAA_V3_SIZE || size == sizeof(NOTIFYICONDATAA);
}

void Apply(TrayIconInfo &icon, const NOTIFYICONDATAA &data) {
  if (data.uFlags & NIF_MESSAGE) icon.callback = data.uCallbackMessage;
  if (data.uFlags & NIF_ICON) icon.icon = data.hIcon;
  if (data.uFlags & NIF_TIP) {
    size_t limit = data.cbSize == NOTIFYICONDATAA_V1_SIZE ? 64 : sizeof data.szTip;
    size_t length = 0;
    while (length < limit && data.szTip[length]) ++length;
    icon.tip.assign(data.szTip, length < limit ? length : limit - 1);
  }
  icon.flags = data.uFlags;
}
}  // namespace

void ResetShell() {
  resources = {"MAINICON", "MAINICON2"};
  loaded.clear();
  tray.clear();
  about.clear();
}

std::string IconNameOf(HICON icon) {
  if (!icon) return "NULL";
  for (auto &l : loaded)
    if (l.second == icon) return l.first;
  return Hex(reinterpret_cast<std::uintptr_t>(icon));
}
}  // namespace winsim::detail

using namespace winsim::detail;
using namespace winsim;

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
  std::string key;
  if (!instance && IS_INTRESOURCE(name)) {
    key = "IDI#" + std::to_string(reinterpret_cast<std::uintptr_t>(name));
  } else if (instance == ProgramModule() && !IS_INTRESOURCE(name)) {
    for (auto &r : resources)
      if (r == name) key = r;
  }
  if (key.empty()) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    Record("LoadIconA(" + Quoted(name) + ") = NULL");
    return NULL;
  }
  // Loading the same icon resource again gives the same shared handle.
  if (!loaded.count(key)) loaded[key] = reinterpret_cast<HICON>(NextHandleValue());
  Record("LoadIconA(" + Quoted(name) + ") = " + key);
  return loaded[key];
}

BOOL WINAPI Shell_NotifyIconA(DWORD message, PNOTIFYICONDATAA data) {
  static const char *const names[] = {"NIM_ADD", "NIM_MODIFY", "NIM_DELETE"};
  if (!data || message > NIM_DELETE) return FALSE;
  if (Injected("Shell_NotifyIconA")) return FALSE;
  std::string call = std::string("Shell_NotifyIconA(") + names[message] + ", size " +
                     std::to_string(data->cbSize) + ", " + WindowName(data->hWnd) + ", " +
                     std::to_string(data->uID);
  if (message != NIM_DELETE)
    call += ", flags " + Hex(data->uFlags) + ", callback " + Hex(data->uCallbackMessage) + ", " +
            IconNameOf(data->hIcon) + ", " + Quoted(data->szTip);
  call += ")";
  TrayIconInfo *icon = FindIcon(data->hWnd, data->uID);
  BOOL ok = FALSE;
  if (!KnownSize(data->cbSize)) {
    ok = FALSE;
  } else if (message == NIM_ADD && !icon && IsWindow(data->hWnd)) {
    TrayIconInfo fresh{data->cbSize, data->hWnd, data->uID, 0, 0, NULL, ""};
    Apply(fresh, *data);
    tray.push_back(fresh);
    ok = TRUE;
  } else if (message == NIM_MODIFY && icon) {
    Apply(*icon, *data);
    ok = TRUE;
  } else if (message == NIM_DELETE && icon) {
    tray.erase(tray.begin() + (icon - tray.data()));
    ok = TRUE;
  }
  Record(call + " = " + std::to_string(ok));
  return ok;
}

int WINAPI ShellAboutA(HWND owner, LPCSTR app, LPCSTR other, HICON icon) {
  about.push_back({owner, app ? app : "", other ? other : "", icon});
  Record("ShellAboutA(" + WindowName(owner) + ", " + Quoted(app) + ", " + Quoted(other) + ", " +
         IconNameOf(icon) + ") = 1");
  return 1;
}

namespace winsim {
void SetIconResources(const std::vector<std::string> &names) { resources = names; }

bool ClickTrayIcon(UINT id, UINT mousemessage) {
  Record("user clicks tray icon " + std::to_string(id) + " " + detail::MessageName(mousemessage));
  for (auto &t : tray)
    if (t.id == id && IsProgramWindow(t.window) && (t.flags & NIF_MESSAGE)) {
      PostMessageA(t.window, t.callback, id, static_cast<LPARAM>(mousemessage));
      return true;
    }
  return false;
}

std::vector<TrayIconInfo> TrayIcons() { return tray; }
std::vector<AboutBoxInfo> AboutBoxes() { return about; }
std::string IconName(HICON icon) { return IconNameOf(icon); }
}  // namespace winsim
