// Built as a program file is, against winsim's win32/ headers alone: the
// test-facing API must not be found (winsim.program_cannot_include_the_test_api).
#include <windows.h>

#include "winsim.h"
