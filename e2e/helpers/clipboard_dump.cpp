// Prints every format the clipboard offers, in the order the system lists
// them, one line each, tab-separated: number, name, size of the block, and the
// block's bytes in hex. A format whose data cannot be had shows size -1.
//   clipboard_dump.exe
#include <windows.h>

#include <stdio.h>

namespace {
const char *StandardName(UINT format) {
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
      return NULL;
  }
}

// Formats whose data is a global memory block.
bool IsMemoryFormat(UINT format) {
  return format == CF_TEXT || format == CF_OEMTEXT || format == CF_UNICODETEXT ||
         format == CF_LOCALE || format == CF_DIB || format >= 0xC000;
}

void PrintFormat(UINT format) {
  char name[256];
  const char *standard = StandardName(format);
  if (standard)
    lstrcpynA(name, standard, sizeof name);
  else if (!GetClipboardFormatNameA(format, name, sizeof name))
    wsprintfA(name, "#%u", format);
  printf("%u\t%s\t", format, name);
  HANDLE data = IsMemoryFormat(format) ? GetClipboardData(format) : NULL;
  const BYTE *bytes = data ? static_cast<const BYTE *>(GlobalLock(data)) : NULL;
  if (!bytes) {
    printf("-1\t\n");
    return;
  }
  SIZE_T size = GlobalSize(data);
  printf("%lu\t", static_cast<unsigned long>(size));
  for (SIZE_T i = 0; i < size; ++i) printf("%02x", bytes[i]);
  printf("\n");
  GlobalUnlock(data);
}

bool OpenWithDeadline() {
  for (DWORD start = GetTickCount(); GetTickCount() - start < 5000; Sleep(20))
    if (OpenClipboard(NULL)) return true;
  return false;
}
}  // namespace

int main() {
  if (!OpenWithDeadline()) {
    fprintf(stderr, "clipboard_dump: the clipboard could not be opened\n");
    return 1;
  }
  for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format))
    PrintFormat(format);
  CloseClipboard();
  fflush(stdout);
  return 0;
}
