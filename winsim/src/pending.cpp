// Modules that later work fills in; until then they hold nothing.
#include "internal.h"

namespace winsim::detail {
void ResetMemory() {}
void ResetClipboard() {}
void ResetKeyboard() {}
void ResetRegistry() {}
void ResetControls() {}
void ClipboardOnWindowDestroyed(HWND) {}
WNDPROC SystemClassProc(const char *) { return nullptr; }
}  // namespace winsim::detail
