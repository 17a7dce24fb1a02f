// Times the program's own clipboard conversion (ConvertClipboard, compiled as
// in tamsel.exe) against the minimal converter of bench_kit.h, in one process
// and on the real clipboard, in turns: texts of 1 KiB, 64 KiB, 1 MiB and
// 64 MiB in both forms, and one of four bytes for the fixed cost. The
// baseline asks whether the clipboard holds text before opening it, as
// Tamsel does; a last row at 64 KiB without those questions shows what they
// cost. A third form is Unicode text copied under the English layout, as
// Windows leaves it (locale 0x0409), which Tamsel makes again in code page
// 1251 and the baseline takes as the system's single-byte text.
// Before every run a child process puts the text on the clipboard, so that
// it comes from another program, as a user's text does.
//   convert_bench.exe [SCALE]   SCALE (default 1) multiplies the repetitions
//   convert_bench.exe fill      the child: reads "FORM SIZE" lines, fills,
//                               answers 1 (or 0 when it could not)
// Prints one pair line per size, form and repetition (bench_kit.h).
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include "app/app.h"
#include "bench/wine/bench_kit.h"
#include "paste/clipboard.h"
#include "settings/settings.h"

// The window the conversion opens the clipboard for, Tamsel's main window.
HWND mainwindow;

namespace {
const DWORD ClipboardDeadline = 5000;
const LCID RussianLocale = 0x0419;
const LCID EnglishLocale = 0x0409;

struct Form {
  const char *name;
  char code;  // as the fill child reads it
  UINT format;
  BYTE mode;  // Tamsel's codepage setting that leaves this form
  LCID locale;
};
const Form Forms[] = {
    {"single-byte", 'a', CF_TEXT, CodePageUser, RussianLocale},
    {"unicode", 'u', CF_UNICODETEXT, CodePageUnicode, 0},
    {"unicode copied under the English layout", 'e', CF_TEXT, CodePageUser, RussianLocale}};
const int FormCount = sizeof Forms / sizeof Forms[0];
const int QuestionlessForms = 2;  // the rows whose baseline does not ask take the first two

struct Size {
  const char *name;
  SIZE_T bytes;
  int repetitions;
};
const Size Sizes[] = {{"4 bytes", 4, 301},
                      {"1 KiB", 1 << 10, 301},
                      {"64 KiB", 64 << 10, 101},
                      {"1 MiB", 1 << 20, 61},
                      {"64 MiB", 64 << 20, 15}};
const int NoQuestionsSize = 2;  // 64 KiB

// --- The child that fills the clipboard

// Russian and Latin words: `size` bytes of text with its terminator at the
// very end, in Windows-1251 or UTF-16.
char *NewText(bool unicode, SIZE_T size) {
  static const char Words[] = "Привет, мир; hello, world. ";
  char *text = static_cast<char *>(malloc(size));
  if (!text) return NULL;
  if (unicode) {
    WCHAR units[sizeof Words];
    int count = MultiByteToWideChar(1251, 0, Words, -1, units, sizeof Words) - 1;
    for (SIZE_T i = 0; i + 1 < size / 2; ++i) reinterpret_cast<WCHAR *>(text)[i] = units[i % count];
    memset(text + (size / 2 - 1) * 2, 0, size - (size / 2 - 1) * 2);
  } else {
    for (SIZE_T i = 0; i + 1 < size; ++i) text[i] = Words[i % (sizeof Words - 1)];
    text[size - 1] = 0;
  }
  return text;
}

bool Fill(HWND owner, char form, SIZE_T size) {
  bool unicode = form != 'a';
  char *text = NewText(unicode, size);
  HGLOBAL block = text ? bench::CopyToBlock(text, size) : NULL;
  free(text);
  if (!block || !bench::OpenClipboardWithin(owner, ClipboardDeadline)) {
    if (block) GlobalFree(block);
    return false;
  }
  EmptyClipboard();
  bool stored = SetClipboardData(unicode ? CF_UNICODETEXT : CF_TEXT, block) != NULL;
  if (!stored) GlobalFree(block);
  HGLOBAL locale = form == 'e' ? bench::CopyToBlock(&EnglishLocale, sizeof EnglishLocale) : NULL;
  if (locale && !SetClipboardData(CF_LOCALE, locale)) GlobalFree(locale);
  CloseClipboard();
  return stored;
}

int RunFillChild() {
  HWND owner = CreateWindowExA(0, "STATIC", "convert_bench fill", 0, 0, 0, 0, 0, NULL, NULL,
                               GetModuleHandleA(NULL), NULL);
  char line[64];
  while (fgets(line, sizeof line, stdin)) {
    char form = 0;
    unsigned long long size = 0;
    bool filled = sscanf(line, "%c %llu", &form, &size) == 2 && size > 0 &&
                  Fill(owner, form, static_cast<SIZE_T>(size));
    // One byte, past the C runtime, which would make a line end two bytes.
    DWORD written;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), filled ? "1" : "0", 1, &written, NULL);
  }
  return 0;
}

// --- The parent that measures

struct Filler {
  PROCESS_INFORMATION process;
  HANDLE requests;
  HANDLE answers;
};

