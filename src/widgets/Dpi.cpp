#include "widgets/Dpi.h"

namespace vp::widgets {

namespace {

template <typename Function>
Function User32(const char* name) {
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 != nullptr ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
                           : nullptr;
}

int SystemDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

}  // namespace

int WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = User32<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpiForWindow != nullptr && window != nullptr) {
    const UINT dpi = getDpiForWindow(window);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  return SystemDpi();
}

TFont MessageFont(int dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  using ForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
  static const auto forDpi = User32<ForDpiFn>("SystemParametersInfoForDpi");
  bool scaled = false;
  if (forDpi != nullptr &&
      forDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, static_cast<UINT>(dpi))) {
    scaled = true;
  } else if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    metrics.lfMessageFont = LOGFONTW{};
    metrics.lfMessageFont.lfHeight = -12;
    lstrcpyW(metrics.lfMessageFont.lfFaceName, L"Tahoma");
  }
  LOGFONTW font = metrics.lfMessageFont;
  if (!scaled) font.lfHeight = MulDiv(font.lfHeight, dpi, SystemDpi());
  return TFont(CreateFontIndirectW(&font));
}

void DeclareDpiAwareness() {
  using SetContextFn = BOOL(WINAPI*)(HANDLE);
  static const auto setContext = User32<SetContextFn>("SetProcessDpiAwarenessContext");
  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2; failing is fine (the
  // manifest said it already, or the system is too old).
  if (setContext != nullptr) setContext(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4)));
}

void SetFontOfChildren(HWND parent, const TFont& font) {
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM handle) -> BOOL {
        SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(handle), FALSE);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(font.Get()));
}

}  // namespace vp::widgets
