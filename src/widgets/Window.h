#pragma once

// Windows as move-only owners of their handle, and the base of the program's
// own window classes, whose messages reach a virtual handler.

#include <windows.h>

#include <string>
#include <string_view>
#include <utility>

namespace vp::widgets {

// Owns one window: destroys it when it goes, unless it went already (a child
// goes with its parent).
class TWindowHandle {
 public:
  TWindowHandle() = default;
  explicit TWindowHandle(HWND hwnd) : hwnd_(hwnd) {}
  ~TWindowHandle() { Reset(); }
  TWindowHandle(TWindowHandle&& other) noexcept : hwnd_(std::exchange(other.hwnd_, nullptr)) {}
  TWindowHandle& operator=(TWindowHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      hwnd_ = std::exchange(other.hwnd_, nullptr);
    }
    return *this;
  }
  TWindowHandle(const TWindowHandle&) = delete;
  TWindowHandle& operator=(const TWindowHandle&) = delete;

  HWND Get() const { return hwnd_; }
  explicit operator bool() const { return hwnd_ != nullptr; }
  void Reset();
  // Forgets the window without destroying it (it was destroyed elsewhere).
  HWND Release() { return std::exchange(hwnd_, nullptr); }

 private:
  HWND hwnd_ = nullptr;
};

// The common operations on any window.
class TControl {
 public:
  TControl() = default;
  explicit TControl(HWND hwnd) : window_(hwnd) {}
  TControl(TControl&&) noexcept = default;
  TControl& operator=(TControl&&) noexcept = default;

  HWND Handle() const { return window_.Get(); }
  explicit operator bool() const { return static_cast<bool>(window_); }

  std::string Text() const;
  void SetText(std::string_view text);
  bool Visible() const;
  void SetVisible(bool visible);
  bool Enabled() const;
  void SetEnabled(bool enabled);
  void SetBounds(int left, int top, int width, int height);
  RECT Bounds() const;  // in the parent's client coordinates
  int Width() const;
  int Height() const;
  void SetFont(HFONT font);
  void Focus();
  int Id() const;

 protected:
  TWindowHandle window_;
};

// Creates a child control of a system class.
HWND CreateChild(HWND parent, const wchar_t* className, std::string_view text, DWORD style, int id,
                 DWORD exStyle = 0);

// The base of a window of the program's own class. Not movable: the window
// finds its object through the pointer stored at creation.
class TCustomWindow {
 public:
  TCustomWindow() = default;
  virtual ~TCustomWindow();
  TCustomWindow(const TCustomWindow&) = delete;
  TCustomWindow& operator=(const TCustomWindow&) = delete;

  HWND Handle() const { return hwnd_; }

 protected:
  // Registers the class once per process and creates the window.
  bool CreateCustom(const wchar_t* className, HWND parent, std::string_view caption, DWORD style,
                    DWORD exStyle, int x, int y, int width, int height, HMENU menuOrId, HICON icon = nullptr);
  // Messages of the window; an exception raised here is swallowed.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
};

// A plain child panel: controls on a face-coloured ground, and everything
// they report passed on to the panel's parent, so that one handler sees the
// whole window's commands.
class TPanel : public TCustomWindow {
 public:
  bool Create(HWND parent, int id, bool border);
  void SetVisible(bool visible) { ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE); }
  // Whether the panel itself is shown, also while its window is still
  // hidden: the panels are arranged before the window first appears.
  bool Visible() const { return (GetWindowLongW(Handle(), GWL_STYLE) & WS_VISIBLE) != 0; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace vp::widgets
