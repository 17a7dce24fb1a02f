// Keyboard layouts: each thread has one, 0x04190419 (Russian) unless a test
// gives it another. Synthetic input is not modelled yet.
#include <map>

#include "internal.h"
#include "winsim.h"
#include "winsim_clipboard.h"

namespace winsim::detail {
namespace {
const HKL kDefaultLayout = reinterpret_cast<HKL>(std::uintptr_t(0x04190419));
std::map<DWORD, HKL> layouts;

// A thread exists when the program runs on it, one of the windows belongs to
// it, or a test gave it a layout.
bool ThreadExists(DWORD thread) {
  if (thread == kProgramThread || layouts.count(thread)) return true;
  for (const auto &w : Windows())
    if (!w.destroyed && WindowThread(w.handle) == thread) return true;
  return false;
}
}  // namespace

void ResetKeyboard() { layouts.clear(); }

// The layout a thread uses, whether or not it exists.
HKL AssignedLayout(DWORD thread) {
  auto found = layouts.find(thread);
  return found != layouts.end() ? found->second : kDefaultLayout;
}

// The layout of a thread (0: the program's), or NULL for no such thread.
HKL ThreadLayout(DWORD thread) {
  if (thread == 0) thread = kProgramThread;
  return ThreadExists(thread) ? AssignedLayout(thread) : NULL;
}
}  // namespace winsim::detail

using namespace winsim::detail;
using namespace winsim;

HKL WINAPI GetKeyboardLayout(DWORD thread) {
  HKL layout = ThreadLayout(thread);
  Record("GetKeyboardLayout(" + Hex(thread) +
         ") = " + Hex(reinterpret_cast<std::uintptr_t>(layout)));
  return layout;
}

namespace winsim {
void SetKeyboardLayout(DWORD thread, HKL layout) { layouts[thread] = layout; }
}  // namespace winsim
