// Keyboard layouts, the key state and the road of a key event: each thread
// has a layout, 0x04190419 (Russian) unless a test gives it another; a key
// event passes the low-level hooks, then a press is caught by the hotkey its
// combination makes, or reaches the focused application (see
// winsim_keyboard.h).
#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <vector>

#include "internal.h"
#include "winsim.h"
#include "winsim_clipboard.h"
#include "winsim_controls.h"
#include "winsim_keyboard.h"

namespace winsim::detail {
namespace {
const HKL kDefaultLayout = reinterpret_cast<HKL>(std::uintptr_t(0x04190419));
std::map<DWORD, HKL> layouts;
std::vector<HKL> installed;  // the user's input languages, in the system's order
const std::vector<HKL> kDefaultInstalled = {reinterpret_cast<HKL>(std::uintptr_t(0x04190419)),
                                            reinterpret_cast<HKL>(std::uintptr_t(0x04090409))};

constexpr BYTE kLeftWin = 0x5B;
constexpr BYTE kRightWin = 0x5C;

// Set 1 scan codes of the keys of a US keyboard (a Russian one has the same
// keys); map type 0 gives these, 0 for a key without one.
const std::map<BYTE, BYTE> kScanCodes = {
    {0x08, 0x0E},      {0x09, 0x0F}, {0x0D, 0x1C},     {VK_SHIFT, 0x2A},  {VK_CONTROL, 0x1D},
    {VK_MENU, 0x38},   {0x13, 0x45}, {0x14, 0x3A},     {0x1B, 0x01},      {0x20, 0x39},
    {0x21, 0x49},      {0x22, 0x51}, {0x23, 0x4F},     {0x24, 0x47},      {0x25, 0x4B},
    {0x26, 0x48},      {0x27, 0x4D}, {0x28, 0x50},     {0x2C, 0x54},      {VK_INSERT, 0x52},
    {VK_DELETE, 0x53}, {'0', 0x0B},  {'1', 0x02},      {'2', 0x03},       {'3', 0x04},
    {'4', 0x05},       {'5', 0x06},  {'6', 0x07},      {'7', 0x08},       {'8', 0x09},
    {'9', 0x0A},       {'A', 0x1E},  {'B', 0x30},      {'C', 0x2E},       {'D', 0x20},
    {'E', 0x12},       {'F', 0x21},  {'G', 0x22},      {'H', 0x23},       {'I', 0x17},
    {'J', 0x24},       {'K', 0x25},  {'L', 0x26},      {'M', 0x32},       {'N', 0x31},
    {'O', 0x18},       {'P', 0x19},  {'Q', 0x10},      {'R', 0x13},       {'S', 0x1F},
    {'T', 0x14},       {'U', 0x16},  {'V', 0x2F},      {'W', 0x11},       {'X', 0x2D},
    {'Y', 0x15},       {'Z', 0x2C},  {kLeftWin, 0x5B}, {kRightWin, 0x5C}, {0x70, 0x3B},
    {0x71, 0x3C},      {0x72, 0x3D}, {0x73, 0x3E},     {0x74, 0x3F},      {0x75, 0x40},
    {0x76, 0x41},      {0x77, 0x42}, {0x78, 0x43},     {0x79, 0x44},      {0x7A, 0x57},
    {0x7B, 0x58},      {0x90, 0x45}, {0x91, 0x46},
};

// The two keys of each modifier: the generic code, its left and right codes,
// and the right key's scan code (the right Ctrl and Alt share the left one's
// and differ by the extended prefix).
struct ModifierSides {
  BYTE generic;
  BYTE left;
  BYTE right;
  BYTE rightscan;
};
const ModifierSides kModifierSides[] = {{VK_SHIFT, VK_LSHIFT, VK_RSHIFT, 0x36},
                                        {VK_CONTROL, VK_LCONTROL, VK_RCONTROL, 0x1D},
                                        {VK_MENU, VK_LMENU, VK_RMENU, 0x38}};

const ModifierSides *SidesOf(BYTE vk) {
  for (const auto &m : kModifierSides)
    if (vk == m.generic || vk == m.left || vk == m.right) return &m;
  return nullptr;
}

std::array<bool, 256> down;
std::vector<KeyEvent> synthetic;
std::vector<KeyEvent> delivered;
std::vector<BYTE> userheld;  // keys of the last PressHotkey, as pressed
int pastes;
std::vector<std::pair<HHOOK, HOOKPROC>> hooks;  // the newest first, as they are called
int letgobefore = -1;  // the user lets go before this many more synthetic events
bool letgoasunhooked;
std::vector<std::pair<HHOOK, HOOKPROC>> removed;  // with the user's release on its way
std::optional<ULONG_PTR> remapper;                // its extra information

UINT ModifiersDown() {
  return (down[VK_MENU] ? MOD_ALT : 0) | (down[VK_CONTROL] ? MOD_CONTROL : 0) |
         (down[VK_SHIFT] ? MOD_SHIFT : 0) | (down[kLeftWin] || down[kRightWin] ? MOD_WIN : 0);
}

BYTE ScanCode(BYTE vk) {
  const ModifierSides *m = SidesOf(vk);
  if (m && vk == m->right) return m->rightscan;
  auto found = kScanCodes.find(m ? m->generic : vk);
  return found != kScanCodes.end() ? found->second : 0;
}

// The key an event moves: a side's own code names that side, whatever its
// flags say (Wine differs, see winsim/README.md); the generic code is the
// right key with the extended flag, else the left one.
BYTE MovedKey(const KeyEvent &event) {
  const ModifierSides *m = SidesOf(event.vk);
  if (!m || event.vk != m->generic) return event.vk;
  return (event.flags & KEYEVENTF_EXTENDEDKEY) ? m->right : m->left;
}

// The generic code is down while either side is.
void MoveKey(const KeyEvent &event) {
  BYTE key = MovedKey(event);
  down[key] = !event.up();
  if (const ModifierSides *m = SidesOf(key)) down[m->generic] = down[m->left] || down[m->right];
}

int selfcaught;  // synthetic presses caught by the program's own hotkeys

// A program that types its own hotkey gets WM_HOTKEY back and, handling it,
// types it again: on Windows it never stops. After a few rounds winsim lets
// the key through so that the test ends, with the violation.
constexpr int kSelfCatchRounds = 5;

HotkeyCatch CatchSynthetic(const KeyEvent &event) {
  if (selfcaught >= kSelfCatchRounds) return HotkeyCatch::None;
  HotkeyCatch caught = CatchHotkey(ModifiersDown(), event.vk);
  if (caught == HotkeyCatch::Program && ++selfcaught == 1)
    Violation("the program's own synthetic key press " + Hex(ModifiersDown()) + "+" +
              Hex(event.vk) + " was caught by its own hotkey: it will handle its keystroke again");
  return caught;
}

// Called before the key state changes, as Windows does; a hook that returns
// non-zero stops the event there.
bool HooksStop(const KeyEvent &event) {
  const ModifierSides *m = SidesOf(event.vk);
  bool sys = m && m->generic == VK_MENU ? !event.up() : down[VK_MENU];
  WPARAM message = event.up() ? (sys ? WM_SYSKEYUP : WM_KEYUP) : (sys ? WM_SYSKEYDOWN : WM_KEYDOWN);
  DWORD flags = (event.up() ? LLKHF_UP : 0) |
                (event.synthetic || event.remapped ? LLKHF_INJECTED : 0) |
                (event.flags & KEYEVENTF_EXTENDEDKEY ? LLKHF_EXTENDED : 0);
  KBDLLHOOKSTRUCT key = {event.vk, event.scan, flags, 0, event.extra};
  for (const auto &hook : std::vector(hooks))
    if (hook.second(HC_ACTION, message, reinterpret_cast<LPARAM>(&key))) {
      Record("a hook stops " + Describe(event));
      return true;
    }
  return false;
}

// One key event on its way: the hooks, the key state, then a hotkey or the
// application.
HotkeyCatch Route(const KeyEvent &event) {
  HotkeyCatch caught = HotkeyCatch::None;
  if (HooksStop(event)) return caught;
  MoveKey(event);
  if (!event.up())
    caught = event.synthetic ? CatchSynthetic(event) : CatchHotkey(ModifiersDown(), event.vk);
  if (caught != HotkeyCatch::None) return caught;
  delivered.push_back(event);
  if (!event.up() && event.vk == 'V' && ModifiersDown() == MOD_CONTROL) ++pastes;
  return caught;
}

// The keyboard names the user's modifiers by their side; the right Ctrl and
// Alt are extended keys.
KeyEvent UserEvent(BYTE vk, bool up) {
  const ModifierSides *m = SidesOf(vk);
  bool extended = m && vk == m->right && m->generic != VK_SHIFT;
  KeyEvent event{
      vk, ScanCode(vk),
      static_cast<DWORD>((up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0)),
      false};
  if (m && remapper) event.extra = *remapper, event.remapped = true;
  return event;
}

void UserKey(BYTE vk, bool up) {
  Record(std::string("user ") + (up ? "releases " : "presses ") + KeyName(vk));
  Route(UserEvent(vk, up));
}

// A thread exists when the program runs on it, one of the windows belongs to
// it, or a test gave it a layout.
bool ThreadExists(DWORD thread) {
  if (thread == kProgramThread || layouts.count(thread)) return true;
  for (const auto &w : Windows())
    if (!w.destroyed && WindowThread(w.handle) == thread) return true;
  return false;
}
}  // namespace

void ResetKeyboard() {
  layouts.clear();
  installed = kDefaultInstalled;
  down.fill(false);
  synthetic.clear();
  delivered.clear();
  userheld.clear();
  pastes = 0;
  selfcaught = 0;
  hooks.clear();
  letgobefore = -1;
  letgoasunhooked = false;
  removed.clear();
  remapper.reset();
}

// The release reaches the removed hooks alone: the others had it already.
void RunHookCallsOnTheirWay() {
  if (removed.empty()) return;
  std::swap(hooks, removed);
  ReleaseUserKeys();
  std::swap(hooks, removed);
  removed.clear();
}

bool HooksInstalled() { return !hooks.empty(); }

// The layout a thread uses, whether or not it exists.
HKL AssignedLayout(DWORD thread) {
  auto found = layouts.find(thread);
  return found != layouts.end() ? found->second : kDefaultLayout;
}

// The layout of a thread (0: the program's), or NULL for no such thread.
HKL ThreadLayout(DWORD thread) {
  if (thread == 0) thread = kProgramThread;
  return ThreadExists(thread) ? AssignedLayout(thread) : NULL;
}
}  // namespace winsim::detail

