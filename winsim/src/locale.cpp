// The user's default locale and the names of languages.
#include <cstring>
#include <map>
#include <vector>

#include "internal.h"
#include "winsim.h"
#include "winsim_controls.h"

namespace winsim::detail {
namespace {
LCID userlocale = 0x0419;
UINT ansicodepage = 1251;
std::map<LCID, std::string> languagenames;

// As a system with a Russian user interface names them, in the ANSI code page.
const std::map<LCID, std::string> kLanguageNames = {
    {0x0419, "Русский"},    {0x0414, "Норвежский (букмол)"}, {0x0409, "Английский (США)"},
    {0x0422, "Украинский"}, {0x0407, "Немецкий (Германия)"},
};

// LOCALE_IDEFAULTANSICODEPAGE with LOCALE_RETURN_NUMBER: the DWORD in the
// first four bytes of an "A" caller's buffer, 0 (CP_ACP) for a Unicode-only
// locale. A locale winsim does not know fails, as one the system does not
// know does.
int AnsiCodePageNumber(LCID locale, LPSTR data, int size) {
  UINT known = 0;
  bool found = KnownAnsiCodePage(locale, &known);
  DWORD codepage = known;
  int needed = static_cast<int>(sizeof codepage);
  if (!found || size < 0 || (size && !data)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (size && size < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (size) std::memcpy(data, &codepage, sizeof codepage);
  return needed;
}
}  // namespace
void ResetLocale() {
  userlocale = 0x0419;
  ansicodepage = 1251;
  languagenames = kLanguageNames;
}
}  // namespace winsim::detail

using namespace winsim::detail;
using namespace winsim;

LCID WINAPI GetUserDefaultLCID(void) { return userlocale; }

UINT WINAPI GetACP(void) { return ansicodepage; }

// Only LOCALE_SLANGUAGE is modelled, converted with the language's own ANSI
// code page unless LOCALE_USE_CP_ACP asks for the system's (the answer counts
// the terminating zero; size 0 asks for the length), and the ANSI code page
// as a number.
int WINAPI GetLocaleInfoA(LCID locale, DWORD type, LPSTR data, int size) {
  std::string call =
      "GetLocaleInfoA(" + Hex(locale) + ", " + Hex(type) + ", " + std::to_string(size) + ") = ";
  auto found = languagenames.find(locale);
  int result = 0;
  if (type == (LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER)) {
    result = AnsiCodePageNumber(locale, data, size);
  } else if ((type & ~LOCALE_USE_CP_ACP) != LOCALE_SLANGUAGE || found == languagenames.end() ||
             size < 0 || (size && !data)) {
    SetLastError(ERROR_INVALID_PARAMETER);
  } else {
    const std::string &name = found->second;
    UINT codepage = type & LOCALE_USE_CP_ACP ? ansicodepage : CodePageOf(locale, CF_TEXT);
    std::vector<BYTE> text = UnicodeToBytes(
        BytesToUnicode(reinterpret_cast<const BYTE *>(name.data()), name.size(), kSourceCodePage),
        codepage);
    text.push_back(0);
    result = static_cast<int>(text.size());
    if (size && size < result) {
      SetLastError(122);  // ERROR_INSUFFICIENT_BUFFER
      result = 0;
    } else if (size) {
      std::memcpy(data, text.data(), text.size());
    }
  }
  Record(call + std::to_string(result));
  return result;
}

namespace winsim {
void SetUserDefaultLCID(LCID locale) { userlocale = locale; }

void SetAnsiCodePage(UINT codepage) { ansicodepage = codepage; }

void SetLanguageName(LCID locale, const std::string &name) {
  if (name.empty())
    languagenames.erase(locale);
  else
    languagenames[locale] = name;
}
}  // namespace winsim
