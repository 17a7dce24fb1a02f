// Tells for each hotkey combination whether some program holds it: tries to
// register it on a window of its own and lets it go again at once.
//   hotkey_probe.exe MODIFIERS:KEY [MODIFIERS:KEY ...]
// The numbers are MOD_* flags and a virtual-key code, in C notation (0x56).
// Prints one line per combination, as given and followed by "held" or
// "free". Exit code 2 on a malformed combination or an unexpected error.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

namespace {
bool ParseCombination(const char *text, UINT *modifiers, UINT *key) {
  char *rest;
  *modifiers = static_cast<UINT>(strtoul(text, &rest, 0));
  if (rest == text || *rest != ':') return false;
  const char *keytext = rest + 1;
  *key = static_cast<UINT>(strtoul(keytext, &rest, 0));
  return rest != keytext && *rest == 0;
}

// 1 held, 0 free, -1 refused for another reason.
int Held(HWND window, UINT modifiers, UINT key) {
  const int probeid = 1;
  if (RegisterHotKey(window, probeid, modifiers, key)) {
    UnregisterHotKey(window, probeid);
    return 0;
  }
  return GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED ? 1 : -1;
}
}  // namespace

int main(int argc, char **argv) {
  HWND window = CreateWindowExA(0, "STATIC", "hotkey_probe", 0, 0, 0, 0, 0, NULL, NULL,
                                GetModuleHandleA(NULL), NULL);
  if (!window) return 2;
  int result = 0;
  for (int i = 1; i < argc; ++i) {
    UINT modifiers, key;
    if (!ParseCombination(argv[i], &modifiers, &key)) {
      fprintf(stderr, "hotkey_probe: not MODIFIERS:KEY: %s\n", argv[i]);
      result = 2;
      break;
    }
    int held = Held(window, modifiers, key);
    if (held < 0) {
      fprintf(stderr, "hotkey_probe: %s refused with error %lu\n", argv[i],
              static_cast<unsigned long>(GetLastError()));
      result = 2;
      break;
    }
    printf("%s %s\n", argv[i], held ? "held" : "free");
  }
  fflush(stdout);
  DestroyWindow(window);
  return result;
}
