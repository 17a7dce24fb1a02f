// Window classes, windows, the message queue of the program's thread, and the
// script that stands in for the user while the program waits for messages.
#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <strings.h>
#include <vector>

#include "internal.h"
#include "winsim.h"

namespace winsim::detail {

struct WindowRec {
  HWND handle;
  std::string classname;
  std::string name;  // how the timeline shows it
  std::string title;
  DWORD style;
  DWORD exstyle;
  int x, y, width, height;
  HWND parent;
  WNDPROC proc;
  DWORD thread;
  bool topmost;
  bool destroyed;
  std::vector<MSG> received;  // foreign windows only
};

namespace {
struct ClassRec {
  std::string name;
  WNDPROC proc;
  HINSTANCE instance;
};

std::vector<ClassRec> classes;
std::vector<WindowRec> windows;  // never erased: handles are not reused
std::deque<MSG> queue;
bool quitposted = false;
int quitcode = 0;
std::deque<std::function<void()>> script;
int screenwidth = 1024, screenheight = 768;
POINT cursor = {0, 0};
HWND foreground = NULL;
}  // namespace

bool SameName(const std::string &a, const char *b) { return strcasecmp(a.c_str(), b) == 0; }

WindowRec *FindAny(HWND window) {
  for (auto &w : windows)
    if (w.handle == window) return &w;
  return nullptr;
}

WindowRec *FindLive(HWND window) {
  WindowRec *w = FindAny(window);
  return w && !w->destroyed ? w : nullptr;
}

bool IsProgramWindow(HWND window) {
  WindowRec *w = FindLive(window);
  return w && w->thread == kProgramThread;
}

std::string WindowName(HWND window) {
  if (!window) return "NULL";
  WindowRec *w = FindAny(window);
  return w ? w->name : "hwnd" + Hex(reinterpret_cast<std::uintptr_t>(window));
}

DWORD WindowThread(HWND window) {
  WindowRec *w = FindLive(window);
  return w ? w->thread : 0;
}

std::string MessageText(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return MessageName(message) + "(" + WindowName(window) + ", " + Hex(wparam) + ", " +
         Hex(static_cast<std::uintptr_t>(lparam)) + ")";
}

void ResetWindows() {
  classes.clear();
  windows.clear();
  queue.clear();
  script.clear();
  quitposted = false;
  quitcode = 0;
  screenwidth = 1024;
  screenheight = 768;
  cursor = {0, 0};
  foreground = NULL;
}

// Windows a given window's destruction takes along: its descendants, parent first.
void CollectTree(HWND root, std::vector<HWND> &out) {
  out.push_back(root);
  for (auto &w : windows)
    if (w.parent == root && !w.destroyed) CollectTree(w.handle, out);
}

}  // namespace winsim::detail

using namespace winsim::detail;
using namespace winsim;

namespace {
WNDPROC ClassProc(const char *name);
HWND NewWindow(const char *classname, const char *title, DWORD exstyle, DWORD style, int x, int y,
               int width, int height, HWND parent, WNDPROC proc, DWORD thread) {
  WindowRec w{};
  w.handle = reinterpret_cast<HWND>(NextHandleValue());
  w.classname = classname;
  int same = 0;
  for (auto &other : windows)
    if (SameName(other.classname, classname)) ++same;
  w.name = same ? std::string(classname) + "#" + std::to_string(same + 1) : std::string(classname);
  w.title = title ? title : "";
  w.exstyle = exstyle;
  w.style = style;
  w.x = x;
  w.y = y;
  w.width = width;
  w.height = height;
  w.parent = parent;
  w.proc = proc;
  w.thread = thread;
  w.topmost = (exstyle & WS_EX_TOPMOST) != 0;
  windows.push_back(w);
  return w.handle;
}
}  // namespace