using namespace winsim::detail;
using namespace winsim;

HKL WINAPI GetKeyboardLayout(DWORD thread) {
  HKL layout = ThreadLayout(thread);
  Record("GetKeyboardLayout(" + Hex(thread) +
         ") = " + Hex(reinterpret_cast<std::uintptr_t>(layout)));
  return layout;
}

// Count 0 asks how many there are; otherwise as many as fit are copied.
int WINAPI GetKeyboardLayoutList(int count, HKL *list) {
  int result = static_cast<int>(installed.size());
  if (count > 0 && !list) {
    Violation("GetKeyboardLayoutList into no buffer");
    result = 0;
  } else if (count > 0) {
    result = std::min(count, result);
    std::copy(installed.begin(), installed.begin() + result, list);
  }
  Record("GetKeyboardLayoutList(" + std::to_string(count) + ") = " + std::to_string(result));
  return result;
}

void WINAPI keybd_event(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extra) {
  Record("keybd_event(" + Hex(vk) + ", " + Hex(scan) + ", " + Hex(flags) + ", " + Hex(extra) + ")");
  if (letgobefore >= 0 && letgobefore-- == 0) ReleaseUserKeys();
  KeyEvent event{vk, scan, flags, true, extra};
  synthetic.push_back(event);
  Route(event);
}

