// The clipboard, one for the whole desktop: who has it open and who owns it,
// the blocks stored in it (which then belong to the system), and the text
// formats and locale the system derives when a changed clipboard is closed.
// The rules and what is not modelled are listed in winsim_clipboard.h.
#include <array>
#include <cctype>
#include <cstring>
#include <map>
#include <memory>

#include "internal.h"
#include "winsim.h"
#include "winsim_clipboard.h"

namespace winsim::detail {

// memory.cpp
struct BlockRec;
HGLOBAL AllocBlockWith(const void *data, SIZE_T size);
BlockRec *LiveBlock(HGLOBAL mem);
const BYTE *BlockData(HGLOBAL mem);
SIZE_T BlockSize(HGLOBAL mem);
std::string BlockName(HGLOBAL mem);
void SetClipboardHolds(HGLOBAL mem, bool held);
void FreeClipboardBlock(HGLOBAL mem);
void CheckUnlocked(HGLOBAL mem, const char *when);
bool FailsNow(const char *function);
// keyboard.cpp
HKL AssignedLayout(DWORD thread);

namespace {
constexpr DWORD kOtherProgramThread = 0x2000;

constexpr UINT kFirstRegisteredFormat = 0xC000;

// Registered format names, the first for 0xC000. Like the system's atom
// table they outlive a program's run, so they are kept across Reset.
std::vector<std::string> &RegisteredNames() {
  static std::vector<std::string> names;
  return names;
}

// --- the clipboard's state --------------------------------------------------------
struct FormatRec {
  UINT format;
  HGLOBAL data;  // NULL for a derived format not asked for yet
  UINT from;     // text derived from this format; 0 for none
  bool derived;  // added by the system, not stored by a program
};

std::vector<FormatRec> formats;
HWND owner = NULL;
bool open = false;  // by the program
HWND openwindow = NULL;
bool heldbyother = false;
bool changed = false;  // since the program opened it
LCID textlocale = 0;   // input language of whoever stored text last
std::function<void()> beforeopen;

FormatRec *Find(UINT format) {
  for (auto &f : formats)
    if (f.format == format) return &f;
  return nullptr;
}

std::string FormatName(UINT format) {
  switch (format) {
    case CF_TEXT:
      return "CF_TEXT";
    case CF_BITMAP:
      return "CF_BITMAP";
    case CF_OEMTEXT:
      return "CF_OEMTEXT";
    case CF_DIB:
      return "CF_DIB";
    case CF_UNICODETEXT:
      return "CF_UNICODETEXT";
    case CF_LOCALE:
      return "CF_LOCALE";
    default:
      break;
  }
  const auto &names = RegisteredNames();
  if (format >= kFirstRegisteredFormat && format - kFirstRegisteredFormat < names.size())
    return Quoted(names[format - kFirstRegisteredFormat].c_str());
  return Hex(format);
}

bool SameNameIgnoringCase(const std::string &a, const char *b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return i == a.size() && !b[i];
}

bool IsText(UINT format) {
  return format == CF_TEXT || format == CF_OEMTEXT || format == CF_UNICODETEXT;
}

LCID InputLanguage(DWORD thread) {
  return LOWORD(reinterpret_cast<std::uintptr_t>(AssignedLayout(thread)));
}

void FreeAll() {
  for (auto &f : formats)
    if (f.data) FreeClipboardBlock(f.data);
  formats.clear();
}

void Store(UINT format, HGLOBAL data, DWORD thread) {
  FormatRec *f = Find(format);
  if (f && f->data) FreeClipboardBlock(f->data);
  if (!f) {
    formats.push_back({format, NULL, 0, false});
    f = &formats.back();
  }
  f->data = data;
  f->from = 0;
  f->derived = false;
  SetClipboardHolds(data, true);
  if (IsText(format)) textlocale = InputLanguage(thread);
}

// What the system adds when a changed clipboard is closed.
void Derive() {
  bool stored[CF_LOCALE + 1] = {};
  for (auto &f : formats)
    if (f.format <= CF_LOCALE && !f.derived) stored[f.format] = true;
  bool text = stored[CF_TEXT] || stored[CF_OEMTEXT] || stored[CF_UNICODETEXT];
  if (text && !stored[CF_LOCALE]) {
    HGLOBAL locale = AllocBlockWith(&textlocale, sizeof textlocale);
    SetClipboardHolds(locale, true);
    formats.push_back({CF_LOCALE, locale, 0, true});
  }
  static const UINT rules[][3] = {
      {CF_TEXT, CF_OEMTEXT, CF_UNICODETEXT},
      {CF_OEMTEXT, CF_UNICODETEXT, CF_TEXT},
      {CF_UNICODETEXT, CF_TEXT, CF_OEMTEXT},
  };
  for (const auto &rule : rules) {
    if (stored[rule[0]]) continue;
    UINT from = stored[rule[1]] ? rule[1] : stored[rule[2]] ? rule[2] : 0;
    if (from && !Find(rule[0])) formats.push_back({rule[0], NULL, from, true});
  }
}

LCID ClipboardLocale() {
  FormatRec *f = Find(CF_LOCALE);
  if (f && f->data && BlockSize(f->data) >= sizeof(LCID)) {
    LCID locale;
    std::memcpy(&locale, BlockData(f->data), sizeof locale);
    return locale;
  }
  return GetUserDefaultLCID();
}

// The data of a derived format, converted from its source as a whole block.
std::vector<BYTE> Render(const FormatRec &f) {
  FormatRec *source = Find(f.from);
  if (!source || !source->data) return {};
  const BYTE *bytes = BlockData(source->data);
  SIZE_T size = BlockSize(source->data);
  LCID locale = ClipboardLocale();
  std::u16string units;
  if (f.from == CF_UNICODETEXT) {
    units.resize(size / 2);
    std::memcpy(units.data(), bytes, units.size() * 2);
  } else {
    units = BytesToUnicode(bytes, size, CodePageOf(locale, f.from));
  }
  if (f.format == CF_UNICODETEXT) {
    const BYTE *raw = reinterpret_cast<const BYTE *>(units.data());
    return std::vector<BYTE>(raw, raw + units.size() * 2);
  }
  return UnicodeToBytes(units, CodePageOf(locale, f.format));
}

HGLOBAL DataOf(FormatRec &f) {
  if (!f.data && f.from) {
    std::vector<BYTE> bytes = Render(f);
    if (bytes.empty()) return NULL;
    f.data = AllocBlockWith(bytes.data(), bytes.size());
    SetClipboardHolds(f.data, true);
  }
  return f.data;
}

bool NotOpen(const std::string &call) {
  if (open) return false;
  SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
  Violation(call + " while the program does not have the clipboard open");
  Record(call + " = 0");
  return true;
}

void CheckNothingLocked(const char *when) {
  for (auto &f : formats)
    if (f.data) CheckUnlocked(f.data, when);
}

void Close() {
  CheckNothingLocked("when the clipboard is closed");
  open = false;
  openwindow = NULL;
  if (changed) Derive();
  changed = false;
}
}  // namespace

bool ProgramHasClipboardOpen() { return open; }

void ResetClipboard() {
  formats.clear();  // the blocks went with the memory module's reset
  owner = NULL;
  open = false;
  openwindow = NULL;
  heldbyother = false;
  changed = false;
  textlocale = 0;
  beforeopen = nullptr;
}

void ClipboardOnWindowDestroyed(HWND window) {
  if (owner == window) owner = NULL;
  if (open && openwindow == window) {
    Violation("the clipboard is still open when " + WindowName(window) + " is destroyed");
    Close();
  }
}
}  // namespace winsim::detail

