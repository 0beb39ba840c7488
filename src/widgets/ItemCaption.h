#pragma once

// The caption of one item of a control that describes its items with a
// structure holding mask, pszText and cchTextMax (a tab, a list view's
// column): read or written with one message each.

#include <windows.h>

#include <string>

#include "widgets/Text.h"

namespace vp::widgets {

// Captions longer than this are cut when read.
constexpr int kItemCaptionLimit = 255;

template <typename Item>
std::string ItemCaption(HWND control, UINT getMessage, int index, UINT textMask) {
  wchar_t buffer[kItemCaptionLimit + 1] = {};
  Item item{};
  item.mask = textMask;
  item.pszText = buffer;
  item.cchTextMax = kItemCaptionLimit;
  SendMessageW(control, getMessage, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  return Narrow(buffer);
}

// setMessage sets an item's caption or inserts an item with it.
template <typename Item>
void SetItemCaption(HWND control, UINT setMessage, int index, UINT textMask, const std::string& caption) {
  std::wstring text = Wide(caption);
  Item item{};
  item.mask = textMask;
  item.pszText = text.data();
  SendMessageW(control, setMessage, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

}  // namespace vp::widgets
