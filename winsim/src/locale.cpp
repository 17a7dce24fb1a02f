// The user's default locale.
#include "internal.h"
#include "winsim.h"

namespace winsim::detail {
namespace {
LCID userlocale = 0x0419;
}
void ResetLocale() { userlocale = 0x0419; }
}  // namespace winsim::detail

using namespace winsim::detail;
using namespace winsim;

LCID WINAPI GetUserDefaultLCID(void) { return userlocale; }

namespace winsim {
void SetUserDefaultLCID(LCID locale) { userlocale = locale; }
}  // namespace winsim