using namespace winsim::detail;
using namespace winsim;

BOOL WINAPI IsClipboardFormatAvailable(UINT format) {
  BOOL available = Find(format) != nullptr;
  Record("IsClipboardFormatAvailable(" + FormatName(format) + ") = " + std::to_string(available));
  return available;
}

BOOL WINAPI OpenClipboard(HWND window) {
  if (beforeopen) {
    auto change = std::move(beforeopen);
    beforeopen = nullptr;
    change();
  }
  std::string call = "OpenClipboard(" + WindowName(window) + ")";
  if (FailsNow("OpenClipboard")) {
    Record(call + " = 0");
    return FALSE;
  }
  if (window && !FindLive(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    Record(call + " = 0");
    return FALSE;
  }
  if (heldbyother || (open && openwindow != window)) {
    SetLastError(ERROR_ACCESS_DENIED);
    Record(call + " = 0");
    return FALSE;
  }
  if (!open) changed = false;
  open = true;
  openwindow = window;
  Record(call + " = 1");
  return TRUE;
}

BOOL WINAPI CloseClipboard(void) {
  if (NotOpen("CloseClipboard()")) return FALSE;
  Close();
  Record("CloseClipboard() = 1");
  return TRUE;
}

BOOL WINAPI EmptyClipboard(void) {
  if (NotOpen("EmptyClipboard()")) return FALSE;
  FreeAll();
  owner = openwindow;
  changed = true;
  Record("EmptyClipboard() = 1");
  return TRUE;
}

HANDLE WINAPI GetClipboardData(UINT format) {
  std::string call = "GetClipboardData(" + FormatName(format) + ")";
  if (NotOpen(call)) return NULL;
  FormatRec *f = Find(format);
  HGLOBAL data = f && !FailsNow("GetClipboardData") ? DataOf(*f) : NULL;
  if (!data) SetLastError(ERROR_FILE_NOT_FOUND);
  Record(call + " = " + (data ? BlockName(data) : std::string("NULL")));
  return data;
}

HANDLE WINAPI SetClipboardData(UINT format, HANDLE data) {
  std::string call = "SetClipboardData(" + FormatName(format) + ", " + BlockName(data) + ")";
  if (NotOpen(call)) return NULL;
  if (FailsNow("SetClipboardData")) {
    Record(call + " = NULL");
    return NULL;
  }
  if (!data) {
    Violation(call + ": delayed rendering is not modelled");
    Record(call + " = NULL");
    return NULL;
  }
  BlockInfo block = Block(data);
  if (!block.known || block.freed || block.clipboard) {
    SetLastError(ERROR_INVALID_HANDLE);
    Violation(call + ": not a block the program holds");
    Record(call + " = NULL");
    return NULL;
  }
  // Emptied by a clipboard opened for no window, the clipboard has no owner to store for.
  if (!openwindow && !owner) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    Record(call + " = NULL");
    return NULL;
  }
  Store(format, data, kProgramThread);
  changed = true;
  Record(call + " = " + BlockName(data));
  return data;
}

