#include "shell/FormSettings.h"

#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>

#include "shell/MainForm.h"

namespace vp::shell {

WINDOWPLACEMENT TFormWindowSettings::Placement() const {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  GetWindowPlacement(form_.Handle(), &placement);
  return placement;
}

int TFormWindowSettings::Width() const {
  const RECT rect = Placement().rcNormalPosition;
  return rect.right - rect.left;
}

int TFormWindowSettings::Height() const {
  const RECT rect = Placement().rcNormalPosition;
  return rect.bottom - rect.top;
}

bool TFormWindowSettings::Maximized() const {
  return IsZoomed(form_.Handle()) != FALSE;
}

int TFormWindowSettings::ScreenWidth() const {
  return GetSystemMetrics(SM_CXSCREEN);
}

int TFormWindowSettings::ScreenHeight() const {
  return GetSystemMetrics(SM_CYSCREEN);
}

void TFormWindowSettings::SetPosition(int left, int top) {
  SetWindowPos(form_.Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFormWindowSettings::SetBounds(int left, int top, int width, int height) {
  SetWindowPos(form_.Handle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFormWindowSettings::SetMaximized() {
  WINDOWPLACEMENT placement = Placement();
  placement.showCmd = IsWindowVisible(form_.Handle()) ? SW_SHOWMAXIMIZED : SW_HIDE;
  placement.flags |= WPF_RESTORETOMAXIMIZED;
  SetWindowPlacement(form_.Handle(), &placement);
}

std::optional<int> TFormListSettings::ParentTabIndex() const {
  return form_.CurrentTab();
}

int TFormListSettings::ColumnCount() const {
  return form_.list_.ColumnCount();
}

int TFormListSettings::RowCount() const {
  return form_.model_.Count();
}

int TFormListSettings::ClientWidth() const {
  return form_.list_.ClientWidth();
}

int TFormListSettings::ColumnWidth(int column) const {
  return form_.list_.ColumnWidth(column);
}

void TFormListSettings::SetColumnWidth(int column, int width) {
  form_.list_.SetColumnWidth(column, width);
}

std::string TFormListSettings::ColumnCaption(int column) const {
  const StringList captions = form_.list_.ColumnCaptions();
  return column >= 0 && column < static_cast<int>(captions.size()) ? captions[static_cast<size_t>(column)]
                                                                   : "";
}

void TFormListSettings::SetColumnCaption(int column, const std::string& caption) {
  form_.list_.SetColumnCaption(column, caption);
}

std::optional<std::string> TFormListSettings::Cell(int row, int column) const {
  if (row < 0 || row >= form_.model_.Count()) return std::nullopt;
  return form_.model_.Cell(row, column);
}

int TFormListSettings::TextWidth(const std::string& text) const {
  return widgets::MeasureText(form_.list_.Handle(), form_.font_.Get(), text);
}

int TFormListSettings::FirstRowLeft() const {
  RECT rect{};
  rect.left = LVIR_LABEL;
  if (form_.model_.Count() > 0 &&
      SendMessageW(form_.list_.Handle(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rect)) != 0)
    return rect.left;
  return form_.S(20);
}

}  // namespace vp::shell
