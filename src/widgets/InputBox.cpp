#include "widgets/InputBox.h"

#include "widgets/Controls.h"
#include "widgets/Dpi.h"
#include "widgets/Window.h"

namespace vp::widgets {

namespace {

enum { kEditId = 100 };

class TInputWindow : public TCustomWindow {
 public:
  bool done = false;
  bool accepted = false;
  std::string text;

  bool Open(HWND owner, std::string_view caption, std::string_view prompt, std::string_view initial) {
    const int dpi = WindowDpi(owner);
    auto s = [dpi](int length) { return MulDiv(length, dpi, 96); };
    RECT area{0, 0, s(360), s(118)};
    AdjustWindowRectEx(&area, WS_CAPTION | WS_SYSMENU, FALSE, WS_EX_DLGMODALFRAME);
    RECT ownerRect{};
    GetWindowRect(owner, &ownerRect);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    const int x = (ownerRect.left + ownerRect.right - width) / 2;
    const int y = (ownerRect.top + ownerRect.bottom - height) / 2;
    if (!CreateCustom(L"VeltaroInputBox", owner, caption, WS_POPUP | WS_CAPTION | WS_SYSMENU,
                      WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, x, y, width, height, nullptr))
      return false;
    font_ = MessageFont(dpi);
    label_ = TLabel(Handle(), prompt, true);
    edit_ = TControl(CreateChild(Handle(), L"EDIT", initial, WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                                 kEditId, WS_EX_CLIENTEDGE));
    ok_ = TButton(Handle(), IDOK, "OK", true);
    cancel_ = TButton(Handle(), IDCANCEL, "Cancel");
    for (TControl* control : {static_cast<TControl*>(&label_), &edit_, static_cast<TControl*>(&ok_),
                              static_cast<TControl*>(&cancel_)})
      control->SetFont(font_.Get());
    label_.SetBounds(s(10), s(10), s(340), s(32));
    edit_.SetBounds(s(10), s(46), s(340), s(23));
    ok_.SetBounds(s(190), s(80), s(75), s(25));
    cancel_.SetBounds(s(275), s(80), s(75), s(25));
    SendMessageW(edit_.Handle(), EM_SETSEL, 0, -1);
    return true;
  }

  void Finish(bool accept) {
    accepted = accept;
    if (accept) text = edit_.Text();
    done = true;
  }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) Finish(true);
        if (LOWORD(wParam) == IDCANCEL) Finish(false);
        return 0;
      case WM_CLOSE:
        Finish(false);
        return 0;
      default:
        return Default(message, wParam, lParam);
    }
  }

 private:
  TFont font_;
  TLabel label_;
  TControl edit_;
  TButton ok_;
  TButton cancel_;
};

}  // namespace

std::optional<std::string> InputBox(HWND owner, std::string_view caption, std::string_view prompt,
                                    std::string_view initial) {
  TInputWindow window;
  if (!window.Open(owner, caption, prompt, initial)) return std::nullopt;
  EnableWindow(owner, FALSE);
  ShowWindow(window.Handle(), SW_SHOW);
  SetFocus(GetDlgItem(window.Handle(), kEditId));
  MSG message;
  while (!window.done) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      // The program is ending: leave the quit for the main loop.
      if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (IsDialogMessageW(window.Handle(), &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  EnableWindow(owner, TRUE);
  SetActiveWindow(owner);
  if (!window.accepted) return std::nullopt;
  return window.text;
}

}  // namespace vp::widgets
