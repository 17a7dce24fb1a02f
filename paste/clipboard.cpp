// The clipboard conversion: one scan for the end of the text and one copy,
// all reading done before the old contents are dropped.
#include "paste/clipboard.h"

#include <windows.h>

#include <limits.h>
#include <string.h>

#include "app/app.h"
#include "settings/settings.h"

namespace {
const UINT BlockFlags = GMEM_MOVEABLE | GMEM_DDESHARE;
const SIZE_T LargestSize = ~static_cast<SIZE_T>(0);

// Sixteen bytes, or eight 16-bit units, compared with zero at once where the
// processor can: the C runtime's memchr may go byte by byte (Wine's does,
// about 1 ms a MiB).
typedef BYTE ByteVector __attribute__((vector_size(16)));
typedef WORD UnitVector __attribute__((vector_size(16)));
const SIZE_T BytesPerStep = 64;

// True when one of the elements in the 64 bytes from `text` on is zero.
template <typename Vector>
bool StepHasZero(const BYTE *text) {
  Vector a, b, c, d;
  memcpy(&a, text, sizeof a);
  memcpy(&b, text + 16, sizeof b);
  memcpy(&c, text + 32, sizeof c);
  memcpy(&d, text + 48, sizeof d);
  Vector zero = (a == 0) | (b == 0) | (c == 0) | (d == 0);
  unsigned long long halves[2];
  memcpy(halves, &zero, sizeof halves);
  return (halves[0] | halves[1]) != 0;
}

// Bytes before the first zero byte; the whole block when it holds none.
SIZE_T AnsiLength(const BYTE *text, SIZE_T size) {
  SIZE_T n = 0;
  while (size - n >= BytesPerStep && !StepHasZero<ByteVector>(text + n)) n += BytesPerStep;
  while (n < size && text[n] != 0) ++n;
  return n;
}

// Whole 16-bit units before the first zero unit; all of them when none is
// zero (an odd last byte is no unit). Returns the length in bytes.
SIZE_T UnicodeLength(const BYTE *text, SIZE_T size) {
  SIZE_T units = size / 2, n = 0;
  while (2 * (units - n) >= BytesPerStep && !StepHasZero<UnitVector>(text + 2 * n))
    n += BytesPerStep / 2;
  for (; n < units; ++n)
    if (text[2 * n] == 0 && text[2 * n + 1] == 0) break;
  return 2 * n;
}

// A new block of `size` bytes, left locked once at `*data`; NULL (with
// nothing left allocated) on failure.
HGLOBAL NewLockedBlock(SIZE_T size, BYTE **data) {
  HGLOBAL block = GlobalAlloc(BlockFlags, size);
  if (!block) return NULL;
  *data = static_cast<BYTE *>(GlobalLock(block));
  if (!*data) {
    GlobalFree(block);
    return NULL;
  }
  return block;
}

// A new block of `length` bytes and a zero terminator of `terminator`
// bytes, left locked once; NULL (with nothing left allocated) on failure.
HGLOBAL NewBlock(const BYTE *bytes, SIZE_T length, SIZE_T terminator) {
  if (length > LargestSize - terminator) return NULL;
  BYTE *target;
  HGLOBAL block = NewLockedBlock(length + terminator, &target);
  if (!block) return NULL;
  memcpy(target, bytes, length);
  memset(target + length, 0, terminator);
  return block;
}

// A copy of the clipboard's text in `format` (CF_TEXT or CF_UNICODETEXT),
// up to its first zero, in a new unlocked block; NULL on failure. The source
// is measured only within its real size: another program's block may hold no
// terminator at all.
HGLOBAL CopyClipboardText(UINT format) {
  HGLOBAL source = GetClipboardData(format);
  if (!source) return NULL;
  const BYTE *text = static_cast<const BYTE *>(GlobalLock(source));
  if (!text) return NULL;
  SIZE_T size = GlobalSize(source);
  bool unicode = format == CF_UNICODETEXT;
  SIZE_T length = unicode ? UnicodeLength(text, size) : AnsiLength(text, size);
  HGLOBAL copy = NewBlock(text, length, unicode ? sizeof(WCHAR) : 1);
  GlobalUnlock(source);
  if (copy) GlobalUnlock(copy);
  return copy;
}

// Markers beside a secret (a password manager's copy, say) that keep it out
// of clipboard history and cloud sync; a new copy without them would be
// recorded and synced.
const char *const MarkerNames[] = {"ExcludeClipboardContentFromMonitorProcessing",
                                   "CanIncludeInClipboardHistory", "CanUploadToCloudClipboard",
                                   "Clipboard Viewer Ignore"};
const int MarkerCount = sizeof MarkerNames / sizeof MarkerNames[0];
UINT markerformats[MarkerCount];  // registered once, by the first conversion
// More formats than any program offers at once; a clipboard that offers more
// is left as it is, since its markers cannot be told.
const UINT MostFormats = 256;

// False when a name could not be registered: whether its marker is offered
// cannot then be told.
bool RegisterMarkers() {
  for (int i = 0; i < MarkerCount; ++i) {
    if (!markerformats[i]) markerformats[i] = RegisterClipboardFormatA(MarkerNames[i]);
    if (!markerformats[i]) return false;
  }
  return true;
}

// A byte-for-byte copy of another program's block, within its real size, in
// a new unlocked block; NULL on failure. An empty block cannot be locked and
// is carried as an empty one.
HGLOBAL CopyBlock(HGLOBAL source) {
  if (!source) return NULL;
  SIZE_T size = GlobalSize(source);
  if (size == 0) return GlobalAlloc(BlockFlags, 0);
  const BYTE *data = static_cast<const BYTE *>(GlobalLock(source));
  if (!data) return NULL;
  HGLOBAL copy = NewBlock(data, size, 0);
  GlobalUnlock(source);
  if (copy) GlobalUnlock(copy);
  return copy;
}

// Copies of the markers the clipboard offers, in `copies` (NULL where it
// offers none). False when the offer cannot be read or one of them copied:
// the caller then frees what was copied and leaves the clipboard as it is.
bool CopyMarkers(HGLOBAL copies[]) {
  UINT offered[MostFormats];
  UINT count = 0;
  if (!GetUpdatedClipboardFormats(offered, MostFormats, &count)) return false;
  for (UINT i = 0; i < count; ++i)
    for (int m = 0; m < MarkerCount; ++m)
      if (offered[i] == markerformats[m] && !copies[m]) {
        copies[m] = CopyBlock(GetClipboardData(offered[i]));
        if (!copies[m]) return false;
      }
  return true;
}

// The locale the clipboard offered when the text was copied; 0 when it
// offered none or a block too small to hold one. False when reading fails.
bool LocaleAtCopy(LCID *locale) {
  *locale = 0;
  if (!IsClipboardFormatAvailable(CF_LOCALE)) return true;
  HGLOBAL block = GetClipboardData(CF_LOCALE);
  if (!block) return false;
  const void *data = GlobalLock(block);
  if (!data) return false;
  if (GlobalSize(block) >= sizeof(LCID)) memcpy(locale, data, sizeof(LCID));
  GlobalUnlock(block);
  return true;
}

// The language of the keyboard layout the foreground window's thread types
// with; without a foreground window, thread 0 stands for this thread.
LCID LocaleAtPaste() {
  DWORD thread = GetWindowThreadProcessId(GetForegroundWindow(), NULL);
  return LOWORD(GetKeyboardLayout(thread));
}

// The locale to store with single-byte text; 0 for none. Values of
// `codepage` above 4, which the settings page never writes, get no locale:
// they keep the text as it is, like mode 1. False when reading fails.
bool ChooseLocale(LCID *locale) {
  *locale = 0;
  switch (codepage) {
    case CodePageAtCopy:
      return LocaleAtCopy(locale);
    case CodePageAtPaste:
      *locale = LocaleAtPaste();
      return true;
    case CodePageUser:
      *locale = usercodepage;
      return true;
    default:
      return true;
  }
}

// The code page of a locale's single-byte text; 0 when it has none or
// cannot be told.
UINT AnsiCodePage(LCID locale) {
  DWORD page = 0;
  if (!GetLocaleInfoA(locale, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                      reinterpret_cast<LPSTR>(&page), sizeof page))
    return 0;
  return page;
}

// The code page the system made the copy's single-byte text in: that of its
// locale (the user's when it has none), the system's own for a locale that
// has none (a Unicode-only one gives 0, CP_ACP) or cannot be told.
UINT CopyCodePage(LCID copied) {
  UINT page = AnsiCodePage(copied ? copied : GetUserDefaultLCID());
  return page ? page : GetACP();
}

// Whether the source wrote Unicode text, so that the single-byte text is the
// system's conversion of it: the system lists a format it derives after the
// one it derives it from.
bool SourceWroteUnicode() {
  UINT format = 0;
  while ((format = EnumClipboardFormats(format)) != 0)
    if (format == CF_TEXT || format == CF_OEMTEXT || format == CF_UNICODETEXT)
      return format == CF_UNICODETEXT;
  return false;
}

// `count` units in code page `page`, as ConvertUnicodeText says.
bool ConvertUnits(const WCHAR *units, int count, UINT page, UINT systempage, HGLOBAL *text) {
  BOOL lost = FALSE, systemlost = FALSE;
  int size = count ? WideCharToMultiByte(page, 0, units, count, NULL, 0, NULL, &lost) : 0;
  if (lost) WideCharToMultiByte(systempage, 0, units, count, NULL, 0, NULL, &systemlost);
  if (size <= 0 || (lost && !systemlost)) return true;
  BYTE *target;
  HGLOBAL block = NewLockedBlock(static_cast<SIZE_T>(size) + 1, &target);
  if (!block) return false;
  bool made = WideCharToMultiByte(page, 0, units, count, reinterpret_cast<LPSTR>(target), size,
                                  NULL, NULL) == size;
  target[size] = 0;
  GlobalUnlock(block);
  if (!made) GlobalFree(block);
  *text = made ? block : NULL;
  return made;
}

// The clipboard's Unicode text, up to its first zero unit, in code page
// `page` with the system's best fit, in a new unlocked block. `*text` stays
// NULL when the system's bytes are to stay: the text is empty or too long
// to convert, or `page` lacks a character that `systempage` has. False on
// failure.
bool ConvertUnicodeText(UINT page, UINT systempage, HGLOBAL *text) {
  HGLOBAL source = GetClipboardData(CF_UNICODETEXT);
  if (!source) return false;
  const WCHAR *units = static_cast<const WCHAR *>(GlobalLock(source));
  if (!units) return false;
  SIZE_T count = UnicodeLength(reinterpret_cast<const BYTE *>(units), GlobalSize(source)) / 2;
  bool done =
      count > INT_MAX || ConvertUnits(units, static_cast<int>(count), page, systempage, text);
  GlobalUnlock(source);
  return done;
}

// The single-byte text to leave with `locale`, in a new unlocked block; NULL
// on failure. The clipboard's own bytes, unless the source wrote Unicode
// text and the system made those bytes in the code page of another locale
// (the copy's, or the user's when the copy has none): then they may have
// lost what the locale's code page holds, and the source's text is taken
// in that code page. Mode 2 attaches the copy's own locale.
HGLOBAL TakeSingleByteText(LCID locale) {
  HGLOBAL text = NULL;
  UINT page = locale && codepage != CodePageAtCopy ? AnsiCodePage(locale) : 0;
  if (page && SourceWroteUnicode()) {
    LCID copied;
    if (!LocaleAtCopy(&copied)) return NULL;
    UINT systempage = CopyCodePage(copied);
    if (systempage != page && !ConvertUnicodeText(page, systempage, &text)) return NULL;
  }
  return text ? text : CopyClipboardText(CF_TEXT);
}

// A block the clipboard refused is still ours to free.
void HandOver(UINT format, HGLOBAL block) {
  if (!SetClipboardData(format, block)) GlobalFree(block);
}

// The locale block is unlocked before it is handed over: from then on it
// belongs to the system.
void StoreLocale(LCID locale) {
  HGLOBAL block = NewBlock(reinterpret_cast<const BYTE *>(&locale), sizeof locale, 0);
  if (!block) return;
  GlobalUnlock(block);
  HandOver(CF_LOCALE, block);
}

// What the conversion leaves behind, all of it taken before the clipboard is
// emptied, so that a failure leaves the old contents whole.
struct Leftovers {
  UINT format;  // of the text
  HGLOBAL text;
  LCID locale;  // 0 for none
  HGLOBAL markers[MarkerCount];
};

void FreeLeftovers(const Leftovers &left) {
  GlobalFree(left.text);
  for (HGLOBAL marker : left.markers)
    if (marker) GlobalFree(marker);
}

// False, with nothing left allocated, when something offered cannot be had.
// The locale comes first: it decides which single-byte text is taken.
bool TakeLeftovers(Leftovers *left) {
  bool unicode = left->format == CF_UNICODETEXT;
  if (!unicode && !ChooseLocale(&left->locale)) return false;
  left->text = unicode ? CopyClipboardText(CF_UNICODETEXT) : TakeSingleByteText(left->locale);
  if (!left->text) return false;
  bool taken = CopyMarkers(left->markers);
  if (!taken) FreeLeftovers(*left);
  return taken;
}

// The text first, then its locale, then the markers the source offered.
void LeaveOnly(const Leftovers &left) {
  EmptyClipboard();
  HandOver(left.format, left.text);
  if (left.locale) StoreLocale(left.locale);
  for (int m = 0; m < MarkerCount; ++m)
    if (left.markers[m]) HandOver(markerformats[m], left.markers[m]);
}
}  // namespace

void ConvertClipboard() {
  BOOL hastext = IsClipboardFormatAvailable(CF_TEXT);
  BOOL hasunicode = IsClipboardFormatAvailable(CF_UNICODETEXT);
  if (!hastext && !hasunicode) return;
  if (!RegisterMarkers()) return;
  if (!OpenClipboard(mainwindow)) return;
  Leftovers left = {};
  bool unicode = !hastext || (hasunicode && codepage == CodePageUnicode);
  left.format = unicode ? CF_UNICODETEXT : CF_TEXT;
  if (TakeLeftovers(&left)) LeaveOnly(left);
  CloseClipboard();
}
