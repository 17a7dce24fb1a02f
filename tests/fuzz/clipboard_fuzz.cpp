// Feeds the clipboard conversion whatever another program could leave on the
// clipboard: text blocks of any size and content, with or without a
// terminator, locale blocks of any size, pictures, and the markers that keep
// a copy out of clipboard history (of any size, empty, or never rendered), in
// any code-page mode, copied under the Russian or the English layout. The
// conversion must never read outside a block, leak one, leave the clipboard
// open, or leave anything but its text, its locale and the markers offered,
// byte for byte; the single-byte text is the system's, or the source's
// Unicode text made again where the copy's code page was another; when it
// does not convert, the contents stay as they were.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/app.h"
#include "paste/clipboard.h"
#include "settings/settings.h"
#include "winsim.h"
#include "winsim_clipboard.h"

namespace {
using Bytes = std::vector<BYTE>;

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcA(window, message, wparam, lparam);
}

void Fail(const char *what) {
  std::fprintf(stderr, "clipboard_fuzz: %s\n", what);
  std::abort();
}

void Expect(bool condition, const char *what) {
  if (!condition) Fail(what);
}

// Reads the input front to back; what runs out reads as zero.
struct Input {
  const uint8_t *data;
  size_t size;
  uint8_t Byte() {
    if (!size) return 0;
    --size;
    return *data++;
  }
  Bytes Block() {
    size_t length = Byte();
    length = length < 250 ? length : (length - 249) * 1000;  // now and then a large one
    length = length < size ? length : size;
    Bytes block(data, data + length);
    data += length, size -= length;
    return block;
  }
};

void StartProgramWindow() {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = PlainProc;
  wc.lpszClassName = MainClassName;
  RegisterClassA(&wc);
  mainwindow = CreateWindowExA(0, MainClassName, "", 0, 0, 0, 0, 0, NULL, NULL, NULL, NULL);
}

struct Snapshot {
  std::vector<UINT> formats;
  std::vector<Bytes> data;
  bool operator==(const Snapshot &o) const { return formats == o.formats && data == o.data; }
};

Snapshot Stored() {
  Snapshot s;
  s.formats = winsim::StoredClipboardFormats();
  for (UINT format : s.formats)
    s.data.push_back(winsim::BlockBytes(winsim::StoredClipboardBlock(format)));
  return s;
}

// A block the conversion stored: its text and exactly one terminator.
void ExpectTerminatedText(UINT format, const Bytes &block) {
  size_t unit = format == CF_UNICODETEXT ? 2 : 1;
  Expect(block.size() >= unit && block.size() % unit == 0, "text block of a wrong size");
  for (size_t i = 0; i < block.size(); i += unit) {
    bool zero = block[i] == 0 && (unit == 1 || block[i + 1] == 0);
    Expect(zero == (i + unit == block.size()), "text block not ended by exactly one terminator");
  }
}

const char *const MarkerNames[] = {"ExcludeClipboardContentFromMonitorProcessing",
                                   "CanIncludeInClipboardHistory", "CanUploadToCloudClipboard",
                                   "Clipboard Viewer Ignore"};

// Each marker absent, or offered with a block of any size, or never rendered.
std::vector<winsim::ClipboardData> Markers(Input &input) {
  std::vector<winsim::ClipboardData> markers;
  for (const char *name : MarkerNames) {
    uint8_t how = input.Byte() % 4;
    if (how) markers.push_back({RegisterClipboardFormatA(name), input.Block(), how == 3});
  }
  return markers;
}

UINT AnsiCodePage(LCID locale) {
  DWORD page = 0;
  GetLocaleInfoA(locale, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                 reinterpret_cast<LPSTR>(&page), sizeof page);
  return page;
}

// What the clipboard offered before the conversion, for the rule below.
struct Offer {
  Bytes text;     // CF_TEXT, as the system gives it
  Bytes unicode;  // CF_UNICODETEXT
  LCID copied;    // CF_LOCALE, or the user's when it offers none
  bool wroteunicode;
};

Offer Offered(bool wroteunicode) {
  Bytes locale = winsim::ClipboardBytes(CF_LOCALE);
  LCID copied = GetUserDefaultLCID();
  if (locale.size() >= sizeof copied) std::memcpy(&copied, locale.data(), sizeof copied);
  return {winsim::ClipboardBytes(CF_TEXT), winsim::ClipboardBytes(CF_UNICODETEXT), copied,
          wroteunicode};
}

