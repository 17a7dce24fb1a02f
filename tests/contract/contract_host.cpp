// winsim's side of the system contract cases.
#include "contract_platform.h"
#include "winsim.h"

HWND StartOtherProgramWindow(const char *classname) {
  return winsim::AddForeignWindow(classname, "other");
}

void StopOtherProgramWindow(HWND) {}

void ResetSystem() { winsim::Reset(); }
