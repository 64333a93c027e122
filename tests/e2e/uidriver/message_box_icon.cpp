#include "message_box_icon.h"

#include <vector>

#include "window_search.h"

namespace uidriver {

namespace {

constexpr unsigned long kIconSettleMs = 3000;

struct Bitmap {
  int width = 0, height = 0;
  std::vector<DWORD> pixels;  // top-down 0x00RRGGBB
};

Bitmap Capture(HDC source, int x, int y, int width, int height) {
  Bitmap bitmap;
  bitmap.width = width;
  bitmap.height = height;
  bitmap.pixels.assign(static_cast<size_t>(width) * height, 0);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC memory = CreateCompatibleDC(source);
  HBITMAP section = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, section);
  BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
  GdiFlush();
  const DWORD* p = static_cast<const DWORD*>(bits);
  for (size_t i = 0; i < bitmap.pixels.size(); ++i) bitmap.pixels[i] = p[i] & 0x00FFFFFF;
  SelectObject(memory, previous);
  DeleteObject(section);
  DeleteDC(memory);
  return bitmap;
}

// The icon drawn on a plain background of the given colour.
Bitmap Render(HICON icon, int width, int height, COLORREF background) {
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP canvas = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = SelectObject(memory, canvas);
  RECT all{0, 0, width, height};
  HBRUSH brush = CreateSolidBrush(background);
  FillRect(memory, &all, brush);
  DeleteObject(brush);
  DrawIconEx(memory, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
  Bitmap bitmap = Capture(memory, 0, 0, width, height);
  SelectObject(memory, previous);
  DeleteObject(canvas);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

// Share of the icon's opaque pixels (those that look the same on black and on white) that
// the shown area matches.
double Likeness(const Bitmap& shown, HICON icon) {
  Bitmap onBlack = Render(icon, shown.width, shown.height, RGB(0, 0, 0));
  Bitmap onWhite = Render(icon, shown.width, shown.height, RGB(255, 255, 255));
  size_t opaque = 0, same = 0;
  for (size_t i = 0; i < shown.pixels.size(); ++i) {
    if (onBlack.pixels[i] != onWhite.pixels[i]) continue;
    ++opaque;
    if (onBlack.pixels[i] == shown.pixels[i]) ++same;
  }
  return opaque ? static_cast<double>(same) / opaque : 0.0;
}

// The best match among the standard icons for what the static shows now, or nullptr.
const char* MatchShownIcon(HWND iconStatic) {
  RECT r{};
  GetWindowRect(iconStatic, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return nullptr;
  HDC screen = GetDC(nullptr);
  Bitmap shown = Capture(screen, r.left, r.top, width, height);
  ReleaseDC(nullptr, screen);

  struct Candidate {
    const char* name;
    LPCWSTR resource;
  };
  const Candidate candidates[] = {{"error", IDI_HAND},
                                  {"question", IDI_QUESTION},
                                  {"warning", IDI_EXCLAMATION},
                                  {"information", IDI_ASTERISK}};
  const char* best = nullptr;
  double bestLikeness = 0.9;  // below this nothing counts as recognised
  for (const Candidate& c : candidates) {
    double likeness = Likeness(shown, LoadIconW(nullptr, c.resource));
    if (likeness > bestLikeness) {
      bestLikeness = likeness;
      best = c.name;
    }
  }
  return best;
}

}  // namespace

std::string IdentifyMessageBoxIcon(HWND iconStatic) {
  // The handle means nothing in this process, but a box without an icon holds none at all.
  if (!SendBounded(iconStatic, STM_GETICON, 0, 0)) return "none";
  // A box that has just appeared may not be on the screen yet (its thread paints it when it
  // gets to it, and the display shows it a moment later): look again for a while.
  const char* found = nullptr;
  PollUntil(kIconSettleMs, [&] {
    found = MatchShownIcon(iconStatic);
    return found != nullptr;
  });
  return found ? found : "unknown";
}

}  // namespace uidriver