ATOM WINAPI RegisterClassA(const WNDCLASSA *wc) {
  if (Injected("RegisterClassA")) return 0;
  if (!wc || !wc->lpszClassName || !wc->lpfnWndProc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  for (auto &c : classes)
    if (SameName(c.name, wc->lpszClassName) && c.instance == wc->hInstance) {
      SetLastError(ERROR_CLASS_ALREADY_EXISTS);
      Record("RegisterClassA(" + Quoted(wc->lpszClassName) + ") = 0");
      return 0;
    }
  classes.push_back({wc->lpszClassName, wc->lpfnWndProc, wc->hInstance});
  Record("RegisterClassA(" + Quoted(wc->lpszClassName) + ", style " + Hex(wc->style) +
         ", background " + Hex(reinterpret_cast<std::uintptr_t>(wc->hbrBackground)) + ", icon " +
         IconNameOf(wc->hIcon) + ") = 1");
  return static_cast<ATOM>(0xC000 + classes.size());
}

namespace {
WNDPROC ClassProc(const char *name) {
  for (auto &c : classes)
    if (SameName(c.name, name)) return c.proc;
  return nullptr;
}
}  // namespace

// Controls are created by the control module; it gives the window procedure.
namespace winsim::detail {
WNDPROC SystemClassProc(const char *name);
}

HWND WINAPI CreateWindowExA(DWORD exstyle, LPCSTR classname, LPCSTR title, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU, HINSTANCE, LPVOID) {
  std::string call = "CreateWindowExA(" + Hex(exstyle) + ", " + Quoted(classname) + ", " +
                     Quoted(title) + ", " + Hex(style) + ", " + std::to_string(x) + ", " +
                     std::to_string(y) + ", " + std::to_string(width) + ", " +
                     std::to_string(height) + ", " + WindowName(parent) + ")";
  if (Injected("CreateWindowExA")) {
    Record(call + " = NULL");
    return NULL;
  }
  WNDPROC proc = classname ? ClassProc(classname) : nullptr;
  if (!proc && classname) proc = SystemClassProc(classname);
  if (!proc) {
    SetLastError(1407);  // ERROR_CANNOT_FIND_WND_CLASS
    Record(call + " = NULL");
    return NULL;
  }
  if (parent && !FindLive(parent)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    Record(call + " = NULL");
    return NULL;
  }
  // An overlapped top-level window always gets a caption and clips its siblings.
  if (!(style & (WS_POPUP | WS_CHILD))) style |= WS_CAPTION | WS_CLIPSIBLINGS;
  HWND window = NewWindow(classname, title, exstyle, style, x, y, width, height, parent, proc,
                          kProgramThread);
  Record(call + " = " + WindowName(window));
  if (!SendMessageA(window, WM_NCCREATE, 0, 0) || SendMessageA(window, WM_CREATE, 0, 0) == -1) {
    DestroyWindow(window);
    return NULL;
  }
  return window;
}

BOOL WINAPI DestroyWindow(HWND window) {
  WindowRec *w = FindLive(window);
  if (!w || w->thread != kProgramThread) {
    SetLastError(w ? ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE);
    Record("DestroyWindow(" + WindowName(window) + ") = 0");
    return FALSE;
  }
  Record("DestroyWindow(" + WindowName(window) + ")");
  std::vector<HWND> tree;
  CollectTree(window, tree);
  FindLive(window)->style &= ~WS_VISIBLE;
  for (HWND h : tree) SendMessageA(h, WM_DESTROY, 0, 0);
  for (auto it = tree.rbegin(); it != tree.rend(); ++it) SendMessageA(*it, WM_NCDESTROY, 0, 0);
  for (HWND h : tree) {
    FindAny(h)->destroyed = true;
    if (foreground == h) foreground = NULL;
    OnWindowDestroyed(h);
  }
  return TRUE;
}

namespace winsim::detail {
void OnWindowDestroyed(HWND window) {
  HotkeysOnWindowDestroyed(window);
  ClipboardOnWindowDestroyed(window);
}
}  // namespace winsim::detail

BOOL WINAPI SetWindowPos(HWND window, HWND after, int x, int y, int cx, int cy, UINT flags) {
  std::string call = "SetWindowPos(" + WindowName(window) + ", " +
                     (after == HWND_TOPMOST ? std::string("HWND_TOPMOST") : WindowName(after)) +
                     ", " + std::to_string(x) + ", " + std::to_string(y) + ", " +
                     std::to_string(cx) + ", " + std::to_string(cy) + ", " + Hex(flags) + ")";
  WindowRec *w = FindLive(window);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    Record(call + " = 0");
    return FALSE;
  }
  if (!(flags & SWP_NOMOVE)) w->x = x, w->y = y;
  if (!(flags & SWP_NOSIZE)) w->width = cx, w->height = cy;
  if (!(flags & SWP_NOZORDER)) {
    if (after == HWND_TOPMOST) w->topmost = true;
    if (after == HWND_NOTOPMOST) w->topmost = false;
  }
  Record(call + " = 1");
  return TRUE;
}

