// Times the start-up and the quit of Tamsel and of the minimal tray program,
// taken in turns, and reads their memory at rest, from one long-lived
// process with a tray icon of its own.
//   start_watch.exe ROUNDS TAMSEL.EXE MINIMAL_TRAY.EXE
// Start-up runs from process creation until the program shows its tray icon,
// waits for input and holds Alt+Insert; quit from the start of a copy with q
// until the running copy has ended. Prints one pair line per measure and
// round (bench_kit.h) after two rounds of warming up. Exit code 1 when a
// program does not start or end in time.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include "bench/wine/bench_kit.h"

namespace {
const DWORD Deadline = 20000;
const int WarmupRounds = 2;

struct Round {
  double startup;
  double quit;
  bench::Memory memory;
};

bool WaitTrayIcons(int icons) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < Deadline; Sleep(1))
    if (bench::TrayIcons() == icons) return true;
  return false;
}

// One start, a look at the memory at rest and one quit; false when the
// program misses a deadline.
bool Measure(const char *exe, Round *round) {
  char quitline[MAX_PATH + 8];
  wsprintfA(quitline, "\"%s\" q", exe);
  char startline[MAX_PATH + 8];
  wsprintfA(startline, "\"%s\"", exe);
  int icons = bench::TrayIcons();
  PROCESS_INFORMATION running, quitter;
  LONGLONG started = bench::Now();
  if (!bench::Start(startline, &running)) return false;
  bool ok = bench::WaitStarted(running.hProcess, icons, MOD_ALT, VK_INSERT, Deadline);
  round->startup = bench::Milliseconds(started, bench::Now());
  round->memory = bench::MemoryAtRest(running.hProcess);
  LONGLONG quitting = bench::Now();
  if (bench::Start(quitline, &quitter)) {
    ok = WaitForSingleObject(running.hProcess, Deadline) == WAIT_OBJECT_0 && ok;
    round->quit = bench::Milliseconds(quitting, bench::Now());
    ok = WaitForSingleObject(quitter.hProcess, Deadline) == WAIT_OBJECT_0 && ok;
    bench::CloseProcessHandles(&quitter);
  } else {
    ok = false;
  }
  if (!ok) TerminateProcess(running.hProcess, 1);
  bench::CloseProcessHandles(&running);
  return WaitTrayIcons(icons) && ok;
}

void PrintRound(const Round &tamsel, const Round &minimal) {
  bench::PrintPair("start-up", "to tray icon and hotkey", tamsel.startup, minimal.startup);
  bench::PrintPair("quit", "q start to the copy ended", tamsel.quit, minimal.quit);
  bench::PrintPair("memory", "private bytes", static_cast<double>(tamsel.memory.privatebytes),
                   static_cast<double>(minimal.memory.privatebytes));
  bench::PrintPair("memory", "working set", static_cast<double>(tamsel.memory.workingset),
                   static_cast<double>(minimal.memory.workingset));
}
}  // namespace

int main(int argc, char **argv) {
  if (argc != 4 || lstrlenA(argv[2]) >= MAX_PATH || lstrlenA(argv[3]) >= MAX_PATH) {
    fprintf(stderr, "usage: start_watch.exe ROUNDS TAMSEL.EXE MINIMAL_TRAY.EXE\n");
    return 2;
  }
  // Our window keeps Wine's session up between the starts, our icon the tray.
  HWND keeper = CreateWindowExA(0, "STATIC", "start_watch", 0, 0, 0, 0, 0, NULL, NULL,
                                GetModuleHandleA(NULL), NULL);
  NOTIFYICONDATAA icon;
  if (!keeper || !bench::ShowKeeperIcon(keeper, &icon, Deadline)) {
    fprintf(stderr, "start_watch: the tray did not show our icon\n");
    return 1;
  }
  int rounds = atoi(argv[1]);
  for (int i = -WarmupRounds; i < rounds; ++i) {
    // Turns alternate which program goes first.
    Round tamsel, minimal;
    bool tamselfirst = i % 2 == 0;
    bool ok = Measure(argv[tamselfirst ? 2 : 3], tamselfirst ? &tamsel : &minimal) &&
              Measure(argv[tamselfirst ? 3 : 2], tamselfirst ? &minimal : &tamsel);
    if (!ok) {
      fprintf(stderr, "start_watch: a program missed a deadline in round %d\n", i);
      return 1;
    }
    if (i >= 0) PrintRound(tamsel, minimal);
  }
  if (bench::freeprobes) {
    char note[80];
    wsprintfA(note, "hotkey probes that found it free after the start: %d", bench::freeprobes);
    bench::PrintNote("start-up", note);
  }
  Shell_NotifyIconA(NIM_DELETE, &icon);
  DestroyWindow(keeper);
  return 0;
}
