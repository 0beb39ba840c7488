#pragma once

// Sizes for the screen a window is on: the window's DPI, and the system's
// message font at that DPI.

#include <windows.h>

#include <utility>

namespace vp::widgets {

// The window's DPI (per monitor where the system knows it), else the
// system's.
int WindowDpi(HWND window);

// Owns a font.
class TFont {
 public:
  TFont() = default;
  explicit TFont(HFONT font) : font_(font) {}
  ~TFont() {
    if (font_ != nullptr) DeleteObject(font_);
  }
  TFont(TFont&& other) noexcept : font_(std::exchange(other.font_, nullptr)) {}
  TFont& operator=(TFont&& other) noexcept {
    if (this != &other) {
      if (font_ != nullptr) DeleteObject(font_);
      font_ = std::exchange(other.font_, nullptr);
    }
    return *this;
  }
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;
  HFONT Handle() const { return font_; }

 private:
  HFONT font_ = nullptr;
};

// The message font (the one message boxes use) for a DPI.
TFont MessageFont(int dpi);

// Makes the process aware of each monitor's DPI when the manifest did not.
void DeclareDpiAwareness();

}  // namespace vp::widgets