BOOL WINAPI ShowWindow(HWND window, int cmd) {
  WindowRec *w = FindLive(window);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    Record("ShowWindow(" + WindowName(window) + ", " + std::to_string(cmd) + ") = 0");
    return FALSE;
  }
  BOOL was = (w->style & WS_VISIBLE) != 0;
  if (cmd == SW_HIDE)
    w->style &= ~WS_VISIBLE;
  else
    w->style |= WS_VISIBLE;
  Record("ShowWindow(" + WindowName(window) + ", " + std::to_string(cmd) +
         ") = " + std::to_string(was));
  return was;
}

BOOL WINAPI UpdateWindow(HWND window) {
  BOOL ok = FindLive(window) != nullptr;
  if (!ok) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  Record("UpdateWindow(" + WindowName(window) + ") = " + std::to_string(ok));
  return ok;
}

BOOL WINAPI IsWindowVisible(HWND window) {
  for (WindowRec *w = FindLive(window); w; w = FindLive(w->parent))
    if (!(w->style & WS_VISIBLE)) return FALSE;
  return FindLive(window) != nullptr;
}

BOOL WINAPI IsWindow(HWND window) { return FindLive(window) != nullptr; }

BOOL WINAPI SetForegroundWindow(HWND window) {
  BOOL ok = FindLive(window) != nullptr;
  if (ok) foreground = window;
  Record("SetForegroundWindow(" + WindowName(window) + ") = " + std::to_string(ok));
  return ok;
}

HWND WINAPI GetForegroundWindow(void) { return foreground; }

HWND WINAPI FindWindowA(LPCSTR classname, LPCSTR title) {
  HWND found = NULL;
  for (auto &w : windows) {
    if (w.destroyed || w.parent) continue;
    if (classname && !SameName(w.classname, classname)) continue;
    if (title && w.title != title) continue;
    found = w.handle;
    break;
  }
  Record("FindWindowA(" + Quoted(classname) + ", " + Quoted(title) + ") = " + WindowName(found));
  return found;
}

int WINAPI GetSystemMetrics(int index) {
  if (index == SM_CXSCREEN) return screenwidth;
  if (index == SM_CYSCREEN) return screenheight;
  return 0;
}

BOOL WINAPI GetCursorPos(LPPOINT point) {
  if (!point) return FALSE;
  *point = cursor;
  return TRUE;
}

DWORD WINAPI GetWindowThreadProcessId(HWND window, LPDWORD process) {
  WindowRec *w = FindLive(window);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (process) *process = w->thread == kProgramThread ? kProgramProcess : w->thread + 1;
  return w->thread;
}