// The single-byte text up to its first zero: the system's bytes, unless the
// source wrote Unicode text and the attached locale's code page is not the
// copy's; then the Unicode text in the attached code page, as long as that
// needs the default character only where the copy's code page does too.
Bytes ExpectedSingleByteText(const Offer &offer, LCID attached) {
  Bytes text(offer.text.begin(), std::find(offer.text.begin(), offer.text.end(), 0));
  UINT page = attached && codepage != CodePageAtCopy ? AnsiCodePage(attached) : 0;
  UINT systempage = AnsiCodePage(offer.copied);
  if (!systempage) systempage = GetACP();  // the copy's locale has none of its own
  if (!offer.wroteunicode || !page || page == systempage) return text;
  std::vector<WCHAR> units(offer.unicode.size() / 2);
  std::memcpy(units.data(), offer.unicode.data(), units.size() * 2);
  int count = static_cast<int>(std::find(units.begin(), units.end(), 0) - units.begin());
  BOOL lost = FALSE, systemlost = FALSE;
  if (!count) return text;
  Bytes made(static_cast<size_t>(count));
  WideCharToMultiByte(page, 0, units.data(), count, reinterpret_cast<LPSTR>(made.data()), count,
                      NULL, &lost);
  WideCharToMultiByte(systempage, 0, units.data(), count, NULL, 0, NULL, &systemlost);
  return lost && !systemlost ? text : made;
}

// The text, then its locale, then the markers offered with their bytes.
void ExpectOnlyTextAndMarkers(const Snapshot &after, const Snapshot &markers, const Offer &offer) {
  Expect(!after.formats.empty(), "nothing stored");
  Expect(after.formats[0] == CF_TEXT || after.formats[0] == CF_UNICODETEXT, "no text stored first");
  ExpectTerminatedText(after.formats[0], after.data[0]);
  size_t text = after.formats.size() > 1 && after.formats[1] == CF_LOCALE ? 2 : 1;
  if (text == 2) {
    Expect(after.formats[0] == CF_TEXT, "locale with Unicode");
    Expect(after.data[1].size() == 4, "locale block not 4 bytes");
  }
  if (after.formats[0] == CF_TEXT) {
    LCID attached = 0;
    if (text == 2) std::memcpy(&attached, after.data[1].data(), sizeof attached);
    Bytes expected = ExpectedSingleByteText(offer, attached);
    expected.push_back(0);
    Expect(after.data[0] == expected, "single-byte text not the one the locales ask for");
  }
  Snapshot rest{{after.formats.begin() + text, after.formats.end()},
                {after.data.begin() + text, after.data.end()}};
  Expect(rest == markers, "other formats stored, or markers lost or changed");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  Input input{data, size};
  winsim::Reset();
  StartProgramWindow();
  codepage = input.Byte() % 8;
  usercodepage = input.Byte() % 2 ? 0x0419 : 0;
  uint8_t which = input.Byte();
  std::vector<winsim::ClipboardData> copied;
  if (which & 1) copied.push_back({CF_TEXT, input.Block()});
  if (which & 2) copied.push_back({CF_UNICODETEXT, input.Block()});
  if (which & 4) copied.push_back({CF_LOCALE, input.Block()});
  if (which & 8) copied.push_back(winsim::Picture());
  if (copied.empty()) copied.push_back({CF_OEMTEXT, input.Block()});
  Snapshot markers;
  bool unrendered = false;
  if (which & 32)
    for (const auto &marker : Markers(input)) {
      copied.push_back(marker);
      markers.formats.push_back(marker.format);
      markers.data.push_back(marker.bytes);
      unrendered |= marker.unrendered;
    }
  if (which & 64) winsim::SetKeyboardLayout(0x2000, reinterpret_cast<HKL>(0x04090409));
  winsim::CopyToClipboard(copied);
  if (which & 16) winsim::HoldClipboardOpen();

  Offer offer = Offered((which & 3) == 2);
  Snapshot before = Stored();
  ConvertClipboard();
  Snapshot after = Stored();

  Expect(!winsim::ClipboardOpenByProgram(), "clipboard left open");
  Expect(winsim::ProgramBlocks() == 0, "block leaked");
  Expect(winsim::Violations().empty(), "contract violation");
  if (!(after == before)) {
    Expect(!unrendered, "converted although a marker could not be had");
    ExpectOnlyTextAndMarkers(after, markers, offer);
  }
  return 0;
}
