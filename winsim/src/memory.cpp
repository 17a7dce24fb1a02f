// Global memory blocks as kernel32 keeps them: a moveable block's handle is
// not its address, GlobalLock counts, GlobalSize gives the size asked for, and
// a block handed to the clipboard belongs to the system. Freed blocks are
// remembered, so a second free or a use after free shows up as a violation.
//
// New memory without GMEM_ZEROINIT is filled with 0xCC, so a program that
// relies on fresh memory being zero reads garbage here as it might on Windows.
#include <cstring>
#include <map>
#include <memory>

#include "internal.h"
#include "winsim.h"
#include "winsim_clipboard.h"

namespace winsim::detail {

struct BlockRec {
  std::string name;
  std::unique_ptr<BYTE[]> bytes;
  SIZE_T size = 0;
  UINT flags = 0;
  int locks = 0;
  bool freed = false;
  bool clipboard = false;  // handed to the clipboard: the system frees it
};

bool ProgramHasClipboardOpen();  // clipboard.cpp

namespace {
constexpr DWORD kErrorNotLocked = 158;
constexpr BYTE kFreshFill = 0xCC;
constexpr SIZE_T kLargestBlock = SIZE_T(1) << 40;  // more than any machine can give

std::map<std::uintptr_t, BlockRec> blocks;  // by handle value; never erased before Reset
int allocated = 0;
std::map<std::string, int> failcountdown;  // FailNthCall: calls left until the failing one

std::uintptr_t Key(HGLOBAL mem) { return reinterpret_cast<std::uintptr_t>(mem); }

bool CountdownHits(const char *function) {
  auto found = failcountdown.find(function);
  if (found == failcountdown.end() || found->second <= 0) return false;
  if (--found->second > 0) return false;
  failcountdown.erase(found);
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  Record(std::string(function) + " fails (injected)");
  return true;
}

// The live block of a handle the program passes; a violation for a freed or
// unknown one (only NULL fails quietly).
BlockRec *Usable(HGLOBAL mem, const char *function) {
  auto found = blocks.find(Key(mem));
  if (found != blocks.end() && !found->second.freed) return &found->second;
  SetLastError(ERROR_INVALID_HANDLE);
  if (found != blocks.end())
    Violation(std::string(function) + " of " + found->second.name + " after GlobalFree");
  else if (mem)
    Violation(std::string(function) + " of " + Hex(Key(mem)) + ", not a global memory handle");
  return nullptr;
}
}  // namespace

// True when the test asked this call to fail, now or as the nth from some point.
bool FailsNow(const char *function) { return Injected(function) || CountdownHits(function); }

HGLOBAL AllocBlock(UINT flags, SIZE_T size) {
  auto bytes = std::unique_ptr<BYTE[]>(new BYTE[size ? size : 1]);
  std::memset(bytes.get(), (flags & GMEM_ZEROINIT) ? 0 : kFreshFill, size);
  // A fixed block's handle is its address; a moveable one gets a handle of its own.
  std::uintptr_t handle =
      (flags & GMEM_MOVEABLE) ? NextHandleValue() : reinterpret_cast<std::uintptr_t>(bytes.get());
  BlockRec &b = blocks[handle];
  b.name = "mem" + std::to_string(++allocated);
  b.bytes = std::move(bytes);
  b.size = size;
  b.flags = flags;
  return reinterpret_cast<HGLOBAL>(handle);
}

HGLOBAL AllocBlockWith(const void *data, SIZE_T size) {
  HGLOBAL mem = AllocBlock(GMEM_MOVEABLE, size);
  if (size) std::memcpy(blocks[Key(mem)].bytes.get(), data, size);
  return mem;
}

BlockRec *LiveBlock(HGLOBAL mem) {
  auto found = blocks.find(Key(mem));
  return found != blocks.end() && !found->second.freed ? &found->second : nullptr;
}

const BYTE *BlockData(HGLOBAL mem) {
  BlockRec *b = LiveBlock(mem);
  return b ? b->bytes.get() : nullptr;
}

SIZE_T BlockSize(HGLOBAL mem) {
  BlockRec *b = LiveBlock(mem);
  return b ? b->size : 0;
}

std::string BlockName(HGLOBAL mem) {
  auto found = blocks.find(Key(mem));
  return found != blocks.end() ? found->second.name : Hex(Key(mem));
}

void SetClipboardHolds(HGLOBAL mem, bool held) {
  if (BlockRec *b = LiveBlock(mem)) b->clipboard = held;
}

// The system frees a block the clipboard held; one still locked was left
// locked by whoever read or stored it.
void FreeClipboardBlock(HGLOBAL mem) {
  BlockRec *b = LiveBlock(mem);
  if (!b) return;
  if (b->locks) Violation(b->name + " is still locked when the clipboard frees it");
  b->freed = true;
  b->bytes.reset();
}

void CheckUnlocked(HGLOBAL mem, const char *when) {
  BlockRec *b = LiveBlock(mem);
  if (b && b->locks) Violation(b->name + " is still locked " + when);
}

void ResetMemory() {
  blocks.clear();
  allocated = 0;
  failcountdown.clear();
}

}  // namespace winsim::detail