// --- messages -------------------------------------------------------------------

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  WindowRec *w = FindLive(window);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    Violation("SendMessageA to a window that does not exist: " +
              MessageText(window, message, wparam, lparam));
    return 0;
  }
  Record("send " + MessageText(window, message, wparam, lparam));
  if (w->thread != kProgramThread) {
    w->received.push_back({window, message, wparam, lparam, 0, {0, 0}});
    return 0;
  }
  WNDPROC proc = w->proc;
  return proc(window, message, wparam, lparam);
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  WindowRec *w = FindLive(window);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    Violation("PostMessageA to a window that does not exist: " +
              MessageText(window, message, wparam, lparam));
    return FALSE;
  }
  Record("post " + MessageText(window, message, wparam, lparam));
  MSG msg = {window, message, wparam, lparam, 0, {0, 0}};
  if (w->thread != kProgramThread)
    w->received.push_back(msg);
  else
    queue.push_back(msg);
  return TRUE;
}

void WINAPI PostQuitMessage(int exitcode) {
  Record("PostQuitMessage(" + std::to_string(exitcode) + ")");
  quitposted = true;
  quitcode = exitcode;
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND, UINT, UINT) {
  RunHookCallsOnTheirWay();
  while (queue.empty() && !quitposted) {
    if (script.empty()) {
      Violation("GetMessageA would wait for ever: nothing is queued and the script has ended");
      *msg = {NULL, WM_QUIT, 0, 0, 0, {0, 0}};
      return FALSE;
    }
    auto step = std::move(script.front());
    script.pop_front();
    step();
  }
  // Posted messages come first; the quit flag is looked at only when none is left.
  if (!queue.empty()) {
    *msg = queue.front();
    queue.pop_front();
    return TRUE;
  }
  quitposted = false;
  *msg = {NULL, WM_QUIT, static_cast<WPARAM>(quitcode), 0, 0, {0, 0}};
  Record("GetMessageA = WM_QUIT");
  return FALSE;
}

BOOL WINAPI TranslateMessage(const MSG *) { return FALSE; }

LRESULT WINAPI DispatchMessageA(const MSG *msg) {
  if (!msg || !msg->hwnd) return 0;
  WindowRec *w = FindLive(msg->hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  Record("dispatch " + MessageText(msg->hwnd, msg->message, msg->wParam, msg->lParam));
  return w->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  Record("DefWindowProcA " + MessageText(window, message, wparam, lparam));
  if (!FindLive(window)) return 0;
  switch (message) {
    case WM_NCCREATE:
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    default:
      return 0;
  }
}

namespace winsim {

void SetScreenSize(int width, int height) { screenwidth = width, screenheight = height; }
void SetCursor(int x, int y) { cursor = {x, y}; }

HWND AddForeignWindow(const char *classname, const char *title, DWORD thread) {
  return NewWindow(classname, title, 0, WS_CAPTION | WS_CLIPSIBLINGS, 0, 0, 100, 100, NULL, nullptr,
                   thread);
}

std::vector<MSG> ForeignMessages(HWND window) {
  WindowRec *w = FindAny(window);
  return w ? w->received : std::vector<MSG>{};
}

void Script(std::function<void()> step) { script.push_back(std::move(step)); }

size_t ScriptStepsLeft() { return script.size(); }

void PostFromOtherProcess(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  PostMessageA(window, message, wparam, lparam);
}

std::vector<WindowInfo> Windows() {
  std::vector<WindowInfo> out;
  out.reserve(windows.size());
  for (auto &w : windows) out.push_back(Window(w.handle));
  return out;
}

WindowInfo Window(HWND window) {
  WindowRec *w = FindAny(window);
  if (!w) return WindowInfo{};
  return {w->handle,
          w->classname,
          w->title,
          w->style,
          w->exstyle,
          w->x,
          w->y,
          w->width,
          w->height,
          w->parent,
          IsWindowVisible(window) != 0,
          w->topmost,
          w->destroyed,
          w->thread != kProgramThread};
}

HWND Foreground() { return foreground; }
void SetForeground(HWND window) { foreground = window; }

}  // namespace winsim
