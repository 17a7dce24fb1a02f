// The clipboard. Not modelled yet.
#include "internal.h"

namespace winsim::detail {
void ResetClipboard() {}
void ClipboardOnWindowDestroyed(HWND) {}
}  // namespace winsim::detail
