#include "widgets/Window.h"

#include <vector>

#include "widgets/Text.h"

namespace vp::widgets {

void TWindowHandle::Reset() {
  if (hwnd_ != nullptr && IsWindow(hwnd_)) DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

std::string TControl::Text() const {
  const int length = GetWindowTextLengthW(Handle());
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(Handle(), text.data(), length + 1);
  text.resize(static_cast<size_t>(got < 0 ? 0 : got));
  return Narrow(text);
}

void TControl::SetText(std::string_view text) {
  SetWindowTextW(Handle(), Wide(text).c_str());
}

bool TControl::Visible() const {
  return (GetWindowLongW(Handle(), GWL_STYLE) & WS_VISIBLE) != 0;
}

void TControl::SetVisible(bool visible) {
  if (Visible() != visible) ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE);
}

bool TControl::Enabled() const {
  return IsWindowEnabled(Handle()) != FALSE;
}

void TControl::SetEnabled(bool enabled) {
  if (Enabled() != enabled) EnableWindow(Handle(), enabled ? TRUE : FALSE);
}

void TControl::SetBounds(int left, int top, int width, int height) {
  SetWindowPos(Handle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT TControl::Bounds() const {
  RECT rect{};
  GetWindowRect(Handle(), &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(Handle()), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

int TControl::Width() const {
  const RECT rect = Bounds();
  return rect.right - rect.left;
}

int TControl::Height() const {
  const RECT rect = Bounds();
  return rect.bottom - rect.top;
}

void TControl::SetFont(HFONT font) {
  SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void TControl::Focus() {
  SetFocus(Handle());
}

int TControl::Id() const {
  return GetDlgCtrlID(Handle());
}

HWND CreateChild(HWND parent, const wchar_t* className, std::string_view text, DWORD style, int id,
                 DWORD exStyle) {
  return CreateWindowExW(exStyle, className, Wide(text).c_str(), style | WS_CHILD, 0, 0, 10, 10, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                         nullptr);
}

TCustomWindow::~TCustomWindow() {
  if (hwnd_ != nullptr && IsWindow(hwnd_)) {
    // The object is going: no message may reach it any more.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

bool TCustomWindow::CreateCustom(const wchar_t* className, HWND parent, std::string_view caption, DWORD style,
                                 DWORD exStyle, int x, int y, int width, int height, HMENU menuOrId,
                                 HICON icon) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (!GetClassInfoExW(instance, className, &existing)) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &TCustomWindow::Procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className;
    windowClass.hIcon = icon;
    windowClass.hIconSm = icon;
    if (RegisterClassExW(&windowClass) == 0) return false;
  }
  hwnd_ = CreateWindowExW(exStyle, className, Wide(caption).c_str(), style, x, y, width, height, parent,
                          menuOrId, instance, this);
  return hwnd_ != nullptr;
}

LRESULT TCustomWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return Default(message, wParam, lParam);
}

LRESULT CALLBACK TCustomWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* self = static_cast<TCustomWindow*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TCustomWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  try {
    return self->HandleMessage(message, wParam, lParam);
  } catch (...) {
    // Nothing may leave a window procedure.
    return 0;
  }
}

bool TPanel::Create(HWND parent, int id, bool border) {
  const DWORD style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | (border ? WS_BORDER : 0);
  return CreateCustom(L"VeltaroPanel", parent, "", style, WS_EX_CONTROLPARENT, 0, 0, 10, 10,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

LRESULT TPanel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return SendMessageW(GetParent(Handle()), message, wParam, lParam);
    default:
      return Default(message, wParam, lParam);
  }
}

}  // namespace vp::widgets