bool StartFiller(Filler *filler) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
  HANDLE childin, childout;
  if (!CreatePipe(&childin, &filler->requests, &inherit, 0)) return false;
  if (!CreatePipe(&filler->answers, &childout, &inherit, 0)) return false;
  SetHandleInformation(filler->requests, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(filler->answers, HANDLE_FLAG_INHERIT, 0);
  char commandline[MAX_PATH + 8];
  char exe[MAX_PATH];
  GetModuleFileNameA(NULL, exe, sizeof exe);
  wsprintfA(commandline, "\"%s\" fill", exe);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = childin;
  startup.hStdOutput = childout;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  BOOL started = CreateProcessA(NULL, commandline, NULL, NULL, TRUE, 0, NULL, NULL, &startup,
                                &filler->process);
  CloseHandle(childin);
  CloseHandle(childout);
  return started != 0;
}

bool RequestFill(const Filler &filler, const Form &form, const Size &size) {
  char request[64];
  int length = wsprintfA(request, "%c %lu\n", form.code, static_cast<unsigned long>(size.bytes));
  DWORD done;
  char answer = 0;
  return WriteFile(filler.requests, request, length, &done, NULL) &&
         ReadFile(filler.answers, &answer, 1, &done, NULL) && answer == '1';
}

double TimeTamsel(const Form &form) {
  codepage = form.mode;
  LONGLONG start = bench::Now();
  ConvertClipboard();
  return bench::Milliseconds(start, bench::Now());
}

// `askfirst`: the baseline asks whether the clipboard holds either form
// before opening it, as Tamsel does.
double TimeMinimal(const Form &form, bool askfirst) {
  LONGLONG start = bench::Now();
  if (askfirst) {
    IsClipboardFormatAvailable(CF_TEXT);
    IsClipboardFormatAvailable(CF_UNICODETEXT);
  }
  bench::MinimalConvert(mainwindow, form.format, form.locale);
  return bench::Milliseconds(start, bench::Now());
}

// Whether the clipboard's single-byte text begins with a Cyrillic letter of
// code page 1251, as the text copied under the English layout must after
// Tamsel's conversion (the system's own bytes would begin with '?').
bool BeginsInCyrillic() {
  if (!bench::OpenClipboardWithin(mainwindow, ClipboardDeadline)) return false;
  HGLOBAL block = GetClipboardData(CF_TEXT);
  const BYTE *text = block ? static_cast<const BYTE *>(GlobalLock(block)) : NULL;
  bool cyrillic = text && text[0] >= 0xC0;
  if (text) GlobalUnlock(block);
  CloseClipboard();
  return cyrillic;
}

// One run of one converter on a fresh text; a run that left the clipboard
// as it was (it could not be opened at that moment) is run again.
bool Measure(const Filler &filler, const Form &form, const Size &size, bool tamsel, bool askfirst,
             double *ms) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (!RequestFill(filler, form, size)) return false;
    DWORD filled = GetClipboardSequenceNumber();
    *ms = tamsel ? TimeTamsel(form) : TimeMinimal(form, askfirst);
    if (GetClipboardSequenceNumber() != filled)
      return !tamsel || form.code != 'e' || BeginsInCyrillic();
  }
  return false;
}

bool MeasureRow(const Filler &filler, const Form &form, const Size &size, int scale,
                bool askfirst) {
  char variant[64];
  wsprintfA(variant, askfirst ? "%s %s" : "%s %s, baseline does not ask", size.name, form.name);
  for (int i = 0; i < size.repetitions * scale; ++i) {
    bool tamselfirst = i % 2 == 0;
    double first, second;
    if (!Measure(filler, form, size, tamselfirst, askfirst, &first) ||
        !Measure(filler, form, size, !tamselfirst, askfirst, &second))
      return false;
    bench::PrintPair("conversion", variant, tamselfirst ? first : second,
                     tamselfirst ? second : first);
  }
  return true;
}
}  // namespace

int main(int argc, char **argv) {
  if (argc == 2 && strcmp(argv[1], "fill") == 0) return RunFillChild();
  int scale = argc == 2 ? atoi(argv[1]) : 1;
  mainwindow = CreateWindowExA(0, "STATIC", "convert_bench", 0, 0, 0, 0, 0, NULL, NULL,
                               GetModuleHandleA(NULL), NULL);
  usercodepage = RussianLocale;
  Filler filler;
  if (scale < 1 || !mainwindow || !StartFiller(&filler)) {
    fprintf(stderr, "usage: convert_bench.exe [SCALE]; the fill child did not start\n");
    return 2;
  }
  // The last rows repeat 64 KiB with a baseline that does not ask: what the
  // questions cost.
  const int rows = sizeof Sizes / sizeof Sizes[0];
  for (int row = 0; row <= rows; ++row) {
    const Size &size = Sizes[row < rows ? row : NoQuestionsSize];
    for (int f = 0; f < (row < rows ? FormCount : QuestionlessForms); ++f)
      if (!MeasureRow(filler, Forms[f], size, scale, row < rows)) {
        fprintf(stderr, "convert_bench: the clipboard could not be filled or converted (%s %s)\n",
                size.name, Forms[f].name);
        return 1;
      }
  }
  CloseHandle(filler.requests);
  WaitForSingleObject(filler.process.hProcess, ClipboardDeadline);
  bench::CloseProcessHandles(&filler.process);
  return 0;
}
