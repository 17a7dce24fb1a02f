// gdi32: fonts, counted while alive so that a font leaked per use shows up,
// and the screen's DC, which tells the system DPI.
#include <map>

#include "internal.h"
#include "winsim.h"
#include "winsim_controls.h"

namespace winsim::detail {
namespace {
struct FontRec {
  std::string name;  // font1, font2, ...
  FontInfo info;
};
std::map<HFONT, FontRec> fonts;

const HDC kScreenDC = reinterpret_cast<HDC>(0x5DC);
int screendpi = 96;
bool dpiaware = false;
int screendcs = 0;  // got and not yet released
}  // namespace

void ResetGdi() {
  fonts.clear();
  screendpi = 96;
  dpiaware = false;
  screendcs = 0;
}

int ScreenDCsHeld() { return screendcs; }

std::string FontName(HFONT font) {
  auto found = fonts.find(font);
  return found != fonts.end() ? found->second.name
         : font               ? "hfont" + Hex(reinterpret_cast<std::uintptr_t>(font))
                              : "NULL";
}

bool FontAlive(HFONT font) {
  auto found = fonts.find(font);
  return found != fonts.end() && !found->second.info.deleted;
}
}  // namespace winsim::detail

using namespace winsim::detail;
using namespace winsim;

HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight,
                         DWORD italic, DWORD underline, DWORD strikeout, DWORD charset,
                         DWORD outprecision, DWORD clipprecision, DWORD quality, DWORD pitchfamily,
                         LPCSTR face) {
  std::string call = "CreateFontA(" + std::to_string(height) + ", " + std::to_string(width) + ", " +
                     std::to_string(escapement) + ", " + std::to_string(orientation) + ", " +
                     std::to_string(weight) + ", " + std::to_string(italic) + ", " +
                     std::to_string(underline) + ", " + std::to_string(strikeout) + ", " +
                     std::to_string(charset) + ", " + std::to_string(outprecision) + ", " +
                     std::to_string(clipprecision) + ", " + std::to_string(quality) + ", " +
                     std::to_string(pitchfamily) + ", " + Quoted(face) + ")";
  if (Injected("CreateFontA")) {
    Record(call + " = NULL");
    return NULL;
  }
  HFONT font = reinterpret_cast<HFONT>(NextHandleValue());
  FontInfo info{height, weight, italic, underline, strikeout, charset, face ? face : "", false};
  fonts[font] = {"font" + std::to_string(fonts.size() + 1), info};
  Record(call + " = " + FontName(font));
  return font;
}

// Only fonts are modelled among GDI objects.
BOOL WINAPI DeleteObject(HGDIOBJ object) {
  HFONT font = static_cast<HFONT>(object);
  BOOL ok = FontAlive(font);
  if (ok && FontUsedByLiveControl(font))
    Violation("DeleteObject of " + FontName(font) + " while a control still uses it");
  if (ok) fonts[font].info.deleted = true;
  Record("DeleteObject(" + FontName(font) + ") = " + std::to_string(ok));
  return ok;
}

HDC WINAPI GetDC(HWND window) {
  if (window || Injected("GetDC")) return NULL;
  ++screendcs;
  return kScreenDC;
}

int WINAPI ReleaseDC(HWND window, HDC dc) {
  int released = !window && dc == kScreenDC && screendcs > 0;
  screendcs -= released;
  return released;
}

BOOL WINAPI SetProcessDPIAware(void) {
  dpiaware = true;
  Record("SetProcessDPIAware() = 1");
  return TRUE;
}

// Only the DPI: the system's to a DPI-aware program, 96 to any other, which
// the system then stretches as a bitmap.
int WINAPI GetDeviceCaps(HDC dc, int index) {
  if (dc != kScreenDC || !screendcs) return 0;
  if (index != LOGPIXELSX && index != LOGPIXELSY) return 0;
  return dpiaware ? screendpi : 96;
}

namespace winsim {
void SetScreenDpi(int dpi) { screendpi = dpi; }

FontInfo Font(HFONT font) {
  auto found = fonts.find(font);
  return found != fonts.end() ? found->second.info : FontInfo{};
}

int LiveFonts() {
  int live = 0;
  for (const auto &f : fonts) live += !f.second.info.deleted;
  return live;
}
}  // namespace winsim
