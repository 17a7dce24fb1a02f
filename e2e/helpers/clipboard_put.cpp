// Puts formats read from files on the clipboard, all at once, as a program
// does when the user copies rich contents.
//   clipboard_put.exe FORMAT=FILE [FORMAT=FILE ...]
// FORMAT is a standard format's number (13 for Unicode text) or the name of
// a registered format ("HTML Format"); the file's bytes become the block as
// they are, terminators included. Exits 0 once the clipboard holds them all,
// 1 when the clipboard could not be opened in time, 2 on a bad argument or
// a file that cannot be read.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {
// A name is registered; a number is a standard format as it is.
UINT FormatOf(const char *text, size_t length) {
  char name[256];
  if (length == 0 || length >= sizeof name) return 0;
  memcpy(name, text, length);
  name[length] = 0;
  char *rest;
  unsigned long number = strtoul(name, &rest, 0);
  if (*rest == 0) return static_cast<UINT>(number);
  return RegisterClipboardFormatA(name);
}

HGLOBAL ReadBlock(const char *path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
  if (file == INVALID_HANDLE_VALUE) return NULL;
  DWORD size = GetFileSize(file, NULL);
  HGLOBAL block = size == INVALID_FILE_SIZE ? NULL : GlobalAlloc(GMEM_MOVEABLE, size ? size : 1);
  DWORD read = 0;
  if (block && !(ReadFile(file, GlobalLock(block), size, &read, NULL) && read == size)) {
    GlobalUnlock(block);
    GlobalFree(block);
    block = NULL;
  } else if (block) {
    GlobalUnlock(block);
  }
  CloseHandle(file);
  return block;
}

// Another program may hold the clipboard open for a moment.
bool OpenWithDeadline(HWND owner) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < 5000; Sleep(20))
    if (OpenClipboard(owner)) return true;
  return false;
}
}  // namespace

int main(int argc, char **argv) {
  const int most = 16;
  UINT formats[most];
  HGLOBAL blocks[most];
  int count = argc - 1;
  if (count < 1 || count > most) {
    fprintf(stderr, "usage: clipboard_put.exe FORMAT=FILE [FORMAT=FILE ...]\n");
    return 2;
  }
  for (int i = 0; i < count; ++i) {
    const char *equals = strchr(argv[i + 1], '=');
    formats[i] = equals ? FormatOf(argv[i + 1], equals - argv[i + 1]) : 0;
    blocks[i] = formats[i] ? ReadBlock(equals + 1) : NULL;
    if (!blocks[i]) {
      fprintf(stderr, "clipboard_put: cannot take %s\n", argv[i + 1]);
      return 2;
    }
  }
  HWND owner = CreateWindowExA(0, "STATIC", "clipboard_put", 0, 0, 0, 0, 0, NULL, NULL,
                               GetModuleHandleA(NULL), NULL);
  if (!OpenWithDeadline(owner)) {
    fprintf(stderr, "clipboard_put: the clipboard could not be opened\n");
    return 1;
  }
  EmptyClipboard();
  for (int i = 0; i < count; ++i) SetClipboardData(formats[i], blocks[i]);
  CloseClipboard();
  DestroyWindow(owner);
  return 0;
}