// Only the low-level keyboard hook of every thread is modelled, called within
// the call that sends a key, as for the program's own thread.
HHOOK WINAPI SetWindowsHookExA(int id, HOOKPROC proc, HINSTANCE module, DWORD thread) {
  HHOOK hook = NULL;
  if (id != WH_KEYBOARD_LL || !proc || thread != 0)
    Violation("SetWindowsHookExA(" + std::to_string(id) +
              ") is not modelled but for WH_KEYBOARD_LL");
  else if (module != ProgramModule())
    Violation("SetWindowsHookExA with a module other than the program's");
  else if (!Injected("SetWindowsHookExA"))
    hook = reinterpret_cast<HHOOK>(NextHandleValue());
  if (hook) hooks.insert(hooks.begin(), {hook, proc});
  Record("SetWindowsHookExA(" + std::to_string(id) +
         ") = " + Hex(reinterpret_cast<std::uintptr_t>(hook)));
  return hook;
}

BOOL WINAPI UnhookWindowsHookEx(HHOOK hook) {
  auto found =
      std::find_if(hooks.begin(), hooks.end(), [=](const auto &h) { return h.first == hook; });
  Record("UnhookWindowsHookEx(" + Hex(reinterpret_cast<std::uintptr_t>(hook)) + ")");
  if (found == hooks.end()) {
    Violation("UnhookWindowsHookEx of a hook not installed");
    return FALSE;
  }
  if (letgoasunhooked) removed.push_back(*found);
  letgoasunhooked = false;
  hooks.erase(found);
  return TRUE;
}

