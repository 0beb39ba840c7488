#pragma once

// Sizes for the screen a window is on: the window's DPI, and the system's
// message font at that DPI.

#include <windows.h>

#include "platform/win32/ScopedHandle.h"

namespace vp::widgets {

// The window's DPI (per monitor where the system knows it), else the
// system's.
int WindowDpi(HWND window);

struct FontTraits {
  using Handle = HFONT;
  static constexpr Handle kInvalid = nullptr;
  static bool Close(Handle font) { return DeleteObject(font) != 0; }
};
// Owns a font.
using TFont = platform::win32::ScopedHandle<FontTraits>;

// The message font (the one message boxes use) for a DPI.
TFont MessageFont(int dpi);

// Sets the font of every child window of parent (which must outlive them).
void SetFontOfChildren(HWND parent, const TFont& font);

// Makes the process aware of each monitor's DPI when the manifest did not.
void DeclareDpiAwareness();

}  // namespace vp::widgets
