// The standard controls of the settings page. Not modelled yet.
#include "internal.h"

namespace winsim::detail {
void ResetControls() {}
}  // namespace winsim::detail

namespace winsim::detail {
WNDPROC SystemClassProc(const char *) { return nullptr; }
}  // namespace winsim::detail
