// Global memory blocks. Not modelled yet.
#include "internal.h"

namespace winsim::detail {
void ResetMemory() {}
}  // namespace winsim::detail
