// Prints what the process of the first top-level window of CLASS uses, as
// "PRIVATE WORKINGSET HANDLES": its private bytes (the commit charge) and
// working set in bytes, and the number of kernel handles it holds open.
//   process_usage.exe CLASS
// Wine leaves PrivateUsage at 0 and fills the commit charge it equals
// (PagefileUsage), and GetProcessHandleCount says 0 for any process; a live
// process holds handles, so then the system's handle list is counted.
// Exit code 3 when there is no such window, 2 when the process cannot be asked.
#define PSAPI_VERSION 2  // GetProcessMemoryInfo from kernel32, no psapi.dll
#include <windows.h>

#include <psapi.h>
#include <stdio.h>

namespace {
// SystemHandleInformation's records, as the system lays them out.
struct HandleEntry {
  USHORT process;
  USHORT backtrace;
  UCHAR type;
  UCHAR attributes;
  USHORT handle;
  PVOID object;
  ACCESS_MASK access;
};
struct HandleList {
  ULONG count;
  HandleEntry entries[1];
};
const ULONG SystemHandleInformation = 16;
const LONG InfoLengthMismatch = static_cast<LONG>(0xC0000004);
typedef LONG(WINAPI *QuerySystemInformation)(ULONG, PVOID, ULONG, PULONG);

// The list grows while it is taken: a bigger buffer until it fits.
DWORD CountListedHandles(DWORD process) {
  auto query = reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void *>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return 0;
  DWORD count = 0;
  for (ULONG size = 1 << 16; size <= (1u << 26); size *= 2) {
    auto list = static_cast<HandleList *>(HeapAlloc(GetProcessHeap(), 0, size));
    if (!list) return 0;
    LONG status = query(SystemHandleInformation, list, size, NULL);
    if (status == 0)
      for (ULONG i = 0; i < list->count; ++i) count += list->entries[i].process == process;
    HeapFree(GetProcessHeap(), 0, list);
    if (status != InfoLengthMismatch) break;
  }
  return count;
}
}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: process_usage.exe CLASS\n");
    return 2;
  }
  HWND window = FindWindowA(argv[1], NULL);
  DWORD id = 0;
  if (!window || !GetWindowThreadProcessId(window, &id)) return 3;
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
  if (!process) return 2;
  PROCESS_MEMORY_COUNTERS_EX memory = {};
  memory.cb = sizeof memory;
  DWORD handles = 0;
  bool asked = GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&memory),
                                    sizeof memory) &&
               GetProcessHandleCount(process, &handles);
  CloseHandle(process);
  if (!asked) return 2;
  SIZE_T privatebytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
  if (!handles) handles = CountListedHandles(id);
  printf("%llu %llu %lu\n", static_cast<unsigned long long>(privatebytes),
         static_cast<unsigned long long>(memory.WorkingSetSize),
         static_cast<unsigned long>(handles));
  fflush(stdout);
  return 0;
}
