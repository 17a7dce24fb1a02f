// Runs the real program and feeds its main window whatever messages another
// program or the system could deliver: any message number, wParam and
// lParam, dispatched as the message loop would or sent, mixed with what the
// user does on the settings page (open it, click its buttons, type hotkeys,
// pick a language) and with commands naming the page's controls of any
// earlier opening. Besides no crash, leak or winsim violation, the settings
// and their registry values change only through OK on the open page.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "app/app.h"
#include "app/iconca.h"
#include "settings/settings.h"
#include "settingspage/form_parametr.h"
#include "winsim.h"
#include "winsim_clipboard.h"
#include "winsim_controls.h"
#include "winsim_registry.h"

namespace {
const char SettingsKey[] = "HKCU\\Software\\Tamsel";

// Reads the input front to back; what runs out reads as zero.
struct Input {
  const uint8_t *data = nullptr;
  size_t size = 0;
  uint8_t Byte() {
    if (!size) return 0;
    --size;
    return *data++;
  }
  uint64_t Raw(int bytes) {
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= uint64_t(Byte()) << (8 * i);
    return value;
  }
};

struct Named {
  UINT message;
  const char *name;
};
// Most picks are the messages the program handles; the ones that end it are
// rarer so that a run goes on long enough to reach the page.
const Named CommonMessages[] = {{WM_COMMAND, "WM_COMMAND"},
                                {WM_HOTKEY, "WM_HOTKEY"},
                                {WM_TRAYNOTIFY, "WM_TRAYNOTIFY"},
                                {WM_NULL, "WM_NULL"}};
const Named EndingMessages[] = {
    {WM_DESTROY, "WM_DESTROY"}, {WM_CLOSE, "WM_CLOSE"}, {WM_QUIT, "WM_QUIT"}};
const LPARAM MouseMessages[] = {0, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_LBUTTONUP};

// What must not change but through OK: the settings in memory and in the registry.
using StoredValue = std::tuple<std::string, DWORD, std::vector<BYTE>>;  // name, type, data
struct State {
  std::vector<DWORD> settings;
  std::vector<StoredValue> registry;
  bool operator==(const State &o) const { return settings == o.settings && registry == o.registry; }
};
const char *const SettingNames[] = {"active",        "hookkey",   "codepage", "iconclick",
                                    "usercodepage",  "activekey", "keycp",    "keycc",
                                    "activekeymods", "keycpmods", "keyccmods"};

std::string Hex(uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
  return text;
}

State Snapshot() {
  State s;
  s.settings = {active, hookkey, codepage,      iconclick, usercodepage, activekey,
                keycp,  keycc,   activekeymods, keycpmods, keyccmods};
  for (const std::string &name : winsim::RegistryValueNames(SettingsKey)) {
    auto value = winsim::GetRegistryValue(SettingsKey, name);
    s.registry.emplace_back(name, value->type, value->data);
  }
  return s;
}

std::string Describe(const std::vector<StoredValue> &registry) {
  std::string text;
  for (const auto &[name, type, data] : registry) {
    text += "\n    " + name + " type " + std::to_string(type) + ":";
    for (BYTE b : data) text += " " + Hex(b);
  }
  return text;
}

// One input's run of the program.
struct Run {
  Input input;
  HWND main = NULL;
  std::vector<HWND> seen;     // every page control of every opening, in order of creation
  std::vector<HWND> page;     // the controls of the latest opening
  std::vector<HWND> buttons;  // OK and Cancel of every opening
  HWND ok = NULL, cancel = NULL;
  State last;
  size_t stepend = 0;              // the timeline's length when the last step ended
  std::vector<std::string> steps;  // what was done, for the report of a failure
};
Run run;

[[noreturn]] void Fail(const std::string &what) {
  for (const std::string &step : run.steps) std::fprintf(stderr, "  %s\n", step.c_str());
  std::fprintf(stderr, "wndproc_fuzz: %s\n", what.c_str());
  std::abort();
}

void ExpectNoViolation() {
  std::vector<std::string> violations = winsim::Violations();
  if (violations.empty()) return;
  std::string what = "winsim saw a violation:";
  for (const std::string &v : violations) what += "\n  " + v;
  Fail(what);
}

std::string Difference(const State &before, const State &after) {
  std::string text;
  for (size_t i = 0; i < before.settings.size(); ++i)
    if (before.settings[i] != after.settings[i])
      text += std::string("\n  ") + SettingNames[i] + ": " + Hex(before.settings[i]) + " -> " +
              Hex(after.settings[i]);
  if (before.registry != after.registry) {
    text += "\n  registry before:" + Describe(before.registry);
    text += "\n  registry after:" + Describe(after.registry);
  }
  return text;
}

void ExpectUnchanged(const char *when) {
  State now = Snapshot();
  if (!(now == run.last))
    Fail(std::string("the settings changed ") + when + Difference(run.last, now));
}

// A control of this run by its opening and place on the page, else the number.
std::string HandleName(LPARAM value) {
  for (size_t i = 0; i < run.seen.size(); ++i) {
    if (value != reinterpret_cast<LPARAM>(run.seen[i])) continue;
    winsim::WindowInfo w = winsim::Window(run.seen[i]);
    return "control " + std::to_string(i % run.page.size()) + " (" + w.classname + " \"" + w.title +
           "\") of opening " + std::to_string(i / run.page.size() + 1);
  }
  return Hex(static_cast<uint64_t>(value));
}

// Half the picks name an OK or Cancel button of some opening: the controls
// whose command does something.
HWND PickSeen(uint8_t pick) {
  const std::vector<HWND> &from = pick & 0x80 ? run.buttons : run.seen;
  return from.empty() ? NULL : from[pick % from.size()];
}
HWND PickOnPage(uint8_t pick) { return run.page.empty() ? NULL : run.page[pick % run.page.size()]; }

// The OK button of the page now built and shown, if any.
HWND LiveOk() { return run.ok && IsWindowVisible(run.ok) ? run.ok : NULL; }

std::string MessageName(UINT message) {
  for (const Named &n : CommonMessages)
    if (n.message == message) return n.name;
  for (const Named &n : EndingMessages)
    if (n.message == message) return n.name;
  return Hex(message);
}

UINT PickMessage() {
  uint8_t pick = run.input.Byte();
  if (pick < 0xC0) return CommonMessages[pick % std::size(CommonMessages)].message;
  if (pick < 0xF0) return EndingMessages[pick % std::size(EndingMessages)].message;
  return static_cast<UINT>(run.input.Raw(4));
}

// Small values cover the command and hotkey ids.
WPARAM PickWparam() {
  uint8_t pick = run.input.Byte();
  return pick < 0xF0 ? pick % 16 : run.input.Raw(8);
}

LPARAM PickLparam() {
  uint8_t pick = run.input.Byte();
  if (pick < 0x40) return reinterpret_cast<LPARAM>(PickSeen(run.input.Byte()));
  if (pick < 0xC0) return MouseMessages[pick % std::size(MouseMessages)];
  return static_cast<LPARAM>(run.input.Raw(8));
}

// Sent, or dispatched as the program's loop does with what it finds queued
// (the queue is empty whenever a step runs); the loop ends on WM_QUIT
// without dispatching it.
bool Deliver(bool sent, UINT message, WPARAM wparam, LPARAM lparam) {
  bool onok = message == WM_COMMAND && lparam && lparam == reinterpret_cast<LPARAM>(LiveOk());
  run.steps.push_back(std::string(sent ? "send " : "dispatch ") + MessageName(message) + "(" +
                      Hex(wparam) + ", " + HandleName(lparam) + ")");
  if (sent) {
    SendMessageA(run.main, message, wparam, lparam);
  } else if (message == WM_QUIT) {
    PostQuitMessage(static_cast<int>(wparam));
  } else {
    MSG msg = {run.main, message, wparam, lparam, 0, {0, 0}};
    DispatchMessageA(&msg);
  }
  return onok;
}

bool ClickOnPage(HWND control) {
  bool onok = control && control == LiveOk();
  run.steps.push_back("user clicks " + HandleName(reinterpret_cast<LPARAM>(control)));
  if (control) winsim::Click(control);
  return onok;
}

// A hotkey control takes the word, the language list a row from its low byte.
void EditOnPage(HWND control, WORD word) {
  run.steps.push_back("user types or picks " + Hex(word) + " in " +
                      HandleName(reinterpret_cast<LPARAM>(control)));
  if (control && !winsim::TypeHotkey(control, word)) winsim::PickRow(control, LOBYTE(word) % 4);
}

// One thing done to the program; true when it was OK on the open page.
bool Act() {
  uint8_t op = run.input.Byte();
  bool sent = op & 0x80;
  switch (op % 8) {
    case 0:
      return Deliver(sent, WM_COMMAND, SettingsCommandId, 0);
    case 1:
      return ClickOnPage(run.input.Byte() % 2 ? run.cancel : run.ok);
    case 2:
      return ClickOnPage(PickOnPage(run.input.Byte()));
    case 3: {
      HWND control = PickOnPage(run.input.Byte());
      EditOnPage(control, static_cast<WORD>(run.input.Raw(2)));
      return false;
    }
    case 4: {
      WPARAM wparam = PickWparam();
      return Deliver(sent, WM_COMMAND, wparam,
                     reinterpret_cast<LPARAM>(PickSeen(run.input.Byte())));
    }
    default: {
      UINT message = PickMessage();
      WPARAM wparam = PickWparam();
      return Deliver(sent, message, wparam, PickLparam());
    }
  }
}

bool Began(const std::string &entry, const char *prefix) { return entry.rfind(prefix, 0) == 0; }

// The program built a page in the last step: its controls join those seen.
void RememberPage() {
  std::vector<HWND> page = winsim::Descendants(run.main);
  if (page.empty()) return;
  run.page = page;
  run.seen.insert(run.seen.end(), run.page.begin(), run.page.end());
  run.ok = okbutton;
  run.cancel = cancelbutton;
  run.buttons.push_back(okbutton);
  run.buttons.push_back(cancelbutton);
}

// One step per message; the next one is scripted only while the program's
// loop goes on, and the end of the input asks it to quit as a second start does.
void Step() {
  if (!run.main) {
    run.main = FindWindowA(MainClassName, NULL);
    run.last = Snapshot();
  }
  if (winsim::Timeline().size() != run.stepend)
    ExpectUnchanged("while the program handled what it had posted itself");
  if (!run.input.size) {
    run.steps.push_back("the program is told to quit");
    winsim::PostFromOtherProcess(run.main, WM_DESTROY, 0, 0);
    return;
  }
  size_t mark = winsim::Timeline().size();
  bool onok = Act();
  if (!onok) ExpectUnchanged(("by: " + run.steps.back()).c_str());
  run.last = Snapshot();
  ExpectNoViolation();
  bool built = false, quit = false;
  const std::vector<std::string> &timeline = winsim::Timeline();
  for (size_t i = mark; i < timeline.size(); ++i) {
    built |= Began(timeline[i], "CreateWindowExA(");
    quit |= Began(timeline[i], "PostQuitMessage(");
  }
  if (built) RememberPage();
  if (!quit) winsim::Script(Step);
  run.stepend = timeline.size();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  winsim::Reset();
  run = Run();
  run.input = {data, size};
  winsim::SetCommandLine("\"C:\\Program Files\\Tamsel\\tamsel.exe\"");
  // Something to paste, so that the hotkeys do their whole work.
  winsim::CopyToClipboard({winsim::AnsiText("Tamsel")});
  winsim::Script(Step);
  WinMain(GetModuleHandleA(NULL), NULL, const_cast<LPSTR>(""), SW_SHOWNORMAL);
  if (run.main) ExpectUnchanged("while the program shut down");
  winsim::CheckProgramEnd();
  ExpectNoViolation();
  // What the run allocated is freed within it, so libFuzzer's leak check
  // looks only at runs that really leave something behind.
  winsim::Reset();
  run = Run();
  return 0;
}
