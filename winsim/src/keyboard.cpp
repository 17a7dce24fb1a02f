// Keyboard layouts and synthetic input. Not modelled yet.
#include "internal.h"

namespace winsim::detail {
void ResetKeyboard() {}
}  // namespace winsim::detail
