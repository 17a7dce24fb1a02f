// Times the clipboard conversion for texts of 1 KiB to 64 MiB in both forms
// against what it cannot do without: allocating a block of the same size and
// copying the same bytes into it. Prints one row per size and form with the
// median of several runs of each, measured in turns.
#include <windows.h>

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/app.h"
#include "paste/clipboard.h"
#include "settings/settings.h"
#include "winsim.h"
#include "winsim_clipboard.h"

namespace {
using Clock = std::chrono::steady_clock;

struct Form {
  const char *name;
  UINT format;
  BYTE mode;
};
const Form kForms[] = {{"single-byte", CF_TEXT, CodePageUser},
                       {"unicode", CF_UNICODETEXT, CodePageUnicode}};

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcA(window, message, wparam, lparam);
}

void StartProgram() {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = PlainProc;
  wc.lpszClassName = MainClassName;
  RegisterClassA(&wc);
  mainwindow = CreateWindowExA(0, MainClassName, "", 0, 0, 0, 0, 0, NULL, NULL, NULL, NULL);
  usercodepage = 0x0419;
}

// A text block of `size` bytes with its terminator at the very end.
std::vector<BYTE> TextBlock(UINT format, size_t size) {
  std::vector<BYTE> block(size);
  if (format == CF_UNICODETEXT) {
    for (size_t i = 0; i + 1 < size; i += 2) {
      WORD unit = static_cast<WORD>(0x0430 + (i / 2) % 32);  // Cyrillic а..я
      std::memcpy(&block[i], &unit, 2);
    }
    block[size - 2] = block[size - 1] = 0;
  } else {
    for (size_t i = 0; i < size; ++i) block[i] = static_cast<BYTE>('a' + i % 26);
    block[size - 1] = 0;
  }
  return block;
}

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double TimeConversion(const Form &form, const std::vector<BYTE> &text) {
  winsim::CopyToClipboard({{form.format, text}});
  winsim::ClearTimeline();
  codepage = form.mode;
  Clock::time_point start = Clock::now();
  ConvertClipboard();
  return Seconds(start);
}

double TimeBaseline(const std::vector<BYTE> &text) {
  winsim::ClearTimeline();
  Clock::time_point start = Clock::now();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, text.size());
  std::memcpy(GlobalLock(block), text.data(), text.size());
  GlobalUnlock(block);
  double seconds = Seconds(start);
  GlobalFree(block);
  return seconds;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

int Repetitions(size_t size) {
  return static_cast<int>(std::clamp<size_t>((size_t(256) << 20) / size, 7, 401));
}

void PrintTime(double seconds) {
  if (seconds < 1e-3)
    std::printf("%10.2f us", seconds * 1e6);
  else
    std::printf("%10.2f ms", seconds * 1e3);
}

// The clipboard calls around the scan and the copy cost the same at every
// size; in winsim they are mostly its own bookkeeping (every call is written
// to the timeline). Measured on an empty text.
double FixedCost(const Form &form) {
  std::vector<BYTE> text = TextBlock(form.format, form.format == CF_UNICODETEXT ? 2 : 1);
  std::vector<double> convert;
  for (int i = 0; i < 401; ++i) convert.push_back(TimeConversion(form, text));
  return Median(convert);
}

void MeasureRow(const Form &form, size_t size, double fixed) {
  std::vector<BYTE> text = TextBlock(form.format, size);
  std::vector<double> convert, baseline;
  for (int i = 0; i < Repetitions(size); ++i) {
    convert.push_back(TimeConversion(form, text));
    baseline.push_back(TimeBaseline(text));
  }
  double c = Median(convert), b = Median(baseline);
  if (size >= (1u << 20))
    std::printf("%6zu MiB  %-11s", size >> 20, form.name);
  else
    std::printf("%6zu KiB  %-11s", size >> 10, form.name);
  PrintTime(c);
  PrintTime(b);
  std::printf("  %6.2f  %6.2f\n", c / b, (c - fixed) / b);
}

}  // namespace

int main() {
  // Large blocks come from the heap and stay there, so that neither side pays
  // for mapping and unmapping fresh pages at some sizes and not at others.
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  winsim::Reset();
  StartProgram();
  double fixed[2] = {FixedCost(kForms[0]), FixedCost(kForms[1])};
  std::printf("ConvertClipboard against GlobalAlloc + memcpy of the same bytes (median times)\n");
  for (int i = 0; i < 2; ++i) {
    std::printf("fixed cost of the clipboard calls, %s: ", kForms[i].name);
    PrintTime(fixed[i]);
    std::printf("\n");
  }
  std::printf("%10s  %-11s%13s%13s  %6s  %6s\n", "size", "form", "convert", "baseline", "ratio",
              "-fixed");
  for (size_t size = 1u << 10; size <= (size_t(64) << 20); size *= 4)
    for (int i = 0; i < 2; ++i) MeasureRow(kForms[i], size, fixed[i]);
  return 0;
}
