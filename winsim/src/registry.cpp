// The registry. Not modelled yet.
#include "internal.h"

namespace winsim::detail {
void ResetRegistry() {}
}  // namespace winsim::detail