using namespace winsim::detail;
using namespace winsim;

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) {
  std::string call = "GlobalAlloc(" + Hex(flags) + ", " + std::to_string(bytes) + ")";
  if (FailsNow("GlobalAlloc") || bytes > kLargestBlock) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    Record(call + " = NULL");
    return NULL;
  }
  HGLOBAL mem = AllocBlock(flags, bytes);
  Record(call + " = " + BlockName(mem));
  return mem;
}

LPVOID WINAPI GlobalLock(HGLOBAL mem) {
  BlockRec *b = Usable(mem, "GlobalLock");
  std::string call = "GlobalLock(" + BlockName(mem) + ")";
  if (!b || FailsNow("GlobalLock") || b->size == 0) {  // a zero-byte moveable block is discarded
    Record(call + " = NULL");
    return NULL;
  }
  if (b->clipboard && !ProgramHasClipboardOpen())
    Violation("GlobalLock of " + b->name + ", a clipboard block, while the clipboard is closed");
  if (b->flags & GMEM_MOVEABLE) ++b->locks;
  Record(call + " = &" + b->name);
  return b->bytes.get();
}

BOOL WINAPI GlobalUnlock(HGLOBAL mem) {
  BlockRec *b = Usable(mem, "GlobalUnlock");
  std::string call = "GlobalUnlock(" + BlockName(mem) + ")";
  if (!b) {
    Record(call + " = 0");
    return FALSE;
  }
  if (!(b->flags & GMEM_MOVEABLE)) {
    Record(call + " = 1");
    return TRUE;
  }
  if (b->locks == 0) {
    SetLastError(kErrorNotLocked);
    Violation("GlobalUnlock of " + b->name + ", which is not locked");
    Record(call + " = 0");
    return FALSE;
  }
  --b->locks;
  if (b->locks == 0) SetLastError(ERROR_SUCCESS);
  Record(call + " = " + std::to_string(b->locks != 0));
  return b->locks != 0;
}

SIZE_T WINAPI GlobalSize(HGLOBAL mem) {
  BlockRec *b = Usable(mem, "GlobalSize");
  SIZE_T size = b ? b->size : 0;
  Record("GlobalSize(" + BlockName(mem) + ") = " + std::to_string(size));
  return size;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL mem) {
  std::string call = "GlobalFree(" + BlockName(mem) + ")";
  if (!mem) {
    Record(call + " = NULL");
    return NULL;
  }
  BlockRec *b = Usable(mem, "GlobalFree");
  if (!b) {
    Record(call + " = " + BlockName(mem));
    return mem;
  }
  if (b->clipboard) Violation("GlobalFree of " + b->name + ", which the clipboard owns");
  if (b->locks) Violation("GlobalFree of " + b->name + " while it is locked");
  b->freed = true;
  b->bytes.reset();
  Record(call + " = NULL");
  return NULL;
}

namespace winsim {

int LiveBlocks() {
  int n = 0;
  for (auto &entry : blocks) n += !entry.second.freed;
  return n;
}

int ProgramBlocks() {
  int n = 0;
  for (auto &entry : blocks) n += !entry.second.freed && !entry.second.clipboard;
  return n;
}

BlockInfo Block(HGLOBAL mem) {
  auto found = blocks.find(Key(mem));
  if (found == blocks.end()) return BlockInfo{};
  const BlockRec &b = found->second;
  return {true, b.name, b.size, b.flags, b.locks, b.clipboard, b.freed};
}

std::vector<BYTE> BlockBytes(HGLOBAL mem) {
  const BYTE *data = BlockData(mem);
  return data ? std::vector<BYTE>(data, data + BlockSize(mem)) : std::vector<BYTE>{};
}

void FailNthCall(const std::string &function, int nth) { failcountdown[function] = nth; }

}  // namespace winsim