// No hook of another program follows the program's.
LRESULT WINAPI CallNextHookEx(HHOOK, int, WPARAM, LPARAM) { return 0; }

// Reads the same key state as the one that synthetic and physical events change.
short WINAPI GetAsyncKeyState(int vk) {
  short result = vk >= 0 && vk < 256 && down[vk] ? static_cast<short>(0x8000) : 0;
  Record("GetAsyncKeyState(" + Hex(static_cast<std::uintptr_t>(vk)) +
         ") = " + Hex(static_cast<std::uint16_t>(result)));
  return result;
}

// Map type 0 (virtual key to scan code) and 1 (back); the others are not
// modelled and give 0.
UINT WINAPI MapVirtualKeyA(UINT code, UINT maptype) {
  UINT result = 0;
  if (maptype == MAPVK_VK_TO_VSC && code < 256) result = ScanCode(static_cast<BYTE>(code));
  if (maptype == 1) {
    for (auto at = kScanCodes.begin(); at != kScanCodes.end() && !result; ++at)
      if (at->second == code) result = at->first;
    if (code == kModifierSides[0].rightscan) result = VK_SHIFT;
  }
  Record("MapVirtualKeyA(" + Hex(code) + ", " + Hex(maptype) + ") = " + Hex(result));
  return result;
}

namespace winsim {
void SetKeyboardLayout(DWORD thread, HKL layout) { layouts[thread] = layout; }
void SetInstalledLayouts(const std::vector<HKL> &list) { installed = list; }

bool PressHotkey(UINT modifiers, UINT vk, Sides sides) {
  ReleaseUserKeys();
  Record("user presses " + Hex(modifiers) + "+" + Hex(vk));
  const std::pair<UINT, BYTE> modifierkeys[] = {
      {MOD_CONTROL, VK_CONTROL}, {MOD_ALT, VK_MENU}, {MOD_SHIFT, VK_SHIFT}};
  // The modifiers go down first, as a person presses them.
  for (const auto &[flag, generic] : modifierkeys) {
    if (!(modifiers & flag)) continue;
    const ModifierSides *m = SidesOf(generic);
    for (BYTE key : {m->left, m->right}) {
      if ((key == m->left ? sides == Sides::Right : sides == Sides::Left)) continue;
      userheld.push_back(key);
      Route(UserEvent(key, false));
    }
  }
  if (modifiers & MOD_WIN) {
    userheld.push_back(kLeftWin);
    Route(UserEvent(kLeftWin, false));
  }
  BYTE key = static_cast<BYTE>(vk);
  userheld.push_back(key);
  return Route(UserEvent(key, false)) == HotkeyCatch::Program;
}

void ReleaseUserKeys() {
  for (BYTE key : userheld) UserKey(key, true);
  userheld.clear();
}

void LetGoBeforeSyntheticKey(int count) { letgobefore = count; }
void LetGoAsTheHookIsRemoved() { letgoasunhooked = true; }
void RemapUserModifiers(ULONG_PTR extra) { remapper = extra; }

std::vector<KeyEvent> SyntheticKeys() { return synthetic; }
std::vector<KeyEvent> DeliveredKeys() { return delivered; }
int PastesSeen() { return pastes; }
bool KeyDown(BYTE vk) { return down[vk]; }

std::string KeyName(BYTE vk) {
  switch (vk) {
    case VK_SHIFT:
      return "Shift";
    case VK_CONTROL:
      return "Ctrl";
    case VK_MENU:
      return "Alt";
    case VK_LSHIFT:
      return "Left Shift";
    case VK_RSHIFT:
      return "Right Shift";
    case VK_LCONTROL:
      return "Left Ctrl";
    case VK_RCONTROL:
      return "Right Ctrl";
    case VK_LMENU:
      return "Left Alt";
    case VK_RMENU:
      return "Right Alt";
    case VK_INSERT:
      return "Insert";
    case kLeftWin:
      return "Win";
    default:
      break;
  }
  if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return std::string(1, char(vk));
  return Hex(vk);
}

std::string Describe(const KeyEvent &event) {
  return KeyName(event.vk) + (event.up() ? " up" : " down");
}
}  // namespace winsim