HWND WINAPI GetClipboardOwner(void) { return owner; }

UINT WINAPI RegisterClipboardFormatA(LPCSTR name) {
  std::string call = "RegisterClipboardFormatA(" + Quoted(name) + ")";
  if (!name || !*name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    Record(call + " = 0");
    return 0;
  }
  auto &names = RegisteredNames();
  size_t i = 0;
  while (i < names.size() && !SameNameIgnoringCase(names[i], name)) ++i;
  if (i == names.size()) names.push_back(name);
  UINT format = kFirstRegisteredFormat + static_cast<UINT>(i);
  Record(call + " = " + Hex(format));
  return format;
}

// Every format available, stored or derived, open clipboard or not.
BOOL WINAPI GetUpdatedClipboardFormats(UINT *list, UINT size, UINT *count) {
  std::string call = "GetUpdatedClipboardFormats(" + std::to_string(size) + ")";
  if (!count) {
    SetLastError(ERROR_INVALID_PARAMETER);
    Record(call + " = 0");
    return FALSE;
  }
  *count = static_cast<UINT>(formats.size());
  if (formats.size() > size || !list) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    Record(call + " = 0, " + std::to_string(*count) + " formats");
    return FALSE;
  }
  for (size_t i = 0; i < formats.size(); ++i) list[i] = formats[i].format;
  Record(call + " = 1, " + std::to_string(*count) + " formats");
  return TRUE;
}

