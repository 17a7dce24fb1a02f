// Code pages: which ones a locale's text uses, and conversion between them
// and UTF-16, as the system's tables have it (through iconv).
#include <iconv.h>

#include <array>
#include <cstring>
#include <map>

#include "internal.h"

namespace winsim::detail {
namespace {
// A code page of 0 is the system's own: a Unicode-only locale has none.
struct LocaleCodePages {
  LANGID language;
  UINT ansi;
  UINT oem;
};
constexpr LocaleCodePages kLocales[] = {
    {0x0409, 1252, 437},  // English (United States)
    {0x0414, 1252, 850},  // Norwegian (Bokmal)
    {0x0809, 1252, 850},  // English (United Kingdom)
    {0x0407, 1252, 850},  // German
    {0x040C, 1252, 850},  // French
    {0x0419, 1251, 866},  // Russian
    {0x0422, 1251, 866},  // Ukrainian
    {0x0423, 1251, 866},  // Belarusian
    {0x042B, 0, 0},       // Armenian, Unicode only
};

const LocaleCodePages *FindLocale(LCID locale) {
  for (const auto &l : kLocales)
    if (l.language == LOWORD(locale)) return &l;
  return nullptr;
}
}  // namespace

bool KnownAnsiCodePage(LCID locale, UINT *codepage) {
  const LocaleCodePages *l = FindLocale(locale);
  if (l) *codepage = l->ansi;
  return l != nullptr;
}

// A locale that is not known converts with the user's default locale, one
// without a code page of its own with the system's.
UINT CodePageOf(LCID locale, UINT format) {
  const LocaleCodePages *l = FindLocale(locale);
  if (!l) l = FindLocale(GetUserDefaultLCID());
  UINT page = l ? (format == CF_OEMTEXT ? l->oem : l->ansi) : 0;
  if (page) return page;
  UINT ansi = GetACP();
  return format != CF_OEMTEXT ? ansi : ansi == 1251 ? 866 : 437;
}

namespace {
using ByteTable = std::array<char16_t, 256>;

// Byte to UTF-16 through iconv; a byte the code page leaves undefined keeps its number.
ByteTable BuildTable(UINT codepage) {
  ByteTable table{};
  std::string name = "CP" + std::to_string(codepage);
  iconv_t cd = iconv_open("UTF-16LE", name.c_str());
  for (int b = 0; b < 256; ++b) {
    table[b] = static_cast<char16_t>(b);
    if (cd == reinterpret_cast<iconv_t>(-1)) continue;
    char in = static_cast<char>(b);
    unsigned char out[4];
    char *inp = &in, *outp = reinterpret_cast<char *>(out);
    size_t inleft = 1, outleft = sizeof out;
    if (iconv(cd, &inp, &inleft, &outp, &outleft) != static_cast<size_t>(-1) && outleft == 2)
      table[b] = static_cast<char16_t>(out[0] | (out[1] << 8));
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  return table;
}

const ByteTable &TableOf(UINT codepage) {
  static std::map<UINT, ByteTable> tables;
  auto found = tables.find(codepage);
  if (found == tables.end()) found = tables.emplace(codepage, BuildTable(codepage)).first;
  return found->second;
}
}  // namespace

std::u16string BytesToUnicode(const BYTE *bytes, SIZE_T size, UINT codepage) {
  const ByteTable &table = TableOf(codepage);
  std::u16string units(size, u'\0');
  for (SIZE_T i = 0; i < size; ++i) units[i] = table[bytes[i]];
  return units;
}

bool IsModelledCodePage(UINT codepage) {
  for (const auto &l : kLocales)
    if (l.ansi == codepage || l.oem == codepage) return true;
  return false;
}

std::vector<BYTE> UnicodeToBytes(const std::u16string &units, UINT codepage, bool *useddefault) {
  const ByteTable &table = TableOf(codepage);
  std::map<char16_t, BYTE> reverse;
  for (int b = 255; b >= 0; --b) reverse[table[b]] = static_cast<BYTE>(b);
  std::vector<BYTE> bytes(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    auto found = reverse.find(units[i]);
    bytes[i] = found != reverse.end() ? found->second : '?';
    if (found == reverse.end() && useddefault) *useddefault = true;
  }
  return bytes;
}

}  // namespace winsim::detail

using namespace winsim::detail;

// Single-byte code pages only, without best fit, flags or a default character
// of the caller's own (see winsim/README.md). A count of -1 takes the text
// up to and with its zero unit; size 0 asks for the length.
int WINAPI WideCharToMultiByte(UINT codepage, DWORD flags, const WCHAR *units, int count,
                               LPSTR bytes, int size, LPCSTR defaultchar, LPBOOL useddefault) {
  std::string call = "WideCharToMultiByte(" + std::to_string(codepage) + ", " +
                     std::to_string(count) + ", " + std::to_string(size) + ") = ";
  if (flags || defaultchar) Violation(call + "flags and a default character are not modelled");
  if (units && count == -1) {
    count = 0;
    while (units[count++]) {
    }
  }
  int result = 0;
  if (!IsModelledCodePage(codepage) || !units || count <= 0 || size < 0 || (size && !bytes)) {
    SetLastError(ERROR_INVALID_PARAMETER);
  } else if (size && size < count) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
  } else {
    bool used = false;
    std::vector<BYTE> converted =
        UnicodeToBytes(std::u16string(units, units + count), codepage, &used);
    if (size) std::memcpy(bytes, converted.data(), converted.size());
    if (useddefault) *useddefault = used;
    result = count;
  }
  Record(call + std::to_string(result));
  return result;
}
