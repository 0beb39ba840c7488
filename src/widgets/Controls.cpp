#include "widgets/Controls.h"

#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>

#include <algorithm>

#include "widgets/ItemCaption.h"
#include "widgets/Text.h"

namespace vp::widgets {

TButton::TButton(HWND parent, int id, std::string_view caption, bool isDefault)
    : TControl(CreateChild(parent, L"BUTTON", caption,
                           WS_VISIBLE | WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), id)) {}

bool TButton::Click() {
  const HWND parent = GetParent(Handle());
  // Shown means on screen: a button on a hidden panel is not.
  if (!IsWindowVisible(Handle()) || !Enabled() || !IsWindowEnabled(parent)) return false;
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(Id(), BN_CLICKED), reinterpret_cast<LPARAM>(Handle()));
  return true;
}

TRadioButton::TRadioButton(HWND parent, int id, std::string_view caption, bool firstOfGroup)
    : TControl(CreateChild(parent, L"BUTTON", caption,
                           WS_VISIBLE | BS_AUTORADIOBUTTON | (firstOfGroup ? WS_GROUP | WS_TABSTOP : 0),
                           id)) {}

bool TRadioButton::Checked() const {
  return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TRadioButton::SetChecked(bool checked) {
  SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

TLabel::TLabel(HWND parent, std::string_view caption, bool wrap)
    : TControl(CreateChild(parent, L"STATIC", caption,
                           WS_VISIBLE | SS_NOPREFIX | (wrap ? SS_LEFT : SS_LEFTNOWORDWRAP), -1)) {}

int TLabel::TextWidth() const {
  return MeasureText(Handle(), reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0)), Text());
}

TReadOnlyEdit::TReadOnlyEdit(HWND parent, int id)
    : TControl(CreateChild(parent, L"EDIT", "", WS_VISIBLE | WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL, id)) {
}

TProgressBar::TProgressBar(HWND parent)
    : TControl(CreateChild(parent, PROGRESS_CLASSW, "", WS_VISIBLE | PBS_SMOOTH, -1)) {}

void TProgressBar::SetRange(int maximum) {
  SendMessageW(Handle(), PBM_SETRANGE32, 0, maximum);
}

void TProgressBar::SetPosition(int position) {
  SendMessageW(Handle(), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

TTabControl::TTabControl(HWND parent, int id)
    : TControl(CreateChild(parent, WC_TABCONTROLW, "",
                           WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | TCS_MULTILINE, id)) {
}

StringList TTabControl::Captions() const {
  StringList captions;
  const int count = static_cast<int>(SendMessageW(Handle(), TCM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i)
    captions.push_back(ItemCaption<TCITEMW>(Handle(), TCM_GETITEMW, i, TCIF_TEXT));
  return captions;
}

void TTabControl::SetCaptions(const StringList& captions) {
  const int count = static_cast<int>(SendMessageW(Handle(), TCM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < static_cast<int>(captions.size()); ++i)
    SetItemCaption<TCITEMW>(Handle(), i < count ? TCM_SETITEMW : TCM_INSERTITEMW, i, TCIF_TEXT, captions[i]);
  for (int i = count - 1; i >= static_cast<int>(captions.size()); --i)
    SendMessageW(Handle(), TCM_DELETEITEM, static_cast<WPARAM>(i), 0);
}

int TTabControl::Current() const {
  return static_cast<int>(SendMessageW(Handle(), TCM_GETCURSEL, 0, 0));
}

void TTabControl::SetCurrent(int index) {
  SendMessageW(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int TTabControl::StripHeight() const {
  const int count = static_cast<int>(SendMessageW(Handle(), TCM_GETITEMCOUNT, 0, 0));
  int height = 0;
  for (int i = 0; i < count; ++i) {
    RECT a{};
    SendMessageW(Handle(), TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&a));
    for (int j = 0; j < count; ++j) {
      RECT b{};
      SendMessageW(Handle(), TCM_GETITEMRECT, static_cast<WPARAM>(j), reinterpret_cast<LPARAM>(&b));
      height = std::max(height, static_cast<int>(a.bottom - b.top));
    }
  }
  return height;
}

TStatusBar::TStatusBar(HWND parent) : TControl(CreateChild(parent, STATUSCLASSNAMEW, "", WS_VISIBLE, -1)) {
  // One part across the whole bar.
  int right = -1;
  SendMessageW(Handle(), SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&right));
}

std::string TStatusBar::Text() const {
  wchar_t buffer[1024] = {};
  if ((SendMessageW(Handle(), SB_GETTEXTLENGTHW, 0, 0) & 0xFFFF) >= 1023) return {};
  SendMessageW(Handle(), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(buffer));
  return Narrow(buffer);
}

void TStatusBar::SetText(std::string_view text) {
  if (Text() == text) return;
  SendMessageW(Handle(), SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(Wide(text).c_str()));
}

int MeasureText(HWND window, HFONT font, std::string_view text) {
  const HDC dc = GetDC(window);
  const HGDIOBJ old = SelectObject(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
  const std::wstring wide = Wide(text);
  SIZE size{};
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return size.cx;
}

}  // namespace vp::widgets
