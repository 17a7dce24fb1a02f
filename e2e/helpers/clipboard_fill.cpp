// Puts on the clipboard what a word processor leaves there when the user
// copies formatted Russian text: rich text, HTML, Unicode text and the locale
// of the text, all stored at once.
//   clipboard_fill.exe
// Exits 0 once the clipboard holds them, 1 when it could not be opened in time.
#include <windows.h>

#include <stdio.h>
#include <string.h>

namespace {
// "Привет, мир" (hello, world) with a Latin word, as UTF-16.
const WCHAR UnicodeText[] = {0x041F, 0x0440, 0x0438, 0x0432, 0x0435, 0x0442, ',', ' ',
                             0x043C, 0x0438, 0x0440, ' ',    'o',    'k',    0};
const char RichText[] =
    "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\b "
    "\\'cf\\'f0\\'e8\\'e2\\'e5\\'f2, \\'ec\\'e8\\'f0 ok\\b0\\par}";
const char Html[] =
    "Version:0.9\r\nStartHTML:0000000071\r\nEndHTML:0000000170\r\n"
    "StartFragment:0000000105\r\nEndFragment:0000000134\r\n"
    "<html><body><!--StartFragment--><b>Привет, мир ok</b><!--EndFragment--></body></html>";
const LCID RussianLocale = 0x0419;

HGLOBAL Block(const void *data, SIZE_T size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!block) return NULL;
  memcpy(GlobalLock(block), data, size);
  GlobalUnlock(block);
  return block;
}

// Another program may hold the clipboard open for a moment.
bool OpenWithDeadline(HWND owner) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < 5000; Sleep(20))
    if (OpenClipboard(owner)) return true;
  return false;
}
}  // namespace

int main() {
  HWND owner = CreateWindowExA(0, "STATIC", "clipboard_fill", 0, 0, 0, 0, 0, NULL, NULL,
                               GetModuleHandleA(NULL), NULL);
  if (!OpenWithDeadline(owner)) {
    fprintf(stderr, "clipboard_fill: the clipboard could not be opened\n");
    return 1;
  }
  EmptyClipboard();
  SetClipboardData(RegisterClipboardFormatA("Rich Text Format"), Block(RichText, sizeof RichText));
  SetClipboardData(RegisterClipboardFormatA("HTML Format"), Block(Html, sizeof Html));
  SetClipboardData(CF_UNICODETEXT, Block(UnicodeText, sizeof UnicodeText));
  SetClipboardData(CF_LOCALE, Block(&RussianLocale, sizeof RussianLocale));
  CloseClipboard();
  DestroyWindow(owner);
  return 0;
}
