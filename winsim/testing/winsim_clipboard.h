// The test-facing side of winsim's clipboard, global memory and keyboard
// layouts: let another program copy something or hold the clipboard open,
// change the clipboard behind the program's back, and inspect the blocks and
// formats the program left behind.
//
// What the system derives, as Windows documents it and Wine does it (the
// contract cases check the same rules against Wine):
// - When a clipboard that was changed is closed and it holds text without
//   CF_LOCALE, CF_LOCALE is added: the input language (the keyboard layout's
//   low word) of the thread that stored the text last.
// - CF_TEXT, CF_OEMTEXT and CF_UNICODETEXT are then derived from one another:
//   CF_TEXT from CF_OEMTEXT, else CF_UNICODETEXT; CF_OEMTEXT from
//   CF_UNICODETEXT, else CF_TEXT; CF_UNICODETEXT from CF_TEXT, else
//   CF_OEMTEXT. IsClipboardFormatAvailable reports derived formats; the data
//   is made on the first GetClipboardData and kept until the clipboard is
//   emptied.
// - The conversion uses the ANSI (CF_TEXT) or OEM (CF_OEMTEXT) code page of
//   the locale in CF_LOCALE (a block under 4 bytes counts as none), else of
//   the user's default locale. The whole block is converted, terminator and
//   anything after it included, so a derived block's size follows the
//   source's: one unit per byte, one byte per unit (an odd last byte of
//   Unicode text is dropped).
// - EnumClipboardFormats lists the formats in the order they were stored,
//   then what the system added on closing: CF_LOCALE, then the derived text
//   formats, each after the one it is made from.
// - RegisterClipboardFormatA gives one number from 0xC000 up per name,
//   whatever its case; the names outlive Reset, as the system's atom table
//   outlives a program. GetUpdatedClipboardFormats lists every available
//   format, stored or derived, and fails with ERROR_INSUFFICIENT_BUFFER (and
//   the count needed) when the list is too short.
//
// What is not modelled is listed in winsim/README.md.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace winsim {

// --- global memory -----------------------------------------------------------
// Blocks allocated and not freed yet, whoever holds them (the program, the
// clipboard, another program's data on the clipboard).
int LiveBlocks();
// Live blocks not held by the clipboard: what the program still has to free.
int ProgramBlocks();

struct BlockInfo {
  bool known;        // ever allocated in this run
  std::string name;  // as the timeline shows it: mem1, mem2, ...
  SIZE_T size;
  UINT flags;
  int locks;
  bool clipboard;  // held by the clipboard
  bool freed;
};
BlockInfo Block(HGLOBAL mem);
// The whole block, as GlobalSize measures it; empty for a freed block.
std::vector<BYTE> BlockBytes(HGLOBAL mem);
// The `nth` call from now (1 = the next) of `function` fails, as FailNext
// does for the next one: GlobalAlloc and GlobalLock (out of memory),
// OpenClipboard, GetClipboardData and SetClipboardData.
void FailNthCall(const std::string &function, int nth);

// --- the clipboard -------------------------------------------------------------
struct ClipboardData {
  UINT format;
  std::vector<BYTE> bytes;  // the block exactly: no terminator is added
  // Offered for rendering on request by an owner that never renders it:
  // GetClipboardData gives NULL.
  bool unrendered = false;
};
// Single-byte text with its terminating zero.
ClipboardData AnsiText(const std::string &text);
// Unicode text with its terminating zero unit.
ClipboardData UnicodeText(const std::u16string &text);
// A 4-byte CF_LOCALE block.
ClipboardData LocaleData(LCID locale);
// A small device-independent bitmap (CF_DIB), as a screenshot leaves it.
ClipboardData Picture();

// Another program copies: it opens the clipboard for `owner` (one of its
// windows, or none), empties it, stores each block in order and closes it; the
// system then derives what it derives. The input language of the owner's
// thread (thread 0x2000 without an owner) goes into a derived CF_LOCALE.
void CopyToClipboard(const std::vector<ClipboardData> &data, HWND owner = NULL);
// Another program holds the clipboard open: OpenClipboard fails for everyone
// else until it lets go.
void HoldClipboardOpen();
void ReleaseHeldClipboard();
// Runs `change` when the program next calls OpenClipboard, before the call
// does anything: another program changing the clipboard between the
// program's availability questions and its opening.
void BeforeNextOpenClipboard(std::function<void()> change);

// Formats stored by programs, in the order they were stored (derived ones
// excluded).
std::vector<UINT> StoredClipboardFormats();
// Every format that IsClipboardFormatAvailable reports, stored and derived.
std::vector<UINT> AvailableClipboardFormats();
// The block of a stored format, or NULL.
HGLOBAL StoredClipboardBlock(UINT format);
// What GetClipboardData would give for `format` (derived formats are made for
// the look and not kept); empty when the format is not available.
std::vector<BYTE> ClipboardBytes(UINT format);
// The owner: the window that emptied the clipboard last (NULL for none).
HWND ClipboardOwner();
// True while the program has the clipboard open, and the window it opened it
// for; a program that ends with it open left it unbalanced.
bool ClipboardOpenByProgram();
HWND ClipboardOpenBy();

// --- keyboard layouts ------------------------------------------------------------
// The layout (HKL) a thread uses; every thread starts with 0x04190419.
void SetKeyboardLayout(DWORD thread, HKL layout);

}  // namespace winsim
