// Posts messages to the first top-level window of a class, in order, as any
// program on the desktop can.
//   post_message.exe CLASS MESSAGE WPARAM LPARAM [MESSAGE WPARAM LPARAM ...]
// The numbers are in C notation (0x111). Exit code 1 when no window of the
// class exists or a post fails, 2 on malformed arguments.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

namespace {
bool ParseNumber(const char *text, unsigned long long *value) {
  char *rest;
  *value = strtoull(text, &rest, 0);
  return rest != text && *rest == 0;
}
}  // namespace

int main(int argc, char **argv) {
  if (argc < 5 || (argc - 2) % 3 != 0) {
    fprintf(stderr, "usage: post_message.exe CLASS MESSAGE WPARAM LPARAM [...]\n");
    return 2;
  }
  HWND window = FindWindowA(argv[1], NULL);
  if (!window) return 1;
  for (int i = 2; i < argc; i += 3) {
    unsigned long long message, wparam, lparam;
    if (!ParseNumber(argv[i], &message) || !ParseNumber(argv[i + 1], &wparam) ||
        !ParseNumber(argv[i + 2], &lparam))
      return 2;
    if (!PostMessageA(window, static_cast<UINT>(message), static_cast<WPARAM>(wparam),
                      static_cast<LPARAM>(lparam)))
      return 1;
  }
  return 0;
}