// In the order stored, then what Derive added (see winsim_clipboard.h).
UINT WINAPI EnumClipboardFormats(UINT format) {
  std::string call = "EnumClipboardFormats(" + FormatName(format) + ") = ";
  if (!open) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    Record(call + "0");
    return 0;
  }
  SetLastError(ERROR_SUCCESS);
  size_t next = 0;
  if (format) {
    while (next < formats.size() && formats[next].format != format) ++next;
    ++next;
  }
  UINT found = next < formats.size() ? formats[next].format : 0;
  Record(call + (found ? FormatName(found) : "0"));
  return found;
}

namespace winsim {

ClipboardData AnsiText(const std::string &text) {
  std::vector<BYTE> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return {CF_TEXT, bytes};
}

ClipboardData UnicodeText(const std::u16string &text) {
  std::vector<BYTE> bytes;
  for (char16_t unit : text) {
    bytes.push_back(static_cast<BYTE>(unit & 0xFF));
    bytes.push_back(static_cast<BYTE>(unit >> 8));
  }
  bytes.insert(bytes.end(), 2, 0);
  return {CF_UNICODETEXT, bytes};
}

ClipboardData LocaleData(LCID locale) {
  std::vector<BYTE> bytes(sizeof locale);
  std::memcpy(bytes.data(), &locale, sizeof locale);
  return {CF_LOCALE, bytes};
}

ClipboardData Picture() {
  // BITMAPINFOHEADER of a 1x1 picture in 24 bits, then its one padded pixel.
  std::vector<BYTE> bytes(44, 0);
  const DWORD header[] = {40, 1, 1, 0x00180001};
  std::memcpy(bytes.data(), header, sizeof header);
  bytes[40] = 0xFF;
  return {CF_DIB, bytes};
}

void CopyToClipboard(const std::vector<ClipboardData> &data, HWND window) {
  FreeAll();
  owner = window;
  DWORD thread = window ? WindowThread(window) : kOtherProgramThread;
  for (const auto &d : data) {
    if (d.unrendered)
      formats.push_back({d.format, NULL, 0, false});
    else
      Store(d.format, AllocBlockWith(d.bytes.data(), d.bytes.size()), thread);
  }
  Derive();
}

void HoldClipboardOpen() { heldbyother = true; }
void ReleaseHeldClipboard() { heldbyother = false; }
void BeforeNextOpenClipboard(std::function<void()> change) { beforeopen = std::move(change); }

std::vector<UINT> StoredClipboardFormats() {
  std::vector<UINT> out;
  for (auto &f : formats)
    if (!f.derived) out.push_back(f.format);
  return out;
}

std::vector<UINT> AvailableClipboardFormats() {
  std::vector<UINT> out;
  out.reserve(formats.size());
  for (auto &f : formats) out.push_back(f.format);
  return out;
}

HGLOBAL StoredClipboardBlock(UINT format) {
  FormatRec *f = Find(format);
  return f && !f->derived ? f->data : NULL;
}

std::vector<BYTE> ClipboardBytes(UINT format) {
  FormatRec *f = Find(format);
  if (!f) return {};
  if (f->data) return BlockBytes(f->data);
  return Render(*f);
}

HWND ClipboardOwner() { return owner; }
bool ClipboardOpenByProgram() { return open; }
HWND ClipboardOpenBy() { return openwindow; }

}  // namespace winsim
