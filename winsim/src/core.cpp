// The timeline, violations, failure injection, Reset, and the process-level
// kernel32 calls (command line, module handle, last error, MulDiv).
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

#include "internal.h"
#include "winsim.h"
#include "winsim_clipboard.h"
#include "winsim_registry.h"

namespace winsim::detail {
namespace {
std::vector<std::string> timeline;
std::vector<std::string> violations;
std::map<std::string, std::vector<DWORD>> injected;
std::string commandline;
std::uintptr_t nexthandle = 0x10000;
DWORD lasterror = 0;
DWORD tickcount = 0;
}  // namespace

void Record(const std::string &entry) { timeline.push_back(entry); }
void Violation(const std::string &what) {
  violations.push_back(what);
  timeline.push_back("VIOLATION: " + what);
}

bool Injected(const char *function) {
  auto found = injected.find(function);
  if (found == injected.end() || found->second.empty()) return false;
  SetLastError(found->second.front());
  found->second.erase(found->second.begin());
  Record(std::string(function) + " fails (injected)");
  return true;
}

std::uintptr_t NextHandleValue() { return nexthandle += 4; }

std::string Hex(std::uintptr_t value) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
  return text;
}

std::string Quoted(const char *text) {
  if (!text) return "NULL";
  if (reinterpret_cast<std::uintptr_t>(text) < 0x10000)
    return "#" + std::to_string(reinterpret_cast<std::uintptr_t>(text));
  return "\"" + std::string(text) + "\"";
}

std::string MessageName(UINT message) {
  static const std::map<UINT, const char *> names = {
      {WM_NULL, "WM_NULL"},
      {WM_CREATE, "WM_CREATE"},
      {WM_DESTROY, "WM_DESTROY"},
      {WM_CLOSE, "WM_CLOSE"},
      {WM_QUIT, "WM_QUIT"},
      {WM_SHOWWINDOW, "WM_SHOWWINDOW"},
      {WM_SETFONT, "WM_SETFONT"},
      {WM_NCCREATE, "WM_NCCREATE"},
      {WM_NCDESTROY, "WM_NCDESTROY"},
      {WM_COMMAND, "WM_COMMAND"},
      {WM_HOTKEY, "WM_HOTKEY"},
      {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"},
      {WM_RBUTTONDOWN, "WM_RBUTTONDOWN"},
      {WM_PASTE, "WM_PASTE"},
      {WM_GETFONT, "WM_GETFONT"},
      {BM_GETCHECK, "BM_GETCHECK"},
      {BM_SETCHECK, "BM_SETCHECK"},
      {CB_ADDSTRING, "CB_ADDSTRING"},
      {CB_GETCOUNT, "CB_GETCOUNT"},
      {CB_GETCURSEL, "CB_GETCURSEL"},
      {CB_GETLBTEXT, "CB_GETLBTEXT"},
      {CB_SETCURSEL, "CB_SETCURSEL"},
      {WM_USER + 1, "HKM_SETHOTKEY"},
      {WM_USER + 2, "HKM_GETHOTKEY"},
      {WM_USER + 3, "HKM_SETRULES"},
  };
  auto found = names.find(message);
  return found != names.end() ? found->second : Hex(message);
}

void ResetCore() {
  timeline.clear();
  violations.clear();
  injected.clear();
  commandline.clear();
  lasterror = 0;
  tickcount = 0;
}

}  // namespace winsim::detail

using namespace winsim::detail;
using namespace winsim;

DWORD WINAPI GetLastError(void) { return lasterror; }
void WINAPI SetLastError(DWORD error) { lasterror = error; }

// Rounded to the nearest, halves away from zero; -1 for a zero denominator.
int WINAPI MulDiv(int number, int numerator, int denominator) {
  if (!denominator) return -1;
  return static_cast<int>(std::llround(static_cast<double>(number) * numerator / denominator));
}

LPSTR WINAPI GetCommandLineA(void) { return commandline.data(); }

HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
  if (name) {
    SetLastError(126);  // ERROR_MOD_NOT_FOUND: the program asks for no other module
    return NULL;
  }
  return ProgramModule();
}

// Time passes only when the program waits: Sleep moves the clock on at once.
DWORD WINAPI GetTickCount(void) { return tickcount; }
void WINAPI Sleep(DWORD ms) {
  Record("Sleep(" + std::to_string(ms) + ")");
  tickcount += ms;
}

namespace winsim {

void Reset() {
  ResetCore();
  ResetWindows();
  ResetHotkeys();
  ResetMenus();
  ResetShell();
  ResetMemory();
  ResetClipboard();
  ResetKeyboard();
  ResetRegistry();
  ResetControls();
  ResetGdi();
  ResetLocale();
}

void SetCommandLine(const char *text) { commandline = text; }

void CheckProgramEnd() {
  if (size_t steps = ScriptStepsLeft())
    Violation("the program ended before " + std::to_string(steps) + " script step(s) ran");
  if (ClipboardOpenByProgram()) Violation("the program ended with the clipboard open");
  if (HooksInstalled()) Violation("the program ended with a keyboard hook installed");
  if (int dcs = ScreenDCsHeld())
    Violation("the program ended with " + std::to_string(dcs) + " screen DC(s) not released");
  if (int keys = OpenRegistryHandles())
    Violation("the program ended with " + std::to_string(keys) + " registry key(s) open");
  if (int blocks = ProgramBlocks())
    Violation("the program ended with " + std::to_string(blocks) + " memory block(s) not freed");
}

void FailNext(const std::string &function, DWORD error) { injected[function].push_back(error); }

const std::vector<std::string> &Timeline() { return timeline; }
void ClearTimeline() { timeline.clear(); }
std::vector<std::string> Violations() { return violations; }

}  // namespace winsim
