// Runs the real program (WinMain, start-up, message loop) against winsim and
// fails a test on any contract violation that winsim saw.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "winsim.h"

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override { winsim::Reset(); }
  void TearDown() override { EXPECT_THAT(winsim::Violations(), ::testing::IsEmpty()); }

  // Starts the program with this command line and runs it until it ends.
  static int Run(const char *commandline = "\"C:\\Program Files\\Tamsel\\tamsel.exe\"") {
    winsim::SetCommandLine(commandline);
    int code = WinMain(GetModuleHandleA(NULL), NULL, const_cast<LPSTR>(""), SW_SHOWNORMAL);
    winsim::CheckProgramEnd();
    return code;
  }

  // The running program is told to quit, as a start with the quit switch does.
  static void ThenQuit() {
    winsim::Script(
        [] { winsim::PostFromOtherProcess(FindWindowA("Tamsel", NULL), WM_DESTROY, 0, 0); });
  }

  // The last step of a run: `check` while the program waits, then the quit.
  // Steps before it go in winsim::Script.
  static void WhileRunning(std::function<void()> check) {
    winsim::Script(std::move(check));
    ThenQuit();
  }

  static HWND Main() { return FindWindowA("Tamsel", NULL); }
};

// The entries appear in the timeline in this order (other entries may come between).
inline ::testing::AssertionResult InOrder(const std::vector<std::string> &timeline,
                                          std::initializer_list<std::string> expected) {
  auto at = timeline.begin();
  for (const auto &entry : expected) {
    at = std::find(at, timeline.end(), entry);
    if (at == timeline.end()) {
      std::string dump;
      for (const auto &t : timeline) dump += "  " + t + "\n";
      return ::testing::AssertionFailure()
             << "missing or out of order: " << entry << "\ntimeline:\n"
             << dump;
    }
    ++at;
  }
  return ::testing::AssertionSuccess();
}

inline std::string Hex(unsigned long long value) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llx", value);
  return text;
}

inline int Count(const std::vector<std::string> &timeline, const std::string &prefix) {
  int n = 0;
  for (const auto &t : timeline) n += t.compare(0, prefix.size(), prefix) == 0;
  return n;
}
